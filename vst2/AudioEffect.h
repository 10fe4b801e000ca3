// The plug-in base class: owns the effect record, the host callback, the
// sample rate and block size, the current program and the editor, and gives
// every virtual operation a default. Virtual operations are declared in slot order.
#pragma once
#include "engine/Relaxed.h"
#include "vst2/AEffect.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();                                                       // 0

    virtual void setParameter(VstInt32 index, float value);                       // 1
    virtual float getParameter(VstInt32 index);                                   // 2
    virtual void setParameterAutomated(VstInt32 index, float value);              // 3
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;  // 4
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);  // 5
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);  // 6
    virtual void open();                                                          // 7
    virtual void close();                                                         // 8
    virtual VstInt32 getProgram();                                                // 9
    virtual void setProgram(VstInt32 program);                                    // 10
    virtual void setProgramName(char* name);                                      // 11
    virtual void getProgramName(char* name);                                      // 12
    virtual void getParameterLabel(VstInt32 index, char* label);                  // 13
    virtual void getParameterDisplay(VstInt32 index, char* text);                 // 14
    virtual void getParameterName(VstInt32 index, char* text);                    // 15
    virtual float getVu();                                                        // 16
    virtual VstInt32 getChunk(void** data, bool isPreset = false);                // 17
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);  // 18
    virtual void setSampleRate(float sampleRate);                                 // 19
    virtual void setBlockSize(VstInt32 blockSize);                                // 20
    virtual void suspend();                                                       // 21
    virtual void resume();                                                        // 22
    virtual void setUniqueID(VstInt32 id);                                        // 23
    virtual void setNumInputs(VstInt32 inputs);                                   // 24
    virtual void setNumOutputs(VstInt32 outputs);                                 // 25
    virtual void hasVu(bool state = true);                                        // 26
    virtual void hasClip(bool state = true);                                      // 27
    virtual void canMono(bool state = true);                                      // 28
    virtual void canProcessReplacing(bool state = true);                          // 29
    virtual void programsAreChunks(bool state = true);                            // 30
    virtual void setRealtimeQualities(VstInt32 qualities);                        // 31
    virtual void setOfflineQualities(VstInt32 qualities);                         // 32
    virtual void setInitialDelay(VstInt32 delay);                                 // 33
    virtual float getSampleRate();                                                // 34
    virtual VstInt32 getBlockSize();                                              // 35
    virtual VstInt32 getMasterVersion();                                          // 36
    virtual VstInt32 getCurrentUniqueId();                                        // 37
    virtual void masterIdle();                                                    // 38
    virtual bool isInputConnected(VstInt32 input);                                // 39
    virtual bool isOutputConnected(VstInt32 output);                              // 40
    virtual void dB2string(float value, char* text);                              // 41
    virtual void Hz2string(float samples, char* text);                            // 42
    virtual void ms2string(float samples, char* text);                            // 43
    virtual void float2string(float value, char* text, int8_t startCount);        // 44
    virtual void long2string(VstInt32 value, char* text);                         // 45

    AEffect* getAeffect() { return &cEffect; }
    void setEditor(AEffEditor* e);
    AEffEditor* getEditor() { return editor; }

protected:
    AEffect cEffect;
    Relaxed<float> sampleRate;
    AEffEditor* editor;
    audioMasterCallback audioMaster;
    VstInt32 numPrograms;
    VstInt32 numParams;
    Relaxed<VstInt32> curProgram;
    Relaxed<VstInt32> blockSize;
};
