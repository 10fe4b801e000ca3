// Requests to the host: where each operation puts its arguments, what it
// makes of the answer, and what it gives without a host.
#include <doctest.h>
#include "tests/test_host_support.h"

using hosttest::Call;
using hosttest::recorder;
using hosttest::resetHost;
using hosttest::SpyEffect;

namespace {
int marker[4];
void* const P = &marker[0];

struct Placement {
    const char* name;
    void (*run)(SpyEffect&);
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// Each request with distinctive arguments and the call the host must see.
const Placement placements[] = {
    {"setParameterAutomated", [](SpyEffect& f) { f.setParameterAutomated(3, 0.25f); }, 0, 3, 0, nullptr, 0.25f},
    {"getMasterVersion", [](SpyEffect& f) { f.getMasterVersion(); }, 1, 0, 0, nullptr, 0},
    {"getCurrentUniqueId", [](SpyEffect& f) { f.getCurrentUniqueId(); }, 2, 0, 0, nullptr, 0},
    {"masterIdle", [](SpyEffect& f) { f.masterIdle(); }, 3, 0, 0, nullptr, 0},
    {"isInputConnected", [](SpyEffect& f) { f.isInputConnected(1); }, 4, 1, 0, nullptr, 0},
    {"isOutputConnected", [](SpyEffect& f) { f.isOutputConnected(1); }, 4, 1, 1, nullptr, 0},
    {"wantEvents", [](SpyEffect& f) { f.wantEvents(9); }, 6, 0, 9, nullptr, 0},
    {"getTimeInfo", [](SpyEffect& f) { f.getTimeInfo(0x200); }, 7, 0, 0x200, nullptr, 0},
    {"sendVstEventsToHost", [](SpyEffect& f) { f.sendVstEventsToHost(static_cast<VstEvents*>(P)); }, 8, 0, 0, P, 0},
    {"tempoAt", [](SpyEffect& f) { f.tempoAt(4410); }, 10, 0, 4410, nullptr, 0},
    {"getNumAutomatableParameters", [](SpyEffect& f) { f.getNumAutomatableParameters(); }, 11, 0, 0, nullptr, 0},
    {"getParameterQuantization", [](SpyEffect& f) { f.getParameterQuantization(); }, 12, 0, 0, nullptr, 0},
    {"ioChanged", [](SpyEffect& f) { f.ioChanged(); }, 13, 0, 0, nullptr, 0},
    {"needIdle", [](SpyEffect& f) { f.needIdle(); }, 14, 0, 0, nullptr, 0},
    {"sizeWindow", [](SpyEffect& f) { f.sizeWindow(512, 218); }, 15, 512, 218, nullptr, 0},
    {"updateSampleRate", [](SpyEffect& f) { f.updateSampleRate(); }, 16, 0, 0, nullptr, 0},
    {"updateBlockSize", [](SpyEffect& f) { f.updateBlockSize(); }, 17, 0, 0, nullptr, 0},
    {"getInputLatency", [](SpyEffect& f) { f.getInputLatency(); }, 18, 0, 0, nullptr, 0},
    {"getOutputLatency", [](SpyEffect& f) { f.getOutputLatency(); }, 19, 0, 0, nullptr, 0},
    {"getPreviousPlug", [](SpyEffect& f) { f.getPreviousPlug(3); }, 20, 0, 0, nullptr, 0},
    {"getNextPlug", [](SpyEffect& f) { f.getNextPlug(3); }, 21, 0, 0, nullptr, 0},
    {"willProcessReplacing", [](SpyEffect& f) { f.willProcessReplacing(); }, 22, 0, 0, nullptr, 0},
    {"getCurrentProcessLevel", [](SpyEffect& f) { f.getCurrentProcessLevel(); }, 23, 0, 0, nullptr, 0},
    {"getAutomationState", [](SpyEffect& f) { f.getAutomationState(); }, 24, 0, 0, nullptr, 0},
    {"offlineStart", [](SpyEffect& f) { f.offlineStart(static_cast<VstAudioFile*>(P), 5, 2); }, 25, 2, 5, P, 0},
    {"offlineRead", [](SpyEffect& f) { f.offlineRead(static_cast<VstOfflineTask*>(P), 6, true); }, 26, 1, 6, P, 0},
    {"offlineRead source off", [](SpyEffect& f) { f.offlineRead(static_cast<VstOfflineTask*>(P), 6, false); }, 26, 0,
     6, P, 0},
    {"offlineWrite", [](SpyEffect& f) { f.offlineWrite(static_cast<VstOfflineTask*>(P), 7); }, 27, 0, 7, P, 0},
    {"offlineGetCurrentPass", [](SpyEffect& f) { f.offlineGetCurrentPass(); }, 28, 0, 0, nullptr, 0},
    {"offlineGetCurrentMetaPass", [](SpyEffect& f) { f.offlineGetCurrentMetaPass(); }, 29, 0, 0, nullptr, 0},
    {"setOutputSamplerate", [](SpyEffect& f) { f.setOutputSamplerate(88200.0f); }, 30, 0, 0, nullptr, 88200.0f},
    {"getSpeakerArrangement",
     [](SpyEffect& f) {
         f.getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(&marker[1]),
                                 reinterpret_cast<VstSpeakerArrangement**>(P));
     },
     31, 0, reinterpret_cast<VstIntPtr>(&marker[1]), P, 0},
    {"getHostVendorString", [](SpyEffect& f) { f.getHostVendorString(static_cast<char*>(P)); }, 32, 0, 0, P, 0},
    {"getHostProductString", [](SpyEffect& f) { f.getHostProductString(static_cast<char*>(P)); }, 33, 0, 0, P, 0},
    {"getHostVendorVersion", [](SpyEffect& f) { f.getHostVendorVersion(); }, 34, 0, 0, nullptr, 0},
    {"hostVendorSpecific", [](SpyEffect& f) { f.hostVendorSpecific(8, 9, P, 1.5f); }, 35, 8, 9, P, 1.5f},
    {"canHostDo", [](SpyEffect& f) { f.canHostDo(static_cast<char*>(P)); }, 37, 0, 0, P, 0},
    {"getHostLanguage", [](SpyEffect& f) { f.getHostLanguage(); }, 38, 0, 0, nullptr, 0},
    {"openWindow", [](SpyEffect& f) { f.openWindow(P); }, 39, 0, 0, P, 0},
    {"closeWindow", [](SpyEffect& f) { f.closeWindow(P); }, 40, 0, 0, P, 0},
    {"getDirectory", [](SpyEffect& f) { f.getDirectory(); }, 41, 0, 0, nullptr, 0},
    {"updateDisplay", [](SpyEffect& f) { f.updateDisplay(); }, 42, 0, 0, nullptr, 0},
};
}  // namespace

