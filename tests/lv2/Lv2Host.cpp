#include "tests/lv2/Lv2Host.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <map>

#include "engine/Engine.h"
#include "engine/ParameterUnits.h"
#include "tests/validator/Realtime.h"

namespace {

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    static std::map<std::string, LV2_URID> ids;
    const auto found = ids.try_emplace(uri, LV2_URID(ids.size() + 1));
    return found.first->second;
}

}  // namespace

Lv2Bundle::Lv2Bundle() : world(lilv_world_new()) {
    lilv_world_load_specifications(world);
    lilv_world_load_plugin_classes(world);
    LilvNode* dir = lilv_new_file_uri(world, nullptr, HOK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world, dir);
    lilv_node_free(dir);
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri(lv2port::kPluginUri));
}

Lv2Bundle::~Lv2Bundle() {
    for (auto& [text, node] : nodes) lilv_node_free(node);
    lilv_world_free(world);
}

Lv2Bundle& Lv2Bundle::get() {
    static Lv2Bundle bundle;
    return bundle;
}

const LilvNode* Lv2Bundle::uri(const std::string& text) {
    LilvNode*& node = nodes[text];
    if (!node) node = lilv_new_uri(world, text.c_str());
    return node;
}

Lv2Instance::Lv2Instance(double rate, int32_t maxBlock, bool activate) {
    Lv2Bundle& bundle = Lv2Bundle::get();
    if (!bundle.plugin) return;
    LV2_URID_Map map = {nullptr, mapUri};
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, mapUri(nullptr, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
         mapUri(nullptr, LV2_ATOM__Int), &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapFeature = {LV2_URID__map, &map};
    const LV2_Feature optionsFeature = {LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature* withOptions[] = {&mapFeature, &optionsFeature, nullptr};
    const LV2_Feature* plain[] = {&mapFeature, nullptr};
    instance = lilv_plugin_instantiate(bundle.plugin, rate, maxBlock > 0 ? withOptions : plain);
    if (!instance) return;
    for (uint32_t p = lv2port::kFirstParameter; p < lv2port::kNumPorts; ++p) {
        LilvNode* def = nullptr;
        lilv_port_get_range(bundle.plugin, bundle.port(p), &def, nullptr, nullptr);
        if (def) control[p] = lilv_node_as_float(def);
        lilv_node_free(def);
        lilv_instance_connect_port(instance, p, &control[p]);
    }
    if (activate) lilv_instance_activate(instance);
}

Lv2Instance::~Lv2Instance() {
    if (!instance) return;
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

void Lv2Instance::run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames) {
    lilv_instance_connect_port(instance, lv2port::kInLeft, const_cast<float*>(inL));
    lilv_instance_connect_port(instance, lv2port::kInRight, const_cast<float*>(inR));
    lilv_instance_connect_port(instance, lv2port::kOutLeft, outL);
    lilv_instance_connect_port(instance, lv2port::kOutRight, outR);
    if (markRuns) validator::markProcessing(true);
    lilv_instance_run(instance, frames);
    if (markRuns) validator::markProcessing(false);
}

Stereo Lv2Instance::process(const std::vector<float>& left, const std::vector<float>& right, std::vector<int> runs,
                            const std::function<void(int)>& beforeRun, const std::function<void()>& afterRun) {
    Stereo out{std::vector<float>(left.size()), std::vector<float>(right.size())};
    size_t pos = 0;
    for (int k = 0; pos < left.size(); ++k) {
        const size_t n = std::min<size_t>(size_t(runs[size_t(k) % runs.size()]), left.size() - pos);
        if (beforeRun) beforeRun(k);
        run(left.data() + pos, right.data() + pos, out.left.data() + pos, out.right.data() + pos, uint32_t(n));
        if (afterRun) afterRun();
        pos += n;
    }
    return out;
}

Stereo engineOutput(const std::vector<float>& left, const std::vector<float>& right, float rate,
                    const std::vector<std::pair<int, float>>& settings) {
    MaximizerEngine engine;
    for (const auto& [index, user] : settings) engine.setParameter(index, normalisedFromUser(index, user));
    engine.prepare(rate, 512);
    Stereo out{std::vector<float>(left.size()), std::vector<float>(right.size())};
    const float* in[2] = {left.data(), right.data()};
    float* o[2] = {out.left.data(), out.right.data()};
    engine.process(in, o, int32_t(left.size()), planForMode(0), false);
    return out;
}
