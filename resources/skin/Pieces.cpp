// Pieces that appear both on the panel and in the sprite strip, drawn by one
// function each so that a sprite matches the spot it is copied onto.
#include "Parts.h"

#include <algorithm>
#include <cmath>

namespace {

// Meter colour at scale position p: green up to -3 dB, yellow to 0 dB, then
// orange into red over the drive range.
Rgb meterColour(int p) {
    if (p <= 177) return mix({0.16, 0.78, 0.30}, {0.36, 0.95, 0.34}, p / 177.0);
    if (p <= 210) return mix({0.85, 0.90, 0.22}, {1.0, 0.78, 0.16}, (p - 177) / 33.0);
    return mix({1.0, 0.58, 0.12}, {1.0, 0.16, 0.10}, std::min(1.0, (p - 210) / 150.0));
}

constexpr double kTrackProfile[14] = {0, 0.72, 1.0, 0.96, 0.92, 0.88, 0.84, 0.80, 0.76, 0.72, 0.68, 0.62, 0.52, 0};

// Cairo drawing clipped to a box, with the pixel hand-over on both sides.
template <typename F>
void vector(Canvas& c, double x, double y, double w, double h, F draw) {
    c.end();
    cairo_save(c.cr);
    cairo_rectangle(c.cr, x, y, w, h);
    cairo_clip(c.cr);
    draw(c.cr);
    cairo_restore(c.cr);
    c.begin();
}

}  // namespace

void levelTrack(Canvas& c, int x, int y, int width, bool lit) {
    for (int i = 0; i < width; ++i) {
        bool gap = i % 3 == 0;  // LED segments: two lit columns, one dark
        Rgb led = meterColour(i + 1);
        for (int r = 0; r < 14; ++r) {
            Rgb px;
            if (r == 0 || r == 13) {
                px = {0.01, 0.011, 0.013};
            } else if (lit) {
                px = scale(led, kTrackProfile[r] * (gap ? 0.32 : 1.0));
                if (r == 2 && !gap) px = mix(px, {1, 1, 1}, 0.25);
            } else {
                px = mix({0.045, 0.048, 0.055}, led, 0.10);
                px = scale(px, (0.7 + 0.3 * kTrackProfile[r]) * (gap ? 0.45 : 1.0));
            }
            // Hairline at 0 dB (column 209 is scale position 210), lit or dark.
            if (i == kMeterZeroX - kTrackX && r > 0 && r < 13) px = mix(px, {0.9, 0.9, 0.95}, lit ? 0.45 : 0.35);
            c.setRgb(x + i, y + r, px);
        }
    }
}

void reductionBar(Canvas& c, int x, int y, int width) {
    const double profile[4] = {0.80, 1.0, 0.84, 0.58};
    for (int i = 0; i < width; ++i) {
        bool gap = (x + i - kTrackX) % 3 == 0;
        for (int r = 0; r < 4; ++r) {
            Rgb red = scale({1.0, 0.13, 0.08}, profile[r] * (gap ? 0.35 : 1.0));
            if (r == 1 && !gap) red = mix(red, {1, 0.8, 0.7}, 0.18);
            c.setRgb(x + i, y + r, red);
        }
    }
}

void eqTrackInterior(Canvas& c, int x, int y, int width) {
    // A machined slot: dark shadow on top, lit lip at the bottom, a black
    // guide rail through the middle.
    const Rgb rows[14] = {{0.015, 0.015, 0.018}, {0.05, 0.052, 0.058}, {0.075, 0.078, 0.085}, {0.085, 0.088, 0.095},
                          {0.09, 0.093, 0.10},   {0.06, 0.062, 0.068}, {0.0, 0.0, 0.0},       {0.01, 0.01, 0.012},
                          {0.13, 0.135, 0.145},  {0.10, 0.104, 0.112}, {0.095, 0.098, 0.106}, {0.09, 0.093, 0.10},
                          {0.085, 0.088, 0.095}, {0.36, 0.37, 0.40}};
    for (int i = 0; i < width; ++i)
        for (int r = 0; r < 14; ++r) {
            Rgb px = rows[r];
            if (r > 0 && r < 13 && (i == 0 || i == width - 1)) px = scale(px, 0.4);
            c.setRgb(x + i, y + r, px);
        }
}

