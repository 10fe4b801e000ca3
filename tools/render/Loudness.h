// Level statistics of one signal: sample peak, and integrated loudness and
// true peak after EBU R128 (libebur128).
#pragma once
#include <ebur128.h>

class LevelMeter {
public:
    LevelMeter(int channels, int sampleRate);
    LevelMeter(const LevelMeter&) = delete;
    LevelMeter& operator=(const LevelMeter&) = delete;
    ~LevelMeter();

    void add(const float* interleaved, long frames);
    double samplePeak() const { return peak_; }  // linear
    double truePeak() const;                     // linear
    double loudness() const;                     // LUFS; -inf for silence or too short a signal
    long framesOverFullScale() const { return overs_; }

private:
    ebur128_state* state_;
    int channels_;
    double peak_ = 0.0;
    long overs_ = 0;
};
