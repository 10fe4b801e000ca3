// The LV2 entry: the descriptor and its C functions, each mapped onto one
// Lv2Maximizer. The host's longest run comes from the options feature
// (buf-size's maxBlockLength) when it gives one.
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

#include "lv2/Lv2Maximizer.h"

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

// The maxBlockLength option, or 0 when the host gives none.
int32_t hostMaxBlock(const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(feature(features, LV2_URID__map));
    const auto* options = static_cast<const LV2_Options_Option*>(feature(features, LV2_OPTIONS__options));
    if (!map || !options) return 0;
    const LV2_URID key = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o->key || o->value; ++o)
        if (o->key == key && o->type == intType && o->size == sizeof(int32_t) && o->value)
            return *static_cast<const int32_t*>(o->value);
    return 0;
}

Lv2Maximizer* self(LV2_Handle h) { return static_cast<Lv2Maximizer*>(h); }

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    if (!Lv2Maximizer::acceptsRate(rate)) return nullptr;
    return new (std::nothrow) Lv2Maximizer(rate, hostMaxBlock(features));
}

const LV2_Descriptor descriptor = {
    lv2port::kPluginUri,
    instantiate,
    [](LV2_Handle h, uint32_t port, void* data) { self(h)->connect(port, data); },
    [](LV2_Handle h) { self(h)->activate(); },
    [](LV2_Handle h, uint32_t frames) { self(h)->run(frames); },
    [](LV2_Handle h) { self(h)->deactivate(); },
    [](LV2_Handle h) { delete self(h); },
    [](const char*) -> const void* { return nullptr; },
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
