#include "engine/MaximizerEffect.h"

#include <cstring>
#include <new>

#include "editor/MaximizerEditor.h"
#include "engine/Parameters.h"
#include "engine/Tables.h"
#include "engine/Truncate.h"

MaximizerProgram::MaximizerProgram() : values{} { std::strcpy(name, "-- error --"); }

namespace {
// Copies at most limit characters of text and a NUL.
void copyField(char* to, const char* from, int limit) {
    int n = 0;
    while (n < limit && from[n]) {
        to[n] = from[n];
        ++n;
    }
    to[n] = 0;
}
}  // namespace

MaximizerEffect::MaximizerEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams),
      editorView(nullptr),
      channels(nullptr),
      programs(nullptr),
      blockSizeAtResume(0),
      sampleRateAtResume(44100.0f),  // coefficients are recomputed at resume; any rate will do until then
      paramValue{},
      paramMax{},
      paramName{},
      eqDisplayShown(-1),
      limiterGain(1.0f),
      outputGain(1.0f),
      rampFactor(0.5f),
      bodyAmount(0.0f),
      trebleMix(0.0f),
      trebleHighPass{},
      resumed(0),
      buffersAllocated(0),
      accumulating(0),
      blockFrames(0),
      inLeft(nullptr),
      inRight(nullptr),
      outLeft(nullptr),
      outRight(nullptr),
      denormalFloor(0.0f),
      channelActive{},
      soloChannel(0),
      reportChannelMode(0),
      readPos(0),
      clearPos(0),
      currentGain{},
      reductionMeter{},
      peakMeter{},
      peakFallSpeed{},
      outSampleLeft(0.0f),
      outSampleRight(0.0f),
      workBuffer{},
      trebleFollow{},
      ringLength(4800),
      channelPanelOpen(0),
      channelPanelFrame(0) {
    programs = new (std::nothrow) MaximizerProgram[kNumPrograms];
    channels = new (std::nothrow) ChannelState[2]();
    // The editor registers itself through setEditor; editorView is the same object.
    editorView = new (std::nothrow) MaximizerEditor(this);

    // Counted in before any parameter store reads the shared tables: while
    // this instance counts, no other thread's first instance rebuilds them.
    attachInstance();

    // Parameter tables, names and the ten programs at their defaults.
    for (int i = 0; i < kNumParams; ++i) {
        paramMax[i] = kParameters[i].max;
        copyField(paramName[i], kParameters[i].name, kParameterNameLength);
    }
    for (int p = 0; p < kNumPrograms; ++p) {
        curProgram = p;
        setProgramName(const_cast<char*>(kProgramNames[p]));
        for (int i = 0; i < kNumParams; ++i) setParameter(i, kParameters[i].defaultValue / paramMax[i]);
    }
    currentGain[0] = 1.0f;
    currentGain[1] = 1.0f;
    reportChannelMode = 1;
    channelPanelOpen = 0;
    channelPanelFrame = 0;
    eqDisplayShown = -1;
    curProgram = 0;
    updateCoefficients();

    setInitialDelay(kLatency);
    if (programs) setProgram(0);
    setUniqueID(fourCharCode('Q', 'M', 'Z', 'A'));
    setNumInputs(2);
    setNumOutputs(2);
    canMono(true);
    canProcessReplacing(true);
    suspend();
}

MaximizerEffect::~MaximizerEffect() {
    detachInstance();
    if (buffersAllocated) releaseBuffers();
    delete[] programs;
    delete[] channels;
    programs = nullptr;
    channels = nullptr;
}

void MaximizerEffect::setParameter(VstInt32 index, float value) {
    if (!isParameterIndex(index)) return;
    if (value != value) return;  // NaN is no value: the parameter keeps its own
    value = clampToLowest(kParameters[index], value);
    paramValue[index] = paramMax[index] * value;
    const VstInt32 program = curProgram;
    if (programs && isProgramIndex(program)) programs[program].values[index] = value;
    updateCoefficients();

    if (index == kEqDisplay) {
        // The editor window follows EQ Display; it is asked to refit only on a change.
        const int8_t shown = truncateToInt(value) != 0 ? 1 : 0;
        if (shown != eqDisplayShown) {
            eqDisplayShown = shown;
            if (editorView) editorView->fitHostWindow();
        }
    }
}

float MaximizerEffect::getParameter(VstInt32 index) {
    if (!isParameterIndex(index)) return 0.0f;
    return paramValue[index] / paramMax[index];
}

void MaximizerEffect::reportParameter(VstInt32 index) {
    if (!isParameterIndex(index)) return;
    setParameterAutomated(index, paramValue[index] / paramMax[index]);
}

void MaximizerEffect::setProgram(VstInt32 program) {
    if (!programs || !isProgramIndex(program)) return;
    curProgram = program;
    for (int i = 0; i < kNumParams; ++i) {
        setParameter(i, programs[program].values[i]);
        reportParameter(i);
    }
    updateCoefficients();
}

void MaximizerEffect::setProgramName(char* name) {
    const VstInt32 program = curProgram;
    if (!name || !programs || !isProgramIndex(program)) return;
    copyField(programs[program].name, name, kProgramNameLength);  // longer names are cut
}

void MaximizerEffect::getProgramName(char* name) {
    if (!name) return;
    const VstInt32 program = curProgram;
    if (!programs || !isProgramIndex(program)) {
        name[0] = 0;
        return;
    }
    copyField(name, programs[program].name, kProgramNameLength);
}
