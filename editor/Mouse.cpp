// Mouse handling: two hit tables for the button presses, the algorithm
// field's stepping, and the gestures applied on each timer tick.
#include <algorithm>
#include <cmath>

#include "editor/MaximizerEditor.h"

namespace {

enum class Action : uint8_t {
    StartDrag,         // start gesture `arg`
    StartDragAnchored, // start gesture `arg`, anchored at x and the parameter's value
    StepAlgorithm,
    ToggleLid,
    Toggle,            // parameter `param` = (int) value XOR 1
    ToggleEqDisplay,
    ToggleAutoSelect,
    ForceChannels,     // Force Channels = `arg`
    Reset,             // parameter `param` = `value`
};

enum Condition : uint8_t { kAlways, kPanelOpen, kPanelOpenManual };

struct Hit {
    int16_t x0, x1, y0, y1;  // inclusive
    Action action;
    int32_t param;
    uint8_t arg;
    float value;
    Condition when;
    int8_t byLeft;  // dragByLeftButton for the Limiter Gain gestures; -1 leaves it
};

constexpr Hit kLeftHits[] = {
    {437, 481, 41, 56, Action::StartDragAnchored, kLimiterGain, kDragLimiterGainFine, 0, kAlways, 1},
    {33, 430, 39, 89, Action::StartDrag, kLimiterGain, kDragLimiterGain, 0, kAlways, 1},
    {67, 242, 111, 119, Action::StartDrag, kDullSharp, kDragDullSharp, 0, kAlways, -1},
    {438, 480, 67, 80, Action::StartDragAnchored, kOutGain, kDragOutGain, 0, kAlways, -1},
    {279, 481, 106, 123, Action::StepAlgorithm, kAlgorithm, 0, 0, kAlways, -1},
    {46, 454, 141, 154, Action::StartDrag, kBodyBoost, kDragBodyBoost, 0, kAlways, -1},
    {46, 347, 158, 171, Action::StartDrag, kBassBoost, kDragBassBoost, 0, kAlways, -1},
    {46, 347, 175, 188, Action::StartDrag, kMidBoost, kDragMidBoost, 0, kAlways, -1},
    {46, 347, 192, 205, Action::StartDrag, kHiBoost, kDragHiBoost, 0, kAlways, -1},
    {427, 496, 158, 171, Action::StartDragAnchored, kBassFreq, kDragBassFreq, 0, kAlways, -1},
    {427, 496, 175, 188, Action::StartDragAnchored, kMidFreq, kDragMidFreq, 0, kAlways, -1},
    {427, 496, 192, 205, Action::StartDragAnchored, kTrebleFreq, kDragTrebleFreq, 0, kAlways, -1},
    {482, 507, 100, 123, Action::StartDrag, -1, kDragCredits, 0, kAlways, -1},
    {6, 20, 6, 20, Action::ToggleLid, -1, 0, 0, kAlways, -1},
    {450, 468, 85, 95, Action::Toggle, kStereoLink, 0, 0, kAlways, -1},
    {0, 37, 117, 132, Action::ToggleEqDisplay, kEqDisplay, 0, 0, kAlways, -1},
    {42, 54, 12, 21, Action::ToggleAutoSelect, kAutoSelectChannels, 0, 0, kPanelOpen, -1},
    {98, 110, 12, 21, Action::ForceChannels, kForceChannels, 0, 0, kPanelOpenManual, -1},
    {151, 163, 12, 21, Action::ForceChannels, kForceChannels, 1, 0, kPanelOpenManual, -1},
    {194, 206, 12, 21, Action::ForceChannels, kForceChannels, 2, 0, kPanelOpenManual, -1},
};

// Right button: the EQ rows and the Dull-Sharp track reset instead of dragging.
constexpr Hit kRightHits[] = {
    {33, 430, 39, 89, Action::StartDrag, kLimiterGain, kDragLimiterGain, 0, kAlways, 0},
    {437, 481, 45, 60, Action::StartDragAnchored, kLimiterGain, kDragLimiterGainFine, 0, kAlways, 0},
    {438, 480, 74, 87, Action::Reset, kOutGain, 0, kOutGainUnity, kAlways, -1},
    {279, 481, 106, 123, Action::StepAlgorithm, kAlgorithm, 0, 0, kAlways, -1},
    {67, 242, 111, 119, Action::Reset, kDullSharp, 0, kParameters[kDullSharp].defaultValue, kAlways, -1},
    {46, 454, 141, 154, Action::Reset, kBodyBoost, 0, 0.0f, kAlways, -1},
    {46, 347, 158, 171, Action::Reset, kBassBoost, 0, kNeutralBoost, kAlways, -1},
    {46, 347, 175, 188, Action::Reset, kMidBoost, 0, kNeutralBoost, kAlways, -1},
    {46, 347, 192, 205, Action::Reset, kHiBoost, 0, kNeutralBoost, kAlways, -1},
    {0, 37, 117, 132, Action::Toggle, kEqOnOff, 0, 0, kAlways, -1},
};

enum class Rule : uint8_t {
    Offset,      // x - offset
    Relative,    // (int) anchor value + scale × (x - anchor x)
    Fine,        // anchor value + 0.4149 × (x - anchor x), fraction kept
};

// A drag moves its parameter between the parameter's floor and its max;
// the left button's Limiter Gain gestures stop at 208 instead of the floor,
// and the right button's fine gesture has no lower stop.
struct Gesture {
    int32_t param;  // -1: the gesture changes nothing
    Rule rule;
    int32_t offsetOrScale;
    float lowerLeft, lowerRight;  // lower bound by the button that started it
    float upper() const { return kParameters[param].max; }
};

constexpr float kNoBound = -INFINITY;
constexpr float floorOf(int32_t param) { return kParameters[param].lowest; }
constexpr Gesture kGestures[14] = {
    {-1, Rule::Offset, 0, 0, 0},                                                // 0 none
    {kLimiterGain, Rule::Offset, 35, 208.0f, floorOf(kLimiterGain)},            // 1
    {-1, Rule::Offset, 0, 0, 0},                                                // 2 unused
    {-1, Rule::Offset, 0, 0, 0},                                                // 3 credits
    {kHiBoost, Rule::Offset, 56, 0.0f, 0.0f},                                   // 4
    {kLimiterGain, Rule::Fine, 0, 208.0f, kNoBound},                            // 5
    {kOutGain, Rule::Relative, 1, 0.0f, 0.0f},                                  // 6
    {kDullSharp, Rule::Offset, 70, 0.0f, 0.0f},                                 // 7
    {kBodyBoost, Rule::Offset, 56, 0.0f, 0.0f},                                 // 8
    {kBassFreq, Rule::Relative, 1, floorOf(kBassFreq), floorOf(kBassFreq)},     // 9
    {kTrebleFreq, Rule::Relative, 10, floorOf(kTrebleFreq), floorOf(kTrebleFreq)},  // 10
    {kBassBoost, Rule::Offset, 56, 0.0f, 0.0f},                                 // 11
    {kMidBoost, Rule::Offset, 56, 0.0f, 0.0f},                                  // 12
    {kMidFreq, Rule::Relative, 10, floorOf(kMidFreq), floorOf(kMidFreq)},       // 13
};

bool inside(const Hit& h, int32_t x, int32_t y) { return x >= h.x0 && x <= h.x1 && y >= h.y0 && y <= h.y1; }

}  // namespace

