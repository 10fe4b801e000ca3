// The validator: drives the built plug-in only through its record, at every
// sample rate and block size a host may use, in the orders hosts call it,
// with hostile audio, and checks that it stays finite, limited and stable.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "tests/support/Checks.h"
#include "tests/validator/Validator.h"

using namespace validator;

namespace {

const float kRates[] = {8000, 22050, 44100, 48000, 88200, 96000, 176400, 192000, 384000};
const int kBlocks[] = {1, 2, 7, 64, 512, 1024, 4096, 8192};
const double kCeiling = 1.0 + 1e-6;  // limiter ceiling × default output gain 1.0

AEffect* make() {
    AEffect* e = library().create(host);
    CHECK(e != nullptr);
    return e;
}

Signal musicAt(double rate) {
    return [rate](float* l, float* r, long start, int n) { music(l, r, start, n, rate); };
}

std::function<int()> fixed(int n) {
    return [n] { return n; };
}

// A new instance announced `announced` frames per block at this rate, given
// `frames` of music in blocks chosen by `nextBlock`, then closed.
StreamResult musicThroughNew(float rate, int announced, long frames, int maxBlock, const std::function<int()>& nextBlock) {
    AEffect* e = make();
    REQUIRE(e != nullptr);
    startPlugin(e, rate, announced);
    StreamResult r = stream(e, musicAt(rate), frames, maxBlock, nextBlock);
    closePlugin(e);
    return r;
}

// The output from frame `from` on is finite and under the ceiling.
Level limitedLevel(const StreamResult& r, size_t from) {
    const Level l = level(r, from);
    CHECK(l.finite);
    CHECK(l.peak <= kCeiling);
    return l;
}

}  // namespace

TEST_CASE("every rate and block size gives finite output under the ceiling" * doctest::test_suite("validator.rates")) {
    REQUIRE(library().ok());
    for (float rate : kRates) {
        for (int block : kBlocks) {
            INFO("rate ", rate, ", block ", block);
            const long frames = std::max<long>(long(rate * 0.15), 8000);
            const Level l = limitedLevel(musicThroughNew(rate, block, frames, block, fixed(block)), 2400);
            CHECK(l.peak > 0.5);  // the signal comes through
        }
    }
}

TEST_CASE("random block sizes up to the announced size, and blocks larger than announced" *
          doctest::test_suite("validator.rates")) {
    REQUIRE(library().ok());
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> size(0, 4096);
    for (float rate : kRates) {
        INFO("rate ", rate);
        limitedLevel(musicThroughNew(rate, 4096, long(rate * 0.3), 4096, [&] { return size(rng); }), 2400);
    }
    limitedLevel(musicThroughNew(44100, 64, 44100, 3000, fixed(3000)), 2400);
}

TEST_CASE("zero-frame blocks and blocks while suspended touch nothing" * doctest::test_suite("validator.lifecycle")) {
    REQUIRE(library().ok());
    AEffect* e = make();
    REQUIRE(e != nullptr);
    float in[64], outL[64], outR[64];
    std::fill(in, in + 64, 0.5f);
    std::fill(outL, outL + 64, 7.0f);
    std::fill(outR, outR + 64, 7.0f);
    float* inputs[2] = {in, in};
    float* outputs[2] = {outL, outR};
    e->processReplacing(e, inputs, outputs, 64);  // never resumed
    CHECK_EQ(outL[0], 7.0f);
    startPlugin(e, 44100, 64);
    e->processReplacing(e, inputs, outputs, 0);
    CHECK_EQ(outL[0], 7.0f);
    dispatch(e, effMainsChanged, 0, 0);
    e->processReplacing(e, inputs, outputs, 64);  // suspended
    e->process(e, inputs, outputs, 64);
    CHECK_EQ(outL[63], 7.0f);
    CHECK_EQ(outR[63], 7.0f);
    closePlugin(e);
}

TEST_CASE("resume/suspend cycles with rate and block changes, close while resumed" *
          doctest::test_suite("validator.lifecycle")) {
    REQUIRE(library().ok());
    AEffect* e = make();
    REQUIRE(e != nullptr);
    const int blocks[] = {512, 64, 8192, 1, 1024};
    for (int cycle = 0; cycle < 10; ++cycle) {
        float rate = kRates[cycle % 9];
        int block = blocks[cycle % 5];
        startPlugin(e, rate, block);
        if (cycle % 3 == 0) dispatch(e, effMainsChanged, 0, 1);  // resume twice in a row
        INFO("cycle ", cycle);
        limitedLevel(stream(e, musicAt(rate), 6000, block, fixed(block)), 2400);
        if (cycle != 9) dispatch(e, effMainsChanged, 0, 0);
    }
    closePlugin(e);  // still resumed
}

