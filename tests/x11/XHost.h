// The X11 side of the editor host tests: the host's own connection and
// window, what it sees of the windows in it (children, geometry, names,
// pixels), the pointer driven through XTest, the file descriptors that tell
// whether a connection was left open, and the headless picture the window
// is compared with.
#pragma once
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

namespace xhost {

inline Display* display = nullptr;  // the host's own connection

// Opens the host's connection to the display DISPLAY names, under the host's
// own error handlers: errors are counted in hostErrors, a broken connection
// ends the process. False, after saying so, when there is no display.
bool openHost();
inline int hostErrors = 0;
int hostErrorHandler(Display*, XErrorEvent*);
int hostIOErrorHandler(Display*);
bool hasXTest();
// A mapped top-level window of the host, grey.
Window hostWindow(int x, int y, unsigned width, unsigned height);

std::vector<Window> childrenOf(Window w);
std::string nameOf(Window w);

struct Geometry {
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
};
Geometry geometryOf(Window w);
// The editor's window in `in`: its only child, or 0.
Window editorIn(Window in);
// True when the window is viewable, at its parent's origin and of this size.
bool shownAtOrigin(Window w, int width, int height);

// File descriptors of this process: each X connection holds one.
int openDescriptors();
// No window left in `parent` and no connection left open.
bool nothingLeft(Window parent, int baselineDescriptors);
// Ids a plug-in must refuse as its parent: none, a pixmap, no resource at all.
std::vector<Window> notWindows();

void pointerTo(Window w, int x, int y);
void button(unsigned b, bool down);
// Button 1 pressed at (x, y) of the window, and released when `release`.
void pressAt(Window w, int x, int y, bool release = false);

// The window's pixels as 0x00RRGGBB (the server's visual is 24-bit RGB).
std::vector<uint32_t> grab(Window w, int width, int height);
// Pixels that differ between two pictures of the same size; -1 when the sizes differ.
int differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
// Calls `idle` (which lets about 250 ms pass) until two grabs of the
// 512-wide window agree, 40 times at most: the editor's meters rest.
std::vector<uint32_t> settledGrab(Window w, int height, const std::function<void()>& idle);
// Checks that the window is `height` high and, once settled, shows
// `expected` pixel for pixel, and that this is a painted panel.
void expectShows(Window w, const std::vector<uint32_t>& expected, int height, const std::function<void()>& idle);

// The headless platform, current while this lives; the caller opens an
// editor in frame(), and picture() ticks it until its meters rest.
struct HeadlessScreen {
    platform::HeadlessPlatform screen;
    HeadlessScreen() { platform::setCurrentPlatform(&screen); }
    ~HeadlessScreen() { platform::setCurrentPlatform(nullptr); }
    platform::HeadlessWindow* frame() { return screen.createHostWindow("HostFrame", nullptr, {0, 0, 600, 300}); }
    // The editor's pixels and height; empty when no editor opened.
    std::vector<uint32_t> picture(int& height);
};

}  // namespace xhost
