// The train start over a small scene script read by the program's reader, with vehicles the
// test draws itself: a simple train started with its unit, speeds and label; a start that
// fails whole and gives its line up; "ETIM" reports, SkipErr and the already reported error;
// the end of a run with the next line after its delay; recomposition; release.
#include <QFontInfo>

#include <string>
#include <vector>

#include "fake_vehicles.h"
#include "script_fixture.h"
#include "frame_step_stand_ins.h"
#include "show_fixture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/show/frame_step.h"
#include "program/show/sections.h"
#include "program/show_data/show_font.h"
#include "program/trains/show_queues.h"
#include "program/show/timed_object_events.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_start.h"
#include "program/trains/train_start_state.h"
#include "program/trains/train_text.h"

namespace {

using namespace yov;
namespace ts = train_state;
namespace tf = train_flag;

constexpr int32_t kHeight = 30;
constexpr int32_t kLineWidth = 640;

// Script items of the section, in order.
enum Line : int32_t {
    kSimple = 1,
    kBadColour,
    kUnknownMode,
    kPooled,
    kNoPool,
    kNoDirection,
    kSecondUnitFails,
    kMissingVehicle,
    kHugeStop,
    kHugeRate,
    kRunawayFollow,
    kEndlessTrain
};

// A composition of one vehicle more than a train takes.
std::string EndlessComposition() {
    std::string line = "C=E40";
    for (int32_t i = 1; i <= kMaxTrainVehicles; ++i) line += ",E40";
    return line;
}

class TrainStart : public show_test::ShowTestOn<script_test::ScriptTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        auto& t = core_test::defaultTexts();
        t[u"UTC"] = u"Unknown movement code \"%1\"";
        t[u"PNFO"] = u"Pool %1 not found";
        t[u"IFI"] = u"in %1 line %2";
        t[u"IFL"] = u"in %1 line %2";
        ResetTrainPictures();
        ForgetBufferClasses();  // the engine was started afresh
        programState().Shared.PictureHeight = kHeight;
        UseCanvas(0, 0, 3000, kHeight + 10, 0);
        vehicles_.emplace(kHeight);
        displayState().ShowFontHeight = MeasureShowText(u"Mg").Height;
        trainStart() = TrainStartState{};
        const std::string path =
            write("scene.ttt",
                  {"$SECTION Y=0;DY=100;AB=10;VH=30;BL=20;SEQ=F;V=4", "C=E40,COACH_A;V=5;A=0.2;B=0.3;D=R;TX=\" IC 1 \"",
                   "C=E40;BGC=nocolour", "C=E40;M=FLY", "C=COACH_B;M=simple;POOL=P", "C=E40;POOL=NOSUCH", "C=NODIR,E40",
                   "M=CUT;C1=E40,COACH_A;C2=BAD", "C=E40,NOPE", "C=E40;M=STOP;P=2147483647", "C=E40;A=-2147483649",
                   "M=FOLLOW;C=95*9591*0*", EndlessComposition(), "$POOL N=P", "V=7;D=L", "$ENDPOOL", "$ENDSECTION"});
        ASSERT_TRUE(read(path)) << reported();
        for (int32_t i = 1; i <= ScriptBlockCount(); ++i)
            if (sectRec(i).Type == sect_type::kSection) sect = i;
        ASSERT_NE(sect, 0);
        sectRec(sect).LimitCount = 0;         // any number of starts
        scriptReader().S.Run.SkipErrors = 0;  // errors are shown
        sectRec(1).Width = 800;
        const int32_t root = AddTimedEvent(event_kind::kRoot, 1, 0, 0, 600);
        const int32_t band = AddTimedEvent(event_kind::kSection, sect, root, 0, 100);
        train = NewTrainRec(0);
        AddTimedEvent(event_kind::kTrainLine, train, band, 0, 60);
        LineSection line = LineSectionOf(sect);
        line.Width = kLineWidth;
        line.Height = 60;
        InitTrainFromSect(train, line, 10, kHeight, 20);
        rec().State = ts::kAwaitLine;
        ResetShowLists();
    }
    void TearDown() override {
        vehicles_.reset();
        FreeCanvas(0);
        programState().Shared.PictureHeight = 0;
        ResetTrainPictures();
        ShowTestOn::TearDown();
    }

    TrainRec& rec() { return trains().at(train); }
    const TrainPicture& unit(int32_t member = 1) { return trainPictures()[rec().Members[static_cast<size_t>(member)]]; }
    // The section picks this line next (its items run in order).
    void PickNext(int32_t line) { sectRec(sect).CurrentLine = sectRec(sect).First + line - 2; }
    int32_t Item(int32_t line) const { return sectRec(sect).First + line - 1; }
    static int32_t PartsInUse() {
        int32_t n = 0;
        for (int32_t p = 1; p <= picParts().Count; ++p) n += picParts()[p].State != kPartFree ? 1 : 0;
        return n;
    }
    static int32_t PicturesInUse() {
        int32_t n = 0;
        for (int32_t p = 1; p <= trainPictures().Count; ++p) n += trainPictures()[p].MotionState != 0 ? 1 : 0;
        return n;
    }
    size_t Reports() const {
        size_t n = 0;
        for (const std::string& l : logLines()) n += l.find("Error in the Timetable file") != std::string::npos;
        return n;
    }

    int32_t sect = 0;
    int32_t train = 0;

