// An LV2 host for the plug-in's user interface: finds the interface and its
// binary in the built bundle through lilv, loads the binary by path and shows
// the interface in an X11 window of its own, with the features a host gives
// (ui:parent, ui:resize, the idle interface). It feeds port values as a host
// does, records the port writes and size requests, compares the window's
// pixels with the headless picture of the same state, drives it with real
// pointer input (XTest) and checks that nothing is left behind.
//
// The cases run in file order and build on each other: each picks up the
// interface and window the ones before it left.
//
// Usage: hok-lv2uitest [doctest options]; exits with 77 when there is no X
// display to run on.

// doctest before Xlib, whose macros (None, Status...) would clash with its names.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "editor/MaximizerEditor.h"
#include "engine/ParameterUnits.h"
#include "lv2/Ports.h"
#include "tests/x11/XHost.h"

namespace {
using namespace xhost;
using Clock = std::chrono::steady_clock;

Window parent = 0;  // the host's window the interface goes into

// ---------------------------------------------------------------- the host side

struct PortWrite {
    uint32_t port, size, protocol;
    float value;
};
std::vector<PortWrite> writes;
std::vector<std::pair<int, int>> sizeRequests;

void recordWrite(LV2UI_Controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
    writes.push_back({port, size, protocol, size == sizeof(float) ? *static_cast<const float*>(buffer) : NAN});
}

// As a host does: the size request resizes the window the interface is in.
int resizeRequest(LV2UI_Feature_Handle, int width, int height) {
    sizeRequests.emplace_back(width, height);
    if (parent && width > 0 && height > 0) {
        XResizeWindow(display, parent, unsigned(width), unsigned(height));
        XSync(display, False);
    }
    return 0;
}
LV2UI_Resize resizeFeatureData = {nullptr, resizeRequest};

std::vector<PortWrite> writesTo(size_t from, uint32_t port) {
    std::vector<PortWrite> found;
    for (size_t i = from; i < writes.size(); ++i)
        if (writes[i].port == port) found.push_back(writes[i]);
    return found;
}

// The interface's descriptor, from the binary lilv names for the bundle's UI.
struct UiLibrary {
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    std::string uri, binary;
    bool x11 = false, needsParentAndIdle = false;
};

UiLibrary findUi() {
    UiLibrary found;
    LilvWorld* world = lilv_world_new();
    lilv_world_load_specifications(world);
    LilvNode* dir = lilv_new_file_uri(world, nullptr, HOK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world, dir);
    LilvNode* pluginUri = lilv_new_uri(world, lv2port::kPluginUri);
    LilvNode* x11Class = lilv_new_uri(world, LV2_UI__X11UI);
    LilvNode* required = lilv_new_uri(world, LV2_CORE__requiredFeature);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), pluginUri);
    LilvUIs* uis = plugin ? lilv_plugin_get_uis(plugin) : nullptr;
    if (uis && lilv_uis_size(uis) == 1) {
        const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
        found.uri = lilv_node_as_uri(lilv_ui_get_uri(ui));
        found.x11 = lilv_ui_is_a(ui, x11Class);
        LilvNodes* features = lilv_world_find_nodes(world, lilv_ui_get_uri(ui), required, nullptr);
        int named = 0;
        LILV_FOREACH (nodes, i, features) {
            const std::string f = lilv_node_as_uri(lilv_nodes_get(features, i));
            named += f == LV2_UI__parent || f == LV2_UI__idleInterface;
        }
        found.needsParentAndIdle = named == 2;
        lilv_nodes_free(features);
        if (char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr)) {
            found.binary = path;
            lilv_free(path);
        }
    }
    if (uis) lilv_uis_free(uis);
    for (LilvNode* n : {dir, pluginUri, x11Class, required}) lilv_node_free(n);
    lilv_world_free(world);

    found.library = found.binary.empty() ? nullptr : dlopen(found.binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = const LV2UI_Descriptor* (*)(uint32_t);
    auto entry = found.library ? reinterpret_cast<Entry>(dlsym(found.library, "lv2ui_descriptor")) : nullptr;
    if (entry && !entry(1)) found.descriptor = entry(0);
    return found;
}

// One instance of the interface, with the host's port values as sent.
struct Ui {
    const LV2UI_Descriptor* d = nullptr;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;

