// The LV2 user interface: the editor on a model engine that mirrors the
// plug-in's ports. The model is never prepared; it holds the parameter values
// the host reports (user units, stored through the setter as the plug-in
// stores them), their derived gains, and meters fed from the meter ports, so
// the editor paints them with its usual ballistics. A change the user makes
// becomes a port write in user units; the equaliser section's opening and
// closing asks the host to resize its window. All calls come on the host's
// user-interface thread.
#pragma once
#include <lv2/ui/ui.h>

#include <cstdint>

#include "editor/MaximizerEditor.h"
#include "engine/Engine.h"

class Lv2Editor final : public EditorLink {
public:
    struct Host {
        LV2UI_Write_Function write = nullptr;
        LV2UI_Controller controller = nullptr;
        const LV2UI_Resize* resize = nullptr;  // null: the host cannot be asked
    };
    explicit Lv2Editor(const Host& host);
    Lv2Editor(const Lv2Editor&) = delete;
    Lv2Editor& operator=(const Lv2Editor&) = delete;

    // Opens the editor in the host's window; false when it cannot, with
    // nothing left open.
    bool open(void* parentWindow);
    // The editor's window id, for the host.
    uintptr_t widget() const;
    // A port's value from the host; other formats, sizes and ports are ignored.
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // The host's idle call: events and ticks; false once the editor is gone
    // (the host destroyed its window, or the connection broke).
    bool idle();

    // What the editor asks.
    void changeParameter(int32_t index, float value) override;
    void recheckChannels() override {}  // LV2 hosts tell no channel layout to detect
    bool resizeHostWindow(int32_t width, int32_t height) override;

private:
    void store(int32_t index, float user);
    void follow();

    Host host;
    MaximizerEngine model;
    MaximizerEditor editor{model, *this};
    bool eqShown = false;
};
