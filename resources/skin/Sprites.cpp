// The sprite strip: every piece the painting code copies over the clean
// panel, composed on the same background it lands on.
#include "Parts.h"

namespace {

constexpr int P = kPanelTop;

// Copies the clean panel at window x, y into a sprite rectangle.
void backdrop(Canvas& c, int wx, int wy, const Rect& r) { c.copy(wx, P + wy, r.w, r.h, r.x, r.y); }

void gainLine(Canvas& c) {
    const Rect& r = kGainLine;
    for (int i = 0; i < r.w; ++i) c.setRgb(r.x + i, r.y, mix({1.0, 0.92, 0.55}, {1.0, 0.45, 0.12}, i / double(r.w - 1)));
}

// Frame f of the lid: the bar behind the knob, the cover where it has slid
// to (drawn from the cover sprite exactly as the painting code places it),
// and the knob turned to the frame's angle.
void lidFrameSprite(Canvas& c, const PanelBackdrops& keep, int f) {
    Rect r = lidFrame(f);
    keep.lidKnob.put(c, r.x, r.y);
    if (f != 20) {
        int coverX = f == 0 ? 5 : 6, coverY = 5 + f;
        int coverW = f == 0 ? 313 : 311, coverH = 20 - f;
        for (int j = 0; j < r.h; ++j)
            for (int i = 0; i < r.w; ++i) {
                int cx = kLidKnobX + i - coverX, cy = kLidKnobY + j - coverY;
                if (cx >= 0 && cx < coverW && cy >= 0 && cy < coverH)
                    c.set(r.x + i, r.y + j, c.get(kLidCover.x + cx, kLidCover.y + cy));
            }
    }
    lidKnob(c, r.x + 8.5, r.y + 9.5, lidKnobAngle(f));
}

}  // namespace

void drawSprites(Canvas& c, const PanelBackdrops& keep) {
    backdrop(c, 120, kDullSharpMarkerY, kDullSharpMarker);
    dullSharpMarker(c, kDullSharpMarker.x, kDullSharpMarker.y);

    levelTrack(c, kLitTrackL.x, kLitTrackL.y, kLitTrackL.w, true);
    levelTrack(c, kLitTrackR.x, kLitTrackR.y, kLitTrackR.w, true);
    gainLine(c);

    backdrop(c, 60, kEqRowY[0], kKnobOff);
    sliderKnob(c, kKnobOff.x, kKnobOff.y, false);
    backdrop(c, 60, kEqRowY[0], kKnobCentre);
    sliderKnob(c, kKnobCentre.x, kKnobCentre.y, true);

    warningText(c, kWarning.x, kWarning.y);

    keep.eqTab.put(c, kEqOffTab.x, kEqOffTab.y);
    eqTabLabel(c, kEqOffTab.x, kEqOffTab.y, false);

    linkButton(c, kLinkLit.x, kLinkLit.y, true);

    backdrop(c, 100, 38, kCapTop);
    markerCap(c, kCapTop.x, kCapTop.y, true);
    markerLine(c, kMarkerLine.x, kMarkerLine.y, kMarkerLine.h);
    backdrop(c, 100, 84, kCapBottom);
    markerCap(c, kCapBottom.x, kCapBottom.y, false);

    backdrop(c, kLampX[0], kLampY, kLampLit);
    lamp(c, kLampLit.x, kLampLit.y, true);

    lidCover(c, kLidCover.x, kLidCover.y);
    for (int f = 0; f < kLidFrames; ++f) lidFrameSprite(c, keep, f);
}
