// The frame compositor: pieces clipped to the line, dirty rectangles made disjoint, blit
// records merged, and what a flush draws in GDI and DirectDraw drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/random.h"
#include "program/core/texts/program_error.h"
#include "program/show_data/compositor.h"
#include "engine_fake.h"

namespace {

using yov::BlitList;
using yov::Compositor;
using yov::DirtyRect;

struct Rect {
    int32_t l, b, r, t;
};

// A line of 64 x 40 with 8 rows below its base, its origin at screen (100, 300).
constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 40;
constexpr int32_t kDepth = 8;

void startLine(Compositor& c) {
    c.ClearBlitLists();
    c.SetScreenRect(100, 300, kWidth, kHeight, kDepth);
}

void dirty(Compositor& c, const Rect& r) { c.AddDirtyRect(r.l, r.b, r.r - r.l, r.t - r.b, 1, 0, 0, 0, 0, 0, 0); }

bool overlap(const DirtyRect& a, const DirtyRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Bottom < b.Top && b.Bottom < a.Top;
}

// Cell (x, y) of the line's clip box, y from -depth.
size_t cell(int32_t x, int32_t y) { return static_cast<size_t>((y + kDepth) * kWidth + x); }

TEST(DirtyRectMerge, RandomSetsBecomeDisjointAndCoverExactlyTheAnnouncedArea) {
    plat::Random random(20261210);
    for (int round = 0; round < 400; ++round) {
        Compositor c;
        startLine(c);
        std::vector<uint8_t> announced(static_cast<size_t>(kWidth * (kHeight + kDepth)), 0);
        const int n = 1 + random.nextIndex(12);
        for (int i = 0; i < n; ++i) {
            // Some reach past the clip box on every side.
            const int32_t x = random.nextIndex(kWidth + 20) - 10;
            const int32_t y = random.nextIndex(kHeight + kDepth + 20) - kDepth - 10;
            const int32_t w = random.nextIndex(30);
            const int32_t h = random.nextIndex(30);
            dirty(c, {x, y, x + w, y + h});
            if (w <= 0 || h <= 0) continue;
            for (int32_t yy = std::max(y, -kDepth); yy < std::min(y + h, kHeight); ++yy) {
                for (int32_t xx = std::max(x, 0); xx < std::min(x + w, kWidth); ++xx) announced[cell(xx, yy)] = 1;
            }
        }
        c.MergeDirtyRects();
        const std::vector<DirtyRect> merged = c.dirtyRects();
        std::vector<uint8_t> covered(announced.size(), 0);
        for (size_t i = 0; i < merged.size(); ++i) {
            const DirtyRect& r = merged[i];
            ASSERT_LT(r.Left, r.Right) << "round " << round;
            ASSERT_LT(r.Bottom, r.Top) << "round " << round;
            ASSERT_GE(r.Left, 0);
            ASSERT_LE(r.Right, kWidth);
            ASSERT_GE(r.Bottom, -kDepth);
            ASSERT_LE(r.Top, kHeight);
            for (size_t j = 0; j < i; ++j) ASSERT_FALSE(overlap(r, merged[j])) << "round " << round;
            for (int32_t y = r.Bottom; y < r.Top; ++y) {
                for (int32_t x = r.Left; x < r.Right; ++x) covered[cell(x, y)] = 1;
            }
        }
        ASSERT_EQ(covered, announced) << "round " << round;
    }
}

TEST(DirtyRectMerge, Cases) {
    struct Case {
        const char* name;
        std::vector<Rect> in;
        size_t minCount;
        size_t maxCount;
    };
    const Case cases[] = {
        {"two equal become one", {{5, 5, 20, 20}, {5, 5, 20, 20}}, 1, 1},
        {"touching stay as they are", {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 10, 20}}, 3, 3},
        {"overlapping: intersection and at most eight strips", {{0, 0, 20, 20}, {10, 10, 30, 30}}, 3, 9},
        {"one inside the other", {{0, 0, 30, 30}, {10, 10, 20, 20}}, 2, 5},
        {"three equal become one", {{1, 1, 9, 9}, {1, 1, 9, 9}, {1, 1, 9, 9}}, 1, 1},
    };
    for (const Case& k : cases) {
        Compositor c;
        startLine(c);
        for (const Rect& r : k.in) dirty(c, r);
        c.MergeDirtyRects();
        const std::vector<DirtyRect> out = c.dirtyRects();
        EXPECT_GE(out.size(), k.minCount) << k.name;
        EXPECT_LE(out.size(), k.maxCount) << k.name;
        for (size_t i = 0; i < out.size(); ++i) {
            for (size_t j = 0; j < i; ++j) EXPECT_FALSE(overlap(out[i], out[j])) << k.name;
        }
    }
}

