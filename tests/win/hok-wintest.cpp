// A Windows host for the editor: loads the built plug-in library by path,
// embeds its editor in real frame windows (a frame of our own class, and an
// MDI frame / MDI client / MDI child chain), drives it with window messages
// and checks what the host sees: automation requests, window sizes, the
// window class's lifetime, timer ticks and the painted pixels.
//
// The cases run in file order and build on each other: each picks up the
// instances and windows the ones before it left.
//
// Usage: hok-wintest [PLUGIN.dll] [doctest options]; the library defaults to
// the one beside this program. "hok-wintest PLUGIN.dll SHOT.png --no-skip"
// also writes a screenshot of the open editor.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "vst2/AEffect.h"
#include "tests/win/PngWriter.h"
#include "tests/win/Pixels.h"
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

namespace {
using namespace hoktest;

// ---------------------------------------------------------------- the host side

struct Request {
    VstInt32 opcode, index;
    float opt;
};
std::vector<Request> requests;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    requests.push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

typedef AEffect*(VSTCALLBACK* MainProc)(audioMasterCallback);

struct Plugin {
    AEffect* effect = nullptr;
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    float param(int i) { return effect->getParameter(effect, i); }
};

// Automation requests for one parameter since `from`.
std::vector<float> automated(VstInt32 index, size_t from = 0) {
    std::vector<float> v;
    for (size_t i = from; i < requests.size(); ++i)
        if (requests[i].opcode == audioMasterAutomate && requests[i].index == index) v.push_back(requests[i].opt);
    return v;
}

// ---------------------------------------------------------------- windows

const char* const kFrameClass = "HokTestFrame";
const char* const kMdiFrameClass = "HokTestMdiFrame";
const char* const kMdiChildClass = "HokTestMdiChild";
HWND mdiClient = nullptr;

LRESULT CALLBACK frameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
LRESULT CALLBACK mdiFrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefFrameProcA(w, mdiClient, m, wp, lp);
}
LRESULT CALLBACK mdiChildProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(w, m, wp, lp); }

void registerClass(const char* name, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

// Timer messages seen per window while pumping.
struct Ticks {
    HWND window = nullptr;
    int count = 0;
    int otherIds = 0;
};

// Dispatches messages until `ticks.window` has seen `wanted` timer-1 ticks or
// `maxMs` milliseconds passed (wanted 0: just for `maxMs`). Returns the time
// taken. Waiting for ticks rather than for a fixed time keeps the checks
// valid on a slow machine (the 32-bit build may run under emulation).
DWORD pump(DWORD maxMs, Ticks* ticks = nullptr, int wanted = 0) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < maxMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (ticks && msg.message == WM_TIMER && msg.hwnd == ticks->window) {
                if (msg.wParam == 1)
                    ++ticks->count;
                else
                    ++ticks->otherIds;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (ticks && wanted > 0 && ticks->count >= wanted) return GetTickCount() - start;
        }
        Sleep(2);
    }
    return GetTickCount() - start;
}

// Runs until the editor window has had `n` refresh ticks (n 0: for all of
// `maxMs`), at most `maxMs`; the ticks seen.
int pumpTicks(HWND editor, int n, DWORD maxMs = 20000) {
    Ticks t{editor};
    pump(maxMs, &t, n);
    return t.count;
}

LPARAM packed(int x, int y) { return MAKELPARAM(x & 0xFFFF, y & 0xFFFF); }

// Posts a mouse message and lets it be handled.
void post(HWND w, UINT message, WPARAM keys, int x, int y) {
    PostMessageA(w, message, keys, packed(x, y));
    pump(30);
}

// True when `editor` sends no Limiter Gain automation for `n` refresh ticks.
bool quietFor(HWND editor, int n) {
    const size_t from = requests.size();
    pumpTicks(editor, n);
    return automated(0, from).empty();
}

// A left click on the EQ tab, and the EQ Display requests it made by two ticks on.
std::vector<float> clickEqTab(HWND editor) {
    const size_t from = requests.size();
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
    PostMessageA(editor, WM_LBUTTONUP, 0, packed(12, 125));
    pumpTicks(editor, 2);
    return automated(16, from);
}

