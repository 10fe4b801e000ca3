// One instance that lives for a whole fuzz run, so the shared tables are built
// once; closed at exit, so no leak check sees it left behind.
#pragma once
#include "vst2/MaximizerEffect.h"

struct KeptInstance {
    explicit KeptInstance(audioMasterCallback host) : effect(createEffectInstance(host)) {}
    ~KeptInstance() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    KeptInstance(const KeptInstance&) = delete;
    KeptInstance& operator=(const KeptInstance&) = delete;
    AEffect* effect;
};
