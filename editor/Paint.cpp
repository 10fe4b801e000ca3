// Composing one frame in the sheet's top rows and showing it: panel, channel
// selector and lid, meters with their ballistics, controls and readouts.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/MaximizerEditor.h"
#include "editor/MeterBallistics.h"
#include "editor/SkinLayout.h"
#include "engine/Tables.h"
#include "engine/Text.h"
#include "engine/Truncate.h"

namespace {

// Drawing positions derived from parameter codes stay far from overflow.
int32_t position(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -4096, 4096)); }

struct Placement {
    skin::Rect glyph;
    int16_t x;
};

// The algorithm's name by Algorithm mod 3, at row 110.
struct AlgorithmName {
    Placement parts[3];
    int count;
};
constexpr AlgorithmName kAlgorithmGlyphs[3] = {
    {{{skin::kFullGlyph, 292}, {skin::kTransientAlgorithmGlyph, 321}, {}}, 2},
    {{{skin::kSmoothGlyph, 287}, {skin::kTransientAlgorithmGlyph, 327}, {}}, 2},
    {{{skin::kSmoothGlyph, 287}, {skin::kFallingGlyph, 327}, {skin::kAlgorithmGlyph, 374}}, 3},
};
constexpr int16_t kAlgorithmRow = 110;
constexpr int16_t kKneeX = 446;
constexpr int16_t kSpeedX[3] = {463, 463, 462};

constexpr int16_t kForceLampX[3] = {99, 152, 195};
constexpr int16_t kLampRow = 13;

struct KnobRow {
    int32_t param;
    int16_t row;
};
constexpr KnobRow kKnobs[4] = {{kBodyBoost, 141}, {kBassBoost, 158}, {kMidBoost, 175}, {kHiBoost, 192}};

struct BoostReadout {
    int32_t param;
    int16_t row;
};
constexpr BoostReadout kBoostReadouts[3] = {{kBassBoost, 160}, {kMidBoost, 177}, {kHiBoost, 194}};
constexpr int16_t kFreqRows[3] = {160, 177, 194};
constexpr int32_t kFreqParams[3] = {kBassFreq, kMidFreq, kTrebleFreq};

constexpr int16_t kReductionRows[2] = {59, 64};
constexpr int16_t kGainLineRows[2] = {59, 68};
constexpr int16_t kPeakRows[2] = {44, 70};
constexpr skin::Rect kPeakTracks[2] = {skin::kLevelTrackLeft, skin::kLevelTrackRight};

constexpr int32_t kLevelTop = kLevelSteps - 1;  // index of amplitude 1.0
constexpr int32_t kOverTop = 5400;              // longest bar drawn above 0 dB
constexpr int32_t kScaleZero = 210;              // pixel of 0 dB

}  // namespace

