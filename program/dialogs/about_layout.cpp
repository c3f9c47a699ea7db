#include "program/dialogs/about_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace yov {

namespace {

// Halves go to the even neighbour, as every turning of twips into pixels does (plat::roundHalfEven).
int32_t nearest(double v) { return static_cast<int32_t>(std::nearbyint(v)); }
int32_t half(int32_t v) { return v / 2; }
// A picture or title much wider than the built-in ones could make a size negative.
int32_t size(int32_t v) { return std::max(v, 0); }

}  // namespace

AboutPlaces LayOutAbout(const AboutMeasures& m) {
    AboutPlaces p;
    if (m.minimised) return p;
    p.changed = true;
    const int32_t W = m.width, H = m.height;
    const int32_t g = nearest((W - m.labelWidths[1] - m.buttonWidth) / 3.0);
    p.band = {0, 0, size(W), kAboutBandHeight};
    p.groundShown = !m.noRail;
    if (p.groundShown) p.ground = {0, kAboutBandHeight, size(W), m.railTileHeight};

    const int32_t over = m.titleWidth + m.leftPictureWidth + m.rightPictureWidth - W + 10;
    int32_t titleLeft;
    if (over > 0) {
        const int32_t d = std::abs(m.leftPictureWidth - m.rightPictureWidth);
        int32_t wider = over, narrower = 0;
        if (d <= over) {
            narrower = half(over - d);
            wider = d + half(over - d);
        }
        const bool rightWider = m.rightPictureWidth >= m.leftPictureWidth;
        const int32_t lossL = rightWider ? narrower : wider;
        const int32_t lossR = rightWider ? wider : narrower;
        p.leftPicture = {-lossL, kAboutBandHeight - m.leftPictureHeight, m.leftPictureWidth, m.leftPictureHeight};
        p.rightPicture = {W - m.rightPictureWidth + lossR, kAboutBandHeight - m.rightPictureHeight,
                          size(m.rightPictureWidth - lossR), m.rightPictureHeight};
        titleLeft = m.leftPictureWidth - lossL;
    } else {
        p.leftPicture = {0, kAboutBandHeight - m.leftPictureHeight, m.leftPictureWidth, m.leftPictureHeight};
        p.rightPicture = {W - m.rightPictureWidth, kAboutBandHeight - m.rightPictureHeight, m.rightPictureWidth,
                          m.rightPictureHeight};
        titleLeft = m.leftPictureWidth - half(over);
    }
    p.title = {titleLeft, half(nearest(kAboutBandHeight - m.titleHeight)), m.titleWidth, m.titleHeight};

    // The labels start below where the ground strip is, shown or not.
    const int32_t y0 = nearest(m.railTileHeight + kAboutBandHeight + 5);
    int32_t y = y0;
    for (size_t i = 0; i < p.labels.size(); ++i) {
        p.labels[i] = {g, y, m.labelWidths[i], m.labelHeights[i]};
        y += m.labelHeights[i];
    }
    const int32_t y1 = y;
    p.button = {W - g - m.buttonWidth, y0 + half(y1 - y0 - m.rowHeight), m.buttonWidth, m.buttonHeight};
    p.lineX1 = 5;
    p.lineY = y1 + 5;
    p.lineX2 = W - 10;
    p.credits = {0, y1 + 10, size(W), size(H - (y1 + 10))};
    return p;
}

}  // namespace yov
