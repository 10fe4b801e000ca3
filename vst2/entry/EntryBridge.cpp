#include "vst2/entry/Entry.h"

#include <type_traits>

#include "vst2/MaximizerEffect.h"

static_assert(std::is_same_v<HokHostCallback, audioMasterCallback>);

extern "C" AEffect* hokCreateEffect(HokHostCallback audioMaster) { return createEffectInstance(audioMaster); }
