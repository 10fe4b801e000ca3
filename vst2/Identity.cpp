// The plug-in's identity: its names, its output pins and what it can do.
#include <cstdio>
#include <cstring>

#include "vst2/MaximizerEffect.h"

namespace {
const char kEffectName[] = "Hok Maximizer";
const char kVendor[] = "Qel v1.1";
const char* const kCanDo[] = {"plugAsChannelInsert", "plugAsSend"};
}  // namespace

// Two stereo output pins, "Hok 1" and "Hok 2".
bool MaximizerEffect::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index < 0 || index > 1 || !properties) return false;
    std::snprintf(properties->label, sizeof properties->label, "Hok %1d", static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool MaximizerEffect::getEffectName(char* name) {
    if (!name) return false;
    std::strcpy(name, kEffectName);
    return true;
}

bool MaximizerEffect::getVendorString(char* text) {
    if (!text) return false;
    std::strcpy(text, kVendor);
    return true;
}

bool MaximizerEffect::getProductString(char* text) {
    if (!text) return false;
    std::strcpy(text, kEffectName);
    return true;
}

// Exact, case-sensitive match against the known abilities; 1 yes, -1 no.
VstInt32 MaximizerEffect::canDo(char* text) {
    if (!text) return -1;
    for (const char* ability : kCanDo)
        if (std::strcmp(text, ability) == 0) return 1;
    return -1;
}
