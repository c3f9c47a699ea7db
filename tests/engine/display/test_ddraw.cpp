// The DirectDraw exports: flips and drawing on the primary reach a recording presenter, colour
// keys, the display modes offered and "set", the off switch, and refused surface handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "blit_fixture.h"
#include "engine/base/engine_state.h"
#include "lumvatek/blit.h"
#include "lumvatek/shared.h"
#include "lumvatek/window_ops.h"
#include "platform/surfaces.h"

// Found by the standard algorithms through the type's (global) namespace.
static bool operator==(const LvDisplayMode& a, const LvDisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.refreshRate == b.refreshRate;
}

namespace {

using blittest::MemoryScreen;
using letterpic::LetterValue;
using Rows = std::vector<std::string>;

constexpr LvWindow kShowWindow = 0x5150;

// The program's side of the display: its screen size and, when given, its list of modes.
struct FakeScreen {
    int32_t width = 1024;
    int32_t height = 768;
    std::vector<LvDisplayMode> modes;  // empty: no displayMode operation
    LvWindowOps ops{};

    FakeScreen() {
        ops.size = sizeof(LvWindowOps);
        ops.context = this;
        ops.screenMetrics = [](void* c, int32_t* w, int32_t* h, int32_t* menuHeight) {
            *w = static_cast<FakeScreen*>(c)->width;
            *h = static_cast<FakeScreen*>(c)->height;
            *menuHeight = 20;
            return 0;
        };
    }
    void Offer(std::vector<LvDisplayMode> list) {
        modes = std::move(list);
        ops.displayMode = [](void* c, int32_t index, LvDisplayMode* mode) {
            const auto& list = static_cast<FakeScreen*>(c)->modes;
            if (index < 0 || index >= static_cast<int32_t>(list.size())) return 1;
            *mode = list[static_cast<size_t>(index)];
            return 0;
        };
    }
};

std::vector<LvDisplayMode> g_reported;
int32_t Collect(int32_t w, int32_t h, int32_t bits, int32_t rate) noexcept {
    g_reported.push_back(LvDisplayMode{w, h, bits, rate});
    return 0;
}

std::vector<LvDisplayMode> Enumerate(LvResult (*enumerate)(LvModeProc), LvResult expected = 0) {
    g_reported.clear();
    EXPECT_EQ(enumerate(&Collect), expected);
    return g_reported;
}

Rows Read(LvHandle surface) {
    plat::PixelAccess a;
    if (!plat::AccessPixels(plat::GetCurrentBitmap(plat::HDC(GetDDC(surface))), a)) return {"<none>"};
    ReleaseDDC(surface, 0);
    Rows rows;
    for (int y = 0; y < a.height; ++y) {
        std::string row;
        for (int x = 0; x < a.width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, a.topRow + a.stride * y + 4 * x, 4);
            row += letterpic::ValueLetter(v);
        }
        rows.push_back(row);
    }
    return rows;
}

class DirectDraw : public ::testing::Test {
protected:
    void SetUp() override {
        lvk::BindShared(&shared_, nullptr);
        presenter_ = memory_.Table();
        ASSERT_EQ(SetPresenter(&presenter_), 0);
    }
    void TearDown() override {
        CloseDDraw();
        SetPresenter(nullptr);
        SetWindowOps(nullptr);
        lvk::BindShared(nullptr, nullptr);
    }

    // A small screen, so frames can be read as letters.
    void UseScreen(int32_t w, int32_t h) {
        screen_.width = w;
        screen_.height = h;
        ASSERT_EQ(SetWindowOps(&screen_.ops), 0);
    }
    void OpenWithPrimary(int32_t backBuffers) {
        ASSERT_EQ(InitDDraw(kShowWindow), 0);
        ASSERT_EQ(CreatePrimary(backBuffers), 0);
    }
    LvHandle Surface(const Rows& rows, uint32_t key = 0) {
        const LvHandle s =
            CreateSurface(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()), key, 0);
        EXPECT_GT(s, 1u);
        for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
            for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
                EXPECT_EQ(FillSurface(s, x, y, 1, 1, LetterValue(rows[y][x]), 0, 0), 0);
            }
        }
        return s;
    }

    SharedState shared_{};
    FakeScreen screen_;
    MemoryScreen memory_{4, 2};
    LvPresenter presenter_{};
};

