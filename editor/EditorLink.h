// What the editor asks of the plug-in format it is shown in. The editor reads
// values and meters from the engine itself; changes that the host must hear
// of go through here.
#pragma once
#include <cstdint>

class EditorLink {
public:
    virtual ~EditorLink() = default;
    // The user set parameter `index` to an internal value: store it, recompute
    // the derived values and tell the host.
    virtual void changeParameter(int32_t index, float value) = 0;
    // Auto Select was switched on: the detected channel mode is reported again.
    virtual void recheckChannels() = 0;
    // Asks the host to resize its window to hold the editor at this size;
    // false when the host cannot.
    virtual bool resizeHostWindow(int32_t width, int32_t height) = 0;
};