TEST_CASE("program switches and automation between blocks" * doctest::test_suite("validator.lifecycle")) {
    REQUIRE(library().ok());
    AEffect* e = make();
    REQUIRE(e != nullptr);
    startPlugin(e, 48000, 256);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> inL(256), inR(256), outL(256), outR(256);
    for (int b = 0; b < 400; ++b) {
        if (b % 7 == 0) dispatch(e, effSetProgram, 0, VstIntPtr(rng() % 10));
        for (int k = 0; k < 3; ++k) e->setParameter(e, VstInt32(rng() % 17), unit(rng));
        music(inL.data(), inR.data(), long(b) * 256, 256, 48000);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        e->processReplacing(e, inputs, outputs, 256);
        for (int i = 0; i < 256; ++i) CHECK((std::isfinite(outL[i]) && std::isfinite(outR[i])));
    }
    closePlugin(e);
}

TEST_CASE("a hundred instances in any order; tables rebuilt identically" * doctest::test_suite("validator.instances")) {
    REQUIRE(library().ok());
    auto reference = [] { return musicThroughNew(44100, 512, 20000, 512, fixed(512)); };
    StreamResult first = reference();
    std::vector<AEffect*> live;
    std::mt19937 rng(3);
    for (int i = 0; i < 100; ++i) {
        AEffect* e = make();
        REQUIRE(e != nullptr);
        live.push_back(e);
        if (rng() % 3 == 0) {
            size_t k = rng() % live.size();
            closePlugin(live[k]);
            live.erase(live.begin() + long(k));
        }
    }
    // One of the survivors still works while others come and go.
    AEffect* survivor = live.front();
    startPlugin(survivor, 44100, 512);
    StreamResult mid = stream(survivor, musicAt(44100), 20000, 512, fixed(512));
    CHECK(mid.left == first.left);
    std::shuffle(live.begin(), live.end(), rng);
    for (AEffect* e : live) closePlugin(e);
    StreamResult again = reference();  // the first instance of a new generation builds the tables again
    CHECK(again.left == first.left);
    CHECK(again.right == first.right);
}

TEST_CASE("a song saved and reloaded through the parameters sounds bit-identical" *
          doctest::test_suite("validator.songs")) {
    REQUIRE(library().ok());
    AEffect* a = make();
    if (!a) return;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int p = 9; p >= 0; --p) {
        dispatch(a, effSetProgram, 0, p);
        for (int i = 0; i < 17; ++i) a->setParameter(a, i, i == 16 ? 0.0f : unit(rng));
        char name[32];
        std::snprintf(name, sizeof name, "song %d", p);
        dispatch(a, effSetProgramName, 0, 0, name);
    }
    dispatch(a, effSetProgram, 0, 4);
    // Save the way hosts do without chunks: every program's parameters and name.
    float saved[10][17];
    char names[10][32];
    for (int p = 0; p < 10; ++p) {
        dispatch(a, effSetProgram, 0, p);
        for (int i = 0; i < 17; ++i) saved[p][i] = a->getParameter(a, i);
        dispatch(a, effGetProgramName, 0, 0, names[p]);
    }
    dispatch(a, effSetProgram, 0, 4);
    AEffect* b = make();
    if (!b) return;
    for (int p = 0; p < 10; ++p) {
        dispatch(b, effSetProgram, 0, p);
        for (int i = 0; i < 17; ++i) b->setParameter(b, i, saved[p][i]);
        dispatch(b, effSetProgramName, 0, 0, names[p]);
    }
    dispatch(b, effSetProgram, 0, 4);
    for (int p = 0; p < 10; ++p) {
        dispatch(b, effSetProgram, 0, p);
        char name[32] = {0};
        dispatch(b, effGetProgramName, 0, 0, name);
        CHECK_STR(name, names[p]);
        for (int i = 0; i < 17; ++i) CHECK_EQ(b->getParameter(b, i), saved[p][i]);
    }
    dispatch(a, effSetProgram, 0, 4);
    dispatch(b, effSetProgram, 0, 4);
    startPlugin(a, 44100, 512);
    startPlugin(b, 44100, 512);
    StreamResult ra = stream(a, musicAt(44100), 30000, 512, fixed(512));
    StreamResult rb = stream(b, musicAt(44100), 30000, 512, fixed(512));
    CHECK(ra.left == rb.left);
    CHECK(ra.right == rb.right);
    closePlugin(a);
    closePlugin(b);
}