TEST_F(DirectDraw, AFlipHandsTheWholeBackSurfaceToThePresenter) {
    UseScreen(4, 2);
    OpenWithPrimary(1);
    ASSERT_EQ(FillSurface(0, 0, 0, 4, 2, LetterValue('r'), 0, 0), 0);
    ASSERT_EQ(FillSurface(0, 1, 1, 2, 1, LetterValue('g'), 0, 0), 0);
    EXPECT_EQ(memory_.Presents(), 0) << "drawing on the back surface is not shown";
    EXPECT_EQ(CanFlip(), 0);
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(memory_.Presents(), 1);
    ASSERT_EQ(memory_.LastRects().size(), 1u);
    const LvRect r = memory_.LastRects()[0];
    EXPECT_EQ((std::vector<int32_t>{r.x, r.y, r.width, r.height}), (std::vector<int32_t>{0, 0, 4, 2}));
    EXPECT_EQ(memory_.Rows(), (Rows{"rrrr", "rggr"}));

    // The next frame is drawn on the page that was shown before, which is still black.
    EXPECT_EQ(Read(0), (Rows{"....", "...."}));
    ASSERT_EQ(FillSurface(0, 0, 0, 1, 2, LetterValue('b'), 0, 0), 0);
    ASSERT_EQ(Flip(), 0);
    EXPECT_EQ(memory_.Rows(), (Rows{"b...", "b..."}));
    EXPECT_EQ(Read(0), (Rows{"rrrr", "rggr"})) << "the first frame's page comes round again";
}

TEST_F(DirectDraw, AFlipHandsOverOnlyTheRowsThatDifferFromTheScreen) {
    UseScreen(8, 12);
    MemoryScreen screen{8, 12};
    LvPresenter table = screen.Table();
    ASSERT_EQ(SetPresenter(&table), 0);
    OpenWithPrimary(1);
    // The same picture on both pages, the second flip shows nothing new.
    for (int page = 0; page < 2; ++page) {
        ASSERT_EQ(FillSurface(0, 0, 0, 8, 12, LetterValue('g'), 0, 0), 0);
        ASSERT_EQ(Flip(), 0);
    }
    EXPECT_EQ(screen.Presents(), 1) << "the first flip shows the whole page, the second nothing";
    // A train on rows 2 and 3 and a lamp on row 9: two bands, each cut to its columns.
    ASSERT_EQ(FillSurface(0, 0, 0, 8, 12, LetterValue('g'), 0, 0), 0);
    ASSERT_EQ(FillSurface(0, 1, 2, 3, 2, LetterValue('r'), 0, 0), 0);
    ASSERT_EQ(FillSurface(0, 5, 9, 1, 1, LetterValue('y'), 0, 0), 0);
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(screen.Presents(), 2);
    std::vector<std::vector<int32_t>> rects;
    for (const LvRect& r : screen.LastRects()) rects.push_back({r.x, r.y, r.width, r.height});
    EXPECT_EQ(rects, (std::vector<std::vector<int32_t>>{{1, 2, 3, 2}, {5, 9, 1, 1}}));
    EXPECT_EQ(screen.Rows()[2], "grrrgggg");
    EXPECT_EQ(screen.Rows()[9], "gggggygg");
    // Drawn on the screen itself: the next flip shows its whole page again.
    const LvHandle back = SetDefaultSurface(1);
    const LvHandle primary = SetDefaultSurface(0);
    ASSERT_EQ(FillSurface(primary, 0, 0, 1, 1, LetterValue('b'), 0, 0), 0);
    ASSERT_EQ(screen.Presents(), 3);
    ASSERT_EQ(FillSurface(back, 0, 0, 8, 12, LetterValue('g'), 0, 0), 0);
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(screen.Presents(), 4);
    ASSERT_EQ(screen.LastRects().size(), 1u);
    EXPECT_EQ(screen.LastRects()[0].height, 12);
}

