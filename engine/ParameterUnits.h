// The parameters in the units a user sets them in, for plug-in formats whose
// hosts carry such values (ports with ranges, units and defaults) instead of
// the normalised 0..1:
//   Limiter Gain   dB, the drive gain of a position on the level scale; a
//                  value picks the position whose gain is nearest
//   Out Gain       dB, -60 to 0 in steps of 0.1, the gain the engine applies
//   Dull-Sharp, Body Boost   percent of their maximum
//   Bass, Mid, Hi Boost      -100 to +100 percent: 0 leaves the band alone,
//                  -100 removes it (the cut is linear in amplitude, -50 is
//                  -6 dB), +100 is the strongest boost
//   frequencies    Hz, from their floor to their maximum
//   choices        the code; two-state parameters are toggles (0 or 1)
// Ranges and defaults are the table's (Parameters.h) in these units. Limiter
// Gain reads the level-scale tables, which are built here if no engine did.
#pragma once
#include <cstdint>

enum class UserUnit : uint8_t { Decibel, Percent, Hertz, Code, Toggle };

struct UserScale {
    UserUnit unit;
    float lowest, highest, defaultValue;
};

// Out-of-range indices get parameter 0's.
UserScale userScale(int32_t index);

// The user value of an internal value.
float userValue(int32_t index, float internal);

// The normalised value that stores a user value through the engine's
// setParameter: clamped into the user range, codes rounded to the nearest,
// toggles on above 0, Limiter Gain at the nearest position. Codes and
// positions store exactly; NaN stays NaN (the setter ignores it).
float normalisedFromUser(int32_t index, float user);

// The internal value that normalisedFromUser stores.
float internalFromUser(int32_t index, float user);
