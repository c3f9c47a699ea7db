// The preview window on the offscreen platform: the built-in pictures and the wire, picture
// settings that replace them (or fail to), and the pictures standing on the rail.
#include <gtest/gtest.h>

#include <string>

#include "picture_settings_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/ui/preview_window.h"

namespace {

using PreviewWindowTest = picture_settings_test::PictureSettingsTest;

struct PictureCase {
    const char* name;
    int pic1Height;  // 0: no setting, the built-in picture
    int pic2Height;
    bool brokenFile;  // the setting of picture 4 names a file that is no picture
    bool wire;
};

const PictureCase kPictureCases[] = {
    {"BuiltInPicturesAndTheWire", 0, 0, false, true},
    {"LowReplacementsHideTheWire", 40, 30, false, false},
    {"OneTallReplacementShowsIt", 40, 57, false, true},
    {"AnUnloadableFileFallsBackToTheBuiltIn", 0, 30, true, true},
};

class PreviewPictures : public PreviewWindowTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PreviewPictures, LoadAndLayOut) {
    const PictureCase& c = GetParam();
    if (c.pic1Height != 0) setting("4PPic", picture("one.png", Qt::cyan, 70, c.pic1Height));
    if (c.brokenFile) setting("4PPic", dir_.filePath("missing.png").toStdString());
    if (c.pic2Height != 0) setting("5PPic", picture("two.png", Qt::cyan, 50, c.pic2Height));
    yov::PreviewWindow w;
    w.resize(200, 120);
    w.Form_Load();
    EXPECT_EQ(yov::programState().Shared.PictureHeight, 58);
    EXPECT_EQ(w.Pic1.height(), c.pic1Height != 0 ? c.pic1Height : 58);
    EXPECT_EQ(w.Pic2.height(), c.pic2Height != 0 ? c.pic2Height : 58);
    EXPECT_LE(w.Pic1.x(), -1000 + 1) << "out of sight until it runs";

    w.Timer1_Timer();
    w.Timer1_Timer();
    const int base = (120 - 58) / 2 + 58;
    EXPECT_EQ(w.RailPic.y(), base);
    EXPECT_GE(w.RailPic.width(), 200) << "the rail spans the window";
    EXPECT_EQ(w.powerVisible(), c.wire);
    EXPECT_EQ(w.Pic1.geometry().bottom() + 1, base) << "standing on the rail";
    EXPECT_EQ(w.Pic1.x(), -w.Pic1.width() + 1);
    w.Timer1.stop();
}

INSTANTIATE_TEST_SUITE_P(Settings, PreviewPictures, ::testing::ValuesIn(kPictureCases),
                         [](const ::testing::TestParamInfo<PictureCase>& i) { return std::string(i.param.name); });

}  // namespace
