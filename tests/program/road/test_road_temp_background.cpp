// Temporary backgrounds and lying snow from a script's text, on the screen: the pictures of
// "TG" on a plain line, on a path's header and on a path's line stand in front of the
// line's background until the train has passed them; the snow of a growable background
// ("XG") rises row by row once the line's start action lets it grow, on a plain line and on
// a path's line.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"
#include "script_show_fixture.h"

namespace {

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr uint32_t kWhite = 0xFFFFFF;

// The train's picture is on the screen, and the columns its picture covers.
bool Painted(int32_t train) {
    const yov::TrainRec& r = yov::trains().at(train);
    return r.MemberCount > 0 && yov::trainPictures()[r.Members[1]].PaintedX[0] != yov::kNeverPainted;
}
int32_t Rear(int32_t train) { return yov::trainPictures()[yov::trains().at(train).Members[1]].X; }
int32_t Front(int32_t train) { return Rear(train) + yov::trainPictures()[yov::trains().at(train).Members[1]].Width; }

// Which of the script's places a train runs on: a plain line of the root block, a path whose
// header gives the layer, or a path whose line does.
std::string PlaceOf(int32_t train) {
    if ((yov::trains().at(train).Flags & yov::train_flag::kDependent) == 0) return "line";
    return road::LineText(train).find("G=") != std::string::npos ? "path line" : "path header";
}

TEST(RoadTempBackground, ItsPicturesStandInFrontOfTheBackgroundUntilTheTrainHasPassed) {
    if (road::RunInChild()) return;
    const std::string tg = "TG=(" + road::PictureName(road::WriteSolidBmp("blue.bmp", 40, 30, kBlue)) + ":50)";
    road::WriteFile("tg.ttt", road::DemoHead(5) + "M=SIMPLE;C=E40;V=8;D=R;" + tg +
                                  "\n$SCENE\n"
                                  "$PATH Y=80;D=R;" +
                                  tg +
                                  "\nM=SIMPLE;C=E40;V=8\n$ENDPATH\n"
                                  "$PATH Y=250;D=R\nM=SIMPLE;C=E40;V=8;" +
                                  tg + "\n$ENDPATH\n$ENDSCENE\n");
    // The picture stands at columns 380..419 of its line, rows 0..29 above the rail.
    std::map<std::string, int> before, after;
    const road::Run run = road::RunScript("tg.ttt", 900, [&](const road::Frame& f) {
        for (int32_t t : road::TrainsWithPictures()) {
            if (!Painted(t)) continue;
            const yov::TrainRec& r = yov::trains().at(t);
            const std::string place = PlaceOf(t);
            SCOPED_TRACE(place);
            ASSERT_EQ(r.Width, 800);
            const uint32_t shown = f.Pixel(r.OriginX + 400, r.OriginY - 15);
            if (Front(t) < 370) {
                ASSERT_EQ(shown, kBlue) << "frame " << f.number << ": before the train comes";
                ++before[place];
            } else if (Rear(t) > 430) {
                ASSERT_NE(shown, kBlue) << "frame " << f.number << ": after it has passed";
                ++after[place];
            }
        }
    });
    EXPECT_EQ(run.log, "");
    for (const char* place : {"line", "path header", "path line"}) {
        EXPECT_GT(before[place], 0) << place;
        EXPECT_GT(after[place], 0) << place;
    }
}

TEST(RoadTempBackground, LyingSnowGrowsRowByRowOnALineAndOnAPath) {
    if (road::RunInChild()) return;
    const std::string xg = "XG=(" + road::PictureName(road::WriteSolidBmp("white.bmp", 40, 30, kWhite)) + ":90)";
    const std::string grow = "TB=[GROW:F=0;TO=30;T=1]";
    road::WriteFile("grow.ttt", road::DemoHead(5) + "M=SIMPLE;C=E40;V=6;D=R;" + xg + ";" + grow +
                                    "\n$SCENE\n$PATH Y=80;D=R\nM=SIMPLE;C=E40;V=6;" + xg + ";" + grow +
                                    "\n$ENDPATH\n$ENDSCENE\n");
    // The snow lies at columns 700..739, from the rail up to 30 rows; per train, the rows
    // that are white at column 720 in each frame in which the train keeps clear of it.
    std::vector<std::vector<int>> heights;  // per run of a train
    std::map<int32_t, size_t> run;          // the run a record's train is on
    std::map<int32_t, int32_t> lastRear;
    std::map<std::string, int> grown;
    const road::Run shown = road::RunScript("grow.ttt", 900, [&](const road::Frame& f) {
        for (int32_t t : road::TrainsWithPictures()) {
            if (!Painted(t) || Front(t) > 690) continue;
            // A train that stands further left than the one before on its record is a new one.
            if (!lastRear.count(t) || Rear(t) < lastRear[t]) {
                run[t] = heights.size();
                heights.emplace_back();
            }
            lastRear[t] = Rear(t);
            const yov::TrainRec& r = yov::trains().at(t);
            int rows = 0;
            while (rows < 40 && f.Pixel(r.OriginX + 720, r.OriginY - 1 - rows) == kWhite) ++rows;
            std::vector<int>& seen = heights[run[t]];
            if (!seen.empty()) {
                ASSERT_GE(rows, seen.back()) << PlaceOf(t) << " frame " << f.number;
            }
            seen.push_back(rows);
            if (rows == 30) ++grown[PlaceOf(t)];
        }
    });
    EXPECT_EQ(shown.log, "");
    for (const std::vector<int>& seen : heights) EXPECT_LE(seen.front(), 2) << "the snow starts at the rail";
    EXPECT_GT(grown["line"], 0) << "the line's snow reaches 30 rows";
    EXPECT_GT(grown["path line"], 0) << "and so does the path's";
}

}  // namespace
