// One dispatcher opcode: the operation it runs and whether it needs the
// host's pointer argument. Opcodes whose pointer is needed but null answer 0
// and run nothing, so a host passing no buffer cannot make the plug-in write
// through a null pointer.
#pragma once
#include "vst2/AEffect.h"

template <typename Effect>
struct OpcodeEntry {
    VstIntPtr (*run)(Effect& fx, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    bool needsPtr;
};

// Runs the entry for opcode, where table covers opcodes first .. first+count-1.
// Returns false when the opcode is outside the table or has no entry.
template <typename Effect, int count>
bool runOpcode(const OpcodeEntry<Effect> (&table)[count], VstInt32 first, Effect& fx, VstInt32 opcode,
               VstInt32 index, VstIntPtr value, void* ptr, float opt, VstIntPtr& answer) {
    if (opcode < first || opcode >= first + count) return false;
    const OpcodeEntry<Effect>& entry = table[opcode - first];
    if (!entry.run) return false;
    answer = (entry.needsPtr && !ptr) ? 0 : entry.run(fx, index, value, ptr, opt);
    return true;
}