TEST(DirtyRectMerge, FreedSlotsAreReusedBeforeTheArrayGrows) {
    Compositor c;
    startLine(c);
    for (int round = 0; round < 50; ++round) {
        c.SetScreenRect(0, 100, kWidth, kHeight, kDepth);
        for (int i = 0; i < 10; ++i) dirty(c, {2, 2, 12, 12});
        c.MergeDirtyRects();
        ASSERT_EQ(c.dirtyRects().size(), 1u);
    }
    EXPECT_EQ(c.rectCapacity(), Compositor::kRectGrowth);
}

TEST(AddDirtyRect, ClipsPiecesToTheLine) {
    struct Case {
        const char* name;
        int32_t x, y, w, h;
        bool kept;
        Rect rect;
        int32_t sourceX;
    };
    const Case cases[] = {
        {"zero width", 5, 5, 0, 5, false, {}, 0},
        {"negative height", 5, 5, 5, -1, false, {}, 0},
        {"right of the line", kWidth, 0, 5, 5, false, {}, 0},
        {"left of the line", -10, 0, 10, 5, false, {}, 0},
        {"below the depth", 0, -kDepth - 5, 5, 5, false, {}, 0},
        {"above the line", 0, kHeight, 5, 5, false, {}, 0},
        {"left edge at -5", -5, 0, 20, 10, true, {0, 0, 15, 10}, 7 + 5},
        {"sticks out at top and bottom", 3, -20, 4, 100, true, {3, -kDepth, 7, kHeight}, 7},
        {"sticks out on the right", 60, 0, 10, 4, true, {60, 0, kWidth, 4}, 7},
    };
    for (const Case& k : cases) {
        Compositor c;
        startLine(c);
        c.AddDirtyRect(k.x, k.y, k.w, k.h, 1, 42, 0, 7, 50, 0, 0);
        ASSERT_EQ(c.paintOpCount(), k.kept ? 1 : 0) << k.name;
        ASSERT_EQ(c.dirtyRects().size(), k.kept ? 1u : 0u) << k.name;
        if (!k.kept) continue;
        const yov::PaintOp& op = c.paintOps()[1];
        EXPECT_EQ(op.Left, k.rect.l) << k.name;
        EXPECT_EQ(op.Bottom, k.rect.b) << k.name;
        EXPECT_EQ(op.Right, k.rect.r) << k.name;
        EXPECT_EQ(op.Top, k.rect.t) << k.name;
        EXPECT_EQ(op.SourceX, k.sourceX) << k.name;
        EXPECT_EQ(op.SourceYBase, 50) << k.name;  // rows follow from the base, never moved
    }
}

TEST(AddDirtyRect, DirtyOnlyAndSourceOnlyPieces) {
    Compositor c;
    startLine(c);
    c.AddDirtyRect(0, 0, 5, 5, 1, 0, 0, 0, 0, 0, 0);    // only dirty
    c.AddDirtyRect(10, 0, 5, 5, 0, 42, 0, 0, 0, 0, 0);  // only a piece, no redraw asked
    EXPECT_EQ(c.dirtyRects().size(), 1u);
    EXPECT_EQ(c.paintOpCount(), 1);
}

TEST(AddDirtyRect, CoordinateOverflowIsAnErrorOfTheShow) {
    Compositor c;
    startLine(c);
    EXPECT_THROW(c.AddDirtyRect(INT32_MAX - 2, 0, 10, 5, 1, 42, 0, 0, 0, 0, 0), yov::ProgramError);
}

