#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb scale(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }

static uint32_t pack(Rgb c) {
    auto ch = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

Canvas::Canvas(int w, int h) : width(w), height(h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_surface_flush(surface);
}

Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void Canvas::begin() { cairo_surface_flush(surface); }
void Canvas::end() { cairo_surface_mark_dirty(surface); }

uint32_t Canvas::get(int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<uint32_t*>(row)[x] & 0xFFFFFFu;
}

void Canvas::set(int x, int y, uint32_t px) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    reinterpret_cast<uint32_t*>(row)[x] = px & 0xFFFFFFu;
}

void Canvas::setRgb(int x, int y, Rgb c) { set(x, y, pack(c)); }

Rgb Canvas::getRgb(int x, int y) {
    uint32_t p = get(x, y);
    return {((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0, (p & 255) / 255.0};
}

void Canvas::copy(int sx, int sy, int w, int h, int dx, int dy) {
    std::vector<uint32_t> block(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) block[y * w + x] = get(sx + x, sy + y);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set(dx + x, dy + y, block[y * w + x]);
}

void Canvas::fill(int x, int y, int w, int h, Rgb c) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) setRgb(x + i, y + j, c);
}

uint32_t Noise::next() {
    // xorshift32
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

double Noise::unit() { return (next() >> 8) / 16777216.0; }
double Noise::signedUnit() { return unit() * 2.0 - 1.0; }

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void brushedMetal(Canvas& c, int x, int y, int w, int h, Rgb base, double grain, uint32_t seed) {
    Noise n(seed);
    const int radius = 24;
    std::vector<double> row(static_cast<size_t>(w) + 2 * radius + 1), smooth(static_cast<size_t>(w));
    for (int j = 0; j < h; ++j) {
        for (auto& v : row) v = n.signedUnit();
        // Long streaks: a wide running average along the row, plus fine grain.
        double acc = 0;
        for (int i = 0; i < 2 * radius + 1; ++i) acc += row[i];
        for (int i = 0; i < w; ++i) {
            smooth[i] = acc / (2 * radius + 1);
            acc += row[i + 2 * radius + 1 < static_cast<int>(row.size()) ? i + 2 * radius + 1 : row.size() - 1] - row[i];
        }
        double rowShade = n.signedUnit() * 0.35;
        for (int i = 0; i < w; ++i) {
            double k = 1.0 + grain * (smooth[i] * 3.0 + rowShade + 0.35 * n.signedUnit());
            c.setRgb(x + i, y + j, scale(base, k));
        }
    }
}

void verticalShade(Canvas& c, int x, int y, int w, int h, double top, double bottom) {
    for (int j = 0; j < h; ++j) {
        double k = h > 1 ? top + (bottom - top) * j / (h - 1) : top;
        for (int i = 0; i < w; ++i) c.setRgb(x + i, y + j, scale(c.getRgb(x + i, y + j), k));
    }
}

void bevel(Canvas& c, int x, int y, int w, int h, Rgb light, Rgb dark, double strength, bool raised) {
    Rgb tl = raised ? light : dark;
    Rgb br = raised ? dark : light;
    for (int i = 0; i < w; ++i) {
        c.setRgb(x + i, y, mix(c.getRgb(x + i, y), tl, strength));
        c.setRgb(x + i, y + h - 1, mix(c.getRgb(x + i, y + h - 1), br, strength));
    }
    for (int j = 1; j < h - 1; ++j) {
        c.setRgb(x, y + j, mix(c.getRgb(x, y + j), tl, strength));
        c.setRgb(x + w - 1, y + j, mix(c.getRgb(x + w - 1, y + j), br, strength));
    }
}

void displayWell(Canvas& c, int x, int y, int w, int h) {
    bevel(c, x - 2, y - 2, w + 4, h + 4, {1, 1, 1}, {0, 0, 0}, 0.35, false);
    bevel(c, x - 1, y - 1, w + 2, h + 2, {0.35, 0.36, 0.38}, {0.02, 0.02, 0.03}, 0.9, false);
    c.fill(x, y, w, h, {0, 0, 0});
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void gradientFill(cairo_t* cr, double y0, double y1, std::initializer_list<GradientStop> stops, bool keepPath) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
    for (const GradientStop& s : stops) cairo_pattern_add_color_stop_rgb(g, s.offset, s.colour.r, s.colour.g, s.colour.b);
    cairo_set_source(cr, g);
    if (keepPath) cairo_fill_preserve(cr);
    else cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void outline(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_line_width(cr, 1);
    setColour(cr, colour, alpha);
    cairo_stroke(cr);
}

void screw(cairo_t* cr, double cx, double cy, double radius, double angle) {
    // Countersink shadow, head with a radial sheen, then the slot.
    cairo_arc(cr, cx + 0.4, cy + 0.6, radius + 1.0, 0, 2 * M_PI);
    setColour(cr, {0, 0, 0}, 0.45);
    cairo_fill(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - radius * 0.4, cy - radius * 0.5, 0.5, cx, cy, radius);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.93, 0.94, 0.95);
    cairo_pattern_add_color_stop_rgb(p, 0.6, 0.62, 0.64, 0.67);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.36, 0.37, 0.40);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    double dx = std::cos(angle) * radius * 0.8, dy = std::sin(angle) * radius * 0.8;
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, cx - dx, cy - dy);
    cairo_line_to(cr, cx + dx, cy + dy);
    setColour(cr, {0.12, 0.12, 0.14}, 0.9);
    cairo_stroke(cr);
}

static void selectStyle(cairo_t* cr, const TextStyle& s) {
    cairo_select_font_face(cr, s.family, CAIRO_FONT_SLANT_NORMAL, s.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, s.size * s.xScale, s.size);
    cairo_set_font_matrix(cr, &m);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

// Splits UTF-8 text into its characters, each a string of its own bytes.
static std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

double textWidth(cairo_t* cr, const TextStyle& s, const std::string& text) {
    selectStyle(cr, s);
    double w = 0;
    auto chars = characters(text);
    for (size_t i = 0; i < chars.size(); ++i) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, chars[i].c_str(), &e);
        w += e.x_advance + (i + 1 < chars.size() ? s.tracking : 0);
    }
    return w;
}

void drawText(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y, int align, Rgb colour,
              double alpha) {
    double w = textWidth(cr, s, text);
    double pen = align < 0 ? x : align == 0 ? x - w / 2 : x - w;
    selectStyle(cr, s);
    setColour(cr, colour, alpha);
    for (const std::string& ch : characters(text)) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, ch.c_str(), &e);
        cairo_move_to(cr, pen, y);
        cairo_show_text(cr, ch.c_str());
        pen += e.x_advance + s.tracking;
    }
}

void engrave(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y, int align, Rgb colour) {
    drawText(cr, s, text, x, y + 1, align, {0, 0, 0}, 0.55);
    drawText(cr, s, text, x, y, align, colour);
}
