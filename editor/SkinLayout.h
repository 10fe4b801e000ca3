// Where everything sits on the sprite sheet (sheet coordinates) and where the
// editor draws it (window coordinates). The sheet's top rows are the back
// buffer, so window coordinates are also sheet coordinates.
#pragma once
#include <cstdint>

namespace skin {

struct Rect {
    int16_t x, y, w, h;
};

constexpr int32_t kResourceId = 157;
constexpr int32_t kSheetWidth = 512;
constexpr int32_t kSheetHeight = 883;
constexpr int32_t kWidth = 512;        // window width
constexpr int32_t kFullHeight = 218;   // back buffer height, EQ shown
constexpr int32_t kCompactHeight = 133;

constexpr Rect kCleanPanel{0, 218, 512, 218};
constexpr Rect kCreditsFull{0, 532, 512, 218};
constexpr Rect kCreditsCompact{0, 750, 512, 133};

// Sprite strip.
constexpr Rect kDullSharpMarker{0, 436, 9, 6};
constexpr Rect kLevelTrackLeft{11, 439, 395, 14};
constexpr Rect kLevelTrackRight{11, 457, 395, 14};
constexpr Rect kGainLine{10, 454, 186, 1};
constexpr Rect kKnobOffCentre{409, 438, 19, 13};
constexpr Rect kKnobAtCentre{409, 457, 19, 13};
constexpr Rect kWarning{429, 439, 57, 11};
constexpr Rect kEqOffTab{429, 455, 26, 14};
constexpr Rect kLinkLit{466, 455, 18, 10};
constexpr Rect kMarkerCapTop{500, 438, 11, 6};
constexpr Rect kMarkerLine{504, 443, 3, 42};
constexpr Rect kMarkerCapBottom{500, 486, 11, 6};
constexpr Rect kLampLit{488, 488, 10, 7};
constexpr Rect kLidCover{0, 477, 313, 20};
constexpr int16_t kLidFrameWidth = 17, kLidFrameHeight = 19;
constexpr int8_t kLidOpenFrame = 20;

// Lid knob frame f, 0 to 20.
constexpr Rect lidKnobFrame(int f) {
    if (f >= 20) return {486, 497, kLidFrameWidth, kLidFrameHeight};
    if (f >= 10) return {int16_t(316 + 17 * (f - 10)), 497, kLidFrameWidth, kLidFrameHeight};
    return {int16_t(316 + 17 * f), 477, kLidFrameWidth, kLidFrameHeight};
}

// Glyph strip.
constexpr int16_t kDigitX[10] = {0, 6, 12, 19, 23, 31, 36, 43, 48, 54};
constexpr int16_t kDigitWidth[10] = {6, 6, 6, 5, 6, 5, 6, 5, 6, 6};
constexpr int16_t kDigitY = 521, kDigitHeight = 10;
constexpr Rect digitGlyph(int d) { return {kDigitX[d], kDigitY, kDigitWidth[d], kDigitHeight}; }
constexpr Rect kMinusGlyph{61, 521, 5, 10};
constexpr Rect kDbGlyph{66, 521, 12, 10};
constexpr Rect kPointGlyph{80, 521, 3, 10};
constexpr Rect kFullGlyph{84, 519, 27, 9};
constexpr Rect kSmoothGlyph{115, 519, 35, 9};
constexpr Rect kFallingGlyph{157, 519, 46, 11};
constexpr Rect kTransientAlgorithmGlyph{205, 519, 115, 11};
constexpr Rect kAlgorithmGlyph{265, 519, 54, 11};
constexpr Rect kKneeBright{326, 519, 12, 9};
constexpr Rect kKneeDim{338, 519, 12, 9};
constexpr Rect kSpeedBright[3] = {{351, 519, 4, 9}, {356, 519, 6, 9}, {361, 519, 6, 9}};
constexpr Rect kSpeedDim[3] = {{369, 519, 4, 9}, {374, 519, 6, 9}, {379, 519, 6, 9}};
constexpr Rect kPercentGlyph{392, 521, 6, 8};
constexpr Rect kHzGlyph{404, 521, 12, 8};
constexpr Rect kInfGlyph{420, 521, 22, 8};

}  // namespace skin
