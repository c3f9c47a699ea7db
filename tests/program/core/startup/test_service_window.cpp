// The service window: deferred actions on its first timer, countdowns on its second, the
// unloading of windows, the closing of picture libraries, and the shutdown in its order.
#include <QCloseEvent>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/core/windows/form_members.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "recording_engine.h"
#include "startup_fixture.h"
#include "upper_calls_recorder.h"

namespace {

using core_test::utf8;

std::vector<std::string>* g_trace = nullptr;

// A window double that notes its closing and leaves its slot, or refuses to close.
class WindowDouble : public QWidget {
public:
    WindowDouble(std::string name, int slot, bool refuses = false)
        : name_(std::move(name)), slot_(slot), refuses_(refuses) {
        if (slot_ >= 0) yov::programState().WindowTable[static_cast<size_t>(slot_)] = {this, -1};
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        if (refuses_) {
            e->ignore();
            return;
        }
        if (g_trace) g_trace->push_back("close " + name_);
        if (slot_ >= 0 && yov::programState().WindowTable[static_cast<size_t>(slot_)].window == this)
            yov::programState().WindowTable[static_cast<size_t>(slot_)] = {};
    }

private:
    std::string name_;
    int slot_;
    bool refuses_;
};

class ServiceWindow : public startup_test::StartupTest {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        g_trace = &trace_;
        settingsParts_.emplace(*this);
    }
    void TearDown() override {
        startup_test::resetStartupState();
        settingsParts_.reset();
        g_trace = nullptr;
        StartupTest::TearDown();
    }
    // Windows made here are deleted by the unloading, or else by QObject ownership at the end.
    QWidget* own(QWidget* w) {
        w->setParent(&owner_, Qt::Window);
        return w;
    }
    yov::HFrm& service() { return yov::LoadServiceWindow(); }

    // The settings dialog the deferred restart opens: a window double in its slot.
    class SettingsParts : public yov::WindowParts {
    public:
        explicit SettingsParts(ServiceWindow& test) : test_(test), use_(*this) {}
        void showSettings() override {
            test_.trace_.push_back("settings");
            test_.own(new WindowDouble("settings", yov::kSettingsSlot))->show();
        }

    private:
        ServiceWindow& test_;
        yov::ScopedInstall<yov::WindowParts> use_;
    };

    std::vector<std::string> trace_;
    engine_test::RecordingEngine engine_{trace_};
    QWidget owner_;
    std::optional<SettingsParts> settingsParts_;
};

TEST_F(ServiceWindow, ActionFourClosesTheSettingsAndTheEngineThenActionOneRestartsBoth) {
    own(new WindowDouble("settings", yov::kSettingsSlot));
    yov::serviceState().EngineStarted = true;
    yov::programState().settings.ColTrans = 2;
    yov::PostDeferredAction(4);
    EXPECT_TRUE(service().Timer1.isActive());

    service().Timer1_Timer();
    EXPECT_EQ(trace_, (std::vector<std::string>{"close settings", "CloseDLL"}));
    EXPECT_EQ(yov::serviceState().DeferredAction, 1);
    EXPECT_TRUE(service().Timer1.isActive()) << "the next tick does action 1";

    trace_.clear();
    service().Timer1_Timer();
    EXPECT_EQ(trace_, (std::vector<std::string>{"InitDLL", "SetXColMethod 2 64,64,64", "settings"}));
    EXPECT_EQ(yov::serviceState().DeferredAction, 0);
    EXPECT_FALSE(service().Timer1.isActive());
    EXPECT_TRUE(yov::SettingsDialogOpen());
    EXPECT_TRUE(exitCodes_.empty());
}

TEST_F(ServiceWindow, ClosingTheLastStockWindowEndsTheProgram) {
    own(new WindowDouble("stock", 1));
    int16_t ignored = 0;
    yov::UnloadWindow(ignored, 1);
    EXPECT_EQ(trace_, std::vector<std::string>{"close stock"});
    EXPECT_TRUE(service().Timer1.isActive());
    service().Timer1_Timer();
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
}

TEST_F(ServiceWindow, ClosingAStockWindowWhileTheSettingsAreOpenKeepsTheProgram) {
    own(new WindowDouble("settings", yov::kSettingsSlot));
    own(new WindowDouble("stock", 2));
    int16_t ignored = 0;
    yov::UnloadWindow(ignored, 2);
    EXPECT_FALSE(service().Timer1.isActive());
    EXPECT_TRUE(yov::SettingsDialogOpen());
}

