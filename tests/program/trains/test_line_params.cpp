// The readers of a script line's values on the program's parameter table: numbers with
// percentages and the missing-value mark, positions with names stored per train, point
// lists, directions, follow lists and their bounds.
#include <string>
#include <vector>

#include "frame_step_stand_ins.h"
#include "show_fixture.h"
#include "core_fixture.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/trains/line_params.h"
#include "program/core/startup/upper_calls.h"
#include "program/show/frame_step.h"
#include "program/show/show_wiring.h"
#include "program/trains/train_start_state.h"

namespace {

using namespace yov;

class LineParams : public show_test::ShowTestOn<core_test::CoreTest> {
protected:
    void SetUp() override {
        show_test::ShowTestOn<core_test::CoreTest>::SetUp();
        lineReaders().FollowList.clear();
        train = NewTrainRec(static_cast<int16_t>(train_flag::kDependent));
        trains().at(train).Width = 800;
        trainStart().CurDirection = 1;
        paramTable().ParseParams(u"");
    }
    void TearDown() override {
        lineReaders().FollowList.clear();
        paramTable().ParseParams(u"");
        show_test::ShowTestOn<core_test::CoreTest>::TearDown();
    }
    // The lines the error log got since the last call.
    std::vector<std::string> newLogLines() {
        std::vector<std::string> lines = logLines();
        if (!lines.empty() && lines[0].rfind("Rolvane started", 0) == 0) lines.erase(lines.begin());
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(seenLog_, lines.size())));
        seenLog_ += lines.size();
        return lines;
    }
    int32_t train = 0;
    size_t seenLog_ = 0;
    program_test::RecordedFrameSteps frameSteps;
    std::vector<int32_t>& steps = frameSteps.sites;
};

TEST_F(LineParams, NumbersWithPercentagesAndTheMissingMark) {
    struct Case {
        const char16_t* line;
        int32_t reference;
        float expected;
    };
    for (const Case& c : {Case{u"LY=40%", 5, 2}, Case{u"", 5, 5}, Case{u"", kNoValue, 0}, Case{u"LY=7", kNoValue, 7},
                          Case{u"LY=50%", static_cast<int32_t>(0xF0000064u), 50}}) {
        paramTable().ParseParams(c.line);
        EXPECT_FLOAT_EQ(paramTable().GetParamNumber(u"LY", c.reference), c.expected) << core_test::utf8(c.line);
    }
    paramTable().ParseParams(u"R=0");
    EXPECT_FLOAT_EQ(lineReaders().GetParamNonZero(u"R", 0, u""), 0.05f) << "a rate never reads as 0";
    EXPECT_FLOAT_EQ(lineReaders().GetParamNonZero(u"R", 0, u"3"), 3);
    paramTable().ParseParams(u"V=x+");
    EXPECT_FLOAT_EQ(paramTable().GetParamOrRandom(u"V", 4, u""), 4) << "an unreadable speed takes the default";
}

TEST_F(LineParams, Positions) {
    struct Case {
        const char* name;
        std::u16string text;
        int32_t length;
        int32_t dir;
        int16_t current;
        int32_t expected;
        int32_t dirAfter;
    };
    const std::vector<Case> cases = {
        {"left end, default 15 %", u"", 100, -1, 1, 120, -1},
        {"right end, default 85 %", u"", 100, 1, 1, 580, 1},
        {"middle, default 50 %", u"", 100, 0, 1, 350, 0},
        {"percentage for the left end", u"<30", 100, 0, 1, 240, -1},
        {"offset", u">50+10", 100, 0, 1, 310, 1},
        {"negative offset", u"*50-10", 100, 0, 1, 340, 2},
        {"mirrored while running left", u"@+20", 100, 0, -1, 640, -1},
        {"mirrored offset turns", u"@+20+5", 100, 0, -1, 635, -1},
        {"not mirrored running right", u"@+20", 100, 0, 1, 60, 1},
    };
    for (const Case& c : cases) {
        trainStart().CurDirection = c.current;
        int32_t dir = c.dir;
        EXPECT_EQ(lineReaders().EvalPosition(c.text, c.length, 0, dir, kNoValue, kNoValue), c.expected) << c.name;
        EXPECT_EQ(dir, c.dirAfter) << c.name;
    }
    int32_t dir = 0;
    EXPECT_EQ(lineReaders().EvalPosition(u"", 100, 0, dir, kNoValue, 77), 77)
        << "an empty text takes the given position";
}

