// The display-mode lists of the full-screen show: every offered depth and rate has its item at
// its own place (depths without a caption are left out of both), no list grows past its room,
// and the resolution chosen for a stored one that is not listed.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "program/dialogs/display_modes.h"

namespace {

struct Mode {
    int32_t w, h, depth, rate;
};

// The modes as the dialog collects them: arrays numbered from 1.
class Modes {
public:
    explicit Modes(const std::vector<Mode>& modes) {
        w_.push_back(0), h_.push_back(0), d_.push_back(0), r_.push_back(0);
        for (const Mode& m : modes) w_.push_back(m.w), h_.push_back(m.h), d_.push_back(m.depth), r_.push_back(m.rate);
    }
    yov::DisplayModes view() const {
        return {static_cast<int32_t>(w_.size()) - 1, w_.data(), h_.data(), d_.data(), r_.data()};
    }

private:
    std::vector<int32_t> w_, h_, d_, r_;
};

TEST(DisplayModeLists, DepthsAndRatesOfAResolution) {
    struct Case {
        const char* name;
        std::vector<Mode> modes;
        std::vector<int32_t> depths;  // of 800 × 600
        std::vector<int32_t> rates;   // of 800 × 600 at the first depth
    };
    std::vector<Mode> many;
    for (int32_t r = 50; r < 100; r += 2) many.push_back({800, 600, 16, r});
    std::vector<Mode> odd = {{800, 600, 15, 60}, {800, 600, 16, 60}, {800, 600, 12, 60}, {800, 600, 32, 60}};
    const Case cases[] = {
        {"in the order reported, once each",
         {{800, 600, 16, 75}, {1024, 768, 8, 60}, {800, 600, 32, 60}, {800, 600, 16, 60}, {800, 600, 16, 75}},
         {16, 32},
         {75, 60}},
        {"depths without an item are left out, so items keep their places", odd, {16, 32}, {60}},
        {"24 and 32 bits are two entries", {{800, 600, 24, 0}, {800, 600, 32, 0}}, {24, 32}, {}},
        {"rate 0 is no rate", {{800, 600, 8, 0}, {800, 600, 8, 72}}, {8}, {72}},
        {"at most ten rates", many, {16}, {50, 52, 54, 56, 58, 60, 62, 64, 66, 68}},
        {"another resolution only", {{640, 480, 4, 60}}, {}, {}},
    };
    for (const Case& c : cases) {
        const Modes m(c.modes);
        const std::vector<int32_t> depths = yov::DepthsOf(m.view(), 800, 600);
        EXPECT_EQ(depths, c.depths) << c.name;
        const int32_t first = depths.empty() ? 0 : depths.front();
        EXPECT_EQ(yov::RatesOf(m.view(), 800, 600, first), c.rates) << c.name;
        for (int32_t d : depths) EXPECT_FALSE(yov::DepthCaption(d).empty()) << c.name << " " << d;
    }
}

TEST(DisplayModeLists, Captions) {
    EXPECT_EQ(plat::utf16ToUtf8(yov::ResolutionCaption(1024, 768)), "1024 \u00D7 768");
    EXPECT_EQ(plat::utf16ToUtf8(yov::RateCaption(75)), "75 Hz");
    const std::array<std::pair<int32_t, const char*>, 7> depths = {{{4, "16 Colors"},
                                                                    {8, "256 Colors"},
                                                                    {16, "High Color (16 bit)"},
                                                                    {24, "True Color (24 bit)"},
                                                                    {32, "True Color (24 bit)"},
                                                                    {15, ""},
                                                                    {0, ""}}};
    for (const auto& [d, caption] : depths) EXPECT_EQ(plat::utf16ToUtf8(yov::DepthCaption(d)), caption) << d;
}

TEST(DisplayModeLists, TheResolutionToSelect) {
    yov::ResolutionList list;
    list.count = 3;
    list.width[1] = 800, list.height[1] = 600;
    list.width[2] = 1280, list.height[2] = 800;
    list.width[3] = 1024, list.height[3] = 768;
    struct Case {
        const char* name;
        int32_t w, h;
        int want;
        bool screen;
    };
    const Case cases[] = {
        {"the stored one", 1024, 768, 2, false},
        {"not listed: the screen's size", 1600, 1200, 1, true},
        {"height alone is not enough", 800, 768, 1, true},
    };
    for (const Case& c : cases) {
        bool screen = false;
        EXPECT_EQ(yov::ResolutionToSelect(list, c.w, c.h, 1280, 800, &screen), c.want) << c.name;
        EXPECT_EQ(screen, c.screen) << c.name;
    }
    bool screen = false;
    EXPECT_EQ(yov::ResolutionToSelect(list, 1, 1, 1920, 1080, &screen), 0) << "else the first";
    EXPECT_TRUE(screen);
    EXPECT_EQ(yov::ResolutionToSelect(yov::ResolutionList{}, 800, 600, 800, 600), -1) << "an empty list";
    EXPECT_EQ(yov::EntryToSelect({16, 32}, 32), 1);
    EXPECT_EQ(yov::EntryToSelect({16, 32}, 8), 0);
    EXPECT_EQ(yov::EntryToSelect({}, 8), -1);
}

}  // namespace
