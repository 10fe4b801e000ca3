// A Linux editor host: loads the built plug-in library by path, embeds its
// editor in an X11 window of its own, drives it with effEditIdle, audio and
// real pointer input (XTest), and checks what a host sees: the child window,
// its pixels against the headless picture of the same state, automation and
// size requests, and that nothing is left behind (windows, connections,
// error handlers).
//
// The cases run in file order and build on each other: each picks up the
// instance and windows the ones before it left.
//
// Usage: hok-x11test PLUGIN.so [doctest options]; exits with 77 when there is
// no X display to run on. "hok-x11test PLUGIN.so SHOT.png --no-skip" also
// writes a screenshot of the editor.

// doctest before Xlib, whose macros (None, Status...) would clash with its names.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "vst2/MaximizerEffect.h"
#include "tests/support/Signals.h"
#include "tests/validator/PluginLibrary.h"
#include "tests/win/PngWriter.h"
#include "tests/x11/XHost.h"

namespace {
using namespace hoktest;
using namespace xhost;
using Clock = std::chrono::steady_clock;

constexpr int kBlock = 512;
constexpr int kGainParam = 0;
constexpr int kEqDisplayParam = 16;

Window parent = 0;  // the host's window the editor goes into

// ---------------------------------------------------------------- the host side

struct Request {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
};
std::vector<Request> requests;
std::map<int, float> sentValues;  // the last normalised value each parameter received

// Answers as a host does: the size request resizes the window the editor is in.
VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    requests.push_back({opcode, index, value, opt});
    if (opcode == audioMasterAutomate) sentValues[index] = opt;
    if (opcode == audioMasterSizeWindow && parent) {
        XResizeWindow(display, parent, unsigned(index), unsigned(value));
        XSync(display, False);
        return 1;
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<Request> since(size_t from, VstInt32 opcode, VstInt32 index = -1) {
    std::vector<Request> found;
    for (size_t i = from; i < requests.size(); ++i)
        if (requests[i].opcode == opcode && (index < 0 || requests[i].index == index)) found.push_back(requests[i]);
    return found;
}

// Block b of the test signal, the same bits for every instance.
void signalBlock(long b, float* left, float* right) {
    for (int i = 0; i < kBlock; ++i) {
        const long n = b * kBlock + i;
        const double swell = (n / 6000) % 3 == 0 ? 1.4 : 0.35;
        left[i] = float(swell * signals::sine(2.0 * signals::kPi * double(n) / 97.0));
        right[i] = float(0.8 * swell * signals::sine(2.0 * signals::kPi * double(n) / 151.0));
    }
}

struct Plugin {
    AEffect* effect = nullptr;
    long blocks = 0;  // blocks processed since the last restart
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    VstIntPtr openIn(unsigned long window) { return call(effEditOpen, 0, 0, reinterpret_cast<void*>(window)); }
    float param(int i) { return effect->getParameter(effect, i); }
    void set(int i, float v) {
        effect->setParameter(effect, i, v);
        sentValues[i] = v;
    }
    void start() {
        startPlugin(effect, 44100.0f, kBlock);
        blocks = 0;
    }
    void process() {
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        signalBlock(blocks++, inL.data(), inR.data());
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, kBlock);
    }
};

// Calls effEditIdle every `stepMs` for `ms`, with a block of audio per call
// when asked, as a host's user-interface loop does.
void idleFor(Plugin& p, int ms, bool audio = false, int stepMs = 5) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        p.call(effEditIdle);
        if (audio) p.process();
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

// ---------------------------------------------------------------- the headless picture

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The picture of the plug-in's state on the headless platform: an instance
// of the engine linked in here gets the parameter values the plug-in got
// and, from a fresh start, the same blocks; its editor is ticked until the
// meters rest.
std::vector<uint32_t> headlessPicture(long blocks, int& height) {
    HeadlessScreen screen;
    Plugin mirror{createEffectInstance(quietHost)};
    if (!mirror.effect) return {};
    mirror.call(effOpen);
    for (const auto& [index, value] : sentValues) mirror.effect->setParameter(mirror.effect, index, value);
    mirror.start();
    while (mirror.blocks < blocks) mirror.process();
    mirror.call(effEditOpen, 0, 0, screen.frame());
    std::vector<uint32_t> pixels = screen.picture(height);
    mirror.call(effClose);
    return pixels;
}

// Restarts the plug-in's processing, runs `blocks` blocks through it, lets
// its meters rest and compares its window with the headless picture.
void expectSamePicture(Plugin& p, Window editor, long blocks) {
    p.call(effMainsChanged, 0, 0);
    p.start();
    while (p.blocks < blocks) p.process();
    int height = 0;
    const std::vector<uint32_t> expected = headlessPicture(blocks, height);
    expectShows(editor, expected, height, [&] { idleFor(p, 250); });
}

// A host handler that passes errors on to the one it was installed over.
XErrorHandler below = nullptr;
int chained = 0;
int chainingHandler(Display* d, XErrorEvent* e) {
    ++chained;
    return below ? below(d, e) : 0;
}
// The host's handlers are the process's again: installing them returns them.
bool hostHandlersInPlace() {
    return XSetErrorHandler(hostErrorHandler) == hostErrorHandler &&
           XSetIOErrorHandler(hostIOErrorHandler) == hostIOErrorHandler;
}

// ---------------------------------------------------------------- what the cases share

struct Session {
    static inline const char* pluginPath = "";
    static inline const char* screenshotPath = nullptr;
    static inline bool xtest = false;
    static inline int baseline = 0;  // open descriptors before the library came
    static inline std::unique_ptr<PluginLibrary> library;
    static inline Plugin a;
    static inline ERect* rect = nullptr;
    static inline Window editor = 0;
};

// The cases after the first need the instance it made; those after the
// first window, that window.
struct Loaded : Session {
    Loaded() { REQUIRE(a.effect != nullptr); }
};
struct Shown : Loaded {
    Shown() { REQUIRE(editor != 0); }
};

const auto editorSuite = doctest::test_suite("x11test.editor");

}  // namespace

