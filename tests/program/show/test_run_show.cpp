// One show from start to end with every procedure of the other folders faked: the drawing
// method, the splash's layout and wait on an injected clock, the main loop's alternation of
// frame steps and due entries, its error handler, re-creation, and the settings stored at the
// end and read back by the next show.
#include <QWidget>

#include <filesystem>
#include <optional>
#include <fstream>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "picture_engine_fake.h"
#include "frame_step_stand_ins.h"
#include "stepped_clock.h"
#include "show_fixture.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/window_placement.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/program_error.h"
#include "program/show/frame_step.h"
#include "program/show/main_loop.h"
#include "program/show/run_show.h"
#include "program/trains/show_queues.h"
#include "program/show/show_run_steps.h"
#include "program/show/show_window_calls.h"

namespace {

using namespace yov;

// The run's steps, each recorded in the call list; the frame step is the test's too.
class RecordedSteps : public ShowRunSteps {
public:
    std::vector<std::string> calls;
    bool readOk = true;
    std::function<void()> onRead;
    std::function<void()> onCreate;
    std::function<void(int32_t)> onSect;

    bool readScript(const std::u16string& file, uint8_t headerOnly) override {
        calls.push_back("read " + core_test::utf8(file) + " " + std::to_string(headerOnly));
        if (onRead) onRead();
        return readOk;
    }
    void startDisplay() override { calls.push_back("start"); }
    void createDisplaySurfaces() override {
        calls.push_back("create");
        if (onCreate) onCreate();
        ResetRunQueue();
        ResetShowLists();
        show_test::MakeSect(1);
        QueueDueEvent(AddTimedEvent(event_kind::kRoot, 1, 0, 0, 600));
        showState().RecreateRequest = 0;
        programState().run.RunFlags |= run_flag::kFramesDrawn;
    }
    void releaseDisplaySurfaces() override {
        calls.push_back("release");
        programState().run.RunFlags &= static_cast<uint8_t>(~run_flag::kFramesDrawn);
    }
    void stopDisplay() override { calls.push_back("stop"); }
    void runSect(int32_t sect) override {
        calls.push_back("sect " + std::to_string(sect));
        if (onSect) onSect(sect);
    }
};

// No show window; the settings dialog's show tab, counted.
class CountedWindowCalls : public ShowWindowCalls {
public:
    std::function<void()> onTab;
    std::unique_ptr<ShowView> makeView(uint8_t) override { return nullptr; }
    void takeCursorPosition() override {}
    void settingsShowTab() override {
        if (onTab) onTab();
    }
    void showDisplayRequest() override {}
    void askPassword() override {}
    void describePicture(int32_t) override {}
};

class ShowRun : public show_test::ShowTestOn<core_test::CoreTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        frameSteps.onStep = [this](int32_t site) {
            calls.push_back("step " + std::to_string(site));
            ++steps;
            if (onStep) onStep(steps);
        };
        previousWindowCalls_ = InstallShowWindowCalls(&windowCalls);
    }
    void TearDown() override {
        InstallShowWindowCalls(previousWindowCalls_);
        LoadServiceWindow().Timer1.stop();
        ShowTestOn::TearDown();
    }
    void Run(uint8_t mode = 0) {
        std::u16string script = u"demo.ttt";
        RunShow(mode, script, 0, 0);
    }

    // The show's waits on the test's time; a test may act on the event pumps it asks for.
    struct RunClock : program_test::SteppedClock {
        std::function<void()> onPump;
        void pumpEvents() override {
            SteppedClock::pumpEvents();
            if (onPump) onPump();
        }
    };
    RunClock clock;
    int64_t& now = clock.ms;
    int64_t& slept = clock.sleptMs;
    int& pumps = clock.pumps;
    int steps = 0;
    RecordedSteps recorded;
    program_test::RecordedFrameSteps frameSteps;
    ScopedShowRunSteps installed{recorded};
    CountedWindowCalls windowCalls;
    std::vector<std::string>& calls = recorded.calls;
    bool& readOk = recorded.readOk;
    std::function<void()>& onRead = recorded.onRead;
    std::function<void(int)> onStep;
    std::function<void(int32_t)>& onSect = recorded.onSect;

