// Every movement mode from its script line to the train's removal through the show's own
// procedures: the train start composes and places the units (vehicles drawn as plain boxes),
// the frame step moves, paints and presents in frames of exactly 20 ms on an injected clock,
// the scene tick starts the train and counts its waits, the step program runs its phases,
// and the main loop's dispatch hands the train back to the train start, which releases it
// (its section is finishing) until the record is removed. Checked: the phases in order, and
// that no train record, picture, part, animation or list entry is left behind.
//
// The show's single-step mode stops every start and every wait, so a mode could never run to
// its end in it; these runs take normal steps, each granted its measured 20 ms.
#include <gtest/gtest.h>

#include <optional>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fake_vehicles.h"
#include "script_fixture.h"
#include "immediate_display.h"
#include "show_fixture.h"
#include "show_lists_check.h"
#include "platform/raster_test_util.h"
#include "frame_step_stand_ins.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/show/object_steps.h"
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

constexpr int32_t kHeight = 30;
constexpr int32_t kLineWidth = 1000;
constexpr int32_t kSceneWidth = 1000;
constexpr int32_t kSceneHeight = 200;
constexpr int kMaxFrames = 30000;

struct ModeCase {
    const char* name;
    const char* line;
    int32_t units;                // built for the run, at most at once
    std::vector<uint8_t> phases;  // the step program's, in order
};

std::vector<uint8_t> Range(int from, int to) {
    std::vector<uint8_t> v;
    for (int i = from; i <= to; ++i) v.push_back(static_cast<uint8_t>(i));
    return v;
}

std::vector<ModeCase> Cases() {
    return {
        {"NONE", "M=NONE;T=1", 0, {14, 15, 16}},
        {"SIMPLE", "M=SIMPLE;C=E40,COACH_A", 1, {12, 13, 14}},
        {"STOP", "M=STOP;C=E40,COACH_A;T=1", 1, Range(16, 20)},
        {"BACK", "M=BACK;C=E40,COACH_A;T=1", 1, Range(20, 24)},
        {"OPEN", "M=OPEN;C=E40,COACH_A;T1=1;T2=1;T3=1", 1, Range(54, 60)},
        {"CUT", "M=CUT;C1=E40,COACH_A;C2=COACH_B;D1=R;D2=R;T1=1;T2=1", 2, Range(24, 31)},
        {"CUT2", "M=CUT2;C1=E40,COACH_A;C2=COACH_B;D1=R;D2=R", 2, Range(31, 41)},
        {"CHANGE", "M=CHANGE;C=COACH_A,COACH_B;C1=E40;C2=DIESEL", 3, Range(41, 54)},
        {"UNIT", "M=UNIT;C1=E40,COACH_A;C2=RAILCAR;D=R", 2, Range(60, 70)},
        {"PUT", "M=PUT;C=E40,COACH_A;C1=DIESEL;C2=WAGON_BOX", 3, Range(70, 80)},
        {"GET", "M=GET;C=E40,COACH_A;C1=DIESEL;C2=WAGON_BOX", 3, Range(80, 89)},
        {"ECHG", "M=ECHG;C=COACH_A,COACH_B;C1=E40;C2=DIESEL;C3=RAILCAR", 4, Range(89, 101)},
        {"HEAD", "M=HEAD;C1=E40;C=COACH_A,COACH_B;C2=DIESEL", 3, Range(101, 109)},
        {"PUSH", "M=PUSH;C=COACH_A,COACH_B;C1=E40;C2=DIESEL", 3, Range(109, 117)},
        {"TURN", "M=TURN;C1=E40;C=COACH_A,COACH_B;BEHIND=1", 2, Range(117, 132)},
        {"RCUT", "M=RCUT;C1=E40;C2=COACH_A,COACH_B", 2, {132, 133, 134, 135}},
        // Each unit of the list enters behind the one before it, composed by the train start
        // (state 11) when the one before has entered; when the last has left, the run ends
        // from the recomposition itself.
        {"FOLLOW", "M=FOLLOW;C=3*E40", 3, {9, 10, 11}},
    };
}

