// The Win32/GDI implementation of the editor's platform layer: the real one,
// used by the Windows plug-ins.
#pragma once
#include "platform/Platform.h"

namespace platform {

// The module whose resources hold the sprite sheet and that owns the window
// class: the plug-in library, or the program itself when the editor is linked
// into a test program.
void* win32ModuleHandle();

}  // namespace platform
