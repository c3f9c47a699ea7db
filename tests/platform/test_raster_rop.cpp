// Ternary raster operations: the evaluator against the operations' formulas, every code against
// a per-pixel model, and the specialised loops against the general evaluator.
#include "platform/raster_rop.h"
#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

using namespace rastertest;

// Bit by bit from the truth table, independently of the raster's evaluator.
std::uint32_t ModelRop(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d, std::uint32_t mask) {
    std::uint32_t r = 0;
    for (int bit = 0; bit < 24; ++bit) {
        const unsigned index = (((p >> bit) & 1u) << 2) | (((s >> bit) & 1u) << 1) | ((d >> bit) & 1u);
        r |= ((code >> index) & 1u) << bit;
    }
    return r & mask;
}

struct FastPathsOff {
    FastPathsOff() { plat::raster::SetFastPathsEnabled(false); }
    ~FastPathsOff() { plat::raster::SetFastPathsEnabled(true); }
};

TEST(RasterRop, EvaluatorMatchesTheNamedOperations) {
    struct Case {
        const char* name;
        std::uint32_t rop;
        std::function<std::uint32_t(std::uint32_t, std::uint32_t, std::uint32_t)> f;
    };
    const std::vector<Case> cases = {
        {"SRCCOPY", SRCCOPY, [](auto, auto s, auto) { return s; }},
        {"SRCPAINT", SRCPAINT, [](auto, auto s, auto d) { return d | s; }},
        {"SRCAND", SRCAND, [](auto, auto s, auto d) { return d & s; }},
        {"SRCINVERT", SRCINVERT, [](auto, auto s, auto d) { return d ^ s; }},
        {"SRCERASE", SRCERASE, [](auto, auto s, auto d) { return s & ~d; }},
        {"NOTSRCCOPY", NOTSRCCOPY, [](auto, auto s, auto) { return ~s; }},
        {"NOTSRCERASE", NOTSRCERASE, [](auto, auto s, auto d) { return ~(d | s); }},
        {"MERGECOPY", MERGECOPY, [](auto p, auto s, auto) { return p & s; }},
        {"MERGEPAINT", MERGEPAINT, [](auto, auto s, auto d) { return ~s | d; }},
        {"PATCOPY", PATCOPY, [](auto p, auto, auto) { return p; }},
        {"PATPAINT", PATPAINT, [](auto p, auto s, auto d) { return p | ~s | d; }},
        {"PATINVERT", PATINVERT, [](auto p, auto, auto d) { return p ^ d; }},
        {"DSTINVERT", DSTINVERT, [](auto, auto, auto d) { return ~d; }},
        {"BLACKNESS", BLACKNESS, [](auto, auto, auto) { return 0u; }},
        {"WHITENESS", WHITENESS, [](auto, auto, auto) { return ~0u; }},
        {"dest and not source", ROP_DST_AND_NOT_SRC, [](auto, auto s, auto d) { return d & ~s; }},
        {"dest xor (brush and not source)", 0x009A0709, [](auto p, auto s, auto d) { return d ^ (p & ~s); }},
        {"dest or (brush and not source)", 0x00BA0B09, [](auto p, auto s, auto d) { return d | (p & ~s); }},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        for (int i = 0; i < 50; ++i) {
            const std::uint32_t p = rng(), s = rng(), d = rng();
            EXPECT_EQ(plat::raster::Rop3(plat::raster::RopCode(c.rop), p, s, d), c.f(p, s, d)) << c.name;
        }
    }
}

TEST(RasterRop, WhichOperandsACodeReads) {
    using namespace plat::raster;
    EXPECT_TRUE(CodeUsesSource(RopCode(SRCCOPY)));
    EXPECT_FALSE(CodeUsesPattern(RopCode(SRCCOPY)));
    EXPECT_FALSE(CodeUsesDest(RopCode(SRCCOPY)));
    EXPECT_FALSE(CodeUsesSource(RopCode(PATINVERT)));
    EXPECT_TRUE(CodeUsesDest(RopCode(PATINVERT)));
    EXPECT_FALSE(CodeUsesSource(RopCode(WHITENESS)));
    EXPECT_FALSE(CodeUsesDest(RopCode(BLACKNESS)));
    EXPECT_TRUE(CodeUsesPattern(0x9A));
}

// One blit between canvases of one format, against the per-pixel model: pixels inside the
// rectangle whose source pixel exists take the code's result, all others stay.
struct ModelCase {
    int bpp;
    std::uint8_t code;
    bool patternBrush;
    int x, y, w, h, sx, sy;
};

