// How the editor lets the engine's meters fall back between frames: the
// peak falls ever faster up to 0.1 per frame, the reduction recovers by 0.08.
#pragma once

struct MeterReading {
    float peak;
    float fallSpeed;
    float reduction;
};

inline MeterReading fallBack(MeterReading m) {
    constexpr float kFallStep = 0.03f, kMaxFall = 0.1f, kRecovery = 0.08f;
    m.peak -= m.fallSpeed;
    m.fallSpeed += kFallStep;
    if (m.fallSpeed > kMaxFall) m.fallSpeed = kMaxFall;
    if (m.peak < 0.0f) {
        m.peak = 0.0f;
        m.fallSpeed = 0.0f;
    }
    m.reduction += kRecovery;
    if (m.reduction > 1.0f) m.reduction = 1.0f;
    return m;
}
