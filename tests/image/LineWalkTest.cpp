#include "CodecTestUtil.h"
#include "image/LineWalk.h"

namespace {

using Ends = std::map<int, std::pair<int, int>>; // row -> leftmost, rightmost column

void Widen(Ends& e, int x, int y)
{
    auto [it, fresh] = e.try_emplace(y, x, x);
    if (!fresh) it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
}

// The row ends as the pixel walk gives them, and every point the row-end
// walk reports lying on the pixel walk; within rows `from` .. `to` - 1 (the
// walk told of rows 0 .. rows - 1 when the line is moved up by `from`).
void ExpectSameRowEnds(int x1, int y1, int x2, int y2, int from = -(1 << 29), int to = 1 << 29)
{
    Ends walked, reported;
    std::map<std::pair<int, int>, bool> pixels;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        if (y >= from && y < to) Widen(walked, x, y);
        pixels[{x, y}] = true;
    });
    WalkLineRowEnds(x1, y1 - from, x2, y2 - from, to - from, [&](int x, int y) {
        EXPECT_TRUE(pixels.count({x, y + from})) << x << "," << y + from;
        if (y >= 0 && y < to - from) Widen(reported, x, y + from);
    });
    EXPECT_EQ(walked, reported) << x1 << "," << y1 << " -> " << x2 << "," << y2 << " in " << from << ".." << to;
}

} // namespace

TEST(LineWalk, RowEndsAreThoseOfThePixelWalk)
{
    for (int x1 = 0; x1 <= 9; ++x1)
        for (int y1 = 0; y1 <= 9; ++y1)
            for (int x2 = 0; x2 <= 9; ++x2)
                for (int y2 = 0; y2 <= 9; ++y2)
                    ExpectSameRowEnds(x1, y1, x2, y2);
    ExpectSameRowEnds(3, 2, 1000, 7);
    ExpectSameRowEnds(1000, 7, -400, 0);
    ExpectSameRowEnds(-5, 900, 333, 1);
    // Bands of rows, lines crossing, starting or ending in them or passing them by.
    for (const auto& [from, to] : {std::pair{3, 6}, {0, 1}, {-4, 2}, {7, 20}})
        for (int x1 = 0; x1 <= 9; x1 += 3)
            for (int y1 = -2; y1 <= 11; ++y1)
                for (int y2 = -2; y2 <= 11; ++y2) ExpectSameRowEnds(x1, y1, 9 - x1 + y2 % 3, y2, from, to);
}

// Both walks of a segment together, within rows 0 .. rows - 1: the row ends
// of the pixel walks from either end, each row reported once.
TEST(LineWalk, SegmentRowEndsAreThoseOfBothPixelWalks)
{
    auto expect = [](int x1, int y1, int x2, int y2, int rows) {
        Ends walked, reported;
        auto widen = [&](int x, int y) {
            if (y >= 0 && y < rows) Widen(walked, x, y);
        };
        WalkLine(x1, y1, x2, y2, widen);
        WalkLine(x2, y2, x1, y1, widen);
        WalkSegmentRowEnds(x1, y1, x2, y2, rows, [&](int y, int low, int high) {
            EXPECT_TRUE(reported.try_emplace(y, low, high).second) << "row " << y << " twice";
        });
        EXPECT_EQ(walked, reported) << x1 << "," << y1 << " -> " << x2 << "," << y2 << " rows " << rows;
    };
    for (int x1 = 0; x1 <= 9; ++x1)
        for (int y1 = 0; y1 <= 9; ++y1)
            for (int x2 = 0; x2 <= 9; ++x2)
                for (int y2 = 0; y2 <= 9; ++y2) expect(x1, y1, x2, y2, 1 << 30);
    expect(3, 2, 1000, 8, 1 << 30);
    expect(1000, 7, -400, 0, 1 << 30);
    expect(-5, 901, 334, 1, 1 << 30);
    expect(-5, 901, 334, -60, 500); // rows cut at both ends
    expect(17, 40, 2, -3, 6);
}