void RunAgainstModel(const ModelCase& c, std::mt19937& rng) {
    const std::vector<COLORREF> palette = {RGB(0, 0, 0),   RGB(255, 255, 255), RGB(10, 20, 30), RGB(200, 0, 0),
                                           RGB(0, 200, 0), RGB(0, 0, 200),     RGB(90, 90, 90), RGB(250, 250, 0)};
    const int paletteSize = static_cast<int>(palette.size());
    const std::vector<COLORREF> pal = c.bpp == 8 ? palette : std::vector<COLORREF>{};
    Canvas dst(9, 7, c.bpp, pal), src(8, 6, c.bpp, pal);
    dst.Randomise(rng, paletteSize);
    src.Randomise(rng, paletteSize);
    const std::vector<std::uint32_t> before = dst.Values();

    // Brush cells come from the palette (or black and white for 1 bit) so their values are exact.
    std::uint32_t cells[8][8];
    HBRUSH brush;
    auto cellColour = [&](int i) -> COLORREF {
        return c.bpp == 1 ? (i % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0))
                          : palette[static_cast<std::size_t>(i) % palette.size()];
    };
    auto colourValue = [&](COLORREF col) -> std::uint32_t {
        if (c.bpp == 1) {
            return col == RGB(0, 0, 0) ? 0u : 1u;
        }
        if (c.bpp == 8) {
            for (std::size_t i = 0; i < palette.size(); ++i) {
                if (palette[i] == col) {
                    return static_cast<std::uint32_t>(i);
                }
            }
        }
        return Rgb(col);
    };
    if (c.patternBrush) {
        Canvas pattern(8, 8, 24);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const COLORREF col = cellColour(static_cast<int>(rng() % 8));
                pattern.Set(x, y, Rgb(col));
                cells[y][x] = colourValue(col);
            }
        }
        brush = CreatePatternBrush(pattern.bitmap);
    } else {
        const COLORREF col = cellColour(static_cast<int>(rng() % 8));
        for (auto& row : cells) {
            for (auto& cell : row) {
                cell = colourValue(col);
            }
        }
        brush = CreateSolidBrush(col);
    }
    const HBRUSH oldBrush = SelectObject(dst.dc, brush);
    ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, MakeRop3(c.code)));
    SelectObject(dst.dc, oldBrush);
    DeleteObject(brush);

    const bool readsSource = plat::raster::CodeUsesSource(c.code);
    for (int y = 0; y < dst.height; ++y) {
        for (int x = 0; x < dst.width; ++x) {
            const std::uint32_t d = before[static_cast<std::size_t>(y * dst.width + x)];
            std::uint32_t expected = d & Mask(c.bpp);
            const int srcX = x - c.x + c.sx;
            const int srcY = y - c.y + c.sy;
            const bool inRect = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
            const bool hasSource = srcX >= 0 && srcY >= 0 && srcX < src.width && srcY < src.height;
            if (inRect && (hasSource || !readsSource)) {
                const std::uint32_t s = hasSource ? src.Get(srcX, srcY) & Mask(c.bpp) : 0u;
                expected = ModelRop(c.code, cells[y & 7][x & 7], s, d & Mask(c.bpp), Mask(c.bpp));
            }
            ASSERT_EQ(dst.Get(x, y), expected)
                << "bpp " << c.bpp << " code 0x" << std::hex << int(c.code) << std::dec << " at " << x << "," << y;
        }
    }
}

