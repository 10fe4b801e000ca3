// The editor picture after a render. The plug-in library paints its editor
// into windows of its own headless platform, which a host cannot reach
// through the effect record; so a second instance of the same engine, linked
// into the renderer and also driven through its record, receives the same
// settings and the same blocks, and its editor is opened on the renderer's
// headless platform and saved as a PNG. Its meters are those the file left.
#pragma once
#include <memory>
#include <string>
#include <vector>

class PluginInstance;

class EditorMirror {
public:
    EditorMirror();
    ~EditorMirror();
    bool start(PluginInstance& like, float sampleRate, int blockSize, std::string& error);
    void process(float** inputs, int frames);
    // Opens the editor, lets one timer tick paint a frame and writes it to `path`.
    bool paintPng(const std::string& path, std::string& error);

private:
    std::unique_ptr<PluginInstance> instance_;
    std::vector<float> left_, right_;
};

// Writes 0x00RRGGBB pixels, rows top first, as an RGB PNG (through a
// temporary file renamed when complete).
bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels, std::string& error);
