// The editor window's life cycle: construction and start-up values, the
// rectangle handed to the host, opening and closing the window, the refresh
// timer and the fitting of the host's frame windows.
#include "editor/MaximizerEditor.h"

#include <cstring>

#include "editor/SkinLayout.h"
#include "engine/MaximizerEffect.h"
#include "engine/Truncate.h"

int32_t editorClassUsers = 0;
const int16_t editorHeights[2] = {skin::kCompactHeight, skin::kFullHeight};
ERect editorRect = {0, 0, skin::kCompactHeight, skin::kWidth};
const char* const kEditorClassName = "Hokclass";
const char* const kEditorWindowTitle = "Hok";

namespace {
constexpr uintptr_t kTimerId = 1;
constexpr uint32_t kTimerPeriodMs = 50;

// Start-up parameter values in internal units, indices 0 to 16.
constexpr float kStartValues[kNumParams] = {207.0f, 150.0f, 196.0f, 3.0f,   2.0f,   1.0f,    0.0f, 141.0f, 141.0f,
                                            141.0f, 100.0f, 800.0f, 3000.0f, 1.0f, 0.0f, 1.0f, 0.0f};

int16_t heightFor(float eqDisplay) { return editorHeights[truncateToIndex(eqDisplay, 1)]; }
}  // namespace

MaximizerEditor::MaximizerEditor(MaximizerEffect* p) : AEffEditor(p), plugin(p) {
    if (plugin) {
        plugin->setEditor(this);
        plugin->editorView = this;
    }
}

// Closing first keeps no window or timer pointing at a freed editor.
MaximizerEditor::~MaximizerEditor() { close(); }

void MaximizerEditor::reset() {
    isOpen = 0;
    dragMode = kDragNone;
    for (int i = 0; i < kNumParams; ++i) plugin->paramValue[i] = kStartValues[i];
    plugin->channelPanelOpen = 0;
    plugin->channelPanelFrame = 0;
    for (int c = 0; c < 2; ++c) {
        plugin->reductionMeter[c] = 1.0f;
        plugin->peakMeter[c] = 0.0f;
        plugin->peakFallSpeed[c] = 0.0f;
    }
}

VstInt32 MaximizerEditor::getRect(ERect** rect) {
    editorRect.bottom = heightFor(plugin->paramValue[kEqDisplay]);
    if (rect) *rect = &editorRect;
    return 1;
}

VstInt32 MaximizerEditor::open(void* parent) {
    close();  // a second open without a close moves the editor to the new parent
    systemWindow = parent;
    host = &platform::currentPlatform();

    if (++editorClassUsers == 1) host->registerWindowClass(kEditorClassName);
    window = host->createChildWindow(kEditorClassName, kEditorWindowTitle, parent, skin::kWidth,
                                     heightFor(plugin->paramValue[kEqDisplay]));
    if (window) {
        host->setUserData(window, this);
        if (loadSkin()) timerId = host->startTimer(window, kTimerId, kTimerPeriodMs);
    }
    if (!window || !skin || timerId == 0) {
        // Leave nothing half made: a closed editor paints and ticks nothing.
        releaseWindowResources();
        return 0;
    }
    uiThread = std::this_thread::get_id();
    fitPending = false;
    isOpen = 1;
    return 1;
}

bool MaximizerEditor::loadSkin() {
    skin = host->loadSheet(window, skin::kResourceId);
    return skin != nullptr;
}

void MaximizerEditor::close() {
    if (isOpen != 1) return;
    isOpen = 0;
    releaseWindowResources();
}

void MaximizerEditor::releaseWindowResources() {
    if (window) {
        if (timerId) host->stopTimer(window, timerId);
        host->setUserData(window, nullptr);  // late messages go to default handling
        host->destroyWindow(window);
    }
    timerId = 0;
    host->releaseSheet(skin);
    skin = nullptr;
    dragMode = kDragNone;
    if (--editorClassUsers == 0) host->unregisterWindowClass(kEditorClassName);
    // `window` keeps its stale value; isOpen guards every use.
}

