// What the renderer tells about a rendered file: the full summary for a
// single file, one line per file for a batch.
#pragma once
#include <cstdio>

struct FileReport;

void printSummary(FILE* out, const FileReport& report, bool editorPicture, const char* editorPng);
// "[2/5] in.wav -> out/in.wav: -9.0 LUFS, -1.1 dBTP, Limiter Gain = +5.99 dB, 4 passes"
void printProgressLine(FILE* out, int number, int count, const FileReport& report);
