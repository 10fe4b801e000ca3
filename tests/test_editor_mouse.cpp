// Mouse interaction: both hit tables, every gesture with its bounds and
// anchors, the algorithm field, the toggles and the automation requests.
#include <initializer_list>
#include <vector>

#include "tests/support/Checks.h"
#include "tests/editor_support.h"

using namespace editortest;

namespace {

struct Press {
    int16_t x, y;
    uint8_t gesture;
    bool left = true;
};

// Automation requests for one parameter since the last clear.
std::vector<float> requestsFor(int index) {
    std::vector<float> found;
    for (const Automation& a : automations())
        if (a.index == index) found.push_back(a.value);
    return found;
}

// A press, moves that each let a tick apply them, and the release.
struct Drag {
    int16_t x, y;
    bool left;
    int param;
    struct Step {
        int16_t x, y;
        float expected;
    };
    std::vector<Step> steps;
};

void checkDrags(Rig& rig, std::initializer_list<Drag> drags) {
    for (const Drag& d : drags) {
        rig.press(d.x, d.y, d.left);
        for (const Drag::Step& step : d.steps) {
            INFO("pressed at ", d.x, ", ", d.y, " (left ", d.left, "), moved to ", step.x, ", ", step.y);
            CHECK_NEAR(rig.afterMove(step.x, step.y, d.param), step.expected, 1e-4);
        }
        rig.release(d.left);
    }
}

}  // namespace

TEST_CASE("presses start the gesture of each rectangle, at its edges too" * doctest::test_suite("editor.mouse")) {
    const Press presses[] = {
        {437, 41, kDragLimiterGainFine}, {481, 56, kDragLimiterGainFine}, {33, 39, kDragLimiterGain},
        {430, 89, kDragLimiterGain},     {67, 111, kDragDullSharp},       {242, 119, kDragDullSharp},
        {438, 67, kDragOutGain},         {480, 80, kDragOutGain},         {46, 141, kDragBodyBoost},
        {454, 154, kDragBodyBoost},      {46, 158, kDragBassBoost},       {347, 171, kDragBassBoost},
        {100, 180, kDragMidBoost},       {100, 200, kDragHiBoost},        {427, 158, kDragBassFreq},
        {496, 171, kDragBassFreq},       {450, 180, kDragMidFreq},        {450, 205, kDragTrebleFreq},
        {482, 100, kDragCredits},        {507, 123, kDragCredits},        {32, 38, kDragNone},
        {431, 60, kDragNone},            {497, 160, kDragNone},           {100, 300, kDragNone},
        // The right button's GAIN box lies lower: 45-60.
        {437, 41, kDragNone, false},     {440, 50, kDragLimiterGainFine, false}, {481, 60, kDragLimiterGainFine, false},
        {430, 89, kDragLimiterGain, false},
    };
    Rig rig;
    for (const Press& p : presses) {
        rig.press(p.x, p.y, p.left);
        INFO("at ", p.x, ", ", p.y, " (left ", p.left, ")");
        CHECK_EQ(int(rig.editor->dragMode), int(p.gesture));
        rig.release(p.left);
    }
}

TEST_CASE("Limiter Gain gestures: absolute with the button's floor, and fine" * doctest::test_suite("editor.mouse")) {
    Rig rig;
    checkDrags(rig, {
        // y plays no part; 208 is the left button's floor.
        {200, 60, true, kLimiterGain, {{100, 500, 208.0f}, {300, 60, 265.0f}, {2000, 60, 393.0f}}},
        // Captured: positions outside the window keep coming.
        {200, 60, false, kLimiterGain, {{100, 60, 65.0f}, {-50, 60, 8.0f}}},
    });
    rig.set(kLimiterGain, 250.0f);
    checkDrags(rig, {
        {450, 50, true, kLimiterGain, {{460, 50, 254.149f}, {-3000, 50, 208.0f}}},  // 10 pixels × 0.4149
        // Right: no floor of its own; the setter keeps at least 8.
        {450, 50, false, kLimiterGain, {{-3000, 50, 8.0f}, {3000, 50, 393.0f}}},
    });
}

TEST_CASE("slider and knob gestures follow x with their offsets and bounds" * doctest::test_suite("editor.mouse")) {
    Rig rig;
    checkDrags(rig, {
        {100, 115, true, kDullSharp, {{100, 115, 30.0f}}},   {100, 115, true, kDullSharp, {{-20, 115, 0.0f}}},
        {100, 115, true, kDullSharp, {{900, 115, 162.0f}}},  {100, 145, true, kBodyBoost, {{300, 145, 244.0f}}},
        {100, 145, true, kBodyBoost, {{999, 145, 387.0f}}},  {100, 145, true, kBodyBoost, {{10, 145, 0.0f}}},
        {100, 160, true, kBassBoost, {{197, 160, 141.0f}}},  {100, 160, true, kBassBoost, {{999, 160, 282.0f}}},
        {100, 177, true, kMidBoost, {{56, 177, 0.0f}}},      {100, 177, true, kMidBoost, {{400, 177, 282.0f}}},
        {100, 194, true, kHiBoost, {{156, 194, 100.0f}}},    {100, 194, true, kHiBoost, {{-5, 194, 0.0f}}},
    });
}

