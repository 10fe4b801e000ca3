#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <new>

#include "platform/Module.h"

namespace platform {

// The loaded skin, selected into a memory context compatible with the window's.
// The window's own context is only needed to make the memory context and is
// released right away: a common context held across the window's destruction
// could be handed to another window before it is released.
struct Sheet {
    HDC memoryDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ savedBitmap = nullptr;
};

void* win32ModuleHandle() { return hInstance ? hInstance : static_cast<void*>(GetModuleHandleA(nullptr)); }

namespace {

HINSTANCE module() { return static_cast<HINSTANCE>(win32ModuleHandle()); }
HWND hwnd(WindowHandle w) { return static_cast<HWND>(w); }

struct MessageKind {
    UINT message;
    WindowMessage kind;
};
const MessageKind kMessages[] = {
    {WM_PAINT, WindowMessage::Paint},
    {WM_ERASEBKGND, WindowMessage::EraseBackground},
    {WM_TIMER, WindowMessage::Timer},
    {WM_MOUSEMOVE, WindowMessage::MouseMove},
    {WM_LBUTTONDOWN, WindowMessage::LeftButtonDown},
    {WM_LBUTTONUP, WindowMessage::LeftButtonUp},
    {WM_RBUTTONDOWN, WindowMessage::RightButtonDown},
    {WM_RBUTTONUP, WindowMessage::RightButtonUp},
    {WM_CAPTURECHANGED, WindowMessage::CaptureLost},
    {WM_DESTROY, WindowMessage::Destroyed},
};

// The window whose WM_DESTROY is being handled: the system is destroying it
// (its parent went first), so the editor's close must not destroy it again.
HWND beingDestroyed = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowMessage kind = WindowMessage::Other;
    for (const MessageKind& m : kMessages)
        if (m.message == message) kind = m.kind;
    // lParam names the window gaining the capture; taking it again is no loss.
    if (kind == WindowMessage::CaptureLost && HWND(lParam) == window) kind = WindowMessage::Other;
    if (kind == WindowMessage::Destroyed) {
        HWND outer = beingDestroyed;
        beingDestroyed = window;
        editorWindowProc(window, kind, 0, 0);
        beingDestroyed = outer;
    } else if (kind != WindowMessage::Other) {
        MessageResult r = editorWindowProc(window, kind, uintptr_t(wParam), int32_t(lParam));
        if (!r.useDefault) return LRESULT(r.result);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Win32Platform final : public Platform {
public:
    bool registerWindowClass(const char* className) override {
        WNDCLASSA wc = {};
        wc.style = 0;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = module();
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);  // the system button-face colour
        wc.lpszClassName = className;
        return RegisterClassA(&wc) != 0;
    }
    void unregisterWindowClass(const char* className) override { UnregisterClassA(className, module()); }

    WindowHandle createChildWindow(const char* className, const char* title, WindowHandle parent, int32_t width,
                                   int32_t height) override {
        return CreateWindowExA(0, className, title, WS_CHILD | WS_VISIBLE, 0, 0, width, height, hwnd(parent),
                               nullptr, module(), nullptr);
    }
    void destroyWindow(WindowHandle window) override {
        if (hwnd(window) != beingDestroyed) DestroyWindow(hwnd(window));
    }

    void setUserData(WindowHandle window, void* data) override {
        SetWindowLongPtrA(hwnd(window), GWLP_USERDATA, LONG_PTR(data));
    }
    void* userData(WindowHandle window) override {
        return reinterpret_cast<void*>(GetWindowLongPtrA(hwnd(window), GWLP_USERDATA));
    }

    uintptr_t startTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override {
        return SetTimer(hwnd(window), id, periodMs, nullptr);
    }
    void stopTimer(WindowHandle window, uintptr_t id) override { KillTimer(hwnd(window), id); }

    void captureMouse(WindowHandle window) override { SetCapture(hwnd(window)); }
    void releaseMouse() override { ReleaseCapture(); }
    void setArrowCursor() override { SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); }

    WindowHandle parentWindow(WindowHandle window) override { return window ? GetParent(hwnd(window)) : nullptr; }
    int32_t windowClassName(WindowHandle window, char* name, int32_t size) override {
        if (!name || size <= 0) return 0;
        name[0] = 0;
        return window ? GetClassNameA(hwnd(window), name, size) : 0;
    }
    bool windowScreenRect(WindowHandle window, ScreenRect& rect) override {
        RECT r;
        if (!window || !GetWindowRect(hwnd(window), &r)) return false;
        rect = {r.left, r.top, r.right, r.bottom};
        return true;
    }
    void resizeWindow(WindowHandle window, int32_t width, int32_t height) override {
        SetWindowPos(hwnd(window), HWND_TOP, 0, 0, width, height, SWP_NOMOVE);
    }
    int32_t dialogFrameHeight() override { return GetSystemMetrics(SM_CYDLGFRAME); }

    Sheet* loadSheet(WindowHandle window, int32_t resourceId) override {
        if (!window) return nullptr;
        Sheet* s = new (std::nothrow) Sheet;
        if (!s) return nullptr;
        if (HDC windowDC = GetDC(hwnd(window))) {
            s->memoryDC = CreateCompatibleDC(windowDC);
            ReleaseDC(hwnd(window), windowDC);
        }
        s->bitmap = LoadBitmapA(module(), MAKEINTRESOURCEA(resourceId));
        if (!s->memoryDC || !s->bitmap) {
            releaseSheet(s);
            return nullptr;
        }
        HGDIOBJ saved = SelectObject(s->memoryDC, s->bitmap);
        if (!saved || saved == HGDI_ERROR) {  // a bitmap the context cannot hold
            releaseSheet(s);
            return nullptr;
        }
        s->savedBitmap = saved;
        return s;
    }
    void releaseSheet(Sheet* s) override {
        if (!s) return;
        if (s->memoryDC) {
            if (s->savedBitmap) SelectObject(s->memoryDC, s->savedBitmap);
            DeleteDC(s->memoryDC);
        }
        if (s->bitmap) DeleteObject(s->bitmap);
        delete s;
    }

    void copyRect(Sheet* s, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t dstX,
                  int32_t dstY) override {
        if (s && width > 0 && height > 0) BitBlt(s->memoryDC, dstX, dstY, width, height, s->memoryDC, srcX, srcY, SRCCOPY);
    }
    void fillBlack(Sheet* s, int32_t x, int32_t y, int32_t width, int32_t height) override {
        if (s && width > 0 && height > 0) PatBlt(s->memoryDC, x, y, width, height, BLACKNESS);
    }

    void* acquireWindowContext(WindowHandle window) override { return window ? GetDC(hwnd(window)) : nullptr; }
    void present(void* context, Sheet* s, int32_t width, int32_t height) override {
        if (context && s) BitBlt(static_cast<HDC>(context), 0, 0, width, height, s->memoryDC, 0, 0, SRCCOPY);
    }
    void releaseWindowContext(WindowHandle window, void* context) override {
        if (context) ReleaseDC(hwnd(window), static_cast<HDC>(context));
    }
};

}  // namespace

Platform& win32Platform() {
    static Win32Platform platform;
    return platform;
}

}  // namespace platform
