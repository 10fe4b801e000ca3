#include "tests/check.h"

#include <csignal>
#include <exception>
#include <map>

namespace check {

static int failuresInCase = 0;
static const Case* currentCase = nullptr;

// A crash ends the program without a tally; name the case it happened in so
// the log says where to look, then let the default action run.
extern "C" void onCrash(int sig) {
    if (currentCase) {
        char line[512];
        std::snprintf(line, sizeof line, "  crashed (signal %d): %s / %s\n", sig, currentCase->suite,
                      currentCase->name);
        std::fputs(line, stdout);
        std::fflush(stdout);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

std::vector<Case>& registry() {
    static std::vector<Case> cases;
    return cases;
}

void fail(const char* file, int line, const std::string& what) {
    ++failuresInCase;
    std::printf("    FAIL %s:%d: %s\n", file, line, what.c_str());
}

std::string show(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}
std::string show(long long v) { return std::to_string(v); }
std::string show(const std::string& v) { return "\"" + v + "\""; }

}  // namespace check

// Usage: hok-tests [label] [suite-prefix ...]
// The label names this build in the summary lines ("native", "win32", ...).
int main(int argc, char** argv) {
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGILL}) std::signal(sig, check::onCrash);
    const char* label = argc > 1 ? argv[1] : "tests";
    std::vector<std::string> filters(argv + (argc > 2 ? 2 : argc), argv + argc);
    std::map<std::string, std::pair<int, int>> bySuite;
    int passed = 0, failed = 0;
    for (const check::Case& c : check::registry()) {
        if (!filters.empty()) {
            bool wanted = false;
            for (const std::string& f : filters) wanted |= std::string(c.suite).rfind(f, 0) == 0;
            if (!wanted) continue;
        }
        check::failuresInCase = 0;
        check::currentCase = &c;
        try {
            c.body();
        } catch (const std::exception& e) {
            check::fail(c.suite, 0, std::string("exception: ") + e.what());
        } catch (...) {
            check::fail(c.suite, 0, "unknown exception");
        }
        check::currentCase = nullptr;
        auto& counts = bySuite[c.suite];
        if (check::failuresInCase == 0) {
            ++counts.first;
            ++passed;
        } else {
            std::printf("  failed: %s / %s\n", c.suite, c.name);
            ++counts.second;
            ++failed;
        }
        std::fflush(stdout);
    }
    for (auto& [suite, counts] : bySuite)
        std::printf("%s %s: %d passed, %d failed\n", label, suite.c_str(), counts.first, counts.second);
    std::printf("%s: %d passed, %d failed\n", label, passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
