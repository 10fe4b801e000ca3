// The five functions the effect record hands the host. Each finds the plug-in
// object through the record's object field; none checks the record.
#pragma once
#include "vst2/AEffect.h"

VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt);
void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
