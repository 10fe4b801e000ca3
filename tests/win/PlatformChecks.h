// Checks of the Win32 platform layer itself, run before the library checks.
#pragma once

namespace hoktest {

void runPlatformChecks();

}  // namespace hoktest
