// The run queue as band tree: placement of new bands, the child order, train limits summed up
// the ancestors, releasing and waking a waiting section, and finishing a subtree.
#include <set>
#include <string>
#include <vector>

#include "show_fixture.h"
#include "program/core/texts/program_error.h"
#include "program/trains/show_queues.h"

namespace {

using show_test::ShowTest;
using namespace yov;

class TimedEvents : public ShowTest {};

TEST_F(TimedEvents, EqualTopsKeepTheOrderTheyWereAddedIn) {
    const int32_t root = Root();
    const int32_t a = Section(2, root, 50, 10);
    const int32_t low = Section(3, root, 10, 10);
    const int32_t b = Section(4, root, 50, 10);
    const int32_t c = Section(5, root, 50, 10);
    EXPECT_EQ(Children(root), (std::vector<int32_t>{low, a, b, c}));
    EXPECT_EQ(Sect(4).Event, b);
    EXPECT_EQ(Sect(4).Top, 50);
}

TEST_F(TimedEvents, RandomPositionsCoverEveryFreeTopAlike) {
    const int32_t root = Root(100);
    Section(2, root, 40, 20);
    std::map<int32_t, int> seen;
    for (int i = 0; i < 2200; ++i) ++seen[FindBandPosition(root, 30, u"")];
    std::set<int32_t> expected;
    for (int32_t t = 0; t <= 10; ++t) expected.insert(t);
    for (int32_t t = 60; t <= 70; ++t) expected.insert(t);
    std::set<int32_t> got;
    for (const auto& [top, n] : seen) {
        got.insert(top);
        EXPECT_GT(n, 40) << "top " << top;  // about 100 each
        EXPECT_LT(n, 170) << "top " << top;
    }
    EXPECT_EQ(got, expected);
}

TEST_F(TimedEvents, PositionTexts) {
    struct Case {
        const char* name;
        int32_t bandHeight;
        bool child;  // a child at 60..80 of the band
        int32_t h;
        std::u16string position;
        int32_t expected;  // relative to the band's top 100
        bool refused = false;
    };
    const std::vector<Case> cases = {
        {"left", 101, false, 50, u"<", 0},
        {"top", 101, false, 50, u"^", 0},
        {"centre", 101, false, 50, u"*", 25},
        {"right", 101, false, 50, u">", 51},
        {"bottom", 101, false, 50, u"_", 51},
        {"number", 101, false, 50, u"7", 7},
        {"number pulled back", 101, false, 50, u"500", 51},
        {"negative stays", 101, false, 50, u"-3", -3},
        {"pulled back onto a child", 100, true, 30, u"500", 0, true},
        {"overlaps a child", 100, true, 30, u"40", 0, true},
        {"touches a child", 100, true, 30, u"30", 30},
        {"too tall", 100, false, 101, u"", 0, true},
        {"too tall with a text", 100, false, 101, u"<", 0, true},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t root = Root(1000);
        const int32_t band = Section(2, root, 100, c.bandHeight);
        if (c.child) Section(3, band, 160, 20);
        const int32_t got = FindBandPosition(band, c.h, c.position);
        EXPECT_EQ(got, c.refused ? kNoRoom : 100 + c.expected) << c.name;
        TearDown();
    }
}

TEST_F(TimedEvents, ATrainLimitAnywhereAboveRefusesTheBand) {
    const int32_t root = Root();
    const int32_t grand = Section(2, root, 0, 400, 2);
    const int32_t parent = Section(3, grand, 0, 300);
    const int32_t other = Section(4, grand, 300, 100);
    const int32_t band = Section(5, parent, 0, 200);
    Train(other, 300, 20);
    EXPECT_GE(FindBandPosition(band, 20, u""), 0);
    Train(parent, 250, 20);
    EXPECT_EQ(runQueue().at(grand).ActiveTrains, 2);
    EXPECT_EQ(FindBandPosition(band, 20, u""), kTrainLimitReached);
    EXPECT_EQ(FindBandPosition(other, 20, u"<"), kTrainLimitReached);
    EXPECT_GE(FindBandPosition(root, 20, u""), 400) << "a limit below does not refuse the band above";
}

TEST_F(TimedEvents, ReleasingTheLastChildWakesOnlyAWaitingSection) {
    for (const uint8_t state : {uint8_t{4}, uint8_t{2}, uint8_t{3}}) {
        SetUp();
        const int32_t root = Root();
        const int32_t sect = Section(2, root, 0, 100);
        const int32_t child = Section(3, sect, 0, 50);
        Sect(2).RunState = state;
        ReleaseTimedEvent(child);
        EXPECT_TRUE(Children(sect).empty());
        if (state == kSectWaitingForRoom) {
            EXPECT_EQ(Sect(2).RunState, kSectWoken);
            EXPECT_EQ(Due(), std::vector<int32_t>{sect});
        } else {
            EXPECT_EQ(Sect(2).RunState, state);
            EXPECT_TRUE(Due().empty());
        }
        TearDown();
    }
}

TEST_F(TimedEvents, ReleasedEntriesAreReusedAndNeverTwice) {
    const int32_t root = Root();
    const int32_t a = Section(2, root, 0, 10);
    const int32_t b = Section(3, root, 20, 10);
    QueueDueEvent(a);
    ReleaseTimedEvent(a);
    ReleaseTimedEvent(a);  // a second release is ignored
    EXPECT_TRUE(Due().empty()) << "a released entry leaves the due list";
    EXPECT_EQ(Section(4, root, 40, 10), a);
    EXPECT_EQ(Section(5, root, 60, 10), b + 1);
    EXPECT_EQ(runQueue().Count, 4);
}

TEST_F(TimedEvents, TheTableGrowsByTen) {
    const int32_t root = Root();
    for (int32_t i = 2; i <= 11; ++i) Section(i, root, i, 1);
    EXPECT_EQ(runQueue().Alloc, 20);
    EXPECT_EQ(runQueue().Count, 11);
}

TEST_F(TimedEvents, FinishingASubtree) {
    struct Case {
        const char* name;
        uint8_t level;
        uint8_t finishMode;
        bool aborts;
    };
    const std::vector<Case> cases = {
        {"wait on an aborting section aborts", 3, 1, true},
        {"abort on a waiting section aborts", 1, 3, true},
        {"the section's own mode decides", 127, 2, false},
        {"let run out", 3, 3, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t root = Root();
        const int32_t sect = Section(2, root, 0, 100);
        Sect(2).FinishMode = c.finishMode;
        const int32_t t = Train(sect, 0, 20);
        trains().at(t).State = train_state::kRecomposing;
        trains().at(t).StepText[0] = u"X";
        trains().at(t).Flags |= train_flag::kWaiting;
        FlagEventChain(sect, c.level);
        const TrainRec& r = trains().at(t);
        EXPECT_NE(Sect(2).Flags & sect_flag::kFinishing, 0) << c.name;
        EXPECT_NE(r.Flags & train_flag::kFinishing, 0) << c.name;
        const uint8_t effective = std::min(c.level, c.finishMode);
        EXPECT_EQ(r.StepText[0].empty(), effective < 3) << c.name;
        EXPECT_EQ(r.State == train_state::kRunEnded, c.aborts) << c.name;
        EXPECT_EQ(showState().Lists.StepHead == t, c.aborts) << c.name;
        EXPECT_EQ((r.Flags & train_flag::kWaiting) == 0, c.aborts) << c.name;
        TearDown();
    }
}

TEST_F(TimedEvents, AnIndexOutsideTheTableIsAProgramError) {
    Root();
    EXPECT_THROW(ReleaseTimedEvent(7), ProgramError);
    EXPECT_THROW(AddActiveCount(-1, 1), ProgramError);
    EXPECT_THROW(Section(2, 9, 0, 10), ProgramError);
    EXPECT_THROW(AddTimedEvent(event_kind::kTrainLine, 40, 1, 0, 10), ProgramError);
    EXPECT_EQ(runQueue().Count, 1) << "a refused entry takes no record";
}

}  // namespace
