#include "tools/render/PluginHost.h"

#include <dlfcn.h>

#include <cstring>

#include "vst2/MaximizerEffect.h"

// The host side of the protocol: a version, connected pins, and a name.
VstIntPtr VSTCALLBACK renderHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterPinConnected:
        return 0;  // 0 means connected
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "hok-render");
        return 1;
    default:
        return 0;
    }
}

std::string trimRight(const std::string& s) {
    size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

PluginLibrary::~PluginLibrary() {
    if (handle_) dlclose(handle_);
}

void PluginLibrary::useBuiltIn() {
    entry_ = &createEffectInstance;
    builtIn_ = true;
}

Meters* PluginInstance::meters() const {
    return builtIn_ && effect_ ? &static_cast<MaximizerEffect*>(effect_->object)->engine.meters() : nullptr;
}

bool PluginLibrary::load(const std::string& path, std::string& error) {
    // A bare file name would make dlopen search the system paths.
    std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error = "cannot load plug-in '" + path + "': " + (why ? why : "unknown error");
        return false;
    }
    for (const char* symbol : {"VSTPluginMain", "main"}) {
        if (void* f = dlsym(handle_, symbol)) {
            entry_ = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(f);
            return true;
        }
    }
    error = "'" + path + "' is not a VST 2 plug-in (no entry point)";
    dlclose(handle_);
    handle_ = nullptr;
    return false;
}

AEffect* PluginLibrary::create() {
    if (!entry_) return nullptr;
    AEffect* effect = entry_(&renderHostCallback);
    if (!effect || effect->magic != kEffectMagic) return nullptr;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
}

PluginInstance::~PluginInstance() {
    stop();
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, int index) {
    // Generous and zeroed: a plug-in may leave the buffer untouched.
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return trimRight(buffer);
}

std::string PluginInstance::name(int index) { return text(effGetParamName, index); }
std::string PluginInstance::display(int index) { return text(effGetParamDisplay, index); }
std::string PluginInstance::label(int index) { return text(effGetParamLabel, index); }
float PluginInstance::get(int index) { return effect_->getParameter(effect_, index); }
void PluginInstance::set(int index, float value) {
    effect_->setParameter(effect_, index, value);
    written_[index] = {value, get(index)};
}

float PluginInstance::exact(int index) {
    float reported = get(index);
    auto it = written_.find(index);
    return it != written_.end() && it->second.second == reported ? it->second.first : reported;
}

void PluginInstance::copyParametersFrom(PluginInstance& other) {
    for (int i = 0; i < numParams() && i < other.numParams(); i++) set(i, other.exact(i));
}

void PluginInstance::start(float sampleRate, int blockSize) {
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    running_ = true;
}

void PluginInstance::stop() {
    if (!running_) return;
    dispatch(effMainsChanged, 0, 0);
    running_ = false;
}

void PluginInstance::process(float** inputs, float** outputs, int frames) {
    if (effect_->processReplacing) {
        effect_->processReplacing(effect_, inputs, outputs, frames);
        return;
    }
    // Accumulating entry only: start from silence.
    for (int c = 0; c < effect_->numOutputs; c++) std::memset(outputs[c], 0, sizeof(float) * frames);
    effect_->process(effect_, inputs, outputs, frames);
}
