// Three threads on one instance, as hosts run them: the audio thread processes
// blocks, a second thread automates every parameter and switches programs, and
// a third runs the editor (timer ticks, paints, drags). Run under
// ThreadSanitizer this shows that the lock-free sharing is well defined. Then
// instances created and closed on several threads at once.
#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "editor/MaximizerEditor.h"
#include "vst2/MaximizerEffect.h"
#include "engine/Tables.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/validator/PluginLibrary.h"
#include <doctest.h>

namespace {

std::atomic<int> automations{0};

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate) automations.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

double stressSeconds() {
    const char* s = std::getenv("HOK_STRESS_SECONDS");
    return s ? std::atof(s) : 3.0;
}

}  // namespace

TEST_CASE("audio, automation and editor threads share one instance" * doctest::test_suite("stress.threads")) {
    platform::HeadlessPlatform screen;
    platform::setCurrentPlatform(&screen);
    AEffect* e = createEffectInstance(host);
    CHECK(e != nullptr);
    if (!e) return;
    platform::HeadlessWindow* frame = screen.createHostWindow("HostFrame", nullptr, {100, 100, 618, 330});
    startPlugin(e, 48000.0f, 256);
    CHECK_EQ(dispatch(e, effEditOpen, 0, 0, frame), VstIntPtr(1));
    platform::HeadlessWindow* window = screen.lastWindowOfClass("Hokclass");
    CHECK(window != nullptr);

    std::atomic<bool> stop{false};
    std::atomic<bool> allFinite{true};
    std::atomic<long> blocks{0}, ticks{0};

    std::thread audio([&] {
        std::vector<float> inL(256), inR(256), outL(256), outR(256);
        long t = 0;
        while (!stop.load()) {
            for (int i = 0; i < 256; ++i, ++t) {
                inL[size_t(i)] = float(2.5 * std::sin(t * 0.031) + 0.3 * std::sin(t * 0.57));
                inR[size_t(i)] = float(1.8 * std::sin(t * 0.013 + 1.0));
            }
            float* inputs[2] = {inL.data(), (t / 256) % 50 == 0 ? inL.data() : inR.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            e->processReplacing(e, inputs, outputs, 256);
            for (int i = 0; i < 256; ++i)
                if (!std::isfinite(outL[size_t(i)]) || !std::isfinite(outR[size_t(i)])) allFinite = false;
            blocks.fetch_add(1);
        }
    });
    std::thread automation([&] {
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        char text[64];
        while (!stop.load()) {
            VstInt32 index = VstInt32(rng() % 17);
            if (index == 16) continue;  // EQ Display resizes windows: the editor thread's business
            e->setParameter(e, index, unit(rng));
            (void)e->getParameter(e, VstInt32(rng() % 17));
            dispatch(e, effGetParamDisplay, VstInt32(rng() % 17), 0, text);
            if (rng() % 64 == 0) dispatch(e, effSetProgram, 0, VstIntPtr(rng() % 10));
            std::this_thread::yield();
        }
    });
    std::thread editor([&] {
        using M = platform::WindowMessage;
        const M pointer[] = {M::LeftButtonDown, M::LeftButtonUp, M::RightButtonDown, M::RightButtonUp,
                             M::MouseMove,      M::MouseMove};
        std::mt19937 rng(2);
        while (!stop.load()) {
            screen.tick(window);
            const int x = int(rng() % 512), y = int(rng() % 218);
            screen.send(window, pointer[rng() % 6], x, y);
            screen.send(window, M::Paint);
            ticks.fetch_add(1);
        }
    });
    std::this_thread::sleep_for(std::chrono::duration<double>(stressSeconds()));
    stop = true;
    audio.join();
    automation.join();
    editor.join();
    std::printf("    %ld blocks, %ld editor ticks, %d automate requests\n", blocks.load(), ticks.load(),
                automations.load());
    CHECK(allFinite.load());
    CHECK(blocks.load() > 10);
    CHECK(ticks.load() > 10);
    closePlugin(e);  // editor still open
    CHECK(!screen.isAlive(window));
    platform::setCurrentPlatform(nullptr);
}

TEST_CASE("instances created, run and closed on several threads at once" * doctest::test_suite("stress.threads")) {
    // Every instance gets the same input, so every output must match the
    // first: an instance that used half-built tables would sound different.
    constexpr int kFrames = 4096;
    std::vector<float> in(kFrames);
    for (int i = 0; i < kFrames; ++i) in[size_t(i)] = float(3.0 * std::sin(i * 0.021) * std::sin(i * 0.0013));
    auto render = [&](std::vector<float>& out) {
        AEffect* e = createEffectInstance(host);
        if (!e) return false;
        startPlugin(e, 44100.0f, kFrames);
        std::vector<float> inR(in), right(kFrames);  // separate buffers: stereo
        float* inputs[2] = {in.data(), inR.data()};
        float* outputs[2] = {out.data(), right.data()};
        e->processReplacing(e, inputs, outputs, kFrames);
        closePlugin(e);
        return true;
    };
    std::vector<float> reference(kFrames);
    CHECK(render(reference));
    CHECK_EQ(instanceCount, 0);

    std::atomic<bool> stop{false};
    std::atomic<long> made{0}, differing{0};
    auto worker = [&] {
        std::vector<float> out(kFrames);
        while (!stop.load()) {
            if (!render(out)) continue;
            made.fetch_add(1);
            if (out != reference) differing.fetch_add(1);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) threads.emplace_back(worker);
    std::this_thread::sleep_for(std::chrono::duration<double>(stressSeconds() / 3));
    stop = true;
    for (std::thread& t : threads) t.join();
    std::printf("    %ld instances on 3 threads\n", made.load());
    CHECK(made.load() > 3);
    CHECK_EQ(differing.load(), 0L);
    CHECK_EQ(instanceCount, 0);
}
