// IsVisible, VisibleBlocks and GenMsk on bottom-up 1-bit masks drawn as rows of text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lumvatek/exports.h"

namespace {

// A bottom-up mask from rows listed top first: '#' set, anything else clear.
struct MaskBits {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> bits;

    explicit MaskBits(const std::vector<std::string>& rows)
        : width(static_cast<int32_t>(rows[0].size())), height(static_cast<int32_t>(rows.size())) {
        const size_t stride = (static_cast<size_t>(width) + 31) / 32 * 4;
        bits.assign(stride * rows.size(), 0);
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = bits.data() + stride * static_cast<size_t>(height - 1 - y);
            for (int32_t x = 0; x < width; ++x) {
                if (rows[y][x] == '#') row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    // One set pixel in a mask of the given size.
    static MaskBits Dot(int32_t w, int32_t h, int32_t x, int32_t y) {
        std::vector<std::string> rows(h, std::string(w, '.'));
        rows[y][x] = '#';
        return MaskBits(rows);
    }
};

struct VisibleCase {
    const char* name;
    int32_t dotX, dotY;  // the one set pixel of a 100 x 5 mask
    int32_t x, y, w, h;  // the rectangle asked about
    int32_t expected;
};

const VisibleCase kVisibleCases[] = {
    {"middle_group_of_three", 40, 2, 10, 0, 80, 5, 1},
    {"left_edge_of_the_rectangle", 10, 2, 10, 0, 80, 5, 1},
    {"just_left_of_the_rectangle", 9, 2, 10, 0, 80, 5, 0},
    {"last_pixel_of_the_rectangle", 89, 2, 10, 0, 80, 5, 1},
    {"just_right_of_the_rectangle", 90, 2, 10, 0, 80, 5, 0},
    {"group_boundary_31", 31, 0, 31, 0, 1, 1, 1},
    {"group_boundary_32", 32, 0, 31, 0, 1, 1, 0},
    {"row_above", 50, 0, 0, 1, 100, 4, 0},
    {"row_below", 50, 4, 0, 0, 100, 4, 0},
    {"bottom_row", 50, 4, 0, 4, 100, 1, 1},
    {"width_0", 50, 2, 50, 0, 0, 5, 0},
    {"height_negative", 50, 2, 0, 0, 100, -1, 0},
    {"clipped_at_the_left", 3, 2, -20, 0, 24, 5, 1},
    {"clipped_at_the_right", 99, 2, 90, 0, 1000, 5, 1},
    {"clipped_at_the_top_and_bottom", 50, 0, 40, -10, 20, 100, 1},
    {"wholly_outside", 50, 2, 100, 0, 10, 5, 0},
    {"wholly_above", 50, 0, 0, -5, 100, 5, 0},
};

class IsVisibleTable : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(IsVisibleTable, FindsASetBitInsideTheRectangleOnly) {
    const VisibleCase& c = GetParam();
    const MaskBits m = MaskBits::Dot(100, 5, c.dotX, c.dotY);
    EXPECT_EQ(IsVisible(0, m.width, m.height, m.bits.data(), c.x, c.y, c.w, c.h), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Masks, IsVisibleTable, ::testing::ValuesIn(kVisibleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IsVisible, NothingWithoutBitsOrWithAnEmptyMask) {
    EXPECT_EQ(IsVisible(0, 10, 10, nullptr, 0, 0, 10, 10), 0);
    const MaskBits m({"#"});
    EXPECT_EQ(IsVisible(0, 0, 1, m.bits.data(), 0, 0, 1, 1), 0);
    EXPECT_EQ(IsVisible(0, 1, 1, m.bits.data(), 0, 0, 1, 1), 1);
}

using Blocks = std::vector<std::vector<int32_t>>;  // left, top, width, height

Blocks RunBlocks(const MaskBits& m, int32_t x, int32_t y, int32_t w, int32_t h, int32_t maxBlocks, int32_t minGap) {
    std::vector<int32_t> out(static_cast<size_t>(std::max(maxBlocks, 0)) * 4 + 4, -7);
    const int32_t n = VisibleBlocks(0, m.width, m.height, m.bits.data(), x, y, w, h, out.data(), maxBlocks, minGap);
    Blocks blocks;
    for (int32_t i = 0; i < n; ++i) blocks.push_back({out[i * 4], out[i * 4 + 1], out[i * 4 + 2], out[i * 4 + 3]});
    EXPECT_EQ(out[static_cast<size_t>(n) * 4], -7) << "nothing written past the blocks";
    return blocks;
}

// Two runs of set pixels 40 columns apart, at columns 14..23 (rows 1..2, group 0) and
// 64..73 (rows 3..4, group 2), with the empty group 1 between them.
const std::vector<std::string> kTwoRuns = {
    std::string(100, '.'),
    std::string(14, '.') + std::string(10, '#') + std::string(76, '.'),
    std::string(14, '.') + std::string(10, '#') + std::string(76, '.'),
    std::string(64, '.') + std::string(10, '#') + std::string(26, '.'),
    std::string(64, '.') + std::string(10, '#') + std::string(26, '.'),
};

TEST(VisibleBlocks, RunsCloserThanTheMinimumGapMerge) {
    const MaskBits m(kTwoRuns);
    EXPECT_EQ(RunBlocks(m, 0, 0, 100, 5, 10, 64), (Blocks{{14, 1, 60, 4}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 100, 5, 10, 8), (Blocks{{14, 1, 10, 2}, {64, 3, 10, 2}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 100, 5, 10, 40), (Blocks{{14, 1, 10, 2}, {64, 3, 10, 2}}))
        << "a gap of exactly the minimum keeps them apart";
    EXPECT_EQ(RunBlocks(m, 0, 0, 100, 5, 10, 41), (Blocks{{14, 1, 60, 4}}));
}

TEST(VisibleBlocks, TheLastAllowedBlockTakesInTheRest) {
    std::string row(200, '.');
    for (int x : {0, 64, 128, 192}) row[x] = '#';  // groups 0, 2, 4 and 6
    const MaskBits m({row});
    EXPECT_EQ(RunBlocks(m, 0, 0, 200, 1, 10, 1), (Blocks{{0, 0, 1, 1}, {64, 0, 1, 1}, {128, 0, 1, 1}, {192, 0, 1, 1}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 200, 1, 2, 1), (Blocks{{0, 0, 1, 1}, {64, 0, 129, 1}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 200, 1, 0, 1), Blocks{});
}

TEST(VisibleBlocks, TopCountsFromTheRectanglesYAndLeftIsAbsolute) {
    const MaskBits m(kTwoRuns);
    EXPECT_EQ(RunBlocks(m, 15, 2, 50, 3, 10, 8), (Blocks{{15, 0, 9, 1}, {64, 1, 1, 2}}));
    EXPECT_EQ(RunBlocks(m, 0, -3, 100, 5, 10, 8), (Blocks{{14, 4, 10, 1}}))
        << "rows above the mask are clipped off; top still counts from the y asked for";
}

TEST(VisibleBlocks, ARunSpansConsecutiveGroupsAndEndsAtTheRectangle) {
    // Set pixels in groups 0, 1 and 2, every one of them: one run.
    const MaskBits m({std::string(30, '.') + std::string(40, '#') + std::string(30, '.')});
    EXPECT_EQ(RunBlocks(m, 0, 0, 100, 1, 10, 0), (Blocks{{30, 0, 40, 1}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 50, 1, 10, 0), (Blocks{{30, 0, 20, 1}}));
    EXPECT_EQ(RunBlocks(m, 0, 0, 30, 1, 10, 0), Blocks{});
}

TEST(VisibleBlocks, NothingToWriteInto) {
    const MaskBits m(kTwoRuns);
    EXPECT_EQ(VisibleBlocks(0, m.width, m.height, m.bits.data(), 0, 0, 100, 5, nullptr, 10, 8), 0);
    int32_t out[4];
    EXPECT_EQ(VisibleBlocks(0, m.width, m.height, nullptr, 0, 0, 100, 5, out, 10, 8), 0);
}

TEST(GenMsk, WritesTheValueWhereTheMaskIsSetInsideTheClippedRectangle) {
    const MaskBits m({
        "##..##..",
        "#.#.#.#.",
        "........",
    });
    std::vector<uint32_t> pixels(24, 0);  // bottom-up like the mask
    auto rows = [&] {
        std::vector<std::string> out;
        for (int y = 0; y < 3; ++y) {
            std::string row;
            for (int x = 0; x < 8; ++x) row += pixels[static_cast<size_t>((2 - y) * 8 + x)] == 0 ? '.' : 'v';
            out.push_back(row);
        }
        return out;
    };
    EXPECT_EQ(GenMsk(8, 3, m.bits.data(), pixels.data(), 1, 0, 5, 3, 0xABCDEF), 0);
    EXPECT_EQ(rows(), (std::vector<std::string>{".v..vv..", "..v.v...", "........"}));
    EXPECT_EQ(GenMsk(8, 3, m.bits.data(), pixels.data(), -4, -1, 6, 3, 0x123), 0);
    EXPECT_EQ(rows(), (std::vector<std::string>{"vv..vv..", "v.v.v...", "........"}));
    EXPECT_EQ(pixels[16], 0x123u) << "pixel (0, 0): the top row comes last";
    EXPECT_EQ(pixels[17], 0x123u);
    EXPECT_EQ(pixels[20], 0xABCDEFu) << "written by the first call, outside the second";
    EXPECT_EQ(GenMsk(8, 3, m.bits.data(), nullptr, 0, 0, 8, 3, 1), 0);
    EXPECT_EQ(GenMsk(8, 3, m.bits.data(), pixels.data(), 0, 0, 0, 3, 1), 0);
}

}  // namespace
