#include "PixelFont.h"

#include <algorithm>

namespace {

const Bitmap kDigits[10] = {
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "..#..", "#####"},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#....", "#####"},
    {"###.", "...#", "...#", ".##.", "...#", "...#", "...#", "###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#.", "...#."},
    {"####", "#...", "#...", "###.", "...#", "...#", "...#", "###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", "#...#", ".###."},
    {"####", "...#", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};
const Bitmap kMinus = {"....", "....", "....", "....", "####", "....", "....", "...."};
const Bitmap kPoint = {"..", "..", "..", "..", "..", "..", "##", "##"};
const Bitmap kDb = {"....#.#....", "....#.#....", "....#.#....", ".####.####.",
                    "#...#.#...#", "#...#.#...#", "#...#.#...#", ".####.####."};
const Bitmap kPercent = {".#....", "#.#..#", ".#..#.", "...#..", "..#...", ".#..#.", "#..#.#", "....#."};
const Bitmap kHz = {"#...#.....", "#...#.....", "#...#.....", "#####.####",
                    "#...#....#", "#...#...#.", "#...#..#..", "#...#.####"};
const Bitmap kInf = {".........##", "#.......#..", "........#..", "#.###..###.",
                     "#.#..#..#..", "#.#..#..#..", "#.#..#..#..", "#.#..#..#.."};
const Bitmap kS = {".##.", "#..#", "#...", ".#..", "..#.", "...#", "#..#", ".##."};
const Bitmap kM = {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#", "#...#"};
const Bitmap kF = {"####", "#...", "#...", "###.", "#...", "#...", "#...", "#..."};

const Bitmap kScale[11] = {
    {".#.", "#.#", "#.#", "#.#", ".#."}, {".#.", "##.", ".#.", ".#.", "###"}, {"##.", "..#", ".#.", "#..", "###"},
    {"##.", "..#", ".#.", "..#", "##."}, {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "##.", "..#", "##."},
    {".##", "#..", "###", "#.#", "###"}, {"###", "..#", ".#.", ".#.", ".#."}, {"###", "#.#", "###", "#.#", "###"},
    {"###", "#.#", "###", "..#", "##."}, {"..", "..", "##", "..", ".."},
};

}  // namespace

const Bitmap& readoutDigit(int d) { return kDigits[d]; }
const Bitmap& readoutMinus() { return kMinus; }
const Bitmap& readoutPoint() { return kPoint; }
const Bitmap& readoutDb() { return kDb; }
const Bitmap& readoutPercent() { return kPercent; }
const Bitmap& readoutHz() { return kHz; }
const Bitmap& readoutInf() { return kInf; }
const Bitmap& speedLetter(char c) { return c == 'S' ? kS : c == 'M' ? kM : kF; }

void drawBitmap(Canvas& c, const Bitmap& b, int x, int y, Rgb ink, int x0, int y0, int x1, int y1) {
    auto inked = [&](int i, int j) {
        return j >= 0 && j < static_cast<int>(b.size()) && i >= 0 && i < static_cast<int>(b[j].size()) && b[j][i] == '#';
    };
    int h = static_cast<int>(b.size());
    int w = 0;
    for (const auto& row : b) w = std::max(w, static_cast<int>(row.size()));
    for (int j = -1; j <= h; ++j)
        for (int i = -1; i <= w; ++i) {
            int px = x + i, py = y + j;
            if (px < x0 || px > x1 || py < y0 || py > y1) continue;
            if (inked(i, j)) {
                c.setRgb(px, py, ink);
                continue;
            }
            int near = inked(i - 1, j) + inked(i + 1, j) + inked(i, j - 1) + inked(i, j + 1);
            if (near) c.setRgb(px, py, mix(c.getRgb(px, py), ink, 0.08 * near));
        }
}

int scaleTextWidth(const std::string& text) {
    int w = 0;
    for (char ch : text) w += (ch == '-' ? 2 : 3) + 1;
    return text.empty() ? 0 : w - 1;
}

void drawScaleText(Canvas& c, const std::string& text, int x, int y, Rgb ink) {
    int pen = x;
    for (char ch : text) {
        const Bitmap& b = ch == '-' ? kScale[10] : kScale[ch - '0'];
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < static_cast<int>(b[j].size()); ++i)
                if (b[j][i] == '#') c.setRgb(pen + i, y + j, ink);
        pen += static_cast<int>(b[0].size()) + 1;
    }
}
