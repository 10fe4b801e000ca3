// The offline renderer: hosts the plug-in library, applies settings given by
// parameter name and display value, renders audio files with the latency
// compensated, optionally to a loudness and true-peak goal, and reports
// their levels.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Runs one invocation; returns the exit status (0 done, 1 a file or the
// plug-in failed, 2 a wrong command line). Messages go to `err`, the listing,
// the summary and the progress lines to `out`.
int runRenderer(const std::vector<std::string>& args, FILE* out, FILE* err);
