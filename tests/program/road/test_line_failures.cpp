// A line that cannot start (a vehicle the stock lacks, a pool that does not exist, an
// unknown movement code) is given up, not its block: each failed attempt writes one entry to
// the error log, the block goes on with its next line no sooner than the restart delay, and
// the good line beside the bad one keeps running its trains for as long as the show runs.
// Shown on a path of a scene, on a section's own lines and on a section line ($LINE).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "script_show_fixture.h"

namespace {

struct BadLine {
    const char* what;
    const char* line;
    const char* logged;  // what the log entry of one attempt names
};
const BadLine kBadLines[] = {
    {"UnknownVehicle", "M=SIMPLE;C=NOSUCHCAR;V=30;D=R", "NOSUCHCAR"},
    {"UnknownPool", "POOL=NOSUCHPOOL;M=SIMPLE;V=30;D=R", "NOSUCHPOOL"},
    {"UnknownMovementCode", "M=FLY;C=E40;V=30;D=R", "\"FLY\""},
};

struct Block {
    const char* what;
    const char* head;
    const char* tail;
};
// One band each (Y=0 and one line's height), so that one train runs at a time.
const Block kBlocks[] = {
    {"Path", "$SCENE\n$PATH Y=50;SEQ=F;NL\n", "$ENDPATH\n$ENDSCENE\n"},
    {"SectionLines", "$SECTION Y=0;DY=80;AB=10;VH=60;BL=10;SEQ=F;NL\n", "$ENDSECTION\n"},
    {"LineBlock", "$SECTION Y=0;DY=80;AB=10;VH=60;BL=10\n$LINE SEQ=F;NL\n", "$ENDLINE\n$ENDSECTION\n"},
};

const char* const kGoodLine = "M=SIMPLE;C=DIESEL;V=30;D=R";
constexpr int kFrames = 3000;               // 60 s
constexpr int kRestartFrames = 150;         // 3 s of 20 ms frames
constexpr int kTickFrames = 10;             // the 200 ms tick the delay is counted in
constexpr int kLateFrame = kFrames - 1000;  // the last 20 s

void PrintTo(const BadLine& b, std::ostream* os) { *os << b.line; }
void PrintTo(const Block& b, std::ostream* os) { *os << b.what; }

class RoadLineFailures : public ::testing::TestWithParam<std::tuple<BadLine, Block>> {};

TEST_P(RoadLineFailures, TheBadLineIsGivenUpAndTriedAgainAfterTheRestartDelay) {
    if (road::RunInChild()) return;
    const auto& [bad, block] = GetParam();
    road::WriteFile("bad.ttt", road::DemoHead(5) + block.head + bad.line + "\n" + kGoodLine + "\n" + block.tail);
    int goodRuns = 0;
    int lastGood = 0;
    bool goodBefore = false;
    std::vector<int> entries;  // the frame of each failed attempt's entry
    const road::Run run = road::RunScript("bad.ttt", kFrames, [&](const road::Frame& f) {
        bool good = false;
        for (int32_t t : road::TrainsWithPictures()) good = good || road::LineText(t) == kGoodLine;
        if (good && !goodBefore) ++goodRuns;
        if (good) lastGood = f.number;
        goodBefore = good;
        const int now = road::CountLogLines(road::ErrorLog(), bad.logged);
        ASSERT_LE(now, static_cast<int>(entries.size()) + 1) << "frame " << f.number << ": one entry per attempt";
        if (now > static_cast<int>(entries.size())) entries.push_back(f.number);
    });
    ASSERT_EQ(run.frames, kFrames);
    EXPECT_GE(goodRuns, 3) << "the good line keeps coming";
    EXPECT_GE(lastGood, kLateFrame) << "to the end of the show";
    ASSERT_GE(entries.size(), 3u) << run.log;
    EXPECT_GE(entries.back(), kLateFrame) << "the bad line is tried to the end\n" << run.log;
    for (size_t i = 1; i < entries.size(); ++i) {
        EXPECT_GE(entries[i] - entries[i - 1], kRestartFrames - kTickFrames) << "attempt " << i << "\n" << run.log;
    }
    // Nothing else is logged, and each entry says where the line stands.
    std::string lower = run.log;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(road::CountLogLines(lower, "bad.ttt"), static_cast<int>(entries.size())) << run.log;
    EXPECT_EQ(road::CountLogLines(run.log, "MainLoop"), 0) << run.log;
}

INSTANTIATE_TEST_SUITE_P(Road, RoadLineFailures,
                         ::testing::Combine(::testing::ValuesIn(kBadLines), ::testing::ValuesIn(kBlocks)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).what) + "In" + std::get<1>(info.param).what;
                         });

}  // namespace