TEST(AddBlitOp, MergesRowNeighbours) {
    struct Case {
        const char* name;
        BlitOp first, second;
        int32_t count;
        int32_t x, width, sourceX;
    };
    const Case cases[] = {
        {"continues to the right",
         {0, 0, 10, 5, 10, 4, 9, 0, 100, 0},
         {0, 0, 20, 5, 6, 4, 9, 0, 110, 0},
         1,
         10,
         16,
         100},
        {"continues to the left",
         {0, 0, 20, 5, 6, 4, 9, 0, 110, 0},
         {0, 0, 10, 5, 10, 4, 9, 0, 100, 0},
         1,
         10,
         16,
         100},
        {"source columns apart", {0, 0, 10, 5, 10, 4, 9, 0, 100, 0}, {0, 0, 20, 5, 6, 4, 9, 0, 111, 0}, 2, 10, 10, 100},
        {"other row", {0, 0, 10, 5, 10, 4, 9, 0, 100, 0}, {0, 0, 20, 6, 6, 4, 9, 0, 110, 0}, 2, 10, 10, 100},
        {"other mask", {0, 0, 10, 5, 10, 4, 9, 0, 100, 0}, {0, 0, 20, 5, 6, 4, 9, 1, 110, 0}, 2, 10, 10, 100},
        {"fills merge whenever they touch",
         {0, 0, 10, 5, 10, 4, 0, 0, 3, 0},
         {0, 0, 20, 5, 6, 4, 0, 0, 77, 0},
         1,
         10,
         16,
         3},
        {"destinations apart", {0, 0, 10, 5, 10, 4, 9, 0, 100, 0}, {0, 0, 21, 5, 6, 4, 9, 0, 111, 0}, 2, 10, 10, 100},
    };
    for (const Case& k : cases) {
        BlitList list;
        list.make(100);
        for (const BlitOp& o : {k.first, k.second}) {
            Compositor::AddBlitOp(list, o.DestDC, o.BackDC, o.X, o.Y, o.Width, o.Height, o.SourceDC, o.MaskDC,
                                  o.SourceX, o.SourceY, 0);
        }
        ASSERT_EQ(list.count, k.count) << k.name;
        EXPECT_EQ(list.records[1].X, k.x) << k.name;
        EXPECT_EQ(list.records[1].Width, k.width) << k.name;
        EXPECT_EQ(list.records[1].SourceX, k.sourceX) << k.name;
    }
}

TEST(AddBlitOp, ListsGrowByOneHundredAndRefuseBeforeTheyAreMade) {
    BlitList list;
    EXPECT_THROW(Compositor::AddBlitOp(list, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0), yov::ProgramError);
    list.make(0);
    for (int i = 0; i < 150; ++i) Compositor::AddBlitOp(list, 0, 0, 0, i * 2, 1, 1, 9, 0, 0, 0, 0);
    EXPECT_EQ(list.count, 150);
    EXPECT_EQ(list.capacity(), 200);
    EXPECT_EQ(list.records[0].Width, 0);  // record 0 is never used
}

// --- Flushes.

struct Drawn {
    std::string kind;  // "fill" or "blt"
    int32_t x, y, w, h;
    int32_t flags;
    int32_t site;
};

// The engine's back surface, faked: fills and blits are written down.
struct BackSurfaceEngine final : engine_test::EngineFake {
    explicit BackSurfaceEngine(std::vector<Drawn>& drawn) : drawn_(drawn) {}
    LvResult FillSurface(LvHandle, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t, int32_t,
                         int32_t site) override {
        drawn_.push_back({"fill", x, y, w, h, 0, site});
        return 0;
    }
    LvResult DDBlt(LvHandle, int32_t x, int32_t y, int32_t w, int32_t h, LvHandle, int32_t, int32_t, int32_t flags,
                   int32_t site) override {
        drawn_.push_back({"blt", x, y, w, h, flags, site});
        return 0;
    }
    std::vector<Drawn>& drawn_;
};

class FlushTest : public ::testing::Test {
protected:
    void SetUp() override {
        startLine(c);
        c.MakeBlitLists(false);
        c.frame.compositionDc = 77;
    }
    Compositor c;
    std::vector<Drawn> drawn;
    BackSurfaceEngine engine_{drawn};
};

TEST_F(FlushTest, GdiDirtyOnlyRectangleIsFilledOnTheScreen) {
    c.AddDirtyRect(0, 0, 10, 10, 1, 0, 0, 0, 0, 0, 0);
    c.MergeDirtyRects();
    c.FlushBlitOps();
    ASSERT_EQ(c.currentBatch().count, 1);
    const BlitOp& op = c.currentBatch().records[1];
    EXPECT_EQ(op.SourceDC, 0);
    EXPECT_EQ(op.X, 100);
    EXPECT_EQ(op.Y, 300 - 10);
    EXPECT_EQ(c.compositionList.count, 0);
    EXPECT_TRUE(c.frameChanged);
}

TEST_F(FlushTest, GdiSingleOpaquePieceGoesStraightToTheScreen) {
    // A 10 x 10 dirty rectangle; the piece covers its lower 6 rows only.
    c.AddDirtyRect(0, 0, 10, 10, 1, 0, 0, 0, 0, 0, 0);
    c.AddDirtyRect(0, 0, 10, 6, 0, 55, 0, 3, 40, 0, 0);
    c.MergeDirtyRects();
    c.FlushBlitOps();
    EXPECT_EQ(c.compositionList.count, 0);
    ASSERT_EQ(c.currentBatch().count, 2);
    const BlitOp& fill = c.currentBatch().records[1];
    EXPECT_EQ(fill.SourceDC, 0);
    EXPECT_EQ(fill.Y, 290);
    EXPECT_EQ(fill.Height, 4);
    const BlitOp& copy = c.currentBatch().records[2];
    EXPECT_EQ(copy.SourceDC, 55);
    EXPECT_EQ(copy.MaskDC, 0);
    EXPECT_EQ(copy.Y, 294);
    EXPECT_EQ(copy.SourceX, 3);
    EXPECT_EQ(copy.SourceY, 40 - 6);
}

