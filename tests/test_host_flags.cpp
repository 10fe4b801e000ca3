// The record's defaults and the setters that change it.
#include <doctest.h>
#include "tests/test_host_support.h"

using hosttest::SpyEditor;
using hosttest::SpyEffect;

TEST_CASE("the base constructor fills the record with its defaults" * doctest::test_suite("host.flags")) {
    SpyEffect fx(hosttest::recordingHost);
    const AEffect& e = fx.record();
    CHECK_EQ(e.magic, 0x56737450);
    CHECK_EQ(e.numPrograms, 4);
    CHECK_EQ(e.numParams, 6);
    CHECK_EQ(e.numInputs, 1);
    CHECK_EQ(e.numOutputs, 2);
    CHECK_EQ(e.flags, 0);
    CHECK_EQ(e.initialDelay, 0);
    CHECK_EQ(e.realQualities, 0);
    CHECK_EQ(e.offQualities, 0);
    uint32_t ratioBits;
    std::memcpy(&ratioBits, &e.ioRatio, 4);
    CHECK_EQ(ratioBits, 0x40000000u);
    CHECK(e.object == static_cast<void*>(static_cast<AudioEffect*>(&fx)));
    CHECK(e.user == nullptr);
    CHECK_EQ(e.uniqueID, fourCharCode('N', 'o', 'E', 'f'));
    CHECK_EQ(e.version, 2);
    CHECK((e.dispatcher && e.process && e.processReplacing && e.setParameter && e.getParameter));
    CHECK(e.futurePointer == nullptr);
    for (char c : e.future) CHECK_EQ((int)c, 0);
    CHECK_EQ(fx.getSampleRate(), 44100.0f);
    CHECK_EQ(fx.getBlockSize(), 1024);
    CHECK_EQ(fx.getProgram(), 0);
}

TEST_CASE("each setter sets and clears its own bit only" * doctest::test_suite("host.flags")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    struct Setter {
        void (*set)(SpyEffect&, bool);
        VstInt32 bit;
    };
    const Setter setters[] = {
        {[](SpyEffect& f, bool s) { f.hasClip(s); }, 0x002},
        {[](SpyEffect& f, bool s) { f.hasVu(s); }, 0x004},
        {[](SpyEffect& f, bool s) { f.canMono(s); }, 0x008},
        {[](SpyEffect& f, bool s) { f.canProcessReplacing(s); }, 0x010},
        {[](SpyEffect& f, bool s) { f.programsAreChunks(s); }, 0x020},
        {[](SpyEffect& f, bool s) { f.isSynth(s); }, 0x100},
        {[](SpyEffect& f, bool s) { f.noTail(s); }, 0x200},
        {[](SpyEffect& f, bool s) { f.wantAsyncOperation(s); }, 0x400},
        {[](SpyEffect& f, bool s) { f.hasExternalBuffer(s); }, 0x800},
    };
    for (const Setter& s : setters) {
        e.flags = 0;
        s.set(fx, true);
        CHECK_EQ(e.flags, s.bit);
        s.set(fx, true);
        CHECK_EQ(e.flags, s.bit);
        e.flags = ~0;
        s.set(fx, false);
        CHECK_EQ(e.flags, ~s.bit);
    }
    e.flags = 0x18;
    auto* editor = new SpyEditor(&fx);
    fx.setEditor(editor);
    CHECK_EQ(e.flags, 0x19);
    CHECK(fx.getEditor() == editor);
    fx.setEditor(nullptr);
    CHECK_EQ(e.flags, 0x18);
    delete editor;
}
