// Where things sit on the sheet. The sheet's size and its sprite and glyph
// rectangles are the editor's own (editor/SkinLayout.h): the generator draws
// exactly where the editor copies from. The panel's artwork positions below
// them are the generator's; only the artwork itself is free.
#pragma once
#include "editor/SkinLayout.h"

struct Rect {
    int x, y, w, h;
};

constexpr Rect sheetRect(skin::Rect r) { return {r.x, r.y, r.w, r.h}; }

constexpr int kSheetWidth = skin::kSheetWidth;
constexpr int kSheetHeight = skin::kSheetHeight;
constexpr int kPanelTop = skin::kCleanPanel.y;  // sheet row of window row 0
constexpr int kPanelHeight = skin::kCleanPanel.h;
constexpr int kCompactHeight = skin::kCompactHeight;  // window height without the EQ rows
constexpr int kCreditsFullTop = skin::kCreditsFull.y;
constexpr int kCreditsCompactTop = skin::kCreditsCompact.y;

// Sprite strip (sheet rectangles).
constexpr Rect kDullSharpMarker = sheetRect(skin::kDullSharpMarker);
constexpr Rect kLitTrackL = sheetRect(skin::kLevelTrackLeft);
constexpr Rect kLitTrackR = sheetRect(skin::kLevelTrackRight);
constexpr Rect kGainLine = sheetRect(skin::kGainLine);
constexpr Rect kKnobOff = sheetRect(skin::kKnobOffCentre);
constexpr Rect kKnobCentre = sheetRect(skin::kKnobAtCentre);
constexpr Rect kWarning = sheetRect(skin::kWarning);
constexpr Rect kEqOffTab = sheetRect(skin::kEqOffTab);
constexpr Rect kLinkLit = sheetRect(skin::kLinkLit);
constexpr Rect kCapTop = sheetRect(skin::kMarkerCapTop);
constexpr Rect kMarkerLine = sheetRect(skin::kMarkerLine);
constexpr Rect kCapBottom = sheetRect(skin::kMarkerCapBottom);
constexpr Rect kLampLit = sheetRect(skin::kLampLit);
constexpr Rect kLidCover = sheetRect(skin::kLidCover);
constexpr int kLidFrames = skin::kLidOpenFrame + 1;
constexpr Rect lidFrame(int f) { return sheetRect(skin::lidKnobFrame(f)); }

// Glyph strip (sheet rectangles).
inline constexpr const auto& kDigitX = skin::kDigitX;
inline constexpr const auto& kDigitW = skin::kDigitWidth;
constexpr int kDigitY = skin::kDigitY;
constexpr int kDigitH = skin::kDigitHeight;
constexpr Rect kGlyphMinus = sheetRect(skin::kMinusGlyph);
constexpr Rect kGlyphDb = sheetRect(skin::kDbGlyph);
constexpr Rect kGlyphPoint = sheetRect(skin::kPointGlyph);
constexpr Rect kGlyphFull = sheetRect(skin::kFullGlyph);
constexpr Rect kGlyphSmooth = sheetRect(skin::kSmoothGlyph);
constexpr Rect kGlyphFalling = sheetRect(skin::kFallingGlyph);
constexpr Rect kGlyphTransient = sheetRect(skin::kTransientAlgorithmGlyph);  // "Transient Algorithm"
constexpr Rect kGlyphAlgorithm = sheetRect(skin::kAlgorithmGlyph);           // its second word
constexpr Rect kKneeBright = sheetRect(skin::kKneeBright);
constexpr Rect kKneeDim = sheetRect(skin::kKneeDim);
// "S", "M", "F": x of each letter, bright and dim, and their common row.
constexpr int kLetterBrightX[3] = {skin::kSpeedBright[0].x, skin::kSpeedBright[1].x, skin::kSpeedBright[2].x};
constexpr int kLetterDimX[3] = {skin::kSpeedDim[0].x, skin::kSpeedDim[1].x, skin::kSpeedDim[2].x};
constexpr int kLetterW[3] = {skin::kSpeedBright[0].w, skin::kSpeedBright[1].w, skin::kSpeedBright[2].w};
constexpr int kLetterY = skin::kSpeedBright[0].y;
constexpr int kLetterH = skin::kSpeedBright[0].h;
constexpr Rect kGlyphPercent = sheetRect(skin::kPercentGlyph);
constexpr Rect kGlyphHz = sheetRect(skin::kHzGlyph);
constexpr Rect kGlyphInf = sheetRect(skin::kInfGlyph);

// Main panel, window coordinates.
constexpr Rect kChannelBar{5, 5, 314, 21};
constexpr int kLidKnobX = 6, kLidKnobY = 6;
constexpr int kLampX[4] = {43, 99, 152, 195};
constexpr int kLampY = 13;
constexpr Rect kIndicator{250, 11, 57, 11};
constexpr Rect kMeterBox{28, 22, 406, 75};  // 3 px past 430 so the limiter caps at the top of the range stay on glass
constexpr int kMeterZeroX = 243;
constexpr int kTrackX = 34;
constexpr int kTrackLY = 44, kTrackRY = 70;
constexpr int kReductionLY = 59, kReductionRY = 65;
constexpr int kReductionX0 = 35;
constexpr Rect kGainReadout{438, 41, 43, 16};
constexpr Rect kOutputReadout{438, 67, 43, 14};
constexpr Rect kLinkButton{450, 85, 18, 10};
constexpr Rect kDullSharpTrack{69, 108, 172, 12};
constexpr int kDullSharpMarkerY = 112;
constexpr Rect kAlgorithmField{281, 106, 199, 18};
constexpr Rect kLogo{482, 100, 26, 24};
constexpr Rect kEqTab{0, 117, 38, 16};
constexpr int kEqOffX = 1, kEqOffY = 118;
constexpr int kEqRowY[4] = {141, 158, 175, 192};  // Body, Bass, Mid, Hi
constexpr int kEqTrackX = 46;
constexpr int kBodyTrackEnd = 452;
constexpr int kBoostTrackEnd = 347;
constexpr int kBoostCentreX = 196;
constexpr Rect kBodyValueBox{455, 141, 41, 14};
constexpr int kBoostValueX = 350, kBoostValueW = 44;
constexpr int kFreqBoxX = 427, kFreqBoxW = 70;
