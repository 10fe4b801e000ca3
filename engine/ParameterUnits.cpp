#include "engine/ParameterUnits.h"

#include <algorithm>
#include <cmath>

#include "engine/Coefficients.h"
#include "engine/Parameters.h"
#include "engine/Tables.h"

namespace {

double decibels(double linear) { return 20.0 * std::log10(linear); }

// The drive gain of a Limiter Gain value in dB, read from the level scale
// (built here if no instance has built it yet).
double driveDb(float value) {
    ensureTables();
    return decibels(limiterGainFor(value));
}

double positionDb(int32_t position) { return float(driveDb(float(position))); }

// The position whose drive gain is nearest to `db` in dB; the gains rise with
// the position, and each position's own dB finds it again.
int32_t nearestPosition(const ParameterInfo& p, double db) {
    int32_t lo = int32_t(p.lowest), hi = int32_t(p.max);
    while (lo < hi) {
        const int32_t mid = (lo + hi) / 2;
        if (positionDb(mid) < db) lo = mid + 1;
        else hi = mid;
    }
    if (lo > int32_t(p.lowest) && db - positionDb(lo - 1) < positionDb(lo) - db) --lo;
    return lo;
}

// The smallest normalised value whose store (max × value, a float product)
// reaches `code`, so that readers truncate it back to `code`.
double normalisedCode(const ParameterInfo& p, double code) {
    float n = float(code / p.max);
    while (p.max * n < code) n = std::nextafter(n, 2.0f);
    return n;
}

bool isToggle(const ParameterInfo& p) {
    return (p.kind == ValueKind::Choice || p.kind == ValueKind::Switch) && p.max == 1.0f;
}

// Per value kind: the unit, the user value of an internal value, and the
// normalised value of a user value already inside the user range.
struct KindRule {
    UserUnit unit;
    double (*toUser)(const ParameterInfo&, float internal);
    double (*toNormalised)(const ParameterInfo&, double user);
};

double percentOfMax(const ParameterInfo& p, float v) { return double(v) / p.max * 100.0; }
double fromPercent(const ParameterInfo&, double u) { return u / 100.0; }
double asIs(const ParameterInfo&, float v) { return v; }
// Codes are rounded to the nearest; toggles are on above 0.
double fromCode(const ParameterInfo& p, double u) {
    return normalisedCode(p, isToggle(p) ? (u > 0.0 ? 1.0 : 0.0) : std::round(u));
}

// clang-format off
constexpr KindRule kRules[] = {
    // LimiterGain: the dB of the drive gain, and the nearest position back.
    {UserUnit::Decibel,
     [](const ParameterInfo&, float v) { return driveDb(v); },
     [](const ParameterInfo& p, double u) { return normalisedCode(p, nearestPosition(p, u)); }},
    // OutGain: the applied level. A level's Out Gain is put in the middle of
    // the 0.1 dB step that the cut toward zero maps to it, never on its edge.
    {UserUnit::Decibel,
     [](const ParameterInfo&, float v) { return std::round(outputLevelFor(v) * 10.0) / 10.0 + 0.0; },
     [](const ParameterInfo&, double u) {
         const double level = std::round(u * 10.0) / 10.0;
         return level >= 0.0 ? 1.0 : std::pow(10.0, (level - 0.05) / 20.0);
     }},
    {UserUnit::Percent, percentOfMax, fromPercent},  // Percent
    {UserUnit::Percent, percentOfMax, fromPercent},  // WholePercent
    // Boost: -100 % at 0, 0 % at neutral, +100 % at the top.
    {UserUnit::Percent,
     [](const ParameterInfo&, float v) { return (double(v) - kNeutralBoost) / kNeutralBoost * 100.0; },
     [](const ParameterInfo& p, double u) { return (1.0 + u / 100.0) * kNeutralBoost / p.max; }},
    {UserUnit::Hertz, asIs, [](const ParameterInfo& p, double u) { return u / p.max; }},  // Hertz
    {UserUnit::Code, asIs, fromCode},  // Choice
    {UserUnit::Code, asIs, fromCode},  // Switch
};
// clang-format on
static_assert(std::size(kRules) == size_t(ValueKind::Switch) + 1, "one rule per value kind");

const ParameterInfo& info(int32_t index) { return kParameters[isParameterIndex(index) ? index : 0]; }
const KindRule& rule(const ParameterInfo& p) { return kRules[size_t(p.kind)]; }

}  // namespace

UserScale userScale(int32_t index) {
    const ParameterInfo& p = info(index);
    const KindRule& r = rule(p);
    return {isToggle(p) ? UserUnit::Toggle : r.unit, float(r.toUser(p, p.lowest)), float(r.toUser(p, p.max)),
            float(r.toUser(p, p.defaultValue))};
}

float userValue(int32_t index, float internal) {
    const ParameterInfo& p = info(index);
    return float(rule(p).toUser(p, internal));
}

float normalisedFromUser(int32_t index, float user) {
    if (user != user) return user;
    const ParameterInfo& p = info(index);
    const UserScale s = userScale(index);
    return float(rule(p).toNormalised(p, std::clamp(user, s.lowest, s.highest)));
}

float internalFromUser(int32_t index, float user) {
    const ParameterInfo& p = info(index);
    return p.max * clampToLowest(p, normalisedFromUser(index, user));
}
