// AudioEffectX's dispatcher: the extension opcodes 25 to 58; every other
// opcode goes on to AudioEffect's dispatcher with all its arguments.
#include "vst2/AudioEffectX.h"
#include "vst2/OpcodeTable.h"

namespace {
using Fx = AudioEffectX;

VstIntPtr asAnswer(bool b) { return b ? 1 : 0; }
VstIntPtr asAnswer(const void* p) { return reinterpret_cast<VstIntPtr>(p); }
char* text(void* ptr) { return static_cast<char*>(ptr); }

const OpcodeEntry<Fx> extensionTable[] = {
    /* 25 effProcessEvents */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
         return fx.processEvents(static_cast<VstEvents*>(ptr));
     }, false},
    /* 26 effCanBeAutomated */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void*, float) { return asAnswer(fx.canParameterBeAutomated(index)); }, false},
    /* 27 effString2Parameter */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) { return asAnswer(fx.string2parameter(index, text(ptr))); },
     true},
    /* 28 effGetNumProgramCategories */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getNumCategories(); }, false},
    /* 29 effGetProgramNameIndexed */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void* ptr, float) {
         return asAnswer(fx.getProgramNameIndexed(static_cast<VstInt32>(value), index, text(ptr)));
     }, true},
    /* 30 effCopyProgram */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void*, float) { return asAnswer(fx.copyProgram(index)); }, false},
    /* 31 effConnectInput */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void*, float) -> VstIntPtr {
         fx.inputConnected(index, value != 0);
         return 1;
     }, false},
    /* 32 effConnectOutput */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void*, float) -> VstIntPtr {
         fx.outputConnected(index, value != 0);
         return 1;
     }, false},
    /* 33 effGetInputProperties */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) {
         return asAnswer(fx.getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
     }, true},
    /* 34 effGetOutputProperties */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) {
         return asAnswer(fx.getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
     }, true},
    /* 35 effGetPlugCategory */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getPlugCategory(); }, false},
    /* 36 effGetCurrentPosition */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.reportCurrentPosition(); }, false},
    /* 37 effGetDestinationBuffer */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) { return asAnswer(fx.reportDestinationBuffer()); }, false},
    /* 38 effOfflineNotify */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void* ptr, float) {
         return asAnswer(fx.offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0));
     }, false},
    /* 39 effOfflinePrepare */
    {[](Fx& fx, VstInt32, VstIntPtr value, void* ptr, float) {
         return asAnswer(fx.offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
     }, false},
    /* 40 effOfflineRun */
    {[](Fx& fx, VstInt32, VstIntPtr value, void* ptr, float) {
         return asAnswer(fx.offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
     }, false},
    /* 41 effProcessVarIo */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) {
         return asAnswer(fx.processVariableIo(static_cast<VstVariableIo*>(ptr)));
     }, false},
    /* 42 effSetSpeakerArrangement: value carries the input arrangement's address */
    {[](Fx& fx, VstInt32, VstIntPtr value, void* ptr, float) {
         return asAnswer(fx.setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                                  static_cast<VstSpeakerArrangement*>(ptr)));
     }, false},
    /* 43 effSetBlockSizeAndSampleRate */
    {[](Fx& fx, VstInt32, VstIntPtr value, void*, float opt) -> VstIntPtr {
         fx.setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt);
         return 1;
     }, false},
    /* 44 effSetBypass */
    {[](Fx& fx, VstInt32, VstIntPtr value, void*, float) { return asAnswer(fx.setBypass(value != 0)); }, false},
    /* 45 effGetEffectName */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) { return asAnswer(fx.getEffectName(text(ptr))); }, true},
    /* 46 effGetErrorText */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) { return asAnswer(fx.getErrorText(text(ptr))); }, true},
    /* 47 effGetVendorString */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) { return asAnswer(fx.getVendorString(text(ptr))); }, true},
    /* 48 effGetProductString */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) { return asAnswer(fx.getProductString(text(ptr))); }, true},
    /* 49 effGetVendorVersion */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getVendorVersion(); }, false},
    /* 50 effVendorSpecific */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void* ptr, float opt) { return fx.vendorSpecific(index, value, ptr, opt); },
     false},
    /* 51 effCanDo */
    {[](Fx& fx, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr { return fx.canDo(text(ptr)); }, true},
    /* 52 effGetTailSize */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getGetTailSize(); }, false},
    /* 53 effIdle */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.fxIdle(); }, false},
    /* 54 effGetIcon */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) { return asAnswer(fx.getIcon()); }, false},
    /* 55 effSetViewPosition */
    {[](Fx& fx, VstInt32 index, VstIntPtr value, void*, float) {
         return asAnswer(fx.setViewPosition(index, static_cast<VstInt32>(value)));
     }, false},
    /* 56 effGetParameterProperties */
    {[](Fx& fx, VstInt32 index, VstIntPtr, void* ptr, float) {
         return asAnswer(fx.getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
     }, true},
    /* 57 effKeysRequired: the answer is inverted, 1 meaning no keys wanted */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) { return asAnswer(!fx.keysRequired()); }, false},
    /* 58 effGetVstVersion */
    {[](Fx& fx, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return fx.getVstVersion(); }, false},
};
static_assert(sizeof extensionTable / sizeof extensionTable[0] == effGetVstVersion - effProcessEvents + 1);
}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    VstIntPtr answer = 0;
    if (runOpcode(extensionTable, effProcessEvents, *this, opcode, index, value, ptr, opt, answer)) return answer;
    return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
}
