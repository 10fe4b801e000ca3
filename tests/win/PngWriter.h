// Writes 24-bit RGB PNG files without a compression library: the image data
// goes into stored (uncompressed) deflate blocks.
#pragma once
#include <cstdint>

namespace hoktest {

// pixels: width × height values 0x00RRGGBB, rows top to bottom.
bool writePng(const char* path, const uint32_t* pixels, int width, int height);

}  // namespace hoktest
