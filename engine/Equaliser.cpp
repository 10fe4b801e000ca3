// The equaliser of one channel: the mono path, the stages' one definition
// (EqualiserLoop.h) at width one.
#include "engine/EqualiserLoop.h"
#include "engine/Stages.h"

[[gnu::flatten]] void equaliserMono(ChannelState& ch, HighPassSection& treble, float& follow, float* samples,
                                    const EqualiserSettings& s, int32_t n) {
    equaliser::run(equaliser::Channels<lanes::One>{{&ch}, {&treble}, {&follow}, {samples}, s, n});
}
