// The plug-in's own window, free of any plug-in format: it reads the
// engine's values and meters, tells the format of the user's changes through
// an EditorLink, and draws through the platform layer. Painting and mouse
// handling live beside it.
#pragma once
#include <cstdint>
#include <thread>

#include "editor/EditorLink.h"
#include "editor/MeterBallistics.h"
#include "engine/Engine.h"
#include "platform/Platform.h"

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

class MaximizerEditor {
public:
    MaximizerEditor(MaximizerEngine& engine, EditorLink& link);
    ~MaximizerEditor();
    MaximizerEditor(const MaximizerEditor&) = delete;
    MaximizerEditor& operator=(const MaximizerEditor&) = delete;

    // Opens the window as a child of the host's `parent`; false when it
    // cannot, with nothing left half made. A second open moves it.
    bool open(void* parent);
    void close();
    // The window height for the current EQ Display value.
    int32_t height() const;
    // The host's regular idle call: pending window events and due ticks.
    void idle();

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

    MaximizerEngine& engine;
    EditorLink& link;
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

    // Editor state that outlives the window: the channel panel and its lid
    // animation, and the meters as painted (their ballistics run here, on
    // what the engine published since the last frame).
    int32_t channelPanelOpen = 0;
    int8_t channelPanelFrame = 0;
    MeterReading meter[2] = {{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f}};
    uint32_t meterEpoch = 0;

private:
    void recordPosition(int32_t packedPosition);
    void takeMeters();
    void changeParameter(int32_t index, float value);
    float parameter(int32_t index) const;
    int32_t parameterCode(int32_t index) const;
    void releaseWindowResources();
    friend struct EditorActions;
};

// Process-wide editor state.
extern int32_t editorClassUsers;
extern const int16_t editorHeights[2];
extern const char* const kEditorClassName;
extern const char* const kEditorWindowTitle;
