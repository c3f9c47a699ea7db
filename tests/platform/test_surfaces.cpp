// Surfaces as raster bitmaps: the flip chain's pages, off-screen surfaces, blits with source and
// destination colour keys, fills, the surfaces' DCs, refused ids and the scan line.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "engine/letter_pictures.h"
#include "platform/surfaces.h"

namespace {

using letterpic::LetterValue;
using letterpic::ValueLetter;
using plat::SurfaceId;
using plat::SurfaceTable;
using Rows = std::vector<std::string>;

Rows Read(const SurfaceTable& t, SurfaceId id) {
    plat::PixelAccess a;
    if (!plat::AccessPixels(plat::GetCurrentBitmap(t.Dc(id)), a)) return {"<no surface>"};
    Rows rows;
    for (int y = 0; y < a.height; ++y) {
        std::string row;
        for (int x = 0; x < a.width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, a.topRow + a.stride * y + 4 * x, 4);
            row += ValueLetter(v);
        }
        rows.push_back(row);
    }
    return rows;
}

void Paint(SurfaceTable& t, SurfaceId id, const Rows& rows) {
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            ASSERT_EQ(t.Fill(id, x, y, 1, 1, LetterValue(rows[y][x]), 0), plat::DD_OK);
        }
    }
}

SurfaceId Make(SurfaceTable& t, const Rows& rows, char key = 0) {
    int32_t error = -1;
    const SurfaceId id = t.Create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                                  key != 0 ? LetterValue(key) : 0, &error);
    EXPECT_EQ(error, plat::DD_OK);
    Paint(t, id, rows);
    return id;
}

