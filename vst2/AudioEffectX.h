// The extended base class: the VST 2 extension opcodes (25 to 58) and the
// host requests that came with them. Adds no members. Virtual operations are
// declared in slot order, continuing AudioEffect's from 46.
#pragma once
#include "vst2/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~AudioEffectX() override;
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual bool wantEvents(VstInt32 filter = 1);                                 // 46
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);                            // 47
    virtual VstInt32 tempoAt(VstInt32 pos);                                       // 48
    virtual VstInt32 processEvents(VstEvents* events);                            // 49
    virtual VstInt32 getNumAutomatableParameters();                               // 50
    virtual VstInt32 getParameterQuantization();                                  // 51
    virtual bool canParameterBeAutomated(VstInt32 index);                         // 52
    virtual bool string2parameter(VstInt32 index, char* text);                    // 53
    virtual float getChannelParameter(VstInt32 channel, VstInt32 index);          // 54
    virtual VstInt32 getNumCategories();                                          // 55
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);  // 56
    virtual bool copyProgram(VstInt32 destination);                               // 57
    virtual bool ioChanged();                                                     // 58
    virtual bool needIdle();                                                      // 59
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);                     // 60
    virtual double updateSampleRate();                                            // 61
    virtual VstInt32 updateBlockSize();                                           // 62
    virtual VstInt32 getInputLatency();                                           // 63
    virtual VstInt32 getOutputLatency();                                          // 64
    virtual AEffect* getPreviousPlug(VstInt32 input);                             // 65
    virtual AEffect* getNextPlug(VstInt32 output);                                // 66
    virtual void inputConnected(VstInt32 index, bool state);                      // 67
    virtual void outputConnected(VstInt32 index, bool state);                     // 68
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);   // 69
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);  // 70
    virtual VstPlugCategory getPlugCategory();                                    // 71
    virtual VstInt32 willProcessReplacing();                                      // 72
    virtual VstInt32 getCurrentProcessLevel();                                    // 73
    virtual VstInt32 getAutomationState();                                        // 74
    virtual void wantAsyncOperation(bool state = true);                           // 75
    virtual void hasExternalBuffer(bool state = true);                            // 76
    virtual VstInt32 reportCurrentPosition();                                     // 77
    virtual float* reportDestinationBuffer();                                     // 78
    virtual bool offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource = true);  // 79
    virtual bool offlineWrite(VstOfflineTask* offline, VstInt32 option);          // 80
    virtual bool offlineStart(VstAudioFile* audioFiles, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);  // 81
    virtual VstInt32 offlineGetCurrentPass();                                     // 82
    virtual VstInt32 offlineGetCurrentMetaPass();                                 // 83
    virtual bool offlineNotify(VstAudioFile* ptr, VstInt32 numAudioFiles, bool start);  // 84
    virtual bool offlinePrepare(VstOfflineTask* offline, VstInt32 count);         // 85
    virtual bool offlineRun(VstOfflineTask* offline, VstInt32 count);             // 86
    virtual VstInt32 offlineGetNumPasses();                                       // 87
    virtual VstInt32 offlineGetNumMetaPasses();                                   // 88
    virtual void setOutputSamplerate(float samplerate);                           // 89
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput, VstSpeakerArrangement** pluginOutput);  // 90
    virtual bool getHostVendorString(char* text);                                 // 91
    virtual bool getHostProductString(char* text);                                // 92
    virtual VstInt32 getHostVendorVersion();                                      // 93
    virtual VstIntPtr hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg, float floatArg);  // 94
    virtual VstInt32 canHostDo(char* text);                                       // 95
    virtual void isSynth(bool state = true);                                      // 96
    virtual void noTail(bool state = true);                                       // 97
    virtual VstInt32 getHostLanguage();                                           // 98
    virtual void* openWindow(void* window);                                       // 99
    virtual bool closeWindow(void* window);                                       // 100
    virtual void* getDirectory();                                                 // 101
    virtual bool updateDisplay();                                                 // 102
    virtual bool processVariableIo(VstVariableIo* varIo);                        // 103
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput);  // 104
    virtual void setBlockSizeAndSampleRate(VstInt32 blockSize, float sampleRate);  // 105
    virtual bool setBypass(bool onOff);                                           // 106
    virtual bool getEffectName(char* name);                                       // 107
    virtual bool getErrorText(char* text);                                        // 108
    virtual bool getVendorString(char* text);                                     // 109
    virtual bool getProductString(char* text);                                    // 110
    virtual VstInt32 getVendorVersion();                                          // 111
    virtual VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg);  // 112
    virtual VstInt32 canDo(char* text);                                           // 113
    virtual void* getIcon();                                                      // 114
    virtual bool setViewPosition(VstInt32 x, VstInt32 y);                         // 115
    virtual VstInt32 getGetTailSize();                                            // 116
    virtual VstInt32 fxIdle();                                                    // 117
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* p);  // 118
    virtual bool keysRequired();                                                  // 119
    virtual VstInt32 getVstVersion();                                             // 120

    bool sendVstEventsToHost(VstEvents* events);
};
