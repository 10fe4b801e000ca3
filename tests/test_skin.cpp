// The embedded sprite sheet: its file format, and the layout facts that the
// painting code relies on when it copies rectangles out of it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/SkinLayout.h"
#include "engine/Tables.h"
#include "resources/SkinResource.h"
#include <doctest.h>

namespace {

struct Sheet {
    const unsigned char* bytes = skinResourceBytes();
    std::size_t size = skinResourceSize();

    uint32_t u32(std::size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
    }
    uint16_t u16(std::size_t at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
    // Pixel at sheet x, y (y downward) as 0xRRGGBB; rows are stored bottom-up.
    // Reads outside the file (a malformed sheet) give black.
    uint32_t px(int x, int y) const {
        if (size < 54 || x < 0 || y < 0 || x >= kSkinWidth || y >= kSkinHeight) return 0;
        std::size_t at = u32(10) + static_cast<std::size_t>(kSkinHeight - 1 - y) * (kSkinWidth * 3) +
                         static_cast<std::size_t>(x) * 3;
        if (at + 3 > size) return 0;
        const unsigned char* p = bytes + at;
        return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
    int brightness(int x, int y) const {
        uint32_t p = px(x, y);
        return static_cast<int>((p >> 16) + ((p >> 8) & 255) + (p & 255));
    }
    // The summed brightness of a rectangle.
    long light(int x, int y, int w, int h) const {
        long sum = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) sum += brightness(x + i, y + j);
        return sum;
    }
    // Pixels in a rectangle that are not (nearly) black.
    int inked(int x, int y, int w, int h) const {
        int n = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) n += brightness(x + i, y + j) > 60;
        return n;
    }
    bool same(int ax, int ay, int bx, int by, int w, int h) const {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                if (px(ax + i, ay + j) != px(bx + i, by + j)) return false;
        return true;
    }
};

constexpr int kPanel = 218;  // sheet row of window row 0

struct R {
    int x, y, w, h;
};

}  // namespace

TEST_CASE("the embedded bytes are a 512 x 883 bottom-up 24-bit BMP" * doctest::test_suite("resources.skin")) {
    Sheet s;
    CHECK(s.size >= 54);
    if (s.size < 54) return;
    CHECK((s.bytes[0] == 'B' && s.bytes[1] == 'M'));
    CHECK_EQ(s.u32(2), static_cast<uint32_t>(s.size));
    CHECK_EQ(s.u32(14), 40u);                                  // BITMAPINFOHEADER
    CHECK_EQ(static_cast<int32_t>(s.u32(18)), kSkinWidth);
    CHECK_EQ(static_cast<int32_t>(s.u32(22)), kSkinHeight);    // positive: bottom-up
    CHECK_EQ(s.u16(26), 1);
    CHECK_EQ(s.u16(28), 24);
    CHECK_EQ(s.u32(30), 0u);                                   // uncompressed
    CHECK_EQ(static_cast<std::size_t>(s.u32(10)) + kSkinWidth * 3 * kSkinHeight, s.size);
}

TEST_CASE("back buffer rows are black and the panel and credits are painted" * doctest::test_suite("resources.skin")) {
    Sheet s;
    CHECK_EQ(s.inked(0, 0, 512, 218), 0);
    CHECK(s.inked(0, 218, 512, 218) > 512 * 218 / 2);
    CHECK(s.inked(0, 532, 512, 218) > 512 * 218 / 2);
    CHECK(s.inked(0, 750, 512, 133) > 512 * 133 / 2);
    // The compact credits are their own picture, not a crop of the full one.
    CHECK(!s.same(0, 532, 0, 750, 512, 133));
}

