// The clean main panel: the anodised front plate with every label, track,
// lamp well, display window and the meter scale.
#include "LevelScale.h"
#include "Parts.h"
#include "PixelFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr int P = kPanelTop;  // window row 0 on the sheet

const TextStyle kSmallCaps{"DejaVu Sans Condensed", true, 8.0, 1.0, 0.6};
const TextStyle kTinyCaps{"DejaVu Sans Condensed", true, 7.0, 1.0, 0.5};

void label(Canvas& c, const std::string& text, double x, double y, int align, const TextStyle& s = kSmallCaps,
           Rgb colour = kLabel) {
    engrave(c.cr, s, text, x, y + P, align, colour);
}

void plates(Canvas& c) {
    brushedMetal(c, 0, P, 512, kCompactHeight, kPanelMetal, 0.045, 0x5eed1u);
    verticalShade(c, 0, P, 512, kCompactHeight, 1.10, 0.86);
    brushedMetal(c, 0, P + kCompactHeight, 512, kPanelHeight - kCompactHeight, kEqMetal, 0.04, 0x5eed2u);
    verticalShade(c, 0, P + kCompactHeight, 512, kPanelHeight - kCompactHeight, 1.04, 0.84);
    // Raised edges of both plates.
    bevel(c, 0, P, 512, kCompactHeight, {1, 1, 1}, {0, 0, 0}, 0.30, true);
    bevel(c, 1, P + 1, 510, kCompactHeight - 2, {1, 1, 1}, {0, 0, 0}, 0.10, true);
    bevel(c, 0, P + kCompactHeight, 512, kPanelHeight - kCompactHeight, {1, 1, 1}, {0, 0, 0}, 0.25, true);
}

void screws(Canvas& c) {
    Noise n(77);
    auto s = [&](double x, double y) { screw(c.cr, x, y + P, 3.2, n.unit() * M_PI); };
    s(12.5, 36.5);
    s(12.5, 100.5);
    s(497.5, 33.5);
    s(497.5, 71.5);
    s(8.5, 210.5);
    s(503.5, 210.5);
}

void channelBar(Canvas& c, PanelBackdrops& keep) {
    const Rect& b = kChannelBar;
    c.begin();
    c.fill(b.x, P + b.y, b.w, b.h, {0.085, 0.09, 0.10});
    verticalShade(c, b.x, P + b.y, b.w, b.h, 0.75, 1.25);
    bevel(c, b.x, P + b.y, b.w, b.h, {0.7, 0.72, 0.75}, {0, 0, 0}, 0.55, false);
    keep.lidKnob = Patch::grab(c, kLidKnobX, P + kLidKnobY, 17, 19);
    for (int i = 0; i < 4; ++i) lamp(c, kLampX[i], P + kLampY, false);
    displayWell(c, kIndicator.x, P + kIndicator.y, kIndicator.w, kIndicator.h);
    for (int i = 0; i < 9; ++i) c.fill(kIndicator.x + 2 + i * 6, P + kIndicator.y + 5, 4, 1, kAmberDim);
    c.end();
    const char* names[4] = {"AUTO", "STEREO", "LEFT", "RIGHT"};
    for (int i = 0; i < 4; ++i) label(c, names[i], kLampX[i] + 13, 20, -1);
}

void title(Canvas& c) {
    TextStyle bold{"DejaVu Sans", true, 14.0, 1.0, 0.6};
    TextStyle light{"DejaVu Sans", false, 14.0, 1.0, 0.6};
    double wMax = textWidth(c.cr, light, "Maximizer");
    double right = 505;
    engrave(c.cr, light, "Maximizer", right, P + 17, 1, {0.80, 0.82, 0.85});
    engrave(c.cr, bold, "Hok", right - wMax - 5, P + 17, 1, {0.96, 0.97, 0.98});
    // An amber accent rule under the name.
    double hw = textWidth(c.cr, bold, "Hok");
    double x0 = std::floor(right - wMax - 5 - hw);
    cairo_rectangle(c.cr, x0, P + 19, right - x0, 1);
    setColour(c.cr, kAmber, 0.55);
    cairo_fill(c.cr);
}

