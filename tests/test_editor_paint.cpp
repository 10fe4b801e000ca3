// Painting: each frame is compared with the synthetic sheet, whose pixels
// name their own sheet position, so a region shows exactly one sprite.
#include <cmath>
#include <iterator>
#include <string>

#include "tests/support/Checks.h"
#include "engine/Tables.h"
#include "tests/editor_support.h"

using namespace editortest;
namespace s = skin;

namespace {

// Checks that `text` is drawn from (x, y) glyph by glyph, followed by `suffix`.
bool showsText(const Rig& rig, const std::string& text, int32_t x, int32_t y, const s::Rect& suffix) {
    int32_t pen = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            const s::Rect g = s::digitGlyph(c - '0');
            if (!rig.shows(g, x + pen, y)) return false;
            pen += g.w + 1;
        } else if (c == '-') {
            if (!rig.shows(s::kMinusGlyph, x + pen, y)) return false;
            pen += 6;
        } else if (c == ':') {
            if (!rig.shows(s::kPointGlyph, x + pen, y)) return false;
            pen += 4;
        } else {
            if (!rig.cleanRect(x + pen, y, 6, 10)) return false;  // a blank
            pen += 6;
        }
    }
    return rig.shows(suffix, x + pen, y);
}

// True when a peak bar of width w on track sprite t shows at row y, seen
// from x 49 on (right of the Limiter Gain marker at its low settings).
bool showsBar(const Rig& rig, const s::Rect& t, int32_t y, int32_t w) {
    return rig.shows({int16_t(t.x + 15), t.y, int16_t(w - 15), t.h}, 49, y) && rig.clean(34 + w, y + 5);
}

// The lid fully open, so the channel selector lamps are visible.
void openLid(Rig& rig) {
    rig.editor->channelPanelOpen = 1;
    rig.editor->channelPanelFrame = 20;
}

}  // namespace

TEST_CASE("the clean panel is the base and rows 0-217 reach the window" * doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.set(kEqDisplay, 1.0f);
    rig.tick();
    CHECK(rig.cleanRect(0, 206, 512, 12));  // below the last EQ row nothing is drawn
    // What the window shows is the back buffer's top, clipped to the window's height.
    CHECK_EQ(rig.window->surface.height, 133);
    bool same = true;
    for (int y = 0; y < 133; ++y)
        for (int x = 0; x < 512; ++x) same = same && rig.window->surface.at(x, y) == rig.pixel(x, y);
    CHECK(same);
}

TEST_CASE("channel lamps or the CAREFUL warning, the EQ-off tab and the link lamp" *
          doctest::test_suite("editor.paint")) {
    struct Spot {
        s::Rect sprite;
        int16_t x, y;
    };
    // Auto Select lamp, warning, the three Force Channels lamps, EQ-off tab, link lamp.
    const Spot spots[] = {{s::kLampLit, 43, 13},  {s::kWarning, 250, 11}, {s::kLampLit, 99, 13},
                          {s::kLampLit, 152, 13}, {s::kLampLit, 195, 13}, {s::kEqOffTab, 1, 118},
                          {s::kLinkLit, 450, 85}};
    struct State {
        float autoSelect, force, eqOn, link;
        const char* shown;  // one '1' per spot drawn, '0' per spot left clean
    };
    const State states[] = {
        {1, 0, 0, 1, "1010011"},
        {0, 2, 1, 0, "0100100"},
        {0, 1.9f, 1, 0, "0101000"},  // codes are truncated
        {0, 7, 1, 0, "0100000"},     // no lamp for a code out of range
    };
    Rig rig;
    openLid(rig);
    for (const State& st : states) {
        rig.set(kAutoSelectChannels, st.autoSelect);
        rig.set(kForceChannels, st.force);
        rig.set(kEqOnOff, st.eqOn);
        rig.set(kStereoLink, st.link);
        rig.tick();
        for (size_t i = 0; i < std::size(spots); ++i) {
            const Spot& p = spots[i];
            const bool shown = st.shown[i] == '1';
            INFO("Force Channels ", st.force, ", spot ", i);
            CHECK((shown ? rig.shows(p.sprite, p.x, p.y) : rig.cleanRect(p.x, p.y, p.sprite.w, p.sprite.h)));
        }
    }
}

