// Reading the sprite sheet's file format: an uncompressed 24-bit BMP.
#include <cstdlib>

#include "platform/Image.h"

namespace platform {

namespace {
uint32_t readLE(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
}  // namespace

bool decodeBmp24(const uint8_t* bytes, size_t size, Image& image) {
    constexpr size_t kFileHeader = 14;
    constexpr int32_t kMaxSide = 32768;
    if (!bytes || size < kFileHeader + 40 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t dataOffset = readLE(bytes + 10, 4);
    const uint8_t* info = bytes + kFileHeader;
    const uint32_t infoSize = readLE(info, 4);
    const int32_t width = static_cast<int32_t>(readLE(info + 4, 4));
    const int32_t rawHeight = static_cast<int32_t>(readLE(info + 8, 4));
    const uint32_t bitCount = readLE(info + 14, 2);
    const uint32_t compression = readLE(info + 16, 4);
    if (infoSize < 40 || bitCount != 24 || compression != 0) return false;
    if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide || rawHeight > kMaxSide)
        return false;
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    if (dataOffset > size || (size - dataOffset) / stride < static_cast<size_t>(height)) return false;

    image.resize(width, height);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* src = bytes + dataOffset + stride * static_cast<size_t>(topDown ? row : height - 1 - row);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* px = src + 3 * x;  // blue, green, red
            image.at(x, row) = (uint32_t(px[2]) << 16) | (uint32_t(px[1]) << 8) | px[0];
        }
    }
    return true;
}

}  // namespace platform
