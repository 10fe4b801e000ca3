// The conversions every VST 2 plug-in class offers, on the engine's texts.
#include "engine/Text.h"
#include "vst2/AudioEffect.h"

void AudioEffect::float2string(float value, char* text, int8_t startCount) { ::float2string(value, text, startCount); }
void AudioEffect::long2string(VstInt32 value, char* text) { ::long2string(value, text); }
void AudioEffect::dB2string(float value, char* text) { ::dB2string(value, text); }

void AudioEffect::Hz2string(float samples, char* text) {
    float hz = samples == 0.0f ? 0.0f : static_cast<float>(static_cast<double>(getSampleRate()) / samples);
    ::float2string(hz, text, 0);
}

void AudioEffect::ms2string(float samples, char* text) {
    ::float2string(static_cast<float>(static_cast<double>(samples) * 1000.0 / getSampleRate()), text, 0);
}