TEST_F(DirectDraw, DrawingOnAPrimaryWithoutBackBuffersIsShownAtOnce) {
    UseScreen(4, 2);
    OpenWithPrimary(0);
    const LvHandle src = Surface({"yy"});
    ASSERT_EQ(FillSurface(0, 1, 0, 2, 1, LetterValue('g'), 0, 0), 0);
    ASSERT_EQ(memory_.Presents(), 1);
    EXPECT_EQ(memory_.LastRects()[0].x, 1);
    EXPECT_EQ(memory_.LastRects()[0].width, 2);
    ASSERT_EQ(DDBlt(0, 2, 1, 2, 1, src, 0, 0, 0, 0), 0);
    EXPECT_EQ(memory_.Presents(), 2);
    EXPECT_EQ(memory_.Rows(), (Rows{".gg.", "..yy"}));

    const LvHandle dc = GetDDC(0);
    ASSERT_NE(dc, 0u);
    ASSERT_TRUE(plat::SetPixelV(plat::HDC(dc), 0, 0, plat::RGB(255, 255, 255)));
    EXPECT_EQ(memory_.Presents(), 2) << "not before the DC is given back";
    ASSERT_EQ(ReleaseDDC(0, 0), 0);
    EXPECT_EQ(memory_.Presents(), 3);
    EXPECT_EQ(memory_.Rows(), (Rows{"wgg.", "..yy"}));

    EXPECT_EQ(CanFlip(), 0);
    EXPECT_LT(Flip(), 0) << "nothing to flip to";
}

TEST_F(DirectDraw, TripleBufferingShowsThePagesInTurn) {
    UseScreen(4, 2);
    OpenWithPrimary(2);
    EXPECT_EQ(PagesShared(), 0) << "a bitmap per page without a page view";
    for (const char letter : std::string("rgb")) {
        ASSERT_EQ(FillSurface(0, 0, 0, 4, 2, LetterValue(letter), 0, 0), 0);
        ASSERT_EQ(Flip(), 0);
        EXPECT_EQ(memory_.Rows(), (Rows{std::string(4, letter), std::string(4, letter)}));
    }
    EXPECT_EQ(Read(0), (Rows{"rrrr", "rrrr"}));
    EXPECT_EQ(SetDefaultSurface(2), 0) << "the third slot stays empty";
}

TEST_F(DirectDraw, ColourKeyBlitsLeaveTheKeyColourOut) {
    UseScreen(4, 2);
    OpenWithPrimary(1);
    const LvResult key = MatchColor(0, plat::RGB(16, 0, 16));
    ASSERT_EQ(key, 0x100010);
    const LvHandle sprite = CreateSurface(3, 1, static_cast<uint32_t>(key), 13008);
    ASSERT_GT(sprite, 1u);
    ASSERT_EQ(FillSurface(sprite, 0, 0, 3, 1, static_cast<uint32_t>(key), 0, 0), 0);
    ASSERT_EQ(FillSurface(sprite, 1, 0, 1, 1, LetterValue('y'), 0, 0), 0);

    ASSERT_EQ(FillSurface(0, 0, 0, 4, 2, LetterValue('b'), 0, 0), 0);
    ASSERT_EQ(DDBlt(0, 0, 0, 3, 1, sprite, 0, 0, 1, 11001), 0);
    ASSERT_EQ(DDBlt(0, 0, 1, 3, 1, sprite, 0, 0, 0, 11001), 0);
    const Rows back = Read(0);
    EXPECT_EQ(back[0], "bybb") << "keyed: only the sprite's own pixel";
    EXPECT_EQ(back[1], "?y?b") << "without the flag the key colour ('?') is copied";
}

