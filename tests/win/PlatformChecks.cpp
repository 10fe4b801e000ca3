// The Win32 platform layer on its own, linked into this program: the sheet is
// this program's resource 157, drawn into and presented to a context of ours
// so the results can be read back.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/win/Pixels.h"
#include <doctest.h>

namespace hoktest {

namespace {

const char* const kParentClass = "HokPlatformParent";

LRESULT CALLBACK parentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// A 512 × 218 memory context to present into.
struct Target {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ saved = nullptr;
    Target() {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 512, 218);
        ReleaseDC(nullptr, screen);
        saved = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, saved);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<uint32_t> shown(platform::Platform& p, platform::Sheet* sheet) {
        p.present(dc, sheet, 512, 218);
        return grab(dc, 512, 218);
    }
};

bool sameAsSheet(const std::vector<uint32_t>& img, const std::vector<uint32_t>& sheet, int x, int y, int sx, int sy) {
    return img[size_t(y) * 512 + x] == sheet[size_t(sy) * 512 + sx];
}

// Each case gets a parent window of its own class, gone with the case.
struct PlatformParent {
    platform::Platform& p = platform::win32Platform();
    HINSTANCE self = GetModuleHandleA(nullptr);
    HWND parent = nullptr;
    PlatformParent() {
        WNDCLASSA pc = {};
        pc.lpfnWndProc = parentProc;
        pc.hInstance = self;
        pc.lpszClassName = kParentClass;
        RegisterClassA(&pc);
        parent = CreateWindowExA(0, kParentClass, "Hok platform parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500,
                                 600, 300, nullptr, nullptr, self, nullptr);
    }
    ~PlatformParent() {
        if (parent) DestroyWindow(parent);
        UnregisterClassA(kParentClass, self);
    }
};

}  // namespace

TEST_CASE_FIXTURE(PlatformParent, "platform: class, child window, user data, timer and geometry" *
                                      doctest::test_suite("wintest.platform")) {
    CHECK(parent != nullptr);
    CHECK(platform::win32ModuleHandle() == self);  // no library here: the program's own module
    CHECK(p.registerWindowClass("HokPlatformClass"));
    CHECK(!p.registerWindowClass("HokPlatformClass"));  // already there
    platform::WindowHandle w = p.createChildWindow("HokPlatformClass", "Hok", parent, 512, 133);
    CHECK(w != nullptr);
    if (w) {
        HWND h = static_cast<HWND>(w);
        CHECK(GetParent(h) == parent);
        CHECK(p.parentWindow(w) == parent);
        CHECK(p.parentWindow(nullptr) == nullptr);
        CHECK(p.userData(w) == nullptr);
        int marker = 0;
        p.setUserData(w, &marker);
        CHECK(p.userData(w) == &marker);
        p.setUserData(w, nullptr);
        CHECK_EQ(p.startTimer(w, 1, 50), 1);
        p.stopTimer(w, 1);

        char name[16];
        CHECK_EQ(p.windowClassName(w, name, sizeof name), 15);  // 16 characters cut to 15
        CHECK(std::strcmp(name, "HokPlatformClas") == 0);
        CHECK_EQ(p.windowClassName(parent, name, 4), 3);
        CHECK(std::strcmp(name, "Hok") == 0);
        std::strcpy(name, "junk");
        CHECK_EQ(p.windowClassName(nullptr, name, sizeof name), 0);
        CHECK(name[0] == 0);

        platform::ScreenRect before, after;
        CHECK(p.windowScreenRect(w, before));
        CHECK_EQ(before.width(), 512);
        CHECK_EQ(before.height(), 133);
        p.resizeWindow(w, 512, 218);
        CHECK(p.windowScreenRect(w, after));
        CHECK_EQ(after.left, before.left);
        CHECK_EQ(after.top, before.top);
        CHECK_EQ(after.height(), 218);
        CHECK(!p.windowScreenRect(nullptr, after));
        CHECK(p.dialogFrameHeight() > 0);
        p.destroyWindow(w);
        CHECK(!IsWindow(h));
    }
    p.unregisterWindowClass("HokPlatformClass");
    WNDCLASSA wc;
    CHECK(!GetClassInfoA(self, "HokPlatformClass", &wc));
}

TEST_CASE_FIXTURE(PlatformParent, "platform: sheet loading, block copies, black fills, clipping and presenting" *
                                      doctest::test_suite("wintest.platform")) {
    const std::vector<uint32_t> sheet = sheetPixels(self);
    CHECK_EQ(sheet.size(), size_t(512) * 883);
    CHECK(p.loadSheet(parent, 158) == nullptr);  // no such resource
    CHECK(p.loadSheet(nullptr, 157) == nullptr);
    platform::Sheet* s = p.loadSheet(parent, 157);
    CHECK(s != nullptr);
    if (s && sheet.size() == size_t(512) * 883) {
        Target t;
        std::vector<uint32_t> img = t.shown(p, s);
        CHECK_EQ(mismatches(img, 512, sheet, 0, 0, 511, 217, 0), 0);  // the back buffer as loaded

        p.copyRect(s, 0, 218, 512, 218, 0, 0);  // the clean panel
        img = t.shown(p, s);
        CHECK_EQ(mismatches(img, 512, sheet, 0, 0, 511, 217, 218), 0);

        p.fillBlack(s, 10, 20, 30, 40);
        img = t.shown(p, s);
        int black = 0;
        for (int y = 20; y < 60; ++y)
            for (int x = 10; x < 40; ++x) black += img[size_t(y) * 512 + x] == 0;
        CHECK_EQ(black, 30 * 40);
        CHECK(sameAsSheet(img, sheet, 9, 30, 9, 248));  // just outside is untouched
        CHECK(sameAsSheet(img, sheet, 40, 30, 40, 248));

        // A fill hanging over the top-left corner blackens only what is on the sheet.
        p.copyRect(s, 0, 218, 512, 218, 0, 0);
        p.fillBlack(s, -5, -5, 10, 10);
        img = t.shown(p, s);
        CHECK_EQ(img[0], 0u);
        CHECK_EQ(img[size_t(4) * 512 + 4], 0u);
        CHECK(sameAsSheet(img, sheet, 5, 5, 5, 223));

        // A copy whose source runs off the right edge copies the part on the sheet.
        p.copyRect(s, 0, 218, 512, 218, 0, 0);
        p.copyRect(s, 500, 436, 30, 6, 100, 100);
        img = t.shown(p, s);
        int copied = 0;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x) copied += sameAsSheet(img, sheet, 100 + x, 100 + y, 500 + x, 436 + y);
        CHECK_EQ(copied, 12 * 6);

        // Presenting fewer rows leaves the rest of the target alone.
        p.fillBlack(s, 0, 0, 512, 218);
        p.present(t.dc, s, 512, 133);
        img = grab(t.dc, 512, 218);
        CHECK_EQ(img[size_t(132) * 512 + 200], 0u);
        CHECK_EQ(mismatches(img, 512, sheet, 0, 133, 511, 217, 218), 0);  // still the panel presented before
    }
    p.releaseSheet(s);
    p.releaseSheet(nullptr);
}

}  // namespace hoktest
