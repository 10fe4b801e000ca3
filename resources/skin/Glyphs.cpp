// The glyph strip: readout digits and units, the algorithm names, the knee
// symbol and the speed letters, light on black at their fixed cells.
#include "Parts.h"
#include "PixelFont.h"

#include <algorithm>
#include <string>

namespace {

constexpr Rgb kDimInk{0.34, 0.23, 0.08};

void glyph(Canvas& c, const Bitmap& b, const Rect& cell, int inset, Rgb ink) {
    drawBitmap(c, b, cell.x + inset, cell.y, ink, cell.x, cell.y, cell.x + cell.w - 1, cell.y + cell.h - 1);
}

// A word in the algorithm font with the baseline 9 rows below the cell top
// (descenders use rows 9 and 10). A word narrower than its cell is spaced out
// a little (up to maxTracking) and then aligned; a wider one is squeezed.
void word(Canvas& c, const std::string& text, const Rect& cell, int align, double maxTracking) {
    TextStyle s{"DejaVu Sans", false, 11.0, 1.0, 0.0};
    double room = cell.w - 1;
    double w = textWidth(c.cr, s, text);
    if (w > room) {
        s.xScale = room / w;
    } else {
        s.tracking = std::min(maxTracking, (room - w) / (text.size() - 1));
    }
    w = textWidth(c.cr, s, text);
    double x = align < 0 ? cell.x + 0.3 : cell.x + room - w;
    c.end();
    cairo_save(c.cr);
    cairo_rectangle(c.cr, cell.x, cell.y, cell.w, cell.h);
    cairo_clip(c.cr);
    drawText(c.cr, s, text, x, cell.y + 9, -1, kAmber);
    cairo_restore(c.cr);
    c.begin();
}

void knee(Canvas& c, const Rect& cell, Rgb ink) {
    c.end();
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_rectangle(cr, cell.x, cell.y, cell.w, cell.h);
    cairo_clip(cr);
    // Transfer curve: unity slope, a rounded knee, then flat at the ceiling.
    double x = cell.x, y = cell.y;
    cairo_move_to(cr, x + 0.5, y + 8.5);
    cairo_line_to(cr, x + 4.5, y + 4.5);
    cairo_curve_to(cr, x + 6.5, y + 2.5, x + 7.5, y + 1.5, x + 11.5, y + 1.5);
    cairo_set_line_width(cr, 1.3);
    setColour(cr, ink);
    cairo_stroke(cr);
    cairo_restore(cr);
    c.begin();
}

}  // namespace

void drawGlyphs(Canvas& c) {
    for (int d = 0; d < 10; ++d) {
        // '4' keeps its first column blank: it is the last column of '3'.
        Rect cell{kDigitX[d], kDigitY, kDigitW[d], kDigitH};
        if (d == 3) cell.w -= 1;
        glyph(c, readoutDigit(d), cell, d == 4 ? 1 : 0, kAmber);
    }
    glyph(c, readoutMinus(), kGlyphMinus, 0, kAmber);
    glyph(c, readoutDb(), kGlyphDb, 0, kAmber);
    glyph(c, readoutPoint(), kGlyphPoint, 0, kAmber);
    glyph(c, readoutPercent(), kGlyphPercent, 0, kAmber);
    glyph(c, readoutHz(), kGlyphHz, 0, kAmber);
    glyph(c, readoutInf(), kGlyphInf, 0, kAmber);

    // "Full" sits against the word after it; "Transient" fills its part of
    // the two-word glyph so that it reads as one phrase with "Algorithm".
    word(c, "Full", kGlyphFull, 1, 0.5);
    word(c, "Smooth", kGlyphSmooth, -1, 0.5);
    word(c, "Falling", kGlyphFalling, -1, 0.5);
    word(c, "Transient", {kGlyphTransient.x, kGlyphTransient.y, kGlyphAlgorithm.x - kGlyphTransient.x - 3,
                          kGlyphTransient.h}, -1, 0.5);
    word(c, "Algorithm", kGlyphAlgorithm, -1, 0.5);

    knee(c, kKneeBright, kAmber);
    knee(c, kKneeDim, kDimInk);

    const char letters[3] = {'S', 'M', 'F'};
    for (int i = 0; i < 3; ++i) {
        // 'F' starts one column in: its first column is the last of 'M'.
        int inset = i == 2 ? 1 : 0;
        int w = i == 1 ? kLetterW[i] - 1 : kLetterW[i];
        glyph(c, speedLetter(letters[i]), {kLetterBrightX[i], kLetterY + 1, w, kLetterH - 1}, inset, kAmber);
        glyph(c, speedLetter(letters[i]), {kLetterDimX[i], kLetterY + 1, w, kLetterH - 1}, inset, kDimInk);
    }
}
