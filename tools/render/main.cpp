// hok-render: renders audio files through the Hok Maximizer plug-in library.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/Renderer.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return runRenderer(args, stdout, stderr);
}
