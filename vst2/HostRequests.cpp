// Requests the plug-in sends to the host through the callback. Without a
// callback no request is made and each operation gives its fallback value.
#include "vst2/AudioEffectX.h"

namespace {
VstIntPtr ask(audioMasterCallback host, AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
              void* ptr = nullptr, float opt = 0.0f) {
    return host(e, opcode, index, value, ptr, opt);
}
template <typename T>
T* asPointer(VstIntPtr answer) {
    return reinterpret_cast<T*>(answer);
}
}  // namespace

// AudioEffect's requests.

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

// A host that does not know the question is taken to speak version 1.
VstInt32 AudioEffect::getMasterVersion() {
    if (!audioMaster) return 1;
    VstInt32 version = static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterVersion));
    return version ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterCurrentId)) : 0;
}

void AudioEffect::masterIdle() {
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterIdle);
}

// The host answers 0 for a connected pin; without a host every pin counts as connected.
bool AudioEffect::isInputConnected(VstInt32 input) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterPinConnected, input, 0) == 0 : true;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterPinConnected, output, 1) == 0 : true;
}

// AudioEffectX's requests.

bool AudioEffectX::wantEvents(VstInt32 filter) {
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterWantMidi, 0, filter);
    return false;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return audioMaster ? asPointer<VstTimeInfo>(ask(audioMaster, &cEffect, audioMasterGetTime, 0, filter)) : nullptr;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterProcessEvents, 0, 0, events) == 1 : false;
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos) {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterTempoAt, 0, pos)) : 0;
}

VstInt32 AudioEffectX::getNumAutomatableParameters() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetNumAutomatableParameters))
                       : 0;
}

VstInt32 AudioEffectX::getParameterQuantization() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetParameterQuantization)) : 0;
}

bool AudioEffectX::ioChanged() { return audioMaster ? ask(audioMaster, &cEffect, audioMasterIOChanged) != 0 : false; }

bool AudioEffectX::needIdle() { return audioMaster ? ask(audioMaster, &cEffect, audioMasterNeedIdle) != 0 : false; }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterSizeWindow, width, height) != 0 : false;
}

// The host is expected to set the rate (or block size) through the dispatcher
// while it handles the request; its answer itself is not used.
double AudioEffectX::updateSampleRate() {
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterGetSampleRate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterGetBlockSize);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetInputLatency)) : 0;
}

VstInt32 AudioEffectX::getOutputLatency() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetOutputLatency)) : 0;
}

AEffect* AudioEffectX::getPreviousPlug(VstInt32) {
    return audioMaster ? asPointer<AEffect>(ask(audioMaster, &cEffect, audioMasterGetPreviousPlug)) : nullptr;
}

AEffect* AudioEffectX::getNextPlug(VstInt32) {
    return audioMaster ? asPointer<AEffect>(ask(audioMaster, &cEffect, audioMasterGetNextPlug)) : nullptr;
}

VstInt32 AudioEffectX::willProcessReplacing() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterWillReplaceOrAccumulate)) : 0;
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetCurrentProcessLevel)) : 0;
}

VstInt32 AudioEffectX::getAutomationState() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetAutomationState)) : 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* audioFiles, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles) {
    return audioMaster
               ? ask(audioMaster, &cEffect, audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0
               : false;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource) {
    return audioMaster
               ? ask(audioMaster, &cEffect, audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0
               : false;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterOfflineWrite, 0, option, offline) != 0 : false;
}

VstInt32 AudioEffectX::offlineGetCurrentPass() {
    return audioMaster ? (ask(audioMaster, &cEffect, audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0) : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
    return audioMaster ? (ask(audioMaster, &cEffect, audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0) : 0;
}

void AudioEffectX::setOutputSamplerate(float rate) {
    if (audioMaster) ask(audioMaster, &cEffect, audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}

// The input arrangement's address travels in value.
bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput, VstSpeakerArrangement** pluginOutput) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterGetSpeakerArrangement, 0,
                             reinterpret_cast<VstIntPtr>(pluginInput), pluginOutput) != 0
                       : false;
}

bool AudioEffectX::getHostVendorString(char* text) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterGetVendorString, 0, 0, text) != 0 : false;
}

bool AudioEffectX::getHostProductString(char* text) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterGetProductString, 0, 0, text) != 0 : false;
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetVendorVersion)) : 0;
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg, float floatArg) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterVendorSpecific, lArg1, lArg2, ptrArg, floatArg) : 0;
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    return audioMaster ? (ask(audioMaster, &cEffect, audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0) : 0;
}

VstInt32 AudioEffectX::getHostLanguage() {
    return audioMaster ? static_cast<VstInt32>(ask(audioMaster, &cEffect, audioMasterGetLanguage)) : 0;
}

void* AudioEffectX::openWindow(void* window) {
    return audioMaster ? asPointer<void>(ask(audioMaster, &cEffect, audioMasterOpenWindow, 0, 0, window)) : nullptr;
}

bool AudioEffectX::closeWindow(void* window) {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterCloseWindow, 0, 0, window) != 0 : false;
}

void* AudioEffectX::getDirectory() {
    return audioMaster ? asPointer<void>(ask(audioMaster, &cEffect, audioMasterGetDirectory)) : nullptr;
}

bool AudioEffectX::updateDisplay() {
    return audioMaster ? ask(audioMaster, &cEffect, audioMasterUpdateDisplay) != 0 : false;
}
