// AudioEffect's dispatcher: opcodes 0 to 24. Opcodes without an entry
// (16, 17, 18, 20, 21 and anything outside the table) answer 0.
#include "vst2/AEffEditor.h"
#include "vst2/AudioEffect.h"
#include "vst2/OpcodeTable.h"

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    using Fx = AudioEffect;
    static const OpcodeEntry<Fx> table[] = {
        /* 0 effOpen */ {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { fx.open(); return 0; }, false},
        /* 1 effClose */ {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { fx.close(); return 0; }, false},
        /* 2 effSetProgram */
        {[](Fx& fx, VstInt32, VstIntPtr value, void*, float) -> VstIntPtr {
             if (value >= 0 && value < fx.numPrograms) fx.setProgram(static_cast<VstInt32>(value));
             return 0;
         }, false},
        /* 3 effGetProgram */ {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getProgram(); }, false},
        /* 4 effSetProgramName */
        {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
             fx.setProgramName(static_cast<char*>(ptr));
             return 0;
         }, true},
        /* 5 effGetProgramName */
        {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
             fx.getProgramName(static_cast<char*>(ptr));
             return 0;
         }, true},
        /* 6 effGetParamLabel */
        {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) -> VstIntPtr {
             fx.getParameterLabel(index, static_cast<char*>(ptr));
             return 0;
         }, true},
        /* 7 effGetParamDisplay */
        {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) -> VstIntPtr {
             fx.getParameterDisplay(index, static_cast<char*>(ptr));
             return 0;
         }, true},
        /* 8 effGetParamName */
        {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) -> VstIntPtr {
             fx.getParameterName(index, static_cast<char*>(ptr));
             return 0;
         }, true},
        /* 9 effGetVu */
        {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
             return static_cast<VstIntPtr>(static_cast<double>(fx.getVu()) * 32767.0);
         }, false},
        /* 10 effSetSampleRate */
        {[](Fx& fx, VstInt32, VstIntPtr, void*, float opt) -> VstIntPtr { fx.setSampleRate(opt); return 0; }, false},
        /* 11 effSetBlockSize */
        {[](Fx& fx, VstInt32, VstIntPtr value, void*, float) -> VstIntPtr {
             fx.setBlockSize(static_cast<VstInt32>(value));
             return 0;
         }, false},
        /* 12 effMainsChanged */
        {[](Fx& fx, VstInt32, VstIntPtr value, void*, float) -> VstIntPtr {
             if (value)
                 fx.resume();
             else
                 fx.suspend();
             return 0;
         }, false},
        /* 13 effEditGetRect */
        {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
             return fx.editor ? fx.editor->getRect(static_cast<ERect**>(ptr)) : 0;
         }, true},
        /* 14 effEditOpen */
        {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
             return fx.editor ? fx.editor->open(ptr) : 0;
         }, false},
        /* 15 effEditClose */
        {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
             if (fx.editor) fx.editor->close();
             return 0;
         }, false},
        /* 16 effEditDraw */ {nullptr, false},
        /* 17 effEditMouse */ {nullptr, false},
        /* 18 effEditKey */ {nullptr, false},
        /* 19 effEditIdle */
        {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
             if (fx.editor) fx.editor->idle();
             return 0;
         }, false},
        /* 20 effEditTop */ {nullptr, false},
        /* 21 effEditSleep */ {nullptr, false},
        /* 22 effIdentify */
        {[](Fx&, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fourCharCode('N', 'v', 'E', 'f'); }, false},
        /* 23 effGetChunk */
        {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) -> VstIntPtr {
             return fx.getChunk(static_cast<void**>(ptr), index != 0);
         }, true},
        /* 24 effSetChunk */
        {[](Fx& fx, VstInt32 index, VstIntPtr value, void* ptr, float) -> VstIntPtr {
             return fx.setChunk(ptr, static_cast<VstInt32>(value), index != 0);
         }, false},
    };
    static_assert(sizeof table / sizeof table[0] == effSetChunk + 1);

    VstIntPtr answer = 0;
    runOpcode(table, effOpen, *this, opcode, index, value, ptr, opt, answer);
    return answer;
}