TEST_CASE("each request carries the record and its arguments in the right places" *
          doctest::test_suite("host.requests")) {
    SpyEffect fx(hosttest::recordingHost);
    for (const Placement& p : placements) {
        resetHost();
        p.run(fx);
        const auto& calls = recorder().calls;
        if (calls.size() != 1) {
            FAIL_CHECK(p.name, ": expected one request");
            continue;
        }
        const Call& c = calls[0];
        bool ok = c.effect == &fx.record() && c.opcode == p.opcode && c.index == p.index && c.value == p.value &&
                  c.ptr == p.ptr && c.opt == p.opt;
        if (!ok) FAIL_CHECK(p.name, ": arguments misplaced");
    }
}

TEST_CASE("answers are read the way each operation defines" * doctest::test_suite("host.requests")) {
    SpyEffect fx(hosttest::recordingHost);
    VstIntPtr answer = 0;
    resetHost([&](const Call&) { return answer; });

    answer = 0;
    CHECK_EQ(fx.getMasterVersion(), 1);  // a host that does not know the question
    answer = 2400;
    CHECK_EQ(fx.getMasterVersion(), 2400);

    // Pins: 0 means connected.
    answer = 0;
    CHECK(fx.isInputConnected(0));
    CHECK(fx.isOutputConnected(1));
    for (VstIntPtr a : {(VstIntPtr)1, (VstIntPtr)-1, (VstIntPtr)2}) {
        answer = a;
        CHECK(!fx.isInputConnected(0));
        CHECK(!fx.isOutputConnected(0));
    }

    // Events are delivered only on an answer of exactly 1.
    answer = 1;
    CHECK(fx.sendVstEventsToHost(nullptr));
    answer = 2;
    CHECK(!fx.sendVstEventsToHost(nullptr));

    answer = 5;
    char text[8] = "x";
    CHECK_EQ(fx.canHostDo(text), 1);
    CHECK_EQ(fx.offlineGetCurrentPass(), 1);
    CHECK_EQ(fx.offlineGetCurrentMetaPass(), 1);
    CHECK(fx.ioChanged());
    CHECK(fx.needIdle());
    CHECK(fx.sizeWindow(1, 2));
    CHECK(fx.updateDisplay());
    CHECK_EQ(fx.getCurrentUniqueId(), 5);
    CHECK_EQ(fx.tempoAt(0), 5);
    CHECK_EQ(fx.getHostLanguage(), 5);
    CHECK_EQ(fx.hostVendorSpecific(0, 0, nullptr, 0.0f), (VstIntPtr)5);
    CHECK(!fx.wantEvents(1));  // the answer is not used
    answer = -3;
    CHECK_EQ(fx.canHostDo(text), 1);
    answer = 0;
    CHECK_EQ(fx.canHostDo(text), 0);
    CHECK(!fx.ioChanged());

    AEffect other{};
    answer = reinterpret_cast<VstIntPtr>(&other);
    CHECK(fx.getPreviousPlug(0) == &other);
    CHECK(fx.getNextPlug(0) == &other);
    CHECK(fx.getDirectory() == static_cast<void*>(&other));
    CHECK(fx.openWindow(nullptr) == static_cast<void*>(&other));
}