TEST_F(ServiceWindow, ClosingOneOfTwoStockWindowsKeepsTheProgram) {
    own(new WindowDouble("stock 1", 1));
    own(new WindowDouble("stock 2", 2));
    int16_t ignored = 0;
    yov::UnloadWindow(ignored, 1);
    EXPECT_FALSE(service().Timer1.isActive());
}

TEST_F(ServiceWindow, UnloadingAllDuringAShowOnlyAsksTheShowToStop) {
    own(new WindowDouble("stock", 1));
    yov::programState().run.RunFlags = 0x01;
    yov::UnloadAllWindows(0);
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    EXPECT_TRUE(trace_.empty());
    yov::UnloadAllWindows(2);
    EXPECT_EQ(trace_, std::vector<std::string>{"close stock"}) << "mode 2 does not wait for the show";
}

TEST_F(ServiceWindow, UnloadingAllStopsAtAWindowThatRefuses) {
    own(new WindowDouble("settings", yov::kSettingsSlot));
    own(new WindowDouble("stock 1", 1));
    own(new WindowDouble("stock 2", 2, /*refuses=*/true));
    own(new WindowDouble("stock 3", 3));
    yov::UnloadAllWindows(0);
    EXPECT_EQ(trace_, std::vector<std::string>{"close stock 1"});
    EXPECT_TRUE(yov::SettingsDialogOpen());
}

TEST_F(ServiceWindow, UnloadingAllWithModeOneKeepsTheSettings) {
    own(new WindowDouble("settings", yov::kSettingsSlot));
    own(new WindowDouble("stock", 4));
    yov::UnloadAllWindows(1);
    EXPECT_EQ(trace_, std::vector<std::string>{"close stock"});
    yov::UnloadAllWindows(0);
    EXPECT_EQ(trace_, (std::vector<std::string>{"close stock", "close settings"}));
}

TEST_F(ServiceWindow, ARefreshCountdownOfThreeRedrawsOnceOnTheThirdTick) {
    QWidget* stock = own(new WindowDouble("stock", 2));
    int redraws = 0;
    yov::SetFormMembers(stock, {{}, [&redraws] { ++redraws; }});
    yov::ServiceState& s = yov::serviceState();
    s.HighestStockSlot = 2;
    s.RefreshCountdown[2] = 3;
    s.CommandRunning = 1;
    for (int i = 0; i < 5; ++i) service().Timer2_Timer();
    EXPECT_EQ(redraws, 0) << "not while a stock-window command runs";
    s.CommandRunning = 0;
    service().Timer2_Timer();
    service().Timer2_Timer();
    EXPECT_EQ(redraws, 0);
    service().Timer2_Timer();
    EXPECT_EQ(redraws, 1);
    for (int i = 0; i < 5; ++i) service().Timer2_Timer();
    EXPECT_EQ(redraws, 1);
}

TEST_F(ServiceWindow, TheTipCountdownHidesTheTipOnce) {
    program_test::UpperCallsRecorder above;
    yov::serviceState().TipCountdown = 2;
    for (int i = 0; i < 4; ++i) service().Timer2_Timer();
    EXPECT_EQ(above.tipsHidden, 1);
}

TEST_F(ServiceWindow, ClosingItFromTheWindowSystemIsRefused) {
    EXPECT_FALSE(service().close());
    EXPECT_NE(yov::serviceWindowIfLoaded(), nullptr);
}

TEST_F(ServiceWindow, NoDeferredActionRunsWhileAShowRuns) {
    yov::programState().run.RunFlags = 0x01;
    yov::PostDeferredAction(0);
    service().Timer1_Timer();
    EXPECT_TRUE(exitCodes_.empty());
    yov::programState().run.RunFlags = 0;
    service().Timer1_Timer();
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
}

TEST_F(ServiceWindow, ATerminationRequestStopsTheShowAndThenShutsDown) {
    yov::programState().run.RunFlags = 0x01;
    yov::OnTerminateRequest();
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    service().Timer1_Timer();
    EXPECT_TRUE(exitCodes_.empty());
    yov::programState().run.RunFlags = 0;
    service().Timer1_Timer();
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
}