    bool open(Window in, bool withParent = true, const char* plugin = lv2port::kPluginUri) {
        const LV2_Feature parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(in))};
        const LV2_Feature resizeFeature = {LV2_UI__resize, &resizeFeatureData};
        const LV2_Feature idleFeature = {LV2_UI__idleInterface, nullptr};
        const LV2_Feature* all[] = {&resizeFeature, &idleFeature, &parentFeature, nullptr};
        if (!withParent) all[2] = nullptr;
        handle = d->instantiate(d, plugin, HOK_LV2_BUNDLE "/", recordWrite, this, &widget, all);
        idle = static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
        return handle != nullptr;
    }
    void port(uint32_t index, float value) { d->port_event(handle, index, sizeof value, 0, &value); }
    void parameter(int index, float internal) { port(lv2port::kFirstParameter + uint32_t(index), userValue(index, internal)); }
    // What a host sends at the start: every parameter port at its default.
    void sendDefaults() {
        for (int i = 0; i < kNumParams; ++i) port(lv2port::kFirstParameter + uint32_t(i), userScale(i).defaultValue);
    }
    // Idle calls every 5 ms for `ms`; the last answer.
    int idleFor(int ms) {
        int answer = 0;
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            answer = idle->idle(handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return answer;
    }
    void cleanup() {
        if (handle) d->cleanup(handle);
        handle = nullptr;
    }
};

// ---------------------------------------------------------------- the headless picture

struct QuietLink final : EditorLink {
    void changeParameter(int32_t, float) override {}
    void recheckChannels() override {}
    bool resizeHostWindow(int32_t, int32_t) override { return true; }
};

// The editor on the headless platform with these internal parameter values
// and knee gains (linear), both channels running, ticked until the meters rest.
std::vector<uint32_t> headlessPicture(const std::map<int, float>& internals, const float (&knee)[2], int& height) {
    HeadlessScreen screen;
    MaximizerEngine model;
    QuietLink link;
    MaximizerEditor editor(model, link);
    editor.reset();
    for (const auto& [index, value] : internals) model.setValue(index, value);
    model.updateCoefficients();
    model.meters().setChannels(1, 1, 0);
    for (int c = 0; c < 2; ++c) model.meters().setKneeGain(c, knee[c]);
    return editor.open(screen.frame()) ? screen.picture(height) : std::vector<uint32_t>();
}

// Compares the window, once its meters rest, with the headless picture.
void expectSamePicture(Ui& ui, Window editor, const std::map<int, float>& internals, const float (&knee)[2]) {
    int height = 0;
    const std::vector<uint32_t> expected = headlessPicture(internals, knee, height);
    expectShows(editor, expected, height, [&] { ui.idleFor(250); });
}

// The rows a picture differs from another in, and the rightmost column.
struct Change {
    int top = -1, bottom = -1, right = -1;
};
Change changeBetween(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width) {
    Change c;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const int y = int(i) / width, x = int(i) % width;
        if (c.top < 0) c.top = y;
        c.bottom = y;
        if (x > c.right) c.right = x;
    }
    return c;
}

uint32_t parameterPort(int index) { return lv2port::kFirstParameter + uint32_t(index); }
uint32_t meterPort(lv2port::MeterKind kind, int channel) { return lv2port::kFirstMeter + lv2port::meterIndex(kind, channel); }

// ---------------------------------------------------------------- what the cases share

struct Session {
    static inline bool xtest = false;
    static inline UiLibrary library;
    static inline int baseline = 0;  // open descriptors before the interface came
    static inline Ui ui;
    static inline Window editor = 0;
    // The state the host reports: its defaults, then a drive, an equaliser
    // setting and the knee meters.
    static inline std::map<int, float> state;
    static inline const float kneeDb[2] = {-6.0f, -2.5f};
    static inline const float knee[2] = {float(std::pow(10.0, kneeDb[0] / 20.0)),
                                         float(std::pow(10.0, kneeDb[1] / 20.0))};
};

// The cases after the first need the interface's descriptor; those after the
// first window, that window.
struct Found : Session {
    Found() { REQUIRE(library.descriptor != nullptr); }
};
struct Shown : Found {
    Shown() { REQUIRE(editor != 0); }
};

const auto editorSuite = doctest::test_suite("lv2uitest.editor");

}  // namespace

TEST_CASE_FIXTURE(Session, "lilv finds one X11 interface needing ui:parent and the idle interface; its binary gives "
                           "its descriptor" * editorSuite) {
    library = findUi();
    CHECK(library.uri == lv2port::kUiUri);
    CHECK(library.x11);
    CHECK(library.needsParentAndIdle);
    CHECK(library.descriptor != nullptr);
    if (library.descriptor) {
        CHECK(std::string(library.descriptor->URI) == library.uri);
        CHECK(library.descriptor->extension_data(LV2_UI__idleInterface) != nullptr);
        CHECK(library.descriptor->extension_data(LV2_UI__showInterface) == nullptr);
    }
    CHECK(xtest);
}

