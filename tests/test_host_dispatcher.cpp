// The dispatcher's opcode table and the record's entry functions, driven
// through the record the way a host drives them.
#include <climits>

#include "tests/support/Checks.h"
#include "tests/test_host_support.h"

using hosttest::SpyEditor;
using hosttest::SpyEffect;

namespace {
VstIntPtr send(AEffect& e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               float opt = 0.0f) {
    return e.dispatcher(&e, opcode, index, value, ptr, opt);
}
}  // namespace

TEST_CASE("fixed answers of the base operations" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    CHECK_EQ(send(e, effIdentify), (VstIntPtr)0x4E764566);
    CHECK_EQ(send(e, effGetVstVersion), (VstIntPtr)2);
    CHECK_EQ(send(e, effGetPlugCategory), (VstIntPtr)kPlugCategUnknown);
    CHECK_EQ(send(e, effGetNumProgramCategories), (VstIntPtr)1);
    for (VstInt32 index : {0, 16, 999, -1}) CHECK_EQ(send(e, effCanBeAutomated, index), (VstIntPtr)1);
    CHECK_EQ(send(e, effKeysRequired), (VstIntPtr)1);
    fx.keys = true;
    CHECK_EQ(send(e, effKeysRequired), (VstIntPtr)0);
    for (VstInt32 opcode : {effGetVendorVersion, effGetTailSize, effIdle, effGetIcon, effGetCurrentPosition,
                            effGetDestinationBuffer, effProcessEvents, effGetVu}) {
        INFO("opcode ", opcode);
        CHECK_EQ(send(e, opcode), (VstIntPtr)0);
    }
    char text[64] = "untouched";
    CHECK_EQ(send(e, effGetEffectName, 0, 0, text), (VstIntPtr)0);
    CHECK_EQ(send(e, effGetVendorString, 0, 0, text), (VstIntPtr)0);
    CHECK_EQ(send(e, effGetProductString, 0, 0, text), (VstIntPtr)0);
    CHECK_STR(text, "untouched");
    fx.isSynth(true);
    CHECK_EQ(send(e, effGetPlugCategory), (VstIntPtr)kPlugCategSynth);
}

TEST_CASE("opcodes nobody handles answer 0 and change nothing" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    unsigned char before[sizeof(AEffect)];
    std::memcpy(before, &e, sizeof e);
    char text[16] = "keep";
    for (VstInt32 opcode : {16, 17, 18, 20, 21, 59, 60, -1, INT_MIN, INT_MAX})
        CHECK_EQ(send(e, opcode, 1, 1, text, 1.0f), (VstIntPtr)0);
    CHECK(std::memcmp(before, &e, sizeof e) == 0);
    CHECK_STR(text, "keep");
    CHECK_EQ(fx.last.what, std::string());
}

TEST_CASE("program numbers outside the programs are ignored" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;  // four programs
    AEffect& e = fx.record();
    CHECK_EQ(send(e, effSetProgram, 0, 3), (VstIntPtr)0);
    CHECK_EQ(send(e, effGetProgram), (VstIntPtr)3);
    for (VstIntPtr bad : {(VstIntPtr)4, (VstIntPtr)10, (VstIntPtr)-1, (VstIntPtr)INT_MIN}) {
        send(e, effSetProgram, 0, bad);
        CHECK_EQ(send(e, effGetProgram), (VstIntPtr)3);
    }
    if (sizeof(VstIntPtr) > 4) {
        // A 64-bit value whose low half is a valid number is still out of range.
        send(e, effSetProgram, 0, (VstIntPtr)((uint64_t)1 << 32 | 1));
        CHECK_EQ(send(e, effGetProgram), (VstIntPtr)3);
    }
    send(e, effSetProgram, 0, 0);
    CHECK_EQ(send(e, effGetProgram), (VstIntPtr)0);
}

