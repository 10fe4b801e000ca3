// The deepest gain reduction, observed through the protocol alone (the
// plug-in's own reduction meter is not reachable through the record).
//
// A reference instance with the same settings but the drive at its lowest
// position runs beside the rendering instance: at that drive neither the
// soft knee nor the limiter acts, while the equaliser, which comes before the
// drive, computes exactly the same samples. The ratio of the two outputs,
// divided by the ratio of their overall gains, is the gain that knee and
// limiter applied together. The overall gains are measured once on throwaway
// instances fed a constant signal with the equaliser and the knee switched off.
#pragma once
#include <memory>
#include <string>

#include "tools/render/PluginHost.h"

class ReductionProbe {
public:
    // Builds the reference instance and measures the gain ratio; false with a
    // reason when the plug-in's parameters do not allow the measurement.
    bool prepare(PluginLibrary& library, PluginInstance& rendering, float sampleRate, int blockSize,
                 std::string& why);
    PluginInstance* reference() { return reference_.get(); }
    // Compares aligned output frames of both instances; `firstFrame` is the
    // file position of frame 0.
    void compare(float* const* rendered, float* const* referenced, int channels, long frames, long firstFrame);

    bool measured() const { return measured_; }
    double deepestGain() const { return deepest_; }  // linear, 1.0 when nothing was reduced
    int deepestChannel() const { return channel_; }
    long deepestFrame() const { return frame_; }

private:
    std::unique_ptr<PluginInstance> reference_;
    double scale_ = 0.0;  // rendering gain over reference gain
    double deepest_ = 1.0;
    int channel_ = 0;
    long frame_ = -1;
    bool measured_ = false;
};
