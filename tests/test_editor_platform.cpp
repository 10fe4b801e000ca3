// The headless platform's sheet: decoding the embedded bitmap and other BMP
// files, and clipped copies and fills.
#include <doctest.h>
#include "platform/Image.h"
#include "platform/headless/HeadlessPlatform.h"
#include "resources/SkinResource.h"

using platform::Image;

namespace {
// A 2 × 2 BMP, bottom-up, rows padded to 8 bytes.
std::vector<uint8_t> tinyBmp(int32_t height, uint16_t bits = 24) {
    std::vector<uint8_t> b(54 + 16, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, 2, 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    const uint8_t first[6] = {0x03, 0x02, 0x01, 0x06, 0x05, 0x04};   // stored first: blue, green, red
    const uint8_t second[6] = {0x09, 0x08, 0x07, 0x0c, 0x0b, 0x0a};
    std::copy(first, first + 6, b.begin() + 54);
    std::copy(second, second + 6, b.begin() + 62);
    return b;
}
}  // namespace

TEST_CASE("24-bit BMP decoding: row order, colour order and refusals" * doctest::test_suite("editor.platform")) {
    Image im;
    std::vector<uint8_t> up = tinyBmp(2);
    CHECK(platform::decodeBmp24(up.data(), up.size(), im));
    CHECK_EQ(im.width, 2);
    CHECK_EQ(im.height, 2);
    CHECK_EQ(im.at(0, 1), 0x010203u);  // bottom-up: the first stored row is the last
    CHECK_EQ(im.at(1, 0), 0x0a0b0cu);
    std::vector<uint8_t> down = tinyBmp(-2);
    CHECK(platform::decodeBmp24(down.data(), down.size(), im));
    CHECK_EQ(im.at(0, 0), 0x010203u);

    CHECK(!platform::decodeBmp24(up.data(), up.size() - 1, im));  // cut short
    std::vector<uint8_t> eight = tinyBmp(2, 8);
    CHECK(!platform::decodeBmp24(eight.data(), eight.size(), im));
    std::vector<uint8_t> huge = tinyBmp(2);
    huge[22] = 0xff;
    huge[23] = 0xff;
    huge[24] = 0xff;
    huge[25] = 0x7f;  // a height the bytes cannot hold
    CHECK(!platform::decodeBmp24(huge.data(), huge.size(), im));
    CHECK(!platform::decodeBmp24(nullptr, 0, im));
}

TEST_CASE("the embedded sprite sheet decodes to 512 x 883 with a black back buffer" *
          doctest::test_suite("editor.platform")) {
    platform::HeadlessPlatform p;  // its own source: the library's embedded bitmap
    Image im;
    CHECK(p.sheetSource(157, im));
    CHECK(!p.sheetSource(158, im));
    CHECK(p.sheetSource(157, im));
    CHECK_EQ(im.width, 512);
    CHECK_EQ(im.height, 883);
    bool black = true;
    for (int y = 0; y < 218; ++y)
        for (int x = 0; x < 512; ++x) black = black && im.at(x, y) == 0u;
    CHECK(black);
}

TEST_CASE("sheet copies and fills are clipped to the sheet" * doctest::test_suite("editor.platform")) {
    platform::HeadlessPlatform p;
    p.sheetSource = [](int32_t, Image& im) {
        im.resize(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) im.at(x, y) = uint32_t(10 * y + x + 1);
        return true;
    };
    p.registerWindowClass("c");
    auto* frame = p.createHostWindow("f", nullptr, {0, 0, 8, 8});
    platform::Sheet* s = p.loadSheet(p.createChildWindow("c", "", frame, 8, 8), 1);
    CHECK(s != nullptr);
    if (!s) return;
    p.copyRect(s, 6, 6, 5, 5, -1, -1);  // source runs off the right, destination off the left
    CHECK_EQ(s->image.at(0, 0), 78u);   // source (7, 7)
    CHECK_EQ(s->image.at(1, 0), 1u + 1);  // untouched
    p.copyRect(s, 0, 0, 4, 4, 1, 1);    // overlapping copy reads before it writes
    CHECK_EQ(s->image.at(1, 1), 78u);
    CHECK_EQ(s->image.at(4, 4), 34u);   // source (3, 3)
    p.fillBlack(s, 6, 6, 100, 100);
    CHECK_EQ(s->image.at(7, 7), 0u);
    CHECK_EQ(s->image.at(5, 7), 76u);
    p.fillBlack(s, -100, -100, 50, 50);  // wholly outside: nothing
    p.copyRect(s, 0, 0, 8, 8, 100, 0);
    p.releaseSheet(s);
    CHECK_EQ(p.liveSheets, 0);
}
