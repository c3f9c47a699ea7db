// Display start and stop over a recording show window and the real engine: drawing method,
// DirectDraw start and its fallback, the frame and its brushes, what a re-creation repeats,
// priorities an ordinary user may not raise.
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core_fixture.h"
#include "platform/priority.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/show/display_start.h"
#include "program/show_data/display_state.h"
#include "stepped_clock.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/show/show_window_calls.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"
#include "program/show_data/show_view.h"
#include "recording_engine.h"

namespace {

struct ViewLog {
    int made = 0;
    int placed = 0;
    bool maximized = false;
    int cleared = 0;
    int hides = 0;
    int shows = 0;
    int fonts = 0;
    int closed = 0;
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
};

class RecordingView : public yov::ShowView {
public:
    RecordingView(ViewLog& log, int32_t width, int32_t height) : log_(log), width_(width), height_(height) {
        dc_ = plat::CreateCompatibleDC({});
        bitmap_ = plat::CreateBitmap(width, height, 1, 32, nullptr);
        first_ = plat::SelectObject(dc_, bitmap_);
    }
    ~RecordingView() override {
        plat::SelectObject(dc_, first_);
        plat::DeleteObject(bitmap_);
        plat::DeleteDC(dc_);
    }
    LvWindow handle() const override { return reinterpret_cast<LvWindow>(this); }
    plat::HDC screenDc() const override { return dc_; }
    void setBackgroundColour(uint32_t) override {}
    void placeOverScreen(bool maximized, int32_t, int32_t) override {
        ++log_.placed;
        log_.maximized = maximized;
    }
    void clearAndShow() override { ++log_.cleared; }
    void innerSize(int32_t& w, int32_t& h) const override {
        w = width_;
        h = height_;
    }
    void setFrameSize(int32_t w, int32_t h) override {
        log_.frameWidth = w;
        log_.frameHeight = h;
    }
    bool hideCursor() override {
        ++log_.hides;
        return true;
    }
    void showCursor() override { ++log_.shows; }
    int32_t showFontHeight() override {
        ++log_.fonts;
        return 11;
    }
    void closeFromProgram() override { ++log_.closed; }

private:
    ViewLog& log_;
    int32_t width_;
    int32_t height_;
    plat::HDC dc_;
    plat::HBITMAP bitmap_;
    plat::HBITMAP first_;
};

// While it lives, the calling thread lacks the right to raise priorities, as an ordinary user's
// does: a test run as root drops it from the thread's effective capabilities and then takes
// it back.
class WithoutPriorityRaise {
public:
    WithoutPriorityRaise() {
        if (!get() || (data_[0].effective & kSysNice) == 0) return;
        data_[0].effective &= ~kSysNice;
        dropped_ = set();
    }
    ~WithoutPriorityRaise() {
        if (!dropped_) return;
        data_[0].effective |= kSysNice;
        set();
    }
    WithoutPriorityRaise(const WithoutPriorityRaise&) = delete;
    WithoutPriorityRaise& operator=(const WithoutPriorityRaise&) = delete;

private:
    static constexpr uint32_t kSysNice = 1u << CAP_SYS_NICE;
    bool get() {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capget, &header, data_) == 0;
    }
    bool set() {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capset, &header, data_) == 0;
    }
    __user_cap_data_struct data_[2]{};
    bool dropped_ = false;
};

class DisplayStartTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        engine_.passOn = {"*"};
        yov::ProgramState& st = yov::programState();
        st.machine.ScreenWidthPx = 640;
        st.machine.ScreenHeightPx = 480;
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        windows.makeView_ = [this] { return std::make_unique<RecordingView>(log, 320, 200); };
        savedWindows_ = yov::InstallShowWindowCalls(&windows);
    }
    void TearDown() override {
        yov::InstallShowWindowCalls(savedWindows_);
        yov::DeleteCompositionDC();
        yov::ResetRunQueue();
        yov::ResetShowLists();
        yov::lv::CloseDLL();
        CoreTest::TearDown();
    }

    void start(uint8_t mode, uint8_t useDirectDraw, uint8_t flipCount) {
        yov::programState().run.ShowMode = mode;
        yov::showState().UseDirectDraw = useDirectDraw;
        yov::showState().FlipCount = flipCount;
        yov::StartDisplay();
    }

    std::string errorLog() const {
        std::ifstream in(folder() + "/Rolvane.err");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    ViewLog log;
    engine_test::RecordingEngine engine_;  // every call reaches the library
    // The GDI composition buffer the line painters compose in.
    static bool compositionMade() { return static_cast<bool>(yov::showState().CompositionDC.dc); }
    // The scene's root section, due first after a creation.
    static const yov::TimedEvent& dueRoot() { return yov::runQueue().at(yov::showState().Lists.DueHead); }

    // The show window the display start asks for, recorded.
    struct Windows final : yov::ShowWindowCalls {
        std::function<std::unique_ptr<yov::ShowView>()> makeView_;
        std::unique_ptr<yov::ShowView> makeView(uint8_t) override { return makeView_(); }
        void takeCursorPosition() override {}
        void settingsShowTab() override {}
        void showDisplayRequest() override {}
        void askPassword() override {}
        void describePicture(int32_t) override {}
    } windows;

private:
    yov::ShowWindowCalls* savedWindows_ = nullptr;
    program_test::SteppedClock clock_;  // the events of the display start are not taken
};

