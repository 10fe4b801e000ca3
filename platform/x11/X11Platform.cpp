#include "platform/x11/X11Platform.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <memory>
#include <new>
#include <set>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Window.h"
#include "resources/SkinResource.h"

namespace platform {

namespace {

using x11::X11Window;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
constexpr unsigned kGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

Window xid(WindowHandle handle) { return static_cast<Window>(reinterpret_cast<uintptr_t>(handle)); }

// Frees what the window holds on its connection and closes the connection;
// the server frees the rest with it. A window that is gone takes no requests.
void dispose(X11Window& w) {
    x11::dropFrame(w);
    if (!w.gone) {
        XDestroyWindow(w.display, w.id);
        if (w.cursor) XFreeCursor(w.display, w.cursor);
    }
    if (w.gc) XFreeGC(w.display, w.gc);
    x11::closeConnection(w.display);
}

class X11Platform final : public Platform {
public:
    bool registerWindowClass(const char* className) override {
        return className && classes.insert(className).second;  // duplicates refused, as on Windows
    }
    void unregisterWindowClass(const char* className) override {
        if (className) classes.erase(className);
    }

    WindowHandle createChildWindow(const char* className, const char* title, WindowHandle parent, int32_t width,
                                   int32_t height) override {
        if (!parent || !className || !classes.count(className) || width <= 0 || height <= 0) return nullptr;
        auto w = std::unique_ptr<X11Window>(new (std::nothrow) X11Window);
        if (!w || !(w->display = x11::openConnection())) return nullptr;
        Display* d = w->display;
        const unsigned long errorsBefore = x11::errorCount(d);
        w->parent = xid(parent);
        w->className = className;
        w->width = width;
        w->height = height;
        w->cursor = XCreateFontCursor(d, XC_left_ptr);
        XSetWindowAttributes attributes = {};
        attributes.background_pixmap = None;  // no clearing before the frame is drawn
        attributes.bit_gravity = NorthWestGravity;
        attributes.event_mask = kEventMask;
        attributes.cursor = w->cursor;
        w->id = XCreateWindow(d, w->parent, 0, 0, unsigned(width), unsigned(height), 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask | CWCursor, &attributes);
        XStoreName(d, w->id, title ? title : "");
        XWindowAttributes actual = {};
        // A parent that is no window (or none of this display) shows as an error here.
        const bool made = XGetWindowAttributes(d, w->id, &actual) != 0 && x11::errorCount(d) == errorsBefore;
        if (made) {
            w->visual = actual.visual;
            w->depth = actual.depth;
            w->gc = XCreateGC(d, w->id, 0, nullptr);
            XMapWindow(d, w->id);
            XSync(d, False);
        }
        if (!made || !w->gc || !x11::canShow(w->visual) || x11::errorCount(d) != errorsBefore) {
            w->gone = !made;
            dispose(*w);
            return nullptr;
        }
        windows.push_back(std::move(w));
        return windows.back().get();
    }

    void destroyWindow(WindowHandle handle) override {
        X11Window* w = live(handle);
        if (!w) return;
        if (captured == w) captured = nullptr;
        dispose(*w);
        windows.erase(std::find_if(windows.begin(), windows.end(), [w](const auto& p) { return p.get() == w; }));
    }

    void setUserData(WindowHandle handle, void* data) override {
        if (X11Window* w = live(handle)) w->userData = data;
    }
    void* userData(WindowHandle handle) override {
        X11Window* w = live(handle);
        return w ? w->userData : nullptr;
    }

    uintptr_t startTimer(WindowHandle handle, uintptr_t id, uint32_t periodMs) override {
        X11Window* w = live(handle);
        if (!w || id == 0 || periodMs == 0) return 0;
        stopTimer(handle, id);
        const std::chrono::milliseconds period(periodMs);
        w->timers.push_back({id, period, x11::Clock::now() + period});
        return id;
    }
    void stopTimer(WindowHandle handle, uintptr_t id) override {
        if (X11Window* w = live(handle))
            std::erase_if(w->timers, [id](const x11::Timer& t) { return t.id == id; });
    }

    // A pointer grab: motion and buttons keep coming while the pointer is
    // outside the window, until released or lost (pollEvents).
    void captureMouse(WindowHandle handle) override {
        X11Window* w = live(handle);
        if (w && !w->gone && grabPointer(*w)) captured = w;
    }
    void releaseMouse() override {
        X11Window* w = captured;
        captured = nullptr;
        if (!w || w->gone) return;
        XUngrabPointer(w->display, CurrentTime);
        XFlush(w->display);
    }
    // The arrow is the window's own cursor, set when it was made.
    void setArrowCursor() override {}

