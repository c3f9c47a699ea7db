// A section made of $LINE blocks lays out its parallel lines over its height (N or DY, MS,
// ML, YDIR) and starts the trains of each block on its lines: the lines an "L=" list names,
// and the default block (no "L") on the lines after the last listed one. Without NL each line
// runs its block's lines once and the section starts again; with NL the lines run on. In a
// section whose vertical coordinates run bottom up (YDIR) the lines are numbered from the
// bottom, and a position "Y" of its own lines is a height above its bottom.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "script_show_fixture.h"
#include "program/trains/train_records.h"

namespace {

struct Case {
    const char* name;
    const char* script;
    std::map<int32_t, std::set<std::string>> lines;  // band top -> the vehicles run there
    bool unlimited;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    // 4 lines of 80 with 20 between them: tops 0, 100, 200, 300. The blocks are laid out
    // from the last written: L=1, then L=3, and the default block takes the lines after the
    // last one a list reached, line 4; line 2 stays empty.
    {"ListsAndADefaultBlock",
     "$SECTION Y=0;N=4;AB=10;VH=60;BL=10;MS=20\n"
     "$LINE\nM=SIMPLE;C=DIESEL;V=40;D=R\n$ENDLINE\n"
     "$LINE L=3\nM=SIMPLE;C=RAILCAR;V=40;D=L\n$ENDLINE\n"
     "$LINE L=1\nM=SIMPLE;C=E40;V=40;D=R\n$ENDLINE\n"
     "$ENDSECTION\n",
     {{0, {"E40"}}, {200, {"RAILCAR"}}, {300, {"DIESEL"}}},
     false},
    // At most 3 lines over 380: tops 0, 150, 300, numbered from the bottom; L=1 is laid out
    // last, so the default block would start at line 2, which the range has taken.
    {"BottomUpWithARangeAndAtMostThreeLines",
     "$SECTION Y=0;DY=380;AB=10;VH=60;BL=10;MS=20;ML=3;YDIR=B\n"
     "$LINE L=1\nM=SIMPLE;C=E40;V=40;D=R\n$ENDLINE\n"
     "$LINE L=2-3\nM=SIMPLE;C=RAILCAR;V=40;D=R\n$ENDLINE\n"
     "$LINE\nM=SIMPLE;C=DIESEL;V=40;D=R\n$ENDLINE\n"
     "$ENDSECTION\n",
     {{300, {"E40"}}, {150, {"RAILCAR"}}, {0, {"RAILCAR"}}},
     false},
    // A position of the section's own lines is a height above its bottom there too.
    {"BottomUpPositionsOfItsOwnLines",
     "$SECTION Y=0;DY=380;AB=10;VH=60;BL=10;YDIR=BOTTOM_UP\n"
     "M=SIMPLE;C=E40;V=40;D=R;Y=0\nM=SIMPLE;C=DIESEL;V=40;D=R;Y=100\n"
     "$ENDSECTION\n",
     {{300, {"E40"}}, {200, {"DIESEL"}}},
     false},
    // Only a default block of two lines in order, on each of 3 lines, for as long as the
    // show runs.
    {"ADefaultBlockOnEveryLineRunsOn",
     "$SECTION Y=0;N=3;AB=10;VH=60;BL=10;MS=10\n"
     "$LINE NL;SEQ=F\nM=SIMPLE;C=E40;V=40;D=R\nM=SIMPLE;C=DIESEL;V=40;D=R\n$ENDLINE\n"
     "$ENDSECTION\n",
     {{0, {"E40", "DIESEL"}}, {90, {"E40", "DIESEL"}}, {180, {"E40", "DIESEL"}}},
     true},
};

constexpr int kFrames = 3000;
constexpr int kLateFrame = 2000;

class RoadSectionLines : public ::testing::TestWithParam<Case> {};

TEST_P(RoadSectionLines, TheSectionLaysOutItsLinesAndStartsTheirTrains) {
    if (road::RunInChild()) return;
    const Case& c = GetParam();
    road::WriteFile("lines.ttt", road::DemoHead(9) + c.script);
    std::map<int32_t, std::set<std::string>> seen;
    std::map<int32_t, int> runs;      // trains that appeared on each line
    std::map<int32_t, int> lastSeen;  // the last frame with a train on each line
    std::set<int32_t> before;
    const road::Run run = road::RunScript("lines.ttt", kFrames, [&](const road::Frame& f) {
        std::set<int32_t> now;
        for (int32_t t : road::TrainsWithPictures()) {
            const int32_t top = yov::trains().at(t).BandTop;
            for (const std::string& v : road::VehicleNames(t)) seen[top].insert(v);
            now.insert(top);
            lastSeen[top] = f.number;
        }
        for (int32_t top : now) runs[top] += before.count(top) == 0 ? 1 : 0;
        before = now;
    });
    EXPECT_EQ(run.log, "");
    EXPECT_EQ(seen, c.lines);
    for (const auto& [top, vehicles] : c.lines) {
        EXPECT_GE(runs[top], 2) << "line at " << top << ": its trains come again";
        if (c.unlimited) {
            EXPECT_GE(lastSeen[top], kLateFrame) << "line at " << top << " runs on";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Road, RoadSectionLines, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
