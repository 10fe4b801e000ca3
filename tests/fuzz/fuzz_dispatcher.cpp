// Fuzzes the dispatcher and the parameter entries of one instance: any opcode,
// index, value and opt, with host buffers of the sizes the protocol promises.
#include <cstring>

#include "vst2/MaximizerEffect.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/KeptInstance.h"

static VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeptInstance keeper(host);
    FuzzInput in(data, size);
    AEffect* e = createEffectInstance(host);
    if (!e) return 0;
    alignas(16) char buffer[1024];
    while (!in.done()) {
        uint8_t what = in.byte();
        VstInt32 index = in.read<int8_t>();
        if (what % 8 == 0) {
            e->setParameter(e, index, in.read<float>());
            continue;
        }
        if (what % 8 == 1) {
            (void)e->getParameter(e, index);
            continue;
        }
        VstInt32 opcode = VstInt32(in.read<uint8_t>() % 64) - 2;
        VstIntPtr value = in.read<int16_t>();
        float opt = in.read<float>();
        if (opcode == effClose || opcode == effEditOpen) continue;  // the instance ends at the end of the input
        // Text opcodes get a buffer holding input text; everything else a zeroed one.
        std::memset(buffer, 0, sizeof buffer);
        size_t textLength = in.byte() % 40;
        for (size_t i = 0; i < textLength; ++i) buffer[i] = char(in.byte());
        if (opcode == effSetSampleRate && !(opt > 0.0f && opt < 1e6f)) opt = 44100.0f;  // hosts send real rates
        if (opcode == effSetBlockSize || opcode == effSetBlockSizeAndSampleRate) value = value & 0x3fff;
        if (opcode == effSetBlockSizeAndSampleRate && !(opt > 0.0f && opt < 1e6f)) opt = 48000.0f;
        e->dispatcher(e, opcode, index, value, buffer, opt);
        if (opcode == effMainsChanged && value) {
            float samples[64] = {0.5f, -1.5f, 2.0f};
            float* io[2] = {samples, samples};
            float outL[64], outR[64];
            float* out[2] = {outL, outR};
            e->processReplacing(e, io, out, 64);
        }
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
