#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/validator/Validator.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace validator {

int automateRequests = 0;

static std::string defaultLibraryPath() {
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, n);
    return exe.substr(0, exe.find_last_of("\\/") + 1) + "HokMaximizer.dll";
#else
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string exe(path, n > 0 ? size_t(n) : 0);
    return exe.substr(0, exe.find_last_of('/') + 1) + "HokMaximizer.so";
#endif
}

const PluginLibrary& library() {
    static const PluginLibrary lib([] {
        const char* env = std::getenv("HOK_PLUGIN");
        return env && *env ? std::string(env) : defaultLibraryPath();
    }());
    return lib;
}

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterAutomate: ++automateRequests; return 0;
        case audioMasterPinConnected: return 0;  // connected
        default: return 0;
    }
}

void music(float* left, float* right, long start, int n, double rate) {
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < n; ++i) {
        long frame = start + i;
        double t = frame / rate;
        double beat = std::fmod(t, 0.5);
        double kick = std::sin(2 * pi * (50 + 150 * std::exp(-beat * 30)) * beat) * std::exp(-beat * 8) * 1.8;
        uint32_t seed = uint32_t(frame) * 2654435761u + 12345u;
        seed ^= seed >> 13;
        seed *= 1664525u;
        double noise = ((seed >> 9) / 8388608.0 - 1.0) * 0.3 * std::exp(-std::fmod(t, 0.125) * 40);
        double bass = std::sin(2 * pi * 55 * t) * 0.6;
        double pad = std::sin(2 * pi * 440 * t) * 0.2 + std::sin(2 * pi * 660.5 * t) * 0.15;
        left[i] = float(kick + noise + bass + pad);
        right[i] = float(kick - noise + bass * 0.9 + pad * 1.1);
    }
}

StreamResult stream(AEffect* effect, const Signal& signal, long frames, int maxBlock,
                    const std::function<int()>& nextBlock) {
    StreamResult r;
    r.left.resize(size_t(frames));
    r.right.resize(size_t(frames));
    std::vector<float> inL(static_cast<size_t>(maxBlock)), inR(static_cast<size_t>(maxBlock));
    long done = 0;
    while (done < frames) {
        int n = nextBlock();
        if (n > maxBlock) n = maxBlock;
        if (n > frames - done) n = int(frames - done);
        signal(inL.data(), inR.data(), done, n);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {r.left.data() + done, r.right.data() + done};
        effect->processReplacing(effect, inputs, outputs, n);
        done += n;
    }
    return r;
}

Level level(const StreamResult& r, size_t from) {
    Level l;
    for (const std::vector<float>* side : {&r.left, &r.right})
        for (size_t i = from; i < side->size(); ++i) {
            float v = (*side)[i];
            if (!std::isfinite(v)) l.finite = false;
            else if (std::fabs(v) > l.peak) l.peak = std::fabs(v);
        }
    return l;
}

}  // namespace validator
