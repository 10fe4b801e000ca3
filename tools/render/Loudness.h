// Level statistics of one signal: sample peak, and integrated loudness and
// true peak after EBU R128 (libebur128).
#pragma once
#include <ebur128.h>

#include <string>

// A meter's results: linear peaks, loudness in LUFS.
struct Levels {
    double samplePeak = 0.0;
    double truePeak = 0.0;
    double loudness = 0.0;
};

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
    Levels levels() const { return {samplePeak(), truePeak(), loudness()}; }

private:
    ebur128_state* state_;
    int channels_;
    double peak_ = 0.0;
    long overs_ = 0;
};

// A level for people: "-9.0 LUFS", "+0.52 dBTP", "-inf dBFS".
std::string levelText(double db, const char* unit, int places = 1);
// Decibels of a linear level, -inf for 0.
double decibels(double linear);
