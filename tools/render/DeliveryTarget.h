// Mastering to a delivery target: the drive (Limiter Gain) and output gain
// (Out Gain) that bring a file's integrated loudness to a goal and keep its
// true peak under a ceiling, found from a few measured passes.
//
// The drive is a scale of discrete steps; the output gain comes after the
// limiter, so the output scales linearly with it: one pass at a drive step
// tells the loudness and true peak at every output gain. The output gain
// moves in 0.1 dB steps and only cuts (0 dB at most).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct DeliveryGoal {
    std::optional<double> lufs;     // integrated loudness to reach, LUFS
    std::optional<double> ceiling;  // true peak not to pass, dBTP
};

// Integrated loudness (LUFS) and true peak (dBTP) of one pass, output gain 0 dB.
struct PassLevels {
    double loudness = 0.0;
    double truePeak = 0.0;
};

struct DeliveryChoice {
    int step = -1;          // drive step
    double outGain = 0.0;   // dB
    int passes = 0;         // measuring passes run
    double loudness = 0.0;  // expected at this drive and output gain
    double truePeak = 0.0;
};

using MeasureStep = std::function<bool(int step, PassLevels& levels, std::string& error)>;

constexpr double kLoudnessTolerance = 0.1;  // LU

// `driveDb`: the drive steps in dB, ascending; the search starts at `start`.
// `lowestOutGain`: the deepest output gain in dB. False with a message when
// the goal cannot be met or a pass fails.
bool chooseDelivery(const std::vector<double>& driveDb, int start, double lowestOutGain, const DeliveryGoal& goal,
                    const MeasureStep& measure, DeliveryChoice& choice, std::string& error);

// The output gain in dB, on its 0.1 dB steps, that brings `levels` down
// until the peak is at or under the ceiling and the loudness is nearest the
// goal without exceeding it by more than half a step.
double outGainFor(const PassLevels& levels, const DeliveryGoal& goal);
