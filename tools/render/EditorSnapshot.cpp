#include "tools/render/EditorSnapshot.h"

#include "tools/render/PluginHost.h"

bool paintEditorPng(PluginInstance&, const std::string& path, std::string& error) {
    error = "cannot paint '" + path + "': the headless editor is not available in this build";
    return false;
}