TEST_CASE("lid cover and knob frames, and the slide of two frames per paint" * doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.tick();  // frame 0: full cover at 5, 5 and knob frame 0
    CHECK(rig.shows(s::kLidCover, 5, 5, 313, 1));
    CHECK(rig.shows({30, 496, 283, 1}, 35, 24));  // right of the knob frame
    CHECK(rig.shows(s::lidKnobFrame(0), 6, 6));
    CHECK_EQ(rig.editor->channelPanelFrame, 0);  // closed stays closed

    rig.editor->channelPanelOpen = 1;
    rig.tick();
    CHECK_EQ(rig.editor->channelPanelFrame, 2);
    for (int i = 0; i < 3; ++i) rig.tick();
    CHECK_EQ(rig.editor->channelPanelFrame, 8);
    rig.tick();  // frame 8 drawn: cover 311 x 12 at 6, 13
    CHECK(rig.shows({30, 477, 281, 12}, 36, 13));
    CHECK(rig.clean(5, 12));
    CHECK(rig.shows(s::lidKnobFrame(8), 6, 6));
    for (int i = 0; i < 10; ++i) rig.tick();
    CHECK_EQ(rig.editor->channelPanelFrame, 20);
    rig.tick();  // frame 20: neither cover nor knob
    CHECK(rig.cleanRect(6, 6, 17, 19));
    CHECK(rig.cleanRect(60, 5, 30, 20));

    rig.editor->channelPanelFrame = 13;
    rig.tick();
    CHECK(rig.shows(s::lidKnobFrame(13), 6, 6));
    CHECK(rig.shows(s::Rect{316 + 17 * 3, 497, 17, 19}, 6, 6));
    CHECK_EQ(rig.editor->channelPanelFrame, 15);
    rig.editor->channelPanelOpen = 0;
    rig.editor->channelPanelFrame = 1;
    rig.tick();
    CHECK_EQ(rig.editor->channelPanelFrame, 0);
    rig.editor->channelPanelFrame = 99;  // garbage frame is held to the open frame
    rig.editor->channelPanelOpen = 1;
    rig.tick();
    CHECK_EQ(rig.editor->channelPanelFrame, 20);
}

TEST_CASE("reduction bars are blackened from the left by the reduction meter" * doctest::test_suite("editor.paint")) {
    Rig rig;
    const int full = levelPixels[1000000];
    CHECK((full >= 209 && full <= 210));
    rig.set(kLimiterGain, 393.0f);  // the marker out of the way
    rig.meters().setKneeGain(0, 1.0f);
    rig.meters().setKneeGain(1, 1.0f);
    rig.editor->meter[0].reduction = 1.0f;  // no reduction: the whole bar dark
    rig.editor->meter[1].reduction = 0.5f;
    rig.tick();
    for (int y = 59; y < 64; ++y) {
        CHECK_EQ(rig.pixel(33, y), 0u);
        CHECK_EQ(rig.pixel(33 + full - 1, y), 0u);
        CHECK(rig.clean(33 + full, y));
    }
    const int w = levelPixels[500000];
    CHECK((w > 138 && w < 158));  // between the -7 and -5 dB marks
    for (int y = 64; y < 69; ++y) {  // the right bar: rows 64-68
        CHECK_EQ(rig.pixel(33 + w - 1, y), 0u);
        CHECK(rig.clean(33 + w, y));
    }
    CHECK(rig.clean(33, 58));
    CHECK(rig.clean(33, 69));

    rig.editor->meter[0].reduction = 0.0000005f;  // below the first index: fully lit
    rig.editor->meter[1].reduction = -3.0f;
    rig.tick();
    CHECK(rig.cleanRect(33, 60, 220, 4));
    CHECK(rig.cleanRect(33, 64, 220, 5));
    rig.editor->meter[0].reduction = 5.0f;  // above 1.0: clamped to the last entry
    rig.tick();
    CHECK_EQ(rig.pixel(33 + full - 1, 61), 0u);
    CHECK(rig.clean(33 + full, 61));
}

TEST_CASE("knee gain lines grow right from 0 dB on the over scale" * doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.editor->meter[0].reduction = 0.0f;
    rig.editor->meter[1].reduction = 0.0f;
    rig.meters().setKneeGain(0, 0.5f);  // k 500
    rig.meters().setKneeGain(1, 1.0f);  // no line
    rig.tick();
    const int w = overPixels[500] - 210;
    CHECK(w > 20);
    CHECK(rig.shows(s::kGainLine, 244, 59, w, 1));
    CHECK(rig.clean(244 + w, 59));
    CHECK(rig.cleanRect(244, 68, 190, 1));

    rig.meters().setKneeGain(1, -100.0f);  // clamped at index 5400
    rig.tick();
    const int longest = overPixels[5400] - 210;
    CHECK(rig.shows(s::kGainLine, 244, 68, std::min(longest, 186), 1));
    rig.meters().setKneeGain(1, NAN);
    rig.tick();
    CHECK(rig.cleanRect(244, 68, 190, 1));
}

