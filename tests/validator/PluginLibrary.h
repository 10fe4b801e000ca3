// Loads a built plug-in library by path and creates instances through its
// exported entry, the way a host does. Used by the validator, the loader
// check and the LV2 comparison.
#pragma once
#include <string>

#include "vst2/AEffect.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

class PluginLibrary {
public:
    typedef AEffect*(VSTCALLBACK* Entry)(audioMasterCallback);

    explicit PluginLibrary(const std::string& path, const char* entryName = "main") {
#ifdef _WIN32
        module_ = LoadLibraryA(path.c_str());
        if (module_) entry_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, entryName)));
#else
        module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module_) entry_ = reinterpret_cast<Entry>(dlsym(module_, entryName));
#endif
    }
    ~PluginLibrary() {
#ifdef _WIN32
        if (module_) FreeLibrary(module_);
#else
        if (module_) dlclose(module_);
#endif
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    bool ok() const { return entry_ != nullptr; }
    // An exported name's address, or null.
    void* symbol(const char* name) const {
#ifdef _WIN32
        return module_ ? reinterpret_cast<void*>(GetProcAddress(module_, name)) : nullptr;
#else
        return module_ ? dlsym(module_, name) : nullptr;
#endif
    }
    AEffect* create(audioMasterCallback host) const { return entry_ ? entry_(host) : nullptr; }

private:
#ifdef _WIN32
    HMODULE module_ = nullptr;
#else
    void* module_ = nullptr;
#endif
    Entry entry_ = nullptr;
};

// Thin helpers over the record's entry functions.
inline VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                          float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

inline void startPlugin(AEffect* e, float rate, VstInt32 block) {
    dispatch(e, effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(e, effSetBlockSize, 0, block);
    dispatch(e, effMainsChanged, 0, 1);
}

inline void closePlugin(AEffect* e) { dispatch(e, effClose); }