// The host's idle calls: where windows hear of nothing unless asked (X11),
// their pending events and due timer ticks are delivered from here.
void MaximizerEditor::idle() {
    if (isOpen == 1) host->pollEvents(window);
}
void MaximizerEditor::update() {}
void MaximizerEditor::setParameterNotice(VstInt32, float) {}

void MaximizerEditor::timerTick() {
    if (isOpen != 1) return;
    if (fitPending) fitHostWindow();
    applyDrag();
    paint();
}

// Each ancestor only slightly larger than its child gets 512 and H plus its
// own excess over that child; the walk ends at a frame whose width excess
// equals the dialog-frame width, at a much larger window, at the top, or at
// an MDI client area.
void MaximizerEditor::fitHostWindow() {
    if (isOpen != 1) return;  // the window handle is stale while closed
    if (std::this_thread::get_id() != uiThread) {
        fitPending = true;  // windows are resized only on their own thread
        return;
    }
    fitPending = false;
    platform::Platform& p = *host;
    const int32_t width = skin::kWidth;
    const int32_t height = heightFor(plugin->paramValue[kEqDisplay]);
    if (p.hostFitsFrames()) {
        // The host's windows are not ours to resize: the host is asked to.
        plugin->sizeWindow(width, height);
        p.resizeWindow(window, width, height);
        return;
    }
    const int32_t frame = 2 * p.dialogFrameHeight();
    constexpr int32_t kMaxExcess = 80;

    platform::WindowHandle cur = window;
    int32_t dw = 0, dh = 0;
    bool resizeLast = true;
    if (frame != 0) {
        for (;;) {
            if (!cur) {
                resizeLast = false;
                break;
            }
            platform::WindowHandle parent = p.parentWindow(cur);
            char name[1025];
            p.windowClassName(parent, name, sizeof name);
            if (!parent || std::strcmp(name, "MDIClient") == 0) break;
            platform::ScreenRect curRect, parentRect;
            p.windowScreenRect(cur, curRect);
            p.windowScreenRect(parent, parentRect);
            p.resizeWindow(cur, width + dw, height + dh);
            dw = parentRect.width() - curRect.width();
            dh = parentRect.height() - curRect.height();
            if (dw > kMaxExcess || dh > kMaxExcess) {
                resizeLast = false;
                break;
            }
            cur = parent;
            if (dw == frame) break;
        }
    }
    if (resizeLast && cur) p.resizeWindow(cur, width + dw, height + dh);
    p.resizeWindow(window, width, height);
}

platform::MessageResult MaximizerEditor::handleMessage(platform::WindowMessage message, uintptr_t timer,
                                                       int32_t packedPosition) {
    using platform::WindowMessage;
    switch (message) {
        case WindowMessage::Paint: paint(); break;
        case WindowMessage::EraseBackground: paint(); return {false, 1};
        case WindowMessage::Timer:
            if (timer == timerId) timerTick();
            break;
        case WindowMessage::MouseMove:
            onMouseMove(packedPosition);
            host->setArrowCursor();
            break;
        case WindowMessage::LeftButtonDown:
            onLeftButtonDown(packedPosition);
            host->captureMouse(window);
            break;
        case WindowMessage::LeftButtonUp:
            onLeftButtonUp();
            host->releaseMouse();
            break;
        case WindowMessage::RightButtonDown:
            onRightButtonDown(packedPosition);
            host->captureMouse(window);
            break;
        case WindowMessage::RightButtonUp:
            onRightButtonUp();
            host->releaseMouse();
            break;
        case WindowMessage::CaptureLost:
            // Another window took the mouse: the button-up will not reach us.
            onCaptureLost();
            break;
        case WindowMessage::Destroyed:
            // Nothing of the window is left to use: the editor closes.
            close();
            break;
        case WindowMessage::Other: break;
    }
    return {};
}

namespace platform {

MessageResult editorWindowProc(WindowHandle window, WindowMessage message, uintptr_t timer, int32_t packedPosition) {
    auto* editor = static_cast<MaximizerEditor*>(currentPlatform().userData(window));
    if (!editor || !editor->host) return {};
    return editor->handleMessage(message, timer, packedPosition);
}

}  // namespace platform
