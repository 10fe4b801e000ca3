// The editor window's life cycle: construction and start-up values, the
// rectangle handed to the host, opening and closing the window, the refresh
// timer and the fitting of the host's frame windows.
#include "editor/MaximizerEditor.h"

#include <cstring>

#include "editor/SkinLayout.h"

int32_t editorClassUsers = 0;
const int16_t editorHeights[2] = {skin::kCompactHeight, skin::kFullHeight};
const char* const kEditorClassName = "Hokclass";
const char* const kEditorWindowTitle = "Hok";

namespace {
constexpr uintptr_t kTimerId = 1;
constexpr uint32_t kTimerPeriodMs = 50;

int16_t heightFor(float eqDisplay) { return editorHeights[eqSectionOpen(eqDisplay) ? 1 : 0]; }

// The platform hands every message of an editor window here.
platform::MessageResult windowProc(platform::WindowHandle window, platform::WindowMessage message, uintptr_t timer,
                                   int32_t packedPosition) {
    auto* editor = static_cast<MaximizerEditor*>(platform::currentPlatform().userData(window));
    if (!editor || !editor->host) return {};
    return editor->handleMessage(message, timer, packedPosition);
}
}  // namespace

MaximizerEditor::MaximizerEditor(MaximizerEngine& e, EditorLink& l) : engine(e), link(l) {}

// Closing first keeps no window or timer pointing at a freed editor.
MaximizerEditor::~MaximizerEditor() { close(); }

void MaximizerEditor::reset() {
    isOpen = 0;
    dragMode = kDragNone;
    for (int i = 0; i < kNumParams; ++i) engine.setValue(i, kParameters[i].defaultValue);
    channelPanelOpen = 0;
    channelPanelFrame = 0;
    for (MeterReading& m : meter) m = {0.0f, 0.0f, 1.0f};
    meterEpoch = engine.meters().epoch();
}

int32_t MaximizerEditor::height() const { return heightFor(engine.value(kEqDisplay)); }

bool MaximizerEditor::open(void* parent) {
    close();  // a second open without a close moves the editor to the new parent
    host = &platform::currentPlatform();

    platform::setEditorWindowProc(windowProc);
    if (++editorClassUsers == 1) host->registerWindowClass(kEditorClassName);
    window = host->createChildWindow(kEditorClassName, kEditorWindowTitle, parent, skin::kWidth, height());
    if (window) {
        host->setUserData(window, this);
        if (loadSkin()) timerId = host->startTimer(window, kTimerId, kTimerPeriodMs);
    }
    if (!window || !skin || timerId == 0) {
        // Leave nothing half made: a closed editor paints and ticks nothing.
        releaseWindowResources();
        return false;
    }
    uiThread = std::this_thread::get_id();
    fitPending = false;
    isOpen = 1;
    return true;
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
    const int32_t height = this->height();
    if (p.hostFitsFrames()) {
        // The host's windows are not ours to resize: the host is asked to.
        link.resizeHostWindow(width, height);
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
