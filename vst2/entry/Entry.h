/* The bridge from the C entry point to the C++ instance factory. */
#pragma once
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define HOK_CDECL __cdecl
#else
#define HOK_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct AEffect;
typedef intptr_t(HOK_CDECL* HokHostCallback)(struct AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                             void* ptr, float opt);

struct AEffect* hokCreateEffect(HokHostCallback audioMaster);

#ifdef __cplusplus
}
#endif
