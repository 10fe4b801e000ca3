// The Windows host's small tally: named cases, failed checks printed with
// their line, and the counts for the closing line.
#pragma once
#include <cstdio>

namespace hoktest {

struct Tally {
    int passed = 0, failed = 0, failuresInCase = 0;
    const char* current = "";
};
inline Tally tally;

inline void expect(bool ok, const char* what, int line) {
    if (ok) return;
    ++tally.failuresInCase;
    std::printf("    FAIL line %d (%s): %s\n", line, tally.current, what);
}
inline void beginCase(const char* name) {
    tally.current = name;
    tally.failuresInCase = 0;
}
inline void endCase() {
    if (tally.failuresInCase == 0) {
        ++tally.passed;
    } else {
        ++tally.failed;
        std::printf("  failed: %s\n", tally.current);
    }
    std::fflush(stdout);
}

}  // namespace hoktest

#define EXPECT(c) hoktest::expect((c), #c, __LINE__)
#define EXPECT_EQ(a, b)                                                                \
    do {                                                                               \
        long long ea_ = (long long)(a), eb_ = (long long)(b);                          \
        if (ea_ != eb_) {                                                              \
            char t_[256];                                                              \
            std::snprintf(t_, sizeof t_, "%s == %s: %lld vs %lld", #a, #b, ea_, eb_);  \
            hoktest::expect(false, t_, __LINE__);                                      \
        }                                                                              \
    } while (0)