// The actions of both hit tables, with access to the editor's state.
struct EditorActions {
    static void act(MaximizerEditor& e, const Hit& h, bool leftButton) {
        switch (h.action) {
            case Action::StartDragAnchored:
                e.dragAnchorX = e.mouseX;
                e.dragAnchorValue = e.parameter(h.param);
                [[fallthrough]];
            case Action::StartDrag:
                e.dragMode = h.arg;
                if (h.byLeft >= 0) e.dragByLeftButton = static_cast<uint8_t>(h.byLeft);
                break;
            case Action::StepAlgorithm: stepAlgorithm(e, leftButton); break;
            case Action::ToggleLid: e.channelPanelOpen ^= 1; break;
            case Action::Toggle: e.changeParameter(h.param, float(e.parameterCode(h.param) ^ 1)); break;
            case Action::ToggleEqDisplay:
                e.changeParameter(h.param, eqSectionOpen(e.parameter(h.param)) ? 0.0f : 1.0f);
                e.fitHostWindow();
                break;
            case Action::ToggleAutoSelect:
                e.changeParameter(h.param, float(e.parameterCode(h.param) ^ 1));
                if (e.parameterCode(h.param) == 1) e.link.recheckChannels();
                break;
            case Action::ForceChannels: e.changeParameter(h.param, float(h.arg)); break;
            case Action::Reset: e.changeParameter(h.param, h.value); break;
        }
    }

