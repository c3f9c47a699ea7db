// A line's label from a script's text: its row above the line's foot ("TXY") is the nearest
// whole row, halves to even as every number of a script; its words stand a whole space apart,
// each letter advancing by its own width.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/trains/train_records.h"
#include "program/trains/train_text.h"
#include "script_show_fixture.h"

namespace {

TEST(RoadLabels, TheLabelsRowRoundsHalvesToEven) {
    if (road::RunInChild()) return;
    const std::map<std::string, int32_t> rows = {{"1.5", 2}, {"2.5", 2}, {"3.5", 4}, {"4.5", 4}, {"3.49", 3}};
    std::string script = road::DemoHead(5);
    for (const auto& [txy, row] : rows) script += "M=SIMPLE;C=E40;V=8;D=R;TX=Label;TXY=" + txy + "\n";
    road::WriteFile("rows.ttt", script);
    std::map<std::string, int> seen;
    const road::Run run = road::RunScript("rows.ttt", 600, [&](const road::Frame&) {
        for (int32_t t : road::TrainsWithPictures()) {
            const std::string line = road::LineText(t);
            const std::string txy = line.substr(line.find("TXY=") + 4);
            ASSERT_EQ(rows.count(txy), 1u) << line;
            const yov::TrainRec& r = yov::trains().at(t);
            ASSERT_GT(r.TextHeight, 0) << "the label fits below the line";
            EXPECT_EQ(r.TextY, rows.at(txy)) << "TXY=" << txy;
            ++seen[txy];
        }
    });
    EXPECT_EQ(run.log, "");
    for (const auto& [txy, row] : rows) EXPECT_GT(seen[txy], 0) << txy;
}

TEST(RoadLabels, ASpaceIsAsWideAsASpace) {
    if (road::RunInChild()) return;
    const std::vector<std::string> texts = {"Regional train", "Railcars splitting", "l t"};
    std::string script = road::DemoHead(5);
    for (const std::string& text : texts) script += "M=SIMPLE;C=E40;V=8;D=R;TX=" + text + "\n";
    road::WriteFile("words.ttt", script);
    std::map<std::string, int> seen;
    const road::Run run = road::RunScript("words.ttt", 600, [&](const road::Frame&) {
        for (int32_t t : road::TrainsWithPictures()) {
            const std::string line = road::LineText(t);
            const std::string text = line.substr(line.find("TX=") + 3);
            // The label is the text between two blanks, as wide as its characters one by one.
            const std::string shown = " " + text + " ";
            int32_t width = 0;
            for (char c : shown) width += yov::MeasureShowText(std::u16string(1, static_cast<char16_t>(c))).Width;
            EXPECT_EQ(yov::trains().at(t).TextWidth, width) << text;
            ++seen[text];
        }
    });
    EXPECT_EQ(run.log, "");
    EXPECT_EQ(yov::MeasureShowText(u" ").Width, 3) << "the bundled font's space at 9 pixels";
    for (const std::string& text : texts) EXPECT_GT(seen[text], 0) << text;
}

}  // namespace