TEST_F(LineParams, PositionsTheShowCannotComputeWithAreRefused) {
    // Numbers of the text, and what they make of the line's width, are held alike; a named
    // position plus an offset too. Each is a script error, never a position cut to 32 bits.
    int32_t dir = 0;
    EXPECT_EQ(lineReaders().EvalPosition(u"<10=FAR", 100, 0, dir, kNoValue, kNoValue), 80);
    for (const char16_t* text :
         {u"2147483647", u"<-2147483649", u"<999999", u"@+100+999999", u"FAR+999999", u"<1000000"}) {
        dir = 0;
        EXPECT_THROW(lineReaders().EvalPosition(text, 100, 0, dir, kNoValue, kNoValue), ProgramError)
            << core_test::utf8(text);
    }
    paramTable().ParseParams(u"P=2147483647");
    EXPECT_THROW(lineReaders().GetStopPosition(100, 0), ProgramError);
    paramTable().ParseParams(u"LY=999999%");
    EXPECT_THROW(paramTable().GetParamNumber(u"LY", 800), ProgramError) << "a percentage of its reference";
}

TEST_F(LineParams, NamedPositionsAreKeptForTheTrain) {
    int32_t dir = 0;
    EXPECT_EQ(lineReaders().EvalPosition(u"<30=STOPA", 100, 0, dir, kNoValue, kNoValue), 240);
    dir = 0;
    EXPECT_EQ(lineReaders().EvalPosition(u"<stopa+10", 100, 0, dir, kNoValue, kNoValue), 250) << "names without case";
    dir = 0;
    EXPECT_EQ(lineReaders().EvalPosition(u"<10=<L=*M=>R=ABS", 100, 0, dir, kNoValue, kNoValue), 80);
    const TrainRec& r = trains().at(train);
    std::vector<std::pair<std::u16string, int32_t>> got;
    for (int32_t i = 1; i <= r.NamedCount; ++i) got.emplace_back(r.NamedPositions[i].Name, r.NamedPositions[i].Value);
    const std::vector<std::pair<std::u16string, int32_t>> want = {
        {u"STOPA", 240}, {u"L", 80}, {u"M", 130}, {u"R", 180}, {u"ABS", 80}};
    EXPECT_EQ(got, want);
    paramTable().ParseParams(u"P=STOPA");
    EXPECT_EQ(lineReaders().GetStopPosition(100, 0), 240 - 100)
        << "a train running right stops with its right end there";
}

TEST_F(LineParams, LimitedPositionsStayBeyondTheLimit) {
    paramTable().ParseParams(u"Q=<10");
    EXPECT_EQ(lineReaders().GetLimitedPosition(u"Q", -1, 100, 50, 500), 50)
        << "running left, not right of the left limit";
    paramTable().ParseParams(u"Q=>90");
    EXPECT_EQ(lineReaders().GetLimitedPosition(u"Q", 1, 100, 50, 700), 700);
    paramTable().ParseParams(u"");
    EXPECT_EQ(lineReaders().GetLimitedPosition(u"Q", 1, 100, 50, 700), 700) << "missing: the limit itself";
}

TEST_F(LineParams, PointLists) {
    ParsePointList(train, u"(A=<10,B:open,>E:(x,y);B=50,<IB:in,VE:out;A=60;=70,CE:c)");
    const TrainRec& r = trains().at(train);
    ASSERT_EQ(r.PointCount, 3);
    EXPECT_EQ(r.Points[1].Name, u"A");
    EXPECT_EQ(r.Points[1].Position, 80);
    EXPECT_EQ(r.Points[1].Dir, -1);
    EXPECT_EQ(r.Points[1].Texts[0], u"open");
    EXPECT_EQ(r.Points[1].Texts[1], u"open");
    EXPECT_EQ(r.Points[1].Texts[2], u"");
    EXPECT_EQ(r.Points[1].Texts[3], u"x,y");
    EXPECT_EQ(r.Points[2].Texts[4], u"in");
    EXPECT_EQ(r.Points[2].Texts[5], u"");
    EXPECT_EQ(r.Points[2].Texts[6], u"out");
    EXPECT_EQ(r.Points[3].Name, u"");
    EXPECT_EQ(r.Points[3].Texts[7], u"c");
    EXPECT_EQ(newLogLines(), std::vector<std::string>{"Point A multiple defined"});

    ParsePointList(train, u"A=1;B=2;C=3;D=4;E=5;F=6;G=7");
    EXPECT_EQ(trains().at(train).PointCount, 5);
    EXPECT_EQ(newLogLines(), std::vector<std::string>{"Too much points"});

    ParsePointList(train, u"A=1,Q:x,B:y");
    EXPECT_EQ(trains().at(train).Points[1].Texts[0], u"") << "an unknown mode ends its point";
    EXPECT_EQ(newLogLines(), std::vector<std::string>{"Unknown point mode: Q"});
    EXPECT_THROW(ParsePointList(train, u"A=1,B:(x"), ProgramError);
}

