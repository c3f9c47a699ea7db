// The track and overhead line of every way code, pixel by pixel against the built-in
// templates; the raised structure, the masts, the wire limits and the repaint words.
#include <gtest/gtest.h>

#include <array>

#include "trains_fixture.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader.h"
#include "program/trains/area_painting.h"

namespace {

using trains_test::kSky;
constexpr plat::COLORREF kGrey = plat::RGB(192, 192, 192);
constexpr int kLeft = 10;
constexpr int kBase = 90;
constexpr int kWidth = 100;

class AreaPainting : public trains_test::AreaTest {
protected:
    void SetUp() override {
        AreaTest::SetUp();
        MakeScene(200, 130);
        area.OriginX = kLeft;
        area.Width = kWidth;
        area.BandTop = 10;
        area.BandHeight = 100;
        area.AboveBase = 80;
        area.BelowBase = 20;
        area.VehicleHeight = 60;
    }
    uint8_t Draw(std::u16string& code) {
        return yov::DrawObjectPicture(code, yov::decimal(scene->dc.Value()), u"0", kLeft, kBase, area, 0);
    }
    // Rows of the band: the template's own pixels, tiled from the area's left end.
    void ExpectBand(int tmpl, int height) {
        const yov::LoadedPicture* t = tmpl < 0 ? nullptr : &yov::areaTemplates().Track[tmpl];
        for (int r = 0; r < height; ++r) {
            for (int x = 0; x < kWidth; ++x) {
                const plat::COLORREF want = t == nullptr ? kGrey : plat::GetPixel(t->dcs.picture.dc, x % t->width, r);
                ASSERT_EQ(Pixel(kLeft + x, kBase + r), want) << "band row " << r << " column " << x;
            }
        }
        EXPECT_EQ(Pixel(kLeft, kBase + height), kSky) << "nothing below the band";
        EXPECT_EQ(Pixel(kLeft - 1, kBase), kSky) << "nothing left of the area";
        EXPECT_EQ(Pixel(kLeft + kWidth, kBase), kSky) << "nothing right of the area";
    }
    void ExpectWire(int height) {
        const int row = kBase - height - 1;
        for (int x = 0; x < kWidth; ++x) ASSERT_EQ(Pixel(kLeft + x, row), kGrey) << "wire column " << x;
        EXPECT_EQ(Pixel(kLeft, row - 1), kSky);
        EXPECT_EQ(Pixel(kLeft, row + 1), kSky);
    }

    yov::TrainRec area;
};

struct WayCase {
    const char16_t* code;
    const char16_t* completed;
    uint8_t bits;
    int tmpl;    // -1 the plain grey band
    int height;  // 0 no band
    int wire;    // -1 none
};

TEST_F(AreaPainting, EveryWayCodeDrawsItsBandAndWire) {
    const WayCase cases[] = {
        {u"a", u"a", 1, -1, 1, -1},        {u"A", u"A", 1, -1, 2, -1},      {u"f", u"aL31", 5, -1, 1, 31},
        {u"F", u"AL31", 5, -1, 2, 31},     {u"t", u"at", 5, -1, 1, 60},     {u"T", u"AT", 5, -1, 2, 60},
        {u"bE", u"bE", 5, -1, 1, 60},      {u"uV", u"uV", 5, -1, 1, 60},    {u"e", u"re", 5, 1, 2, 60},
        {u"E", u"RE", 5, 1, 3, 60},        {u"v", u"rv", 5, 1, 2, 60},      {u"dT", u"dT", 5, 1, 2, 60},
        {u"rL450", u"rL450", 5, 1, 2, 45}, {u"RL40", u"RL40", 5, 1, 3, 40}, {u"m", u"rm", 3, 1, 2, -1},
        {u"q", u"q", 1, 3, 3, -1},         {u"Q", u"Q", 1, 3, 4, -1},       {u"p", u"p", 1, 3, 5, -1},
        {u"P", u"P", 1, 3, 6, -1},         {u"g", u"g", 1, 4, 4, -1},       {u"G", u"G", 1, 4, 5, -1},
        {u"j", u"j", 1, 5, 3, -1},         {u"J", u"J", 1, 5, 4, -1},       {u"k", u"k", 1, 5, 5, -1},
        {u"K", u"K", 1, 5, 6, -1},         {u"0", u"0", 1, 2, 2, -1},       {u"3E", u"3E", 5, 2, 5, 60},
        {u"5", u"5", 1, 2, 7, -1},         {u"X", u"X", 0, -1, 0, -1},      {u"XE", u"XE", 4, -1, 0, 60},
        {u"?", u"?", 0, -1, 0, -1},
    };
    for (const WayCase& c : cases) {
        SCOPED_TRACE(core_test::utf8(c.code));
        MakeScene(200, 130);
        area.LayerTop = area.LayerBottom = area.WireHeight = 0;
        std::u16string code = c.code;
        EXPECT_EQ(Draw(code), c.bits);
        EXPECT_EQ(code, c.completed);
        if (c.height > 0) {
            ExpectBand(c.tmpl, c.height);
        } else {
            EXPECT_EQ(Pixel(kLeft, kBase), kSky);
        }
        EXPECT_EQ(area.LayerBottom, c.height);
        if (c.wire >= 0) {
            ExpectWire(c.wire);
            EXPECT_EQ(area.WireHeight, c.wire);
            EXPECT_EQ(area.LayerTop, c.wire + 1);
        } else if ((c.bits & yov::draw_bit::kSupport) == 0) {
            for (int y = 0; y < kBase; ++y) ASSERT_EQ(Pixel(kLeft + 5, y), kSky) << "nothing above the base, row " << y;
        }
    }
}

TEST_F(AreaPainting, MastsStandOnTheBaseLineWithTheirWire) {
    for (const char16_t* code : {u"rM", u"RS"}) {
        SCOPED_TRACE(core_test::utf8(code));
        MakeScene(200, 130);
        area.LayerTop = 0;
        std::u16string c = code;
        EXPECT_EQ(Draw(c), 3);
        const yov::LoadedPicture& s = yov::areaTemplates().Support;
        ASSERT_GT(s.height, 60);
        EXPECT_EQ(area.LayerTop, s.height);
        EXPECT_EQ(area.WireHeight, 0) << "the masts carry their own wire";
        // Opaque pixels of the support picture are its own; clear ones leave the scene.
        for (int y = 0; y < s.height; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool opaque = plat::GetPixel(s.dcs.mask.dc, x % s.width, y) != 0;
                const plat::COLORREF want = opaque ? plat::GetPixel(s.dcs.picture.dc, x % s.width, y) : kSky;
                ASSERT_EQ(Pixel(kLeft + x, kBase - s.height + y), want) << x << "," << y;
            }
        }
    }
}