TEST(RasterRop, EveryCodeMatchesThePixelModelAtEveryDepth) {
    std::mt19937 rng(11);
    for (const int bpp : {1, 8, 24, 32}) {
        for (int code = 0; code < 256; ++code) {
            const ModelCase c{bpp, static_cast<std::uint8_t>(code), code % 3 == 0, 1, 2, 6, 4, 2, 1};
            RunAgainstModel(c, rng);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(RasterRop, EveryCodeMatchesThePixelModelWithoutFastPaths) {
    FastPathsOff off;
    std::mt19937 rng(12);
    for (const int bpp : {1, 8, 24, 32}) {
        for (const std::uint8_t code : {0x00, 0x22, 0x66, 0x88, 0xCC, 0xEE, 0xF0, 0xFF}) {
            RunAgainstModel(ModelCase{bpp, code, true, 3, 0, 5, 7, 0, 0}, rng);
        }
    }
}

TEST(RasterRop, ClippedAtEveryEdge) {
    // x, y, w, h, sx, sy: each case pushes one edge of the destination or the source out.
    const std::vector<std::array<int, 6>> rects = {
        {-3, 1, 6, 3, 0, 0},                             // left of the destination
        {1, -2, 4, 5, 1, 0},                             // above the destination
        {6, 2, 9, 3, 0, 1},                              // past the destination's right edge
        {2, 5, 3, 9, 1, 0},                              // past its bottom
        {2, 1, 5, 3, -2, 0},                             // left of the source
        {1, 2, 4, 4, 1, -3},                             // above the source
        {0, 0, 9, 3, 5, 0},                              // past the source's right edge
        {0, 0, 4, 7, 0, 4},                              // past its bottom
        {-20, -20, 50, 50, -5, -5}, {9, 0, 3, 3, 0, 0},  // wholly outside on the right
        {0, 0, 3, 3, 8, 0},                              // source wholly outside
        {2, 2, 0, 3, 0, 0},                              // zero width
        {2, 2, 3, -4, 0, 0},                             // negative height
    };
    std::mt19937 rng(13);
    for (const int bpp : {1, 8, 24, 32}) {
        for (const auto& r : rects) {
            for (const std::uint8_t code : {0xCC, 0x22, 0xF0, 0x9A}) {
                RunAgainstModel(ModelCase{bpp, code, false, r[0], r[1], r[2], r[3], r[4], r[5]}, rng);
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

// Fast paths against the general evaluator on random small cases, also across formats.
TEST(RasterRop, FastPathsAgreeWithTheGeneralEvaluator) {
    const std::vector<std::uint32_t> rops = {SRCCOPY, SRCAND,    SRCPAINT, SRCINVERT, ROP_DST_AND_NOT_SRC,
                                             PATCOPY, BLACKNESS, WHITENESS};
    const std::vector<COLORREF> paletteA = {RGB(0, 0, 0),   RGB(255, 255, 255), RGB(255, 0, 0),
                                            RGB(0, 128, 0), RGB(0, 0, 255),     RGB(128, 128, 128)};
    const std::vector<COLORREF> paletteB = {RGB(255, 255, 255), RGB(0, 0, 250), RGB(0, 0, 0), RGB(250, 10, 10)};
    std::mt19937 rng(17);
    for (const int dstBpp : {1, 8, 24, 32}) {
        for (const int srcBpp : {1, 8, 24, 32}) {
            for (int trial = 0; trial < 24; ++trial) {
                const bool samePalette = trial % 2 == 0;
                const auto& dstPal = paletteA;
                const auto& srcPal = samePalette ? paletteA : paletteB;
                const int w = 1 + static_cast<int>(rng() % 19);
                const int h = 1 + static_cast<int>(rng() % 5);
                Canvas dst(w, h, dstBpp, dstBpp == 8 ? dstPal : std::vector<COLORREF>{});
                Canvas src(1 + static_cast<int>(rng() % 19), h, srcBpp, srcBpp == 8 ? srcPal : std::vector<COLORREF>{});
                dst.Randomise(rng, static_cast<int>(dstPal.size()));
                src.Randomise(rng, static_cast<int>(srcPal.size()));
                // Some source pixels match the source background colour, some the text colour.
                SetBkColor(src.dc, GetPixel(src.dc, 0, 0));
                SetTextColor(dst.dc, dstPal[rng() % dstPal.size()]);
                SetBkColor(dst.dc, RGB(static_cast<std::uint8_t>(rng()), 255, 0));
                Canvas patternBits(8, 8, trial % 3 == 0 ? 1 : 24);
                patternBits.Randomise(rng);
                const HBRUSH brush = trial % 4 == 1 ? CreateSolidBrush(dstPal[rng() % dstPal.size()])
                                                    : CreatePatternBrush(patternBits.bitmap);
                const HBRUSH oldBrush = SelectObject(dst.dc, brush);
                const std::vector<std::uint32_t> before = dst.Values();
                const std::uint32_t rop = rops[static_cast<std::size_t>(trial) % rops.size()];
                const int x = static_cast<int>(rng() % 7) - 3, y = static_cast<int>(rng() % 3) - 1;
                const int cw = static_cast<int>(rng() % 24), ch = static_cast<int>(rng() % 6);
                const int sx = static_cast<int>(rng() % 7) - 2, sy = static_cast<int>(rng() % 3) - 1;

                BitBlt(dst.dc, x, y, cw, ch, src.dc, sx, sy, rop);
                const std::vector<std::uint32_t> fast = dst.Values();
                dst.Load(before);
                {
                    FastPathsOff off;
                    BitBlt(dst.dc, x, y, cw, ch, src.dc, sx, sy, rop);
                }
                EXPECT_EQ(fast, dst.Values()) << "dst " << dstBpp << " src " << srcBpp << " rop 0x" << std::hex << rop
                                              << std::dec << " trial " << trial;
                SelectObject(dst.dc, oldBrush);
                DeleteObject(brush);
            }
        }
    }
}

TEST(RasterRop, OverlappingCopyWithinOneBitmap) {
    struct Shift {
        int dx, dy;
    };
    std::mt19937 rng(19);
    for (const int bpp : {1, 8, 24, 32}) {
        for (const Shift s : {Shift{1, 0}, Shift{-1, 0}, Shift{0, 1}, Shift{0, -1}, Shift{3, 2}, Shift{-2, -2}}) {
            Canvas c(13, 9, bpp);
            c.Randomise(rng);
            const std::vector<std::uint32_t> before = c.Values();
            ASSERT_TRUE(BitBlt(c.dc, 2 + s.dx, 2 + s.dy, 8, 5, c.dc, 2, 2, SRCCOPY));
            for (int y = 0; y < 5; ++y) {
                for (int x = 0; x < 8; ++x) {
                    EXPECT_EQ(c.Get(2 + s.dx + x, 2 + s.dy + y),
                              before[static_cast<std::size_t>((2 + y) * 13 + 2 + x)] & Mask(bpp))
                        << "bpp " << bpp << " shift " << s.dx << "," << s.dy;
                }
            }
        }
    }
}

// A bitmap copied onto itself at the same place (source and destination are the same pixels)
// comes out as the operation of each pixel with itself, at every depth and with either loop.
TEST(RasterRop, CopyOntoItselfAtTheSamePlace) {
    std::mt19937 rng(23);
    auto check = [&rng](const char* loop) {
        for (const int bpp : {1, 8, 24, 32}) {
            for (const std::uint32_t rop : {SRCCOPY, SRCINVERT, NOTSRCCOPY, SRCPAINT, 0x00990066u}) {
                Canvas c(13, 9, bpp);
                c.Randomise(rng);
                const std::vector<std::uint32_t> before = c.Values();
                ASSERT_TRUE(BitBlt(c.dc, 2, 1, 9, 6, c.dc, 2, 1, rop));
                for (int y = 0; y < 9; ++y) {
                    for (int x = 0; x < 13; ++x) {
                        const std::uint32_t v = before[static_cast<std::size_t>(y * 13 + x)];
                        const bool inside = x >= 2 && x < 11 && y >= 1 && y < 7;
                        const std::uint32_t expected =
                            inside ? ModelRop(static_cast<std::uint8_t>(rop >> 16), 0, v, v, Mask(bpp)) : v;
                        EXPECT_EQ(c.Get(x, y), expected) << loop << ", bpp " << bpp << " rop " << std::hex << rop
                                                         << std::dec << " at " << x << "," << y;
                    }
                }
            }
        }
    };
    check("fast paths");
    const FastPathsOff off;
    check("general evaluator");
}

TEST(RasterRop, FourthByteOfTrueColourIsNeverAColour) {
    Canvas dst(4, 1, 32), src(4, 1, 32);
    for (int x = 0; x < 4; ++x) {
        dst.Set(x, 0, 0xAB000000u | 0x102030u);
        src.Set(x, 0, 0xCD000000u | 0x405060u);
    }
    EXPECT_EQ(GetPixel(src.dc, 0, 0), RGB(0x40, 0x50, 0x60));
    BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, SRCCOPY);
    BitBlt(dst.dc, 1, 0, 1, 1, src.dc, 0, 0, SRCPAINT);
    BitBlt(dst.dc, 2, 0, 1, 1, src.dc, 0, 0, 0x00550009);
    PatBlt(dst.dc, 3, 0, 1, 1, WHITENESS);
    EXPECT_EQ(dst.Get(0, 0), 0x405060u);
    EXPECT_EQ(dst.Get(1, 0), 0x507070u);
    EXPECT_EQ(dst.Get(2, 0), 0xEFDFCFu);
    EXPECT_EQ(dst.Get(3, 0), 0xFFFFFFu);
}

TEST(RasterRop, PatBltRefusesOperationsThatReadASource) {
    Canvas c(4, 4, 32);
    EXPECT_FALSE(PatBlt(c.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(PatBlt(c.dc, 0, 0, 4, 4, DSTINVERT));
    EXPECT_EQ(c.Get(3, 3), 0xFFFFFFu);
}

TEST(RasterRop, NullBrushDrawsNoPattern) {
    Canvas c(3, 1, 24);
    c.Set(1, 0, 0x123456u);
    SelectObject(c.dc, GetStockBrush(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(c.dc, 0, 0, 3, 1, PATCOPY));
    EXPECT_EQ(c.Get(1, 0), 0x123456u);
    SelectObject(c.dc, GetStockBrush(WHITE_BRUSH));
}

}  // namespace