TEST(SurfaceChain, PagesComeRoundInTurnAndKeepWhatWasDrawnOnThem) {
    struct Case {
        const char* name;
        int backBuffers;
        std::string shownAfterEachFlip;
    };
    // Before flip i the back buffer is filled with letter i of "rgb" while its page is new;
    // after that the page comes round again holding what was drawn on it.
    const Case cases[] = {{"double", 1, "rgrg"}, {"triple", 2, "rgbr"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceTable t;
        ASSERT_EQ(t.CreateChain(3, 1, c.backBuffers), plat::DD_OK);
        EXPECT_EQ(t.BackBufferCount(), c.backBuffers);
        const SurfaceId primary = t.Primary();
        const SurfaceId back = t.BackBuffer();
        ASSERT_NE(back, 0u);
        EXPECT_EQ(Read(t, primary), Rows{"..."});
        for (int i = 0; i < 4; ++i) {
            const char letter = "rgb"[i];
            if (i <= c.backBuffers) {
                EXPECT_EQ(Read(t, back), Rows{"..."}) << "page " << i << " was never drawn";
                ASSERT_EQ(t.Fill(back, 0, 0, 3, 1, LetterValue(letter), 0), plat::DD_OK);
            } else {
                EXPECT_EQ(Read(t, back), Rows(1, std::string(3, c.shownAfterEachFlip[i])))
                    << "the page that comes round again still holds its frame";
            }
            ASSERT_EQ(t.Flip(), plat::DD_OK);
            EXPECT_EQ(Read(t, primary), Rows(1, std::string(3, c.shownAfterEachFlip[i])));
        }
    }
}

TEST(SurfaceChain, APrimaryAloneCannotFlipAndSecondChainsAreRefused) {
    SurfaceTable t;
    EXPECT_EQ(t.Flip(), plat::DDERR_NOTFLIPPABLE) << "no chain yet";
    ASSERT_EQ(t.CreateChain(4, 2, 0), plat::DD_OK);
    EXPECT_EQ(t.BackBuffer(), 0u);
    EXPECT_EQ(t.Flip(), plat::DDERR_NOTFLIPPABLE);
    EXPECT_EQ(t.CreateChain(4, 2, 1), plat::DDERR_PRIMARYSURFACEALREADYEXISTS);

    const SurfaceId old = t.Primary();
    t.DeleteChain();
    EXPECT_FALSE(t.Valid(old));
    EXPECT_FALSE(t.Dc(old));
    EXPECT_EQ(t.Flip(), plat::DDERR_NOTFLIPPABLE);
}

TEST(SurfaceChain, RefusesSizesAndCountsOutOfRange) {
    struct Case {
        const char* name;
        int width, height, backBuffers;
    };
    const Case cases[] = {
        {"no width", 0, 10, 1},
        {"negative height", 10, -1, 1},
        {"too wide", plat::kMaxSurfaceSide + 1, 1, 0},
        {"negative count", 10, 10, -1},
        {"three back buffers", 10, 10, 3},
    };
    for (const Case& c : cases) {
        SurfaceTable t;
        EXPECT_EQ(t.CreateChain(c.width, c.height, c.backBuffers), plat::DDERR_INVALIDPARAMS) << c.name;
        EXPECT_EQ(t.Primary(), 0u) << c.name;
    }
}

TEST(SurfaceIds, StaleZeroAndForeignIdsAreRefusedEverywhere) {
    SurfaceTable t;
    const SurfaceId live = Make(t, {"rg"});
    SurfaceId gone = Make(t, {"bb"});
    ASSERT_TRUE(t.Delete(gone));
    EXPECT_FALSE(t.Delete(gone)) << "a second delete";
    const SurfaceId reused = Make(t, {"yy"});
    EXPECT_NE(reused, gone) << "the slot came back under another generation";

    for (const SurfaceId bad : {gone, SurfaceId{0}, SurfaceId{1}, reused + 1, live ^ 0x10000u}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(t.Valid(bad));
        EXPECT_FALSE(t.Dc(bad));
        EXPECT_EQ(t.Blt(live, 0, 0, 1, 1, bad, 0, 0, 0), plat::DDERR_INVALIDOBJECT);
        EXPECT_EQ(t.Blt(bad, 0, 0, 1, 1, live, 0, 0, 0), plat::DDERR_INVALIDOBJECT);
        EXPECT_EQ(t.Fill(bad, 0, 0, 1, 1, 0, 0), plat::DDERR_INVALIDOBJECT);
    }
    EXPECT_EQ(Read(t, live), Rows{"rg"}) << "nothing was drawn by a refused call";
}

TEST(SurfaceIds, AreNeverZeroOrOneAndFitAPositiveField) {
    SurfaceTable t;
    ASSERT_EQ(t.CreateChain(2, 2, 1), plat::DD_OK);
    std::vector<SurfaceId> ids = {t.Primary(), t.BackBuffer()};
    for (int i = 0; i < 5; ++i) ids.push_back(Make(t, {"r"}));
    for (const SurfaceId id : ids) {
        EXPECT_GT(id, 1u);
        EXPECT_LE(id, static_cast<SurfaceId>(INT32_MAX));
    }
    EXPECT_FALSE(t.Delete(t.Primary())) << "the chain goes only with DeleteChain";
    EXPECT_TRUE(t.Valid(t.Primary()));
    EXPECT_EQ(t.OffscreenCount(), 5);
    t.DeleteAll();
    EXPECT_EQ(t.OffscreenCount(), 0);
    for (const SurfaceId id : ids) EXPECT_FALSE(t.Valid(id));
}

TEST(SurfaceCreate, RefusesEmptyAndOversizedSurfacesWithAReason) {
    SurfaceTable t;
    int32_t error = 0;
    EXPECT_EQ(t.Create(0, 5, 0, &error), 0u);
    EXPECT_EQ(error, plat::DDERR_INVALIDPARAMS);
    EXPECT_EQ(t.Create(5, plat::kMaxSurfaceSide + 1, 0, &error), 0u);
    EXPECT_EQ(error, plat::DDERR_INVALIDPARAMS);
    const SurfaceId id = t.Create(3, 2, 0, &error);
    EXPECT_EQ(error, plat::DD_OK);
    EXPECT_EQ(Read(t, id), (Rows{"...", "..."})) << "a new surface starts cleared";
    int w = 0, h = 0;
    ASSERT_TRUE(t.Size(id, w, h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
}

TEST(SurfaceBlt, CopiesWithAndWithoutColourKeys) {
    struct Case {
        const char* name;
        const char* source;
        char sourceKey;  // 0: none
        const char* dest;
        char destKey;
        std::uint32_t flags;
        Rows expected;
    };
    const Case cases[] = {
        {"plain copy ignores the key", "rmg", 'm', "bbb", 0, 0, {"rmg"}},
        {"source key leaves key pixels out", "rmg", 'm', "bbb", 0, plat::SURFACE_SRCCOLORKEY, {"rbg"}},
        {"source key flag, source without key", "rmg", 0, "bbb", 0, plat::SURFACE_SRCCOLORKEY, {"rmg"}},
        {"destination key writes only over key pixels", "rgy", 0, "bmb", 'm', plat::SURFACE_DESTCOLORKEY, {"bgb"}},
        {"both keys", "rmy", 'm', "mmb", 'm', plat::SURFACE_SRCCOLORKEY | plat::SURFACE_DESTCOLORKEY, {"rmb"}},
        {"destination key flag, destination without key", "rgy", 0, "bmb", 0, plat::SURFACE_DESTCOLORKEY, {"rgy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceTable t;
        const SurfaceId src = Make(t, {c.source}, c.sourceKey);
        const SurfaceId dst = Make(t, {c.dest}, c.destKey);
        ASSERT_EQ(t.Blt(dst, 0, 0, 3, 1, src, 0, 0, c.flags), plat::DD_OK);
        EXPECT_EQ(Read(t, dst), c.expected);
    }
}

TEST(SurfaceBlt, SourceKeySkipsExactlyTheKeyColour) {
    SurfaceTable t;
    const std::uint32_t key = plat::SurfacePixelValue(plat::RGB(16, 0, 16));
    EXPECT_EQ(key, 0x100010u);
    int32_t error = 0;
    const SurfaceId src = t.Create(3, 1, key, &error);
    ASSERT_EQ(t.Fill(src, 0, 0, 1, 1, key, 0), plat::DD_OK);
    ASSERT_EQ(t.Fill(src, 1, 0, 1, 1, key + 1, 0), plat::DD_OK);
    ASSERT_EQ(t.Fill(src, 2, 0, 1, 1, key - 0x10000, 0), plat::DD_OK);
    const SurfaceId dst = Make(t, {"www"});
    ASSERT_EQ(t.Blt(dst, 0, 0, 3, 1, src, 0, 0, plat::SURFACE_SRCCOLORKEY), plat::DD_OK);
    plat::PixelAccess a;
    ASSERT_TRUE(plat::AccessPixels(plat::GetCurrentBitmap(t.Dc(dst)), a));
    std::uint32_t px[3];
    std::memcpy(px, a.topRow, sizeof px);
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xFFFFFFu) << "the key colour stays out";
    EXPECT_EQ(px[1] & 0xFFFFFF, key + 1) << "a neighbouring colour is copied";
    EXPECT_EQ(px[2] & 0xFFFFFF, key - 0x10000);
}

TEST(SurfaceBlt, ClipsToBothSurfaces) {
    struct Case {
        const char* name;
        int x, y, w, h, sx, sy;
        Rows expected;
    };
    const Case cases[] = {
        {"inside", 1, 0, 2, 1, 0, 0, {"wrgw", "wwww"}},
        {"left of the destination", -1, 0, 3, 2, 0, 0, {"gbww", "cyww"}},
        {"past the right and bottom", 3, 1, 3, 3, 0, 0, {"wwww", "wwwr"}},
        {"source rectangle past its edge", 0, 0, 4, 2, 1, 1, {"cyww", "wwww"}},
        {"negative source start", 0, 0, 3, 1, -1, 0, {"wrgw", "wwww"}},
        {"far outside", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, {"wwww", "wwww"}},
        {"empty", 0, 0, 0, 2, 0, 0, {"wwww", "wwww"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceTable t;
        const SurfaceId src = Make(t, {"rgb", "mcy"});
        const SurfaceId dst = Make(t, {"wwww", "wwww"});
        EXPECT_EQ(t.Blt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, 0), plat::DD_OK);
        EXPECT_EQ(Read(t, dst), c.expected);
    }
}

TEST(SurfaceBlt, OverlappingCopiesWithinOneSurfaceReadTheOldPixels) {
    struct Case {
        const char* name;
        std::uint32_t flags;
        const char* before;
        const char* after;
    };
    // One pixel to the right over itself; a copy that read pixels it had already written would
    // smear the first one along the row.
    const Case cases[] = {
        {"plain", 0, "rgb..", "rrgb."},
        {"destination key 'w'", plat::SURFACE_DESTCOLORKEY, "rwbww", "rrbbw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceTable t;
        const SurfaceId s = Make(t, {c.before}, c.flags != 0 ? 'w' : 0);
        ASSERT_EQ(t.Blt(s, 1, 0, 4, 1, s, 0, 0, c.flags), plat::DD_OK);
        EXPECT_EQ(Read(t, s), Rows{c.after});
    }
}

TEST(SurfaceFill, FillsTheClippedRectangleOrOnlyKeyPixels) {
    SurfaceTable t;
    const SurfaceId s = Make(t, {"rgbr", "brgb"}, 'r');
    ASSERT_EQ(t.Fill(s, -2, 1, 4, 5, LetterValue('y'), 0), plat::DD_OK);
    EXPECT_EQ(Read(t, s), (Rows{"rgbr", "yygb"}));
    ASSERT_EQ(t.Fill(s, -3, -1, 10, 2, LetterValue('r'), 0), plat::DD_OK);
    EXPECT_EQ(Read(t, s), (Rows{"rrrr", "yygb"})) << "from far left to past the right edge";
    ASSERT_EQ(t.Fill(s, 0, 0, 4, 2, LetterValue('w'), plat::SURFACE_DESTCOLORKEY), plat::DD_OK);
    EXPECT_EQ(Read(t, s), (Rows{"wwww", "yygb"})) << "only the key colour 'r' took the fill";
    ASSERT_EQ(t.Fill(s, 1, 0, 4, 1, LetterValue('k'), plat::SURFACE_SRCCOLORKEY), plat::DD_OK);
    EXPECT_EQ(Read(t, s), (Rows{"wkkk", "yygb"})) << "a fill has no source key";
    ASSERT_EQ(t.Fill(s, 0, 0, 4, 2, LetterValue('g'), plat::SURFACE_DESTCOLORKEY), plat::DD_OK);
    EXPECT_EQ(Read(t, s), (Rows{"wkkk", "yygb"})) << "no 'r' left to take it";
}

TEST(SurfaceDc, GdiDrawingOnTheDcIsWhatTheSurfaceHolds) {
    SurfaceTable t;
    ASSERT_EQ(t.CreateChain(3, 1, 1), plat::DD_OK);
    const SurfaceId back = t.BackBuffer();
    const plat::HDC dc = t.Dc(back);
    ASSERT_TRUE(dc);
    EXPECT_TRUE(t.OwnsDc(back, dc));
    EXPECT_TRUE(t.OwnsDc(t.Primary(), dc)) << "chain pages belong to the whole chain";
    EXPECT_FALSE(t.OwnsDc(back, plat::HDC{}));
    ASSERT_TRUE(plat::SetPixelV(dc, 1, 0, plat::RGB(0, 255, 0)));
    EXPECT_EQ(Read(t, back), Rows{".g."});

    const SurfaceId other = Make(t, {"b"});
    EXPECT_FALSE(t.OwnsDc(other, dc));
    EXPECT_FALSE(t.OwnsDc(back, t.Dc(other)));
    ASSERT_EQ(t.Flip(), plat::DD_OK);
    EXPECT_EQ(t.Dc(t.Primary()), dc) << "the page moved to the front with its DC";
}

TEST(ScanLine, FollowsTheTimeSinceTheFlip) {
    using std::chrono::microseconds;
    struct Case {
        const char* name;
        microseconds since;
        int height, rate;
        int32_t expected;
    };
    // At 50 Hz a refresh takes 20000 us over 100 + 5 + 1 = 106 lines.
    const Case cases[] = {
        {"at the flip", microseconds(0), 100, 50, 1},
        {"half way", microseconds(10000), 100, 50, 54},
        {"last visible line", microseconds(18860), 100, 50, 100},
        {"vertical blank", microseconds(19000), 100, 50, -1},
        {"next refresh", microseconds(20000 + 189), 100, 50, 2},
        {"default rate", microseconds(8400), 100, 0, 54},
        {"no lines", microseconds(0), 0, 60, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plat::ScanLineAt(c.since, c.height, c.rate), c.expected) << c.name;
    }
}

}  // namespace
