#include "host/entry/Entry.h"

#include <type_traits>

#include "engine/MaximizerEffect.h"

static_assert(std::is_same_v<HokHostCallback, audioMasterCallback>);

extern "C" AEffect* hokCreateEffect(HokHostCallback audioMaster) { return createEffectInstance(audioMaster); }
