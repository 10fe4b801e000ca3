// The windowing and graphics services the editor needs, and nothing more:
// a child window with a user-data slot, a refresh timer, mouse capture and
// the arrow cursor, the parent chain with class names and screen rectangles,
// resizing, the dialog-frame metric, and the sprite sheet (loaded by resource
// identifier) that serves as artwork and back buffer, with rectangle copies,
// black fills and presentation to the window.
//
// Three implementations: Win32/GDI (the Windows plug-ins), Xlib (the Linux
// plug-in) and headless (every test). The editor reaches the platform only
// through currentPlatform(), which tests may replace.
//
// All calls are made on the user-interface thread.
#pragma once
#include <cstdint>

namespace platform {

// A native window: HWND on Windows, a node of the in-memory tree headless. On
// X11 a host's window is its window id and the editor's own windows are
// records of the Xlib layer.
using WindowHandle = void*;

// The loaded sprite sheet together with whatever the platform needs to draw
// into it and show it (on Windows: the bitmap, the window's device context and
// a memory context with the bitmap selected). Defined by each platform.
struct Sheet;

// A window's rectangle in screen coordinates; right and bottom exclusive.
struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// The messages the editor's window procedure tells apart.
enum class WindowMessage : uint8_t {
    Paint,            // paint request
    EraseBackground,  // erase-background request
    Timer,            // a timer expired; timerId says which
    MouseMove,
    LeftButtonDown,
    LeftButtonUp,
    RightButtonDown,
    RightButtonUp,
    CaptureLost,      // the mouse capture went to another window or was released
    Destroyed,        // the window went without the editor (its parent or its connection died)
    Other,            // anything else
};

// What the platform does after the editor saw a message: pass it on to the
// system's default handling, or answer `result` without default handling.
struct MessageResult {
    bool useDefault = true;
    intptr_t result = 0;
};

// The editor-side window procedure. Every platform hands each message an
// editor window receives to the procedure the editor installed (before it
// registers its window class); without one, messages get default handling.
// packedPosition carries the mouse position as the system packs it: x in the
// low 16 bits, y in the high 16 bits, both signed. timerId is meaningful for
// Timer only.
using WindowProcedure = MessageResult (*)(WindowHandle window, WindowMessage message, uintptr_t timerId,
                                          int32_t packedPosition);
void setEditorWindowProc(WindowProcedure procedure);
MessageResult editorWindowProc(WindowHandle window, WindowMessage message, uintptr_t timerId,
                               int32_t packedPosition);

class Platform {
public:
    virtual ~Platform() = default;

    // --- Window class and windows ---

    // Registers the editor window class under this name: window procedure
    // forwarding to editorWindowProc, the arrow cursor, the button-face
    // background, no icon, no menu, no extra bytes. Returns false on failure.
    virtual bool registerWindowClass(const char* className) = 0;
    virtual void unregisterWindowClass(const char* className) = 0;

    // Creates a visible child window of `parent` at (0, 0) with the given
    // client size. Returns null on failure.
    virtual WindowHandle createChildWindow(const char* className, const char* title, WindowHandle parent,
                                           int32_t width, int32_t height) = 0;
    virtual void destroyWindow(WindowHandle window) = 0;

    // The window's user-data slot (the editor pointer). Null until set.
    virtual void setUserData(WindowHandle window, void* data) = 0;
    virtual void* userData(WindowHandle window) = 0;

    // --- Timer, mouse and cursor ---

    // Starts a periodic timer on the window; its expiries arrive as Timer
    // messages. Returns the timer's identifier, 0 on failure.
    virtual uintptr_t startTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) = 0;
    virtual void stopTimer(WindowHandle window, uintptr_t id) = 0;

    // Mouse messages go to the window even outside it until released.
    virtual void captureMouse(WindowHandle window) = 0;
    virtual void releaseMouse() = 0;
    virtual void setArrowCursor() = 0;

    // --- Geometry of the host's windows ---

    // The parent of a window, or null at the top or for a null window.
    virtual WindowHandle parentWindow(WindowHandle window) = 0;
    // Writes the window's class name (zero-terminated, cut to size - 1
    // characters) and returns its length; 0 and an empty text on failure.
    virtual int32_t windowClassName(WindowHandle window, char* name, int32_t size) = 0;
    // The window's rectangle on the screen; false on failure.
    virtual bool windowScreenRect(WindowHandle window, ScreenRect& rect) = 0;
    // Resizes the window, keeping its position, and brings it to the top of
    // the Z order.
    virtual void resizeWindow(WindowHandle window, int32_t width, int32_t height) = 0;
    // The vertical thickness of a dialog frame as the system reports it.
    virtual int32_t dialogFrameHeight() = 0;
    // True when the host's windows are out of the editor's reach and the host
    // is asked to fit them to the editor (X11: another client's windows).
    virtual bool hostFitsFrames() { return false; }
    // The window as the system names it to other clients: the HWND on
    // Windows, the window id on X11 (the editor's own windows are records
    // there), the handle itself headless. Plug-in formats that hand the
    // host the editor's window (LV2's widget) pass this.
    virtual uintptr_t nativeWindow(WindowHandle window) { return reinterpret_cast<uintptr_t>(window); }

    // --- Polling ---

    // Delivers the window's pending system events and due timer expiries to
    // its procedure, where windows hear of nothing unless asked (X11). The
    // window may be destroyed by what its procedure does.
    virtual void pollEvents(WindowHandle window) { (void)window; }

    // --- The sprite sheet ---

    // Loads the bitmap resource with this identifier and prepares it for
    // drawing and for presenting to `window`. Returns null on any failure,
    // with nothing left allocated.
    virtual Sheet* loadSheet(WindowHandle window, int32_t resourceId) = 0;
    // Releases everything loadSheet obtained. Null is ignored.
    virtual void releaseSheet(Sheet* sheet) = 0;

    // Copies the sheet rectangle (srcX, srcY, width × height) to (dstX, dstY)
    // of the same sheet. Parts outside the sheet are clipped.
    virtual void copyRect(Sheet* sheet, int32_t srcX, int32_t srcY, int32_t width, int32_t height,
                          int32_t dstX, int32_t dstY) = 0;
    // Fills a sheet rectangle with black. Parts outside the sheet are clipped.
    virtual void fillBlack(Sheet* sheet, int32_t x, int32_t y, int32_t width, int32_t height) = 0;

    // Presenting a frame: obtain the window's drawing context (null when it
    // cannot be had), copy the sheet's top-left width × height block to the
    // window's origin (clipped to the window), release the context.
    virtual void* acquireWindowContext(WindowHandle window) = 0;
    virtual void present(void* context, Sheet* sheet, int32_t width, int32_t height) = 0;
    virtual void releaseWindowContext(WindowHandle window, void* context) = 0;
};

// The platform the editor uses: the build's own unless replaced.
Platform& currentPlatform();
// Replaces the current platform (tests); null restores the build's own.
void setCurrentPlatform(Platform* replacement);

// The build's own platform object, one per process. headlessPlatform()
// exists in every build. The Win32 layer defines win32Platform() and ships
// platform/win32/Win32Platform.h; Windows builds use it when that header exists.
// The Xlib layer defines x11Platform() and ships platform/x11/X11Platform.h;
// Linux builds use it likewise.
Platform& win32Platform();
Platform& x11Platform();
Platform& headlessPlatform();

}  // namespace platform
