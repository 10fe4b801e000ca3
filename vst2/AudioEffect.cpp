// AudioEffect: the record's defaults, the base behaviour of every operation
// the dispatcher reaches, the record setters and the plain accessors.
#include "vst2/AudioEffect.h"

#include <cstring>

#include "vst2/AEffEditor.h"
#include "vst2/Flags.h"
#include "vst2/RecordEntries.h"

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programs, VstInt32 params)
    : sampleRate(44100.0f),
      editor(nullptr),
      audioMaster(host),
      numPrograms(programs),
      numParams(params),
      curProgram(0),
      blockSize(1024) {
    std::memset(static_cast<void*>(&cEffect), 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 2.0f;
    cEffect.object = static_cast<void*>(this);
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 2;
    cEffect.processReplacing = processClassReplacing;
}

// The editor is owned by the effect and outlives the derived class's members.
AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }
void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::open() {}
void AudioEffect::close() {}
VstInt32 AudioEffect::getProgram() { return curProgram; }
void AudioEffect::setProgram(VstInt32 program) { curProgram = program; }

static void clearText(char* text) {
    if (text) text[0] = 0;
}
void AudioEffect::setProgramName(char* name) { clearText(name); }
void AudioEffect::getProgramName(char* name) { clearText(name); }
void AudioEffect::getParameterLabel(VstInt32, char* label) { clearText(label); }
void AudioEffect::getParameterDisplay(VstInt32, char* text) { clearText(text); }
void AudioEffect::getParameterName(VstInt32, char* text) { clearText(text); }

float AudioEffect::getVu() { return 0.0f; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }
void AudioEffect::setSampleRate(float rate) { sampleRate = rate; }
void AudioEffect::setBlockSize(VstInt32 size) { blockSize = size; }
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

// Record setters.
void AudioEffect::setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
void AudioEffect::setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
void AudioEffect::setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
void AudioEffect::setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
void AudioEffect::setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
void AudioEffect::setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

void AudioEffect::hasVu(bool state) { setFlagBit(cEffect, effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setFlagBit(cEffect, effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setFlagBit(cEffect, effFlagsCanMono, state); }
void AudioEffect::canProcessReplacing(bool state) { setFlagBit(cEffect, effFlagsCanReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setFlagBit(cEffect, effFlagsProgramChunks, state); }

void AudioEffect::setEditor(AEffEditor* e) {
    editor = e;
    setFlagBit(cEffect, effFlagsHasEditor, e != nullptr);
}

// Stored values only; the host is never asked.
float AudioEffect::getSampleRate() { return sampleRate; }
VstInt32 AudioEffect::getBlockSize() { return blockSize; }