TEST_F(LineParams, Directions) {
    struct Case {
        const char16_t* text;
        int16_t current;
        int16_t expected;
    };
    for (const Case& c : {Case{u"left", 1, -1}, Case{u"b", 1, -1}, Case{u">", -1, 1}, Case{u"J", 0, 1},
                          Case{u"Turn", -1, 1}, Case{u"x", 1, -1}, Case{u"x", 0, 0}, Case{u"+", -1, -1},
                          Case{u"Forward", 1, 1}, Case{u"A", 0, 0}, Case{u"", 1, 0}, Case{u"?", -1, 0}}) {
        EXPECT_EQ(lineReaders().ParseDirection(c.text, c.current, 0), c.expected)
            << core_test::utf8(c.text) << " " << c.current;
    }
    programRandom().seed(5);
    plat::Random twin(5);
    for (int i = 0; i < 8; ++i) {
        const int16_t want = twin.nextIndex(2) == 1 ? -1 : 1;
        EXPECT_EQ(lineReaders().ParseDirection(u"", 0, 1), want) << "random direction " << i;
    }
}

TEST_F(LineParams, FollowListsAndTheirBounds) {
    lineReaders().ExpandFollowList(u"2*A|B;C");
    const std::u16string& list = lineReaders().FollowList;
    std::vector<std::u16string> lines;
    for (size_t from = 0, cr; (cr = list.find(u'\r', from)) != std::u16string::npos; from = cr + 1) {
        lines.push_back(list.substr(from, cr - from));
    }
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(lines[i] == u"A" || lines[i] == u"B") << core_test::utf8(lines[i]);
    EXPECT_EQ(lines[2], u"C");
    EXPECT_EQ(steps, (std::vector<int32_t>{10960, 10960, 10960, 10960})) << "after every item";

    // Counts past the bound, counts over items that give nothing (only the work of the whole
    // expansion ends those), and line ends inside items (each would be a composition the
    // count does not see).
    struct Case {
        std::u16string text;
        bool refused;
        size_t lines;  // compositions given when not refused
    };
    const std::vector<Case> cases = {
        {u"99999999*A", true, 0}, {u"100*100*100*A", true, 0},     {u"1e300*A", true, 0},      {u"95*9591*0*", true, 0},
        {u"9999*9999*", true, 0}, {u"10000*10000*0*A", true, 0},   {u"9000*A\r", false, 9000}, {u"9000*\r", false, 0},
        {u"3*A\rB;\n", false, 3}, {u"6000*A\r;6000*B\r", true, 0},
    };
    for (const Case& c : cases) {
        lineReaders().FollowList.clear();
        steps.clear();
        bool refused = false;
        try {
            lineReaders().ExpandFollowList(c.text);
        } catch (const ProgramError&) {
            refused = true;
        }
        EXPECT_EQ(refused, c.refused) << core_test::utf8(c.text);
        const std::u16string& got = lineReaders().FollowList;
        const size_t ends = static_cast<size_t>(std::count(got.begin(), got.end(), u'\r'));
        EXPECT_LE(ends, static_cast<size_t>(kMaxFollowLines)) << core_test::utf8(c.text);
        EXPECT_EQ(got.find(u'\n'), std::u16string::npos) << core_test::utf8(c.text);
        if (!c.refused) {
            EXPECT_EQ(ends, c.lines) << core_test::utf8(c.text);
        }
        EXPECT_LE(steps.size(), static_cast<size_t>(kMaxFollowWork)) << core_test::utf8(c.text);
    }
}

TEST_F(LineParams, StepTexts) {
    paramTable().ParseParams(u"T1=go;T13=x");
    lineReaders().FillStepTexts(13);
    const TrainRec& r = trains().at(train);
    EXPECT_EQ(r.StepText[0], u"GO");
    EXPECT_EQ(r.StepText[1], u"5");
    EXPECT_EQ(r.StepText[12], u"X");
    EXPECT_EQ(paramTable().GetParam(u"*1", u""), u"5") << "the train's step texts by number";

    // The table in the core reads them from the trains through what the show's start-up puts
    // in place; before it, a line's "*n" is empty.
    UpperCalls none;
    const ScopedInstall<UpperCalls> bare(none);
    EXPECT_EQ(paramTable().GetParam(u"*1", u"d"), u"");
    WireShow();
    EXPECT_EQ(paramTable().GetParam(u"*1", u"d"), u"5");
    EXPECT_EQ(paramTable().GetParam(u"*12", u"d"), u"X");
}

}  // namespace
