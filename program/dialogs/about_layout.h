// Where the About window's controls go for an inner size: pure arithmetic over the
// measured sizes of its labels, button and pictures (pixels).
#pragma once

#include <array>
#include <cstdint>

namespace yov {

struct AboutRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const AboutRect&) const = default;
};

struct AboutMeasures {
    int32_t width = 0, height = 0;  // inner size
    bool minimised = false;
    bool noRail = false;  // the script's flag 1
    int32_t titleW = 0, titleH = 0;
    std::array<int32_t, 4> labW{}, labH{};
    int32_t buttonW = 0, buttonH = 0;
    int32_t leftPicW = 0, leftPicH = 0, rightPicW = 0, rightPicH = 0;
    int32_t railTileH = 0;
    int32_t ButtonHeight = 0;  // the height of one control row
};

struct AboutPlaces {
    bool changed = false;  // false while minimised: nothing moves
    AboutRect band, leftPic, rightPic, ground, title, button, credits;
    bool groundShown = false;
    std::array<AboutRect, 4> lab{};
    int32_t lineX1 = 0, lineY = 0, lineX2 = 0;
};

inline constexpr int32_t kAboutBandHeight = 58;

AboutPlaces LayOutAbout(const AboutMeasures& m);

}  // namespace yov
