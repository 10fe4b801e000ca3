// The library's entry as a host meets it: the version question, the record
// of a new instance, independent instances, and construction without memory.
#include <new>

#include "vst2/VstEditor.h"
#include "vst2/MaximizerEffect.h"
#include "tests/support/Checks.h"
#include "tests/test_host_support.h"

using hosttest::Call;
using hosttest::recorder;
using hosttest::resetHost;

namespace {
AEffect* newInstance() { return createEffectInstance(hosttest::recordingHost); }
VstIntPtr send(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
void closeInstance(AEffect* e) { send(e, effClose); }

// Builds the process-wide tables once so later live-block counts compare like with like.
void warmUp() {
    resetHost();
    if (AEffect* e = newInstance()) closeInstance(e);
}
}  // namespace

TEST_CASE("a host that answers 0 to the version question gets null and nothing is made" *
          doctest::test_suite("host.entry")) {
    warmUp();
    resetHost([](const Call&) -> VstIntPtr { return 0; });
    const long before = hosttest::liveBlocks();
    CHECK(newInstance() == nullptr);
    CHECK_EQ(hosttest::liveBlocks(), before);
    CHECK_EQ(recorder().calls.size(), (size_t)1);
    CHECK_EQ(recorder().calls[0].opcode, (VstInt32)audioMasterVersion);
    CHECK(recorder().calls[0].effect == nullptr);
    CHECK(createEffectInstance(nullptr) == nullptr);
}

// The record's fields and the requests made while it is created are checked
// through the built library (tests/loader).
TEST_CASE("a new instance: the effect with its editor at program 0, and its identity answers" *
          doctest::test_suite("host.entry")) {
    resetHost();
    AEffect* e = newInstance();
    REQUIRE(e != nullptr);
    auto* fx = static_cast<AudioEffect*>(e->object);
    CHECK(fx->getAeffect() == e);
    CHECK(dynamic_cast<MaximizerEffectWithEditor*>(fx) != nullptr);
    CHECK(fx->getEditor() != nullptr);
    CHECK_EQ(send(e, effGetProgram), (VstIntPtr)0);
    char text[64];
    CHECK_EQ(send(e, effGetEffectName, 0, 0, text), (VstIntPtr)1);
    CHECK_STR(text, "Hok Maximizer");
    CHECK_EQ(send(e, effGetProductString, 0, 0, text), (VstIntPtr)1);
    CHECK_STR(text, "Hok Maximizer");
    CHECK_EQ(send(e, effGetVendorString, 0, 0, text), (VstIntPtr)1);
    CHECK_STR(text, "Qel v1.1");
    char a[] = "plugAsSend", b[] = "plugAsChannelInsert", c[] = "receiveVstEvents", d[] = "PlugAsSend", z[] = "";
    CHECK_EQ(send(e, effCanDo, 0, 0, a), (VstIntPtr)1);
    CHECK_EQ(send(e, effCanDo, 0, 0, b), (VstIntPtr)1);
    CHECK_EQ(send(e, effCanDo, 0, 0, c), (VstIntPtr)-1);
    CHECK_EQ(send(e, effCanDo, 0, 0, d), (VstIntPtr)-1);
    CHECK_EQ(send(e, effCanDo, 0, 0, z), (VstIntPtr)-1);

    VstPinProperties pin;
    std::memset(&pin, 0x5A, sizeof pin);
    CHECK_EQ(send(e, effGetOutputProperties, 1, 0, &pin), (VstIntPtr)1);
    CHECK_STR(pin.label, "Hok 2");
    CHECK_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    CHECK_EQ((unsigned char)pin.shortLabel[0], 0x5Au);  // nothing else is touched
    CHECK_EQ(pin.arrangementType, 0x5A5A5A5A);
    CHECK_EQ(send(e, effGetOutputProperties, 0, 0, &pin), (VstIntPtr)1);
    CHECK_STR(pin.label, "Hok 1");
    std::memset(&pin, 0x5A, sizeof pin);
    for (VstInt32 index : {2, -1, 100}) CHECK_EQ(send(e, effGetOutputProperties, index, 0, &pin), (VstIntPtr)0);
    CHECK_EQ((unsigned char)pin.label[0], 0x5Au);
    for (VstInt32 index : {0, 1, 2}) CHECK_EQ(send(e, effGetInputProperties, index, 0, &pin), (VstIntPtr)0);

    // No chunks: the chunk opcodes answer 0 and change no program.
    const float before = e->getParameter(e, kBassBoost);
    void* chunk = nullptr;
    CHECK_EQ(send(e, effGetChunk, 0, 0, &chunk), (VstIntPtr)0);
    unsigned char data[16] = {};
    CHECK_EQ(send(e, effSetChunk, 0, sizeof data, data), (VstIntPtr)0);
    CHECK_EQ(e->getParameter(e, kBassBoost), before);
    for (unsigned char byte : data) CHECK_EQ((int)byte, 0);
    closeInstance(e);
}

TEST_CASE("no memory for the editor: null, nothing left behind, and a later main works" *
          doctest::test_suite("host.entry")) {
    warmUp();
    resetHost();
    const long before = hosttest::liveBlocks();
    const long refusedBefore = hosttest::refusedCount();
    hosttest::refuseNothrowOfSize(sizeof(VstEditor));
    AEffect* failed = newInstance();
    hosttest::refuseNothrowOfSize(0);
    CHECK_EQ(hosttest::refusedCount(), refusedBefore + 1);  // the editor's request was the one refused
    CHECK(failed == nullptr);
    CHECK_EQ(hosttest::liveBlocks(), before);

    AEffect* later = newInstance();
    CHECK(later != nullptr);
    if (later) {
        CHECK_EQ(later->flags, 0x19);
        CHECK_EQ(later->uniqueID, fourCharCode('Q', 'M', 'Z', 'E'));
        closeInstance(later);
    }
    CHECK_EQ(hosttest::liveBlocks(), before);
}

TEST_CASE("any refused allocation ends in null or a whole instance, with nothing leaked" *
          doctest::test_suite("host.entry")) {
    warmUp();
    int nulls = 0, instances = 0;
    for (int pass = 0; pass < 24; ++pass) {
        const long nth = 1 + pass / 2;
        const bool onlyThatOne = pass % 2 == 1;
        resetHost();
        const long before = hosttest::liveBlocks();
        hosttest::refuseNothrowFrom(nth, onlyThatOne);
        AEffect* e = newInstance();
        hosttest::refuseNothrowFrom(0);
        ++(e ? instances : nulls);
        if (e) {
            // Whatever was refused, the instance must be usable and close cleanly.
            CHECK_EQ(e->magic, fourCharCode('V', 's', 't', 'P'));
            e->setParameter(e, kOutGain, 0.5f);
            char text[64] = "";
            send(e, effGetParamDisplay, kOutGain, 0, text);
            send(e, effSetProgram, 0, 2);
            closeInstance(e);
        }
        CHECK_EQ(hosttest::liveBlocks(), before);
    }
    // The sweep reaches both outcomes: early refusals end in null, late ones in an instance.
    CHECK(nulls > 0);
    CHECK(instances > 0);
}
