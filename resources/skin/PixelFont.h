// Hand-drawn pixel glyphs: the readout font ('#' is ink) and a 3 × 5 font for
// the meter scale numbers.
#pragma once
#include "Canvas.h"

#include <string>
#include <vector>

using Bitmap = std::vector<std::string>;

// Readout glyphs, 8 rows of ink drawn at the top of their cell.
const Bitmap& readoutDigit(int d);  // 5 columns wide; 3, 5 and 7 are 4 wide
const Bitmap& readoutMinus();
const Bitmap& readoutPoint();
const Bitmap& readoutDb();
const Bitmap& readoutPercent();
const Bitmap& readoutHz();
const Bitmap& readoutInf();
// Speed letters S, M, F: 8 rows.
const Bitmap& speedLetter(char c);

// Draws a bitmap with an LCD look: ink in colour and a faint glow on the
// pixels next to the ink, kept inside the clip box x0..x1 × y0..y1 so that
// neighbouring glyph cells stay clean.
void drawBitmap(Canvas& c, const Bitmap& b, int x, int y, Rgb ink, int x0, int y0, int x1, int y1);

// The scale font: digits 3 × 5 and a 2-wide minus.
int scaleTextWidth(const std::string& text);
void drawScaleText(Canvas& c, const std::string& text, int x, int y, Rgb ink);