TEST_F(AreaPainting, TheRaisedStructureHasADeckAndPiersDownToTheAreaBottom) {
    std::u16string code = u"h";
    EXPECT_EQ(Draw(code), 3);
    EXPECT_EQ(code, u"H");
    EXPECT_EQ(area.LayerBottom, 20);
    EXPECT_EQ(area.LayerTop, yov::areaTemplates().Structure.height);
    const yov::LoadedPicture& deck = yov::areaTemplates().Track[0];
    for (int r = 0; r < 4; ++r) EXPECT_EQ(Pixel(kLeft + 3, kBase + r), plat::GetPixel(deck.dcs.picture.dc, 3, r));
    // Area columns 0..99 lie left of the first pier: the background colour down to the depth.
    for (int r = 4; r < 20; ++r) EXPECT_EQ(Pixel(kLeft + 50, kBase + r), kSky) << r;
    EXPECT_EQ(Pixel(kLeft + 50, kBase + 20), kSky);
    // A wider area reaches the pier at columns 152..160 of every 241.
    MakeScene(400, 130);
    area.Width = 300;
    code = u"H";
    Draw(code);
    const yov::LoadedPicture& piers = yov::areaTemplates().Track[6];
    for (int r = 4; r < 20; ++r) {
        EXPECT_EQ(Pixel(kLeft + 156, kBase + r), plat::GetPixel(piers.dcs.picture.dc, 156, 0)) << r;
        EXPECT_NE(Pixel(kLeft + 156, kBase + r), kSky);
        EXPECT_EQ(Pixel(kLeft + 151, kBase + r), kSky);
    }
}

TEST_F(AreaPainting, AWireOutsideItsLimitsIsTheCposMessageForTheLine) {
    core_test::defaultTexts()[u"CPOS"] = u"Wire height out of range";
    core_test::defaultTexts()[u"IFL"] = u"in %1 line %2";
    // The line being started stands in line 17 of its script file.
    yov::SceneScript& script = yov::scriptReader().S;
    script = yov::SceneScript{};
    script.FileNames = {u"", u"wires.ttt"};
    script.FileCount = 1;
    script.Members.resize(3);
    script.Members[2].FileIndex = 1;
    script.Members[2].Line = 17;
    area.Line = 2;
    for (const char16_t* code : {u"rL25", u"rL61", u"aL3000", u"aL", u"l"}) {
        SCOPED_TRACE(core_test::utf8(code));
        MakeScene(200, 130);
        std::u16string c = code;
        try {
            Draw(c);
            ADD_FAILURE() << "no error";
        } catch (const yov::ProgramError& e) {
            EXPECT_EQ(e.number(), 6002);
            EXPECT_EQ(e.description(), u"Wire height out of range in wires.ttt line 17") << "with the line's place";
        }
        EXPECT_NE(Pixel(kLeft, kBase), kSky) << "the band is drawn before the check";
    }
    script = yov::SceneScript{};
}

TEST_F(AreaPainting, RepaintWordsFollowTheFlipCount) {
    struct Case {
        int32_t flips;
        std::array<int32_t, 3> words;
    };
    for (const Case& c :
         {Case{0, {0x21, 0, 0}}, Case{1, {0x21, 0x21, 0}}, Case{2, {0x21, 0x21, 0x21}}, Case{7, {0x21, 0x21, 0x21}}}) {
        yov::showState().FlipCount = c.flips;
        yov::TrainRec a;
        yov::SetLayerFlags(a, 0x20);
        yov::SetLayerFlags(a, 0x01);
        EXPECT_EQ(a.BufferRedraw, c.words) << c.flips;
    }
    yov::TrainRec a;
    yov::showState().FlipCount = 0;
    yov::SetLayerFlags(a, static_cast<int16_t>(0x8000));
    EXPECT_EQ(a.BufferRedraw[0], static_cast<int32_t>(0xFFFF8000)) << "sign-extended";
}

}  // namespace