// A window's width and height, compared and printed as a pair.
struct Size {
    long w, h;
    bool operator==(const Size&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Size& s) { return out << s.w << " x " << s.h; }
Size clientSize(HWND w) {
    RECT r = {};
    GetClientRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}
Size windowSize(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

HWND editorWindowIn(HWND parent) { return FindWindowExA(parent, nullptr, "Hokclass", "Hok"); }

bool classRegistered(HMODULE module) {
    WNDCLASSA wc;
    return GetClassInfoA(module, "Hokclass", &wc) != 0;
}

// A top-level frame whose client area fits the rectangle the editor asked for.
HWND makeFrame(int x, int y, const ERect& r) {
    RECT want = {0, 0, r.right - r.left, r.bottom - r.top};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    AdjustWindowRect(&want, style, FALSE);
    return CreateWindowExA(0, kFrameClass, "Hok test frame", style, x, y, want.right - want.left,
                           want.bottom - want.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// ---------------------------------------------------------------- what the cases share

struct Session {
    static inline const char* pluginPath = "HokMaximizer.dll";
    static inline const char* screenshotPath = nullptr;
    static inline HMODULE dll = nullptr;
    static inline MainProc mainProc = nullptr;
    static inline Plugin a, b;
    static inline std::vector<uint32_t> sheet;
    static inline ERect* rect = nullptr;
    static inline ERect asked = {};
    static inline HWND frame = nullptr, editorA = nullptr, editorB = nullptr, mdiFrame = nullptr,
                       reopened = nullptr;

    // Pixels of the block x0..x1 × y0..y1 of an editor window `height` high
    // that differ from the clean panel; -1 without the library's sheet.
    static int offPanel(HWND w, int height, int x0, int y0, int x1, int y1) {
        if (sheet.size() != size_t(512) * 883) return -1;
        return mismatches(grabWindow(w, 512, height), 512, sheet, x0, y0, x1, y1, 218);
    }
};

// Every case after the first needs the two instances it made; those after
// the first window, that window.
struct Loaded : Session {
    Loaded() { REQUIRE((a.effect && b.effect)); }
};
struct Shown : Loaded {
    Shown() { REQUIRE(editorA != nullptr); }
};

const auto editorSuite = doctest::test_suite("wintest.editor");

}  // namespace

// ---- loading
TEST_CASE_FIXTURE(Session, "library loads and main makes an instance with an editor" * editorSuite) {
    dll = LoadLibraryA(pluginPath);
    CHECK(dll != nullptr);
    mainProc = dll ? reinterpret_cast<MainProc>(reinterpret_cast<void*>(GetProcAddress(dll, "main"))) : nullptr;
    CHECK((mainProc != nullptr));
    if (mainProc) {
        a.effect = mainProc(hostCallback);
        b.effect = mainProc(hostCallback);
    }
    CHECK((a.effect && b.effect));
    if (a.effect) {
        CHECK_EQ(a.effect->magic, kEffectMagic);
        CHECK((a.effect->flags & effFlagsHasEditor));
    }
}

// ---- the rectangle and the first window
TEST_CASE_FIXTURE(Loaded, "effEditGetRect gives 512 by 133 with the EQ hidden" * editorSuite) {
    a.call(effOpen);
    b.call(effOpen);
    sheet = sheetPixels(dll);
    rect = nullptr;
    CHECK_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    CHECK(rect != nullptr);
    asked = rect ? *rect : ERect{0, 0, 133, 512};
    CHECK_EQ(asked.top, 0);
    CHECK_EQ(asked.left, 0);
    CHECK_EQ(asked.bottom, 133);
    CHECK_EQ(asked.right, 512);
}

TEST_CASE_FIXTURE(Loaded, "an open without a parent window leaves no class and no timer behind" * editorSuite) {
    a.call(effEditOpen, 0, 0, nullptr);  // a child window cannot be made without a parent
    CHECK(!classRegistered(dll));
    a.call(effEditClose);
    CHECK(!classRegistered(dll));
}

TEST_CASE_FIXTURE(Loaded, "effEditOpen makes a visible 512 x 133 child \"Hok\" of class \"Hokclass\"" * editorSuite) {
    frame = makeFrame(20, 20, asked);
    CHECK(frame != nullptr);
    CHECK(!classRegistered(dll));
    CHECK_EQ(a.call(effEditOpen, 0, 0, frame), 1);
    editorA = editorWindowIn(frame);
    CHECK(classRegistered(dll));
    REQUIRE(editorA != nullptr);
    LONG style = GetWindowLongA(editorA, GWL_STYLE);
    CHECK((style & WS_CHILD));
    CHECK((style & WS_VISIBLE));
    CHECK(!(style & (WS_BORDER | WS_CAPTION | WS_THICKFRAME)));
    CHECK_EQ(GetWindowLongA(editorA, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
    RECT r;
    GetWindowRect(editorA, &r);
    POINT origin = {0, 0};
    ClientToScreen(frame, &origin);
    CHECK_EQ(r.left, origin.x);
    CHECK_EQ(r.top, origin.y);
    CHECK_EQ(clientSize(editorA), Size{512, 133});
    CHECK(GetWindowLongPtrA(editorA, GWLP_USERDATA) != 0);
    WNDCLASSA wc = {};
    GetClassInfoA(dll, "Hokclass", &wc);
    CHECK_EQ(wc.style, 0);
    CHECK(wc.hCursor == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    CHECK(wc.hbrBackground == reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CHECK(wc.hIcon == nullptr);
    CHECK_EQ(wc.cbClsExtra, 0);
    CHECK_EQ(wc.cbWndExtra, 0);
    // The class belongs to the library, not to this program.
    CHECK(GetClassLongPtrA(editorA, GCLP_HMODULE) == reinterpret_cast<ULONG_PTR>(dll));
}

TEST_CASE_FIXTURE(Shown, "the window ticks every 50 ms and shows the panel from the library's sheet" * editorSuite) {
    Ticks ticks{editorA};
    pump(100, &ticks);  // let the first paint settle
    ticks.count = 0;
    DWORD took = pump(20000, &ticks, 10);
    // Ten ticks of 50 ms: never faster than 450 ms; a slow or loaded machine
    // may drop some, but a period far from 50 ms shows.
    CHECK_EQ(ticks.count, 10);
    CHECK((took >= 440 && took <= 1500));
    CHECK_EQ(ticks.otherIds, 0);
    CHECK_EQ(sheet.size(), size_t(512) * 883);
    {
        std::vector<uint32_t> shown = grabWindow(editorA, 512, 133);
        // The title area right of the channel bar is never drawn over.
        CHECK_EQ(offPanel(editorA, 133, 330, 2, 428, 20), 0);
        // No button-face background shows through.
        CHECK(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))) < 512 * 133 / 10);
        CHECK(countColour(shown, 0) < 512 * 133 / 2);
    }
    // An erase request repaints the panel instead of filling with the
    // class brush: smear the window, erase, and look.
    HDC dc = GetDC(editorA);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT all = {0, 0, 512, 133};
    FillRect(dc, &all, magenta);
    DeleteObject(magenta);
    CHECK_EQ(SendMessageA(editorA, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(editorA, dc);
    std::vector<uint32_t> shown = grabWindow(editorA, 512, 133);
    CHECK_EQ(countColour(shown, 0xFF00FF), 0);
    CHECK(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))) < 512 * 133 / 10);
}

TEST_CASE_FIXTURE(Shown, "a window of the class without an editor attached gets default handling only" * editorSuite) {
    HWND bare = CreateWindowExA(0, "Hokclass", "bare", WS_CHILD | WS_VISIBLE, 0, 0, 64, 32, frame, nullptr, dll,
                                nullptr);
    CHECK(bare != nullptr);
    if (bare) {
        size_t from = requests.size();
        SendMessageA(bare, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
        SendMessageA(bare, WM_LBUTTONUP, 0, packed(12, 125));
        SendMessageA(bare, WM_TIMER, 1, 0);
        SendMessageA(bare, WM_RBUTTONDOWN, MK_RBUTTON, packed(250, 64));
        SendMessageA(bare, WM_RBUTTONUP, 0, packed(250, 64));
        HDC dc = GetDC(bare);
        CHECK(SendMessageA(bare, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0);
        ReleaseDC(bare, dc);
        // Erased with the class brush, nothing of the panel drawn.
        std::vector<uint32_t> shown = grabWindow(bare, 64, 32);
        CHECK_EQ(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))), 64 * 32);
        CHECK_EQ(requests.size(), from);
        CHECK(GetCapture() == nullptr);
        DestroyWindow(bare);
    }
}

TEST_CASE_FIXTURE(Shown, "dragging the Limiter Gain marker automates parameter 0 until release" * editorSuite) {
    const int markerX = int(std::lround(a.param(0) * 393.0f)) + 35;
    size_t from = requests.size();
    PostMessageA(editorA, WM_MOUSEMOVE, 0, packed(markerX, 64));
    post(editorA, WM_LBUTTONDOWN, MK_LBUTTON, markerX, 64);
    CHECK(GetCapture() == editorA);
    CHECK(GetCursor() == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    PostMessageA(editorA, WM_MOUSEMOVE, MK_LBUTTON, packed(335, 64));
    pumpTicks(editorA, 4);
    std::vector<float> seen = automated(0, from);
    CHECK(seen.size() >= 3);
    if (!seen.empty()) CHECK(std::fabs(seen.back() - 300.0f / 393.0f) < 1e-5f);
    CHECK(std::fabs(a.param(0) * 393.0f - 300.0f) < 1e-3f);
    // Captured: a position left of the window still drives the gesture,
    // held at the left button's floor.
    PostMessageA(editorA, WM_MOUSEMOVE, MK_LBUTTON, packed(-40, 64));
    pumpTicks(editorA, 2);
    CHECK(std::fabs(a.param(0) * 393.0f - 208.0f) < 1e-3f);
    post(editorA, WM_LBUTTONUP, 0, -40, 64);
    CHECK(GetCapture() == nullptr);
    CHECK(quietFor(editorA, 4));
}

TEST_CASE_FIXTURE(Shown, "a right-button drag on the meter goes below the left button's floor" * editorSuite) {
    size_t from = requests.size();
    post(editorA, WM_RBUTTONDOWN, MK_RBUTTON, 250, 64);
    CHECK(GetCapture() == editorA);
    PostMessageA(editorA, WM_MOUSEMOVE, MK_RBUTTON, packed(100, 64));
    pumpTicks(editorA, 3);
    CHECK(automated(0, from).size() >= 2);
    CHECK(std::fabs(a.param(0) * 393.0f - 65.0f) < 1e-3f);
    // Either button's release ends the gesture.
    post(editorA, WM_LBUTTONUP, 0, 100, 64);
    CHECK(GetCapture() == nullptr);
    CHECK(quietFor(editorA, 3));
    post(editorA, WM_RBUTTONUP, 0, 100, 64);
}

TEST_CASE_FIXTURE(Shown, "a drag ends when another window takes the mouse capture" * editorSuite) {
    post(editorA, WM_LBUTTONDOWN, MK_LBUTTON, 250, 64);
    CHECK(GetCapture() == editorA);
    // A second button press in the editor captures again without ending the drag.
    post(editorA, WM_RBUTTONDOWN, MK_RBUTTON, 250, 64);
    CHECK(!quietFor(editorA, 2));
    // The host (or any window) takes the capture, so no button-up reaches the editor.
    SetCapture(frame);
    pump(30);
    CHECK(quietFor(editorA, 3));
    ReleaseCapture();
    pump(30);
}

TEST_CASE_FIXTURE(Shown, "the EQ tab shows the EQ rows and fits the frame around them, and back" * editorSuite) {
    const Size frameBefore = windowSize(frame);
    CHECK(clickEqTab(editorA) == std::vector<float>{1.0f});
    CHECK_EQ(clientSize(editorA), Size{512, 218});
    CHECK_EQ(clientSize(frame), Size{512, 218});
    CHECK_EQ(windowSize(frame), Size{frameBefore.w, frameBefore.h + 85});
    rect = nullptr;
    a.call(effEditGetRect, 0, 0, &rect);
    CHECK((rect && rect->bottom == 218));
    // The EQ rows are drawn from the panel: the row labels are static.
    CHECK_EQ(offPanel(editorA, 218, 2, 141, 40, 205), 0);
    // And back: the tab again closes the rows and the frame shrinks around the
    // editor.
    CHECK(clickEqTab(editorA) == std::vector<float>{0.0f});
    CHECK_EQ(clientSize(editorA).h, 133);
    CHECK_EQ(clientSize(frame).h, 133);
    CHECK_EQ(windowSize(frame), frameBefore);
    // Open again: the cases below work on the open rows.
    clickEqTab(editorA);
    CHECK_EQ(clientSize(frame).h, 218);
}

// ---- a second editor in an MDI chain while the first stays open
TEST_CASE_FIXTURE(Loaded, "two editors share one class; the MDI client is never resized" * editorSuite) {
    CLIENTCREATESTRUCT ccs = {nullptr, 1000};
    mdiFrame = CreateWindowExA(0, kMdiFrameClass, "Hok MDI frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 20,
                               760, 640, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    mdiClient = CreateWindowExA(0, "MDIClient", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 740, 600,
                                mdiFrame, nullptr, GetModuleHandleA(nullptr), &ccs);
    MDICREATESTRUCTA mcs = {kMdiChildClass, "Hok MDI child", GetModuleHandleA(nullptr), 10, 10, 560, 200, 0, 0};
    HWND mdiChild = mdiClient ? reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDICREATE, 0,
                                                                    reinterpret_cast<LPARAM>(&mcs)))
                              : nullptr;
    CHECK((mdiFrame && mdiClient && mdiChild));
    editorB = nullptr;
    if (mdiChild) {
        CHECK_EQ(b.call(effEditOpen, 0, 0, mdiChild), 1);
        editorB = editorWindowIn(mdiChild);
        CHECK(editorB != nullptr);
        CHECK((editorA && editorB && GetClassLongA(editorA, GCW_ATOM) == GetClassLongA(editorB, GCW_ATOM)));
        pumpTicks(editorB, 2);
        const Size clientBefore = windowSize(mdiClient);
        const Size frameBefore = windowSize(mdiFrame);
        // Resize the child off its fit first, so the toggle has to fit it.
        SetWindowPos(mdiChild, nullptr, 0, 0, 560, 200, SWP_NOMOVE | SWP_NOZORDER);
        const Size offFit = {windowSize(mdiChild).w - clientSize(editorB).w, windowSize(mdiChild).h - 133};
        if (editorB) {
            CHECK_EQ(clickEqTab(editorB).size(), 1);
            CHECK_EQ(clientSize(editorB).h, 218);
            // The child gets 512 and 218 plus its own excess over the editor.
            CHECK_EQ(windowSize(mdiChild), Size{512 + offFit.w, 218 + offFit.h});
            CHECK_EQ(windowSize(mdiClient), clientBefore);
            CHECK_EQ(windowSize(mdiFrame), frameBefore);
        }
    }
}

// ---- a borderless host panel inside a much larger host window
TEST_CASE_FIXTURE(Loaded, "a panel without a frame is fitted; the large window around it is not" * editorSuite) {
    Plugin c;
    c.effect = mainProc(hostCallback);
    c.call(effOpen);
    HWND big = CreateWindowExA(0, kFrameClass, "Hok big host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 420, 900, 500,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND panel = CreateWindowExA(0, kFrameClass, nullptr, WS_CHILD | WS_VISIBLE, 30, 40, 512, 133, big, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    CHECK((big && panel));
    if (panel && c.effect) {
        CHECK_EQ(c.call(effEditOpen, 0, 0, panel), 1);
        HWND editorC = editorWindowIn(panel);
        CHECK(editorC != nullptr);
        const Size bigBefore = windowSize(big);
        if (editorC) {
            clickEqTab(editorC);
            CHECK_EQ(clientSize(editorC).h, 218);
            CHECK_EQ(windowSize(panel), Size{512, 218});
            CHECK_EQ(windowSize(big), bigBefore);
            // The panel kept its place in the host window.
            RECT r;
            GetWindowRect(panel, &r);
            POINT at = {r.left, r.top};
            ScreenToClient(big, &at);
            CHECK_EQ(at.x, 30);
            CHECK_EQ(at.y, 40);
        }
        c.call(effEditClose);
        CHECK((editorC && !IsWindow(editorC)));
        CHECK(classRegistered(dll));  // the other two editors are still open
    }
    if (c.effect) c.call(effClose);
    if (big) DestroyWindow(big);
}

// Only with --no-skip and a screenshot path.
TEST_CASE_FIXTURE(Loaded, "screenshot of the open editor written" * editorSuite * doctest::skip()) {
    REQUIRE(screenshotPath != nullptr);
    REQUIRE(editorA != nullptr);
    pumpTicks(editorA, 3);
    std::vector<uint32_t> shown = grabWindow(editorA, 512, 218);
    CHECK(hoktest::writePng(screenshotPath, shown.data(), 512, 218));
}

TEST_CASE_FIXTURE(Loaded, "closing one editor keeps the class; closing the last unregisters it" * editorSuite) {
    a.call(effEditClose);
    CHECK((editorA && !IsWindow(editorA)));
    CHECK(editorWindowIn(frame) == nullptr);
    CHECK(classRegistered(dll));
    a.call(effEditClose);  // a second close does nothing
    CHECK(classRegistered(dll));
    if (editorB) CHECK(IsWindow(editorB));
    b.call(effEditClose);
    CHECK((editorB && !IsWindow(editorB)));
    CHECK(!classRegistered(dll));
    pump(120);
}

TEST_CASE_FIXTURE(Loaded, "reopening loads the skin again and ticks again" * editorSuite) {
    CHECK_EQ(a.call(effEditOpen, 0, 0, frame), 1);
    reopened = editorWindowIn(frame);
    CHECK(reopened != nullptr);
    CHECK(classRegistered(dll));
    if (reopened) {
        CHECK_EQ(clientSize(reopened).h, 218);  // EQ Display stayed on
        CHECK_EQ(pumpTicks(reopened, 3), 3);
        CHECK_EQ(offPanel(reopened, 218, 330, 2, 428, 20), 0);
    }
}

TEST_CASE_FIXTURE(Loaded, "a host that destroys its window first leaves the editor closed; it opens again later" *
                          editorSuite) {
    HWND doomed = makeFrame(40, 40, asked);
    CHECK_EQ(b.call(effEditOpen, 0, 0, doomed), 1);
    HWND child = editorWindowIn(doomed);
    CHECK(child != nullptr);
    DestroyWindow(doomed);  // the child goes with it, before effEditClose
    CHECK((child && !IsWindow(child)));
    CHECK_EQ(pumpTicks(child, 0, 200), 0);
    b.call(effEditClose);  // nothing left to close: no stale handle is touched
    HWND again = makeFrame(40, 40, asked);
    CHECK_EQ(b.call(effEditOpen, 0, 0, again), 1);
    CHECK(editorWindowIn(again) != nullptr);
    b.call(effEditClose);
    DestroyWindow(again);
}

TEST_CASE_FIXTURE(Loaded, "effClose with the editor open takes the window, its timer and the class with it" *
                          editorSuite) {
    a.call(effClose);
    CHECK((reopened && !IsWindow(reopened)));
    CHECK(!classRegistered(dll));
    CHECK_EQ(pumpTicks(reopened, 0, 300), 0);
}

// The first two arguments that are not doctest options name the library and
// the screenshot file.
int main(int argc, char** argv) {
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') paths.push_back(argv[i]);
    if (paths.size() > 0) Session::pluginPath = paths[0];
    if (paths.size() > 1) Session::screenshotPath = paths[1];
    registerClass(kFrameClass, frameProc);
    registerClass(kMdiFrameClass, mdiFrameProc);
    registerClass(kMdiChildClass, mdiChildProc);

    doctest::Context context(argc, argv);
    const int status = context.run();

    if (Session::b.effect) Session::b.call(effClose);
    if (Session::mdiFrame) DestroyWindow(Session::mdiFrame);
    if (Session::frame) DestroyWindow(Session::frame);
    pump(50);
    if (Session::dll) FreeLibrary(Session::dll);
    return status;
}