private:
    ShowWindowCalls* previousWindowCalls_ = nullptr;
};

TEST(DrawAlg, ChoosesTheDrawingMethod) {
    struct Case {
        int32_t drawAlg;
        uint8_t directDraw, flips, wholeTrains;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0}, {1, 0, 0, 1}, {2, 1, 0, 0},  {3, 1, 1, 0},
        {4, 1, 2, 0}, {5, 0, 0, 0}, {-1, 0, 0, 0}, {255, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const DrawMethod m = DrawMethodFor(c.drawAlg);
        EXPECT_EQ(m.UseDirectDraw, c.directDraw) << c.drawAlg;
        EXPECT_EQ(m.FlipCount, c.flips) << c.drawAlg;
        EXPECT_EQ(m.DrawWholeTrains, c.wholeTrains) << c.drawAlg;
    }
}

TEST(Splash, Layout) {
    struct Case {
        const char* name;
        int32_t pw, ph;
        bool full;
        SplashLayout want;
    };
    // Screen 800 x 600.
    const std::vector<Case> cases = {
        {"small, framed and centred", 200, 100, false, {299, 249, 202, 102, true, 1, 1, 200, 100, 0, 0}},
        {"larger than the screen: its middle", 1000, 700, false, {0, 0, 800, 600, true, 1, 1, 798, 598, 101, 51}},
        {"full screen, small: centred", 200, 100, true, {0, 0, 800, 600, false, 300, 250, 200, 100, 0, 0}},
        {"full screen, large: its middle", 1000, 700, true, {0, 0, 800, 600, false, 0, 0, 800, 600, 100, 50}},
        {"wide and short", 900, 50, false, {0, 274, 800, 52, true, 1, 1, 798, 50, 51, 0}},
    };
    for (const Case& c : cases) {
        const SplashLayout l = LayOutSplash(c.pw, c.ph, 800, 600, c.full);
        EXPECT_EQ(l.Left, c.want.Left) << c.name;
        EXPECT_EQ(l.Top, c.want.Top) << c.name;
        EXPECT_EQ(l.Width, c.want.Width) << c.name;
        EXPECT_EQ(l.Height, c.want.Height) << c.name;
        EXPECT_EQ(l.Frame, c.want.Frame) << c.name;
        EXPECT_EQ(l.DestX, c.want.DestX) << c.name;
        EXPECT_EQ(l.DestY, c.want.DestY) << c.name;
        EXPECT_EQ(l.DrawWidth, c.want.DrawWidth) << c.name;
        EXPECT_EQ(l.DrawHeight, c.want.DrawHeight) << c.name;
        EXPECT_EQ(l.SrcX, c.want.SrcX) << c.name;
        EXPECT_EQ(l.SrcY, c.want.SrcY) << c.name;
    }
}

TEST_F(ShowRun, SplashTimes) {
    struct Case {
        std::u16string text;
        int32_t ms;
    };
    const std::vector<Case> cases = {
        {u"", 5000},    {u"2", 2000},   {u"0", 1},  {u"0.0004", 1},
        {u"1.5", 1500}, {u"50%", 2500}, {u"-3", 1}, {u"1000000", 1000000000},
    };
    for (const Case& c : cases) EXPECT_EQ(SplashTimeMs(c.text), c.ms) << core_test::utf8(c.text);
    EXPECT_THROW(SplashTimeMs(u"99999999"), ProgramError) << "beyond what a script number may be";
}

TEST_F(ShowRun, SplashWaitAcrossTheClockWrap) {
    struct Case {
        const char* name;
        uint32_t start;  // tick count when the splash was shown
        uint32_t now;    // when the wait begins
        int32_t ms;
        int32_t slept;
    };
    const std::vector<Case> cases = {
        {"waits it out", 1000, 1000, 300, 301},
        {"part gone", 1000, 1200, 300, 101},
        {"already over", 1000, 1400, 300, 0},
        {"31-bit wrap", 0x7FFFFF00u, 0x7FFFFF00u, 512, 513},
        {"32-bit wrap", 0xFFFFFFF0u, 0x00000010u, 100, 69},
        {"one millisecond", 5, 5, 1, 2},
    };
    for (const Case& c : cases) {
        slept = 0;
        showState().SplashStart = low31(c.start);
        showState().SplashMs = c.ms;
        now = c.now;
        WaitOutSplash();
        EXPECT_EQ(slept, c.slept) << c.name;
    }
    slept = 0;
    now = 0;
    showState().SplashStart = 0;
    programState().run.StopRequest = 1;
    WaitOutSplash();
    EXPECT_EQ(slept, 0) << "a stop ends the wait";
}