TEST_CASE("peak bars on the level and over scales, with their clamps" * doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.set(kLimiterGain, 8.0f);  // the marker covers x 38-48; bars are checked right of it
    rig.editor->meter[0].peak = 1.0f;  // last entry of the level table
    rig.editor->meter[1].peak = 1.5f;  // entry 500 of the over table
    rig.tick();
    CHECK(showsBar(rig, s::kLevelTrackLeft, 44, levelPixels[1000000] - 1));
    CHECK(showsBar(rig, s::kLevelTrackRight, 70, overPixels[500] - 1));

    rig.editor->meter[0].peak = 10.0f;  // the engine's ceiling: index 5400, the longest bar
    rig.editor->meter[1].peak = 1e9f;
    rig.tick();
    const int longest = overPixels[5400] - 1;
    CHECK((longest > 380 && longest <= 395));
    CHECK(showsBar(rig, s::kLevelTrackLeft, 44, longest));
    CHECK(showsBar(rig, s::kLevelTrackRight, 70, longest));

    rig.editor->meter[0].peak = 0.0f;  // nothing
    rig.editor->meter[1].peak = -0.5f;  // below the first index: nothing, and no read before the table
    rig.tick();
    CHECK(rig.cleanRect(49, 44, 380, 14));
    CHECK(rig.cleanRect(49, 70, 380, 14));
    rig.editor->meter[0].peak = 0.0000165f;  // index 16, -96 dB: pixel 11
    rig.tick();
    rig.set(kLimiterGain, 393.0f);
    rig.tick();
    CHECK(rig.shows(s::kLevelTrackLeft, 34, 44, levelPixels[16] - 1, 14));
    CHECK(rig.clean(34 + levelPixels[16] - 1, 44));
}

TEST_CASE("limiter marker, EQ knobs and the Dull-Sharp marker follow their values" *
          doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.set(kBodyBoost, 0.0f);
    rig.set(kBassBoost, 141.0f);
    rig.set(kMidBoost, 141.5f);  // truncates to 141: at centre
    rig.set(kHiBoost, 200.0f);
    rig.tick();
    // The caps cover the line's first and last rows.
    const s::Rect lineBody{504, 444, 3, 40};
    CHECK(rig.shows(lineBody, 207 + 34, 44));
    CHECK(rig.shows(s::kMarkerCapTop, 207 + 30, 38));
    CHECK(rig.shows(s::kMarkerCapBottom, 207 + 30, 84));
    CHECK(rig.shows(s::kKnobOffCentre, 46, 141));
    CHECK(rig.shows(s::kKnobAtCentre, 187, 158));
    CHECK(rig.shows(s::kKnobAtCentre, 187, 175));
    CHECK(rig.shows(s::kKnobOffCentre, 246, 192));
    CHECK(rig.shows(s::kDullSharpMarker, 150 + 69, 112));

    rig.set(kLimiterGain, 393.0f);
    rig.set(kDullSharp, 0.0f);
    rig.set(kBassBoost, 140.0f);
    rig.tick();
    CHECK(rig.shows(lineBody, 427, 44));
    CHECK(rig.shows(s::kDullSharpMarker, 69, 112));
    CHECK(rig.shows(s::kKnobOffCentre, 186, 158));

    rig.set(kBodyBoost, 3e9f);  // far out of range: drawn off the sheet, nothing breaks
    rig.set(kLimiterGain, -INFINITY);
    rig.tick();
    CHECK(rig.cleanRect(46, 141, 400, 13));  // the knob lies far off the sheet
    CHECK(rig.cleanRect(33, 38, 398, 6));     // and so does the marker
}