void MaximizerEditor::paint() {
    if (isOpen != 1 || !skin) return;
    platform::Platform& p = *host;
    void* context = p.acquireWindowContext(window);
    if (!context) return;
    auto draw = [&](const skin::Rect& s, int32_t x, int32_t y) { p.copyRect(skin, s.x, s.y, s.w, s.h, x, y); };
    auto drawPart = [&](const skin::Rect& s, int32_t w, int32_t h, int32_t x, int32_t y) {
        p.copyRect(skin, s.x, s.y, w, h, x, y);
    };

    draw(skin::kCleanPanel, 0, 0);

    // Channel selector lamps.
    if (parameterCode(kAutoSelectChannels) == 1)
        draw(skin::kLampLit, 43, kLampRow);
    else
        draw(skin::kWarning, 250, 11);
    const int32_t force = parameterCode(kForceChannels);
    if (force >= 0 && force <= 2) draw(skin::kLampLit, kForceLampX[force], kLampRow);

    const bool eqShown = eqSectionOpen(parameter(kEqDisplay));
    if (dragMode == kDragCredits) {
        // The credits freeze meters, ballistics and lid until the button is released.
        draw(eqShown ? skin::kCreditsFull : skin::kCreditsCompact, 0, 0);
    } else {
        // Lid: slides two frames per paint toward the panel's open state.
        int32_t f = std::clamp<int32_t>(channelPanelFrame, 0, skin::kLidOpenFrame);
        if (f != skin::kLidOpenFrame) {
            if (f == 0)
                draw(skin::kLidCover, 5, 5);
            else
                drawPart(skin::kLidCover, 311, 20 - f, 6, 5 + f);
            draw(skin::lidKnobFrame(f), 6, 6);
        }
        f = channelPanelOpen == 1 ? std::min<int32_t>(f + 2, skin::kLidOpenFrame) : std::max(f - 2, 0);
        channelPanelFrame = static_cast<int8_t>(f);

        takeMeters();
        const Meters& meters = engine.meters();
        for (int c = 0; c < 2; ++c) {
            // Reduction bar: black from the left, so the lit part grows leftwards from 0 dB.
            const int32_t k = std::min(truncateToInt(double(meter[c].reduction) * 1000000.0), kLevelTop);
            if (k >= 1) p.fillBlack(skin, 33, kReductionRows[c], levelPixels[k], 5);

            // Knee gain line, growing right from 0 dB as the gain falls.
            const int32_t g = std::min(truncateToInt((1.0 - double(meters.kneeGain(c))) * 1000.0), kOverTop);
            if (g >= 1) drawPart(skin::kGainLine, std::max(0, overPixels[g] - kScaleZero), 1, 244, kGainLineRows[c]);

            // Peak bar on the level scale, or on the over scale above full scale.
            const float v = meter[c].peak;
            if (v <= 1.0f) {
                const int32_t w = levelPixels[std::clamp(truncateToInt(double(v) * 1000000.0), 0, kLevelTop)];
                if (w >= 2) drawPart(kPeakTracks[c], w - 1, 14, 34, kPeakRows[c]);
            } else if (v > 1.0f) {
                const int32_t w = overPixels[std::min(truncateToInt((double(v) - 1.0) * 1000.0), kOverTop)];
                drawPart(kPeakTracks[c], w - 1, 14, 34, kPeakRows[c]);
            }
        }

        for (int c = 0; c < 2; ++c)
            if (meters.active(c) == 1) meter[c] = fallBack(meter[c]);

        // Solo: the silent channel's meters rest.
        const int32_t solo = meters.solo();
        if (solo == 1 || solo == 2) meter[solo == 1 ? 1 : 0] = {0.0f, 0.0f, 1.0f};

        // Limiter gain marker.
        const int32_t gain = parameterCode(kLimiterGain);
        draw(skin::kMarkerLine, position(int64_t(gain) + 34), 43);
        draw(skin::kMarkerCapTop, position(int64_t(gain) + 30), 38);
        draw(skin::kMarkerCapBottom, position(int64_t(gain) + 30), 84);

        for (const KnobRow& knob : kKnobs) {
            const int32_t b = parameterCode(knob.param);
            draw(b == kNeutralBoost ? skin::kKnobAtCentre : skin::kKnobOffCentre, position(int64_t(b) + 46), knob.row);
        }

        draw(skin::kDullSharpMarker, position(int64_t(parameterCode(kDullSharp)) + 69), 112);

        const int32_t a = truncateToIndex(parameter(kAlgorithm), 5);
        const AlgorithmName& name = kAlgorithmGlyphs[a % 3];
        for (int i = 0; i < name.count; ++i) draw(name.parts[i].glyph, name.parts[i].x, kAlgorithmRow);
        const bool soft = a / 3 == 1;
        const int32_t s = truncateToIndex(parameter(kSoftKnee), 2);
        draw(soft ? skin::kKneeBright : skin::kKneeDim, kKneeX, kAlgorithmRow);
        draw(soft ? skin::kSpeedBright[s] : skin::kSpeedDim[s], kSpeedX[s], kAlgorithmRow);

        if (parameterCode(kEqOnOff) == 0) draw(skin::kEqOffTab, 1, 118);
        if (parameterCode(kStereoLink) == 1) draw(skin::kLinkLit, 450, 85);

        drawNumber(engine.limiterGain(), 441, 44, NumberKind::Decibels, 4);
        drawNumber(double(engine.outputGain()) - double(0.00001f), 441, 69, NumberKind::Decibels, 4);
        constexpr float kPerBody = 1.0f / kParameters[kBodyBoost].max, kPerBoost = 1.0f / kNeutralBoost;
        drawNumber(double(parameter(kBodyBoost)) * kPerBody * 100.0, 460, 143, NumberKind::Percent, 4);
        for (const BoostReadout& r : kBoostReadouts) {
            const float value = parameter(r.param);
            const int32_t b = parameterCode(r.param);
            if (b >= kNeutralBoost)
                drawNumber((double(value) - kNeutralBoost) * kPerBoost * 100.0, 355, r.row, NumberKind::Percent, 4);
            else if (b > 0)
                drawNumber(double(value) * kPerBoost, 355, r.row, NumberKind::Decibels, 4);
            else
                drawNumber(0.0, 359, r.row, NumberKind::Infinite, 4);  // the band is cut completely
        }
        for (int i = 0; i < 3; ++i) drawNumber(parameter(kFreqParams[i]), 437, kFreqRows[i], NumberKind::Hertz, 2);
    }

    p.present(context, skin, skin::kWidth, skin::kFullHeight);
    p.releaseWindowContext(window, context);
}

