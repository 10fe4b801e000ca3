// A Windows host for the editor: loads the built plug-in library by path,
// embeds its editor in real frame windows (a frame of our own class, and an
// MDI frame / MDI client / MDI child chain), drives it with window messages
// and checks what the host sees: automation requests, window sizes, the
// window class's lifetime, timer ticks and the painted pixels.
//
// Usage: hok-wintest PLUGIN.dll [SCREENSHOT.png]
// Prints one line per failed check and a closing "<label>: N passed, M failed".
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vst2/AEffect.h"
#include "tests/win/PngWriter.h"
#include "tests/win/Pixels.h"
#include "tests/win/PlatformChecks.h"
#include "tests/win/Tally.h"

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

// Runs until the editor window has had `n` refresh ticks (at most 20 s).
void pumpTicks(HWND editor, int n) {
    Ticks t;
    t.window = editor;
    pump(20000, &t, n);
}

LPARAM packed(int x, int y) { return MAKELPARAM(x & 0xFFFF, y & 0xFFFF); }

SIZE clientSize(HWND w) {
    RECT r = {};
    GetClientRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}
SIZE windowSize(HWND w) {
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

}  // namespace

int main(int argc, char** argv) {
    const char* label = sizeof(void*) == 8 ? "win64" : "win32";
    if (argc < 2) {
        std::fprintf(stderr, "usage: hok-wintest PLUGIN.dll [SCREENSHOT.png]\n");
        return 2;
    }
    const char* screenshotPath = argc > 2 ? argv[2] : nullptr;
    runPlatformChecks();
    registerClass(kFrameClass, frameProc);
    registerClass(kMdiFrameClass, mdiFrameProc);
    registerClass(kMdiChildClass, mdiChildProc);

    // ---- loading
    beginCase("library loads and main makes an instance with an editor");
    HMODULE dll = LoadLibraryA(argv[1]);
    EXPECT(dll != nullptr);
    MainProc mainProc = dll ? reinterpret_cast<MainProc>(reinterpret_cast<void*>(GetProcAddress(dll, "main"))) : nullptr;
    EXPECT(mainProc != nullptr);
    Plugin a, b;
    if (mainProc) {
        a.effect = mainProc(hostCallback);
        b.effect = mainProc(hostCallback);
    }
    EXPECT(a.effect && b.effect);
    if (a.effect) {
        EXPECT_EQ(a.effect->magic, kEffectMagic);
        EXPECT(a.effect->flags & effFlagsHasEditor);
    }
    endCase();
    if (!a.effect || !b.effect) {
        std::printf("%s: %d passed, %d failed\n", label, hoktest::tally.passed, hoktest::tally.failed + 1);
        return 1;
    }
    a.call(effOpen);
    b.call(effOpen);
    const std::vector<uint32_t> sheet = sheetPixels(dll);

    // ---- the rectangle and the first window
    beginCase("effEditGetRect gives 512 by 133 with the EQ hidden");
    ERect* rect = nullptr;
    EXPECT_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    EXPECT(rect != nullptr);
    ERect asked = rect ? *rect : ERect{0, 0, 133, 512};
    EXPECT_EQ(asked.top, 0);
    EXPECT_EQ(asked.left, 0);
    EXPECT_EQ(asked.bottom, 133);
    EXPECT_EQ(asked.right, 512);
    endCase();

    beginCase("an open without a parent window leaves no class and no timer behind");
    a.call(effEditOpen, 0, 0, nullptr);  // a child window cannot be made without a parent
    EXPECT(!classRegistered(dll));
    a.call(effEditClose);
    EXPECT(!classRegistered(dll));
    endCase();

    HWND frame = makeFrame(20, 20, asked);
    beginCase("effEditOpen makes a visible 512 x 133 child \"Hok\" of class \"Hokclass\"");
    EXPECT(frame != nullptr);
    EXPECT(!classRegistered(dll));
    EXPECT_EQ(a.call(effEditOpen, 0, 0, frame), 1);
    HWND editorA = editorWindowIn(frame);
    EXPECT(editorA != nullptr);
    EXPECT(classRegistered(dll));
    if (editorA) {
        LONG style = GetWindowLongA(editorA, GWL_STYLE);
        EXPECT(style & WS_CHILD);
        EXPECT(style & WS_VISIBLE);
        EXPECT(!(style & (WS_BORDER | WS_CAPTION | WS_THICKFRAME)));
        EXPECT_EQ(GetWindowLongA(editorA, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
        RECT r;
        GetWindowRect(editorA, &r);
        POINT origin = {0, 0};
        ClientToScreen(frame, &origin);
        EXPECT_EQ(r.left, origin.x);
        EXPECT_EQ(r.top, origin.y);
        EXPECT_EQ(clientSize(editorA).cx, 512);
        EXPECT_EQ(clientSize(editorA).cy, 133);
        EXPECT(GetWindowLongPtrA(editorA, GWLP_USERDATA) != 0);
        WNDCLASSA wc = {};
        GetClassInfoA(dll, "Hokclass", &wc);
        EXPECT_EQ(wc.style, 0);
        EXPECT(wc.hCursor == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
        EXPECT(wc.hbrBackground == reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        EXPECT(wc.hIcon == nullptr);
        EXPECT_EQ(wc.cbClsExtra, 0);
        EXPECT_EQ(wc.cbWndExtra, 0);
        // The class belongs to the library, not to this program.
        EXPECT(GetClassLongPtrA(editorA, GCLP_HMODULE) == reinterpret_cast<ULONG_PTR>(dll));
    }
    endCase();

    beginCase("the window ticks every 50 ms and shows the panel from the library's sheet");
    Ticks ticks;
    ticks.window = editorA;
    pump(100, &ticks);  // let the first paint settle
    ticks.count = 0;
    DWORD took = pump(20000, &ticks, 10);
    // Ten ticks of 50 ms: never faster than 450 ms; a slow or loaded machine
    // may drop some, but a period far from 50 ms shows.
    EXPECT_EQ(ticks.count, 10);
    EXPECT(took >= 440 && took <= 1500);
    EXPECT_EQ(ticks.otherIds, 0);
    EXPECT_EQ(sheet.size(), size_t(512) * 883);
    if (editorA && sheet.size() == size_t(512) * 883) {
        std::vector<uint32_t> shown = grabWindow(editorA, 512, 133);
        // The title area right of the channel bar is never drawn over.
        EXPECT_EQ(mismatches(shown, 512, sheet, 330, 2, 428, 20, 218), 0);
        // No button-face background shows through.
        EXPECT(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))) < 512 * 133 / 10);
        EXPECT(countColour(shown, 0) < 512 * 133 / 2);
    }
    if (editorA) {
        // An erase request repaints the panel instead of filling with the
        // class brush: smear the window, erase, and look.
        HDC dc = GetDC(editorA);
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        RECT all = {0, 0, 512, 133};
        FillRect(dc, &all, magenta);
        DeleteObject(magenta);
        EXPECT_EQ(SendMessageA(editorA, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
        ReleaseDC(editorA, dc);
        std::vector<uint32_t> shown = grabWindow(editorA, 512, 133);
        EXPECT_EQ(countColour(shown, 0xFF00FF), 0);
        EXPECT(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))) < 512 * 133 / 10);
    }
    endCase();

    beginCase("a window of the class without an editor attached gets default handling only");
    if (editorA) {
        HWND bare = CreateWindowExA(0, "Hokclass", "bare", WS_CHILD | WS_VISIBLE, 0, 0, 64, 32, frame, nullptr, dll,
                                    nullptr);
        EXPECT(bare != nullptr);
        if (bare) {
            size_t from = requests.size();
            SendMessageA(bare, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
            SendMessageA(bare, WM_LBUTTONUP, 0, packed(12, 125));
            SendMessageA(bare, WM_TIMER, 1, 0);
            SendMessageA(bare, WM_RBUTTONDOWN, MK_RBUTTON, packed(250, 64));
            SendMessageA(bare, WM_RBUTTONUP, 0, packed(250, 64));
            HDC dc = GetDC(bare);
            EXPECT(SendMessageA(bare, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0);
            ReleaseDC(bare, dc);
            // Erased with the class brush, nothing of the panel drawn.
            std::vector<uint32_t> shown = grabWindow(bare, 64, 32);
            EXPECT_EQ(countColour(shown, rgbOf(GetSysColor(COLOR_BTNFACE))), 64 * 32);
            EXPECT_EQ(requests.size(), from);
            EXPECT(GetCapture() == nullptr);
            DestroyWindow(bare);
        }
    }
    endCase();

    beginCase("dragging the Limiter Gain marker automates parameter 0 until release");
    if (editorA) {
        const int gain = int(std::lround(a.param(0) * 393.0f));
        const int markerX = gain + 35;
        size_t from = requests.size();
        PostMessageA(editorA, WM_MOUSEMOVE, 0, packed(markerX, 64));
        PostMessageA(editorA, WM_LBUTTONDOWN, MK_LBUTTON, packed(markerX, 64));
        pump(30);
        EXPECT(GetCapture() == editorA);
        EXPECT(GetCursor() == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
        PostMessageA(editorA, WM_MOUSEMOVE, MK_LBUTTON, packed(335, 64));
        pumpTicks(editorA, 4);
        std::vector<float> seen = automated(0, from);
        EXPECT(seen.size() >= 3);
        if (!seen.empty()) EXPECT(std::fabs(seen.back() - 300.0f / 393.0f) < 1e-5f);
        EXPECT(std::fabs(a.param(0) * 393.0f - 300.0f) < 1e-3f);
        // Captured: a position left of the window still drives the gesture,
        // held at the left button's floor.
        PostMessageA(editorA, WM_MOUSEMOVE, MK_LBUTTON, packed(-40, 64));
        pumpTicks(editorA, 2);
        EXPECT(std::fabs(a.param(0) * 393.0f - 208.0f) < 1e-3f);
        PostMessageA(editorA, WM_LBUTTONUP, 0, packed(-40, 64));
        pump(30);
        EXPECT(GetCapture() == nullptr);
        size_t afterRelease = requests.size();
        pumpTicks(editorA, 4);
        EXPECT_EQ(automated(0, afterRelease).size(), 0);
    }
    endCase();

    beginCase("a right-button drag on the meter goes below the left button's floor");
    if (editorA) {
        size_t from = requests.size();
        PostMessageA(editorA, WM_RBUTTONDOWN, MK_RBUTTON, packed(250, 64));
        pump(30);
        EXPECT(GetCapture() == editorA);
        PostMessageA(editorA, WM_MOUSEMOVE, MK_RBUTTON, packed(100, 64));
        pumpTicks(editorA, 3);
        EXPECT(automated(0, from).size() >= 2);
        EXPECT(std::fabs(a.param(0) * 393.0f - 65.0f) < 1e-3f);
        // Either button's release ends the gesture.
        PostMessageA(editorA, WM_LBUTTONUP, 0, packed(100, 64));
        pump(30);
        EXPECT(GetCapture() == nullptr);
        size_t afterRelease = requests.size();
        pumpTicks(editorA, 3);
        EXPECT_EQ(automated(0, afterRelease).size(), 0);
        PostMessageA(editorA, WM_RBUTTONUP, 0, packed(100, 64));
        pump(30);
    }
    endCase();

    beginCase("a drag ends when another window takes the mouse capture");
    if (editorA) {
        PostMessageA(editorA, WM_LBUTTONDOWN, MK_LBUTTON, packed(250, 64));
        pump(30);
        EXPECT(GetCapture() == editorA);
        // A second button press in the editor captures again without ending the drag.
        PostMessageA(editorA, WM_RBUTTONDOWN, MK_RBUTTON, packed(250, 64));
        pump(30);
        size_t from = requests.size();
        pumpTicks(editorA, 2);
        EXPECT(automated(0, from).size() >= 1);
        // The host (or any window) takes the capture, so no button-up reaches the editor.
        SetCapture(frame);
        pump(30);
        size_t afterLoss = requests.size();
        pumpTicks(editorA, 3);
        EXPECT_EQ(automated(0, afterLoss).size(), 0);
        ReleaseCapture();
        pump(30);
    }
    endCase();

    beginCase("the EQ tab shows the EQ rows and fits the frame around them, and back");
    if (editorA) {
        const SIZE frameBefore = windowSize(frame);
        size_t from = requests.size();
        PostMessageA(editorA, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
        PostMessageA(editorA, WM_LBUTTONUP, 0, packed(12, 125));
        pumpTicks(editorA, 2);
        std::vector<float> eq = automated(16, from);
        EXPECT_EQ(eq.size(), 1);
        if (!eq.empty()) EXPECT(eq[0] == 1.0f);
        EXPECT_EQ(clientSize(editorA).cx, 512);
        EXPECT_EQ(clientSize(editorA).cy, 218);
        EXPECT_EQ(clientSize(frame).cx, 512);
        EXPECT_EQ(clientSize(frame).cy, 218);
        EXPECT_EQ(windowSize(frame).cx, frameBefore.cx);
        EXPECT_EQ(windowSize(frame).cy, frameBefore.cy + 85);
        rect = nullptr;
        a.call(effEditGetRect, 0, 0, &rect);
        EXPECT(rect && rect->bottom == 218);
        // The EQ rows are drawn from the panel: the row labels are static.
        if (sheet.size() == size_t(512) * 883) {
            std::vector<uint32_t> shown = grabWindow(editorA, 512, 218);
            EXPECT_EQ(mismatches(shown, 512, sheet, 2, 141, 40, 205, 218), 0);
        }
    }
    endCase();

    // ---- a second editor in an MDI chain while the first stays open
    CLIENTCREATESTRUCT ccs = {nullptr, 1000};
    HWND mdiFrame = CreateWindowExA(0, kMdiFrameClass, "Hok MDI frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 20,
                                    760, 640, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    mdiClient = CreateWindowExA(0, "MDIClient", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 740, 600,
                                mdiFrame, nullptr, GetModuleHandleA(nullptr), &ccs);
    MDICREATESTRUCTA mcs = {};
    mcs.szClass = kMdiChildClass;
    mcs.szTitle = "Hok MDI child";
    mcs.hOwner = GetModuleHandleA(nullptr);
    mcs.x = 10;
    mcs.y = 10;
    mcs.cx = 560;
    mcs.cy = 200;
    HWND mdiChild = mdiClient ? reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDICREATE, 0,
                                                                    reinterpret_cast<LPARAM>(&mcs)))
                              : nullptr;
    beginCase("two editors share one class; the MDI client is never resized");
    EXPECT(mdiFrame && mdiClient && mdiChild);
    HWND editorB = nullptr;
    if (mdiChild) {
        EXPECT_EQ(b.call(effEditOpen, 0, 0, mdiChild), 1);
        editorB = editorWindowIn(mdiChild);
        EXPECT(editorB != nullptr);
        EXPECT(editorA && editorB && GetClassLongA(editorA, GCW_ATOM) == GetClassLongA(editorB, GCW_ATOM));
        pumpTicks(editorB, 2);
        const SIZE clientBefore = windowSize(mdiClient);
        const SIZE frameBefore = windowSize(mdiFrame);
        // Resize the child off its fit first, so the toggle has to fit it.
        SetWindowPos(mdiChild, nullptr, 0, 0, 560, 200, SWP_NOMOVE | SWP_NOZORDER);
        const SIZE offFit = {windowSize(mdiChild).cx - clientSize(editorB).cx, windowSize(mdiChild).cy - 133};
        if (editorB) {
            size_t from = requests.size();
            PostMessageA(editorB, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
            PostMessageA(editorB, WM_LBUTTONUP, 0, packed(12, 125));
            pumpTicks(editorB, 2);
            EXPECT_EQ(automated(16, from).size(), 1);
            EXPECT_EQ(clientSize(editorB).cy, 218);
            // The child gets 512 and 218 plus its own excess over the editor.
            EXPECT_EQ(windowSize(mdiChild).cx, 512 + offFit.cx);
            EXPECT_EQ(windowSize(mdiChild).cy, 218 + offFit.cy);
            EXPECT_EQ(windowSize(mdiClient).cx, clientBefore.cx);
            EXPECT_EQ(windowSize(mdiClient).cy, clientBefore.cy);
            EXPECT_EQ(windowSize(mdiFrame).cx, frameBefore.cx);
            EXPECT_EQ(windowSize(mdiFrame).cy, frameBefore.cy);
        }
    }
    endCase();

    // ---- a borderless host panel inside a much larger host window
    Plugin c;
    c.effect = mainProc(hostCallback);
    c.call(effOpen);
    HWND big = CreateWindowExA(0, kFrameClass, "Hok big host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 420, 900, 500,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND panel = CreateWindowExA(0, kFrameClass, nullptr, WS_CHILD | WS_VISIBLE, 30, 40, 512, 133, big, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    beginCase("a panel without a frame is fitted; the large window around it is not");
    EXPECT(big && panel);
    if (panel && c.effect) {
        EXPECT_EQ(c.call(effEditOpen, 0, 0, panel), 1);
        HWND editorC = editorWindowIn(panel);
        EXPECT(editorC != nullptr);
        const SIZE bigBefore = windowSize(big);
        if (editorC) {
            PostMessageA(editorC, WM_LBUTTONDOWN, MK_LBUTTON, packed(12, 125));
            PostMessageA(editorC, WM_LBUTTONUP, 0, packed(12, 125));
            pumpTicks(editorC, 2);
            EXPECT_EQ(clientSize(editorC).cy, 218);
            EXPECT_EQ(windowSize(panel).cx, 512);
            EXPECT_EQ(windowSize(panel).cy, 218);
            EXPECT_EQ(windowSize(big).cx, bigBefore.cx);
            EXPECT_EQ(windowSize(big).cy, bigBefore.cy);
            // The panel kept its place in the host window.
            RECT r;
            GetWindowRect(panel, &r);
            POINT at = {r.left, r.top};
            ScreenToClient(big, &at);
            EXPECT_EQ(at.x, 30);
            EXPECT_EQ(at.y, 40);
        }
        c.call(effEditClose);
        EXPECT(editorC && !IsWindow(editorC));
        EXPECT(classRegistered(dll));  // the other two editors are still open
    }
    endCase();
    if (c.effect) c.call(effClose);
    if (big) DestroyWindow(big);

    if (screenshotPath && editorA) {
        beginCase("screenshot of the open editor written");
        pumpTicks(editorA, 3);
        std::vector<uint32_t> shown = grabWindow(editorA, 512, 218);
        EXPECT(hoktest::writePng(screenshotPath, shown.data(), 512, 218));
        endCase();
    }

    beginCase("closing one editor keeps the class; closing the last unregisters it");
    a.call(effEditClose);
    EXPECT(editorA && !IsWindow(editorA));
    EXPECT(editorWindowIn(frame) == nullptr);
    EXPECT(classRegistered(dll));
    a.call(effEditClose);  // a second close does nothing
    EXPECT(classRegistered(dll));
    if (editorB) EXPECT(IsWindow(editorB));
    b.call(effEditClose);
    EXPECT(editorB && !IsWindow(editorB));
    EXPECT(!classRegistered(dll));
    pump(120);
    endCase();

    beginCase("reopening loads the skin again and ticks again");
    EXPECT_EQ(a.call(effEditOpen, 0, 0, frame), 1);
    HWND reopened = editorWindowIn(frame);
    EXPECT(reopened != nullptr);
    EXPECT(classRegistered(dll));
    if (reopened) {
        EXPECT_EQ(clientSize(reopened).cy, 218);  // EQ Display stayed on
        Ticks again;
        again.window = reopened;
        pump(20000, &again, 3);
        EXPECT_EQ(again.count, 3);
        if (sheet.size() == size_t(512) * 883) {
            std::vector<uint32_t> shown = grabWindow(reopened, 512, 218);
            EXPECT_EQ(mismatches(shown, 512, sheet, 330, 2, 428, 20, 218), 0);
        }
    }
    endCase();

    beginCase("a host that destroys its window first leaves the editor closed; it opens again later");
    {
        HWND doomed = makeFrame(40, 40, asked);
        EXPECT_EQ(b.call(effEditOpen, 0, 0, doomed), 1);
        HWND child = editorWindowIn(doomed);
        EXPECT(child != nullptr);
        DestroyWindow(doomed);  // the child goes with it, before effEditClose
        EXPECT(child && !IsWindow(child));
        Ticks none;
        none.window = child;
        pump(200, &none);
        EXPECT_EQ(none.count, 0);
        b.call(effEditClose);  // nothing left to close: no stale handle is touched
        HWND again = makeFrame(40, 40, asked);
        EXPECT_EQ(b.call(effEditOpen, 0, 0, again), 1);
        EXPECT(editorWindowIn(again) != nullptr);
        b.call(effEditClose);
        DestroyWindow(again);
    }
    endCase();

    beginCase("effClose with the editor open takes the window, its timer and the class with it");
    a.call(effClose);
    EXPECT(reopened && !IsWindow(reopened));
    EXPECT(!classRegistered(dll));
    Ticks stale;
    stale.window = reopened;
    pump(300, &stale);
    EXPECT_EQ(stale.count, 0);
    endCase();

    b.call(effClose);
    if (mdiFrame) DestroyWindow(mdiFrame);
    if (frame) DestroyWindow(frame);
    pump(50);
    FreeLibrary(dll);

    std::printf("%s: %d passed, %d failed\n", label, hoktest::tally.passed, hoktest::tally.failed);
    return hoktest::tally.failed == 0 ? 0 : 1;
}