private:
    program_test::NoFrameSteps noSteps_;
    std::optional<vehicles_test::FakeVehicles> vehicles_;
};

TEST_F(TrainStart, ASimpleLineStartsItsUnitWithSpeedsRatesAndLabel) {
    PickNext(kSimple);
    GenTrain(train, sect);
    EXPECT_EQ(rec().Line, Item(kSimple));
    EXPECT_EQ(rec().State, 12);
    EXPECT_EQ(rec().OnList, train_list::kStarts);
    EXPECT_NE(rec().Flags & tf::kQueued, 0);
    EXPECT_EQ(scriptItem(Item(kSimple)).InUse, train) << "the line is in use";
    EXPECT_EQ(trainStart().TrainStartKind, 2);
    ASSERT_EQ(rec().MemberCount, 1);
    const TrainPicture& u = unit();
    EXPECT_EQ(u.MotionState, 6);
    EXPECT_EQ(u.Width, 140);
    EXPECT_FLOAT_EQ(u.Speed, 5);
    EXPECT_FLOAT_EQ(u.TargetSpeed, 5);
    EXPECT_FLOAT_EQ(u.AccelRate, 0.2f);
    EXPECT_FLOAT_EQ(u.BrakeRate, 0.3f);
    EXPECT_EQ(u.Dir, 1);
    EXPECT_EQ(rec().Direction, 1);
    EXPECT_EQ(rec().TotalLength, 140);
    EXPECT_EQ(rec().LabelRow, 5);
    EXPECT_NE(rec().LayerFlags & 0x80, 0) << "a text layer";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(TrainStart, AFailingLineFailsWholeFreesItsAttemptAndTheNextLineWaits) {
    struct Case {
        const char* name;
        Line line;
        const char* message;
        int32_t picturesMade;
    };
    const Case cases[] = {
        {"a bad colour after the unit was built", kBadColour, "nocolour", 1},
        {"an unknown mode word", kUnknownMode, "Unknown movement code \"FLY\"", 0},
        {"a pool that is not there", kNoPool, "Pool NOSUCH not found", 0},
        {"a second unit that cannot be composed after the first was placed", kSecondUnitFails, "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const int32_t parts = PartsInUse();
        PickNext(c.line);
        GenTrain(train, sect);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_NE(boxes_[0].text.find(u"Error in the Timetable file"), std::u16string::npos);
        EXPECT_NE(core_test::utf8(boxes_[0].text).find(c.message), std::string::npos)
            << core_test::utf8(boxes_[0].text);
        // Everything the attempt made is back.
        EXPECT_EQ(trainPictures().Count, c.picturesMade);
        EXPECT_EQ(PartsInUse(), parts);
        EXPECT_EQ(picParts().StackCount, 0);
        EXPECT_EQ(pictureSlots().StackCount, 0);
        EXPECT_EQ(PicturesInUse(), 0);
        EXPECT_EQ(rec().MemberCount, 0);
        EXPECT_EQ(scriptItem(Item(c.line)).InUse, 0) << "the failed line is free";
        // The next line is chosen; it starts on the next pass of the main loop, after its delay.
        EXPECT_EQ(rec().Line, Item(c.line + 1));
        EXPECT_EQ(scriptItem(Item(c.line + 1)).InUse, train);
        EXPECT_EQ(rec().State, ts::kStarting);
        EXPECT_NE(rec().Flags & tf::kRestartA, 0);
        EXPECT_EQ(TakeDueEvent(), rec().Event);
        // Until the timed events have counted its delay down, the next line is not tried.
        GenTrain(train, sect);
        EXPECT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(rec().MemberCount, 0);
        EXPECT_EQ(TakeDueEvent(), rec().Event);
        rec().WaitTicks = 0;
        rec().Flags &= ~tf::kRestartA;
        GenTrain(train, sect);
        EXPECT_TRUE(rec().State == 12 || boxes_.size() == 2u) << "then it is tried";
    }
}

TEST_F(TrainStart, AnswerFourSkipsTheBoxesOfLaterFailuresWhichAreLogged) {
    answer_ = 4;
    PickNext(kBadColour);
    GenTrain(train, sect);
    EXPECT_EQ(scriptReader().S.Run.SkipErrors, 1);
    PickNext(kBadColour);
    rec().Line = 0;
    rec().State = ts::kAwaitLine;
    GenTrain(train, sect);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(Reports(), 2u) << "each failed attempt has its log entry";
}

TEST_F(TrainStart, AnAlreadyReportedErrorPassesUntouched) {
    PickNext(kSimple);
    programState().run.StopRequest = 1;  // the build raises "already reported"
    try {
        GenTrain(train, sect);
        ADD_FAILURE() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), error_number::kReported);
    }
    programState().run.StopRequest = 0;
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Reports(), 0u);
}

