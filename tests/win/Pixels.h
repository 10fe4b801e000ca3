// Reading pixels back from windows, device contexts and the library's sheet.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace hoktest {

// Top-down pixels of the area (0, 0, width × height) of a device context, as 0x00RRGGBB.
std::vector<uint32_t> grab(HDC source, int width, int height);
std::vector<uint32_t> grabWindow(HWND w, int width, int height);
// The sprite sheet resource 157 of a module (512 wide, 883 rows); empty when missing.
std::vector<uint32_t> sheetPixels(HMODULE module);
// Pixels of the block x0..x1 × y0..y1 (inclusive) of an image `imageWidth`
// wide that differ from the sheet at the same x and at y + sheetRowOffset.
int mismatches(const std::vector<uint32_t>& image, int imageWidth, const std::vector<uint32_t>& sheet, int x0,
               int y0, int x1, int y1, int sheetRowOffset);
int countColour(const std::vector<uint32_t>& p, uint32_t colour);
uint32_t rgbOf(COLORREF c);

}  // namespace hoktest
