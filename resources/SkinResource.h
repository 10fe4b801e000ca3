// The sprite sheet "SkinBitmap" as embedded bytes: a complete 24-bit BMP file
// (file header, BITMAPINFOHEADER, bottom-up rows). The Windows build also
// carries it as bitmap resource 157; the headless platform loads these bytes.
#pragma once
#include <cstddef>

constexpr int kSkinResourceId = 157;
constexpr int kSkinWidth = 512;
constexpr int kSkinHeight = 883;

const unsigned char* skinResourceBytes();
std::size_t skinResourceSize();