void meterBox(Canvas& c) {
    const Rect& m = kMeterBox;
    c.begin();
    c.fill(m.x, P + m.y, m.w, m.h, kMeterGlass);
    verticalShade(c, m.x, P + m.y, m.w, 16, 2.2, 1.0);  // glass catching the light at the top
    bevel(c, m.x - 1, P + m.y - 1, m.w + 2, m.h + 2, {1, 1, 1}, {0, 0, 0}, 0.30, false);
    bevel(c, m.x, P + m.y, m.w, m.h, {0.32, 0.33, 0.36}, {0, 0, 0}, 0.8, false);
    levelTrack(c, kTrackX, P + kTrackLY, 395, false);
    levelTrack(c, kTrackX, P + kTrackRY, 395, false);
    int barW = kMeterZeroX - kReductionX0 + 1;
    reductionBar(c, kReductionX0, P + kReductionLY, barW);
    reductionBar(c, kReductionX0, P + kReductionRY, barW);
    // The 0 dB mark through the gaps between the tracks.
    for (int y : {39, 40, 41, 42, 43, 58, 63, 64, 69, 84, 85, 86, 87, 88})
        c.setRgb(kMeterZeroX, P + y, {0.42, 0.43, 0.47});
    // Scale numbers above and below, at the meter's own positions.
    const int marks[] = {-96, -60, -20, -11, -9, -7, -5, -3, -1, 0, 1,  2,  3,
                         4,   5,   6,   7,   8,  9,  10, 11, 12, 13, 14, 15, 16};
    for (int db : marks) {
        int x = 33 + levelPosition(db);
        std::string text = std::to_string(std::abs(db));
        if (db < 0) text = "-" + text;
        Rgb ink = db == 0 ? Rgb{0.95, 0.96, 0.97} : db > 0 ? Rgb{0.93, 0.60, 0.28} : Rgb{0.70, 0.72, 0.76};
        int w = scaleTextWidth(text);
        int tx = std::min(x - w / 2 - (db < 0 ? 1 : 0), kMeterBox.x + kMeterBox.w - 2 - w);
        drawScaleText(c, text, tx, P + 26, ink);
        drawScaleText(c, text, tx, P + 90, ink);
        for (int y = 33; y <= 36; ++y) c.setRgb(x, P + y, scale(ink, 0.8));
    }
    c.end();
    label(c, "L", 21, 55, 0);
    label(c, "R", 21, 81, 0);
    label(c, "GR", 20, 67, 0, kTinyCaps, kLabelDim);
}

void readouts(Canvas& c) {
    c.begin();
    displayWell(c, kGainReadout.x, P + kGainReadout.y + 1, kGainReadout.w, kGainReadout.h - 2);
    displayWell(c, kOutputReadout.x, P + kOutputReadout.y, kOutputReadout.w, kOutputReadout.h - 1);
    linkButton(c, kLinkButton.x, P + kLinkButton.y, false);
    c.end();
    label(c, "GAIN", 459.5, 35, 0);
    label(c, "OUTPUT", 459.5, 64, 0);
    label(c, "LINK", 471, 93, -1, kTinyCaps);
}

void dullSharp(Canvas& c) {
    const Rect& t = kDullSharpTrack;
    c.begin();
    // Graduation above the groove: one tick every 18 steps of the marker.
    for (int v = 0; v <= 162; v += 18) {
        int x = t.x + v + 4;
        Rgb ink = v == 0 || v == 162 ? kLabel : kLabelDim;
        c.setRgb(x, P + t.y, ink);
        c.setRgb(x, P + t.y + 1, ink);
        c.setRgb(x, P + t.y + 2, scale(ink, 0.6));
    }
    // The groove the marker runs in (rows 112..117).
    for (int x = t.x; x < t.x + t.w; ++x) {
        c.setRgb(x, P + 112, {0.15, 0.155, 0.17});
        c.setRgb(x, P + 113, {0.02, 0.02, 0.025});
        c.setRgb(x, P + 114, {0.05, 0.05, 0.06});
        c.setRgb(x, P + 115, {0.07, 0.07, 0.08});
        c.setRgb(x, P + 116, {0.09, 0.09, 0.10});
        c.setRgb(x, P + 117, {0.40, 0.41, 0.44});
    }
    c.end();
    label(c, "DULL", 65, 118, 1);
    label(c, "SHARP", 244, 118, -1);
}

void algorithmField(Canvas& c) {
    c.begin();
    displayWell(c, kAlgorithmField.x + 1, P + kAlgorithmField.y + 1, kAlgorithmField.w - 3, kAlgorithmField.h - 2);
    c.end();
}

