// The Xlib layer's record of one editor window, and the pieces of the layer
// that work on one window: reading its events and showing a frame in it.
#pragma once
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Image.h"
#include "platform/Platform.h"

namespace platform::x11 {

using Clock = std::chrono::steady_clock;

struct Timer {
    uintptr_t id;
    std::chrono::milliseconds period;
    Clock::time_point due;
};

// A child window of the host's window, on a connection of its own.
struct X11Window {
    Display* display = nullptr;
    Window id = 0;
    Window parent = 0;  // the host's window
    std::string className;
    void* userData = nullptr;
    int32_t width = 0, height = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    Cursor cursor = 0;
    XImage* frame = nullptr;     // what present sends, in the window's pixel format
    std::vector<Timer> timers;
    bool gone = false;           // destroyed with its parent, or its connection broke
};

// What one event means for the window.
struct EventMeaning {
    WindowMessage message = WindowMessage::Other;  // for the editor; Other: nothing
    int32_t packedPosition = 0;
    bool destroyed = false;  // the window itself was destroyed
    bool crossing = false;   // the pointer crossed a border of the window, or a grab began or ended
    int32_t width = -1, height = -1;  // a new size, when the event tells one
};
EventMeaning meaningOf(const XEvent& event, Window self);

// Copies the sheet's top-left width × height block, clipped to the window,
// into the window's frame image and sends it. False when nothing was sent.
bool showFrame(X11Window& window, const Image& sheet, int32_t width, int32_t height);
// Frees the frame image.
void dropFrame(X11Window& window);
// Visuals whose pixels showFrame can compose (true colour).
bool canShow(const Visual* visual);

}  // namespace platform::x11