    // Only the editor's own windows are known; the host's are another client's.
    WindowHandle parentWindow(WindowHandle handle) override {
        X11Window* w = live(handle);
        return w ? reinterpret_cast<WindowHandle>(uintptr_t(w->parent)) : nullptr;
    }
    int32_t windowClassName(WindowHandle handle, char* name, int32_t size) override {
        if (!name || size <= 0) return 0;
        name[0] = 0;
        X11Window* w = live(handle);
        if (!w) return 0;
        const int32_t n = int32_t(w->className.copy(name, size_t(size - 1)));
        name[n] = 0;
        return n;
    }
    bool windowScreenRect(WindowHandle handle, ScreenRect& rect) override {
        X11Window* w = live(handle);
        int x = 0, y = 0;
        Window child = 0;
        if (!w || w->gone ||
            !XTranslateCoordinates(w->display, w->id, DefaultRootWindow(w->display), 0, 0, &x, &y, &child))
            return false;
        rect = {x, y, x + w->width, y + w->height};
        return true;
    }
    void resizeWindow(WindowHandle handle, int32_t width, int32_t height) override {
        X11Window* w = live(handle);
        if (!w || w->gone || width <= 0 || height <= 0) return;
        XWindowChanges changes = {};
        changes.width = width;
        changes.height = height;
        changes.stack_mode = Above;
        XConfigureWindow(w->display, w->id, CWWidth | CWHeight | CWStackMode, &changes);
        XFlush(w->display);
        w->width = width;
        w->height = height;
    }
    int32_t dialogFrameHeight() override { return 0; }  // no frames of ours around the window
    bool hostFitsFrames() override { return true; }
    uintptr_t nativeWindow(WindowHandle handle) override {
        X11Window* w = live(handle);
        return w && !w->gone ? uintptr_t(w->id) : 0;
    }

    void pollEvents(WindowHandle handle) override;

    // The software sheet of the headless layer: the same drawing code, so
    // the same pictures.
    Sheet* loadSheet(WindowHandle handle, int32_t resourceId) override {
        if (!live(handle) || resourceId != kSkinResourceId) return nullptr;
        auto sheet = std::unique_ptr<Sheet>(new (std::nothrow) Sheet);
        if (!sheet || !decodeBmp24(skinResourceBytes(), skinResourceSize(), sheet->image)) return nullptr;
        return sheet.release();
    }
    void releaseSheet(Sheet* sheet) override { delete sheet; }
    void copyRect(Sheet* sheet, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t dstX,
                  int32_t dstY) override {
        headlessPlatformObject().copyRect(sheet, srcX, srcY, width, height, dstX, dstY);
    }
    void fillBlack(Sheet* sheet, int32_t x, int32_t y, int32_t width, int32_t height) override {
        headlessPlatformObject().fillBlack(sheet, x, y, width, height);
    }

    void* acquireWindowContext(WindowHandle handle) override {
        X11Window* w = live(handle);
        return w && !w->gone ? w : nullptr;
    }
    void present(void* context, Sheet* sheet, int32_t width, int32_t height) override {
        X11Window* w = live(context);
        if (w && !w->gone && sheet) x11::showFrame(*w, sheet->image, width, height);
    }
    void releaseWindowContext(WindowHandle, void*) override {}

private:
    // Takes the grab, or keeps it when this connection holds it already.
    static bool grabPointer(X11Window& w) {
        return XGrabPointer(w.display, w.id, False, kGrabMask, GrabModeAsync, GrabModeAsync, None, None,
                            CurrentTime) == GrabSuccess;
    }
    X11Window* live(const void* handle) const {
        for (const auto& w : windows)
            if (w.get() == handle) return w.get();
        return nullptr;
    }
    bool deliver(WindowHandle handle, WindowMessage message, uintptr_t timer, int32_t packedPosition) {
        editorWindowProc(handle, message, timer, packedPosition);
        return live(handle) != nullptr;  // the procedure may have closed the editor
    }

    std::vector<std::unique_ptr<X11Window>> windows;
    std::set<std::string> classes;
    X11Window* captured = nullptr;
};

void X11Platform::pollEvents(WindowHandle handle) {
    X11Window* w = live(handle);
    if (!w) return;
    Display* d = w->display;
    while (!w->gone && !x11::connectionLost(d) && XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        const x11::EventMeaning m = x11::meaningOf(event, w->id);
        if (m.width > 0 && m.height > 0) {
            w->width = m.width;
            w->height = m.height;
        }
        w->gone = w->gone || m.destroyed;
        WindowMessage message = m.message;
        // A grab ends without a word when its window becomes unviewable (the
        // host hid or unmapped its window); the pointer then crosses a window
        // border. Taking the grab again tells whether it is still ours: if
        // not, the button-up will not come.
        if (m.crossing && captured == w && !grabPointer(*w)) {
            captured = nullptr;
            message = WindowMessage::CaptureLost;
        }
        if (message != WindowMessage::Other && !deliver(handle, message, 0, m.packedPosition)) return;
    }
    if (x11::connectionLost(d)) w->gone = true;
    if (w->gone) {
        if (captured == w) captured = nullptr;
        deliver(handle, WindowMessage::Destroyed, 0, 0);
        return;
    }
    // Ticks by the clock, however often the host polls; one per poll at most,
    // as a late system timer delivers one expiry.
    const x11::Clock::time_point now = x11::Clock::now();
    std::vector<uintptr_t> due;
    for (x11::Timer& t : w->timers) {
        if (now < t.due) continue;
        due.push_back(t.id);
        t.due += t.period;
        if (t.due <= now) t.due = now + t.period;
    }
    for (uintptr_t id : due)
        if (!deliver(handle, WindowMessage::Timer, id, 0)) return;
}

}  // namespace

Platform& x11Platform() {
    static X11Platform platform;
    return platform;
}

}  // namespace platform