class ModeRuns : public show_test::ShowTestOn<script_test::ScriptTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        auto& t = core_test::defaultTexts();
        t[u"UTC"] = u"Unknown movement code \"%1\"";
        t[u"IFI"] = u"in %1 line %2";
        t[u"IFL"] = u"in %1 line %2";
        ResetTrainPictures();
        ForgetBufferClasses();  // the engine was started afresh
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        programState().Shared.PictureHeight = kHeight;
        UseCanvas(0, 0, 3000, kHeight + 10, 0);
        vehicles_.emplace(kHeight);
        trainStart() = TrainStartState{};
        programState().settings.Show = ShowSettings{};
        programState().machine.MsPerCounterTick = 1;
        scriptReader().S.Run.SkipErrors = 0;

        std::vector<std::string> script = {"$SECTION Y=0;DY=100;AB=10;VH=30;BL=20;SEQ=F;V=4"};
        for (const ModeCase& c : Cases()) script.emplace_back(c.line);
        script.emplace_back("$ENDSECTION");
        ASSERT_TRUE(read(write("modes.ttt", script))) << reported();
        for (int32_t i = 1; i <= ScriptBlockCount(); ++i)
            if (sectRec(i).Type == sect_type::kSection) sect = i;
        ASSERT_NE(sect, 0);
        sectRec(sect).LimitCount = 0;
        sectRec(1).Width = kSceneWidth;

        MakeDisplay();
        ShowState& ss = showState();
        ss.Display.ShowFontHeight = MeasureShowText(u"Mg").Height;
        ss.SpeedFactor = 1;
        ss.StepClock = 20;
        ss.MeanStepMs = 20;
    }
    void TearDown() override {
        displayState().Frame = Compositor{};
        displayState().SceneWidth = displayState().SceneHeight = 0;
        displayState().DrawBits = 0;
        vehicles_.reset();
        FreeCanvas(0);
        programState().Shared.PictureHeight = 0;
        programState().settings.Show = ShowSettings{};
        programState().machine.MsPerCounterTick = 0;
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        ResetTrainPictures();
        plat::DeleteObject(display.brush);
        ShowTestOn::TearDown();
    }

    void MakeDisplay() { display.Make(kSceneWidth, kSceneHeight, plat::RGB(166, 202, 234)); }

    // The root band over the scene and the section's band in it.
    int32_t SectionBand() {
        const int32_t root = AddTimedEvent(event_kind::kRoot, 1, 0, 0, kSceneHeight);
        return AddTimedEvent(event_kind::kSection, sect, root, 0, kSceneHeight);
    }
    // A train line of the section's band, `top` rows down, waiting for its script line.
    int32_t AddTrain(int32_t band, int32_t top) {
        const int32_t t = NewTrainRec(0);
        AddTimedEvent(event_kind::kTrainLine, t, band, top, 60);
        LineSection line = LineSectionOf(sect);
        line.Width = kLineWidth;
        line.Height = 60;
        InitTrainFromSect(t, line, 10, kHeight, 20);
        trains().at(t).State = ts::kAwaitLine;
        return t;
    }

    // The section's line for the mode, as its next pick, on a train record of its own.
    void NewTrain(int32_t modeLine) {
        states.clear();
        units = 0;
        train = AddTrain(SectionBand(), 0);
        ResetShowLists();
        sectRec(sect).CurrentLine = sectRec(sect).First + modeLine - 2;
        // One run, then the train is released and removed.
        sectRec(sect).Flags |= sect_flag::kFinishing;
    }

    // The train start for a train line, as the main loop calls it.
    void Start(int32_t t) {
        ShowState& ss = showState();
        ss.CurTrain = t;
        ss.CurSect = trains().at(t).Sect;
        if (trains().at(t).State == ts::kRunEnded) ++runsEnded;
        Note();
        GenTrain(ss.CurTrain, ss.CurSect);
        Note();
        if (trains().valid(t) && trains().at(t).State >= ts::kFirstProgramPhase) linesRun.insert(trains().at(t).Line);
    }
    // The main loop's inner loop, once: a full frame step, then at most one due entry; a
    // train line goes to the train start. False when the show was stopped.
    bool Frame() {
        CheckStep(kFullStep);
        if (programState().run.StopRequest != 0) return false;
        const int32_t e = TakeDueEvent();
        if (e != 0 && runQueue().at(e).Kind == event_kind::kTrainLine) Start(runQueue().at(e).Target);
        return true;
    }

    // Notes the train's state when it differs from the last one noted, and its members.
    void Note() {
        if (!trains().valid(train) || trains().at(train).State == ts::kFree) return;
        const uint8_t state = trains().at(train).State;
        if (states.empty() || states.back() != state) states.push_back(state);
        units = std::max<int32_t>(units, trains().at(train).MemberCount);
    }

    // Frames until the train is removed, noting the states it passed as the train start and
    // every phase of the step program found them and left them.
    void Run() {
        movers.onStepAnim = [this](int32_t t) {
            Note();
            StepObjectAnim(t);
            Note();
        };
        Start(train);
        for (int frame = 0; frame < kMaxFrames; ++frame) {
            Note();
            if (!trains().valid(train) || trains().at(train).State == ts::kFree) return;
            if (!Frame()) {
                ADD_FAILURE() << "stopped at frame " << frame;
                return;
            }
        }
        ADD_FAILURE() << "the train is still there after " << kMaxFrames << " frames";
    }

    static int32_t InUse() {
        int32_t n = 0;
        for (int32_t p = 1; p <= trainPictures().Count; ++p) n += trainPictures()[p].MotionState != 0 ? 1 : 0;
        return n;
    }
    static int32_t PartsInUse() {
        int32_t n = 0;
        for (int32_t p = 1; p <= picParts().Count; ++p) n += picParts()[p].State != kPartFree ? 1 : 0;
        return n;
    }

    program_test::TestMovers movers;
    show_test::ImmediateDisplay display;
    int32_t sect = 0;
    int32_t train = 0;
    std::vector<uint8_t> states;  // of the train, each once in a row
    std::set<int32_t> linesRun;   // the script lines trains were started on
    int32_t runsEnded = 0;        // handed back by the step program
    int32_t units = 0;            // the most members the train had at once

