// Shared pieces of the editor and parameter tests: a plug-in instance created
// the way the library's entry does, a fresh headless platform with a
// synthetic sprite sheet in which every pixel names its own sheet position,
// the recorded automation requests and the parameters' default values.
#pragma once
#include <memory>
#include <vector>

#include "editor/MaximizerEditor.h"
#include "editor/SkinLayout.h"
#include "vst2/AEffEditor.h"
#include "vst2/MaximizerEffect.h"
#include "platform/headless/HeadlessPlatform.h"

namespace editortest {

struct Automation {
    VstInt32 index;
    float value;
};

inline std::vector<Automation>& automations() {
    static std::vector<Automation> list;
    return list;
}

inline VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate) automations().push_back({index, opt});
    return 0;
}

// The internal value of each parameter at start-up, in index order.
inline constexpr float kDefaults[kNumParams] = {207, 150, 196, 3, 2, 1, 0, 141, 141, 141, 100, 800, 3000, 1, 0, 1, 0};

// The synthetic sheet: pixel (x, y) holds y × 512 + x + 1, so any pixel of the
// back buffer tells where on the sheet it came from (0 is black).
inline uint32_t sheetPixel(int32_t x, int32_t y) { return static_cast<uint32_t>(y * skin::kSheetWidth + x + 1); }

inline bool syntheticSheet(int32_t id, platform::Image& image) {
    if (id != skin::kResourceId) return false;
    image.resize(skin::kSheetWidth, skin::kSheetHeight);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) image.at(x, y) = sheetPixel(x, y);
    return true;
}

// One plug-in with its editor, on a platform of its own.
struct Rig {
    platform::HeadlessPlatform platform;
    platform::HeadlessWindow* frame = nullptr;
    MaximizerEffectWithEditor* plugin = nullptr;
    MaximizerEditor* editor = nullptr;
    platform::HeadlessWindow* window = nullptr;

    explicit Rig(bool openNow = true) {
        platform.sheetSource = syntheticSheet;
        platform::setCurrentPlatform(&platform);
        AEffect* effect = createEffectInstance(host);
        plugin = static_cast<MaximizerEffectWithEditor*>(effect->object);
        editor = plugin->editorView;
        frame = platform.createHostWindow("HostFrame", nullptr, {100, 100, 100 + 600, 100 + 400});
        automations().clear();
        if (openNow) open();
    }
    ~Rig() {
        delete plugin;
        platform::setCurrentPlatform(nullptr);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void open() {
        plugin->getEditor()->open(frame);
        window = platform.lastWindowOfClass(kEditorClassName);
    }
    void tick() { platform.tick(window); }
    void press(int32_t x, int32_t y, bool left = true) {
        platform.send(window, left ? platform::WindowMessage::LeftButtonDown : platform::WindowMessage::RightButtonDown,
                      x, y);
    }
    void release(bool left = true) {
        platform.send(window, left ? platform::WindowMessage::LeftButtonUp : platform::WindowMessage::RightButtonUp);
    }
    void move(int32_t x, int32_t y) { platform.send(window, platform::WindowMessage::MouseMove, x, y); }
    // Moves a held gesture to (x, y), lets a tick apply it, and reads the parameter.
    float afterMove(int32_t x, int32_t y, int param) {
        move(x, y);
        tick();
        return value(param);
    }
    float value(int i) const { return plugin->engine.value(i); }
    void set(int i, float v) { plugin->engine.setValue(i, v); }
    Meters& meters() { return plugin->engine.meters(); }

    const platform::Image& backBuffer() const { return editor->skin->image; }
    uint32_t pixel(int32_t x, int32_t y) const { return backBuffer().at(x, y); }

    // True when the window rectangle at (x, y) shows sheet rectangle `s`
    // (only its first w × h pixels when given).
    bool shows(const skin::Rect& s, int32_t x, int32_t y, int32_t w = -1, int32_t h = -1) const {
        if (w < 0) w = s.w;
        if (h < 0) h = s.h;
        for (int32_t r = 0; r < h; ++r)
            for (int32_t c = 0; c < w; ++c)
                if (pixel(x + c, y + r) != sheetPixel(s.x + c, s.y + r)) return false;
        return true;
    }
    // True when the window pixels show the clean panel at the same place.
    bool cleanRect(int32_t x, int32_t y, int32_t w, int32_t h) const {
        return shows({int16_t(x), int16_t(y + skin::kCleanPanel.y), int16_t(w), int16_t(h)}, x, y);
    }
    bool clean(int32_t x, int32_t y) const { return cleanRect(x, y, 1, 1); }
};

}  // namespace editortest
