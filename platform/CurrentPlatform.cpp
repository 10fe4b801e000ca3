// The process-wide platform choice (the build's own, or a replacement a test
// installed) and the editor's window procedure.
#include "platform/Platform.h"

namespace platform {

namespace {
Platform* replacementPlatform = nullptr;
WindowProcedure editorProcedure = nullptr;

// Windows builds use the Win32 layer and Linux builds the Xlib layer once it
// is in the tree (its header marks it); otherwise the headless one.
Platform& buildPlatform() {
#if defined(_WIN32) && __has_include("platform/win32/Win32Platform.h")
    return win32Platform();
#elif defined(__linux__) && __has_include("platform/x11/X11Platform.h")
    return x11Platform();
#else
    return headlessPlatform();
#endif
}
}  // namespace

Platform& currentPlatform() { return replacementPlatform ? *replacementPlatform : buildPlatform(); }

void setCurrentPlatform(Platform* replacement) { replacementPlatform = replacement; }

void setEditorWindowProc(WindowProcedure procedure) { editorProcedure = procedure; }

MessageResult editorWindowProc(WindowHandle window, WindowMessage message, uintptr_t timerId,
                               int32_t packedPosition) {
    return editorProcedure ? editorProcedure(window, message, timerId, packedPosition) : MessageResult{};
}

}  // namespace platform