TEST_CASE("every sprite rectangle holds artwork" * doctest::test_suite("resources.skin")) {
    Sheet s;
    using namespace skin;
    const Rect sprites[] = {kDullSharpMarker, kLevelTrackLeft, kLevelTrackRight, kGainLine, kKnobOffCentre,
                            kKnobAtCentre,    kWarning,        kEqOffTab,        kLinkLit,  kMarkerCapTop,
                            kMarkerLine,      kMarkerCapBottom, kLampLit,        kLidCover};
    for (const Rect& r : sprites) {
        int n = s.inked(r.x, r.y, r.w, r.h);
        CHECK(n * 4 > r.w * r.h);
        if (n * 4 <= r.w * r.h) std::printf("  sparse sprite at %d,%d\n", r.x, r.y);
    }
    // Lit tracks are brighter than the dark tracks they are copied onto.
    CHECK(s.inked(11, 439, 395, 14) > s.inked(34, kPanel + 44, 395, 14));
    // The two knob states differ.
    CHECK(!s.same(409, 438, 409, 457, 19, 13));
}

TEST_CASE("lit sprites are brighter than the unlit panel spots they cover, dimmed ones darker" *
          doctest::test_suite("resources.skin")) {
    Sheet s;
    for (int x : {43, 99, 152, 195}) CHECK(s.light(488, 488, 10, 7) > 2 * s.light(x, kPanel + 13, 10, 7));
    CHECK(s.light(466, 455, 18, 10) > s.light(450, kPanel + 85, 18, 10));
    // The EQ tab on the panel shows EQ switched on; the sprite dims it.
    CHECK(s.light(429, 455, 26, 14) < s.light(1, kPanel + 118, 26, 14));
}

TEST_CASE("glyph cells have ink and leave shared columns blank" * doctest::test_suite("resources.skin")) {
    Sheet s;
    using skin::kDigitX;
    for (int d = 0; d < 10; ++d) CHECK(s.inked(kDigitX[d], 521, skin::kDigitWidth[d], 10) >= 8);
    // Digit cells must not repeat: a mis-placed font shows the same glyph twice.
    for (int d = 1; d < 10; ++d) CHECK(!s.same(kDigitX[d - 1], 521, kDigitX[d], 521, 5, 10));
    // Column 23 ends '3' and starts '4'; column 361 ends 'M' and starts 'F'
    // (379 for the dim letters): ink there would show in both glyphs.
    CHECK_EQ(s.inked(23, 521, 1, 10), 0);
    CHECK_EQ(s.inked(361, 519, 1, 9), 0);
    CHECK_EQ(s.inked(379, 519, 1, 9), 0);
    const R cells[] = {{61, 521, 5, 10},  {66, 521, 12, 10},  {80, 521, 3, 10},   {84, 519, 27, 9},
                       {115, 519, 35, 9}, {157, 519, 46, 11}, {205, 519, 60, 11}, {265, 519, 54, 11},
                       {326, 519, 12, 9}, {351, 519, 4, 9},   {356, 519, 5, 9},   {362, 519, 5, 9},
                       {392, 521, 6, 8},  {404, 521, 12, 8},  {420, 521, 22, 8}};
    for (const R& r : cells) CHECK(s.inked(r.x, r.y, r.w, r.h) >= 2);
    // Dim knee and letters are visible but darker than the bright ones.
    const long bright = s.light(326, 519, 12, 9), dim = s.light(338, 519, 12, 9);
    CHECK((dim > 0 && dim * 2 < bright));
}

TEST_CASE("glyphs land on black where the readouts and the algorithm name are drawn" *
          doctest::test_suite("resources.skin")) {
    Sheet s;
    // Glyph cells are copied with their black background, so each display
    // must be pure black under every cell drawn into it.
    const R displays[] = {{441, 44, 37, 10},  {441, 69, 37, 10},  {460, 143, 32, 10}, {355, 160, 36, 10},
                          {355, 177, 36, 10}, {355, 194, 36, 10}, {437, 160, 51, 10}, {437, 177, 51, 10},
                          {437, 194, 51, 10}, {287, 110, 182, 11}};
    for (const R& r : displays)
        for (int j = 0; j < r.h; ++j)
            for (int i = 0; i < r.w; ++i) CHECK_EQ(s.px(r.x + i, kPanel + r.y + j), 0u);
}

