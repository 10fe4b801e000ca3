// Processing must be real-time safe: no heap allocation, no lock and no
// system call inside process or processReplacing. Each of the three is
// checked where this build and machine can see it, and the output says which.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <doctest.h>
#include "tests/validator/Realtime.h"
#include "tests/validator/Validator.h"

#ifdef __linux__
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace validator;

namespace {
void* volatile kept;  // keeps the compiler from leaving out an allocation
}

TEST_CASE("the detectors catch an allocation, a lock and a system call made inside the marked region" *
          doctest::test_suite("validator.realtime")) {
    if (allocationsCounted() < 0) {
        std::printf("    allocations not counted in this build\n");
    } else {
        long before = allocationsCounted();
        kept = std::malloc(24);  // unmarked
        std::free(kept);
        markProcessing(true);
        kept = std::malloc(24);
        std::free(kept);
        markProcessing(false);
        CHECK_EQ(allocationsCounted() - before, 1L);
    }
#ifdef __linux__
    long answer = 0;
    SyscallWatch w = watchSyscalls([&] {
        markProcessing(true);
        answer = syscall(SYS_getppid);
        markProcessing(false);
        syscall(SYS_getpid);  // unmarked: must not be recorded
    });
    if (!w.watched) {
        std::printf("    system calls not watched on this machine: %s\n", w.refusal.c_str());
    } else {
        CHECK_EQ(w.count, 1L);
        CHECK((!w.first.empty() && w.first[0].number == SYS_getppid));
        CHECK_EQ(answer, long(getppid()));  // the call went through with its real result
    }
    if (locksCounted() < 0) {
        std::printf("    lock calls not counted in this build\n");
        return;
    }
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    long before = locksCounted();
    pthread_mutex_lock(&mutex);  // unmarked
    pthread_mutex_unlock(&mutex);
    markProcessing(true);
    pthread_mutex_lock(&mutex);
    pthread_mutex_unlock(&mutex);
    CHECK_EQ(pthread_mutex_trylock(&mutex), 0);
    pthread_mutex_unlock(&mutex);
    markProcessing(false);
    CHECK_EQ(locksCounted() - before, 2L);
#else
    std::printf("    system calls and lock calls are checked on Linux only\n");
#endif
}

TEST_CASE("no heap allocation, lock or system call inside processing" * doctest::test_suite("validator.realtime")) {
    REQUIRE(library().ok());
    AEffect* e = library().create(host);
    REQUIRE(e != nullptr);
    e->setParameter(e, 3, 1.0f);
    e->setParameter(e, 5, 1.0f);
    e->setParameter(e, 7, 0.8f);
    startPlugin(e, 44100, 512);
    const long allocationsBefore = allocationsCounted();
    const long locksBefore = locksCounted();
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    auto run = [&] {
        for (int b = 0; b < 200; ++b) {
            music(inL.data(), inR.data(), long(b) * 512, 512, 44100);
            // A parameter change between blocks, so processing also has to
            // react to new settings.
            if (b % 20 == 10) e->setParameter(e, 7, (b / 20) % 2 ? 0.3f : 0.8f);
            float* inputs[2] = {inL.data(), inR.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            markProcessing(true);
            if (b % 2) e->processReplacing(e, inputs, outputs, 512);
            else e->process(e, inputs, outputs, 512);
            markProcessing(false);
        }
    };
    SyscallWatch w = watchSyscalls(run);
    if (!w.watched) run();  // still count allocations and locks

    std::string checked, skipped;
    auto note = [](std::string& list, const std::string& what) { list += (list.empty() ? "" : ", ") + what; };
    if (allocationsBefore >= 0) {
        note(checked, "heap allocations");
        CHECK_EQ(allocationsCounted() - allocationsBefore, 0L);
    } else {
        note(skipped, "heap allocations (allocator not replaceable in this build)");
    }
    if (locksBefore >= 0) {
        note(checked, "lock calls");
        CHECK_EQ(locksCounted() - locksBefore, 0L);
    } else {
        note(skipped, "lock calls (not interposable in this build)");
    }
    if (w.watched) {
        note(checked, "system calls");
        CHECK_EQ(w.count, 0L);
        for (const SyscallSeen& call : w.first) std::printf("    inside processing: %s\n", describe(call).c_str());
    } else {
        note(skipped, "system calls (" + w.refusal + ")");
    }
    std::printf("    checked inside processing: %s\n", checked.empty() ? "nothing" : checked.c_str());
    if (!skipped.empty()) std::printf("    NOT checked here: %s\n", skipped.c_str());
    closePlugin(e);
}
