// Two checks the suites use that doctest does not spell out: an absolute
// tolerance (doctest's Approx is relative) and a text comparison of character
// buffers. Both report the values they compared when they fail.
#pragma once
#include <doctest.h>

#include <cmath>
#include <string>

// |a - b| <= tol, compared as doubles; NaN never passes.
#define CHECK_NEAR(a, b, tol)                                                              \
    do {                                                                                   \
        const double hok_near_a_ = (a), hok_near_b_ = (b);                                 \
        CHECK_MESSAGE(std::fabs(hok_near_a_ - hok_near_b_) <= (tol), #a " ~ " #b ": ",     \
                      hok_near_a_, " vs ", hok_near_b_);                                   \
    } while (0)

#define CHECK_STR(a, b) CHECK_EQ(std::string(a), std::string(b))
