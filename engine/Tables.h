// Process-wide tables: the level scale shared by Limiter Gain, the meters and
// the sliders, and the limiter's ramp weights. Built by the first instance.
#pragma once
#include <cstdint>

constexpr int kLevelPositions = 406;   // positions 0..405; 210 is 0 dB, 405 is amplitude 7.0
constexpr int kLevelSteps = 1000001;   // amplitude s × 0.000001, s = 0..1000000
constexpr int kOverSteps = 6001;       // amplitude 1 + s / 1000, s = 0..6000
constexpr int kWindowSize = 211;       // ramp and segment lengths 0..210

// The arrays live in one block of storage (see Tables.cpp), so they are
// reached through references of the array types.
extern float (&pixelAmplitude)[kLevelPositions];
extern int16_t (&levelPixels)[kLevelSteps];
extern int16_t (&overPixels)[kOverSteps];
extern float (&triangleWindow)[kWindowSize][kWindowSize];  // [row j][column R]
// The same weights in the order a ramp of R steps takes them: rampWindow[R][i]
// is triangleWindow[R - i][R] (and 0 past R), so a ramp reads one row.
extern float (&rampWindow)[kWindowSize][kWindowSize];

// Number of live MaximizerEffect objects, changed only by attachInstance and
// detachInstance.
extern int32_t instanceCount;

void buildTables();

// Builds the tables if no instance ever did: for readers of the level scale
// that may run before any instance exists (unit conversions). Lock-free once
// the tables exist.
void ensureTables();

// Counts an instance in; the first builds the tables. Hosts create and close
// instances on several threads, so both take a lock: an instance counted in
// while another thread builds waits until the tables are complete.
void attachInstance();
void detachInstance();
