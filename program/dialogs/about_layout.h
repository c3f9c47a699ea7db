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
    int32_t titleWidth = 0, titleHeight = 0;
    std::array<int32_t, 4> labelWidths{}, labelHeights{};
    int32_t buttonWidth = 0, buttonHeight = 0;
    int32_t leftPictureWidth = 0, leftPictureHeight = 0, rightPictureWidth = 0, rightPictureHeight = 0;
    int32_t railTileHeight = 0;
    int32_t rowHeight = 0;  // the height of one control row
};

struct AboutPlaces {
    bool changed = false;  // false while minimised: nothing moves
    AboutRect band, leftPicture, rightPicture, ground, title, button, credits;
    bool groundShown = false;
    std::array<AboutRect, 4> labels{};
    int32_t lineX1 = 0, lineY = 0, lineX2 = 0;  // the line under the labels, from x1 to x2
};

inline constexpr int32_t kAboutBandHeight = 58;

AboutPlaces LayOutAbout(const AboutMeasures& m);

}  // namespace yov
