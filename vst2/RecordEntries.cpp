#include "vst2/RecordEntries.h"

#include "vst2/AudioEffect.h"

static AudioEffect* objectOf(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt) {
    AudioEffect* effect = objectOf(e);
    if (opcode == effClose) {
        // The object hears effClose first, then the instance ends here.
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    objectOf(e)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    objectOf(e)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value) {
    objectOf(e)->setParameter(index, value);
}

float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index) { return objectOf(e)->getParameter(index); }
