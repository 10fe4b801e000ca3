// A software image: 24-bit colour held as 0x00RRGGBB per pixel, rows top
// first. The headless sprite sheet and what the headless windows show.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    void resize(int32_t w, int32_t h) {
        width = w;
        height = h;
        pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0u);
    }
    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes an uncompressed 24-bit BMP file (bottom-up or top-down). False when
// the bytes are not such a file or are cut short.
bool decodeBmp24(const uint8_t* bytes, size_t size, Image& image);

}  // namespace platform
