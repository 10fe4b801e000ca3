// The processing fuzz target's committed inputs, replayed in every build.
#define LLVMFuzzerTestOneInput replayProcessInput
#include "tests/fuzz/fuzz_process.cpp"
#undef LLVMFuzzerTestOneInput

#include "tests/check.h"
#include "tests/support/FuzzReplay.h"

TEST_CASE("fuzz.replay", "every committed processing fuzz input runs through") {
    int files = replayCorpus(fuzzCorpus("process"), replayProcessInput);
    CHECK(files >= 3);  // the seeds at least: the corpus was found
}