TEST_CASE_FIXTURE(Session, "library loads and VSTPluginMain makes an instance with an editor" * editorSuite) {
    library = std::make_unique<PluginLibrary>(pluginPath, "VSTPluginMain");
    CHECK(library->loaded());
    CHECK(library->ok());
    a.effect = library->create(hostCallback);
    CHECK(a.effect != nullptr);
    if (a.effect) CHECK((a.effect->flags & effFlagsHasEditor));
    CHECK(xtest);
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    CHECK((visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF));
}

TEST_CASE_FIXTURE(Loaded, "no parent, an id that is no window, no display: effEditOpen answers 0 and leaves nothing" *
                          editorSuite) {
    requests.clear();
    sentValues.clear();  // the start-up values are the editor's own, not program 0's
    a.call(effOpen);
    a.start();
    for (Window bad : notWindows()) CHECK_EQ(a.openIn(bad), 0);
    const std::string displayName = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    CHECK_EQ(a.openIn(parent), 0);
    setenv("DISPLAY", displayName.c_str(), 1);
    a.call(effEditIdle);
    a.call(effEditClose);
    CHECK(nothingLeft(parent, baseline));
    CHECK_EQ(hostErrors, 0);  // the plug-in's errors stayed on its own connection
}

TEST_CASE_FIXTURE(Loaded, "effEditOpen maps a 512 x 133 child \"Hok\" at the parent's origin" * editorSuite) {
    rect = nullptr;
    CHECK_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    CHECK((rect && rect->bottom == 133 && rect->right == 512));
    CHECK_EQ(a.openIn(parent), 1);
    editor = editorIn(parent);
    CHECK(editor != 0);
    CHECK(shownAtOrigin(editor, 512, 133));
    CHECK(nameOf(editor) == "Hok");
    CHECK_EQ(openDescriptors(), baseline + 1);  // one connection of its own
}

TEST_CASE_FIXTURE(Shown, "after audio, the window shows the headless picture of the same state, pixel for pixel" *
                         editorSuite) {
    a.set(kGainParam, 300.0f / 393.0f);  // the limiter works: meters and knee line show
    expectSamePicture(a, editor, 120);
}