namespace {

struct Hostile {
    const char* name;
    Signal signal;
};

std::vector<Hostile> hostileSignals() {
    auto fill = [](float (*f)(long, int)) {
        return [f](float* l, float* r, long start, int n) {
            for (int i = 0; i < n; ++i) {
                l[i] = f(start + i, 0);
                r[i] = f(start + i, 1);
            }
        };
    };
    return {
        {"silence", fill([](long, int) { return 0.0f; })},
        {"denormals", fill([](long t, int c) { return (t + c) % 2 ? 1e-39f : -3e-42f; })},
        {"full-scale square", fill([](long t, int) { return (t / 50) % 2 ? 1.0f : -1.0f; })},
        {"square at +12 dB", fill([](long t, int) { return (t / 37) % 2 ? 4.0f : -4.0f; })},
        {"DC", fill([](long, int c) { return c ? -1.5f : 0.5f; })},
        {"sub-audio", fill([](long t, int) { return float(3.0 * std::sin(2 * 3.14159265358979 * 2.0 * t / 44100.0)); })},
        {"noise at +40 dB", fill([](long t, int c) {
             uint32_t s = uint32_t(t * 2 + c) * 2654435761u;
             s ^= s >> 15;
             s *= 2246822519u;
             s ^= s >> 13;
             return float((s >> 8) / 8388608.0 - 1.0) * 100.0f;
         })},
        {"NaN and infinity bursts", fill([](long t, int c) {
             long k = t % 4410;
             if (k < 40) return (k + c) % 3 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                                 : ((k % 2) ? std::numeric_limits<float>::infinity()
                                                            : -std::numeric_limits<float>::infinity());
             return float(0.8 * std::sin(t * 0.05));
         })},
    };
}

}  // namespace

TEST_CASE("after hostile audio and one second of music the output is finite and limited" *
          doctest::test_suite("validator.signals")) {
    REQUIRE(library().ok());
    const int algorithms = 6;
    for (const Hostile& h : hostileSignals()) {
        for (int alg = 0; alg < algorithms; ++alg) {
            AEffect* e = make();
            REQUIRE(e != nullptr);
            // The algorithm, and EQ on with every stage active.
            for (auto [index, value] : {std::pair{3, alg / 5.0f}, {15, 1.0f}, {6, 0.5f}, {7, 0.8f}, {8, 0.2f}, {9, 0.9f}})
                e->setParameter(e, index, value);
            startPlugin(e, 44100, 512);
            const long hostile = 44100, ordinary = 44100;
            Signal mix = [&](float* l, float* r, long start, int n) {
                for (int i = 0; i < n; ++i) {
                    long t = start + i;
                    if (t < hostile) h.signal(l + i, r + i, t, 1);
                    else music(l + i, r + i, t - hostile, 1, 44100);
                }
            };
            INFO(h.name, ", algorithm ", alg);
            limitedLevel(stream(e, mix, hostile + ordinary, 512, fixed(512)), size_t(hostile + ordinary / 2));
            closePlugin(e);
        }
    }
}

namespace {

// A host frame for the editor: a real window on Windows; elsewhere the
// library's headless windows are out of reach, so a null parent exercises
// the refusal path.
struct HostFrame {
#ifdef _WIN32
    HWND window = CreateWindowExA(0, "STATIC", "host frame", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ~HostFrame() {
        if (window) DestroyWindow(window);
    }
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
#else
    void* window = nullptr;
    void pump() {}
#endif
};

}  // namespace

TEST_CASE("the editor opened and closed repeatedly while audio runs, closed by effClose" *
          doctest::test_suite("validator.editor")) {
    REQUIRE(library().ok());
    HostFrame frame;
    AEffect* e = make();
    REQUIRE(e != nullptr);
    startPlugin(e, 44100, 512);
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    for (int round = 0; round < 20; ++round) {
        ERect* rect = nullptr;
        CHECK_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), VstIntPtr(1));
        CHECK(rect != nullptr);
        if (rect) CHECK_EQ(rect->right - rect->left, 512);
        dispatch(e, effEditOpen, 0, 0, frame.window);
        for (int b = 0; b < 5; ++b) {
            music(inL.data(), inR.data(), long(round * 5 + b) * 512, 512, 44100);
            float* inputs[2] = {inL.data(), inR.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            e->processReplacing(e, inputs, outputs, 512);
            dispatch(e, effEditIdle);
            frame.pump();
        }
        if (round % 4 == 3) e->setParameter(e, 16, round % 8 == 3 ? 1.0f : 0.0f);  // EQ section in and out
        if (round < 19) dispatch(e, effEditClose);
    }
    closePlugin(e);  // editor still open
    frame.pump();    // no timer may fire into the freed editor
#ifdef _WIN32
    Sleep(120);
    frame.pump();
#endif
}