TEST_CASE("algorithm name, knee symbol and speed letter" * doctest::test_suite("editor.paint")) {
    struct Sprite {
        s::Rect sheet;
        int16_t x;
    };
    struct State {
        float algorithm, softKnee;
        std::vector<Sprite> shown;  // each at y 110
    };
    const State states[] = {
        {0, 2, {{s::kFullGlyph, 292}, {s::kTransientAlgorithmGlyph, 321}, {s::kKneeDim, 446}, {s::kSpeedDim[2], 462}}},
        {4, 0, {{s::kSmoothGlyph, 287}, {s::kTransientAlgorithmGlyph, 327}, {s::kKneeBright, 446},
                {s::kSpeedBright[0], 463}}},
        {5, 1, {{s::kSmoothGlyph, 287}, {s::kFallingGlyph, 327}, {s::kAlgorithmGlyph, 374}, {s::kSpeedBright[1], 463}}},
        // Out of range codes are held inside the table.
        {-7, NAN, {{s::kFullGlyph, 292}, {s::kSpeedDim[0], 463}}},
    };
    Rig rig;
    for (const State& state : states) {
        rig.set(kAlgorithm, state.algorithm);
        rig.set(kSoftKnee, state.softKnee);
        rig.tick();
        INFO("algorithm ", state.algorithm, ", soft knee ", state.softKnee);
        for (const Sprite& sprite : state.shown) CHECK(rig.shows(sprite.sheet, sprite.x, 110));
    }
}

TEST_CASE("readouts: gain, output's *0:0, percent, cut in dB, inf and hertz" * doctest::test_suite("editor.paint")) {
    Rig rig;
    rig.set(kEqDisplay, 1.0f);
    rig.set(kBassBoost, 141.0f);
    rig.set(kMidBoost, 140.0f);
    rig.set(kHiBoost, 0.0f);
    rig.set(kBodyBoost, 387.0f);
    rig.set(kBassFreq, 100.0f);
    rig.set(kMidFreq, 800.0f);
    rig.set(kTrebleFreq, 3000.0f);
    rig.plugin->engine.updateCoefficients();
    rig.tick();
    CHECK_NEAR(rig.plugin->engine.limiterGain(), 1.0, 1e-6);
    CHECK(showsText(rig, "0:00", 441, 44, s::kDbGlyph));
    // Out Gain 196 gives 1.0; 1.0 - 0.00001 is about -0.00009 dB, shown without its sign.
    CHECK_EQ(rig.plugin->engine.outputGain(), 1.0f);
    CHECK(showsText(rig, "*0:0", 441, 69, s::kDbGlyph));
    CHECK(showsText(rig, "100:", 460, 143, s::kPercentGlyph));
    CHECK(showsText(rig, "0:00", 355, 160, s::kPercentGlyph));
    CHECK(showsText(rig, "*0:0", 355, 177, s::kDbGlyph));  // 140: about -0.06 dB
    CHECK(rig.shows(s::kInfGlyph, 359, 194));
    CHECK(showsText(rig, "100:00", 437, 160, s::kHzGlyph));
    CHECK(showsText(rig, "800:00", 437, 177, s::kHzGlyph));
    CHECK(showsText(rig, "3000:0", 437, 194, s::kHzGlyph));
    // Bass Freq 100 exactly as the example: 1, 0, 0, point, 0, 0, Hz.
    CHECK(rig.shows(s::digitGlyph(1), 437, 160));
    CHECK(rig.shows(s::kPointGlyph, 458, 160));
    CHECK(rig.shows(s::kHzGlyph, 476, 160));

    rig.set(kBassBoost, 70.5f);  // a cut: 20 log10(0.5) is -6.02 dB
    rig.set(kMidBoost, 282.0f);  // the top boost, 100 %
    rig.tick();
    CHECK(showsText(rig, "-6:0", 355, 160, s::kDbGlyph));
    CHECK(showsText(rig, "100:", 355, 177, s::kPercentGlyph));
}

TEST_CASE("peaks fall 0.03, 0.06, 0.09 then 0.1 per frame; reductions recover by 0.08" *
          doctest::test_suite("editor.meters")) {
    Rig rig;
    rig.meters().setChannels(1, 0, 0);
    rig.editor->meter[0].peak = 1.0f;
    rig.editor->meter[0].fallSpeed = 0.0f;
    rig.editor->meter[0].reduction = 0.5f;
    rig.editor->meter[1].peak = 0.8f;  // the right channel is not processed: it stands still
    rig.editor->meter[1].reduction = 0.3f;
    const double peaks[] = {1.0, 0.97, 0.91, 0.82, 0.72, 0.62};
    for (double expected : peaks) {
        rig.tick();
        CHECK_NEAR(rig.editor->meter[0].peak, expected, 1e-6);
    }
    CHECK_NEAR(rig.editor->meter[0].fallSpeed, 0.1, 1e-7);
    CHECK_NEAR(rig.editor->meter[0].reduction, 0.98, 1e-6);
    rig.tick();
    CHECK_EQ(rig.editor->meter[0].reduction, 1.0f);  // capped
    CHECK_EQ(rig.editor->meter[1].peak, 0.8f);
    CHECK_EQ(rig.editor->meter[1].reduction, 0.3f);

    rig.editor->meter[0].peak = 0.05f;
    rig.tick();  // falls below zero: rests at 0 with no speed
    CHECK_EQ(rig.editor->meter[0].peak, 0.0f);
    CHECK_EQ(rig.editor->meter[0].fallSpeed, 0.0f);
}