void logo(Canvas& c) {
    const Rect& l = kLogo;
    cairo_t* cr = c.cr;
    roundedRect(cr, l.x + 0.5, P + l.y + 0.5, l.w - 1, l.h - 1, 3);
    gradientFill(cr, P + l.y, P + l.y + l.h, {{0, {0.80, 0.81, 0.83}}, {1, {0.46, 0.47, 0.50}}}, true);
    outline(cr, {0.08, 0.08, 0.09});
    roundedRect(cr, l.x + 3, P + l.y + 3, l.w - 6, l.h - 6, 2);
    setColour(cr, {0.07, 0.07, 0.08});
    cairo_fill(cr);
    // A clipped wave: the maximizer's emblem.
    cairo_save(cr);
    cairo_rectangle(cr, l.x + 3, P + l.y + 3, l.w - 6, l.h - 6);
    cairo_clip(cr);
    double cy = P + l.y + 12, x0 = l.x + 4;
    cairo_move_to(cr, x0, cy);
    for (int i = 0; i <= 36; ++i) {
        double x = x0 + i * 0.5;
        double y = std::clamp(std::sin(i * 0.5 * 0.62) * 7.0, -4.0, 4.0);
        cairo_line_to(cr, x, cy - y);
    }
    cairo_set_line_width(cr, 1.3);
    setColour(cr, kAmber);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void eqTab(Canvas& c, PanelBackdrops& keep) {
    const Rect& t = kEqTab;
    cairo_t* cr = c.cr;
    // A darker tab in the plate's bottom-left corner.
    cairo_move_to(cr, t.x, P + t.y + t.h);
    cairo_line_to(cr, t.x, P + t.y + 0.5);
    cairo_line_to(cr, t.x + t.w - 6, P + t.y + 0.5);
    cairo_curve_to(cr, t.x + t.w - 2, P + t.y + 0.5, t.x + t.w - 0.5, P + t.y + 3, t.x + t.w - 0.5, P + t.y + 6);
    cairo_line_to(cr, t.x + t.w - 0.5, P + t.y + t.h);
    cairo_close_path(cr);
    gradientFill(cr, P + t.y, P + t.y + t.h, {{0, {0.15, 0.155, 0.17}}, {1, {0.09, 0.095, 0.105}}}, true);
    outline(cr, {0, 0, 0}, 0.7);
    // Fold arrow right of the label.
    cairo_move_to(cr, 29, P + 123);
    cairo_line_to(cr, 35, P + 123);
    cairo_line_to(cr, 32, P + 127);
    cairo_close_path(cr);
    setColour(cr, kLabelDim);
    cairo_fill(cr);
    c.begin();
    keep.eqTab = Patch::grab(c, kEqOffX, P + kEqOffY, kEqOffTab.w, kEqOffTab.h);
    eqTabLabel(c, kEqOffX, P + kEqOffY, true);
    c.end();
}

void eqSection(Canvas& c) {
    const char* names[4] = {"BODY", "BASS", "MID", "HI"};
    c.begin();
    for (int i = 0; i < 4; ++i) {
        int y = P + kEqRowY[i];
        int end = i == 0 ? kBodyTrackEnd : kBoostTrackEnd;
        eqTrackInterior(c, kEqTrackX, y, end - kEqTrackX + 1);
        if (i == 0) {
            displayWell(c, kBodyValueBox.x + 1, y + 1, kBodyValueBox.w - 1, 12);
        } else {
            // Neutral mark: boost to the right, cut to the left.
            for (int r = 1; r < 13; ++r) c.setRgb(kBoostCentreX, y + r, r == 6 || r == 7 ? kAmber : kAmberDim);
            displayWell(c, kBoostValueX + 2, y + 1, kBoostValueW - 2, 12);
            displayWell(c, kFreqBoxX + 2, y + 1, kFreqBoxW - 3, 12);
        }
    }
    c.end();
    for (int i = 0; i < 4; ++i) label(c, names[i], 42, kEqRowY[i] + 10, 1);
    for (int i = 1; i < 4; ++i) label(c, "Freq", 411, kEqRowY[i] + 10, 0, kTinyCaps, kLabelDim);
    label(c, "CUT", kEqTrackX + 2, 214, -1, kTinyCaps, kLabelDim);
    label(c, "0", kBoostCentreX, 214, 0, kTinyCaps, kLabelDim);
    label(c, "BOOST", kBoostTrackEnd - 1, 214, 1, kTinyCaps, kLabelDim);
    label(c, "EQUALISER", 458, 214, 0, kTinyCaps, kLabelDim);
}

}  // namespace

Patch Patch::grab(Canvas& c, int x, int y, int w, int h) {
    Patch p;
    p.w = w;
    p.h = h;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) p.px.push_back(c.get(x + i, y + j));
    return p;
}

void Patch::put(Canvas& c, int x, int y) const {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) c.set(x + i, y + j, px[j * w + i]);
}

void drawPanel(Canvas& c, PanelBackdrops& keep) {
    c.begin();
    plates(c);
    c.end();
    screws(c);
    channelBar(c, keep);
    title(c);
    meterBox(c);
    readouts(c);
    dullSharp(c);
    algorithmField(c);
    logo(c);
    eqTab(c, keep);
    eqSection(c);
    // The lid knob as it sits with the lid open (frame 20).
    lidKnob(c, kLidKnobX + 8.5, P + kLidKnobY + 9.5, lidKnobAngle(20));
    c.begin();
}