TEST_CASE("arguments reach the operations in the places the table gives" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    char text[64];

    send(e, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    CHECK_EQ(fx.storedRate(), 96000.0f);
    send(e, effSetBlockSize, 0, 256);
    CHECK_EQ(fx.storedBlock(), 256);
    CHECK_EQ(send(e, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), (VstIntPtr)1);
    CHECK_EQ(fx.storedBlock(), 512);
    CHECK_EQ(fx.storedRate(), 48000.0f);

    send(e, effMainsChanged, 0, 1);
    send(e, effMainsChanged, 0, -7);
    send(e, effMainsChanged, 0, 0);
    CHECK_EQ(fx.resumes, 2);
    CHECK_EQ(fx.suspends, 1);

    fx.vu = 0.5f;
    CHECK_EQ(send(e, effGetVu), (VstIntPtr)16383);  // 0.5 x 32767, truncated
    fx.vu = -0.5f;
    CHECK_EQ(send(e, effGetVu), (VstIntPtr)-16383);

    send(e, effGetParamDisplay, 5, 0, text);
    CHECK_EQ(fx.last.what, std::string("display"));
    CHECK_EQ(fx.last.a, 5);
    CHECK_STR(text, "dis");
    send(e, effGetParamLabel, 4, 0, text);
    CHECK((fx.last.what == "label" && fx.last.a == 4));
    send(e, effGetParamName, 3, 0, text);
    CHECK((fx.last.what == "name" && fx.last.a == 3));
    CHECK_STR(text, "nam");
    char newName[] = "renamed";
    send(e, effSetProgramName, 0, 0, newName);
    CHECK_EQ(fx.name, std::string("renamed"));
    send(e, effGetProgramName, 0, 0, text);
    CHECK_STR(text, "prog");

    int chunkData = 0;
    void* chunk = &chunkData;
    CHECK_EQ(send(e, effGetChunk, 1, 0, &chunk), (VstIntPtr)0);
    CHECK((fx.last.what == "getChunk" && fx.last.a == 1));
    CHECK_EQ(send(e, effSetChunk, 0, 40, &chunkData), (VstIntPtr)0);
    CHECK((fx.last.what == "setChunk" && fx.last.a == 0 && fx.last.b == 40 && fx.last.p == &chunkData));

    CHECK_EQ(send(e, effString2Parameter, 9, 0, text), (VstIntPtr)1);
    CHECK((fx.last.what == "string2parameter" && fx.last.a == 9 && fx.last.p == text));
    CHECK_EQ(send(e, effGetProgramNameIndexed, 2, 6, text), (VstIntPtr)1);  // value is the category
    CHECK((fx.last.what == "getProgramNameIndexed" && fx.last.a == 2 && fx.last.b == 6));
    CHECK_EQ(send(e, effCopyProgram, 3), (VstIntPtr)1);
    CHECK((fx.last.what == "copyProgram" && fx.last.a == 3));

    CHECK_EQ(send(e, effConnectInput, 1, 0), (VstIntPtr)1);
    CHECK((fx.last.what == "inputConnected" && fx.last.a == 1 && fx.last.b == 0));
    CHECK_EQ(send(e, effConnectOutput, 0, 5), (VstIntPtr)1);
    CHECK((fx.last.what == "outputConnected" && fx.last.a == 0 && fx.last.b == 1));

    int file = 0;
    CHECK_EQ(send(e, effOfflineNotify, 1, 3, &file), (VstIntPtr)1);
    CHECK((fx.last.what == "offlineNotify" && fx.last.a == 1 && fx.last.b == 3 && fx.last.p == &file));
    int in = 0, out = 0;
    CHECK_EQ(send(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), (VstIntPtr)1);
    CHECK((fx.last.p == &in && fx.last.q == &out));
    CHECK_EQ(send(e, effSetBypass, 0, 2), (VstIntPtr)0);
    CHECK((fx.last.what == "setBypass" && fx.last.a == 1));
    CHECK_EQ(send(e, effVendorSpecific, 11, 22, &file, 0.25f), (VstIntPtr)77);
    CHECK((fx.last.a == 11 && fx.last.b == 22 && fx.last.p == &file && fx.last.f == 0.25f));
    CHECK_EQ(send(e, effSetViewPosition, 30, 40), (VstIntPtr)1);
    CHECK((fx.last.what == "setViewPosition" && fx.last.a == 30 && fx.last.b == 40));
    char yes[] = "yes", no[] = "no";
    CHECK_EQ(send(e, effCanDo, 0, 0, yes), (VstIntPtr)1);
    CHECK_EQ(send(e, effCanDo, 0, 0, no), (VstIntPtr)-1);
    CHECK_EQ(send(e, effGetErrorText, 0, 0, text), (VstIntPtr)1);
    CHECK_STR(text, "err");
}

TEST_CASE("opcodes that write through ptr do nothing when it is null" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    fx.setEditor(new SpyEditor(&fx));
    AEffect& e = fx.record();
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                            effEditGetRect, effGetChunk, effString2Parameter, effGetProgramNameIndexed,
                            effGetInputProperties, effGetOutputProperties, effGetEffectName, effGetErrorText,
                            effGetVendorString, effGetProductString, effCanDo, effGetParameterProperties})
        CHECK_EQ(send(e, opcode, 1, 1, nullptr), (VstIntPtr)0);
    CHECK_EQ(static_cast<SpyEditor*>(fx.getEditor())->rects, 0);
    CHECK_EQ(fx.last.what, std::string());
}