TEST_F(DisplayStartTest, WindowedShowNeverUsesDirectDraw) {
    start(0, 1, 0);
    EXPECT_EQ(yov::programState().run.BatchMode, 0);
    EXPECT_EQ(yov::displayState().DrawBits, 0x02 | 0x20 | 0x80);
    yov::CreateDisplaySurfaces();
    EXPECT_EQ(yov::displayState().SceneWidth, 320);
    EXPECT_EQ(yov::displayState().SceneHeight, 200);
    ASSERT_NE(yov::showState().Lists.DueHead, 0) << "the scene starts anew";
    EXPECT_EQ(dueRoot().Kind, yov::event_kind::kRoot);
    EXPECT_EQ(dueRoot().Height, 200);
    EXPECT_EQ(log.cleared, 1);
    EXPECT_EQ(log.hides, 0);  // the cursor stays in a window
    EXPECT_TRUE(compositionMade());
    EXPECT_EQ(yov::displayState().Frame.frame.compositionDc, yov::showState().CompositionDC.dc.Value());
    EXPECT_NE(yov::programState().run.RunFlags & 0x20, 0);
    yov::ReleaseDisplaySurfaces();
    EXPECT_EQ(yov::programState().run.RunFlags & 0x20, 0);
    EXPECT_FALSE(compositionMade());
    yov::StopDisplay();
    EXPECT_EQ(log.closed, 1);
}

TEST_F(DisplayStartTest, DrawBitsFollowTheDrawingMethod) {
    yov::showState().DrawWholeTrains = 1;
    start(0, 0, 0);
    EXPECT_EQ(yov::displayState().DrawBits, 0x0D | 0x20 | 0x80) << "whole trains are composed (0x04)";
    EXPECT_EQ(engine_.callsOf("EnableMenu"),
              (std::vector<std::string>{"EnableMenu 5264 0", "EnableMenu 4229 1", "EnableMenu 4504 1"}));
    yov::StopDisplay();
}

TEST_F(DisplayStartTest, FullScreenDirectDrawShow) {
    start(1, 1, 0);
    ASSERT_EQ(yov::programState().run.BatchMode, 1) << errorLog();
    EXPECT_EQ(yov::displayState().DrawBits, 0x40 | 0x02 | 0x08 | 0x10);
    EXPECT_TRUE(log.maximized);
    yov::CreateDisplaySurfaces();
    EXPECT_NE(yov::displayState().BackSurface, 0u);
    EXPECT_FALSE(compositionMade()) << "the composition buffer is GDI drawing's";
    EXPECT_EQ(log.hides, 1);
    // Presenting by rectangles: batch list 1 is not needed under DirectDraw.
    EXPECT_EQ(yov::displayState().Frame.batchLists[0].capacity(), 100);
    EXPECT_EQ(yov::displayState().Frame.batchLists[1].capacity(), 0);
    yov::ReleaseDisplaySurfaces();
    EXPECT_EQ(yov::displayState().BackSurface, 0u);
    yov::StopDisplay();
    EXPECT_EQ(yov::programState().run.BatchMode, 0);
    EXPECT_EQ(log.shows, 1);
}

