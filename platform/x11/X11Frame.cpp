// Showing a frame: the software sheet's pixels (0x00RRGGBB) are converted to
// the window visual's pixel values in a client-side image, which XPutImage
// sends. A whole 512 × 218 frame costs well under a millisecond on a local
// server, so the shared-memory extension is not needed.
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "platform/x11/X11Window.h"

namespace platform::x11 {

namespace {

// One colour channel of a true-colour visual: an 8-bit value scaled to the
// mask's width and shifted to its place.
struct Channel {
    unsigned shift = 0;
    uint32_t top = 0;  // largest value the mask holds
    explicit Channel(unsigned long mask)
        : shift(mask ? unsigned(std::countr_zero(mask)) : 0u), top(uint32_t(mask >> shift)) {}
    unsigned long place(uint32_t value8) const { return (unsigned long)((value8 * top + 127) / 255) << shift; }
};

struct PixelFormat {
    Channel red, green, blue;
    unsigned long opaque;  // bits of a 32-deep visual outside the colour masks: alpha
    explicit PixelFormat(const X11Window& w)
        : red(w.visual->red_mask), green(w.visual->green_mask), blue(w.visual->blue_mask),
          opaque((w.depth >= 32 ? 0xFFFFFFFFul : (1ul << w.depth) - 1) &
                 ~(w.visual->red_mask | w.visual->green_mask | w.visual->blue_mask)) {}
    unsigned long pixel(uint32_t rgb) const {
        return red.place((rgb >> 16) & 0xFF) | green.place((rgb >> 8) & 0xFF) | blue.place(rgb & 0xFF) | opaque;
    }
};

// A client-side image of the given size, made anew when the size changes.
XImage* frameOfSize(X11Window& w, int32_t width, int32_t height) {
    if (w.frame && w.frame->width == width && w.frame->height == height) return w.frame;
    dropFrame(w);
    XImage* image = XCreateImage(w.display, w.visual, unsigned(w.depth), ZPixmap, 0, nullptr, unsigned(width),
                                 unsigned(height), 32, 0);
    if (!image) return nullptr;
    image->data = static_cast<char*>(std::malloc(size_t(image->bytes_per_line) * size_t(height)));
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    w.frame = image;
    return image;
}

}  // namespace

bool canShow(const Visual* visual) {
    return visual && (visual->c_class == TrueColor || visual->c_class == DirectColor);
}

void dropFrame(X11Window& w) {
    if (w.frame) XDestroyImage(w.frame);  // frees its pixels too
    w.frame = nullptr;
}

bool showFrame(X11Window& w, const Image& sheet, int32_t width, int32_t height) {
    const int32_t wCopy = std::min({width, w.width, sheet.width});
    const int32_t hCopy = std::min({height, w.height, sheet.height});
    if (wCopy <= 0 || hCopy <= 0) return false;
    XImage* image = frameOfSize(w, wCopy, hCopy);
    if (!image) return false;
    const PixelFormat format(w);
    for (int32_t y = 0; y < hCopy; ++y)
        for (int32_t x = 0; x < wCopy; ++x) XPutPixel(image, x, y, format.pixel(sheet.at(x, y)));
    XPutImage(w.display, w.id, w.gc, image, 0, 0, 0, 0, unsigned(wCopy), unsigned(hCopy));
    XFlush(w.display);
    return true;
}

}  // namespace platform::x11