TEST_CASE("relative gestures: Out Gain and the frequency boxes from their anchors" *
          doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.set(kBassFreq, 100.7f);  // the anchor's fraction is dropped
    checkDrags(rig, {
        {440, 70, true, kOutGain, {{430, 70, 186.0f}, {2000, 70, 196.0f}, {-2000, 70, 0.0f}}},  // from 196
        {450, 160, true, kBassFreq, {{455, 160, 105.0f}, {1450, 160, 500.0f}, {-550, 160, 80.0f}}},
        // Mid Freq 800, ten hertz per pixel.
        {450, 177, true, kMidFreq, {{460, 177, 900.0f}, {1450, 177, 3000.0f}, {-550, 177, 500.0f}}},
        {450, 194, true, kTrebleFreq, {{455, 194, 3050.0f}, {2450, 194, 20000.0f}, {0, 194, 3000.0f}}},  // from 3000
    });
}

TEST_CASE("a gesture tells the host on every tick, moved or not, and stops on release" *
          doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.press(100, 115);
    rig.move(120, 115);
    automations().clear();
    rig.tick();
    rig.tick();
    rig.tick();
    const std::vector<float> sent = requestsFor(kDullSharp);
    CHECK_EQ(sent.size(), size_t(3));
    if (!sent.empty()) CHECK_NEAR(sent[0], 50.0 / kParameters[kDullSharp].max, 1e-7);
    rig.release(false);  // the right button's release ends a left-button gesture
    CHECK_EQ(int(rig.editor->dragMode), 0);
    rig.tick();
    CHECK_EQ(requestsFor(kDullSharp).size(), size_t(3));

    // The credits gesture changes nothing.
    rig.press(490, 110);
    automations().clear();
    rig.tick();
    CHECK(automations().empty());
    rig.release();
}

TEST_CASE("presses during a gesture are ignored; it ends when another window takes the mouse, not the editor" *
          doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.set(kOutGain, 50.0f);
    rig.press(100, 115);  // Dull-Sharp
    CHECK(rig.platform.captured == rig.window);
    rig.press(20, 120);         // the EQ tab: would toggle EQ Display
    rig.press(440, 80, false);  // would reset Out Gain; captures again
    CHECK_EQ(int(rig.editor->dragMode), int(kDragDullSharp));
    CHECK_NEAR(rig.value(kEqDisplay), 0.0f, 1e-3);
    CHECK_NEAR(rig.value(kOutGain), 50.0f, 1e-3);
    rig.platform.captureMouse(rig.frame);  // the host takes the mouse: no button-up will come
    CHECK_EQ(int(rig.editor->dragMode), 0);
    automations().clear();
    rig.move(200, 115);
    rig.tick();
    CHECK(requestsFor(kDullSharp).empty());
    // The next press starts afresh.
    rig.press(100, 115);
    CHECK_EQ(int(rig.editor->dragMode), int(kDragDullSharp));
    rig.release();
    CHECK(rig.platform.captured == nullptr);
}

TEST_CASE("right presses reset the EQ rows, Dull-Sharp and Out Gain, and toggle EQ on/off" *
          doctest::test_suite("editor.mouse")) {
    struct Case {
        int16_t x, y;
        int param;
        float before, after;
    };
    const Case cases[] = {
        {440, 80, kOutGain, 20.0f, 196.0f},    {100, 115, kDullSharp, 3.0f, 150.0f},
        {100, 145, kBodyBoost, 99.0f, 0.0f},   {100, 160, kBassBoost, 7.0f, 141.0f},
        {100, 177, kMidBoost, 280.0f, 141.0f}, {100, 194, kHiBoost, 0.0f, 141.0f},
        {20, 120, kEqOnOff, 1.0f, 0.0f},       {20, 120, kEqOnOff, 0.0f, 1.0f},
    };
    Rig rig;
    for (const Case& c : cases) {
        rig.set(c.param, c.before);
        automations().clear();
        rig.press(c.x, c.y, false);
        CHECK_EQ(int(rig.editor->dragMode), 0);
        CHECK_NEAR(rig.value(c.param), c.after, 1e-3);
        const std::vector<float> sent = requestsFor(c.param);
        CHECK_EQ(sent.size(), size_t(1));
        if (!sent.empty()) CHECK_NEAR(sent[0], c.after / kParameters[c.param].max, 1e-7);
        rig.release(false);
    }
    // A left press on the Hi track starts a drag instead.
    rig.press(100, 194);
    CHECK_EQ(int(rig.editor->dragMode), int(kDragHiBoost));
    rig.release();
}