void sliderKnob(Canvas& c, int x, int y, bool atCentre) {
    vector(c, x, y, 19, 13, [&](cairo_t* cr) {
        roundedRect(cr, x + 0.5, y + 0.5, 18, 12, 2.2);
        gradientFill(cr, y, y + 13, {{0, {0.93, 0.94, 0.95}}, {0.45, {0.70, 0.71, 0.74}}, {1, {0.38, 0.39, 0.42}}},
                     true);
        outline(cr, {0.05, 0.05, 0.06});
        // Grip grooves either side of the index line.
        for (double gx : {4.5, 6.5, 12.5, 14.5}) {
            cairo_move_to(cr, x + gx, y + 3);
            cairo_line_to(cr, x + gx, y + 10);
            setColour(cr, {0.25, 0.26, 0.28}, 0.6);
            cairo_stroke(cr);
            cairo_move_to(cr, x + gx + 1, y + 3);
            cairo_line_to(cr, x + gx + 1, y + 10);
            setColour(cr, {1, 1, 1}, 0.35);
            cairo_stroke(cr);
        }
        cairo_rectangle(cr, x + 8, y + 2, 3, 9);
        setColour(cr, {0.08, 0.08, 0.09});
        cairo_fill(cr);
        cairo_rectangle(cr, x + 9, y + 2, 1, 9);
        setColour(cr, atCentre ? kAmber : Rgb{0.97, 0.97, 0.98});
        cairo_fill(cr);
    });
}

void dullSharpMarker(Canvas& c, int x, int y) {
    const char* shape[6] = {"....#....", "...###...", "..#####..", ".#######.", ".#######.", ".#######."};
    for (int r = 0; r < 6; ++r)
        for (int i = 0; i < 9; ++i) {
            if (shape[r][i] != '#') continue;
            Rgb px = mix({0.98, 0.98, 0.99}, {0.55, 0.56, 0.60}, r / 5.0);
            if (i == 4) px = kAmber;
            c.setRgb(x + i, y + r, px);
        }
    c.setRgb(x + 1, y + 5, {0.3, 0.3, 0.33});
    c.setRgb(x + 7, y + 5, {0.3, 0.3, 0.33});
}

void lamp(Canvas& c, int x, int y, bool lit) {
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 10; ++i) {
            bool edgeX = i == 0 || i == 9, edgeY = j == 0 || j == 6;
            if (edgeX && edgeY) continue;  // rounded corners show the bar
            if (edgeX || edgeY) {
                c.setRgb(x + i, y + j, j == 6 ? Rgb{0.30, 0.31, 0.33} : Rgb{0.01, 0.01, 0.01});
                continue;
            }
            double dx = (i - 4.5) / 4.0, dy = (j - 3.0) / 2.5;
            double d = std::min(1.0, std::sqrt(dx * dx + dy * dy));
            Rgb px = lit ? mix({0.80, 1.0, 0.70}, {0.20, 0.78, 0.22}, d) : mix({0.10, 0.17, 0.11}, {0.04, 0.07, 0.05}, d);
            if (i == 2 && j == 2) px = mix(px, {1, 1, 1}, lit ? 0.6 : 0.18);
            c.setRgb(x + i, y + j, px);
        }
}

void linkButton(Canvas& c, int x, int y, bool lit) {
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 18; ++i) {
            Rgb px = mix({0.42, 0.43, 0.46}, {0.18, 0.185, 0.20}, j / 9.0);
            if (j == 0 || i == 0) px = {0.62, 0.63, 0.66};
            if (j == 9 || i == 17) px = {0.05, 0.05, 0.06};
            c.setRgb(x + i, y + j, px);
        }
    // Two interlocked links.
    vector(c, x + 1, y + 1, 16, 8, [&](cairo_t* cr) {
        Rgb ink = lit ? kAmber : Rgb{0.08, 0.08, 0.09};
        if (lit) {
            cairo_rectangle(cr, x + 2, y + 2, 14, 6);
            setColour(cr, {0.45, 0.22, 0.02});
            cairo_fill(cr);
        }
        cairo_set_line_width(cr, 1.1);
        roundedRect(cr, x + 3.5, y + 3, 6.5, 4, 1.8);
        setColour(cr, ink);
        cairo_stroke(cr);
        roundedRect(cr, x + 8, y + 3, 6.5, 4, 1.8);
        setColour(cr, lit ? Rgb{1.0, 0.88, 0.55} : ink);
        cairo_stroke(cr);
    });
}

void eqTabLabel(Canvas& c, int x, int y, bool on) {
    vector(c, x, y, 26, 14, [&](cairo_t* cr) {
        TextStyle s{"DejaVu Sans", true, 10.0, 1.0, 0.8};
        if (on) drawText(cr, s, "EQ", x + 11, y + 11, 0, {0.5, 0.3, 0.05}, 0.5);
        drawText(cr, s, "EQ", x + 11, y + 11, 0, on ? kAmber : Rgb{0.30, 0.31, 0.33});
    });
    // A small status lamp beside the letters.
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            c.setRgb(x + 21 + i, y + 5 + j, on ? (i == 1 && j == 1 ? Rgb{1, 0.95, 0.8} : kAmber) : Rgb{0.12, 0.10, 0.08});
}

