// Drawing helpers for the sprite-sheet generator: one cairo RGB surface for
// the whole sheet, direct pixel access, a seeded noise source and the few
// shapes the artwork is built from (brushed metal, bevels, wells, text).
#pragma once
#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t);
Rgb scale(Rgb c, double k);

// The sheet surface and a context on it. Pixel access and cairo drawing are
// interleaved: end() hands pixels written directly back to cairo, begin()
// makes cairo's drawing visible to direct reads.
struct Canvas {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0;
    int height = 0;

    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    uint32_t get(int x, int y);
    void set(int x, int y, uint32_t px);
    void setRgb(int x, int y, Rgb c);
    Rgb getRgb(int x, int y);
    // Copies a w × h block of pixels (both rectangles on this sheet).
    void copy(int sx, int sy, int w, int h, int dx, int dy);
    void fill(int x, int y, int w, int h, Rgb c);
    void begin();
    void end();
};

// Deterministic noise: the same numbers every run and on every machine.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    uint32_t next();
    double unit();        // 0 .. 1
    double signedUnit();  // -1 .. 1
};

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);

// Horizontally brushed metal over a rectangle (pixel operation).
void brushedMetal(Canvas& c, int x, int y, int w, int h, Rgb base, double grain, uint32_t seed);
// Vertical light-to-dark shade multiplied over a rectangle (pixel operation).
void verticalShade(Canvas& c, int x, int y, int w, int h, double top, double bottom);
// One-pixel frame lines: light top/left and dark bottom/right (raised), or
// the reverse (inset).
void bevel(Canvas& c, int x, int y, int w, int h, Rgb light, Rgb dark, double strength, bool raised);
// An inset black display window with a two-pixel bezel around x, y, w × h
// (the interior is pure black so light-on-black glyphs sit in it seamlessly).
void displayWell(Canvas& c, int x, int y, int w, int h);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// A stop of a vertical gradient: its offset, 0 at the top to 1 at the bottom.
struct GradientStop {
    double offset;
    Rgb colour;
};
// Fills the current path with a vertical gradient from y0 down to y1; with
// keepPath the path stays for a stroke.
void gradientFill(cairo_t* cr, double y0, double y1, std::initializer_list<GradientStop> stops, bool keepPath);
// Strokes the current path one pixel wide.
void outline(cairo_t* cr, Rgb colour, double alpha = 1.0);
// A slotted screw head centred at cx, cy.
void screw(cairo_t* cr, double cx, double cy, double radius, double angle);

struct TextStyle {
    const char* family = "DejaVu Sans";
    bool bold = false;
    double size = 9.0;
    double xScale = 1.0;    // horizontal squeeze
    double tracking = 0.0;  // extra pixels between letters
};

// Width in pixels of a text in a style.
double textWidth(cairo_t* cr, const TextStyle& s, const std::string& text);
// Draws text with its baseline at y; align -1 left, 0 centre, 1 right of x.
void drawText(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y, int align, Rgb colour,
              double alpha = 1.0);
// Engraved label: light text over a one-pixel dark shadow.
void engrave(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y, int align, Rgb colour);
