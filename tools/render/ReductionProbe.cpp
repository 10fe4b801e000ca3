#include "tools/render/ReductionProbe.h"

#include <cmath>
#include <vector>

#include "tools/render/ParameterValues.h"

namespace {

// Reference outputs below this are too close to the plug-in's denormal floor
// (2^-32) to give an exact ratio.
constexpr double kSmallestReference = 1e-8;

bool setByName(PluginInstance& plugin, const char* name, const char* value, std::string& why) {
    int index = findParameter(plugin, name, why);
    float v = 0.0f;
    if (index < 0 || !findValue(plugin, index, value, v, why)) return false;
    plugin.set(index, v);
    return true;
}

// Lowest drive, unity output: the knee and the limiter stay out of the way.
bool makeReference(PluginInstance& plugin, std::string& why) {
    int drive = findParameter(plugin, "Limiter Gain", why);
    int out = findParameter(plugin, "Out Gain", why);
    if (drive < 0 || out < 0) return false;
    plugin.set(drive, 0.0f);
    plugin.set(out, 1.0f);
    return true;
}

// Overall gain of an instance for a constant signal of 1.0, with equaliser and
// knee off, read after the plug-in's latency.
bool overallGain(PluginLibrary& library, PluginInstance& like, bool reference, float sampleRate, int blockSize,
                 double& gain, std::string& why) {
    AEffect* effect = library.create();
    if (!effect) {
        why = "the plug-in gave no second instance";
        return false;
    }
    PluginInstance probe(effect);
    probe.copyParametersFrom(like);
    if (reference && !makeReference(probe, why)) return false;
    if (!setByName(probe, "EQ On/Off", "Off", why) || !setByName(probe, "Algorithm", "Full", why) ||
        !setByName(probe, "Auto Select Channels", "Off", why) || !setByName(probe, "Force Channels", "Stereo", why))
        return false;
    probe.start(sampleRate, blockSize);
    std::vector<float> in(blockSize, 1.0f), left(blockSize), right(blockSize);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    long needed = probe.latency() + blockSize;
    for (long done = 0; done < needed; done += blockSize) probe.process(inputs, outputs, blockSize);
    gain = left[blockSize - 1];
    if (!(gain > 0.0) || !std::isfinite(gain)) {
        why = "the plug-in passed no constant signal";
        return false;
    }
    return true;
}

}  // namespace

bool ReductionProbe::prepare(PluginLibrary& library, PluginInstance& rendering, float sampleRate, int blockSize,
                             std::string& why) {
    AEffect* effect = library.create();
    if (!effect) {
        why = "the plug-in gave no second instance";
        return false;
    }
    reference_ = std::make_unique<PluginInstance>(effect);
    reference_->copyParametersFrom(rendering);
    double renderingGain = 0.0, referenceGain = 0.0;
    if (!makeReference(*reference_, why) ||
        !overallGain(library, rendering, false, sampleRate, blockSize, renderingGain, why) ||
        !overallGain(library, *reference_, true, sampleRate, blockSize, referenceGain, why)) {
        reference_.reset();
        return false;
    }
    scale_ = renderingGain / referenceGain;
    reference_->start(sampleRate, blockSize);
    measured_ = true;
    return true;
}

void ReductionProbe::compare(float* const* rendered, float* const* referenced, int channels, long frames,
                             long firstFrame) {
    if (!measured_) return;
    for (int c = 0; c < channels; c++) {
        for (long i = 0; i < frames; i++) {
            double ref = referenced[c][i];
            if (std::fabs(ref) < kSmallestReference) continue;
            double gain = (double)rendered[c][i] / (ref * scale_);
            if (gain < deepest_) {
                deepest_ = gain < 0.0 ? 0.0 : gain;
                channel_ = c;
                frame_ = firstFrame + i;
            }
        }
    }
}