TEST_F(TrainStart, AVehicleAbandonedUnderSkipErrorsFailsTheStartWithoutASecondReport) {
    scriptReader().S.Run.SkipErrors = 1;
    const int32_t parts = PartsInUse();
    PickNext(kMissingVehicle);
    GenTrain(train, sect);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Reports(), 0u) << "the vehicle's own log lines are the report";
    EXPECT_NE(readFile(logPath()).find("\"NOPE\": Picture not found"), std::string::npos);
    EXPECT_EQ(PartsInUse(), parts);
    EXPECT_EQ(PicturesInUse(), 0);
    EXPECT_EQ(scriptItem(Item(kMissingVehicle)).InUse, 0);
    EXPECT_EQ(rec().State, ts::kStarting) << "the next line waits for the next pass";
}

TEST_F(TrainStart, NumbersBeyondTheShowsRangeFailTheStartNamingTheLine) {
    // During a show the readers' messages are logged the moment they are raised; they name
    // the script line all the same. A follow list that would run for ever is cut by its work.
    struct Case {
        const char* name;
        int32_t line;
        std::string message;
    };
    const Case cases[] = {
        {"a stop position past 32 bits", kHugeStop, "Number out of range"},
        {"an acceleration below -2^31", kHugeRate, "Number out of range"},
        {"counts over items that give nothing", kRunawayFollow, "FOLLOW list too long to expand"},
        {"a train of more vehicles than any screen shows", kEndlessTrain, "Train longer than 1000 vehicles"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        programState().run.RunFlags = run_flag::kShowStart;
        const int32_t parts = PartsInUse();
        PickNext(c.line);
        GenTrain(train, sect);
        std::string said = readFile(logPath());
        for (const auto& b : boxes_) said += core_test::utf8(b.text);
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        const std::string place = "line " + std::to_string(c.line + 1);
        EXPECT_NE(said.find(place), std::string::npos) << said;
        EXPECT_NE(said.find("scene.ttt"), std::string::npos) << said;
        EXPECT_EQ(PartsInUse(), parts);
        EXPECT_EQ(PicturesInUse(), 0);
        EXPECT_EQ(scriptItem(Item(c.line)).InUse, 0) << "the failed line is free";
        EXPECT_EQ(rec().State, ts::kStarting) << "the next line waits for the next pass";
        programState().run.RunFlags = 0;
    }
}

TEST_F(TrainStart, AUnitWithoutDirectionIsToldInAWindowAndLoggedInAFullScreenShow) {
    // Nobody could answer a box behind a DirectDraw, full-screen or screen-saver show.
    struct Case {
        const char* name;
        uint8_t batch, showMode, saver;
        bool box;
    };
    const Case cases[] = {
        {"a windowed show", 0, 0, 0, true},
        {"DirectDraw", 1, 0, 0, false},
        {"a full-screen show", 0, 1, 0, false},
        {"the screen saver", 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        programState().run.BatchMode = c.batch;
        programState().run.ShowMode = c.showMode;
        programState().road.ScreenSaverMode = c.saver;
        rec().Direction = 0;
        PickNext(kNoDirection);
        GenTrain(train, sect);
        programState().run.BatchMode = 0;
        programState().run.ShowMode = 0;
        programState().road.ScreenSaverMode = 0;
        EXPECT_EQ(rec().State, 12) << "the train starts";
        const std::string text = "No direction for line " + std::to_string(train) + " unit 1";
        if (c.box) {
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(core_test::utf8(boxes_[0].text), text);
        } else {
            EXPECT_TRUE(boxes_.empty());
            EXPECT_NE(readFile(logPath()).find(text), std::string::npos);
        }
    }
}

TEST_F(TrainStart, AnEndedRunFreesItsUnitAndStartsThePooledLineAfterItsDelay) {
    PickNext(kSimple);
    GenTrain(train, sect);
    EXPECT_EQ(TakeTrainStart(), train);
    showState().StartedTrains = 1;
    PickNext(kPooled);
    rec().State = ts::kRunEnded;
    GenTrain(train, sect);
    EXPECT_EQ(PicturesInUse(), 1) << "the first unit is freed";
    EXPECT_EQ(unit().Composition, u"COACH_B");
    EXPECT_EQ(showState().StartedTrains, 0);
    EXPECT_EQ(scriptItem(Item(kSimple)).InUse, 0);
    EXPECT_EQ(rec().Line, Item(kPooled));
    EXPECT_EQ(scriptItem(Item(kPooled)).InUse, train);
    ASSERT_EQ(rec().PoolDepth, 1);
    EXPECT_EQ(scriptItem(rec().PoolLines[1]).Text, u"V=7;D=L");
    EXPECT_EQ(rec().RestartDelay, 3 * showState().TicksPerSecond);
    EXPECT_EQ(rec().WaitTicks, rec().RestartDelay) << "counted down by the timed events";
    EXPECT_EQ(rec().State, 12);
    EXPECT_NE(rec().Flags & tf::kRestartA, 0);
    EXPECT_NE(rec().OnList, train_list::kStarts) << "it waits for its restart delay";
    ASSERT_EQ(rec().MemberCount, 1);
    EXPECT_FLOAT_EQ(unit().Speed, 7) << "the pool line's speed";
    EXPECT_EQ(unit().Dir, -1) << "and its direction";
    EXPECT_EQ(rec().LayerFlags & 0x80, 0) << "no text on this line";
}

// What a start counted into the length of the trains on the scene (the length limit's sum)
// comes off again once: a unit freed by a recomposition takes its width, the end of the run
// the rest.
TEST_F(TrainStart, TheLengthAStartCountedComesOffOnceWhenUnitsAndTheRunEnd) {
    programState().settings.Show = ShowSettings{};
    PickNext(kSimple);
    GenTrain(train, sect);
    showState().StartedLength = 1000;  // the other trains on the scene
    ASSERT_EQ(DoTimedEvents(), 200) << "the scene tick starts the train";
    EXPECT_EQ(showState().StartedLength, 1140);
    // Its unit has left; the next unit of its list is composed and enters.
    trainPictures()[rec().Members[1]].MotionState = 2;
    rec().StepText[0] = u"COACH_A\r";
    rec().State = ts::kRegenerate;
    GenTrain(train, sect);
    EXPECT_EQ(showState().StartedLength, 1000) << "the unit that left";
    ASSERT_EQ(DoTimedEvents(), 200) << "the entering unit";
    EXPECT_EQ(showState().StartedLength, 1080);
    rec().State = ts::kRunEnded;
    GenTrain(train, sect);
    EXPECT_EQ(showState().StartedLength, 1000) << "the run's end takes off the rest, and no more";
    EXPECT_EQ(rec().CountedLength, 0);
    programState().settings.Show = ShowSettings{};
}

TEST_F(TrainStart, AFinishingSectionRemovesTheTrainWhenItsRunEnds) {
    PickNext(kSimple);
    GenTrain(train, sect);
    sectRec(sect).Flags |= sect_flag::kFinishing;
    rec().State = ts::kRunEnded;
    GenTrain(train, sect);
    EXPECT_EQ(rec().State, ts::kFree);
    EXPECT_EQ(PicturesInUse(), 0);
}

TEST_F(TrainStart, RecompositionReplacesEndedUnitsFromTheFollowList) {
    PickNext(kSimple);
    GenTrain(train, sect);
    TakeTrainStart();
    trainPictures()[rec().Members[1]].MotionState = 2;  // the unit has left
    rec().StepText[0] = u"COACH_A\rCOACH_B\r";
    rec().StepText[1] = u"9";
    rec().State = ts::kRegenerate;
    GenTrain(train, sect);
    EXPECT_EQ(rec().State, ts::kRegenerate);
    EXPECT_EQ(rec().OnList, train_list::kPriority);
    ASSERT_EQ(rec().MemberCount, 1);
    EXPECT_EQ(unit().Composition, u"COACH_A");
    EXPECT_EQ(unit().MemberPos, 1);
    EXPECT_FLOAT_EQ(unit().Speed, 9);
    EXPECT_EQ(rec().StepText[0], u"COACH_B\r");
    // A unit still following keeps the train running as it is.
    trainPictures()[rec().Members[1]].MotionState = 7;
    rec().State = ts::kRegenerate;
    GenTrain(train, sect);
    EXPECT_EQ(rec().MemberCount, 1);
    EXPECT_EQ(rec().StepText[0], u"COACH_B\r");
}

TEST_F(TrainStart, ARecompositionThatAlwaysFailsEndsTheRun) {
    PickNext(kSimple);
    GenTrain(train, sect);
    scriptReader().S.Run.SkipErrors = 1;
    trainPictures()[rec().Members[1]].MotionState = 2;
    rec().StepText[0] = u"BAD\rBAD\rBAD\rBAD\r";
    rec().State = ts::kRegenerate;
    sectRec(sect).Flags |= sect_flag::kFinishing;
    GenTrain(train, sect);
    EXPECT_EQ(Reports(), static_cast<size_t>(kMaxRecomposeAttempts));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(rec().State, ts::kFree);
}

TEST_F(TrainStart, AStartedTrainIsReleasedOrWaitsForItsTextLayer) {
    struct Case {
        const char* name;
        int32_t flags;
        bool finishing;
        uint8_t state;
    };
    const Case cases[] = {
        {"not started: started again at once", 0, false, 12},
        {"painted at set-up with a text: the text goes first", tf::kStarted | tf::kAreaPainted, false,
         ts::kAwaitTextLayer},
        {"not painted at set-up: released", tf::kStarted, false, ts::kReleased},
        {"finishing: released", tf::kStarted | tf::kAreaPainted, true, ts::kReleased},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        PickNext(kSimple);
        GenTrain(train, sect);
        const int32_t text = rec().TextBuffer;
        ASSERT_NE(text, 0);
        rec().Flags |= c.flags;
        if (c.finishing) rec().Flags |= tf::kFinishing;
        rec().State = ts::kRunEnded;
        PickNext(kSimple);
        GenTrain(train, sect);
        EXPECT_EQ(rec().State, c.state);
        if (c.state == ts::kReleased) {
            EXPECT_EQ(rec().TextBuffer, 0);
            EXPECT_EQ(rec().LayerFlags, 0);
        }
    }
}

// The label of the simple line in the show font, pixel for pixel: ink '#', paper '.'.
TEST_F(TrainStart, TheLabelIsDrawnInTheShowFont) {
    ASSERT_EQ(QFontInfo(showFont()).family(), QStringLiteral("DejaVu Sans"));
    PickNext(kSimple);
    GenTrain(train, sect);
    const TrainRec& r = rec();
    ASSERT_NE(r.TextBuffer, 0);
    const plat::HDC dc = plat::HDC::FromValue(r.TextBufferData[0]);
    const plat::COLORREF ink = static_cast<plat::COLORREF>(sectRec(sect).LabelColor);
    std::vector<std::string> rows;
    for (int32_t y = 0; y < r.TextHeight; ++y) {
        std::string row;
        for (int32_t x = 0; x < r.TextWidth; ++x)
            row += plat::GetPixel(dc, r.TextBufferData[1] + x, r.TextBufferData[2] + y) == ink ? '#' : '.';
        rows.push_back(row);
    }
    // Each glyph, the blanks around the text too, advances by its whole width.
    const std::vector<std::string> golden = {
        ".........................",  //
        "....#...###.......##.....",  //
        "....#..##..#.......#.....",  //
        "....#..#...........#.....",  //
        "....#..#...........#.....",  //
        "....#..#...........#.....",  //
        "....#..##..........#.....",  //
        "....#...####......###....",  //
        ".........................",  //
        ".........................",  //
    };
    EXPECT_EQ(rows, golden);
    EXPECT_EQ(r.TextX, kLineWidth * 5 / 100) << "the scene's default position, 5 % from the left";
}

TEST(LabelRow, StaysInsideTheLowerZone) {
    struct Case {
        double wanted;
        int32_t below, font, row;
    };
    const Case cases[] = {
        {5, 40, 12, 5}, {5.6, 40, 12, 6}, {35, 40, 12, 28}, {-3, 40, 12, 0}, {5, 8, 12, 0}, {400, 900, 12, 254},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampLabelRow(c.wanted, c.below, c.font), c.row) << c.wanted;
}

}  // namespace
