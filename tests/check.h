// A small test harness: cases register themselves by suite, checks record
// failures without stopping the case, and the runner prints one line per
// suite and a closing "N passed, M failed" line.
#pragma once
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace check {

struct Case {
    const char* suite;
    const char* name;
    void (*body)();
};

std::vector<Case>& registry();
void fail(const char* file, int line, const std::string& what);

struct Registrar {
    Registrar(const char* suite, const char* name, void (*body)()) { registry().push_back({suite, name, body}); }
};

std::string show(double v);
std::string show(long long v);
std::string show(const std::string& v);

}  // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)

// TEST_CASE("suite", "what it shows") { ... }
#define TEST_CASE(suite, name)                                                               \
    static void CHECK_CAT(check_case_, __LINE__)();                                          \
    static check::Registrar CHECK_CAT(check_reg_, __LINE__)(suite, name, &CHECK_CAT(check_case_, __LINE__)); \
    static void CHECK_CAT(check_case_, __LINE__)()

#define CHECK(cond)                                                         \
    do {                                                                    \
        if (!(cond)) check::fail(__FILE__, __LINE__, "CHECK(" #cond ")");   \
    } while (0)

#define CHECK_EQ(a, b)                                                                       \
    do {                                                                                     \
        auto check_a_ = (a);                                                                 \
        auto check_b_ = (b);                                                                 \
        if (!(check_a_ == check_b_))                                                         \
            check::fail(__FILE__, __LINE__,                                                  \
                        std::string(#a " == " #b ": ") + check::show(check_a_) + " vs " +    \
                            check::show(check_b_));                                          \
    } while (0)

#define CHECK_NEAR(a, b, tol)                                                                \
    do {                                                                                     \
        double check_a_ = (a);                                                               \
        double check_b_ = (b);                                                               \
        if (!(std::fabs(check_a_ - check_b_) <= (tol)))                                      \
            check::fail(__FILE__, __LINE__,                                                  \
                        std::string(#a " ~ " #b ": ") + check::show(check_a_) + " vs " +     \
                            check::show(check_b_));                                          \
    } while (0)

#define CHECK_STR(a, b) CHECK_EQ(std::string(a), std::string(b))

// Convenience overloads so CHECK_EQ prints any arithmetic or text type.
namespace check {
template <typename T>
std::string show(const T& v) {
    if constexpr (std::is_floating_point_v<T>)
        return show(static_cast<double>(v));
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return show(static_cast<long long>(v));
    else if constexpr (std::is_pointer_v<T>)
        return v ? "pointer" : "null";
    else
        return show(std::string(v));
}
}  // namespace check
