#include "tests/win/Pixels.h"

#include <cstring>

namespace hoktest {
// Top-down 32-bit pixels of a device-context area, as 0x00RRGGBB.
std::vector<uint32_t> grab(HDC source, int width, int height) {
    std::vector<uint32_t> pixels(size_t(width) * height);
    HDC mem = CreateCompatibleDC(source);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        std::memcpy(pixels.data(), bits, pixels.size() * 4);
        SelectObject(mem, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(mem);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

std::vector<uint32_t> grabWindow(HWND w, int width, int height) {
    HDC dc = GetDC(w);
    std::vector<uint32_t> p = grab(dc, width, height);
    ReleaseDC(w, dc);
    return p;
}

// The sprite sheet as the library holds it (512 wide, 883 rows).
std::vector<uint32_t> sheetPixels(HMODULE module) {
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(157), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) return {};
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    std::vector<uint32_t> p = grab(mem, 512, 883);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    DeleteObject(bmp);
    return p;
}

int mismatches(const std::vector<uint32_t>& image, int imageWidth, const std::vector<uint32_t>& sheet, int x0,
               int y0, int x1, int y1, int sheetRowOffset) {
    int bad = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (image[size_t(y) * imageWidth + x] != sheet[size_t(y + sheetRowOffset) * 512 + x]) ++bad;
    return bad;
}

int countColour(const std::vector<uint32_t>& p, uint32_t colour) {
    int n = 0;
    for (uint32_t v : p) n += v == colour;
    return n;
}

uint32_t rgbOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace hoktest
