// Sections of a script read by the program's reader: the layout of a section's lines, the
// picks of each sequence mode on the program's one random sequence, limits and finishing,
// items that never fit, the stored start lines, and pools with their nested pools.
#include <algorithm>
#include <string>
#include <vector>

#include "script_fixture.h"
#include "show_fixture.h"
#include "platform/numbers.h"
#include "program/core/settings/settings.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/show/main_loop.h"
#include "program/show/sections.h"
#include "program/trains/show_queues.h"
#include "program/trains/pool_resolution.h"
#include "program/trains/train_start_state.h"

namespace {

using namespace yov;

class Sections : public show_test::ShowTestOn<script_test::ScriptTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        auto& t = core_test::defaultTexts();
        t[u"PNFO"] = u"Pool %1 not found";
        t[u"POCY"] = u"Too many nested POOL access";
        t[u"IFI"] = u"in %1 line %2";
    }
    // Reads the fixture scene and starts its root over a scene of 800 x 600.
    void ReadScene(const std::string& seq = "Q", const std::string& limit = "") {
        const std::string path = write("scene.ttt", {"$SECTION Y=0;DY=250;AB=10;VH=20;BL=10;MS=10;SEQ=" + seq + limit,
                                                     "C=A",
                                                     "C=B",
                                                     "C=C",
                                                     "$POOL N=A;AP=[AX=1]",
                                                     "V=1",
                                                     "$ENDPOOL",
                                                     "$POOL N=B;AP=[BX=2]",
                                                     "V=2;POOL=C",
                                                     "$ENDPOOL",
                                                     "$POOL N=C;SEQ=F",
                                                     "W=3",
                                                     "W=4",
                                                     "$ENDPOOL",
                                                     "$LINE L=2,4",
                                                     "C=L1",
                                                     "$ENDLINE",
                                                     "$LINE",
                                                     "C=L2",
                                                     "$ENDLINE",
                                                     "$ENDSECTION"});
        ASSERT_TRUE(read(path)) << reported();
        sectRec(1).Width = 800;
        root = AddTimedEvent(event_kind::kRoot, 1, 0, 0, 600);
    }
    int32_t Section() const {
        for (int32_t i = 1; i <= ScriptBlockCount(); ++i) {
            if (sectRec(i).Type == sect_type::kSection) return i;
        }
        return 0;
    }
    std::string Text(int32_t item) const { return item == 0 ? "-" : core_test::utf8(scriptItem(item).Text); }
    std::vector<int32_t> TrainTops() const {
        std::vector<int32_t> tops;
        for (int32_t t : Active()) tops.push_back(trains().at(t).BandTop);
        return tops;
    }
    int32_t root = 0;
};

TEST_F(Sections, ASectionLaysOutItsLinesThenStartsItsItems) {
    ReadScene();
    RunSect(1);
    const int32_t s = Section();
    ASSERT_EQ(sectRec(s).RunState, sect_state::kStart);
    EXPECT_EQ(sectRec(s).Top, 0);
    EXPECT_EQ(sectRec(s).Height, 250);
    EXPECT_EQ(sectRec(s).Width, 800);
    EXPECT_EQ(sectRec(1).RunState, sect_state::kNextItem);
    RunSect(s);
    // 5 lines of 40 with a pitch of 52: the listed lines 2 and 4, then the default from line 5.
    std::vector<int32_t> lineTops;
    for (int32_t t : Active()) {
        if (trains().at(t).State == train_state::kAwaitLine) lineTops.push_back(trains().at(t).BandTop);
    }
    EXPECT_EQ(lineTops, (std::vector<int32_t>{52, 156, 208}));
    const std::vector<int32_t> active = Active();
    const auto oneShot = std::find_if(active.begin(), active.end(),
                                      [](int32_t t) { return trains().at(t).State == train_state::kStarting; });
    ASSERT_NE(oneShot, active.end()) << "and one item as a one-shot train";
    EXPECT_NE(trains().at(*oneShot).Flags & train_flag::kFinishing, 0);
    EXPECT_EQ(sectRec(s).RunState, sect_state::kNextItem);
}