TEST_F(DirectDraw, ModesWithoutAProgramListAreTheScreenAndCommonSizesAt16And32Bits) {
    struct Case {
        const char* name;
        bool windowOps;
        int32_t width, height;
        std::vector<LvDisplayMode> mustHave;
        LvDisplayMode mustNotHave;
    };
    const Case cases[] = {
        {"no window operations: 1024 x 768",
         false,
         0,
         0,
         {{640, 480, 16, 0}, {800, 600, 32, 0}, {1024, 768, 16, 0}, {1024, 768, 32, 0}},
         {1280, 1024, 32, 0}},
        {"screen of 1920 x 1080",
         true,
         1920,
         1080,
         {{1920, 1080, 16, 0}, {1920, 1080, 32, 0}, {1280, 720, 16, 0}},
         {2560, 1440, 32, 0}},
        {"screen of an odd size",
         true,
         1000,
         700,
         {{1000, 700, 16, 0}, {1000, 700, 32, 0}, {800, 600, 32, 0}},
         {1024, 768, 16, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.windowOps) {
            UseScreen(c.width, c.height);
        } else {
            SetWindowOps(nullptr);
        }
        const std::vector<LvDisplayMode> modes = Enumerate(EnumDDModes);
        for (const LvDisplayMode& m : c.mustHave) {
            EXPECT_NE(std::find(modes.begin(), modes.end(), m), modes.end())
                << m.width << "x" << m.height << "x" << m.bitsPerPixel;
        }
        EXPECT_EQ(std::find(modes.begin(), modes.end(), c.mustNotHave), modes.end());
        for (size_t i = 1; i < modes.size(); ++i) {
            EXPECT_FALSE(modes[i] == modes[i - 1]);
            EXPECT_TRUE(modes[i].bitsPerPixel == 16 || modes[i].bitsPerPixel == 32);
        }
        EXPECT_EQ(Enumerate(EnumDispModes), modes) << "both enumerations list the same modes";
        SetWindowOps(nullptr);
    }
}

TEST_F(DirectDraw, AProgramListIsOfferedInItsOrderWithoutRepeatsOrEmptyModes) {
    screen_.Offer({{2560, 1440, 24, 60}, {1280, 1024, 16, 75}, {1280, 1024, 16, 75}, {0, 0, 0, 0}, {800, 600, 32, -5}});
    UseScreen(2560, 1440);
    const std::vector<LvDisplayMode> expected = {{2560, 1440, 24, 60}, {1280, 1024, 16, 75}, {800, 600, 32, 0}};
    EXPECT_EQ(Enumerate(EnumDDModes), expected);
    EXPECT_EQ(Enumerate(EnumDispModes), expected);

    g_reported.clear();
    EXPECT_EQ(EnumDDModes(nullptr), -13);
    EXPECT_EQ(EnumDispModes(nullptr), 0);
}

TEST_F(DirectDraw, AModeIsSetByRenderingAtItsSize) {
    UseScreen(1024, 768);
    ASSERT_EQ(InitDDraw(kShowWindow), 0);
    EXPECT_EQ(SetDisplayMode(800, 600, 16, 0), 0);
    EXPECT_EQ(SetDisplayMode(800, 600, 16, 85), 0) << "a mode listed with the default rate takes any rate";
    ASSERT_EQ(CreatePrimary(1), 0);
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(memory_.LastRects().size(), 1u);
    EXPECT_EQ(memory_.LastRects()[0].width, 800);
    EXPECT_EQ(memory_.LastRects()[0].height, 600);

    EXPECT_EQ(SetDisplayMode(123, 45, 16, 0), -13005);
    EXPECT_EQ(DDGetLastError(), plat::DDERR_INVALIDMODE);
    EXPECT_EQ(SetDisplayMode(800, 600, 15, 0), -13005);

    EXPECT_EQ(CloseDDraw(), 1);
    EXPECT_EQ(CloseDDraw(), 0) << "nothing open any more";
    OpenWithPrimary(1);
    ASSERT_EQ(Flip(), 0);
    EXPECT_EQ(memory_.LastRects()[0].width, 1024) << "closing restored the desktop's mode";
}

TEST_F(DirectDraw, WithoutDirectDrawOnlyTheGivenValuesChange) {
    UseScreen(1024, 768);
    EXPECT_EQ(SetDisplayMode(800, 600, 0, 0), 0) << "width and height only; the depth stays 32";
    EXPECT_EQ(SetDisplayMode(0, 0, 16, 0), 0) << "now 800 x 600 at 16 bits";
    EXPECT_EQ(SetDisplayMode(801, 0, 0, 0), -13012);
    EXPECT_EQ(SetDisplayMode(0, 0, 12, 0), -13012);
    OpenWithPrimary(1);
    ASSERT_EQ(Flip(), 0);
    EXPECT_EQ(memory_.LastRects()[0].width, 800);
    EXPECT_EQ(memory_.LastRects()[0].height, 600);
}

TEST_F(DirectDraw, TheOffSwitchMakesTheSurfaceExportsDoNothing) {
    UseScreen(4, 2);
    OpenWithPrimary(1);
    LvHandle sprite = Surface({"rg"});
    const LvHandle back = SetDefaultSurface(1);
    ASSERT_GT(back, 1u);
    shared_.DirectDrawOff = 3;

    EXPECT_EQ(InitDDraw(kShowWindow), 0);
    EXPECT_EQ(GetDDC(sprite), 0u);
    EXPECT_EQ(ReleaseDDC(sprite, 0), 3) << "the switch's own value";
    EXPECT_EQ(CanFlip(), 0);
    EXPECT_EQ(Flip(), 0);
    EXPECT_EQ(CreateSurface(8, 8, 0, 0), 1u);
    EXPECT_EQ(FillSurface(sprite, 0, 0, 2, 1, LetterValue('w'), 0, 0), 0);
    EXPECT_EQ(CanBlt(), 0);
    EXPECT_EQ(DDBlt(0, 0, 0, 2, 1, sprite, 0, 0, 0, 0), 0);
    EXPECT_EQ(MatchColor(0, plat::RGB(1, 2, 3)), 1);
    EXPECT_EQ(CreatePrimary(0), 0);
    EXPECT_EQ(GetScanLine(), 0);
    LvHandle copy = sprite;
    DeleteSurface(&copy);
    EXPECT_EQ(copy, sprite) << "not even the variable is touched";

    shared_.DirectDrawOff = 0;
    EXPECT_EQ(memory_.Presents(), 0) << "nothing was flipped";
    EXPECT_EQ(Read(sprite), (Rows{"rg"})) << "nothing was filled";
    EXPECT_EQ(Read(0), (Rows{"....", "...."})) << "nothing was copied";
    EXPECT_EQ(SetDefaultSurface(1), back) << "the chain was left as it was";
    DeleteSurface(&sprite);
    EXPECT_EQ(sprite, 0u);
}

TEST_F(DirectDraw, StaleZeroAndForeignSurfaceHandlesAreRefused) {
    UseScreen(4, 2);
    ASSERT_EQ(InitDDraw(kShowWindow), 0);
    LvHandle sprite = Surface({"rg"});
    const LvHandle old = sprite;
    DeleteSurface(&sprite);
    EXPECT_EQ(sprite, 0u);
    DeleteSurface(nullptr);

    const LvHandle source = Surface({"b"});
    // Without a primary there is no default surface either; 1 is what the off switch hands out.
    for (const LvHandle bad : {old, LvHandle{0}, LvHandle{1}, LvHandle{0x7FFF7FFF}}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(GetDDC(bad), 0u);
        EXPECT_LT(ReleaseDDC(bad, 0), 0);
        EXPECT_LT(FillSurface(bad, 0, 0, 1, 1, 0, 0, 0), 0);
        EXPECT_EQ(MatchColor(bad, 0), -1);
        EXPECT_LT(DDBlt(bad, 0, 0, 1, 1, source, 0, 0, 0, 0), 0);
        EXPECT_LT(DDBlt(source, 0, 0, 1, 1, bad, 0, 0, 0, 0), 0);
    }

    ASSERT_EQ(CreatePrimary(1), 0);
    const LvHandle live = Surface({"bb"});
    EXPECT_LT(DDBlt(0, 0, 0, 1, 1, 0, 0, 0, 0, 0), 0) << "a null source is no surface";
    EXPECT_LT(DDBlt(0, 0, 0, 1, 1, old, 0, 0, 0, 0), 0);
    EXPECT_LT(ReleaseDDC(0, GetDDC(live)), 0) << "a DC of another surface";
    EXPECT_EQ(ReleaseDDC(live, 0), 0) << "the last DC handed out";

    const LvHandle chainPrimary = SetDefaultSurface(0);
    ASSERT_GT(chainPrimary, 1u);
    LvHandle variable = chainPrimary;
    DeleteSurface(&variable);
    EXPECT_EQ(variable, 0u);
    EXPECT_NE(GetDDC(chainPrimary), 0u) << "the chain goes only with DeletePrimary";
    ReleaseDDC(chainPrimary, 0);

    DeletePrimary();
    EXPECT_EQ(GetDDC(chainPrimary), 0u);
    EXPECT_EQ(GetDDC(0), 0u) << "the default surface went with the chain";
    EXPECT_EQ(SetDefaultSurface(1), 0);
}

TEST_F(DirectDraw, SurfacesNeedAnOpenLayerAndGoWhenItCloses) {
    UseScreen(4, 2);
    EXPECT_EQ(CreateSurface(4, 4, 0, 0), 0u);
    EXPECT_EQ(DDGetLastError(), plat::DDERR_NOTINITIALIZED);
    EXPECT_EQ(CreatePrimary(1), -13006);
    EXPECT_EQ(InitDDraw(0), -13004) << "full-screen use needs a window";

    OpenWithPrimary(1);
    EXPECT_EQ(CreateSurface(0, 4, 0, 0), 0u);
    EXPECT_EQ(DDGetLastError(), plat::DDERR_INVALIDPARAMS);
    const LvHandle back = SetDefaultSurface(1);
    EXPECT_EQ(CreatePrimary(3), -13006);
    EXPECT_EQ(DDGetLastError(), plat::DDERR_INVALIDPARAMS);
    EXPECT_EQ(SetDefaultSurface(1), back) << "a refused chain leaves the one before";
    const LvHandle left = Surface({"r"});
    EXPECT_EQ(CloseDDraw(), 1);
    EXPECT_EQ(GetDDC(left), 0u) << "a surface the program left behind went with the layer";
}

TEST_F(DirectDraw, DefaultSurfaceChoicesAndTheirResults) {
    UseScreen(4, 2);
    ASSERT_EQ(InitDDraw(kShowWindow), 0);
    struct Case {
        int32_t which;
        LvResult result;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{5, 3}, Case{-1, -3}}) {
        EXPECT_EQ(SetDefaultSurface(c.which), c.result) << "without a chain, " << c.which;
    }

    ASSERT_EQ(CreatePrimary(1), 0);
    const LvHandle back = SetDefaultSurface(1);
    const LvHandle primary = SetDefaultSurface(0);
    EXPECT_GT(back, 1u);
    EXPECT_GT(primary, 1u);
    EXPECT_NE(back, primary);
    ASSERT_EQ(FillSurface(0, 0, 0, 1, 1, LetterValue('g'), 0, 0), 0);
    EXPECT_EQ(memory_.Presents(), 1) << "the primary is now where null surfaces draw";
    EXPECT_EQ(SetDefaultSurface(7), 5);
    ASSERT_EQ(FillSurface(0, 1, 0, 1, 1, LetterValue('g'), 0, 0), 0);
    EXPECT_EQ(memory_.Presents(), 2) << "other values change nothing";

    ASSERT_EQ(CreatePrimary(1), 0) << "a second chain replaces the first";
    EXPECT_EQ(GetDDC(back), 0u);
    EXPECT_NE(GetDDC(0), 0u);
    ReleaseDDC(0, 0);
}