TEST_F(ServiceWindow, TheShutdownClosesEverythingInItsOrder) {
    yov::ProgramState& st = yov::programState();
    st.Shared.StockFileCount = 3;
    st.Arrays.StockFiles.redim(3);
    st.Arrays.StockFiles[1].Kind = 6;
    st.Arrays.StockFiles[1].LibHandle = 11;
    st.Arrays.StockFiles[2].Kind = 5;
    st.Arrays.StockFiles[2].LibHandle = 12;
    st.Arrays.StockFiles[3].Kind = 6;
    yov::serviceState().EngineStarted = true;
    yov::ProgramState& ms = yov::programState();
    ms.instance.InstanceMutex = holdMutex("RolvaneScreensaver");
    ms.instance.SlotMutex = holdMutex("RolvaneScr0");
    service();
    own(new WindowDouble("first", -1))->show();
    own(new WindowDouble("settings", yov::kSettingsSlot))->show();
    own(new WindowDouble("never shown", 5));
    own(new WindowDouble("last", 42))->show();

    yov::PostDeferredAction(0);
    service().Timer1_Timer();
    EXPECT_EQ(trace_, (std::vector<std::string>{"CloseCache", "CloseLib32 11", "CloseDLL", "close last",
                                                "close settings", "close first", "close never shown"}));
    EXPECT_EQ(st.Arrays.StockFiles[1].LibHandle, 0);
    EXPECT_EQ(st.Arrays.StockFiles[2].LibHandle, 12) << "only 32-bit picture libraries are closed";
    EXPECT_EQ(yov::serviceWindowIfLoaded(), nullptr);
    EXPECT_TRUE(holdMutex("RolvaneScreensaver").Owned());
    EXPECT_TRUE(holdMutex("RolvaneScr0").Owned());
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
}

TEST_F(ServiceWindow, AShutdownBeforeTheEngineStartedLeavesItAlone) {
    yov::PostDeferredAction(7);
    service().Timer1_Timer();
    EXPECT_TRUE(trace_.empty());
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0}) << "any other code shuts down";
}

TEST_F(ServiceWindow, ResettingTheLibraryTablesClearsTheLoadState) {
    yov::ProgramState& st = yov::programState();
    st.Shared.StockCount = 2;
    st.Arrays.Stock.redim(2);
    for (int i = 1; i <= 2; ++i) {
        StockEntry& e = st.Arrays.Stock[i];
        e.PictureRef = 100 + i;
        e.PicField16 = e.Width = e.PicField20 = e.Height = 7;
    }
    st.Shared.StockFileCount = 1;
    st.Arrays.StockFiles.redim(1);
    st.Arrays.StockFiles[1].LibHandle = 3;
    st.Arrays.StockFiles[1].LoadState = 4;
    yov::ResetLibraryTables();
    for (int i = 1; i <= 2; ++i) {
        const StockEntry& e = st.Arrays.Stock[i];
        EXPECT_EQ(e.PictureRef, 0);
        EXPECT_EQ(e.PicField16 | e.Width | e.PicField20 | e.Height, 0);
    }
    EXPECT_EQ(st.Arrays.StockFiles[1].LibHandle, 0);
    EXPECT_EQ(st.Arrays.StockFiles[1].LoadState, 0);
    EXPECT_EQ(trace_, std::vector<std::string>{"CloseCache"});
}

TEST_F(ServiceWindow, VersionLine) {
    core_test::defaultTexts()[u"VERX"] = u"Version";
    EXPECT_EQ(utf8(yov::GetVersionText()), "Version: 4.3.10X (Dll: 4.3.8F)");
    struct Show : yov::ShowParts {
        std::u16string scriptVersionText() override { return u"Winter 2"; }
    } show;
    yov::ScopedInstall<yov::ShowParts> use(show);
    EXPECT_EQ(utf8(yov::GetVersionText()), "Version: Winter 2  (Scr: 4.3.10X, Dll: 4.3.8F)");
}

TEST_F(ServiceWindow, FreeSurfaceDeletesTheSurface) {
    EXPECT_EQ(yov::FreeSurface(17, 12345), 0);
    EXPECT_EQ(trace_, std::vector<std::string>{"DeleteSurface 17"});
}

}  // namespace
