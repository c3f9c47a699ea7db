// The settings dialog's layout as rectangles: the column widths and smallest size from a
// set of measured captions, every control at the smallest size and at 800 × 600, and the
// header's pictures giving way to a long title.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "program/dialogs/cfg_layout.h"

namespace yov {
void PrintTo(const CfgRect& r, std::ostream* os) {
    *os << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}
}  // namespace yov

namespace {

using yov::CfgRect;

constexpr int32_t kMenuRow = 20;

yov::CfgMetrics metrics() {
    yov::CfgMetrics m;  // 21, 13 and 19 pixels at 15 twips per pixel
    m.borderHeight = kMenuRow;
    return m;
}

yov::CaptionWidths widths() {
    yov::CfgCaptions c;
    c.toolButtons = 90;
    c.headerButtons = 40;
    c.testButton = 30;
    c.browseButton = 45;
    c.clearButton = 30;
    c.cacheOptions = 80;
    c.drawMethods = 120;
    c.displayLabels = 55;
    c.sequenceStop = 110;
    c.limitChecks = 95;
    c.speedLabel = 40;
    c.limitsLabel = 35;
    return yov::MeasureCfgCaptions(c, metrics());
}

yov::CfgHeader header() {
    yov::CfgHeader h;
    h.pictureWidth = {100, 80};
    h.pictureHeight = {58, 40};
    h.titleWidth = 120;
    h.titleHeight = 16;
    return h;
}

// The layout for an outer size (what the window measures, its menu bar included).
yov::CfgLayout layoutAt(int32_t width, int32_t height, const yov::CfgHeader& h = header()) {
    return yov::LayoutCfg(widths(), metrics(), h, width, height - kMenuRow);
}

TEST(CfgLayout, ColumnWidthsAndTheSmallestSizeFollowTheCaptions) {
    const yov::CaptionWidths w = widths();
    EXPECT_EQ(w.toolButton, 100);
    EXPECT_EQ(w.headerButton, 60) << "header buttons are at least 60 wide";
    EXPECT_EQ(w.cacheOption, 101) << "an option's caption plus the room of its circle";
    EXPECT_EQ(w.limitCheck, 116);
    EXPECT_EQ(w.mainButtons, 310);
    EXPECT_EQ(w.cacheFrame, 121);
    EXPECT_EQ(w.drawFrame, 161);
    EXPECT_EQ(w.sequenceFrame, 151);
    EXPECT_EQ(w.limitsColumn, 164);
    EXPECT_EQ(w.pagesWidth, 486) << "the mode page is the wider one here";
    EXPECT_EQ(w.upperFrames, 92);
    EXPECT_EQ(w.lowerFrames, 73);
    EXPECT_EQ(w.MinDialogWidth, 506);
    EXPECT_EQ(w.MinDialogHeight, 327);
}

TEST(CfgLayout, AtTheSmallestSize) {
    const yov::CfgLayout l = layoutAt(506, 327);
    EXPECT_EQ(l.shape1, (CfgRect{0, 0, 326, 58}));
    EXPECT_EQ(l.pic[0], (CfgRect{0, 0}));
    EXPECT_EQ(l.pic[1], (CfgRect{246, 18}));
    EXPECT_EQ(l.title, (CfgRect{113, 21}));
    EXPECT_EQ(l.cmdAbout, (CfgRect{346, 5, 60, 21}));
    EXPECT_EQ(l.cmdHelp, (CfgRect{346, 31, 60, 21}));
    EXPECT_EQ(l.cmdOk, (CfgRect{426, 18, 60, 21}));
    EXPECT_EQ(l.tab1, (CfgRect{5, 62, 496, 226}));
    EXPECT_EQ(l.pageFrame, (CfgRect{10, 88, 486, 195}));

    // Page "Main": gx = 13 (at least 3 at the smallest width), gy = 17.
    EXPECT_EQ(l.labF[0], (CfgRect{13, 17}));
    EXPECT_EQ(l.cmbFil[0], (CfgRect{13, 30, 258}));
    EXPECT_EQ(l.cmdBrw[0], (CfgRect{284, 30, 55, 21}));
    EXPECT_EQ(l.chkBackup, (CfgRect{362, 34, 101, 13}));
    EXPECT_EQ(l.labF[1], (CfgRect{13, 68}));
    EXPECT_EQ(l.cmbFil[1], (CfgRect{13, 81, 258}));
    EXPECT_EQ(l.cmdBrw[1], (CfgRect{284, 81, 55, 21}));
    EXPECT_EQ(l.cmdStockList, (CfgRect{13, 148, 100, 21}));
    EXPECT_EQ(l.cmdTestWindow, (CfgRect{126, 148, 100, 21}));
    EXPECT_EQ(l.cmdTestFull, (CfgRect{239, 148, 100, 21}));
    EXPECT_EQ(l.frmCache, (CfgRect{352, 59, 121, 110})) << "its bottom meets the bottom of the tool row";
    EXPECT_EQ(l.optCache[3], (CfgRect{10, 56, 101, 13}));
    EXPECT_EQ(l.cmdClear, (CfgRect{40, 74, 40, 21}));

    // Mode page: hg = 2, vg = 2.
    EXPECT_EQ(l.frmDraw, (CfgRect{2, 2, 161, 92}));
    EXPECT_EQ(l.optAlg[4], (CfgRect{10, 69, 141, 13}));
    EXPECT_EQ(l.framDX, (CfgRect{2, 96, 161, 88}));
    EXPECT_EQ(l.chkAct, (CfgRect{10, 0, 141, 13}));
    EXPECT_EQ(l.modeLabel[0], (CfgRect{0, 19, 55, 13}));
    EXPECT_EQ(l.modeCombo[0], (CfgRect{55, 15, 106}));
    EXPECT_EQ(l.modeCombo[2], (CfgRect{55, 67, 106}));
    EXPECT_EQ(l.frmSeq, (CfgRect{165, 2, 151, 92}));
    EXPECT_EQ(l.optSeq[0], (CfgRect{10, 25, 131, 13}));
    EXPECT_EQ(l.chkSkipErr, (CfgRect{175, 96, 131, 13}));
    EXPECT_EQ(l.frmStp, (CfgRect{165, 111, 151, 73}));
    EXPECT_EQ(l.chkStopClick, (CfgRect{10, 43, 131, 13}));
    EXPECT_EQ(l.labSpeed, (CfgRect{320, 22, 116, 13}));
    EXPECT_EQ(l.txtSpeed, (CfgRect{441, 18, 43, 21}));
    EXPECT_EQ(l.limLab, (CfgRect{320, 57, 164, 13}));
    EXPECT_EQ(l.chkLin, (CfgRect{320, 79, 116, 13}));
    EXPECT_EQ(l.txtLin, (CfgRect{441, 75, 43, 21}));
    EXPECT_EQ(l.chkLen, (CfgRect{320, 105, 116, 13}));
    EXPECT_EQ(l.txtAvg, (CfgRect{441, 127, 43, 21}));
    EXPECT_EQ(l.cmdTst, (CfgRect{382, 166, 40, 21}));
}

TEST(CfgLayout, AtEightHundredBySixHundred) {
    const yov::CfgLayout l = layoutAt(800, 620);  // a client area of 800 × 600
    EXPECT_EQ(l.shape1, (CfgRect{0, 0, 620, 58}));
    EXPECT_EQ(l.pic[1], (CfgRect{540, 18}));
    EXPECT_EQ(l.title, (CfgRect{260, 21})) << "in the middle of the free space";
    EXPECT_EQ(l.cmdAbout, (CfgRect{640, 5, 60, 21}));
    EXPECT_EQ(l.cmdOk, (CfgRect{720, 18, 60, 21}));
    EXPECT_EQ(l.tab1, (CfgRect{5, 62, 790, 519}));
    EXPECT_EQ(l.pageFrame, (CfgRect{10, 88, 780, 488}));

    EXPECT_EQ(l.labF[0], (CfgRect{71, 75}));
    EXPECT_EQ(l.cmbFil[0], (CfgRect{71, 88, 320}));
    EXPECT_EQ(l.cmdBrw[0], (CfgRect{462, 88, 55, 21}));
    EXPECT_EQ(l.chkBackup, (CfgRect{598, 92, 101, 13}));
    EXPECT_EQ(l.cmbFil[1], (CfgRect{71, 197, 320}));
    EXPECT_EQ(l.cmdStockList, (CfgRect{71, 351, 100, 21}));
    EXPECT_EQ(l.cmdTestWindow, (CfgRect{242, 351, 100, 21}));
    EXPECT_EQ(l.cmdTestFull, (CfgRect{417, 351, 100, 21}));
    EXPECT_EQ(l.frmCache, (CfgRect{588, 262, 121, 110}));

    // The limits column keeps to the right edge; the two others spread with gaps of 76.
    EXPECT_EQ(l.frmDraw, (CfgRect{76, 75, 161, 92}));
    EXPECT_EQ(l.framDX, (CfgRect{76, 242, 161, 161}));
    EXPECT_EQ(l.modeCombo[1], (CfgRect{55, 114, 106}));
    EXPECT_EQ(l.frmSeq, (CfgRect{313, 75, 151, 92}));
    EXPECT_EQ(l.chkSkipErr, (CfgRect{323, 242, 131, 13}));
    EXPECT_EQ(l.frmStp, (CfgRect{313, 330, 151, 73}));
    EXPECT_EQ(l.labSpeed, (CfgRect{540, 95, 116, 13}));
    EXPECT_EQ(l.txtSpeed, (CfgRect{661, 91, 43, 21}));
    EXPECT_EQ(l.limLab, (CfgRect{540, 203, 164, 13}));
    EXPECT_EQ(l.txtLin, (CfgRect{661, 221, 43, 21}));
    EXPECT_EQ(l.chkAvg, (CfgRect{540, 277, 116, 13}));
    EXPECT_EQ(l.cmdTst, (CfgRect{602, 385, 40, 21}));
}

// Controls taller than a line of text (as the toolkit's are): rows of their height inside the
// frames below the caption, and a smallest size at which the pages hold them all.
TEST(CfgLayout, TallerControlsGetTallerRowsAndRoomAtTheSmallestSize) {
    yov::CfgMetrics m = metrics();
    m.optionRow = 19;
    m.markRoom = 27;
    m.comboHeight = 22;
    m.captionedTop = 20;
    m.plainTop = 7;
    m.frameEdge = 4;
    yov::CfgCaptions c;
    c.toolButtons = 90;
    c.cacheOptions = 80;
    c.drawMethods = 120;
    c.displayLabels = 55;
    c.sequenceStop = 110;
    c.limitChecks = 95;
    const yov::CaptionWidths w = yov::MeasureCfgCaptions(c, m);
    EXPECT_EQ(w.cacheOption, 107) << "the caption and the room of the mark as measured";
    EXPECT_EQ(w.upperFrames, 20 + 5 * 19 + 10);
    EXPECT_EQ(w.lowerFrames, std::max(3 * 22 + 10, 20 + 3 * 19 + 10));
    auto at = [&](int32_t height) { return yov::LayoutCfg(w, m, header(), w.MinDialogWidth, height - kMenuRow); };
    EXPECT_TRUE(yov::PagesClear(at(w.MinDialogHeight), m));
    EXPECT_FALSE(yov::PagesClear(at(w.MinDialogHeight - 1), m)) << "the first height that holds them";

    const yov::CfgLayout l = at(w.MinDialogHeight);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(l.optCache[i], (CfgRect{10, 20 + 19 * static_cast<int32_t>(i), 107, 19}));
    EXPECT_EQ(l.cmdClear.y, 20 + 4 * 19 + 5);
    EXPECT_GE(l.frmCache.y, l.chkBackup.y + l.chkBackup.h) << "the cache frame stays below the backup box";
    EXPECT_EQ(l.chkAct, (CfgRect{10, 7, w.drawMethod, 19})) << "inside the frame's line, not on it";
    EXPECT_EQ(l.modeLabel[0].x, 4);
    EXPECT_GE(l.modeLabel[0].y, l.chkAct.y + l.chkAct.h);
    EXPECT_EQ(l.modeCombo[0].x, 4 + 55 + 4);
    EXPECT_LE(l.modeCombo[2].y + 22 + 4, l.framDX.h);
    EXPECT_EQ(l.chkStopClick, (CfgRect{10, 20 + 2 * 19, w.sequenceOption, 19}));
    EXPECT_GE(l.frmStp.y, l.chkSkipErr.y + l.chkSkipErr.h);
}

struct HeaderCase {
    const char* name;
    int32_t band;  // N
    int32_t pic0Left, pic1Left, titleLeft;
};

// Pictures of 200 and 120 pixels and a title of 300.
const HeaderCase kHeaders[] = {
    {"WiderPictureGivesUpAllWhenTheGapCovers", 560, -70, 440, 135},
    {"BothStayWholeWhenEverythingFits", 700, 0, 580, 240},
    {"BothGiveUpWhenTheGapIsTooSmall", 500, -105, 405, 100},
};

class CfgHeaderCut : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(CfgHeaderCut, PicturesMoveOutOfTheBand) {
    const HeaderCase& c = GetParam();
    yov::CfgHeader h;
    h.pictureWidth = {200, 120};
    h.pictureHeight = {58, 58};
    h.titleWidth = 300;
    h.titleHeight = 16;
    const yov::CfgLayout l = layoutAt(c.band + 60 + 2 * widths().headerButton, 400, h);
    EXPECT_EQ(l.shape1.w, c.band);
    EXPECT_EQ(l.pic[0].x, c.pic0Left);
    EXPECT_EQ(l.pic[1].x, c.pic1Left);
    EXPECT_EQ(l.title.x, c.titleLeft);
}

INSTANTIATE_TEST_SUITE_P(Cases, CfgHeaderCut, ::testing::ValuesIn(kHeaders),
                         [](const ::testing::TestParamInfo<HeaderCase>& i) { return std::string(i.param.name); });

TEST(CfgLayout, WithoutHelpTheAboutButtonIsCentredInTheHeader) {
    yov::CfgHeader h = header();
    h.helpHidden = true;
    const yov::CfgLayout l = layoutAt(600, 400, h);
    EXPECT_EQ(l.cmdAbout.y, (58 - 21) / 2);
    EXPECT_EQ(l.cmdAbout.y, l.cmdOk.y);
}

}  // namespace
