// hok-demo-signal: writes the demonstration mix, a hot stereo loop of drums,
// bass and pads, as a 32-bit float WAV whose peaks go well above full scale.
//   hok-demo-signal OUT.wav [seconds]
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;  // 120 bpm
constexpr double kBar = 4 * kBeat;

struct Noise {
    uint32_t state = 0x9E3779B9u;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }
};

// Pads and bass follow A minor, F, C, G, one chord per bar.
const double kChords[4][3] = {{220.0, 261.63, 329.63}, {174.61, 220.0, 261.63},
                              {261.63, 329.63, 392.0}, {196.0, 246.94, 293.66}};
const double kRoots[4] = {55.0, 43.65, 65.41, 49.0};

// A band-limited sawtooth from its first harmonics.
double saw(double phase, int harmonics) {
    double s = 0.0;
    for (int h = 1; h <= harmonics; h++) s += std::sin(2 * kPi * h * phase) / h;
    return s * (2.0 / kPi);
}

double kick(double t) {
    double f = 50.0 + 110.0 * std::exp(-t * 25.0);
    double phase = 50.0 * t + 110.0 * (1.0 - std::exp(-t * 25.0)) / 25.0;
    (void)f;
    return std::sin(2 * kPi * phase) * std::exp(-t * 7.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hok-demo-signal OUT.wav [seconds]\n");
        return 2;
    }
    double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    if (!(seconds > 0.0) || seconds > 3600.0) {
        std::fprintf(stderr, "hok-demo-signal: seconds must be between 0 and 3600\n");
        return 2;
    }
    long frames = (long)(seconds * kRate);
    std::vector<float> mix((size_t)frames * 2);
    Noise noise;
    double hatPrev = 0.0, bassLow = 0.0, snareLow = 0.0;
    double peak = 0.0;
    for (long i = 0; i < frames; i++) {
        double t = i / kRate;
        int bar = (int)(t / kBar);
        int chord = bar % 4;
        double inBar = std::fmod(t, kBar);
        double inBeat = std::fmod(t, kBeat);
        int beat = (int)(inBar / kBeat);
        bool drums = t >= kBar;  // one bar of pads as an intro

        // Drums: kick on every beat, snare on 2 and 4, hats on eighths.
        double k = drums ? kick(inBeat) * 1.1 : 0.0;
        double n = noise.next();
        snareLow += 0.35 * (n - snareLow);
        double snare = 0.0;
        if (drums && (beat == 1 || beat == 3))
            snare = (0.7 * (n - snareLow) + 0.4 * std::sin(2 * kPi * 185.0 * inBeat)) * std::exp(-inBeat * 18.0);
        double hatEnv = std::exp(-std::fmod(t, kBeat / 2) * 60.0);
        double hat = drums ? (n - hatPrev) * 0.18 * hatEnv : 0.0;
        hatPrev = n;

        // Bass: a filtered sawtooth on the chord's root, ducking under the kick.
        double root = kRoots[chord];
        double bassRaw = saw(root * t, 12) * (1.0 - 0.6 * std::exp(-inBeat * 10.0));
        bassLow += 0.08 * (bassRaw - bassLow);
        double bass = drums ? bassLow * 0.55 : 0.0;

        // Pads: detuned sawtooth triads, spread left and right, fading in per bar.
        double swell = std::min(1.0, inBar / 0.4);
        double padL = 0.0, padR = 0.0;
        for (double f : kChords[chord]) {
            padL += saw(f * 0.997 * t, 6);
            padR += saw(f * 1.003 * t, 6);
        }
        padL *= 0.11 * swell;
        padR *= 0.11 * swell;

        double left = k + snare * 0.9 + hat * 0.7 + bass + padL;
        double right = k + snare * 1.0 + hat * 1.2 + bass + padR;
        // Hot master level: the peaks land well above full scale.
        left *= 0.6;
        right *= 0.6;
        mix[(size_t)i * 2] = (float)left;
        mix[(size_t)i * 2 + 1] = (float)right;
        peak = std::fmax(peak, std::fmax(std::fabs(left), std::fabs(right)));
    }

    SF_INFO info{};
    info.samplerate = (int)kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "hok-demo-signal: cannot write '%s': %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    bool ok = sf_writef_float(file, mix.data(), frames) == frames;
    ok = sf_close(file) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "hok-demo-signal: writing '%s' failed\n", argv[1]);
        return 1;
    }
    std::printf("hok-demo-signal: %s, %.1f s stereo, peak %+.1f dBFS\n", argv[1], seconds, 20 * std::log10(peak));
    return 0;
}
