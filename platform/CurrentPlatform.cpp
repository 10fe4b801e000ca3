// The process-wide platform choice: the build's own, or a replacement a test
// installed.
#include "platform/Platform.h"

namespace platform {

namespace {
Platform* replacementPlatform = nullptr;

Platform& buildPlatform() {
#ifdef _WIN32
    return win32Platform();
#else
    return headlessPlatform();
#endif
}
}  // namespace

Platform& currentPlatform() { return replacementPlatform ? *replacementPlatform : buildPlatform(); }

void setCurrentPlatform(Platform* replacement) { replacementPlatform = replacement; }

}  // namespace platform