private:
    std::optional<vehicles_test::FakeVehicles> vehicles_;
};

TEST_F(ModeRuns, EveryModeRunsFromItsLineToTheTrainsRemovalAndLeavesNothing) {
    const std::vector<ModeCase> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const ModeCase& c = cases[i];
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const int32_t parts = PartsInUse();
        NewTrain(static_cast<int32_t>(i) + 1);
        Run();
        // The start, the mode's program, the end of the run, the release and its wipe.
        std::vector<uint8_t> want = {ts::kAwaitLine};
        want.insert(want.end(), c.phases.begin(), c.phases.end());
        if (c.phases.back() != ts::kRegenerate) want.push_back(ts::kRunEnded);
        want.insert(want.end(), {ts::kReleased, ts::kRunEndedWiped});
        EXPECT_EQ(states, want);
        EXPECT_EQ(units, c.units);
        EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : core_test::utf8(boxes_[0].text));
        // Nothing is left behind.
        EXPECT_FALSE(trains().valid(train) && trains().at(train).State != ts::kFree) << "the train record";
        EXPECT_EQ(trains().ActiveHead, 0);
        EXPECT_EQ(InUse(), 0) << "pictures";
        EXPECT_EQ(PartsInUse(), parts) << "picture parts";
        EXPECT_EQ(animWheel().AnimScheduled, 0) << "animations";
        const ShowLists& l = showState().Lists;
        EXPECT_EQ(l.StepHead, 0);
        EXPECT_EQ(l.PriorityHead, 0);
        EXPECT_EQ(l.StartHead, 0);
        EXPECT_EQ(showState().StartedTrains, 0);
        EXPECT_EQ(show_test::ShowListsFault(), "");
    }
}

// Three train lines of the section for 10,000 frames, each starting the section's next line
// when its run has ended, so that every mode runs beside the others under the length limit:
// after every frame the lists are sound. Then the section finishes, every train ends its run and is removed, and
// nothing is left.
TEST_F(ModeRuns, TenThousandFramesOfEveryModeKeepEveryListSoundAndLeakNothing) {
    const int32_t parts = PartsInUse();
    const int32_t band = SectionBand();
    std::vector<int32_t> lines;
    for (const int32_t top : {0, 70, 140}) lines.push_back(AddTrain(band, top));
    ResetShowLists();
    // The length limit on: it must let trains start again as others end.
    programState().settings.Show.LimLenB = {1, 1};
    programState().settings.Show.LimLenV = {1500, 1500};
    movers.onStepAnim = nullptr;
    for (const int32_t t : lines) Start(t);
    for (int frame = 0; frame < 10000; ++frame) {
        ASSERT_TRUE(Frame()) << "stopped at frame " << frame;
        ASSERT_EQ(show_test::ShowListsFault(), "") << "frame " << frame;
    }
    EXPECT_EQ(static_cast<int32_t>(linesRun.size()), static_cast<int32_t>(Cases().size())) << "every mode ran";
    EXPECT_GE(runsEnded, 40) << "the trains kept starting again with the section's next lines";
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : core_test::utf8(boxes_[0].text));

    sectRec(sect).Flags |= sect_flag::kFinishing;
    for (int frame = 0; frame < kMaxFrames && trains().ActiveHead != 0; ++frame) {
        ASSERT_TRUE(Frame()) << "stopped at frame " << frame;
        ASSERT_EQ(show_test::ShowListsFault(), "") << "frame " << frame;
    }
    EXPECT_EQ(trains().ActiveHead, 0) << "every train was removed";
    EXPECT_EQ(InUse(), 0) << "pictures";
    EXPECT_EQ(PartsInUse(), parts) << "picture parts";
    EXPECT_EQ(animWheel().AnimScheduled, 0) << "animations";
    EXPECT_EQ(showState().StartedTrains, 0);
    EXPECT_EQ(showState().StartedLength, 0);
}

}  // namespace
