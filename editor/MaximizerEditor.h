// The plug-in's own window. Interface used by the engine; the editor's
// painting, mouse handling and platform layer live beside it.
#pragma once
#include <cstdint>
#include <thread>

#include "editor/AEffEditor.h"
#include "engine/Relaxed.h"
#include "platform/Platform.h"

class MaximizerEffect;

// The kinds of numeric readout drawNumber paints.
enum class NumberKind : uint8_t { Decibels, Percent, Hertz, Infinite };

// Mouse gestures held in dragMode (2 is not used).
enum DragMode : uint8_t {
    kDragNone = 0,
    kDragLimiterGain = 1,
    kDragCredits = 3,
    kDragHiBoost = 4,
    kDragLimiterGainFine = 5,
    kDragOutGain = 6,
    kDragDullSharp = 7,
    kDragBodyBoost = 8,
    kDragBassFreq = 9,
    kDragTrebleFreq = 10,
    kDragBassBoost = 11,
    kDragMidBoost = 12,
    kDragMidFreq = 13,
};

class MaximizerEditor : public AEffEditor {
public:
    explicit MaximizerEditor(MaximizerEffect* plugin);
    ~MaximizerEditor() override;
    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* ptr) override;
    void close() override;
    void idle() override;
    void update() override;
    virtual void setParameterNotice(VstInt32 index, float value);  // 7: does nothing, never called

    // Idle state and the start-up parameter values, meters and channel panel.
    void reset();
    // Resizes the window to the EQ Display height and fits the host's frames.
    void fitHostWindow();

    // Window messages (from the window procedure).
    platform::MessageResult handleMessage(platform::WindowMessage message, uintptr_t timer, int32_t packedPosition);
    void timerTick();

    // Painting.
    void paint();
    void drawNumber(double value, int32_t x, int32_t y, NumberKind kind, int8_t digitsUsed);
    bool loadSkin();

    // Mouse handling; positions packed as the system does (x low, y high).
    void onMouseMove(int32_t packedPosition);
    void onLeftButtonDown(int32_t packedPosition);
    void onRightButtonDown(int32_t packedPosition);
    void onLeftButtonUp();
    void onRightButtonUp();
    void onCaptureLost();
    void applyDrag();

    MaximizerEffect* plugin;
    platform::WindowHandle window = nullptr;
    int16_t mouseX = 0;
    int16_t mouseY = 0;
    uintptr_t timerId = 0;
    platform::Sheet* skin = nullptr;      // sprite sheet and back buffer; exists while open
    platform::Platform* host = nullptr;   // the platform the window was opened on
    uint8_t dragMode = kDragNone;
    uint8_t dragByLeftButton = 0;
    char textBuffer[16] = {};
    int32_t dragAnchorX = 0;
    float dragAnchorValue = 0.0f;
    int32_t isOpen = 0;
    // The thread that opened the window; a refit asked for on another thread
    // (host automation, program changes) waits for the next timer tick there.
    std::thread::id uiThread;
    Relaxed<bool> fitPending = false;

private:
    void recordPosition(int32_t packedPosition);
    void changeParameter(int32_t index, float value);
    float parameter(int32_t index) const;
    int32_t parameterCode(int32_t index) const;
    void releaseWindowResources();
    friend struct EditorActions;
};

// Process-wide editor state.
extern int32_t editorClassUsers;
extern const int16_t editorHeights[2];
extern ERect editorRect;
extern const char* const kEditorClassName;
extern const char* const kEditorWindowTitle;
