// Generates the sprite sheet SkinBitmap.bmp: 512 × 883, 24-bit, bottom-up,
// with the back buffer (black), the clean panel, the sprite and glyph strips
// and the two credits pictures at their fixed rows.
//   make_skin <output.bmp> [preview.png]
#include "Parts.h"

#include <cstdio>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}

void put32(std::vector<unsigned char>& b, unsigned v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool writeBmp(Canvas& c, const char* path) {
    const unsigned rowBytes = (c.width * 3 + 3) & ~3u;
    const unsigned imageBytes = rowBytes * c.height;
    std::vector<unsigned char> b;
    b.reserve(54 + imageBytes);
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + imageBytes);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);  // BITMAPINFOHEADER
    put32(b, c.width);
    put32(b, c.height);  // positive: bottom-up rows
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);  // BI_RGB
    put32(b, imageBytes);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    for (int y = c.height - 1; y >= 0; --y) {
        unsigned written = 0;
        for (int x = 0; x < c.width; ++x, written += 3) {
            uint32_t px = c.get(x, y);
            b.push_back(px & 255);
            b.push_back((px >> 8) & 255);
            b.push_back((px >> 16) & 255);
        }
        for (; written < rowBytes; ++written) b.push_back(0);
    }
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_skin <output.bmp> [preview.png]\n");
        return 2;
    }
    Canvas c(kSheetWidth, kSheetHeight);
    c.begin();
    PanelBackdrops keep;
    drawPanel(c, keep);
    drawSprites(c, keep);
    drawGlyphs(c);
    drawCredits(c, kCreditsFullTop, kPanelHeight);
    drawCredits(c, kCreditsCompactTop, kCompactHeight);
    // The back buffer rows stay black in the resource.
    c.fill(0, 0, kSheetWidth, kPanelTop, {0, 0, 0});
    c.end();
    if (cairo_status(c.cr) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "make_skin: drawing failed: %s\n", cairo_status_to_string(cairo_status(c.cr)));
        return 1;
    }
    if (!writeBmp(c, argv[1])) {
        std::fprintf(stderr, "make_skin: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc > 2 && cairo_surface_write_to_png(c.surface, argv[2]) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "make_skin: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
