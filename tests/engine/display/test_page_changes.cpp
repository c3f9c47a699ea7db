// What a flip presents: the rectangles drawn on the new front page and what the flips in
// between changed, as far as they differ from the page shown until then; the rest of the page
// is never looked at.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/display/page_changes.h"

namespace {

using Rects = std::vector<std::vector<int>>;

Rects Of(const std::vector<LvRect>& rects) {
    Rects out;
    for (const LvRect& r : rects) out.push_back({r.x, r.y, r.width, r.height});
    return out;
}

// A 32-bit page of one colour in memory.
struct Page {
    Page(int w, int h, uint32_t value) : width(w), height(h), pixels(static_cast<size_t>(w * h), value) {}
    void Set(int x, int y, uint32_t v) { pixels[static_cast<size_t>(y * width + x)] = v; }
    plat::PixelAccess Access() {
        plat::PixelAccess a;
        a.topRow = reinterpret_cast<std::uint8_t*>(pixels.data());
        a.stride = width * 4;
        a.width = width;
        a.height = height;
        a.bitsPerPixel = 32;
        return a;
    }
    int width;
    int height;
    std::vector<uint32_t> pixels;
};

TEST(RowBands, RectanglesBecomeAFewBandsOfRows) {
    struct Case {
        const char* name;
        std::vector<LvRect> added;
        Rects bands;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"an empty rectangle", {{3, 3, 0, 5}, {3, 3, 5, -1}}, {}},
        {"one", {{2, 3, 4, 5}}, {{2, 3, 4, 5}}},
        {"apart by the join distance stay apart", {{0, 0, 4, 2}, {10, 6, 2, 2}}, {{0, 0, 4, 2}, {10, 6, 2, 2}}},
        {"closer join, columns widen", {{0, 0, 4, 2}, {10, 5, 2, 2}}, {{0, 0, 12, 7}}},
        {"added out of order",
         {{0, 20, 1, 1}, {0, 0, 1, 1}, {0, 10, 1, 1}},
         {{0, 0, 1, 1}, {0, 10, 1, 1}, {0, 20, 1, 1}}},
        {"a tall one swallows those it spans", {{0, 0, 1, 1}, {5, 10, 1, 1}, {2, 0, 1, 30}}, {{0, 0, 6, 30}}},
    };
    for (const Case& c : cases) {
        lvk::RowBands bands;
        for (const LvRect& r : c.added) bands.Add(r);
        EXPECT_EQ(Of(bands.Rects()), c.bands) << c.name;
    }
}

TEST(RowBands, PastTheirLimitTheClosestBandsJoin) {
    lvk::RowBands bands;
    for (int i = 0; i < static_cast<int>(lvk::RowBands::kMaxBands); ++i) bands.Add(LvRect{0, i * 10, 1, 1});
    bands.Add(LvRect{0, 1000, 1, 1});
    ASSERT_EQ(bands.Bands().size(), lvk::RowBands::kMaxBands);
    EXPECT_EQ(bands.Bands().back().top, 1000) << "the far one keeps its band";
    EXPECT_EQ(bands.Bands().front().bottom, 11) << "the first two joined";
}

class PageChangesTest : public ::testing::Test {
protected:
    static constexpr uint32_t kSky = 0xA6CAEA;
    static constexpr uint32_t kRed = 0xFF0000;
    void SetUp() override { changes.Reset(2, 16, 12); }
    lvk::PageChanges changes;
    Page a{16, 12, kSky};
    Page b{16, 12, kSky};
};

TEST_F(PageChangesTest, TheFirstFlipShowsItsPageWholeThenPagesAreCompared) {
    EXPECT_EQ(Of(changes.Flip(0, a.Access(), b.Access())), (Rects{{0, 0, 16, 12}}));
    // Page 1 was never compared with the screen: the whole of it is, and it is alike.
    EXPECT_TRUE(changes.Flip(1, b.Access(), a.Access()).empty());
    b.Set(3, 4, kRed);
    EXPECT_TRUE(changes.Flip(0, a.Access(), b.Access()).empty()) << "page 0 drew nothing: it stays as shown";
}

TEST_F(PageChangesTest, OnlyWhatWasDrawnSinceIsLookedAt) {
    changes.Flip(0, a.Access(), b.Access());
    changes.Flip(1, b.Access(), a.Access());
    // A train drawn on page 0 in rows 2 and 3; a pixel changed in row 9 behind the layer's
    // back is not what a flip looks for.
    for (int x = 4; x < 8; ++x) {
        a.Set(x, 2, kRed);
        a.Set(x, 3, kRed);
    }
    a.Set(1, 9, kRed);
    changes.Drawn(0, LvRect{2, 1, 10, 4});
    EXPECT_EQ(Of(changes.Flip(0, a.Access(), b.Access())), (Rects{{4, 2, 4, 2}}));
    // Back on page 1: it was drawn on nowhere, but the screen changed under the train, and
    // there page 1 differs from what is shown now.
    EXPECT_EQ(Of(changes.Flip(1, b.Access(), a.Access())), (Rects{{4, 2, 4, 2}}));
    EXPECT_EQ(Of(changes.Flip(0, a.Access(), b.Access())), (Rects{{4, 2, 4, 2}})) << "page 0 still has the train";
}

TEST_F(PageChangesTest, DrawingOnTheScreenShowsTheOtherPagesWholeAgain) {
    changes.Flip(0, a.Access(), b.Access());
    changes.Flip(1, b.Access(), a.Access());
    changes.DrawnOnScreen(1);
    EXPECT_EQ(Of(changes.Flip(0, a.Access(), b.Access())), (Rects{{0, 0, 16, 12}}));
}

TEST_F(PageChangesTest, RectanglesOutsideThePageAreCutToIt) {
    changes.Flip(0, a.Access(), b.Access());
    changes.Flip(1, b.Access(), a.Access());
    for (int y = 0; y < 12; ++y) a.Set(15, y, kRed);
    changes.Drawn(0, LvRect{14, -5, 100, 100});
    changes.Drawn(5, LvRect{0, 0, 16, 12});  // no such page
    EXPECT_EQ(Of(changes.Flip(0, a.Access(), b.Access())), (Rects{{15, 0, 1, 12}}));
}

}  // namespace
