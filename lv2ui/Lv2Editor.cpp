#include "lv2ui/Lv2Editor.h"

#include "engine/ParameterUnits.h"
#include "lv2/Channels.h"
#include "lv2/Ports.h"

using namespace lv2port;

Lv2Editor::Lv2Editor(const Host& h) : host(h) {
    editor.reset();
    model.updateCoefficients();
    follow();
}

bool Lv2Editor::open(void* parentWindow) {
    if (!parentWindow || !editor.open(parentWindow)) return false;
    editor.fitHostWindow();  // the host hears the size at once
    return true;
}

uintptr_t Lv2Editor::widget() const { return editor.isOpen == 1 ? editor.host->nativeWindow(editor.window) : 0; }

bool Lv2Editor::idle() {
    editor.idle();
    return editor.isOpen == 1;
}

// A user value stored as the plug-in stores it.
void Lv2Editor::store(int32_t index, float user) {
    model.setParameter(index, normalisedFromUser(index, user));
    follow();
}

// The channels the plug-in runs decide which meters move, and the window
// follows EQ Display.
void Lv2Editor::follow() {
    const ChannelPlan plan = lv2ChannelPlan(model);
    model.meters().setChannels(plan.active[0], plan.active[1], plan.mode);
    const bool shown = eqSectionOpen(model.value(kEqDisplay));
    if (shown != eqShown) {
        eqShown = shown;
        editor.fitHostWindow();
    }
}

void Lv2Editor::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (format != 0 || size != sizeof(float) || !buffer) return;
    const float value = *static_cast<const float*>(buffer);
    if (value != value) return;  // NaN is no value
    if (port >= kFirstParameter && port < kLatencyPort) {
        store(int32_t(port - kFirstParameter), value);
        return;
    }
    if (port < kFirstMeter || port >= kNumPorts) return;
    // The ports hold their values long enough that every one arrives here;
    // the editor takes what arrived between two frames.
    const uint32_t m = port - kFirstMeter;
    const int c = meterChannel(m);
    const float linear = meterLinear(m, value);
    Meters& meters = model.meters();
    switch (meterKind(m)) {
        case kPeakMeter: meters.raisePeak(c, linear); break;
        case kReductionMeter: meters.lowerReduction(c, linear); break;
        case kKneeMeter: meters.setKneeGain(c, linear); break;
    }
}

// The port carries the user value of the editor's internal value; the model
// stores that user value as the plug-in will, so both hold the same.
void Lv2Editor::changeParameter(int32_t index, float value) {
    if (!isParameterIndex(index)) return;
    const float user = userValue(index, value);
    store(index, user);
    if (host.write) host.write(host.controller, kFirstParameter + uint32_t(index), sizeof user, 0, &user);
}

bool Lv2Editor::resizeHostWindow(int32_t width, int32_t height) {
    return host.resize && host.resize->ui_resize && host.resize->ui_resize(host.resize->handle, width, height) == 0;
}
