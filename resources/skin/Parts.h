// The pieces of the sheet. Each piece draws with the shared look below, so a
// sprite and the panel spot it is copied onto match pixel for pixel.
#pragma once
#include "Canvas.h"
#include "Layout.h"

#include <cstdint>
#include <vector>

// Palette.
constexpr Rgb kPanelMetal{0.255, 0.265, 0.285};
constexpr Rgb kEqMetal{0.215, 0.222, 0.240};
constexpr Rgb kLidMetal{0.62, 0.635, 0.655};
constexpr Rgb kLabel{0.86, 0.88, 0.90};
constexpr Rgb kLabelDim{0.55, 0.57, 0.60};
constexpr Rgb kAmber{1.0, 0.70, 0.26};
constexpr Rgb kAmberDim{0.36, 0.24, 0.08};
constexpr Rgb kMeterGlass{0.030, 0.033, 0.038};

// A block of pixels kept aside while the panel is drawn (backgrounds that
// sprites are composed on).
struct Patch {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    static Patch grab(Canvas& c, int x, int y, int w, int h);
    void put(Canvas& c, int x, int y) const;
};

struct PanelBackdrops {
    Patch lidKnob;  // the channel bar behind the lid knob, without the knob
    Patch eqTab;    // the EQ tab behind its label
};

// The clean panel, drawn at sheet row kPanelTop.
void drawPanel(Canvas& c, PanelBackdrops& keep);

// Shared pieces; x, y are sheet coordinates.
void levelTrack(Canvas& c, int x, int y, int width, bool lit);
void reductionBar(Canvas& c, int x, int y, int width);
void eqTrackInterior(Canvas& c, int x, int y, int width);
void sliderKnob(Canvas& c, int x, int y, bool atCentre);
void dullSharpMarker(Canvas& c, int x, int y);
void lamp(Canvas& c, int x, int y, bool lit);
void linkButton(Canvas& c, int x, int y, bool lit);
void eqTabLabel(Canvas& c, int x, int y, bool on);
void lidCover(Canvas& c, int x, int y);
void lidKnob(Canvas& c, double cx, double cy, double angle);
double lidKnobAngle(int frame);
void warningText(Canvas& c, int x, int y);
void markerLine(Canvas& c, int x, int y, int h);
void markerCap(Canvas& c, int x, int y, bool top);

void drawSprites(Canvas& c, const PanelBackdrops& keep);
void drawGlyphs(Canvas& c);
void drawCredits(Canvas& c, int top, int height);