// The window side of a chain whose pages share one bitmap: what each showPage lends, and the
// page's letters as they stand at the call.
struct PageViewRecorder {
    struct Call {
        LvHandle dc;
        std::vector<std::vector<int32_t>> rects;
        Rows rows;
    };
    std::vector<Call> calls;
    LvPageView Table() {
        return LvPageView{sizeof(LvPageView), this, [](void* c, LvHandle dc, const LvRect* rects, int32_t n) noexcept {
                              auto* self = static_cast<PageViewRecorder*>(c);
                              Call call{dc, {}, {}};
                              for (int32_t i = 0; i < n; ++i) {
                                  call.rects.push_back({rects[i].x, rects[i].y, rects[i].width, rects[i].height});
                              }
                              plat::PixelAccess a;
                              if (dc != 0 && plat::AccessPixels(plat::GetCurrentBitmap(plat::HDC(dc)), a)) {
                                  for (int y = 0; y < a.height; ++y) {
                                      std::string row;
                                      for (int x = 0; x < a.width; ++x) {
                                          std::uint32_t v;
                                          std::memcpy(&v, a.topRow + a.stride * y + 4 * x, 4);
                                          row += letterpic::ValueLetter(v);
                                      }
                                      call.rows.push_back(row);
                                  }
                              }
                              self->calls.push_back(std::move(call));
                          }};
    }
};

