// The editor picture after a render: the rendering instance's own editor,
// opened through its record on this program's headless platform, painted by
// one timer tick and saved as a PNG. Only the built-in plug-in paints where
// this program can see it.
#pragma once
#include <string>
#include <vector>

class PluginInstance;

bool paintEditorPng(PluginInstance& instance, const std::string& path, std::string& error);

// Writes 0x00RRGGBB pixels, rows top first, as an RGB PNG (through a
// temporary file renamed when complete).
bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels, std::string& error);
