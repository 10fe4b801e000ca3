// The dispatcher fuzz target's committed inputs, replayed in every build.
#define LLVMFuzzerTestOneInput replayDispatcherInput
#include "tests/fuzz/fuzz_dispatcher.cpp"
#undef LLVMFuzzerTestOneInput

#include "tests/check.h"
#include "tests/support/FuzzReplay.h"

TEST_CASE("fuzz.replay", "every committed dispatcher fuzz input runs through") {
    int files = replayCorpus(fuzzCorpus("dispatcher"), replayDispatcherInput);
    CHECK(files >= 4);  // the seeds at least: the corpus was found
}
