// doctest before Xlib, whose macros (None, Status...) would clash with its names.
#include <doctest.h>

#include "tests/x11/XHost.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>

#include <cstdio>
#include <cstdlib>

namespace xhost {

bool openHost() {
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("no X display (DISPLAY is '%s')\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return false;
    }
    XSetErrorHandler(hostErrorHandler);
    XSetIOErrorHandler(hostIOErrorHandler);
    return true;
}

int hostErrorHandler(Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
}
int hostIOErrorHandler(Display*) { std::_Exit(3); }

bool hasXTest() {
    int event, error, major, minor;
    return XTestQueryExtension(display, &event, &error, &major, &minor);
}

Window hostWindow(int x, int y, unsigned width, unsigned height) {
    const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, width, height, 0, 0, 0x404040);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
}

std::vector<Window> childrenOf(Window w) {
    Window root = 0, up = 0, *list = nullptr;
    unsigned n = 0;
    std::vector<Window> out;
    if (XQueryTree(display, w, &root, &up, &list, &n)) out.assign(list, list + n);
    if (list) XFree(list);
    return out;
}

std::string nameOf(Window w) {
    char* name = nullptr;
    std::string s;
    if (XFetchName(display, w, &name) && name) s = name;
    if (name) XFree(name);
    return s;
}

Geometry geometryOf(Window w) {
    Window root;
    Geometry g;
    unsigned border, depth;
    XGetGeometry(display, w, &root, &g.x, &g.y, &g.width, &g.height, &border, &depth);
    return g;
}

Window editorIn(Window in) {
    std::vector<Window> c = childrenOf(in);
    return c.size() == 1 ? c[0] : 0;
}

bool shownAtOrigin(Window w, int width, int height) {
    XWindowAttributes at = {};
    return XGetWindowAttributes(display, w, &at) && at.map_state == IsViewable && at.x == 0 && at.y == 0 &&
           at.width == width && at.height == height;
}

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

bool nothingLeft(Window parent, int baselineDescriptors) {
    return childrenOf(parent).empty() && openDescriptors() == baselineDescriptors;
}

std::vector<Window> notWindows() {
    static const Pixmap pixmap = XCreatePixmap(display, DefaultRootWindow(display), 8, 8,
                                               unsigned(DefaultDepth(display, DefaultScreen(display))));
    XSync(display, False);
    return {0, pixmap, 0x7ffffff0};
}

void pointerTo(Window w, int x, int y) {
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
    XSync(display, False);
}

void button(unsigned b, bool down) {
    XTestFakeButtonEvent(display, b, down ? True : False, CurrentTime);
    XSync(display, False);
}

void pressAt(Window w, int x, int y, bool release) {
    pointerTo(w, x, y);
    button(1, true);
    if (release) button(1, false);
}

std::vector<uint32_t> grab(Window w, int width, int height) {
    std::vector<uint32_t> out;
    XImage* im = XGetImage(display, w, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!im) return out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(uint32_t(XGetPixel(im, x, y)) & 0xFFFFFFu);
    XDestroyImage(im);
    return out;
}

int differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

std::vector<uint32_t> settledGrab(Window w, int height, const std::function<void()>& idle) {
    std::vector<uint32_t> shown, before;
    for (int i = 0; i < 40 && (shown.empty() || shown != before); ++i) {
        before = shown;
        idle();
        shown = grab(w, 512, height);
    }
    return shown;
}

void expectShows(Window w, const std::vector<uint32_t>& expected, int height, const std::function<void()>& idle) {
    CHECK_EQ(int(geometryOf(w).height), height);
    const std::vector<uint32_t> shown = settledGrab(w, height, idle);
    CHECK_EQ(shown.size(), size_t(512) * size_t(height));
    CHECK_EQ(differing(shown, expected), 0);
    int black = 0;
    for (uint32_t px : shown) black += px == 0;
    CHECK(black < int(shown.size()) / 2);  // a painted panel, not an empty window
}

std::vector<uint32_t> HeadlessScreen::picture(int& height) {
    platform::HeadlessWindow* window = screen.lastWindowOfClass("Hokclass");
    if (!window) return {};
    for (int i = 0; i < 150; ++i) screen.tick(window);
    height = window->surface.height;
    return window->surface.pixels;
}

}  // namespace xhost