TEST_F(DisplayStartTest, FailedDirectDrawWithPageFlippingStillHasItsBlitLists) {
    windows.makeView_ = [this]() -> std::unique_ptr<yov::ShowView> {
        struct NoWindow final : RecordingView {
            using RecordingView::RecordingView;
            LvWindow handle() const override { return 0; }  // InitDDraw refuses window 0
        };
        return std::make_unique<NoWindow>(log, 320, 200);
    };
    start(1, 1, 2);
    EXPECT_EQ(yov::programState().run.BatchMode, 0);
    EXPECT_NE(errorLog().find("InitDDraw error:&H"), std::string::npos);
    yov::CreateDisplaySurfaces();
    const yov::Compositor& f = yov::displayState().Frame;
    EXPECT_TRUE(f.compositionList.made);
    EXPECT_EQ(f.batchLists[0].capacity(), 100);
    EXPECT_EQ(f.batchLists[1].capacity(), 100);
    yov::ReleaseDisplaySurfaces();
    yov::StopDisplay();
}

TEST_F(DisplayStartTest, SeveralMonitorsWithGdiPlaceTheWindowWithoutMaximizing) {
    yov::programState().machine.MonitorCount = 2;
    start(1, 0, 0);
    EXPECT_FALSE(log.maximized);
    yov::StopDisplay();
    yov::programState().machine.MonitorCount = 1;
}

TEST_F(DisplayStartTest, ReCreationKeepsFontCursorAndListsOfTheFirst) {
    start(1, 0, 0);
    yov::CreateDisplaySurfaces();
    yov::ReleaseDisplaySurfaces();
    yov::showState().RecreateRequest = 1;
    yov::CreateDisplaySurfaces();
    EXPECT_EQ(log.fonts, 1);
    EXPECT_EQ(log.hides, 1);
    EXPECT_EQ(yov::showState().RecreateRequest, 0) << "the scene was reset again";
    EXPECT_EQ(yov::displayState().ShowFontHeight, 11);
    yov::ReleaseDisplaySurfaces();
    yov::StopDisplay();
}

TEST_F(DisplayStartTest, BackgroundBrushLivesInTheWorkDcOnlyWhileItExists) {
    start(0, 0, 0);
    yov::DisplayState& d = yov::displayState();
    yov::CreateDisplaySurfaces();
    EXPECT_EQ(plat::GetCurrentBrush(d.SceneDC), d.BackBrush);
    yov::ReleaseDisplaySurfaces();
    const plat::HBRUSH brush = d.BackBrush;
    yov::StopDisplay();
    // The brush was free to delete: it is gone, not left selected in a dead DC.
    EXPECT_FALSE(plat::DeleteObject(brush));
}

TEST_F(DisplayStartTest, KeepingTheDesktopModeAsksForTheScreen) {
    yov::SaveRegNumber(u"DDA", 1);
    start(1, 1, 0);
    const yov::DisplayModeRequest& m = yov::displayState().ModeRequest;
    EXPECT_EQ(m.Width, 640);
    EXPECT_EQ(m.Height, 480);
    EXPECT_EQ(m.Refresh, 0);
    yov::StopDisplay();
}

TEST_F(DisplayStartTest, APriorityRaiseRefusedToAnOrdinaryUserIsNoErrorToLog) {
    const WithoutPriorityRaise ordinaryUser;
    constexpr int kShowThreadPriority = 12;  // what a show asks for its thread
    if (plat::SetCurrentThreadPriority(kShowThreadPriority)) {
        plat::SetCurrentThreadPriority(plat::kThreadPriorityNormal);
        GTEST_SKIP() << "this user may raise priorities: nothing is refused";
    }
    const uint8_t high = yov::programState().settings.HighPriority;
    yov::programState().settings.HighPriority = 1;
    start(1, 0, 0);
    yov::CreateDisplaySurfaces();
    yov::ReleaseDisplaySurfaces();
    yov::StopDisplay();
    yov::programState().settings.HighPriority = high;
    EXPECT_EQ(errorLog(), "");
}

TEST(DisplayLogLines, AreWordedExactly) {
    EXPECT_EQ(yov::InitDDrawErrorLine(-13004), u"InitDDraw error:&HFFFFCD34: 52532");
    EXPECT_EQ(yov::SetDisplayModeErrorLine(-13005), u"SetDisplayMode error: -13005 &HFFFFCD33: 52531");
    EXPECT_EQ(yov::DDLastErrorLine(static_cast<int32_t>(0x887600A0u)), u"  DDLastError=&H887600A0  (160)");
}

}  // namespace
