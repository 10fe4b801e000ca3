// The LV2 user interface's entry: the descriptor, its C functions each mapped
// onto one Lv2Editor, and the idle interface. The host's window comes as the
// ui:parent feature (an X11 window id); ui:resize, when given, is how the
// editor asks for its height.
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <memory>
#include <new>

#include "lv2/Ports.h"
#include "lv2ui/Lv2Editor.h"

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

Lv2Editor* self(LV2UI_Handle h) { return static_cast<Lv2Editor*>(h); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, lv2port::kPluginUri) != 0 || !widget) return nullptr;
    void* parent = const_cast<void*>(feature(features, LV2_UI__parent));
    const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize));
    std::unique_ptr<Lv2Editor> ui(new (std::nothrow) Lv2Editor({write, controller, resize}));
    if (!ui || !ui->open(parent)) return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(ui->widget());
    return ui.release();
}

int idle(LV2UI_Handle h) { return self(h)->idle() ? 0 : 1; }
const LV2UI_Idle_Interface idleInterface = {idle};

const LV2UI_Descriptor descriptor = {
    lv2port::kUiUri,
    instantiate,
    [](LV2UI_Handle h) { delete self(h); },
    [](LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        self(h)->portEvent(port, size, format, buffer);
    },
    [](const char* uri) -> const void* {
        return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
    },
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
