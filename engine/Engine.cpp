#include "engine/Engine.h"

#include <cstring>

#include "engine/ParameterText.h"
#include "engine/Tables.h"

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

MaximizerEngine::MaximizerEngine() {
    // Counted in before any parameter store reads the shared tables: while
    // this instance counts, no other thread's first instance rebuilds them.
    attachInstance();
    // The ten programs at their defaults, under their initial names.
    for (int p = 0; p < kNumPrograms; ++p) {
        curProgram = p;
        setProgramName(kProgramNames[p]);
        for (int i = 0; i < kNumParams; ++i) setParameter(i, kParameters[i].defaultValue / kParameters[i].max);
    }
    curProgram = 0;
    updateCoefficients();
}

MaximizerEngine::~MaximizerEngine() {
    detachInstance();
    if (buffersAllocated) releaseBuffers();
}

void MaximizerEngine::setParameter(int32_t index, float value) {
    if (!isParameterIndex(index)) return;
    if (value != value) return;  // NaN is no value: the parameter keeps its own
    const ParameterInfo& p = kParameters[index];
    value = clampToLowest(p, value);
    paramValue[index] = p.max * value;
    programs[curProgram].values[index] = value;
    updateCoefficients();
}

float MaximizerEngine::parameter(int32_t index) const {
    if (!isParameterIndex(index)) return 0.0f;
    return paramValue[index] / kParameters[index].max;
}

float MaximizerEngine::programValue(int32_t program, int32_t index) const {
    if (!isProgramIndex(program) || !isParameterIndex(index)) return 0.0f;
    return programs[program].values[index];
}

void MaximizerEngine::setProgramName(const char* name) {
    if (!name) return;
    copyField(programs[curProgram].name, name, kProgramNameLength);  // longer names are cut
}

void MaximizerEngine::displayText(int32_t index, char* text) const {
    parameterDisplay(index, value(index), limiterGain_, outputGain_, text);
}
