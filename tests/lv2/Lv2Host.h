// A small LV2 host on lilv for the tests: it reads only the built bundle
// (HOK_LV2_BUNDLE), instantiates the plug-in with urid:map and, when asked,
// the options feature naming the longest run, sets every control input to its
// Turtle default and runs stereo signals through run().
#pragma once
#include <lilv/lilv.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lv2/Ports.h"

// The world holding the bundle, loaded once.
class Lv2Bundle {
public:
    static Lv2Bundle& get();
    ~Lv2Bundle();
    Lv2Bundle(const Lv2Bundle&) = delete;
    Lv2Bundle& operator=(const Lv2Bundle&) = delete;

    LilvWorld* const world;
    const LilvPlugin* plugin = nullptr;

    // A node for a URI, kept as long as the world.
    const LilvNode* uri(const std::string& uri);
    const LilvPort* port(uint32_t index) const { return lilv_plugin_get_port_by_index(plugin, index); }

private:
    Lv2Bundle();
    std::map<std::string, LilvNode*> nodes;
};

struct Stereo {
    std::vector<float> left, right;
};

class Lv2Instance {
public:
    // maxBlock 0: the host names no longest run.
    explicit Lv2Instance(double rate, int32_t maxBlock = 0, bool activate = true);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool ok() const { return instance != nullptr; }

    // Control port values: parameters in user units, latency and meters as written.
    float control[lv2port::kNumPorts] = {};
    float& parameter(int index) { return control[lv2port::kFirstParameter + index]; }
    float meter(lv2port::MeterKind kind, int channel) const {
        return control[lv2port::kFirstMeter + lv2port::meterIndex(kind, channel)];
    }

    // One run on the given buffers (in and out may be the same).
    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    // A stereo signal in runs of the given lengths (cycled); `beforeRun(k)`
    // may change controls before run k, `afterRun` read them after each.
    Stereo process(const std::vector<float>& left, const std::vector<float>& right, std::vector<int> runs,
                   const std::function<void(int)>& beforeRun = nullptr,
                   const std::function<void()>& afterRun = nullptr);

    // Marks this thread as inside processing for the length of each run()
    // (tests/validator/Realtime.h counts what it does there).
    bool markRuns = false;

private:
    LilvInstance* instance = nullptr;
};

// The plug-in's output for the same signal and settings, computed by an
// engine in this process from user values (by parameter index).
Stereo engineOutput(const std::vector<float>& left, const std::vector<float>& right, float rate,
                    const std::vector<std::pair<int, float>>& settings);
