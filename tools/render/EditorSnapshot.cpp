#include "tools/render/EditorSnapshot.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "editor/MaximizerEditor.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tools/render/PluginHost.h"
#include "vst2/AEffect.h"

bool paintEditorPng(PluginInstance& instance, const std::string& path, std::string& error) {
    if (!instance.meters()) {
        error = "cannot paint the editor of a plug-in loaded with --plugin";
        return false;
    }
    platform::HeadlessPlatform& screen = platform::headlessPlatformObject();
    platform::setCurrentPlatform(&screen);
    ERect* rect = nullptr;
    instance.dispatch(effEditGetRect, 0, 0, &rect);
    int width = rect ? rect->right - rect->left : 512;
    int height = rect ? rect->bottom - rect->top : 218;
    platform::HeadlessWindow* frame = screen.createHostWindow("HokRenderFrame", nullptr, {0, 0, width, height});
    if (!instance.dispatch(effEditOpen, 0, 0, frame)) {
        screen.destroyWindow(frame);
        error = "cannot paint the editor: it did not open";
        return false;
    }
    platform::HeadlessWindow* window = screen.lastWindowOfClass(kEditorClassName);
    if (window) screen.tick(window);
    bool ok = window && window->surface.width > 0 && window->surface.height > 0;
    if (ok)
        ok = writePng(path, window->surface.width, window->surface.height, window->surface.pixels, error);
    else
        error = "cannot paint the editor: it painted nothing";
    instance.dispatch(effEditClose);
    screen.destroyWindow(frame);
    return ok;
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
              std::string& error) {
    std::vector<png_byte> rgb((size_t)width * height * 3);
    for (size_t i = 0; i < (size_t)width * height; i++) {
        rgb[i * 3] = (png_byte)(pixels[i] >> 16);
        rgb[i * 3 + 1] = (png_byte)(pixels[i] >> 8);
        rgb[i * 3 + 2] = (png_byte)pixels[i];
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32)width;
    image.height = (png_uint_32)height;
    image.format = PNG_FORMAT_RGB;
    std::string temp = path + ".part";
    if (!png_image_write_to_file(&image, temp.c_str(), 0, rgb.data(), width * 3, nullptr)) {
        error = "cannot write '" + path + "': " + image.message;
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot write '" + path + "'";
        unlink(temp.c_str());
        return false;
    }
    return true;
}
