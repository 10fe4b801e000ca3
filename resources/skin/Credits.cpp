// The credits picture shown while the logo is held: the product name, the
// credit lines, the year and the version, in a full and a compact height.
#include "Parts.h"

#include <cmath>

namespace {

void emblem(cairo_t* cr, double x, double y, double size) {
    roundedRect(cr, x, y, size, size, size * 0.16);
    gradientFill(cr, y, y + size, {{0, {0.82, 0.83, 0.85}}, {1, {0.42, 0.43, 0.46}}}, false);
    double inset = size * 0.12;
    roundedRect(cr, x + inset, y + inset, size - 2 * inset, size - 2 * inset, size * 0.08);
    setColour(cr, {0.05, 0.05, 0.06});
    cairo_fill(cr);
    // A wave driven into the ceiling: the maximizer's emblem.
    cairo_save(cr);
    cairo_rectangle(cr, x + inset, y + inset, size - 2 * inset, size - 2 * inset);
    cairo_clip(cr);
    double cy = y + size / 2, w = size - 2 * inset, amp = size * 0.36, ceil = size * 0.2;
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, x + inset, cy);
        for (int i = 0; i <= 200; ++i) {
            double t = i / 200.0;
            double v = std::sin(t * 2.3 * 2 * M_PI) * amp;
            if (pass == 1) v = std::fmax(-ceil, std::fmin(ceil, v));
            cairo_line_to(cr, x + inset + t * w, cy - v);
        }
        cairo_set_line_width(cr, pass == 0 ? size * 0.02 : size * 0.05);
        setColour(cr, pass == 0 ? Rgb{0.35, 0.25, 0.12} : kAmber, pass == 0 ? 0.7 : 1.0);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

}  // namespace

void drawCredits(Canvas& c, int top, int height) {
    bool full = height > kCompactHeight;
    brushedMetal(c, 0, top, 512, height, {0.10, 0.105, 0.115}, 0.05, 0xC0FFEEu + height);
    verticalShade(c, 0, top, 512, height, 1.25, 0.75);
    bevel(c, 0, top, 512, height, {1, 1, 1}, {0, 0, 0}, 0.35, true);
    c.end();
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, 512, height);
    cairo_clip(cr);

    double s = full ? 1.0 : 0.72;
    double emblemSize = 92 * s;
    double ex = 30 * s + 6, ey = top + (full ? 34 : 14);
    emblem(cr, ex, ey, emblemSize);

    double tx = ex + emblemSize + 24 * s;
    double y = ey + 30 * s;
    TextStyle name{"DejaVu Sans", true, 30 * s, 1.0, 0.5};
    TextStyle nameLight{"DejaVu Sans", false, 30 * s, 1.0, 0.5};
    double hokW = textWidth(cr, name, "Hok");
    engrave(cr, name, "Hok", tx, y, -1, {0.97, 0.97, 0.98});
    engrave(cr, nameLight, "Maximizer", tx + hokW + 9 * s, y, -1, {0.80, 0.82, 0.85});
    cairo_rectangle(cr, tx, y + 7 * s, 330 * s, 1.5);
    setColour(cr, kAmber, 0.8);
    cairo_fill(cr);

    TextStyle line{"DejaVu Sans", false, 11 * (full ? 1.0 : 0.85), 1.0, 0.2};
    TextStyle lineBold{"DejaVu Sans", true, 11 * (full ? 1.0 : 0.85), 1.0, 0.2};
    double step = full ? 19 : 13;
    double ly = y + (full ? 30 : 20);
    drawText(cr, line, "Half-wave look-ahead mastering maximizer", tx, ly, -1, {0.78, 0.80, 0.83});
    ly += step;
    drawText(cr, line, "Design, DSP and interface: Qel", tx, ly, -1, {0.78, 0.80, 0.83});
    if (full) {
        ly += step;
        drawText(cr, line, "Limiter, soft knee, gain smoother, four-band EQ", tx, ly, -1, {0.60, 0.62, 0.66});
    }
    ly += step + (full ? 8 : 2);
    drawText(cr, lineBold, "Version 1.1", tx, ly, -1, kAmber);
    drawText(cr, line, "\xC2\xA9 2026 Qel", tx + 110 * s, ly, -1, {0.78, 0.80, 0.83});

    TextStyle hint{"DejaVu Sans", false, 8.5, 1.0, 0.4};
    drawText(cr, hint, "release the button to return", 506, top + height - 7, 1, {0.45, 0.47, 0.50});
    cairo_restore(cr);
    c.begin();
}
