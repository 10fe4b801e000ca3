#include "tools/render/DeliveryTarget.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tools/render/Loudness.h"

namespace {

constexpr int kMostPasses = 12;
// A drive step is taken when its loudness lies in this window around the
// goal; the output gain then trims it to within half a 0.1 dB step.
constexpr double kBelow = 0.08, kAbove = 0.15;
// Kept below the ceiling so that rounding to the file's sample step cannot cross it.
constexpr double kCeilingMargin = 0.001;
constexpr double kHalfOutGainStep = 0.05;
constexpr double kUnmeasurable = -200.0;  // LUFS standing in for a pass under the gate

double tenthsDown(double db) { return std::floor(db * 10.0 + 1e-9) / 10.0; }
double tenthsNearest(double db) { return std::round(db * 10.0) / 10.0; }

double ceilingGain(const PassLevels& levels, const DeliveryGoal& goal) {
    if (!goal.ceiling) return 0.0;
    return std::min(0.0, tenthsDown(*goal.ceiling - levels.truePeak - kCeilingMargin));
}

// The step whose dB lies nearest `db` among steps lo+1 .. hi-1 not yet measured; -1 if none.
int nearestFree(const std::vector<double>& driveDb, double db, int lo, int hi, const std::map<int, double>& seen) {
    int best = -1;
    for (int k = lo + 1; k < hi; k++) {
        if (seen.count(k)) continue;
        if (best < 0 || std::fabs(driveDb[k] - db) < std::fabs(driveDb[best] - db)) best = k;
    }
    return best;
}

}  // namespace

double outGainFor(const PassLevels& levels, const DeliveryGoal& goal) {
    double gain = ceilingGain(levels, goal);
    if (goal.lufs) {
        double excess = levels.loudness + gain - *goal.lufs;
        if (excess > kHalfOutGainStep) gain -= tenthsNearest(excess);
    }
    return gain;
}

bool chooseDelivery(const std::vector<double>& driveDb, int start, double lowestOutGain, const DeliveryGoal& goal,
                    const MeasureStep& measure, DeliveryChoice& choice, std::string& error) {
    const int last = (int)driveDb.size() - 1;
    std::map<int, double> seen;  // step -> loudness under the ceiling, minus the goal
    std::map<int, PassLevels> levels;
    std::set<int> quiet;  // steps whose output stayed under the loudness gate
    int lo = -1, hi = last + 1;  // loudest step known too quiet, quietest known loud enough
    int step = std::clamp(start, 0, last), previous = -1;
    // The loudness under the ceiling is the lower of two curves that rise
    // with the drive, each smoother than their minimum: the loudness itself,
    // and the loudness with the true peak moved onto the ceiling. Both must
    // reach the goal, so the next drive is the larger of their estimates.
    std::map<int, double> curves[2];  // step -> curve minus the goal
    const double centre = (kAbove - kBelow) / 2;
    choice = DeliveryChoice{};
    auto take = [&](int k) {
        choice.step = k;
        choice.outGain = outGainFor(levels[k], goal);
        choice.loudness = levels[k].loudness + choice.outGain;
        choice.truePeak = levels[k].truePeak + choice.outGain;
        if (choice.outGain >= lowestOutGain - 1e-9) return true;
        error = goal.lufs ? "cannot get as quiet as " + levelText(*goal.lufs, "LUFS")
                          : "cannot bring the true peak of " + levelText(levels[k].truePeak, "dBTP") + " under " +
                                levelText(*goal.ceiling, "dBTP");
        error += ": Out Gain stops at " + levelText(lowestOutGain, "dB");
        return false;
    };
    for (;;) {
        PassLevels m;
        if (!measure(step, m, error)) return false;
        choice.passes++;
        levels[step] = m;
        if (!goal.lufs) return take(step);
        // Below the loudness gate at a low drive is too quiet; at the first step the file itself is.
        if (!std::isfinite(m.loudness) && choice.passes == 1) {
            error = "its loudness cannot be measured (silent, or shorter than 0.4 s)";
            return false;
        }
        if (!std::isfinite(m.loudness)) quiet.insert(step);
        const double loudness = quiet.count(step) ? kUnmeasurable : m.loudness;
        const double off = loudness + ceilingGain(m, goal) - *goal.lufs;
        seen[step] = off;
        curves[0][step] = loudness - *goal.lufs;
        if (goal.ceiling) curves[1][step] = loudness + *goal.ceiling - m.truePeak - *goal.lufs;
        if (off >= -kBelow && off <= kAbove) return take(step);
        if (off < -kBelow)
            lo = std::max(lo, step);
        else
            hi = std::min(hi, step);
        if (hi == 0) return take(0);  // loud enough at the least drive
        if (lo == last && hi > last) {
            error = "cannot reach " + levelText(*goal.lufs, "LUFS") + ": the most drive (" +
                    levelText(driveDb[last], "dB") + ") gives " + levelText(*goal.lufs + off, "LUFS");
            if (goal.ceiling) error += " under the ceiling";
            return false;
        }
        if (hi == lo + 1) return take(hi);  // no step between: the output gain trims the louder one
        if (choice.passes >= kMostPasses) break;
        // Each curve's secant through the newest two points, at 0.2 to 1 LU
        // per dB (no drive gives more; the second curve stays flat until the
        // limiter works); a single point assumes 1. A pass under the gate
        // tells nothing: the estimate starts from the quietest loud enough.
        const int from = quiet.count(step) ? hi : step;
        double aim = -HUGE_VAL;
        for (const auto& curve : curves) {
            if (curve.empty()) continue;
            double slope = 1.0;
            if (from == step && previous >= 0 && !quiet.count(previous) && driveDb[previous] != driveDb[step])
                slope = std::clamp((curve.at(step) - curve.at(previous)) / (driveDb[step] - driveDb[previous]), 0.2, 1.0);
            aim = std::max(aim, driveDb[from] + (centre - curve.at(from)) / slope);
        }
        previous = step;
        step = nearestFree(driveDb, aim, lo, hi, seen);
        if (step < 0) break;
    }
    if (hi <= last) return take(hi);
    error = "the search for " + levelText(*goal.lufs, "LUFS") + " did not settle";
    return false;
}