TEST_CASE("rate and block size come from what the host sets while it answers" * doctest::test_suite("host.requests")) {
    SpyEffect fx(hosttest::recordingHost);
    resetHost([](const Call& c) -> VstIntPtr {
        if (c.opcode == audioMasterGetSampleRate) c.effect->dispatcher(c.effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        if (c.opcode == audioMasterGetBlockSize) c.effect->dispatcher(c.effect, effSetBlockSize, 0, 64, nullptr, 0.0f);
        return 12345;  // not used
    });
    CHECK_EQ(fx.updateSampleRate(), 48000.0);
    CHECK_EQ(fx.updateBlockSize(), 64);
    // getSampleRate and getBlockSize never ask the host.
    resetHost();
    CHECK_EQ(fx.getSampleRate(), 48000.0f);
    CHECK_EQ(fx.getBlockSize(), 64);
    CHECK(recorder().calls.empty());
}

TEST_CASE("without a host callback nothing is sent and each gives its fallback" *
          doctest::test_suite("host.requests")) {
    SpyEffect fx(nullptr);
    resetHost();
    fx.setParameterAutomated(2, 0.5f);
    CHECK_EQ(fx.getParameter(2), 0.5f);  // still applied
    CHECK_EQ(fx.getMasterVersion(), 1);
    CHECK_EQ(fx.getCurrentUniqueId(), 0);
    fx.masterIdle();
    CHECK(fx.isInputConnected(0));
    CHECK(fx.isOutputConnected(1));
    CHECK(!fx.wantEvents(1));
    CHECK(fx.getTimeInfo(0) == nullptr);
    CHECK(!fx.sendVstEventsToHost(nullptr));
    CHECK_EQ(fx.tempoAt(0), 0);
    CHECK(!fx.ioChanged());
    CHECK(!fx.sizeWindow(1, 1));
    fx.setSampleRate(22050.0f);
    CHECK_EQ(fx.updateSampleRate(), 22050.0);
    CHECK_EQ(fx.updateBlockSize(), 1024);
    CHECK(fx.getPreviousPlug(0) == nullptr);
    CHECK(fx.getNextPlug(0) == nullptr);
    CHECK_EQ(fx.offlineGetCurrentPass(), 0);
    char text[4] = "";
    CHECK_EQ(fx.canHostDo(text), 0);
    CHECK(!fx.getHostVendorString(text));
    CHECK(fx.openWindow(nullptr) == nullptr);
    CHECK(fx.getDirectory() == nullptr);
    CHECK(!fx.updateDisplay());
    fx.setOutputSamplerate(1.0f);
    CHECK(recorder().calls.empty());
}

TEST_CASE("an automated change is applied before the host hears of it" * doctest::test_suite("host.requests")) {
    SpyEffect fx(hosttest::recordingHost);
    float seenByHost = -1.0f;
    resetHost([&](const Call& c) -> VstIntPtr {
        if (c.opcode == audioMasterAutomate) seenByHost = fx.getParameter(c.index);
        return 0;
    });
    fx.setParameterAutomated(4, 0.625f);
    CHECK_EQ(seenByHost, 0.625f);
    CHECK_EQ(recorder().calls.size(), (size_t)1);
}
