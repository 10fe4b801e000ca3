// Sets or clears one flag bit of the effect record, leaving the others alone.
#pragma once
#include "vst2/AEffect.h"

inline void setFlagBit(AEffect& e, VstInt32 bit, bool state) {
    if (state)
        e.flags |= bit;
    else
        e.flags &= ~bit;
}
