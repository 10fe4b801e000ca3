// The dynamics of one channel, the mono path: the stereo path's loop
// (DynamicsLoop.h) at width one, so the knee's chain runs beside the
// limiter's work here too.
#include "engine/DynamicsLoop.h"

void dynamicsMono(ChannelState& ch, const float* x, const DynamicsSettings& s, int32_t readPos, int32_t n) {
    {
        limiter::Noted queue[limiter::kMaxQueued];
        LimiterRun run(ch, s.rampFactor, s.falling, queue, n);
        dynamics::limitLanes<lanes::One>({&ch}, {x}, s, n, run);
    }
    smoothOrIdle(ch, n, s.smoothed, readPos);
}
