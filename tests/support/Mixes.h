// Stereo mixes for the reference comparison and the benchmarks: the
// benchmark's hot mix, and a rendered song (drums, bass, two singing voices
// and a pad) mastered to peak at full scale.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace mixes {

struct Stereo {
    std::vector<float> left, right;
};

// The benchmark's hot mix: kick, noise hats, bass and a chord, peaks near +8 dBFS.
inline Stereo benchMix(long frames, double rate) {
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    uint32_t seed = 1;
    for (long i = 0; i < frames; i++) {
        const double t = i / rate, beat = std::fmod(t, 0.5);
        seed = seed * 1103515245u + 12345u;
        const double noise = ((seed >> 8) / 8388608.0 - 1.0) * 0.25 * std::exp(-std::fmod(t, 0.25) * 30);
        const double kick = std::sin(2 * M_PI * (45 + 120 * std::exp(-beat * 25)) * beat) * std::exp(-beat * 6) * 1.6;
        const double bass = std::sin(2 * M_PI * 49 * t) * 0.5;
        const double chord =
            0.15 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) + std::sin(2 * M_PI * 329.6 * t));
        s.left[i] = float(kick + noise + bass + chord);
        s.right[i] = float(kick - noise + bass * 0.8 + chord * 1.1);
    }
    return s;
}

namespace detail {

// A sung note: harmonics of f0 weighted by three formants of a vowel.
struct Vowel {
    double f1, f2, f3;
};
constexpr Vowel kVowels[4] = {{800, 1150, 2900}, {450, 800, 2830}, {400, 2100, 2800}, {300, 870, 2240}};

inline double formantVoice(double phase, double f0, const Vowel& v) {
    double sum = 0.0;
    for (int k = 1; k <= 12; ++k) {
        const double f = k * f0;
        double a = 0.0;
        for (double fc : {v.f1, v.f2, v.f3}) a += 1.0 / (1.0 + (f - fc) * (f - fc) / (90.0 * 90.0));
        sum += a * std::sin(k * phase) / k;
    }
    return sum;
}

// Semitones above A1 (55 Hz).
inline double pitch(double semitones) { return 55.0 * std::pow(2.0, semitones / 12.0); }

}  // namespace detail

// A song at 120 bpm: kick, snare and hats, an eighth-note bass line over four
// chords, a lead voice and a harmony voice singing vowels with vibrato, and a
// pad; every bar a fill. Scaled so that its largest sample is at full scale.
inline Stereo musicMix(long frames, double rate) {
    using namespace detail;
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    constexpr double kRoots[4] = {12, 8, 15, 10};  // A, F, C, G (semitones above A1)
    constexpr double kMelody[16] = {31, 31, 34, 36, 34, 31, 29, 27, 31, 34, 36, 38, 36, 34, 31, 29};
    uint32_t seed = 7;
    double voicePhase[2] = {0, 0}, hatPrev = 0;
    double peak = 0;
    std::vector<double> l(frames), r(frames);
    for (long i = 0; i < frames; ++i) {
        const double t = i / rate, beat = t * 2.0;  // 120 bpm
        const long beatIndex = long(beat), bar = beatIndex / 4;
        const double inBeat = (beat - beatIndex) * 0.5, eighth = std::fmod(t, 0.25);
        const double root = kRoots[bar % 4];
        seed = seed * 1664525u + 1013904223u;
        const double noise = (seed >> 8) / 8388608.0 - 1.0;

        // Drums: kick on 1 and 3 (and the last eighth of odd bars), snare on 2 and 4, hats on eighths.
        double kick = 0.0, snare = 0.0;
        if (beatIndex % 2 == 0 || (bar % 2 == 1 && beatIndex % 4 == 3 && inBeat > 0.25)) {
            const double k = beatIndex % 2 == 0 ? inBeat : inBeat - 0.25;
            kick = std::sin(2 * M_PI * (50 * k + 100 / 35.0 * (1 - std::exp(-35 * k)))) * std::exp(-7 * k) * 0.95;
        } else {
            snare = (noise * 0.55 + std::sin(2 * M_PI * 190 * inBeat) * 0.45) * std::exp(-18 * inBeat);
        }
        const double hatNoise = noise - hatPrev;
        hatPrev = noise;
        const double open = (long(t * 4) % 8 == 7) ? 8.0 : 60.0;
        const double hat = hatNoise * std::exp(-open * eighth) * 0.12;

        // Bass: eighths on the chord's root, a saw of five harmonics.
        const double fb = pitch(root - 12 + (long(t * 4) % 4 == 3 ? 7 : 0));
        double bass = 0.0;
        for (int k = 1; k <= 5; ++k) bass += std::sin(2 * M_PI * k * fb * t) / k;
        bass *= 0.28 * (0.4 + 0.6 * std::exp(-6 * eighth));

        // Voices: a note per beat, vibrato after the onset, a vowel per note.
        double voice[2];
        const double note = kMelody[beatIndex % 16];
        for (int v = 0; v < 2; ++v) {
            const double vib = 1.0 + 0.006 * std::sin(2 * M_PI * 5.5 * t) * std::min(1.0, inBeat * 6);
            const double f0 = pitch(note - (v ? 4 : 0)) * vib;
            voicePhase[v] += 2 * M_PI * f0 / rate;
            if (voicePhase[v] > 2 * M_PI) voicePhase[v] -= 2 * M_PI;
            const double env = std::min(1.0, inBeat * 30) * (0.75 + 0.25 * std::exp(-4 * inBeat));
            voice[v] = formantVoice(voicePhase[v], f0, kVowels[(beatIndex + v) % 4]) * env * (v ? 0.10 : 0.16) +
                       noise * 0.004;
        }

        // Pad: the chord's triad, slowly swelling.
        double pad = 0.0;
        for (double interval : {0.0, 4.0, 7.0}) pad += std::sin(2 * M_PI * pitch(root + 12 + interval) * t);
        pad *= 0.05 * (0.7 + 0.3 * std::sin(2 * M_PI * t / 8));

        l[i] = kick + snare * 0.9 + hat * 0.4 + bass + voice[0] * 1.1 + voice[1] * 0.7 + pad;
        r[i] = kick + snare + hat * 1.0 + bass + voice[0] * 0.9 + voice[1] * 1.3 + pad * 0.9;
        peak = std::max(peak, std::max(std::fabs(l[i]), std::fabs(r[i])));
    }
    for (long i = 0; i < frames; ++i) {
        s.left[i] = float(l[i] / peak);
        s.right[i] = float(r[i] / peak);
    }
    return s;
}

}  // namespace mixes
