#include "LevelScale.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace {

struct Breakpoint {
    int step;
    int position;
};

const Breakpoint kLevelPieces[] = {{0, 0},        {16, 11},       {1000, 35},     {99997, 64},
                                   {281830, 93},  {354803, 120},  {446670, 138},  {562324, 158},
                                   {707924, 177}, {891224, 196},  {1000000, 210}, {1000010, 220}};
const Breakpoint kOverPieces[] = {{0, 210},    {123, 220},  {259, 230},  {409, 240},  {586, 250},  {776, 259},
                                  {994, 270},  {1239, 278}, {1499, 288}, {1825, 299}, {2152, 310}, {2534, 324},
                                  {2969, 339}, {3446, 353}, {4004, 368}, {4604, 381}, {5284, 395}, {6000, 405}};

// Walks one piece the way the engine builds its tables: a running position
// in double precision, reset to each breakpoint's position when reached.
template <std::size_t N>
std::vector<short> walk(const Breakpoint (&bp)[N], int last, float firstSlope) {
    std::vector<short> table(static_cast<std::size_t>(last) + 1);
    double d = bp[0].position;
    double slope = firstSlope;
    std::size_t next = 1;
    for (int s = 0; s <= last; ++s) {
        table[s] = static_cast<short>(std::trunc(d));
        d += slope;
        if (next < N && s == bp[next].step) {
            d = bp[next].position;
            if (next + 1 < N)
                slope = static_cast<double>(bp[next + 1].position - bp[next].position) /
                        static_cast<double>(bp[next + 1].step - bp[next].step);
            ++next;
        }
    }
    return table;
}

}  // namespace

int levelPosition(double decibels) {
    static const std::vector<short> level = walk(kLevelPieces, 1000000, 0.6875f);
    static const std::vector<short> over = walk(kOverPieces, 6000, 0.08130081f);
    double amplitude = std::pow(10.0, decibels / 20.0);
    if (amplitude <= 1.0) return level[static_cast<std::size_t>(std::lround(amplitude * 1e6))];
    long s = std::lround((amplitude - 1.0) * 1000.0);
    return over[static_cast<std::size_t>(s > 6000 ? 6000 : s)];
}