TEST_F(ShowRun, AFailingScriptSkipsTheLoopButTidiesUp) {
    for (const int failure : {0, 1, 2}) {
        calls.clear();
        readOk = failure != 0;
        onRead = [failure] {
            if (failure == 1) throw ProgramError(error_number::kScriptRequirement, u"no trains");
            if (failure == 2) programState().run.StopRequest = 1;
        };
        showState().SplashMs = 40;
        Run();
        EXPECT_EQ(calls, std::vector<std::string>{"read demo.ttt 0"}) << failure;
        EXPECT_EQ(programState().run.RunFlags, 0) << failure;
        EXPECT_EQ(programState().run.StopRequest, 1) << failure;
        EXPECT_EQ(showState().SplashMs, 0) << failure;
        EXPECT_TRUE(LoadServiceWindow().Timer1.isActive()) << "shutdown posted " << failure;
        EXPECT_EQ(serviceState().DeferredAction, deferred::kShutdown);
        LoadServiceWindow().Timer1.stop();
    }
}

TEST_F(ShowRun, OneDueEntryPerFrameStep) {
    Sect(1);
    onSect = [this](int32_t sect) {
        if (sect != 1) return;
        const int32_t root = 1;  // made with the surfaces
        QueueDueEvent(Section(7, root, 0, 100));
        QueueDueEvent(Section(8, root, 100, 100));
        const int32_t t = NewTrainRec(train_flag::kDependent);
        QueueDueEvent(AddTimedEvent(event_kind::kTrainLine, t, root, 300, 40));
        trains().at(t).Sect = 8;
        trains().at(t).State = train_state::kAwaitLine;
    };
    onStep = [](int n) {
        if (n == 6) programState().run.StopRequest = 1;
    };
    Run(1);
    const std::vector<std::string> want = {"read demo.ttt 0", "start",      "create",     "step 30000", "sect 1",
                                           "step 30000",      "sect 7",     "step 30000", "sect 8",     "step 30000",
                                           "step 30000",      "step 30000", "release",    "stop"};
    EXPECT_EQ(calls, want);
    EXPECT_EQ(showState().CurTrain, 1);
    EXPECT_EQ(showState().CurSect, 8);
    // The train start had the entry: section 8 has no line for the linked train, whose
    // drawing is released.
    EXPECT_EQ(trains().at(1).State, train_state::kReleased);
    EXPECT_EQ(programState().run.ShowMode, 0) << "back to no show";
}

TEST_F(ShowRun, ARecreationStartsTheSceneAgainWithoutStoring) {
    SaveRegString(u"L", u"keep");
    onStep = [this](int n) {
        if (n == 2) showState().RecreateRequest = 1;
        if (n == 3) {
            EXPECT_EQ(GetRegString(u"L", u""), u"keep") << "nothing stored on a re-creation";
        }
        if (n == 4) programState().run.StopRequest = 1;
    };
    Run();
    const std::vector<std::string> want = {"read demo.ttt 0", "start",   "create", "step 30000", "sect 1",
                                           "step 30000",      "release", "create", "step 30000", "sect 1",
                                           "step 30000",      "release", "stop"};
    EXPECT_EQ(calls, want);
    EXPECT_EQ(GetRegString(u"L", u"x"), u"0,") << "stored at the end";
}

TEST_F(ShowRun, AnErrorInTheLoopIsReportedAndTheSceneStartsAgain) {
    answer_ = 1;  // OK: go on
    onSect = [this](int32_t) {
        if (steps == 1) throw ProgramError(error_number::kInvalidCall, u"broken section");
    };
    onStep = [](int n) {
        if (n == 3) programState().run.StopRequest = 1;
    };
    Run();
    const std::vector<std::string> want = {"read demo.ttt 0", "start",      "create",  "step 30000",
                                           "sect 1",          "release",    "create",  "step 30000",
                                           "sect 1",          "step 30000", "release", "stop"};
    EXPECT_EQ(calls, want);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].text.find(u"Exit by Error handler in MainLoop"), std::u16string::npos);
    EXPECT_NE(boxes_[0].text.find(u"broken section"), std::u16string::npos) << core_test::utf8(boxes_[0].text);
}

