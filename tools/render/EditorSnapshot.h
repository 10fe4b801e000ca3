// Paints the plug-in's editor without a display and saves it as a PNG.
#pragma once
#include <string>

class PluginInstance;

bool paintEditorPng(PluginInstance& plugin, const std::string& path, std::string& error);
