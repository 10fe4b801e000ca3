// Opens the built plug-in library by path, as a host does, and checks what a
// host sees: the exported entry, the effect record read as raw bytes at the
// published offsets, the requests made while an instance is created, a
// processed block and effClose. The dispatcher's answers are the host tests'.
// Usage: hok-loadcheck [library-path] [doctest options].
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/validator/PluginLibrary.h"
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#ifndef HOK_LIBRARY_DEFAULT
#define HOK_LIBRARY_DEFAULT "HokMaximizer"
#endif

namespace {

const char* libraryPath = HOK_LIBRARY_DEFAULT;

void expect(bool ok, const std::string& what) { CHECK_MESSAGE(ok, what); }

struct Request {
    AEffect* effect;
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
};
std::vector<Request> requests;

VstIntPtr VSTCALLBACK recordingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    requests.push_back({e, opcode, index, value, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Published offsets of the record's fields, by pointer size.
struct Layout {
    size_t size, magic, dispatcher, process, setParameter, getParameter, numPrograms, numParams, numInputs,
        numOutputs, flags, resvd1, resvd2, initialDelay, realQualities, offQualities, ioRatio, object, user,
        uniqueID, version, processReplacing, future;
};
constexpr Layout layout32{144, 0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 84};
constexpr Layout layout64{192, 0, 8, 16, 24, 32, 40, 44, 48, 52, 56, 64, 72, 80, 84, 88, 92, 96, 104, 112, 116, 120, 128};
const Layout& published = sizeof(void*) == 4 ? layout32 : layout64;

int32_t readInt(const AEffect* e, size_t offset) {
    int32_t v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(e) + offset, 4);
    return v;
}
uintptr_t readPointer(const AEffect* e, size_t offset) {
    uintptr_t v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(e) + offset, sizeof v);
    return v;
}
template <typename F>
uintptr_t addressOf(F f) {
    uintptr_t v;
    static_assert(sizeof f == sizeof v);
    std::memcpy(&v, &f, sizeof v);
    return v;
}

void checkRecord(AEffect* e) {
    expect(sizeof(AEffect) == published.size, "record size " + std::to_string(sizeof(AEffect)));
    expect(readInt(e, published.magic) == 0x56737450, "magic 'VstP'");
    expect(readPointer(e, published.dispatcher) == addressOf(e->dispatcher) && e->dispatcher, "dispatcher entry");
    expect(readPointer(e, published.process) == addressOf(e->process) && e->process, "process entry");
    expect(readPointer(e, published.setParameter) == addressOf(e->setParameter) && e->setParameter,
           "setParameter entry");
    expect(readPointer(e, published.getParameter) == addressOf(e->getParameter) && e->getParameter,
           "getParameter entry");
    expect(readInt(e, published.numPrograms) == 10, "10 programs");
    expect(readInt(e, published.numParams) == 17, "17 parameters");
    expect(readInt(e, published.numInputs) == 2, "2 inputs");
    expect(readInt(e, published.numOutputs) == 2, "2 outputs");
    expect(readInt(e, published.flags) == 0x19, "flags 0x19");
    expect(readPointer(e, published.resvd1) == 0 && readPointer(e, published.resvd2) == 0, "reserved fields zero");
    expect(readInt(e, published.initialDelay) == 2400, "initial delay 2400");
    expect(readInt(e, published.realQualities) == 0 && readInt(e, published.offQualities) == 0, "qualities zero");
    expect(static_cast<uint32_t>(readInt(e, published.ioRatio)) == 0x40000000u, "ioRatio bits of 2.0");
    expect(readPointer(e, published.object) != 0 && readPointer(e, published.object) == addressOf(e->object),
           "object set");
    expect(readPointer(e, published.user) == 0, "user null");
    expect(readInt(e, published.uniqueID) == 0x514D5A45, "unique ID 'QMZE'");
    expect(readInt(e, published.version) == 2, "version 2");
    expect(readPointer(e, published.processReplacing) == addressOf(e->processReplacing) && e->processReplacing,
           "processReplacing entry");
    bool futureZero = true;
    for (size_t i = published.future; i < published.size; ++i)
        futureZero &= reinterpret_cast<const unsigned char*>(e)[i] == 0;
    expect(futureZero, "reserved tail all zero");
}

void checkCreationRequests(AEffect* e) {
    expect(!requests.empty() && requests[0].opcode == audioMasterVersion && requests[0].effect == nullptr,
           "version asked first, without a record");
    std::vector<Request> automates;
    for (const Request& r : requests)
        if (r.opcode == audioMasterAutomate) automates.push_back(r);
    expect(automates.size() == 17, "17 automate requests during creation, got " + std::to_string(automates.size()));
    bool ordered = true;
    for (size_t i = 0; i < automates.size(); ++i)
        ordered &= automates[i].index == static_cast<VstInt32>(i) && automates[i].effect == e;
    expect(ordered, "automate requests for indexes 0 to 16 in order, for this record");
}

void checkProcessing(AEffect* e) {
    const int n = 512;
    std::vector<float> inL(n), inR(n), outL(n, 9.0f), outR(n, 9.0f);
    for (int i = 0; i < n; ++i) inL[i] = inR[i] = 0.5f * std::sin(0.05f * i);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    startPlugin(e, 44100.0f, n);
    for (int block = 0; block < 8; ++block) e->processReplacing(e, ins, outs, n);
    bool finite = true;
    for (int i = 0; i < n; ++i) finite &= std::isfinite(outL[i]) && std::isfinite(outR[i]) && outL[i] != 9.0f;
    expect(finite, "processed block is written and finite");
    dispatch(e, effMainsChanged, 0, 0);
}

}  // namespace

