// The record's defaults and the setters that change it.
#include <doctest.h>
#include "tests/test_host_support.h"

using hosttest::SpyEditor;
using hosttest::SpyEffect;

// The record's fields as the plug-in leaves them are the loader's (tests/loader);
// here what it cannot see.
TEST_CASE("the base constructor points the record at the object, with the default rate, block size and program" *
          doctest::test_suite("host.flags")) {
    SpyEffect fx(hosttest::recordingHost);
    CHECK(fx.record().object == static_cast<void*>(static_cast<AudioEffect*>(&fx)));
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
