// Shared pieces of the host-interface tests: a recording host callback, a
// bare effect whose operations record how the dispatcher called them, and
// the allocation hooks that count live blocks and refuse chosen requests.
#pragma once
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vst2/AEffEditor.h"
#include "vst2/AudioEffectX.h"

namespace hosttest {

struct Call {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

struct Recorder {
    std::vector<Call> calls;
    std::function<VstIntPtr(const Call&)> answer;  // empty: answer 0

    std::vector<Call> of(VstInt32 opcode) const {
        std::vector<Call> found;
        for (const Call& c : calls)
            if (c.opcode == opcode) found.push_back(c);
        return found;
    }
};

inline Recorder& recorder() {
    static Recorder r;
    return r;
}

// Starts a fresh recording; the host answers version 2400 and 0 to the rest
// unless answer is given.
inline void resetHost(std::function<VstIntPtr(const Call&)> answer = nullptr) {
    recorder() = Recorder{};
    recorder().calls.reserve(1024);  // so recording does not disturb live-block counts
    recorder().answer = answer ? answer : [](const Call& c) -> VstIntPtr {
        return c.opcode == audioMasterVersion ? 2400 : 0;
    };
}

inline VstIntPtr VSTCALLBACK recordingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt) {
    Call c{e, opcode, index, value, ptr, opt};
    recorder().calls.push_back(c);
    return recorder().answer ? recorder().answer(c) : 0;
}

// An editor that records which of its operations ran.
struct SpyEditor : AEffEditor {
    explicit SpyEditor(AudioEffect* fx, bool* destroyed = nullptr) : AEffEditor(fx), destroyed(destroyed) {}
    ~SpyEditor() override {
        if (destroyed) *destroyed = true;
    }
    VstInt32 getRect(ERect** r) override {
        ++rects;
        if (r) *r = &rect;
        return 7;
    }
    VstInt32 open(void* parent) override {
        openedWith = parent;
        return 5;
    }
    void close() override { ++closes; }
    void idle() override { ++idles; }
    bool* destroyed;
    ERect rect{0, 0, 133, 512};
    int rects = 0, closes = 0, idles = 0;
    void* openedWith = nullptr;
};

// An effect with the base behaviour everywhere except where it records the
// arguments the dispatcher handed it. Text operations write unconditionally,
// so a null buffer that reached them would crash the test.
struct SpyEffect : AudioEffectX {
    explicit SpyEffect(audioMasterCallback host = nullptr, bool* destroyed = nullptr)
        : AudioEffectX(host, 4, 6), destroyed(destroyed) {}
    ~SpyEffect() override {
        if (destroyed) *destroyed = true;
    }
    void process(float** in, float** out, VstInt32 n) override { last = {"process", 0, n, in, out}; }
    void processReplacing(float** in, float** out, VstInt32 n) override { last = {"processReplacing", 0, n, in, out}; }
    void setParameter(VstInt32 index, float value) override {
        last = {"setParameter", index, 0, nullptr, nullptr, value};
        params[index & 7] = value;
    }
    float getParameter(VstInt32 index) override { return params[index & 7]; }
    void close() override { ++closes; }
    void resume() override { ++resumes; }
    void suspend() override { ++suspends; }
    float getVu() override { return vu; }
    void getProgramName(char* t) override { std::strcpy(t, "prog"); }
    void setProgramName(char* t) override { name = t; }
    void getParameterLabel(VstInt32 i, char* t) override { last = {"label", i}; std::strcpy(t, "lab"); }
    void getParameterDisplay(VstInt32 i, char* t) override { last = {"display", i}; std::strcpy(t, "dis"); }
    void getParameterName(VstInt32 i, char* t) override { last = {"name", i}; std::strcpy(t, "nam"); }
    VstInt32 getChunk(void** data, bool preset) override {
        *data = nullptr;
        last = {"getChunk", preset};
        return 0;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool preset) override {
        last = {"setChunk", preset, size, data};
        return 0;
    }
    bool string2parameter(VstInt32 i, char* t) override { last = {"string2parameter", i, 0, t}; t[0] = 0; return true; }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char* t) override {
        last = {"getProgramNameIndexed", i, category};
        std::strcpy(t, "x");
        return true;
    }
    bool copyProgram(VstInt32 d) override { last = {"copyProgram", d}; return true; }
    void inputConnected(VstInt32 i, bool s) override { last = {"inputConnected", i, s}; }
    void outputConnected(VstInt32 i, bool s) override { last = {"outputConnected", i, s}; }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override { last = {"in", i}; p->flags = 1; return true; }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool start) override {
        last = {"offlineNotify", start, n, f};
        return true;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        last = {"setSpeakerArrangement", 0, 0, in, out};
        return true;
    }
    bool setBypass(bool on) override { last = {"setBypass", on}; return false; }
    bool getErrorText(char* t) override { std::strcpy(t, "err"); return true; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override {
        last = {"vendorSpecific", a, static_cast<VstInt32>(b), p, nullptr, f};
        return 77;
    }
    VstInt32 canDo(char* t) override { return t[0] == 'y' ? 1 : -1; }
    bool setViewPosition(VstInt32 x, VstInt32 y) override { last = {"setViewPosition", x, y}; return true; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override {
        last = {"getParameterProperties", i, 0, p};
        *reinterpret_cast<char*>(p) = 1;
        return true;
    }
    bool keysRequired() override { return keys; }

    struct Seen {
        std::string what;
        VstInt32 a = 0, b = 0;
        void* p = nullptr;
        void* q = nullptr;
        float f = 0.0f;
    };
    AEffect& record() { return cEffect; }
    float storedRate() { return sampleRate; }
    VstInt32 storedBlock() { return blockSize; }

    bool* destroyed;
    Seen last;
    float params[8] = {};
    float vu = 0.0f;
    bool keys = false;
    int closes = 0, resumes = 0, suspends = 0;
    std::string name;
};

// Allocation hooks (test_host_alloc.cpp).
long liveBlocks();
// Refuses the next nothrow request of exactly this many bytes (0: none).
void refuseNothrowOfSize(std::size_t bytes);
// Refuses the nth nothrow request counted from now (1-based; 0: none) and,
// unless onlyThatOne, every later one too.
void refuseNothrowFrom(long nth, bool onlyThatOne = false);
long refusedCount();

}  // namespace hosttest
