// A minimal VST 2 host: creates instances through a plug-in's entry point and
// drives them through the effect record. The plug-in is this program's own,
// linked in (whose engine meters the host may also read), or a library
// loaded from a path.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "vst2/AEffect.h"

class Meters;

class PluginLibrary {
public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // The plug-in linked into this program.
    void useBuiltIn();
    // Opens the library and finds its entry point; false with a message otherwise.
    bool load(const std::string& path, std::string& error);
    // Calls the entry point with this host's callback; null when it gives no record.
    AEffect* create();
    bool builtIn() const { return builtIn_; }

private:
    void* handle_ = nullptr;
    AEffect* (*entry_)(audioMasterCallback) = nullptr;
    bool builtIn_ = false;
};

// One instance, closed through effClose when the object goes.
class PluginInstance {
public:
    // `builtIn`: the record is this program's own plug-in, whose meters are reachable.
    explicit PluginInstance(AEffect* effect, bool builtIn = false) : effect_(effect), builtIn_(builtIn) {}
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    ~PluginInstance();

    AEffect* record() const { return effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    int numParams() const { return effect_->numParams; }
    int numPrograms() const { return effect_->numPrograms; }
    int latency() const { return effect_->initialDelay; }
    // The engine's meters of a built-in instance; null for a loaded library.
    Meters* meters() const;

    // Texts as the plug-in writes them, with trailing blanks removed.
    std::string name(int index);
    std::string display(int index);
    std::string label(int index);
    float get(int index);
    void set(int index, float value);
    // The value last set through this host while the plug-in still reports
    // it, else what it reports. getParameter divides the stored value by the
    // parameter's range, and that quotient, set again, can land one float
    // below the step it came from.
    float exact(int index);
    void copyParametersFrom(PluginInstance& other);

    void start(float sampleRate, int blockSize);
    void stop();
    void process(float** inputs, float** outputs, int frames);

private:
    std::string text(VstInt32 opcode, int index);
    AEffect* effect_;
    bool builtIn_;
    bool running_ = false;
    std::map<int, std::pair<float, float>> written_;  // index -> value set, value reported after it
};

// This host's callback: answers the version question, reports every pin as
// connected and gives its name.
VstIntPtr VSTCALLBACK renderHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr, float opt);

// Trailing blanks removed.
std::string trimRight(const std::string& s);
