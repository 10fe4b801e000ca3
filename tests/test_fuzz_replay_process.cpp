// The processing fuzz target's committed inputs, replayed in every build.
#define LLVMFuzzerTestOneInput replayProcessInput
#include "tests/fuzz/fuzz_process.cpp"
#undef LLVMFuzzerTestOneInput

#include <doctest.h>
#include "tests/support/FuzzReplay.h"

TEST_CASE("every committed processing fuzz input runs through" * doctest::test_suite("fuzz.replay")) {
    int files = replayCorpus(fuzzCorpus("process"), replayProcessInput);
    CHECK(files >= 3);  // the seeds at least: the corpus was found
}