TEST_CASE_FIXTURE(Found, "no parent, an id that is no window, another plug-in's URI: instantiate gives NULL and leaves "
                         "nothing" * editorSuite) {
    baseline = openDescriptors();
    Ui ui{library.descriptor};
    CHECK(!ui.open(parent, false));
    for (Window bad : notWindows()) CHECK(!ui.open(bad));
    CHECK(!ui.open(parent, true, "urn:another:plugin"));
    CHECK(nothingLeft(parent, baseline));
    CHECK_EQ(hostErrors, 0);  // the interface's errors stayed on its own connection
    CHECK(sizeRequests.empty());
}

TEST_CASE_FIXTURE(Found, "instantiate maps a 512 x 133 child at the parent's origin, names it as the widget and asks "
                         "for its size" * editorSuite) {
    ui = Ui{library.descriptor};
    CHECK(ui.open(parent));
    editor = editorIn(parent);
    CHECK(editor != 0);
    CHECK(shownAtOrigin(editor, 512, 133));
    CHECK(reinterpret_cast<uintptr_t>(ui.widget) == editor);
    CHECK((sizeRequests.size() == 1 && sizeRequests[0] == std::make_pair(512, 133)));
    CHECK_EQ(geometryOf(parent).width, 512);
    CHECK_EQ(openDescriptors(), baseline + 1);  // one connection of its own
    if (ui.handle) CHECK_EQ(ui.idleFor(20), 0);
}

TEST_CASE_FIXTURE(Shown, "the host's port values: the window shows the headless picture of the same state, pixel for "
                         "pixel" * editorSuite) {
    state = {{kLimiterGain, 300.0f}, {kBassBoost, 60.0f}, {kStereoLink, 0.0f}};
    ui.sendDefaults();
    for (const auto& [index, value] : state) ui.parameter(index, value);
    for (int c = 0; c < 2; ++c) ui.port(meterPort(lv2port::kKneeMeter, c), kneeDb[c]);
    expectSamePicture(ui, editor, state, knee);
    CHECK(writes.empty());  // values from the host are not written back
}

TEST_CASE_FIXTURE(Shown, "Algorithm by a port event changes the picture to that state's; malformed events change "
                         "nothing" * editorSuite) {
    const std::vector<uint32_t> before = grab(editor, 512, 133);
    const float nan = NAN, algorithm = 4.0f;
    ui.d->port_event(ui.handle, parameterPort(kAlgorithm), sizeof nan, 0, &nan);
    ui.d->port_event(ui.handle, parameterPort(kAlgorithm), sizeof algorithm, 1, &algorithm);  // another protocol
    ui.d->port_event(ui.handle, parameterPort(kAlgorithm), 2, 0, &algorithm);
    ui.d->port_event(ui.handle, lv2port::kNumPorts, sizeof algorithm, 0, &algorithm);
    ui.d->port_event(ui.handle, lv2port::kLatencyPort, sizeof algorithm, 0, &algorithm);
    ui.idleFor(150);
    CHECK_EQ(differing(grab(editor, 512, 133), before), 0);
    ui.parameter(kAlgorithm, algorithm);
    ui.idleFor(150);
    CHECK(differing(grab(editor, 512, 133), before) > 0);
    state[kAlgorithm] = algorithm;
    expectSamePicture(ui, editor, state, knee);
}

TEST_CASE_FIXTURE(Shown, "peaks on the meter ports: the left one shows in the left bar, and both fall back to rest" *
                         editorSuite) {
    const std::vector<uint32_t> rest = grab(editor, 512, 133);
    ui.port(meterPort(lv2port::kPeakMeter, 0), -3.0f);
    ui.idleFor(120);
    const Change left = changeBetween(rest, grab(editor, 512, 133), 512);
    CHECK((left.top >= 44 && left.bottom < 44 + 14));  // the left peak bar's rows
    CHECK(left.right > 150);                          // -3 dB lights most of the scale
    ui.port(meterPort(lv2port::kPeakMeter, 1), -30.0f);
    ui.idleFor(120);
    const Change both = changeBetween(rest, grab(editor, 512, 133), 512);
    CHECK((both.top >= 44 && both.bottom >= 70 && both.bottom < 70 + 14));
    expectSamePicture(ui, editor, state, knee);

    // Only the right channel forced: the left meters rest whatever arrives.
    ui.parameter(kAutoSelectChannels, 0.0f);
    ui.parameter(kForceChannels, 2.0f);
    ui.idleFor(120);
    const std::vector<uint32_t> rightOnly = grab(editor, 512, 133);
    ui.port(meterPort(lv2port::kPeakMeter, 0), -3.0f);
    ui.idleFor(120);
    CHECK_EQ(differing(grab(editor, 512, 133), rightOnly), 0);
    ui.parameter(kAutoSelectChannels, 1.0f);
    ui.parameter(kForceChannels, 0.0f);
}