// With a page view the chain's pages are one bitmap: a flip lends it to the view with the
// rectangles drawn since the last flip (their union, cut into disjoint bands), copies nothing
// to the presenter, and the page drawn next already holds the frame shown. The loan ends
// before the bitmap goes, and when the view is taken away.
TEST_F(DirectDraw, APageViewShowsTheOneBitmapOfTheChainWhereItWasDrawn) {
    UseScreen(8, 4);
    PageViewRecorder recorder;
    const LvPageView view = recorder.Table();
    ASSERT_EQ(SetPageSharing(&view), 0);
    EXPECT_EQ(PagesShared(), 0) << "no chain yet";
    OpenWithPrimary(2);
    EXPECT_EQ(PagesShared(), 1);
    // The display start's round: the first flip shows the page whole, the fills are whole.
    for (int page = 0; page < 3; ++page) {
        ASSERT_EQ(FillSurface(0, 0, 0, 8, 4, LetterValue('b'), 0, 0), 0);
        ASSERT_EQ(Flip(), 0);
    }
    ASSERT_EQ(recorder.calls.size(), 3u);
    for (const auto& call : recorder.calls) {
        EXPECT_EQ(call.rects, (std::vector<std::vector<int32_t>>{{0, 0, 8, 4}}));
    }
    ASSERT_EQ(FillSurface(0, 1, 0, 3, 2, LetterValue('r'), 0, 0), 0);
    ASSERT_EQ(FillSurface(0, 2, 1, 3, 2, LetterValue('g'), 0, 0), 0);
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(recorder.calls.size(), 4u);
    EXPECT_EQ(recorder.calls.back().rects,
              (std::vector<std::vector<int32_t>>{{1, 0, 3, 1}, {1, 1, 4, 1}, {2, 2, 3, 1}}));
    EXPECT_EQ(recorder.calls.back().rows, (Rows{"brrrbbbb", "brgggbbb", "bbgggbbb", "bbbbbbbb"}));
    EXPECT_EQ(memory_.Presents(), 0) << "nothing copied to the presenter";
    ASSERT_EQ(Flip(), 0);
    EXPECT_EQ(recorder.calls.size(), 4u) << "nothing drawn, nothing shown";
    // Read through its DC, which could have drawn anywhere: the whole page next time.
    EXPECT_EQ(Read(0), recorder.calls.back().rows) << "the next page is the frame shown";
    ASSERT_EQ(Flip(), 0);
    ASSERT_EQ(recorder.calls.size(), 5u);
    EXPECT_EQ(recorder.calls.back().rects, (std::vector<std::vector<int32_t>>{{0, 0, 8, 4}}));

    ASSERT_EQ(SetPageSharing(nullptr), 0);
    ASSERT_EQ(recorder.calls.size(), 6u);
    EXPECT_EQ(recorder.calls.back().dc, 0u) << "the loan ends with the view";
    EXPECT_EQ(PagesShared(), 1) << "the chain is still one bitmap";
    ASSERT_EQ(FillSurface(0, 0, 0, 1, 1, LetterValue('w'), 0, 0), 0);
    ASSERT_EQ(Flip(), 0);
    EXPECT_EQ(memory_.Presents(), 1) << "without a view the shared page is copied";
    EXPECT_EQ(memory_.Rows()[0][0], 'w');

    ASSERT_EQ(SetPageSharing(&view), 0);
    DeletePrimary();
    EXPECT_EQ(PagesShared(), 0);
    EXPECT_EQ(recorder.calls.size(), 6u) << "a chain made without the view was never lent";
    OpenWithPrimary(1);
    EXPECT_EQ(PagesShared(), 1);
    ASSERT_EQ(Flip(), 0);
    DeletePrimary();
    ASSERT_EQ(recorder.calls.size(), 8u);
    EXPECT_EQ(recorder.calls.back().dc, 0u) << "the loan ends before the bitmap goes";
    ASSERT_EQ(SetPageSharing(nullptr), 0);
}