TEST_CASE("the algorithm field steps names, toggles the knee and steps the speed" *
          doctest::test_suite("editor.mouse")) {
    struct Case {
        int16_t x;
        bool left;
        float algorithm, softKnee;
        float algorithmAfter, softKneeAfter;
    };
    const Case cases[] = {
        {300, true, 0, 1, 2, 1},  {300, true, 3, 1, 5, 1},  {300, true, 1, 1, 0, 1},  {435, true, 4, 1, 3, 1},
        {300, false, 2, 1, 0, 1}, {300, false, 5, 1, 3, 1}, {300, false, 0, 1, 1, 1},
        {440, true, 1, 1, 4, 1},  {459, false, 4, 1, 1, 1},
        {470, true, 1, 0, 4, 0},   // speed letters of a hard knee: switch to the soft variant
        {470, true, 3, 0, 3, 2},  {470, true, 3, 2, 3, 1},  {470, false, 5, 2, 5, 0}, {460, false, 5, 0, 5, 1},
    };
    Rig rig;
    for (const Case& c : cases) {
        rig.set(kAlgorithm, c.algorithm);
        rig.set(kSoftKnee, c.softKnee);
        automations().clear();
        rig.press(c.x, 110, c.left);
        rig.release(c.left);
        CHECK_NEAR(rig.value(kAlgorithm), c.algorithmAfter, 1e-3);
        CHECK_NEAR(rig.value(kSoftKnee), c.softKneeAfter, 1e-3);
        CHECK_EQ(automations().size(), size_t(1));
    }
}

TEST_CASE("lid, link and EQ tab toggles; EQ Display fits the window" * doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.press(10, 10);
    CHECK_EQ(rig.editor->channelPanelOpen, 1);
    CHECK(automations().empty());  // not a parameter
    rig.release();
    rig.press(20, 20);
    CHECK_EQ(rig.editor->channelPanelOpen, 0);
    rig.release();

    rig.press(455, 90);
    CHECK_NEAR(rig.value(kStereoLink), 0.0f, 1e-3);
    CHECK_EQ(requestsFor(kStereoLink).size(), size_t(1));
    rig.release();

    CHECK_EQ(rig.window->rect.height(), 133);
    rig.press(20, 120);
    rig.release();
    CHECK_NEAR(rig.value(kEqDisplay), 1.0f, 1e-3);
    CHECK_EQ(requestsFor(kEqDisplay).size(), size_t(1));
    CHECK_EQ(rig.window->rect.height(), 218);
    rig.press(0, 132);
    rig.release();
    CHECK_EQ(rig.window->rect.height(), 133);

    // A stored negative value is open, drawn open, and the tab closes it.
    rig.plugin->setParameter(kEqDisplay, -1.0f);
    CHECK_EQ(rig.window->rect.height(), 218);
    rig.press(20, 120);
    rig.release();
    CHECK_NEAR(rig.value(kEqDisplay), 0.0f, 1e-3);
    CHECK_EQ(rig.window->rect.height(), 133);
}

TEST_CASE("channel toggles act only with the panel open; manual channels only without Auto" *
          doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.plugin->reportChannelMode = 0;
    rig.press(45, 15);  // AUTO, panel closed
    rig.release();
    CHECK_NEAR(rig.value(kAutoSelectChannels), 1.0f, 1e-3);
    rig.press(152, 15);  // LEFT, panel closed
    rig.release();
    CHECK_NEAR(rig.value(kForceChannels), 0.0f, 1e-3);

    rig.editor->channelPanelOpen = 1;
    rig.press(155, 15);  // LEFT while Auto Select is on
    rig.release();
    CHECK_NEAR(rig.value(kForceChannels), 0.0f, 1e-3);

    rig.press(45, 15);  // Auto Select off: no detection request
    rig.release();
    CHECK_NEAR(rig.value(kAutoSelectChannels), 0.0f, 1e-3);
    CHECK_EQ(int(rig.plugin->reportChannelMode.load()), 0);

    const struct {
        int16_t x;
        float force;
    } buttons[] = {{155, 1.0f}, {206, 2.0f}, {98, 0.0f}};
    for (const auto& b : buttons) {
        automations().clear();
        rig.press(b.x, 21);
        rig.release();
        CHECK_NEAR(rig.value(kForceChannels), b.force, 1e-3);
        CHECK_EQ(requestsFor(kForceChannels).size(), size_t(1));
    }

    rig.press(54, 12);  // Auto Select on: asks the engine to report the channel mode
    rig.release();
    CHECK_NEAR(rig.value(kAutoSelectChannels), 1.0f, 1e-3);
    CHECK_EQ(int(rig.plugin->reportChannelMode.load()), 1);
}

TEST_CASE("every left press and every accepted right press recompute the coefficients" *
          doctest::test_suite("editor.mouse")) {
    Rig rig;
    rig.set(kOutGain, 0.0f);  // written behind the engine's back
    rig.press(300, 300);                      // outside every rectangle
    rig.release();
    CHECK_NEAR(rig.plugin->engine.outputGain(), 0.001, 1e-6);
    rig.set(kOutGain, 196.0f);
    rig.press(300, 300, false);
    rig.release(false);
    CHECK_EQ(rig.plugin->engine.outputGain(), 1.0f);
}
