// Where things sit on the sheet. The painting and hit-testing code copies and
// tests these exact rectangles, so they are fixed; only the artwork is free.
#pragma once

constexpr int kSheetWidth = 512;
constexpr int kSheetHeight = 883;
constexpr int kPanelTop = 218;  // sheet row of window row 0
constexpr int kPanelHeight = 218;
constexpr int kCompactHeight = 133;  // window height without the EQ rows
constexpr int kCreditsFullTop = 532;
constexpr int kCreditsCompactTop = 750;

struct Rect {
    int x, y, w, h;
};

// Sprite strip (sheet rectangles).
constexpr Rect kDullSharpMarker{0, 436, 9, 6};
constexpr Rect kLitTrackL{11, 439, 395, 14};
constexpr Rect kLitTrackR{11, 457, 395, 14};
constexpr Rect kGainLine{10, 454, 186, 1};
constexpr Rect kKnobOff{409, 438, 19, 13};
constexpr Rect kKnobCentre{409, 457, 19, 13};
constexpr Rect kWarning{429, 439, 57, 11};
constexpr Rect kEqOffTab{429, 455, 26, 14};
constexpr Rect kLinkLit{466, 455, 18, 10};
constexpr Rect kCapTop{500, 438, 11, 6};
constexpr Rect kMarkerLine{504, 443, 3, 42};
constexpr Rect kCapBottom{500, 486, 11, 6};
constexpr Rect kLampLit{488, 488, 10, 7};
constexpr Rect kLidCover{0, 477, 313, 20};
constexpr int kLidFrames = 21;
constexpr Rect lidFrame(int f) {
    return f < 10 ? Rect{316 + 17 * f, 477, 17, 19} : f < 20 ? Rect{316 + 17 * (f - 10), 497, 17, 19} : Rect{486, 497, 17, 19};
}

// Glyph strip (sheet rectangles).
constexpr int kDigitX[10] = {0, 6, 12, 19, 23, 31, 36, 43, 48, 54};
constexpr int kDigitW[10] = {6, 6, 6, 5, 6, 5, 6, 5, 6, 6};
constexpr int kDigitY = 521;
constexpr int kDigitH = 10;
constexpr Rect kGlyphMinus{61, 521, 5, 10};
constexpr Rect kGlyphDb{66, 521, 12, 10};
constexpr Rect kGlyphPoint{80, 521, 3, 10};
constexpr Rect kGlyphFull{84, 519, 27, 9};
constexpr Rect kGlyphSmooth{115, 519, 35, 9};
constexpr Rect kGlyphFalling{157, 519, 46, 11};
constexpr Rect kGlyphTransient{205, 519, 115, 11};  // "Transient Algorithm"
constexpr Rect kGlyphAlgorithm{265, 519, 54, 11};   // its second word
constexpr Rect kKneeBright{326, 519, 12, 9};
constexpr Rect kKneeDim{338, 519, 12, 9};
constexpr int kLetterBrightX[3] = {351, 356, 361};  // S, M, F
constexpr int kLetterDimX[3] = {369, 374, 379};
constexpr int kLetterW[3] = {4, 6, 6};
constexpr int kLetterY = 519;
constexpr int kLetterH = 9;
constexpr Rect kGlyphPercent{392, 521, 6, 8};
constexpr Rect kGlyphHz{404, 521, 12, 8};
constexpr Rect kGlyphInf{420, 521, 22, 8};

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