TEST_CASE_FIXTURE(Shown, "an XTest drag on the GAIN readout changes Limiter Gain and automates it, also outside the "
                         "window" * editorSuite) {
    const float before = a.param(kGainParam) * 393.0f;
    pressAt(editor, 450, 48);
    idleFor(a, 120, true);
    const size_t from = requests.size();
    pointerTo(editor, 470, 48);
    idleFor(a, 150, true);
    CHECK(std::fabs(a.param(kGainParam) * 393.0f - (before + 20 * 0.4149f)) < 0.01f);
    const std::vector<Request> seen = since(from, audioMasterAutomate, kGainParam);
    CHECK(seen.size() >= 2);
    if (!seen.empty()) CHECK(std::fabs(seen.back().opt - a.param(kGainParam)) < 1e-6f);
    // Beyond the window and the host's window: the grab keeps the gesture going.
    pointerTo(editor, 512 + 400, 48);
    idleFor(a, 150, true);
    CHECK(std::fabs(a.param(kGainParam) * 393.0f - 393.0f) < 1e-3f);
    button(1, false);
    idleFor(a, 60, true);
    const size_t afterRelease = requests.size();
    idleFor(a, 200, true);
    CHECK_EQ(since(afterRelease, audioMasterAutomate).size(), 0);
}

TEST_CASE_FIXTURE(Shown, "a drag ends when the grab is lost (the host hides its window)" * editorSuite) {
    const size_t from = requests.size();
    pressAt(editor, 250, 64);
    idleFor(a, 150);
    CHECK(since(from, audioMasterAutomate, kGainParam).size() >= 1);
    XUnmapWindow(display, parent);
    XSync(display, False);
    idleFor(a, 100);
    const size_t afterLoss = requests.size();
    idleFor(a, 300);
    CHECK_EQ(since(afterLoss, audioMasterAutomate).size(), 0);
    button(1, false);
    XMapWindow(display, parent);
    XSync(display, False);
    idleFor(a, 100);
}

TEST_CASE_FIXTURE(Shown, "timer ticks follow the clock, not the number of effEditIdle calls" * editorSuite) {
    // A held drag on the meter automates Limiter Gain once per tick.
    pressAt(editor, 250, 64);
    idleFor(a, 100);
    size_t from = requests.size();
    const Clock::time_point start = Clock::now();
    idleFor(a, 1000, false, 1);  // several hundred calls
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double ticks = double(since(from, audioMasterAutomate, kGainParam).size());
    CHECK((ticks >= 0.8 * ms / 50.0 - 1.0 && ticks <= ms / 50.0 + 1.0));  // a busy machine may drop some
    from = requests.size();
    for (int i = 0; i < 4; ++i) {  // calls further apart than a period: one tick each, no catching up
        std::this_thread::sleep_for(std::chrono::milliseconds(130));
        a.call(effEditIdle);
    }
    CHECK_EQ(since(from, audioMasterAutomate, kGainParam).size(), 4);
    button(1, false);
    idleFor(a, 60);
}

TEST_CASE_FIXTURE(Shown, "a click on the EQ tab asks the host for 512 x 218 and makes the window taller" *
                         editorSuite) {
    const size_t from = requests.size();
    pressAt(editor, 12, 125, true);
    idleFor(a, 150, true);
    const std::vector<Request> eq = since(from, audioMasterAutomate, kEqDisplayParam);
    CHECK_EQ(eq.size(), 1);
    const std::vector<Request> sized = since(from, audioMasterSizeWindow);
    CHECK(!sized.empty());
    for (const Request& r : sized) CHECK((r.index == 512 && r.value == 218));
    CHECK_EQ(geometryOf(editor).height, 218);
    CHECK_EQ(geometryOf(editor).width, 512);
    CHECK_EQ(geometryOf(parent).height, 218);
    rect = nullptr;
    a.call(effEditGetRect, 0, 0, &rect);
    CHECK((rect && rect->bottom == 218));
    expectSamePicture(a, editor, 60);
}

// Only with --no-skip and a screenshot path.
TEST_CASE_FIXTURE(Shown, "screenshot of the editor in this host written" * editorSuite * doctest::skip()) {
    REQUIRE(screenshotPath != nullptr);
    idleFor(a, 600, true, 12);  // meters at work
    CHECK(writePng(screenshotPath, grab(editor, 512, 218).data(), 512, 218));
}

