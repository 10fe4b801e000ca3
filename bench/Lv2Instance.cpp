#include "bench/Lv2Instance.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kAtomBytes = 1 << 16;

// URIDs: the index into a growing list of URIs, plus one.
std::vector<std::string>& uris() {
    static std::vector<std::string> list;
    return list;
}

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    auto& list = uris();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == uri) return LV2_URID(i + 1);
    list.emplace_back(uri);
    return LV2_URID(list.size());
}

const char* unmapUri(LV2_URID_Unmap_Handle, LV2_URID urid) {
    auto& list = uris();
    return urid >= 1 && urid <= list.size() ? list[urid - 1].c_str() : nullptr;
}

enum class Role { controlIn, controlOut, audioIn, audioOut, atomIn, atomOut, other };

}  // namespace

struct Lv2Instance::Impl {
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    LV2_URID_Map map{nullptr, mapUri};
    LV2_URID_Unmap unmap{nullptr, unmapUri};
    int32_t block = 0;
    float rate = 0.0f;
    std::vector<LV2_Options_Option> options;
    LV2_Feature mapFeature{LV2_URID__map, &map}, unmapFeature{LV2_URID__unmap, &unmap};
    LV2_Feature optionsFeature{LV2_OPTIONS__options, nullptr};
    LV2_Feature boundedFeature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    std::vector<Role> roles;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atoms;  // 8-byte aligned buffers
    std::vector<float> silence, scratch;
    std::vector<uint32_t> audioIn, audioOut;
    LV2_URID sequenceType = 0, chunkType = 0;

    ~Impl() {
        if (instance) lilv_instance_free(instance);
        if (world) lilv_world_free(world);
    }
};

Lv2Instance::Lv2Instance() : impl_(std::make_unique<Impl>()) {}

Lv2Instance::~Lv2Instance() = default;

bool Lv2Instance::load(const std::string& uri, double rate, int maxBlock, std::string& error) {
    Impl& m = *impl_;
    m.world = lilv_world_new();
    lilv_world_load_all(m.world);
    LilvNode* node = lilv_new_uri(m.world, uri.c_str());
    m.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m.world), node);
    lilv_node_free(node);
    if (!m.plugin) {
        error = "no LV2 plug-in " + uri;
        return false;
    }
    m.block = maxBlock;
    m.rate = float(rate);
    const LV2_URID intType = mapUri(nullptr, LV2_ATOM__Int), floatType = mapUri(nullptr, LV2_ATOM__Float);
    m.sequenceType = mapUri(nullptr, LV2_ATOM__Sequence);
    m.chunkType = mapUri(nullptr, LV2_ATOM__Chunk);
    for (const char* key :
         {LV2_BUF_SIZE__minBlockLength, LV2_BUF_SIZE__maxBlockLength, LV2_BUF_SIZE__nominalBlockLength})
        m.options.push_back({LV2_OPTIONS_INSTANCE, 0, mapUri(nullptr, key), sizeof(int32_t), intType, &m.block});
    m.options.push_back(
        {LV2_OPTIONS_INSTANCE, 0, mapUri(nullptr, LV2_CORE__sampleRate), sizeof(float), floatType, &m.rate});
    m.options.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    m.optionsFeature.data = m.options.data();
    const LV2_Feature* features[] = {&m.mapFeature, &m.unmapFeature, &m.optionsFeature, &m.boundedFeature, nullptr};
    m.instance = lilv_plugin_instantiate(m.plugin, rate, features);
    if (!m.instance) {
        error = "the LV2 plug-in could not be instantiated";
        return false;
    }

    LilvNode* input = lilv_new_uri(m.world, LV2_CORE__InputPort);
    LilvNode* audio = lilv_new_uri(m.world, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(m.world, LV2_CORE__ControlPort);
    LilvNode* atom = lilv_new_uri(m.world, LV2_ATOM__AtomPort);
    const uint32_t ports = lilv_plugin_get_num_ports(m.plugin);
    m.roles.assign(ports, Role::other);
    m.controls.assign(ports, 0.0f);
    m.atoms.assign(ports, {});
    m.silence.assign(size_t(maxBlock), 0.0f);
    m.scratch.assign(size_t(maxBlock), 0.0f);
    for (uint32_t p = 0; p < ports; ++p) {
        const LilvPort* port = lilv_plugin_get_port_by_index(m.plugin, p);
        const bool in = lilv_port_is_a(m.plugin, port, input);
        if (lilv_port_is_a(m.plugin, port, control)) {
            m.roles[p] = in ? Role::controlIn : Role::controlOut;
            LilvNode* def = nullptr;
            lilv_port_get_range(m.plugin, port, &def, nullptr, nullptr);
            m.controls[p] = def ? lilv_node_as_float(def) : 0.0f;
            lilv_node_free(def);
            lilv_instance_connect_port(m.instance, p, &m.controls[p]);
        } else if (lilv_port_is_a(m.plugin, port, audio)) {
            m.roles[p] = in ? Role::audioIn : Role::audioOut;
            (in ? m.audioIn : m.audioOut).push_back(p);
            lilv_instance_connect_port(m.instance, p, in ? m.silence.data() : m.scratch.data());
        } else {
            m.roles[p] = lilv_port_is_a(m.plugin, port, atom) ? (in ? Role::atomIn : Role::atomOut) : Role::other;
            m.atoms[p].assign(std::max<size_t>(kAtomBytes, size_t(maxBlock) * 4) / 8, 0);
            if (m.roles[p] == Role::atomIn) {
                auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(m.atoms[p].data());
                seq->atom.type = m.sequenceType;
                seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
            }
            lilv_instance_connect_port(m.instance, p, m.atoms[p].data());
        }
    }
    for (LilvNode* n : {input, audio, control, atom}) lilv_node_free(n);
    if (m.audioIn.empty() || m.audioOut.empty()) {
        error = "the LV2 plug-in has no audio ports";
        return false;
    }
    return true;
}

