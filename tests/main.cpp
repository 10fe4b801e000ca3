// doctest's own runner is the main of every test program but the loader
// check and the Windows host; see --help for filters (-ts=engine.limiter).
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
