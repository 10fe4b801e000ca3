/* The library's entry point: the host calls main with its callback once per
   instance and gets the new instance's effect record, or null. */
#include "vst2/entry/Entry.h"

/* The VST 2 entry point is named main but is not a program's main. */
#pragma GCC diagnostic ignored "-Wmain"

#if defined(_WIN32)
#define HOK_EXPORT
#else
#define HOK_EXPORT __attribute__((visibility("default")))
#endif

HOK_EXPORT struct AEffect* HOK_CDECL main(HokHostCallback audioMaster) { return hokCreateEffect(audioMaster); }

#if !defined(_WIN32)
/* The name newer hosts look for first. */
HOK_EXPORT struct AEffect* VSTPluginMain(HokHostCallback audioMaster) { return hokCreateEffect(audioMaster); }
#endif