TEST_F(FlushTest, GdiStackedPiecesAreComposedFirst) {
    c.AddDirtyRect(0, 0, 10, 10, 1, 50, 0, 0, 10, 0, 0);  // opaque, covers the rectangle
    c.AddDirtyRect(2, 2, 4, 4, 1, 60, 61, 0, 4, 1, 0);    // transparent, masked
    c.MergeDirtyRects();
    c.FlushBlitOps();
    // Every dirty rectangle: below opaque copy then the masked one into the composition DC,
    // then one copy from it to the screen.
    ASSERT_GE(c.compositionList.count, 2);
    bool masked = false;
    for (int32_t i = 1; i <= c.compositionList.count; ++i) {
        EXPECT_EQ(c.compositionList.records[static_cast<size_t>(i)].DestDC, 77);
        masked |= c.compositionList.records[static_cast<size_t>(i)].MaskDC == 61;
    }
    EXPECT_TRUE(masked);
    for (int32_t i = 1; i <= c.currentBatch().count; ++i) {
        const BlitOp& op = c.currentBatch().records[static_cast<size_t>(i)];
        EXPECT_EQ(op.DestDC, 0);
        if (op.SourceDC == 77) {
            EXPECT_EQ(op.SourceX, op.X);
        }
    }
}

TEST_F(FlushTest, GdiPieceBelowAnOpaqueCoverIsNeverDrawn) {
    c.AddDirtyRect(0, 0, 10, 10, 1, 50, 0, 0, 10, 0, 0);
    c.AddDirtyRect(0, 0, 10, 10, 0, 60, 0, 0, 10, 0, 0);
    c.MergeDirtyRects();
    c.FlushBlitOps();
    ASSERT_EQ(c.currentBatch().count, 1);
    EXPECT_EQ(c.currentBatch().records[1].SourceDC, 60);
}

TEST_F(FlushTest, DirectDrawKeysEveryPieceButTheFirstOpaqueOne) {
    c.frame.batchMode = 1;
    c.AddDirtyRect(0, 0, 10, 10, 1, 0, 0, 0, 10, 0, 5);
    c.AddDirtyRect(2, 2, 4, 4, 0, 0, 0, 0, 4, 1, 6);
    c.AddDirtyRect(20, 0, 4, 4, 1, 0, 0, 0, 0, 0, 0);  // nothing covers it
    c.MergeDirtyRects();
    c.FlushBlitOps();
    std::vector<std::pair<std::string, int32_t>> seen;
    for (const Drawn& d : drawn) seen.emplace_back(d.kind, d.kind == "blt" ? d.flags : d.site);
    const std::vector<std::pair<std::string, int32_t>> expected = {{"fill", 16010}, {"blt", 0}, {"blt", 1}};
    EXPECT_EQ(seen, expected);
}

TEST_F(FlushTest, DirectDrawTransparentFirstPieceClearsTheRectangle) {
    c.frame.batchMode = 1;
    c.AddDirtyRect(0, 0, 10, 10, 1, 0, 0, 0, 10, 1, 5);
    c.MergeDirtyRects();
    c.FlushBlitOps();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].site, 16005);
    EXPECT_EQ(drawn[1].flags, 1);
}

TEST_F(FlushTest, DirectDrawFillsAroundAPartialOpaquePiece) {
    c.frame.batchMode = 1;
    c.AddDirtyRect(0, 0, 10, 10, 1, 0, 0, 0, 0, 0, 0);
    c.AddDirtyRect(2, 2, 4, 4, 0, 0, 0, 0, 4, 0, 5);
    c.MergeDirtyRects();
    c.FlushBlitOps();
    std::vector<int32_t> sites;
    int32_t area = 0;
    for (const Drawn& d : drawn) {
        sites.push_back(d.site);
        area += d.w * d.h;
    }
    EXPECT_EQ(sites, (std::vector<int32_t>{16006, 16007, 16008, 16009, 11001}));
    EXPECT_EQ(area, 100);  // the fills and the piece tile the rectangle
}

}  // namespace
