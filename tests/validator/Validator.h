// Shared pieces of the validator: the library under test, a host callback,
// test signals, and a runner that streams a signal through an instance.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/validator/PluginLibrary.h"

namespace validator {

// The plug-in library under test: $HOK_PLUGIN, or the library beside this program.
const PluginLibrary& library();

// A host callback that answers the version question and reports every pin as
// connected; counts automate requests.
VstIntPtr VSTCALLBACK host(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
extern int automateRequests;

// A deterministic, music-like stereo signal peaking around 2.5 (kick, hats, bass, pad).
void music(float* left, float* right, long start, int n, double rate);

// A signal generator: fills n frames starting at frame `start`.
typedef std::function<void(float* left, float* right, long start, int n)> Signal;

struct StreamResult {
    std::vector<float> left, right;
};

// Streams `frames` frames of `signal` through `effect` in blocks chosen by
// `nextBlock` (never above `maxBlock`), with processReplacing.
StreamResult stream(AEffect* effect, const Signal& signal, long frames, int maxBlock,
                    const std::function<int()>& nextBlock);

// Largest magnitude and whether every sample is finite, over [from, end).
struct Level {
    double peak = 0;
    bool finite = true;
};
Level level(const StreamResult& r, size_t from);

}  // namespace validator