TEST_CASE("what the engine publishes between two ticks is painted at the next one" *
          doctest::test_suite("editor.meters")) {
    Rig rig;
    rig.set(kLimiterGain, 8.0f);  // the marker out of the way of the bars
    rig.meters().setChannels(1, 1, 0);
    rig.editor->meter[0].peak = 0.5f;
    rig.editor->meter[0].fallSpeed = 0.1f;
    rig.tick();  // the painted peak falls to 0.4
    // The audio thread, between two frames: a higher peak and a deeper
    // reduction, then lower ones that must not replace them.
    rig.meters().raisePeak(0, 0.9f);
    rig.meters().raisePeak(0, 0.45f);
    rig.meters().lowerReduction(1, 0.25f);
    rig.meters().lowerReduction(1, 0.5f);
    rig.tick();
    const int w = levelPixels[900000] - 1;
    CHECK(showsBar(rig, s::kLevelTrackLeft, 44, w));
    CHECK_EQ(rig.pixel(33 + levelPixels[250000] - 1, 65), 0u);
    CHECK(rig.clean(33 + levelPixels[250000], 65));
    // The raised peak starts falling from rest; the reduction recovers from 0.25.
    CHECK_EQ(rig.editor->meter[0].peak, 0.9f);
    CHECK_NEAR(rig.editor->meter[0].fallSpeed, 0.03, 1e-7);
    CHECK_NEAR(rig.editor->meter[1].reduction, 0.33, 1e-6);
    // A restart of processing lets every meter rest.
    rig.plugin->engine.prepare(44100.0f, 512);
    rig.tick();
    CHECK_EQ(rig.editor->meter[0].peak, 0.0f);
    CHECK_EQ(rig.editor->meter[1].reduction, 1.0f);
}

TEST_CASE("solo keeps the other channel's meters at rest" * doctest::test_suite("editor.meters")) {
    Rig rig;
    rig.meters().setChannels(1, 1, 1);
    rig.editor->meter[1].peak = 0.9f;
    rig.editor->meter[1].reduction = 0.2f;
    rig.editor->meter[0].peak = 0.9f;
    rig.tick();
    CHECK_EQ(rig.editor->meter[1].peak, 0.0f);
    CHECK_EQ(rig.editor->meter[1].reduction, 1.0f);
    CHECK(rig.editor->meter[0].peak > 0.8f);
    rig.meters().setChannels(1, 1, 2);
    rig.tick();
    CHECK_EQ(rig.editor->meter[0].peak, 0.0f);
    CHECK_EQ(rig.editor->meter[0].reduction, 1.0f);
}

TEST_CASE("the credits picture freezes meters and lid until the button is released" *
          doctest::test_suite("editor.meters")) {
    Rig rig;
    rig.meters().setChannels(1, 0, 0);
    rig.editor->meter[0].peak = 0.9f;
    rig.editor->meter[0].fallSpeed = 0.1f;
    rig.editor->channelPanelOpen = 1;
    rig.press(490, 110);  // the logo
    CHECK_EQ(rig.editor->dragMode, kDragCredits);
    rig.tick();
    rig.tick();
    CHECK(rig.shows(s::kCreditsCompact, 0, 0));
    CHECK_EQ(rig.editor->meter[0].peak, 0.9f);
    CHECK_EQ(rig.editor->channelPanelFrame, 0);
    rig.set(kEqDisplay, 1.0f);
    rig.tick();
    CHECK(rig.shows(s::kCreditsFull, 0, 0));
    rig.release(false);  // either button ends it
    rig.tick();
    CHECK_NEAR(rig.editor->meter[0].peak, 0.8, 1e-6);
    CHECK_EQ(rig.editor->channelPanelFrame, 2);
    CHECK(rig.cleanRect(300, 140, 50, 1));
}
