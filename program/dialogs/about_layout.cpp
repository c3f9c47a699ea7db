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
    const int32_t g = nearest((W - m.labW[1] - m.buttonW) / 3.0);
    p.band = {0, 0, size(W), kAboutBandHeight};
    p.groundShown = !m.noRail;
    if (p.groundShown) p.ground = {0, kAboutBandHeight, size(W), m.railTileH};

    const int32_t over = m.titleW + m.leftPicW + m.rightPicW - W + 10;
    int32_t titleLeft;
    if (over > 0) {
        const int32_t d = std::abs(m.leftPicW - m.rightPicW);
        int32_t wider = over, narrower = 0;
        if (d <= over) {
            narrower = half(over - d);
            wider = d + half(over - d);
        }
        const bool rightWider = m.rightPicW >= m.leftPicW;
        const int32_t lossL = rightWider ? narrower : wider;
        const int32_t lossR = rightWider ? wider : narrower;
        p.leftPic = {-lossL, kAboutBandHeight - m.leftPicH, m.leftPicW, m.leftPicH};
        p.rightPic = {W - m.rightPicW + lossR, kAboutBandHeight - m.rightPicH, size(m.rightPicW - lossR), m.rightPicH};
        titleLeft = m.leftPicW - lossL;
    } else {
        p.leftPic = {0, kAboutBandHeight - m.leftPicH, m.leftPicW, m.leftPicH};
        p.rightPic = {W - m.rightPicW, kAboutBandHeight - m.rightPicH, m.rightPicW, m.rightPicH};
        titleLeft = m.leftPicW - half(over);
    }
    p.title = {titleLeft, half(nearest(kAboutBandHeight - m.titleH)), m.titleW, m.titleH};

    // The labels start below where the ground strip is, shown or not.
    const int32_t y0 = nearest(m.railTileH + kAboutBandHeight + 5);
    int32_t y = y0;
    for (size_t i = 0; i < p.lab.size(); ++i) {
        p.lab[i] = {g, y, m.labW[i], m.labH[i]};
        y += m.labH[i];
    }
    const int32_t y1 = y;
    p.button = {W - g - m.buttonW, y0 + half(y1 - y0 - m.ButtonHeight), m.buttonW, m.buttonH};
    p.lineX1 = 5;
    p.lineY = y1 + 5;
    p.lineX2 = W - 10;
    p.credits = {0, y1 + 10, size(W), size(H - (y1 + 10))};
    return p;
}

}  // namespace yov