void MaximizerEditor::drawNumber(double value, int32_t x, int32_t y, NumberKind kind, int8_t digitsUsed) {
    if (isOpen != 1 || !skin) return;
    platform::Platform& p = *host;
    auto draw = [&](const skin::Rect& s, int32_t dx, int32_t dy) { p.copyRect(skin, s.x, s.y, s.w, s.h, dx, dy); };

    textBuffer[0] = 0;
    if (kind == NumberKind::Decibels)
        float2string(static_cast<float>(20.0 * std::log10(value)), textBuffer, digitsUsed);
    else if (kind != NumberKind::Infinite)
        float2string(static_cast<float>(value), textBuffer, digitsUsed);
    textBuffer[sizeof textBuffer - 1] = 0;
    // A negative value that rounds to zero keeps its width but not its sign.
    if (std::strcmp(textBuffer, "-0:0") == 0) textBuffer[0] = '*';

    int32_t pen = 0;
    for (const char* c = textBuffer; *c; ++c) {
        if (*c >= '0' && *c <= '9') {
            const skin::Rect glyph = skin::digitGlyph(*c - '0');
            draw(glyph, x + pen, y);
            pen += glyph.w + 1;
        } else if (*c == '-') {
            draw(skin::kMinusGlyph, x + pen, y);
            pen += 6;
        } else if (*c == ':') {
            draw(skin::kPointGlyph, x + pen, y);
            pen += 4;
        } else {
            pen += 6;
        }
    }
    constexpr skin::Rect kSuffix[4] = {skin::kDbGlyph, skin::kPercentGlyph, skin::kHzGlyph, skin::kInfGlyph};
    draw(kSuffix[static_cast<int>(kind)], x + pen, y);
}

// What the engine published since the last frame: a higher peak replaces the
// painted one and stops its fall, a lower gain deepens the reduction. After a
// restart of processing the meters rest.
void MaximizerEditor::takeMeters() {
    Meters& meters = engine.meters();
    if (const uint32_t epoch = meters.epoch(); epoch != meterEpoch) {
        meterEpoch = epoch;
        for (MeterReading& m : meter) m = {0.0f, 0.0f, 1.0f};
    }
    for (int c = 0; c < 2; ++c) {
        const MeterTake t = meters.take(c);
        if (!(t.peak <= meter[c].peak)) {
            meter[c].peak = t.peak;
            meter[c].fallSpeed = 0.0f;
        }
        if (t.reduction < meter[c].reduction) meter[c].reduction = t.reduction;
    }
}
