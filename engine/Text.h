// The value-to-text conversions behind every display text: fixed texts of at
// most eight positions with ':' as the decimal separator. Digits are
// truncated, never rounded.
#pragma once
#include <cstdint>

// value with the integer part first; startCount positions of the eight are
// taken already (a minus sign takes one more).
void float2string(float value, char* text, int8_t startCount);
// "%7d"; eight digits or more show as " Huge!  ".
void long2string(int32_t value, char* text);
// 20·log10(value) as float2string with no positions taken; "  -oo   " for 0 or less.
void dB2string(float value, char* text);
