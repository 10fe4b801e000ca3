// Fuzzes processing: the byte stream decides parameter values, block sizes,
// rates, resume/suspend and sample values, non-finite ones included.
#include <cmath>
#include <limits>
#include <vector>

#include "vst2/MaximizerEffect.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/KeptInstance.h"

static VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterPinConnected) return index == 1;  // right input unplugged, now and then
    return 0;
}

static float sampleFrom(FuzzInput& in) {
    uint8_t kind = in.byte();
    switch (kind % 16) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return in.read<float>();  // anything at all
        default: return float(int8_t(in.byte())) / 32.0f;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeptInstance keeper(host);
    FuzzInput in(data, size);
    AEffect* e = createEffectInstance(host);
    if (!e) return 0;
    static const float rates[] = {8000, 44100, 96000, 192000};
    const int maxBlock = 1 + in.byte() % 200;
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rates[in.byte() % 4]);
    e->dispatcher(e, effSetBlockSize, 0, maxBlock, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    while (!in.done()) {
        uint8_t op = in.byte();
        switch (op % 8) {
            case 0: e->setParameter(e, in.byte() % 17, in.read<float>()); break;
            case 1: e->setParameter(e, in.byte() % 17, float(in.byte()) / 255.0f); break;
            case 2: e->dispatcher(e, effMainsChanged, 0, in.byte() % 2, nullptr, 0.0f); break;
            case 3: e->dispatcher(e, effSetProgram, 0, in.byte() % 10, nullptr, 0.0f); break;
            default: {
                int n = in.byte() % (maxBlock + 1);
                if (in.byte() % 16 == 0) n = maxBlock + in.byte();  // longer than announced
                for (int i = 0; i < n; ++i) {
                    inL[size_t(i)] = sampleFrom(in);
                    inR[size_t(i)] = sampleFrom(in);
                }
                bool mono = op & 0x10;
                float* inputs[2] = {inL.data(), mono ? inL.data() : inR.data()};
                float* outputs[2] = {outL.data(), outR.data()};
                if (op & 0x20) e->process(e, inputs, outputs, n);
                else e->processReplacing(e, inputs, outputs, n);
            }
        }
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