TEST_F(Sections, LayoutOfLinesOverTheHeight) {
    struct Case {
        const char* name;
        int32_t height, b, space, maxLines;
        std::vector<int32_t> tops;
    };
    const std::vector<Case> cases = {
        {"four lines, pitch 53", 200, 40, 10, 0, {0, 53, 106, 159}},
        {"at most two, pitch 160", 200, 40, 10, 2, {0, 160}},
        {"one line", 60, 40, 10, 0, {0}},
        {"no room", 30, 40, 10, 0, {}},
        {"nothing to divide by", 200, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        ReadScene();
        const int32_t s = Section();
        SectRec& r = sectRec(s);
        r.LayerAbove = 0;
        r.VehicleHeight = c.b;
        r.LayerBelow = 0;
        r.MinSpace = c.space;
        r.MaxLines = c.maxLines;
        r.DYText = decimal(c.height);
        for (int32_t i = r.LastPlain + 1; i <= r.Last; ++i)
            sectRec(static_cast<int32_t>(plat::val(scriptItem(i).Text.substr(2)))).LineId.clear();
        r.Last = r.LastPlain + 1;   // only the default line block
        r.First = r.LastPlain + 1;  // and no items of its own
        RunSect(1);
        RunSect(s);
        std::vector<int32_t> tops = TrainTops();
        std::sort(tops.begin(), tops.end());
        EXPECT_EQ(tops, c.tops) << c.name;
        TearDown();
    }
}

TEST_F(Sections, PicksOfEachSequenceMode) {
    ReadScene();
    const int32_t s = Section();
    const int32_t first = sectRec(s).First;
    auto picks = [&](uint8_t mode, int n) {
        SectRec& r = sectRec(s);
        r.SequenceMode = mode;
        r.CurrentLine = first - 1;
        r.RemainingInCycle = 0;
        r.PickCounter = 0;
        r.LimitCount = 0;
        r.Flags &= ~sect_flag::kFinishing;
        for (int32_t m = first; m <= r.LastPlain; ++m) scriptItem(m).LastPick = 0;
        std::string got;
        for (int i = 0; i < n; ++i) got += Text(PickSectLine(s)).substr(2);
        return got;
    };
    EXPECT_EQ(picks(1, 7), "ABCABCA");
    EXPECT_EQ(picks(2, 4), "ABCA");

    // Random sequence over A, B, C: each once per cycle; the last of a cycle (picked one pick
    // ago, with a third of 1) is no candidate at the start of the next.
    programRandom().seed(77);
    plat::Random twin(77);
    std::string want;
    {
        std::vector<char> used;
        char last = 0;
        for (int cycle = 0; cycle < 4; ++cycle) {
            std::vector<char> left{'A', 'B', 'C'};
            for (int k = 0; k < 3; ++k) {
                std::vector<char> cand;
                for (char c : left) {
                    if (!(k == 0 && c == last)) cand.push_back(c);
                }
                const char c = cand[static_cast<size_t>(twin.nextIndex(static_cast<int32_t>(cand.size())))];
                left.erase(std::find(left.begin(), left.end(), c));
                want += c;
                last = c;
            }
        }
    }
    const std::string got = picks(3, 12);
    EXPECT_EQ(got, want);
    for (int cycle = 0; cycle < 4; ++cycle) {
        std::string part = got.substr(static_cast<size_t>(cycle * 3), 3);
        std::sort(part.begin(), part.end());
        EXPECT_EQ(part, "ABC") << cycle;
        if (cycle > 0) {
            EXPECT_NE(got[static_cast<size_t>(cycle * 3)], got[static_cast<size_t>(cycle * 3 - 1)]);
        }
    }

    programRandom().seed(3);
    twin.seed(3);
    want.clear();
    for (int i = 0; i < 6; ++i) want += static_cast<char>('A' + twin.nextIndex(3));
    EXPECT_EQ(picks(4, 6), want) << "random: the first draw of an item not running";
    for (int32_t m = first; m < first + 3; ++m) scriptItem(m).RunMark = -9;
    programRandom().seed(4);
    twin.seed(4);
    int32_t tenth = 0;
    for (int i = 0; i < 10; ++i) tenth = twin.nextIndex(3);
    EXPECT_EQ(picks(4, 1), std::string(1, static_cast<char>('A' + tenth))) << "all running: the tenth draw";
}

TEST_F(Sections, ALimitedSectionFinishesAndEndsWhenItsBandsAreEmpty) {
    ReadScene("C", ";LC=2");
    RunSect(1);
    const int32_t s = Section();
    sectRec(s).Last = sectRec(s).LastPlain;  // no line blocks
    RunSect(s);
    RunSect(s);
    EXPECT_EQ(Active().size(), 2u);
    RunSect(s);
    EXPECT_NE(sectRec(s).Flags & sect_flag::kFinishing, 0) << "two items started, then no more";
    EXPECT_EQ(sectRec(s).RunState, sect_state::kWaitingForRoom);
    const int32_t event = sectRec(s).Event;
    for (int32_t t : Active()) {
        RemoveTrain(t);
        if (sectRec(s).RunState == kSectWoken) RunSect(s);
    }
    EXPECT_EQ(sectRec(s).RunState, sect_state::kEnded);
    EXPECT_EQ(runQueue().at(event).Kind, event_kind::kFree);
    EXPECT_EQ(sectRec(s).Flags & sect_flag::kInUse, 0);
}

TEST_F(Sections, ItemsThatNeverFitEndTheWalk) {
    for (const bool withBand : {false, true}) {
        SetUp();
        ReadScene("C");
        RunSect(1);
        const int32_t s = Section();
        SectRec& r = sectRec(s);
        r.Last = r.LastPlain;
        for (int32_t m = r.First; m <= r.LastPlain; ++m) scriptItem(m).Text = u"VH=999";
        if (withBand) Train(sectRec(s).Event, 0, 10);
        RunSect(s);
        EXPECT_EQ(sectRec(s).RunState, withBand ? sect_state::kWaitingForRoom : sect_state::kEnded) << withBand;
        TearDown();
    }
}

TEST_F(Sections, StoredStartLinesAreReadBack) {
    ReadScene("C");
    const int32_t s = Section();
    sectRec(s).LimitCount = 0;
    const int32_t b = PickSectLine(s) + 1;
    EXPECT_EQ(PickSectLine(s), b);
    const std::u16string stored = SectionLinesText();
    SaveRegString(u"L", stored);
    ReadScene("C");
    sectRec(s).LimitCount = 0;
    EXPECT_EQ(sectRec(s).CurrentLine, b - 1);
    EXPECT_EQ(PickSectLine(s), b) << "the next show goes on with the stored line";
}

TEST_F(Sections, PoolsGiveTheirLinesBehindTheStartsOwn) {
    ReadScene();
    const int32_t t = NewTrainRec(static_cast<int16_t>(train_flag::kDependent));
    struct Case {
        const char16_t* line;
        int16_t result;
        int32_t depth;
        const char16_t* v;
        const char16_t* w;
    };
    for (const Case& c :
         {Case{u"POOL=a;V=9", 0, 1, u"9", u""}, Case{u"POOL=A,B", 0, 3, u"1", u"3"}, Case{u"POOL=", 0, 0, u"", u""}}) {
        trains().at(t).PoolDepth = 0;
        ParseParams(c.line);
        const std::u16string pools = GetParam(u"POOL", u"");
        EXPECT_EQ(ResolvePool(t, pools), c.result) << core_test::utf8(c.line);
        EXPECT_EQ(trains().at(t).PoolDepth, c.depth) << core_test::utf8(c.line);
        EXPECT_EQ(GetParam(u"V", u""), c.v) << core_test::utf8(c.line);
        EXPECT_EQ(GetParam(u"W", u""), c.w) << core_test::utf8(c.line);
    }
    EXPECT_EQ(GetParam(u"AX", u""), u"") << "nothing left of an earlier start";
    ParseParams(u"POOL=A,B");
    trains().at(t).PoolDepth = 0;
    ResolvePool(t, GetParam(u"POOL", u""));
    EXPECT_EQ(GetParam(u"AX", u""), u"1");
    EXPECT_EQ(GetParam(u"BX", u""), u"2");
    EXPECT_EQ(GetParam(u"W", u""), u"4") << "pool C goes on in order";

    // A pool error names the line that named the pools: here the section's first, the
    // scene's second line.
    const int32_t naming = sectRec(Section()).First;
    const std::string place = " in " + folder() + "/scene.ttt line 2";
    auto failure = [&](const char16_t* line) {
        trains().at(t).PoolDepth = 0;
        trainStart().CurLine = naming;
        ParseParams(line);
        try {
            ResolvePool(t, GetParam(u"POOL", u""));
        } catch (const ProgramError& e) {
            return core_test::utf8(e.description());
        }
        return std::string();
    };
    EXPECT_EQ(failure(u"POOL=NOSUCH"), "Pool NOSUCH not found" + place);
    EXPECT_EQ(failure(u"POOL=A,A,A,A,A,A"), "Too many nested POOL access" + place);
    EXPECT_EQ(trains().at(t).PoolDepth, 5);
    EXPECT_EQ(failure(u"POOL=B,B,B"), "Too many nested POOL access in " + folder() + "/scene.ttt line 9")
        << "nested pools count too, named by the pool line that named the last";
}

TEST_F(Sections, ASceneBuildsItsPathsAndReleasesThemWhenItEnds) {
    const std::string path = write(
        "scene.ttt", {"$SCENE Y=0;DY=100", "$PATH Y=10;VH=20;AB=5;BL=5;WP=A=<50", "C=X", "$ENDPATH", "$ENDSCENE"});
    ASSERT_TRUE(read(path)) << reported();
    sectRec(1).Width = 800;
    AddTimedEvent(event_kind::kRoot, 1, 0, 0, 600);
    RunSect(1);
    int32_t scene = 0;
    for (int32_t i = 1; i <= ScriptBlockCount(); ++i) {
        if (sectRec(i).Type == sect_type::kScene) scene = i;
    }
    ASSERT_NE(scene, 0);
    const int32_t t0 = sectRec(scene).CurrentLine;
    ASSERT_TRUE(trains().valid(t0));
    const TrainRec& head = trains().at(t0);
    EXPECT_NE(head.Flags & train_flag::kSceneRecord, 0);
    EXPECT_NE(head.BufferRedraw[0] & 16, 0) << "the scene is drawn again on the page";
    EXPECT_EQ(head.DependentCount, 1);
    const int32_t tp = head.NextLinked;
    ASSERT_TRUE(trains().valid(tp));
    const TrainRec& p = trains().at(tp);
    EXPECT_EQ(p.MasterTrain, t0);
    EXPECT_EQ(p.State, train_state::kAwaitLine);
    EXPECT_EQ(p.BandTop, 100 - 10 - 20 - 5) << "the rail line 10 above the scene's bottom";
    EXPECT_EQ(p.PointCount, 1);
    EXPECT_EQ(p.Points[1].Position, 400);
    EXPECT_EQ(Active().size(), 2u);
    const int32_t pathSect = p.Sect;

    sectRec(scene).RunState = sect_state::kSceneEnds;
    RunSect(scene);
    EXPECT_TRUE(Active().empty());
    EXPECT_EQ(sectRec(scene).RunState, sect_state::kEnded);
    EXPECT_EQ(sectRec(pathSect).Flags & sect_flag::kInUse, 0) << "the path's block ended";

    // A scene item that is no path is an error for the main loop's handler.
    const int32_t first = sectRec(scene).First;
    scriptItem(first).Text = u"C=X";
    sectRec(1).RunState = sect_state::kRetryItem;
    sectRec(1).CurrentLine = sectRec(1).First;
    sectRec(1).Flags &= ~sect_flag::kFinishing;
    EXPECT_THROW(RunSect(1), ProgramError);
}

}  // namespace