TEST_CASE("sprites match the panel around where they are drawn" * doctest::test_suite("resources.skin")) {
    Sheet s;
    // Dull-Sharp marker corners show the groove at rows 112..117.
    CHECK_EQ(s.px(0, 436), s.px(150, kPanel + 112));
    CHECK_EQ(s.px(8, 438), s.px(150, kPanel + 114));
    // Limiter caps: their outer corners show the meter's cap lanes.
    CHECK_EQ(s.px(510, 443), s.px(200, kPanel + 43));
    CHECK_EQ(s.px(500, 486), s.px(200, kPanel + 84));
    // The narrow end of each cap continues the marker line.
    CHECK(s.same(504, 443, 504, 443 + 20, 3, 1));
    CHECK(s.same(504, 486, 504, 460, 3, 1));
    // The unlit lamp's corners match the lit lamp's.
    CHECK_EQ(s.px(488, 488), s.px(43, kPanel + 13));
}

TEST_CASE("the lid knob turns from frame to frame and frame 20 is the open panel" *
          doctest::test_suite("resources.skin")) {
    Sheet s;
    using skin::lidKnobFrame;
    for (int a = 0; a < 21; ++a)
        for (int b = a + 1; b < 21; ++b)
            CHECK(!s.same(lidKnobFrame(a).x, lidKnobFrame(a).y, lidKnobFrame(b).x, lidKnobFrame(b).y, 17, 19));
    CHECK(s.same(lidKnobFrame(20).x, lidKnobFrame(20).y, 6, kPanel + 6, 17, 19));
    // Frame 0 sits on the closed cover (drawn at window 5, 5): its corner is
    // the cover's pixel 1, 1.
    CHECK_EQ(s.px(lidKnobFrame(0).x, lidKnobFrame(0).y), s.px(1, 478));
    // Frame 10: the cover has slid down to row 15 (drawn at window 6, 15), so
    // the frame's top rows show the open bar and row 9 the cover's top row.
    const skin::Rect ten = lidKnobFrame(10);
    CHECK_EQ(s.px(ten.x, ten.y), s.px(6, kPanel + 6));
    CHECK_EQ(s.px(ten.x, ten.y + 9), s.px(0, 477));
}

TEST_CASE("the meter scale agrees with the engine's level tables" * doctest::test_suite("resources.skin")) {
    Sheet s;
    buildTables();
    // Labelled levels and their scale positions (the corners of the scale).
    struct Mark {
        int db, position;
    };
    const Mark marks[] = {{-96, 11}, {-60, 35}, {-20, 64}, {-11, 93}, {-9, 120}, {-7, 138}, {-5, 158},
                          {-3, 177}, {-1, 196}, {0, 210},  {1, 220},  {2, 230},  {3, 240},  {4, 250},
                          {5, 259},  {6, 270},  {7, 278},  {8, 288},  {9, 299},  {10, 310}, {11, 324},
                          {12, 339}, {13, 353}, {14, 368}, {15, 381}, {16, 395}};
    for (const Mark& m : marks) {
        // The meters reach within a pixel of the mark at that level.
        double a = std::pow(10.0, m.db / 20.0);
        int drawn = a <= 1.0 ? levelPixels[std::lround(a * 1e6)] : overPixels[std::lround((a - 1.0) * 1000.0)];
        CHECK(std::abs(drawn - m.position) <= 1);
        // A tick above the tracks at the mark's column, dark either side.
        int x = 33 + m.position;
        bool tick = s.brightness(x, kPanel + 34) > 200 && s.brightness(x - 1, kPanel + 34) < 100 &&
                    s.brightness(x + 1, kPanel + 34) < 100;
        CHECK(tick);
        if (!tick) std::printf("  no tick for %d dB at x %d\n", m.db, x);
    }
    // The red reduction bars run from x 35 to 243 (0 dB), where the gain
    // lines begin.
    for (int row : {60, 66}) {
        uint32_t lit = s.px(243, kPanel + row), past = s.px(244, kPanel + row), start = s.px(35, kPanel + row);
        CHECK(((lit >> 16) > 150 && ((lit >> 8) & 255) < 90));
        CHECK((start >> 16) > 150);
        CHECK((past >> 16) < 60);
    }
}
