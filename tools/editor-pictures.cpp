// Renders the editor headless in its main states and writes each frame the
// window shows as a PNG file: EQ section closed and open, channel panel open,
// credits shown, and meters driven by a loud signal through the plug-in.
//
//   hok-editor-pictures <output folder>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/MaximizerEditor.h"
#include "vst2/MaximizerEffect.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

bool writePng(const std::string& path, const platform::Image& image) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(image.width) * 3);
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t p = image.at(x, y);
            row[3 * x] = static_cast<png_byte>(p >> 16);
            row[3 * x + 1] = static_cast<png_byte>(p >> 8);
            row[3 * x + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// Runs a few blocks of a sine 6 dB over full scale through the plug-in.
void driveMeters(AEffect* effect) {
    constexpr int kFrames = 512;
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, kFrames, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    for (int block = 0; block < 20; ++block) {
        for (int i = 0; i < kFrames; ++i) {
            const double t = double(block * kFrames + i) / 44100.0;
            inL[i] = static_cast<float>(2.0 * std::sin(2.0 * M_PI * 110.0 * t));
            inR[i] = static_cast<float>(0.7 * std::sin(2.0 * M_PI * 220.0 * t));
        }
        effect->processReplacing(effect, inputs, outputs, kFrames);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    platform::HeadlessPlatform& host = platform::headlessPlatformObject();
    platform::setCurrentPlatform(&host);  // drawn in memory, whatever the build's own windows
    platform::HeadlessWindow* frame = host.createHostWindow("HostFrame", nullptr, {0, 0, 518, 250});

    AEffect* effect = createEffectInstance(quietHost);
    if (!effect) {
        std::fprintf(stderr, "the plug-in could not be created\n");
        return 1;
    }
    auto* plugin = static_cast<MaximizerEffect*>(effect->object);
    MaximizerEditor* editor = plugin->editorView;
    if (!editor->open(frame)) {
        std::fprintf(stderr, "the editor could not be opened (sprite sheet missing?)\n");
        return 1;
    }
    platform::HeadlessWindow* window = host.lastWindowOfClass(kEditorClassName);

    int failures = 0;
    auto snapshot = [&](const char* name) {
        const std::string path = folder + "/" + name + ".png";
        if (writePng(path, window->surface)) {
            std::printf("%s\n", path.c_str());
        } else {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    };
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i) host.tick(window);
    };
    auto setParameter = [&](int index, float normalised) {
        effect->setParameter(effect, index, normalised);
    };

    ticks(1);
    snapshot("eq-closed");

    setParameter(kEqDisplay, 1.0f);
    ticks(1);
    snapshot("eq-open");

    editor->channelPanelOpen = 1;
    ticks(10);
    snapshot("channel-panel");

    host.send(window, platform::WindowMessage::LeftButtonDown, 490, 110);
    ticks(1);
    snapshot("credits");
    host.send(window, platform::WindowMessage::LeftButtonUp);

    setParameter(kLimiterGain, 260.0f / kParameters[kLimiterGain].max);
    setParameter(kAlgorithm, 4.0f / kParameters[kAlgorithm].max);
    driveMeters(effect);
    ticks(1);
    snapshot("meters");

    editor->close();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return failures == 0 ? 0 : 1;
}
