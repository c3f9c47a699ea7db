// The demo scene's background at a screen's size: its layers from the scene script's "BG"
// text, the two tracks with their wire, compared with the golden picture of
// tests/data/golden (YOV_WRITE_GOLDEN=1 writes it afresh; look at it before committing).
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <string>

#include "trains_fixture.h"
#include "program/core/texts/number_text.h"
#include "program/trains/area_painting.h"
#include "program/trains/picture_file.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kVehicleHeight = 60;  // the demo stock's picture height

class DemoBackground : public trains_test::AreaTest {};

TEST_F(DemoBackground, AllLayersAndBothTracksMatchTheGoldenPicture) {
    yov::programState().scene.StockDir = core_test::u16(YOV_DEMO_DATA);
    MakeScene(kWidth, kHeight);

    // The scene's own area: the whole screen, its base line at the bottom.
    yov::TrainRec sceneArea;
    sceneArea.Width = kWidth;
    sceneArea.BandHeight = kHeight;
    sceneArea.AboveBase = kHeight;
    sceneArea.VehicleHeight = kVehicleHeight;
    std::u16string way = u"X";
    std::u16string bg = u"(demo_land.gif:0..100;demo_station.gif:*50,176;demo_masts.gif:0..100)";
    std::u16string none, points;
    yov::PaintObject(sceneArea, way, none, 0, bg, 1, none, 0, points);
    EXPECT_EQ(sceneArea.LayerFlags & 0x18, 0x18) << "painted, with a background band";
    EXPECT_EQ(sceneArea.LayerTop, 768) << "the landscape is the tallest layer";

    // The paths' tracks ("W=E") at their heights above the scene's bottom.
    for (int rail : {140, 50}) {
        yov::TrainRec line;
        line.Width = kWidth;
        line.VehicleHeight = kVehicleHeight;
        line.BelowBase = 14;
        std::u16string code = u"E";
        EXPECT_EQ(yov::DrawObjectPicture(code, yov::decimal(scene->dc.Value()), u"0", 0, kHeight - rail, line, 0), 5);
        EXPECT_EQ(code, u"RE");
    }

    const std::string golden = YOV_TEST_DATA "/golden/demo_background.png";
    const std::string written = std::string(YOV_BIN_DIR) + "/../demo_background.png";
    ASSERT_TRUE(yov::SaveDcAsPng(scene->dc.Value(), kWidth, kHeight, written));
    if (const char* w = std::getenv("YOV_WRITE_GOLDEN"); w != nullptr && *w == '1') {
        ASSERT_TRUE(yov::SaveDcAsPng(scene->dc.Value(), kWidth, kHeight, golden));
    }
    QImage want(QString::fromStdString(golden));
    ASSERT_FALSE(want.isNull()) << golden;
    want = want.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(want.width(), kWidth);
    ASSERT_EQ(want.height(), kHeight);
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(want.constScanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const plat::COLORREF c = Pixel(x, y);
            if (qRgb(plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)) != row[x] && differing++ < 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << " differs; see " << written;
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