void lidCover(Canvas& c, int x, int y) {
    brushedMetal(c, x, y, 313, 20, kLidMetal, 0.05, 0x11du);
    verticalShade(c, x, y, 313, 20, 1.12, 0.78);
    bevel(c, x, y, 313, 20, {1, 1, 1}, {0, 0, 0}, 0.55, true);
    bevel(c, x + 1, y + 1, 311, 18, {1, 1, 1}, {0, 0, 0}, 0.20, true);
    // Grip ribs at the right end.
    for (int k = 0; k < 5; ++k) {
        int gx = x + 286 + k * 4;
        for (int j = 4; j < 16; ++j) {
            c.setRgb(gx, y + j, mix(c.getRgb(gx, y + j), {0, 0, 0}, 0.45));
            c.setRgb(gx + 1, y + j, mix(c.getRgb(gx + 1, y + j), {1, 1, 1}, 0.45));
        }
    }
    vector(c, x, y, 313, 20, [&](cairo_t* cr) {
        TextStyle s{"DejaVu Sans Condensed", true, 8.0, 1.0, 1.6};
        drawText(cr, s, "CHANNEL SELECT", x + 150, y + 14, 0, {1, 1, 1}, 0.5);
        drawText(cr, s, "CHANNEL SELECT", x + 150, y + 13, 0, {0.18, 0.19, 0.21});
    });
}

double lidKnobAngle(int frame) { return -M_PI / 2 + frame * (M_PI / 20); }

void lidKnob(Canvas& c, double cx, double cy, double angle) {
    vector(c, cx - 8.5, cy - 9.5, 17, 19, [&](cairo_t* cr) {
        cairo_arc(cr, cx + 0.6, cy + 0.9, 7.6, 0, 2 * M_PI);
        setColour(cr, {0, 0, 0}, 0.5);
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, 7.2, 0, 2 * M_PI);
        setColour(cr, {0.07, 0.07, 0.08});
        cairo_fill(cr);
        // Knurled rim: fine spokes that turn with the knob.
        for (int k = 0; k < 18; ++k) {
            double a = angle + k * M_PI / 9;
            cairo_move_to(cr, cx + std::cos(a) * 5.6, cy + std::sin(a) * 5.6);
            cairo_line_to(cr, cx + std::cos(a) * 7.0, cy + std::sin(a) * 7.0);
        }
        cairo_set_line_width(cr, 0.9);
        setColour(cr, {0.42, 0.43, 0.46});
        cairo_stroke(cr);
        cairo_pattern_t* p = cairo_pattern_create_radial(cx - 2, cy - 2.5, 0.5, cx, cy, 5.6);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.96, 0.96, 0.97);
        cairo_pattern_add_color_stop_rgb(p, 0.7, 0.64, 0.65, 0.68);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.40, 0.41, 0.44);
        cairo_arc(cr, cx, cy, 5.4, 0, 2 * M_PI);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, cx + std::cos(angle) * 1.0, cy + std::sin(angle) * 1.0);
        cairo_line_to(cr, cx + std::cos(angle) * 5.2, cy + std::sin(angle) * 5.2);
        setColour(cr, {0.85, 0.45, 0.05});
        cairo_stroke(cr);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    });
}

void warningText(Canvas& c, int x, int y) {
    c.fill(x, y, 57, 11, {0, 0, 0});
    vector(c, x, y, 57, 11, [&](cairo_t* cr) {
        TextStyle s{"DejaVu Sans Condensed", true, 9.0, 1.0, 0.3};
        s.xScale = std::min(1.0, 54.0 / textWidth(cr, s, "CAREFUL!!!"));
        drawText(cr, s, "CAREFUL!!!", x + 28.5, y + 9, 0, {1.0, 0.22, 0.12});
    });
}

void markerLine(Canvas& c, int x, int y, int h) {
    for (int j = 0; j < h; ++j) {
        c.setRgb(x, y + j, {0.55, 0.33, 0.06});
        c.setRgb(x + 1, y + j, {1.0, 0.95, 0.78});
        c.setRgb(x + 2, y + j, {0.40, 0.24, 0.04});
    }
}

void markerCap(Canvas& c, int x, int y, bool top) {
    for (int r = 0; r < 6; ++r) {
        int k = top ? r : 5 - r;  // distance from the wide edge
        int from = std::min(k, 4), to = 10 - std::min(k, 4);
        for (int i = from; i <= to; ++i) {
            Rgb px = mix({1.0, 0.80, 0.42}, {0.80, 0.48, 0.10}, k / 5.0);
            if (i == from || i == to) px = scale(px, 0.7);
            // The narrow end continues the marker line.
            if (k >= 4) px = i == 4 ? Rgb{0.55, 0.33, 0.06} : i == 5 ? Rgb{1.0, 0.95, 0.78} : Rgb{0.40, 0.24, 0.04};
            c.setRgb(x + i, y + r, px);
        }
    }
}