TEST_F(DirectDraw, APageViewTableWithoutItsCallIsRefused) {
    LvPageView view{sizeof(LvPageView), nullptr, nullptr};
    EXPECT_EQ(SetPageSharing(&view), -13013);
    view = LvPageView{sizeof(LvPageView) - 1, nullptr, [](void*, LvHandle, const LvRect*, int32_t) noexcept {}};
    EXPECT_EQ(SetPageSharing(&view), -13013);
    EXPECT_EQ(SetPageSharing(nullptr), 0);
}

// Long work that steps the show asks CanFlip before it flips: "still drawing" lets it go on
// with its work, where a flip would wait for the rest of the period. A display without a
// refresh rate flips at the show's 20 ms step.
TEST_F(DirectDraw, AFlipIsPendingUntilItsRefreshPeriodIsOver) {
    using Clock = std::chrono::steady_clock;
    UseScreen(4, 2);
    OpenWithPrimary(1);
    // The display start's round over the new chain shows nothing yet: never pending, and the
    // show's first frame after it has no frame to keep pace with either.
    for (int page = 0; page < 2; ++page) {
        EXPECT_EQ(CanFlip(), 0) << page;
        ASSERT_EQ(Flip(), 0);
    }
    EXPECT_EQ(CanFlip(), 0) << "the first frame waits for no frame of the clearing";
    ASSERT_EQ(Flip(), 0);
    const Clock::time_point flipped = Clock::now();
    const LvResult asked = CanFlip();
    const int32_t error = DDGetLastError();
    // Only a machine that stalled for most of the period between the two calls sees it over.
    if (Clock::now() - flipped < std::chrono::milliseconds(15)) {
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(error, plat::DDERR_WASSTILLDRAWING);
    }
    std::this_thread::sleep_until(flipped + std::chrono::milliseconds(21));
    EXPECT_EQ(CanFlip(), 0);
    EXPECT_EQ(DDGetLastError(), 0);
}

TEST_F(DirectDraw, TheScanLineStaysOnTheDisplay) {
    UseScreen(4, 2);
    OpenWithPrimary(1);
    ASSERT_EQ(Flip(), 0);
    for (int i = 0; i < 50; ++i) {
        const LvResult line = GetScanLine();
        EXPECT_TRUE(line == -1 || (line >= 1 && line <= 2)) << line;
    }
    EXPECT_EQ(CanBlt(), 0);
}

}  // namespace
