// The VST 2 face of the maximizer: an AudioEffectX that owns one engine and
// the editor, and maps every dispatcher call, record entry and host request
// onto them. It holds no processing of its own: what it adds is the VST 2
// protocol (automation requests, channel detection from the host's pins,
// the editor's window fitting).
#pragma once
#include <cstdint>

#include "editor/EditorLink.h"
#include "engine/Engine.h"
#include "vst2/AudioEffectX.h"

class MaximizerEditor;

class MaximizerEffect : public AudioEffectX, public EditorLink {
public:
    explicit MaximizerEffect(audioMasterCallback audioMaster);
    ~MaximizerEffect() override;

    // Parameters and programs.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void reportParameter(VstInt32 index);
    VstInt32 getProgram() override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Processing.
    void suspend() override;
    void resume() override;
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Identity.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(char* text) override;

    // What the editor asks of the plug-in.
    void changeParameter(int32_t index, float value) override;
    void recheckChannels() override { reportChannelMode = 1; }
    bool resizeHostWindow(int32_t width, int32_t height) override { return sizeWindow(width, height); }

    MaximizerEngine engine;
    MaximizerEditor* editorView = nullptr;  // the editor the plug-in keeps for its own calls
    // The last EQ Display state handed to the editor (0 or 1), -1 for none.
    Relaxed<int8_t> eqDisplayShown{-1};
    // Set at resume (with Auto Select on) and by the editor: the next block
    // tells the host the detected channel mode.
    Relaxed<uint8_t> reportChannelMode{1};

protected:
    void runBlock(float** inputs, float** outputs, VstInt32 sampleFrames, bool accumulate);
    ChannelPlan detectChannels(float** inputs, float** outputs);
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