TEST_CASE_FIXTURE(Shown, "EQ Display changed on another thread: the refit waits for the editor's next tick" *
                         editorSuite) {
    const size_t from = requests.size();
    std::thread automation([&] { a.set(kEqDisplayParam, 0.0f); });
    automation.join();
    CHECK_EQ(since(from, audioMasterSizeWindow).size(), 0);
    CHECK_EQ(geometryOf(editor).height, 218);
    idleFor(a, 120);
    const std::vector<Request> sized = since(from, audioMasterSizeWindow);
    CHECK_EQ(sized.size(), 1);
    if (!sized.empty()) CHECK((sized[0].index == 512 && sized[0].value == 133));
    CHECK_EQ(geometryOf(editor).height, 133);
}

TEST_CASE_FIXTURE(Shown, "effEditClose removes the window and the connection and gives the host back its error "
                         "handlers; 20 more cycles leave nothing either" * editorSuite) {
    XMapWindow(display, Window(0x7ffffff0));  // while the editor is open, the host's own errors are the host's
    XSync(display, False);
    CHECK_EQ(hostErrors, 1);
    a.call(effEditClose);
    CHECK(nothingLeft(parent, baseline));
    a.call(effEditClose);  // a second close does nothing
    for (int i = 0; i < 20; ++i) {
        CHECK_EQ(a.openIn(parent), 1);
        idleFor(a, 10, true);
        a.call(effEditClose);
    }
    CHECK(nothingLeft(parent, baseline));
    CHECK(hostHandlersInPlace());
}

TEST_CASE_FIXTURE(Shown, "the host destroys its window first, or the editor's connection is killed: the editor closes "
                         "itself" * editorSuite) {
    Window doomed = hostWindow(600, 0, 512, 133);
    CHECK_EQ(a.openIn(doomed), 1);
    idleFor(a, 60);
    XDestroyWindow(display, doomed);
    XSync(display, False);
    idleFor(a, 100);
    CHECK_EQ(openDescriptors(), baseline);
    a.call(effEditClose);
    a.call(effEditIdle);

    CHECK_EQ(a.openIn(parent), 1);
    idleFor(a, 60);
    const Window killed = editorIn(parent);
    CHECK(killed != 0);
    XKillClient(display, killed);  // as xkill does: the server drops the editor's connection
    XSync(display, False);
    idleFor(a, 100, true);
    CHECK(nothingLeft(parent, baseline));
    // It opens again afterwards, and the host's error handling is its own again.
    CHECK_EQ(a.openIn(parent), 1);
    idleFor(a, 60);
    CHECK(editorIn(parent) != 0);
    a.call(effEditClose);
    CHECK(hostHandlersInPlace());
    CHECK_EQ(hostErrors, 1);
}

TEST_CASE_FIXTURE(Shown, "effClose with the editor open takes the window and the connection with it" * editorSuite) {
    CHECK_EQ(a.openIn(parent), 1);
    idleFor(a, 60, true);
    a.call(effClose);
    CHECK(nothingLeft(parent, baseline));
}

TEST_CASE_FIXTURE(Shown, "a host handler put over ours that calls ours in turn: a reopened editor makes no loop of "
                         "them" * editorSuite) {
    Plugin b;
    b.effect = library->create(hostCallback);
    b.call(effOpen);
    CHECK_EQ(b.openIn(parent), 1);
    below = XSetErrorHandler(chainingHandler);
    b.call(effEditClose);
    CHECK_EQ(b.openIn(parent), 1);
    XMapWindow(display, Window(0x7ffffff0));
    XSync(display, False);
    CHECK_EQ(chained, 1);
    CHECK_EQ(hostErrors, 2);
    b.call(effClose);
    XSetErrorHandler(hostErrorHandler);  // none of the library's code stays in the chain when it goes
}

// The first two arguments that are not doctest options name the library and
// the screenshot file.
int main(int argc, char** argv) {
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') paths.push_back(argv[i]);
    if (paths.empty()) {
        std::fprintf(stderr, "usage: hok-x11test PLUGIN.so [SCREENSHOT.png] [doctest options]\n");
        return 2;
    }
    Session::pluginPath = paths[0];
    if (paths.size() > 1) Session::screenshotPath = paths[1];
    if (!openHost()) return 77;
    Session::xtest = hasXTest();
    parent = hostWindow(0, 0, 512, 133);
    Session::baseline = openDescriptors();

    doctest::Context context(argc, argv);
    const int status = context.run();

    Session::library.reset();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return status;
}