bool Lv2Instance::set(const std::string& assignment, std::string& error) {
    Impl& m = *impl_;
    const size_t eq = assignment.find('=');
    LilvNode* symbol = lilv_new_string(m.world, assignment.substr(0, eq).c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(m.plugin, symbol);
    lilv_node_free(symbol);
    if (eq == std::string::npos || !port) {
        error = "no control input " + assignment.substr(0, eq);
        return false;
    }
    const uint32_t index = lilv_port_get_index(m.plugin, port);
    if (m.roles[index] != Role::controlIn) {
        error = assignment.substr(0, eq) + " is not a control input";
        return false;
    }
    m.controls[index] = std::strtof(assignment.c_str() + eq + 1, nullptr);
    return true;
}

void Lv2Instance::activate() { lilv_instance_activate(impl_->instance); }

void Lv2Instance::run(float** in, float** out, int n) {
    Impl& m = *impl_;
    for (size_t k = 0; k < m.audioIn.size() && k < 2; ++k) lilv_instance_connect_port(m.instance, m.audioIn[k], in[k]);
    for (size_t k = 0; k < m.audioOut.size() && k < 2; ++k)
        lilv_instance_connect_port(m.instance, m.audioOut[k], out[k]);
    for (size_t p = 0; p < m.roles.size(); ++p) {
        if (m.roles[p] != Role::atomOut) continue;
        auto* seq = reinterpret_cast<LV2_Atom*>(m.atoms[p].data());
        seq->type = m.chunkType;
        seq->size = uint32_t(m.atoms[p].size() * 8 - sizeof(LV2_Atom));
    }
    lilv_instance_run(m.instance, uint32_t(n));
}

std::string Lv2Instance::name() const {
    LilvNode* n = lilv_plugin_get_name(impl_->plugin);
    std::string s = n ? lilv_node_as_string(n) : "LV2 plug-in";
    lilv_node_free(n);
    return s;
}