    // The algorithm field: speed letter, knee symbol or name, by x.
    static void stepAlgorithm(MaximizerEditor& e, bool leftButton) {
        const int32_t x = e.mouseX;
        const int32_t a = truncateToIndex(e.parameter(kAlgorithm), 5);
        const bool soft = a > 2;
        if (x >= 460 && soft) {
            float s = e.parameter(kSoftKnee) + (leftButton ? -1.0f : 1.0f);
            if (s < 0.0f) s = 2.0f;
            if (s > 2.0f) s = 0.0f;
            e.changeParameter(kSoftKnee, s);
        } else if (x >= 436) {
            const float v = e.parameter(kAlgorithm);
            e.changeParameter(kAlgorithm, soft ? v - 3.0f : v + 3.0f);
        } else {
            const int32_t first = soft ? 3 : 0;
            const int32_t next = first + ((a - first) + (leftButton ? 2 : 1)) % 3;
            e.changeParameter(kAlgorithm, float(next));
        }
    }

    static bool allowed(const MaximizerEditor& e, Condition c) {
        switch (c) {
            case kAlways: return true;
            case kPanelOpen: return e.channelPanelOpen == 1;
            case kPanelOpenManual: return e.channelPanelOpen == 1 && e.parameterCode(kAutoSelectChannels) == 0;
        }
        return false;
    }

    template <size_t N>
    static void press(MaximizerEditor& e, const Hit (&table)[N], bool leftButton) {
        for (const Hit& h : table) {
            if (!inside(h, e.mouseX, e.mouseY) || !allowed(e, h.when)) continue;
            act(e, h, leftButton);
            return;
        }
    }
};

void MaximizerEditor::recordPosition(int32_t packed) {
    mouseX = static_cast<int16_t>(packed & 0xFFFF);
    mouseY = static_cast<int16_t>((static_cast<uint32_t>(packed) >> 16) & 0xFFFF);
}

float MaximizerEditor::parameter(int32_t index) const { return engine.value(index); }
int32_t MaximizerEditor::parameterCode(int32_t index) const { return truncateToInt(engine.value(index)); }

// The plug-in format stores the value, recomputes and tells the host.
void MaximizerEditor::changeParameter(int32_t index, float value) { link.changeParameter(index, value); }

void MaximizerEditor::onMouseMove(int32_t packed) { recordPosition(packed); }

void MaximizerEditor::onLeftButtonDown(int32_t packed) {
    recordPosition(packed);
    if (dragMode == kDragNone) EditorActions::press(*this, kLeftHits, true);
    engine.updateCoefficients();
}

void MaximizerEditor::onRightButtonDown(int32_t packed) {
    recordPosition(packed);
    if (dragMode != kDragNone) return;
    EditorActions::press(*this, kRightHits, false);
    engine.updateCoefficients();
}

void MaximizerEditor::onLeftButtonUp() { dragMode = kDragNone; }
void MaximizerEditor::onRightButtonUp() { dragMode = kDragNone; }
void MaximizerEditor::onCaptureLost() { dragMode = kDragNone; }

void MaximizerEditor::applyDrag() {
    if (dragMode == kDragNone || dragMode >= std::size(kGestures)) return;
    const Gesture& g = kGestures[dragMode];
    if (g.param < 0) return;
    const int32_t x = mouseX;
    double v = 0.0;
    switch (g.rule) {
        case Rule::Offset: v = x - g.offsetOrScale; break;
        case Rule::Relative:
            v = double(truncateToInt(dragAnchorValue)) + double(g.offsetOrScale) * (x - dragAnchorX);
            break;
        case Rule::Fine: v = double(x - dragAnchorX) * double(0.4149f) + double(dragAnchorValue); break;
    }
    const float lower = dragByLeftButton == 1 ? g.lowerLeft : g.lowerRight;
    if (v < lower) v = lower;
    if (v > g.upper()) v = g.upper();
    changeParameter(g.param, static_cast<float>(v));
    engine.updateCoefficients();
}
