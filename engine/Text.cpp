// The value-to-text conversions: fixed texts of at most eight positions with
// ':' as the decimal separator. Digits are truncated, never rounded.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Text.h"

namespace {
const char kHuge[] = " Huge!  ";
const char kMinusInfinity[] = "  -oo   ";

char digitOf(double x) { return static_cast<char>('0' + static_cast<int>(std::trunc(std::fmod(x, 10.0)))); }
}  // namespace

// The integer part is built from the right, the fraction fills what is left
// of the eight positions. A value whose integer digits do not all fit (or
// that is not a number) shows as " Huge!  " rather than losing its leading
// digits. A negative start count is taken as 0 so the text stays in 8 places.
void float2string(float value, char* text, int8_t startCount) {
    double v = value;
    int c = startCount < 0 ? 0 : startCount;
    bool negative = false;
    if (std::isnan(v)) {
        std::strcpy(text, kHuge);
        return;
    }
    if (v < 0.0) {
        v = -v;
        c += 1;
        negative = true;
        if (v > 9999999.0) {
            std::strcpy(text, kHuge);
            return;
        }
    } else if (v > 99999999.0) {
        std::strcpy(text, kHuge);
        return;
    }

    char built[16];
    int left = sizeof built;
    built[--left] = ':';
    double integ = std::floor(v);
    built[--left] = digitOf(integ);
    integ = integ * 0.1;
    c += 2;
    while (integ >= 1.0 && c < 8) {
        built[--left] = digitOf(integ);
        c += 1;
        integ = integ * 0.1;
    }
    if (integ >= 1.0) {
        std::strcpy(text, kHuge);
        return;
    }
    if (negative) built[--left] = '-';
    const int intLength = static_cast<int>(sizeof built) - left;
    std::memcpy(text, built + left, intLength);
    text[intLength] = 0;
    if (c >= 8) return;

    const int k = 8 - c;
    double m = std::fmod(v, 1.0) * std::pow(10.0, k);
    char* fraction = text + intLength;
    for (int i = k - 1; i >= 0; --i) {
        if (m <= 0.0) {
            fraction[i] = '0';
        } else {
            fraction[i] = digitOf(m);
            m = m * 0.1;
        }
    }
    fraction[k] = 0;
}

void long2string(int32_t value, char* text) {
    if (value >= 100000000) {
        std::strcpy(text, kHuge);
        return;
    }
    char scratch[16];
    std::snprintf(scratch, sizeof scratch, "%7d", static_cast<int>(value));
    scratch[8] = 0;
    std::strcpy(text, scratch);
}

void dB2string(float value, char* text) {
    if (value <= 0.0f) {
        std::strcpy(text, kMinusInfinity);
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, 0);
}