TEST_F(ShowRun, AFaultThatComesBackRestartsTheSceneNoFasterThanTheRestartDelay) {
    // A message raised in a show is reported at once and comes to the main loop as already
    // reported: no box, no stop, only the delay paces the restarts.
    std::vector<uint32_t> creates;
    recorded.onCreate = [&] {
        creates.push_back(now);
        if (creates.size() == 10) programState().run.StopRequest = 1;
    };
    onSect = [](int32_t) { throw ProgramError(error_number::kReported, u"no such picture"); };
    Run(1);
    ASSERT_EQ(creates.size(), 10u);
    for (size_t i = 1; i < creates.size(); ++i) EXPECT_GE(creates[i] - creates[i - 1], 3000u) << i;
    EXPECT_GT(pumps, 100) << "the window system keeps running while the show waits";
    size_t reports = 0;
    for (const std::string& l : logLines()) reports += l.find("Exit by Error handler in MainLoop") != std::string::npos;
    EXPECT_EQ(reports, 9u) << "once per failed pass";
}

TEST_F(ShowRun, AStopWhileTheSceneWaitsToRestartEndsTheShowAtOnce) {
    onSect = [](int32_t) { throw ProgramError(error_number::kReported, u"no such picture"); };
    clock.onPump = [this] {
        if (pumps == 5) programState().run.StopRequest = 1;
    };
    Run(1);
    const std::vector<std::string> want = {"read demo.ttt 0", "start",   "create", "step 30000",
                                           "sect 1",          "release", "stop"};
    EXPECT_EQ(calls, want);
    EXPECT_LT(slept, 3000);
}

