// The sequence mode "D" of a block or pool is the show's own "Random" setting + 1: with the
// setting's default (2) a random sequence, each line once per cycle in an order the seeded
// generator draws; with the setting at 0 the lines in order; at 3 at random. Shown on a
// path, a pool and a section line, each of five one-vehicle lines, train after train.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "script_show_fixture.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

const char* const kVehicles[] = {"E40", "DIESEL", "RAILCAR", "COACH_A", "WAGON_BOX"};

struct Block {
    const char* what;
    const char* head;  // ends in "SEQ=" of the block that picks the five lines
    const char* tail;
};
const Block kBlocks[] = {
    {"Path", "$SCENE\n$PATH Y=50;NL;SEQ=", "$ENDPATH\n$ENDSCENE\n"},
    {"Pool",
     "$SCENE\n$PATH Y=50;NL;SEQ=F\nPOOL=P;M=SIMPLE;V=40;D=R\n$POOL N=P;SEQ=", "$ENDPOOL\n$ENDPATH\n$ENDSCENE\n"},
    {"LineBlock", "$SECTION Y=0;DY=80;AB=10;VH=60;BL=10\n$LINE NL;SEQ=", "$ENDLINE\n$ENDSECTION\n"},
};

enum class Order { RandomSequence, Fixed, Random };
struct Setting {
    const char* what;
    const char16_t* random;  // "RandomW", nullptr: not stored
    Order order;
};
const Setting kSettings[] = {
    {"Default", nullptr, Order::RandomSequence}, {"Fixed", u"0", Order::Fixed}, {"Random", u"3", Order::Random}};

void PrintTo(const Block& b, std::ostream* os) { *os << b.what; }
void PrintTo(const Setting& s, std::ostream* os) { *os << s.what; }

// The lines (1 to 5) the block's trains run, in order, over 60 s of frames.
std::string RunPicks(const Block& block, const Setting& setting) {
    std::string script = road::DemoHead(11) + block.head + "D\n";
    for (const char* v : kVehicles) script += std::string("M=SIMPLE;C=") + v + ";V=40;D=R\n";
    road::WriteFile("seq.ttt", script + block.tail);
    road::RunOptions options;
    if (setting.random != nullptr) options.settings = {{u"RandomW", setting.random}};
    std::string picked;
    bool before = false;  // a train waited at the line's start in the frame before
    const road::Run run = road::RunScript(
        "seq.ttt", 3000,
        [&](const road::Frame&) {
            const std::vector<int32_t> trains = road::TrainsWithPictures();
            // A new train stands left of the line's start; the last one left it on the right.
            const bool waiting =
                !trains.empty() && yov::trainPictures()[yov::trains().at(trains.front()).Members[1]].X < 0;
            if (waiting && !before) {
                const std::vector<std::string> names = road::VehicleNames(trains.front());
                for (int i = 0; i < 5; ++i) {
                    if (!names.empty() && names[0] == kVehicles[i]) picked += std::to_string(i + 1);
                }
            }
            before = waiting;
        },
        options);
    EXPECT_EQ(run.log, "");
    return picked;
}

// Whether each cycle of five (the first two) starts every line once.
bool EachOncePerCycle(const std::string& picked) {
    for (size_t cycle = 0; cycle < 10; cycle += 5) {
        if (std::set<char>(picked.begin() + static_cast<long>(cycle), picked.begin() + static_cast<long>(cycle) + 5)
                .size() != 5)
            return false;
    }
    return true;
}

class RoadSequenceModes : public ::testing::TestWithParam<std::tuple<Block, Setting>> {};

TEST_P(RoadSequenceModes, DefaultFollowsTheRandomSetting) {
    if (road::RunInChild()) return;
    const auto& [block, setting] = GetParam();
    const std::string picked = RunPicks(block, setting);
    ASSERT_GE(picked.size(), 10u) << picked;
    const std::string first = picked.substr(0, 10);
    switch (setting.order) {
    case Order::RandomSequence:
        EXPECT_TRUE(EachOncePerCycle(picked)) << picked;
        EXPECT_NE(first, "1234512345") << picked;
        break;
    case Order::Fixed: EXPECT_EQ(first, "1234512345"); break;
    case Order::Random:
        EXPECT_FALSE(EachOncePerCycle(picked)) << picked << ": a line may come again within a cycle";
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Road, RoadSequenceModes,
                         ::testing::Combine(::testing::ValuesIn(kBlocks), ::testing::ValuesIn(kSettings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).what) + std::get<1>(info.param).what;
                         });

}  // namespace
