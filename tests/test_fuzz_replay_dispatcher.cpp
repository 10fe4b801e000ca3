// The dispatcher fuzz target's committed inputs, replayed in every build.
#define LLVMFuzzerTestOneInput replayDispatcherInput
#include "tests/fuzz/fuzz_dispatcher.cpp"
#undef LLVMFuzzerTestOneInput

#include <doctest.h>
#include "tests/support/FuzzReplay.h"

TEST_CASE("every committed dispatcher fuzz input runs through" * doctest::test_suite("fuzz.replay")) {
    int files = replayCorpus(fuzzCorpus("dispatcher"), replayDispatcherInput);
    CHECK(files >= 4);  // the seeds at least: the corpus was found
}
