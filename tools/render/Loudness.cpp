#include "tools/render/Loudness.h"

#include <cmath>
#include <cstdio>

LevelMeter::LevelMeter(int channels, int sampleRate)
    : state_(ebur128_init((unsigned)channels, (unsigned long)sampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK)),
      channels_(channels) {}

LevelMeter::~LevelMeter() {
    if (state_) ebur128_destroy(&state_);
}

void LevelMeter::add(const float* interleaved, long frames) {
    for (long i = 0; i < frames; i++) {
        bool over = false;
        for (int c = 0; c < channels_; c++) {
            double a = std::fabs((double)interleaved[i * channels_ + c]);
            if (a > peak_) peak_ = a;
            over = over || a > 1.0;
        }
        overs_ += over;
    }
    if (state_ && frames > 0) ebur128_add_frames_float(state_, interleaved, (size_t)frames);
}

double LevelMeter::truePeak() const {
    double peak = 0.0;
    for (int c = 0; state_ && c < channels_; c++) {
        double p = 0.0;
        if (ebur128_true_peak(state_, (unsigned)c, &p) == EBUR128_SUCCESS && p > peak) peak = p;
    }
    return peak;
}

double LevelMeter::loudness() const {
    double lufs = -HUGE_VAL;
    if (!state_ || ebur128_loudness_global(state_, &lufs) != EBUR128_SUCCESS) return -HUGE_VAL;
    return lufs;
}

std::string levelText(double db, const char* unit, int places) {
    char text[48];
    if (!std::isfinite(db))
        std::snprintf(text, sizeof text, "%sinf %s", db > 0 ? "+" : "-", unit);
    else
        std::snprintf(text, sizeof text, "%+.*f %s", places, db, unit);
    return text;
}

double decibels(double linear) { return linear > 0.0 ? 20.0 * std::log10(linear) : -HUGE_VAL; }