TEST_CASE("editor opcodes reach the editor and answer 0 without one" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    ERect* rect = nullptr;
    int parent = 0;
    CHECK_EQ(send(e, effEditGetRect, 0, 0, &rect), (VstIntPtr)0);
    CHECK(rect == nullptr);
    CHECK_EQ(send(e, effEditOpen, 0, 0, &parent), (VstIntPtr)0);
    CHECK_EQ(send(e, effEditClose), (VstIntPtr)0);
    CHECK_EQ(send(e, effEditIdle), (VstIntPtr)0);

    auto* editor = new SpyEditor(&fx);
    fx.setEditor(editor);
    CHECK_EQ(send(e, effEditGetRect, 0, 0, &rect), (VstIntPtr)7);
    CHECK(rect == &editor->rect);
    CHECK_EQ(send(e, effEditOpen, 0, 0, &parent), (VstIntPtr)5);
    CHECK(editor->openedWith == &parent);
    CHECK_EQ(send(e, effEditIdle), (VstIntPtr)0);
    CHECK_EQ(send(e, effEditClose), (VstIntPtr)0);
    CHECK_EQ(editor->idles, 1);
    CHECK_EQ(editor->closes, 1);
}

TEST_CASE("effClose answers 1 and destroys the object and its editor" * doctest::test_suite("host.dispatcher")) {
    bool effectGone = false, editorGone = false;
    auto* fx = new SpyEffect(nullptr, &effectGone);
    fx->setEditor(new SpyEditor(fx, &editorGone));
    AEffect* e = &fx->record();
    // The object's own dispatcher answers 0 and leaves the object alive.
    CHECK_EQ(fx->dispatcher(effClose, 0, 0, nullptr, 0.0f), (VstIntPtr)0);
    CHECK(!effectGone);
    CHECK_EQ(fx->closes, 1);
    CHECK_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), (VstIntPtr)1);
    CHECK(effectGone);
    CHECK(editorGone);
}

TEST_CASE("the record's process and parameter entries reach the object" * doctest::test_suite("host.dispatcher")) {
    SpyEffect fx;
    AEffect& e = fx.record();
    float a[4] = {}, b[4] = {};
    float* ins[2] = {a, b};
    float* outs[2] = {b, a};
    e.processReplacing(&e, ins, outs, 4);
    CHECK((fx.last.what == "processReplacing" && fx.last.b == 4 && fx.last.p == ins && fx.last.q == outs));
    e.process(&e, ins, outs, 3);
    CHECK((fx.last.what == "process" && fx.last.b == 3));
    e.setParameter(&e, 2, 0.75f);
    CHECK((fx.last.what == "setParameter" && fx.last.a == 2 && fx.last.f == 0.75f));
    CHECK_EQ(e.getParameter(&e, 2), 0.75f);
}
