// Body stage: a level-dependent enhancer on the whole signal, dry signal
// blended with the saturating boost of itself. No state.
#include "engine/SaturatingBoost.h"
#include "engine/Settle.h"
#include "engine/Stages.h"

void bodyStage(float* samples, float amount, int32_t n) {
    const double e = amount;
    const double dry = 1.0 - e;
    const double wet = 1.1f * e;
    for (int32_t i = 0; i < n; ++i) {
        const double x = samples[i];
        samples[i] = settle(static_cast<float>(dry * x + wet * saturatingBoost(x, e, 1.08f)));
    }
}
