// Construction, parameters and programs of the VST 2 plug-in, mapped onto
// the engine, with the automation requests the protocol asks for.
#include "vst2/MaximizerEffect.h"

#include <cstring>
#include <new>

#include "editor/MaximizerEditor.h"
#include "engine/ParameterText.h"
#include "vst2/VstEditor.h"

MaximizerEffect::MaximizerEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    // The editor registers itself through setEditor; editorView is its window logic.
    if (VstEditor* view = new (std::nothrow) VstEditor(this, engine, *this)) {
        setEditor(view);
        editorView = &view->editor;
    }
    setInitialDelay(kLatency);
    setProgram(0);
    setUniqueID(fourCharCode('Q', 'M', 'Z', 'A'));
    setNumInputs(2);
    setNumOutputs(2);
    canMono(true);
    canProcessReplacing(true);
    suspend();
}

MaximizerEffect::~MaximizerEffect() = default;

void MaximizerEffect::setParameter(VstInt32 index, float value) {
    engine.setParameter(index, value);
    if (index == kEqDisplay && value == value) {
        // The editor window follows EQ Display; it is asked to refit only on a change.
        const int8_t shown = eqSectionOpen(engine.value(kEqDisplay)) ? 1 : 0;
        if (shown != eqDisplayShown) {
            eqDisplayShown = shown;
            if (editorView) editorView->fitHostWindow();
        }
    }
}

float MaximizerEffect::getParameter(VstInt32 index) { return engine.parameter(index); }

void MaximizerEffect::reportParameter(VstInt32 index) {
    if (!isParameterIndex(index)) return;
    setParameterAutomated(index, engine.parameter(index));
}

VstInt32 MaximizerEffect::getProgram() { return engine.currentProgram(); }

// Every value of the program is stored and reported, in index order: the host
// hears of all seventeen, on every program change.
void MaximizerEffect::setProgram(VstInt32 program) {
    if (!isProgramIndex(program)) return;
    engine.selectProgram(program);
    for (int i = 0; i < kNumParams; ++i) {
        setParameter(i, engine.programValue(program, i));
        reportParameter(i);
    }
    engine.updateCoefficients();
}

void MaximizerEffect::setProgramName(char* name) { engine.setProgramName(name); }

void MaximizerEffect::getProgramName(char* name) {
    if (!name) return;
    std::strcpy(name, engine.programName(engine.currentProgram()));
}

void MaximizerEffect::getParameterName(VstInt32 index, char* text) {
    if (const char* name = parameterName(index); name && text) std::memcpy(text, name, kParameterNameLength + 1);
}

void MaximizerEffect::getParameterLabel(VstInt32 index, char* label) {
    if (const char* unit = parameterLabel(index); unit && label) std::strcpy(label, unit);
}

void MaximizerEffect::getParameterDisplay(VstInt32 index, char* text) { engine.displayText(index, text); }

// The editor's change: the value is written as it is, then reported, which
// passes value / max through the setter (and its clamps) and tells the host.
void MaximizerEffect::changeParameter(int32_t index, float value) {
    engine.setValue(index, value);
    reportParameter(index);
}