TEST_CASE("a host opens the library by path and drives two instances through their records" *
          doctest::test_suite("loader.library")) {
    const PluginLibrary library(libraryPath);
#if !defined(_WIN32)
    if (!library.loaded()) std::printf("  %s\n", dlerror());
#endif
    expect(library.loaded(), std::string("library opens: ") + libraryPath);
    expect(library.ok(), "exports main");
#if !defined(_WIN32)
    // Only the entry points are exported; internal names stay inside.
    expect(library.symbol("VSTPluginMain") != nullptr, "exports VSTPluginMain");
    expect(library.loaded() && library.symbol("hInstance") == nullptr, "internal symbols are not exported");
#endif
    if (!library.ok()) return;
    auto mainProc = [&](audioMasterCallback host) { return library.create(host); };

    // (A host that does not answer the version question, or has no callback,
    // gets nothing: the host entry tests.)
    requests.clear();
    AEffect* one = mainProc(recordingHost);
    expect(one != nullptr, "main returns a record");
    if (one) {
        checkRecord(one);
        checkCreationRequests(one);
    }

    // A second instance is a separate record and object; closing the first leaves it working.
    requests.clear();
    AEffect* two = mainProc(recordingHost);
    expect(two != nullptr && two != one, "second instance has its own record");
    if (one && two) {
        expect(one->object != two->object, "second instance has its own object");
        dispatch(one, effSetProgram, 0, 4);
        one->setParameter(one, 7, 0.75f);
        expect(two->getParameter(two, 7) == 0.5f, "instances keep their own parameters");
        expect(dispatch(two, effGetProgram) == 0, "instances keep their own program");
        expect(dispatch(one, effClose) == 1, "effClose answers 1");
        one = nullptr;
        checkProcessing(two);
        char text[64] = "";
        expect(dispatch(two, effGetEffectName, 0, 0, text) == 1 && std::strcmp(text, "Hok Maximizer") == 0,
               "second instance answers after the first closed");
    }
    if (one) expect(dispatch(one, effClose) == 1, "effClose answers 1");
    if (two) expect(dispatch(two, effClose) == 1, "effClose of the second answers 1");
}

// The first argument that is not a doctest option is the library's path.
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') {
            libraryPath = argv[i];
            break;
        }
    return doctest::Context(argc, argv).run();
}
