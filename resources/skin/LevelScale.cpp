#include "LevelScale.h"

namespace {

struct Mark {
    int decibels;
    int position;
};

// The scale's breakpoints below full scale (amplitude steps 16, 1000, 99997,
// ... 1000000) are these levels; above it, 123 ... 5284 are +1 to +16 dB.
constexpr Mark kMarks[] = {{-96, 11}, {-60, 35}, {-20, 64}, {-11, 93}, {-9, 120}, {-7, 138}, {-5, 158},
                           {-3, 177}, {-1, 196}, {0, 210},  {1, 220},  {2, 230},  {3, 240},  {4, 250},
                           {5, 259},  {6, 270},  {7, 278},  {8, 288},  {9, 299},  {10, 310}, {11, 324},
                           {12, 339}, {13, 353}, {14, 368}, {15, 381}, {16, 395}};

}  // namespace

int levelPosition(int decibels) {
    for (const Mark& m : kMarks)
        if (m.decibels == decibels) return m.position;
    return -1;
}
