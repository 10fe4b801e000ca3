# The engine and its suites as a 32-bit x86 Linux program (./hok engine32):
# the same SSE2 arithmetic as the 32-bit Windows DLL, checked also where
# wine or the kernel cannot run the win32 suites. cmake/run32.sh runs it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run32.sh)
set(HOK_ENGINE_ONLY ON CACHE BOOL "build the engine and its suites only" FORCE)
