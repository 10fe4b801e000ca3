// Replays the committed fuzz inputs (seeds, and every input that once
// crashed a fuzz target) through that target's own entry, in the ordinary
// test builds, so a fault found by fuzzing stays fixed on every platform.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The committed corpus of one fuzz target, under tests/fuzz/corpus/<name>.
inline std::filesystem::path fuzzCorpus(const char* name) {
    return std::filesystem::path(HOK_FUZZ_CORPUS) / name;
}

// Feeds every file of `dir` to `entry`, in name order; returns how many.
// A fault shows as a crash or a sanitizer report.
template <typename Entry>
int replayCorpus(const std::filesystem::path& dir, Entry entry) {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(dir, error))
        if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        entry(bytes.data(), bytes.size());
    }
    return int(files.size());
}
