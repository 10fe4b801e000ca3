// The maximizer plug-in: parameters and programs, derived values, resume and
// suspend, and the block processing. Fields shared with the audio thread or
// the editor are Relaxed (single 32-bit loads and stores, no locks).
#pragma once
#include <cstdint>

#include "engine/ChannelState.h"
#include "engine/Relaxed.h"
#include "host/AudioEffectX.h"

class MaximizerEditor;

constexpr int kNumPrograms = 10;
constexpr int kNumParams = 17;
constexpr int kLatency = 2400;

enum ParameterIndex : int32_t {
    kLimiterGain, kDullSharp, kOutGain, kAlgorithm, kSoftKnee, kStereoLink, kBodyBoost, kBassBoost,
    kMidBoost, kHiBoost, kBassFreq, kMidFreq, kTrebleFreq, kAutoSelectChannels, kForceChannels, kEqOnOff,
    kEqDisplay,
};

struct MaximizerProgram {
    MaximizerProgram();
    Relaxed<float> values[20];
    char name[24];
};

class MaximizerEffect : public AudioEffectX {
public:
    explicit MaximizerEffect(audioMasterCallback audioMaster);
    ~MaximizerEffect() override;

    // Parameters and programs.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void reportParameter(VstInt32 index);
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Derived values and the processing buffers.
    void updateCoefficients();
    void suspend() override;
    void resume() override;

    // Block processing.
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Identity.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(char* text) override;

    // --- Parameters and programs ---
    MaximizerEditor* editorView;
    struct ChannelState* channels;  // [2]
    MaximizerProgram* programs;     // [numPrograms]
    Relaxed<int32_t> blockSizeAtResume;
    Relaxed<float> sampleRateAtResume;
    Relaxed<float> paramValue[20];
    float paramMax[20];
    char paramName[17][24];
    Relaxed<int8_t> eqDisplayShown;

    // --- Derived values ---
    Relaxed<float> limiterGain;
    Relaxed<float> outputGain;
    Relaxed<float> rampFactor;
    Relaxed<float> bodyAmount;
    Relaxed<float> trebleMix;
    HighPassSection trebleHighPass[2];
    Relaxed<int32_t> resumed;
    Relaxed<int32_t> buffersAllocated;

    // --- Processing ---
    Relaxed<int32_t> accumulating;
    int32_t blockFrames;
    float* inLeft;
    float* inRight;
    float* outLeft;
    float* outRight;
    float denormalFloor;
    Relaxed<int32_t> channelActive[2];
    Relaxed<int32_t> soloChannel;
    Relaxed<uint8_t> reportChannelMode;
    int32_t readPos;
    int32_t clearPos;
    Relaxed<float> currentGain[2];
    Relaxed<float> reductionMeter[2];
    Relaxed<float> peakMeter[2];
    Relaxed<float> peakFallSpeed[2];
    float outSampleLeft;
    float outSampleRight;
    float* workBuffer[2];
    float trebleFollow[2];
    int32_t ringLength;  // this instance's ring wrap length, set at resume

    // --- Editor state kept by the plug-in (survives closing the editor) ---
    Relaxed<int32_t> channelPanelOpen;
    Relaxed<int8_t> channelPanelFrame;

protected:
    void runBlock(float** inputs, float** outputs, VstInt32 sampleFrames);
    void trebleStage(int c);
    void releaseBuffers();
};

class MaximizerEffectWithEditor : public MaximizerEffect {
public:
    explicit MaximizerEffectWithEditor(audioMasterCallback audioMaster);
    ~MaximizerEffectWithEditor() override;
    // Set by the constructor when the editor could not be created; read by main.
    bool constructionFailed = false;
};

// Creates one instance the way the library's entry does; null when the host
// does not answer the version question or memory is short.
AEffect* createEffectInstance(audioMasterCallback audioMaster);