TEST_CASE_FIXTURE(Shown, "an XTest drag on the GAIN readout writes limiter_gain in dB, the position the drag reached" *
                         editorSuite) {
    const float start = state[kLimiterGain];
    const size_t from = writes.size();
    pressAt(editor, 450, 48);
    ui.idleFor(120);
    pointerTo(editor, 470, 48);  // 20 pixels of 0.4149 positions each
    ui.idleFor(150);
    button(1, false);
    ui.idleFor(60);
    const std::vector<PortWrite> gain = writesTo(from, parameterPort(kLimiterGain));
    CHECK(gain.size() >= 2);
    for (const PortWrite& w : gain) CHECK((w.size == sizeof(float) && w.protocol == 0));
    if (!gain.empty()) {
        CHECK(gain.front().value == userValue(kLimiterGain, start));
        CHECK(gain.back().value == userValue(kLimiterGain, start + 8.0f));
    }
    CHECK_EQ(writes.size() - from, gain.size());  // nothing else written
    const size_t afterRelease = writes.size();
    ui.idleFor(200);
    CHECK_EQ(writes.size(), afterRelease);
    state[kLimiterGain] = start + 8.0f;
}

TEST_CASE_FIXTURE(Shown, "a click on the EQ tab writes eq_display 1 and asks ui:resize for 512 x 218; the host's 0 "
                         "closes it" * editorSuite) {
    const size_t from = writes.size(), sizesFrom = sizeRequests.size();
    pressAt(editor, 12, 125, true);
    ui.idleFor(150);
    const std::vector<PortWrite> eq = writesTo(from, parameterPort(kEqDisplay));
    CHECK((eq.size() == 1 && eq[0].value == 1.0f));
    CHECK(sizeRequests.size() > sizesFrom);
    for (size_t i = sizesFrom; i < sizeRequests.size(); ++i) CHECK(sizeRequests[i] == std::make_pair(512, 218));
    CHECK_EQ(geometryOf(editor).height, 218);
    CHECK_EQ(geometryOf(parent).height, 218);
    state[kEqDisplay] = 1.0f;
    expectSamePicture(ui, editor, state, knee);

    const size_t closeFrom = sizeRequests.size();
    ui.parameter(kEqDisplay, 0.0f);
    ui.idleFor(60);
    CHECK((sizeRequests.size() == closeFrom + 1 && sizeRequests.back() == std::make_pair(512, 133)));
    CHECK_EQ(geometryOf(editor).height, 133);
}

TEST_CASE_FIXTURE(Shown, "cleanup removes the window and the connection; 10 more cycles leave nothing either" *
                         editorSuite) {
    ui.cleanup();
    CHECK(nothingLeft(parent, baseline));
    for (int i = 0; i < 10; ++i) {
        CHECK(ui.open(parent));
        ui.sendDefaults();
        ui.idleFor(10);
        ui.cleanup();
    }
    CHECK(nothingLeft(parent, baseline));
}

TEST_CASE_FIXTURE(Shown, "the host destroys its window first: idle answers non-zero, the connection is gone, cleanup "
                         "is safe" * editorSuite) {
    const Window doomed = hostWindow(600, 0, 512, 133);
    CHECK(ui.open(doomed));
    CHECK_EQ(ui.idleFor(60), 0);
    XDestroyWindow(display, doomed);
    XSync(display, False);
    CHECK(ui.idleFor(100) != 0);
    CHECK_EQ(openDescriptors(), baseline);
    ui.port(parameterPort(kEqDisplay), 1.0f);  // no window to fit: nothing happens
    ui.cleanup();
    CHECK_EQ(hostErrors, 0);
}

int main(int argc, char** argv) {
    if (!openHost()) return 77;
    Session::xtest = hasXTest();
    parent = hostWindow(0, 0, 400, 100);
    const MaximizerEngine tables;  // the level scale that Limiter Gain's dB read

    doctest::Context context(argc, argv);
    const int status = context.run();

    Session::ui.cleanup();  // when a case stopped with the interface open
    if (Session::library.library) dlclose(Session::library.library);
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return status;
}