TEST_F(ShowRun, AStopThatCutsLongWorkShortIsNoError) {
    // Long work inside a section takes frame steps; the one entered after the stop raises the
    // already-reported error that unwinds the work. Without a stop the same error is one the
    // show raised after reporting it, and the loop's report follows as before.
    struct Case {
        const char* name;
        bool stop;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"a stop", true, {}},
        {"no stop", false, {"First report Exit by Error handler in MainLoop (EH=31017)"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(logPath());
        programState().log.LogStarted = 0;
        boxes_.clear();
        calls.clear();
        steps = 0;
        onSect = [this, &c](int32_t) {
            if (steps != 1) return;
            if (c.stop) programState().run.StopRequest = 1;
            throw ProgramError(error_number::kReported, c.stop ? u"" : u"First report");
        };
        onStep = [](int n) {
            if (n == 2) programState().run.StopRequest = 1;
        };
        Run();
        std::vector<std::string> lines = logLines();
        if (!lines.empty()) lines.erase(lines.begin());  // the "started" line
        EXPECT_EQ(lines, c.logged) << c.name;
        EXPECT_TRUE(boxes_.empty()) << c.name;
        EXPECT_EQ(calls.back(), "stop") << c.name;
        EXPECT_EQ(GetRegString(u"L", u""), u"0,") << c.name << ": the end stores what it stores";
    }
}

TEST_F(ShowRun, AStopDuringASectionEndsTheLoopAfterIt) {
    onSect = [](int32_t) { programState().run.StopRequest = 1; };
    Run();
    const std::vector<std::string> want = {"read demo.ttt 0", "start",   "create", "step 30000",
                                           "sect 1",          "release", "stop"};
    EXPECT_EQ(calls, want);
}

TEST_F(ShowRun, LinePositionsAreStoredAndReadBackByTheNextShow) {
    for (int32_t s = 1; s <= 4; ++s) Sect(s).CurrentLine = s * 10 - 3;
    canvasSlot(0).width = 3120;
    onStep = [](int) { programState().run.StopRequest = 1; };
    Run();
    EXPECT_EQ(GetRegString(u"L", u""), u"7,17,27,37,");
    EXPECT_EQ(GetRegString(u"LCMX", u""), u"3120");
    std::u16string seen;
    onRead = [&seen] { seen = GetRegString(u"L", u""); };
    Run();
    EXPECT_EQ(seen, u"7,17,27,37,");

    show_test::ClearSceneModel();
    EXPECT_EQ(SectionLinesText(), u"") << "no sections: empty";
    canvasSlot(0).width = 0;
}

TEST_F(ShowRun, TheSettingsDialogKeepsTheProgramRunning) {
    QWidget dialog;
    programState().WindowTable[kSettingsSlot] = {&dialog, -1};
    int tabs = 0;
    windowCalls.onTab = [&tabs] {
        ++tabs;
        EXPECT_EQ(programState().run.RunFlags & run_flag::kShowRunning, tabs == 1 ? run_flag::kShowRunning : 0);
    };
    onStep = [](int) { programState().run.StopRequest = 1; };
    Run();
    EXPECT_EQ(tabs, 2);
    EXPECT_FALSE(LoadServiceWindow().Timer1.isActive()) << "no shutdown";
    programState().WindowTable[kSettingsSlot] = {};
}

TEST_F(ShowRun, TheShowStateWhileRunning) {
    programState().settings.Show.DrawAlg = {1, 3};
    onStep = [](int) {
        const ShowState& ss = showState();
        EXPECT_EQ(programState().run.RunFlags & 0x1D, 0x1D);
        EXPECT_EQ(ss.FlipCount, 2 - 1);
        EXPECT_EQ(ss.UseDirectDraw, 1);
        EXPECT_EQ(ss.TicksPerSecond, 5);
        EXPECT_FLOAT_EQ(ss.TickBacklogMs, 2000);
        EXPECT_EQ(ss.ColourKey, 0x100010);
        EXPECT_EQ(programState().run.ShowMode, 1);
        programState().run.StopRequest = 1;
    };
    Run(1);
    EXPECT_EQ(showState().UseDirectDraw, 0);
    programState().settings.Show.DrawAlg = {1, 4};
}

TEST_F(ShowRun, ASplashPictureThatCannotBeLoadedLeavesNoSplash) {
    showState().SplashPicture = core_test::u16(folder() + "/missing.gif");
    ParseShowOptions();
    EXPECT_EQ(showState().SplashMs, 0);
    EXPECT_EQ(showState().SplashForm, nullptr);
}

TEST_F(ShowRun, TheSplashIsShownCentredAndTimed) {
    const std::string file = folder() + "/splash.gif";
    std::ofstream(file) << "GIF89a";
    std::vector<std::vector<int32_t>> draws;
    std::optional<engine_test::PictureEngineFake> pictures{std::in_place};
    pictures->look = [](const std::string&, LvHandle, int16_t* w, int16_t* h, int32_t* off, int32_t) {
        *w = 200;
        *h = 100;
        *off = 0;
        return 1;
    };
    pictures->draw = [&draws](int32_t offset, LvHandle, LvHandle mask, int32_t x, int32_t y, int32_t w, int32_t h,
                              int32_t sx, int32_t sy, int32_t flags) {
        draws.push_back({offset, static_cast<int32_t>(mask), x, y, w, h, sx, sy, flags});
        return 0;
    };
    now = 0x80000123u;
    showState().SplashPicture = core_test::u16(file);
    ParseShowOptions();
    pictures.reset();
    EXPECT_EQ(showState().SplashMs, 5000);
    EXPECT_EQ(showState().SplashStart, 0x123);
    ASSERT_NE(showState().SplashForm, nullptr);
    const QSize screen = screenSizePx();
    const SplashLayout l = LayOutSplash(200, 100, screen.width(), screen.height(), false);
    EXPECT_EQ(draws, (std::vector<std::vector<int32_t>>{{0, 0, 1, 1, 200, 100, 0, 0, 0}}));
    EXPECT_EQ(showState().SplashForm->geometry(), QRect(l.Left, l.Top, l.Width, l.Height));
    EXPECT_TRUE(showState().SplashForm->isVisible());
    UnloadSplash();
    EXPECT_EQ(showState().SplashForm, nullptr);
    EXPECT_EQ(showState().SplashMs, 0);
}

}  // namespace
