// Main's roads, driven in-process: each command-line form with the windows of the folders above
// replaced by recording doubles, the scene script and stock present or not, and another copy
// running or not. What each road opens, whether the program then ends by itself (through the
// deferred shutdown), and that the shutdown lets go of both locks.
#include <QWidget>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/texts/error_log.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/program_error.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup.h"
#include "program/core/startup/startup_parts.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "recording_engine.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

struct DispatchCase {
    const char* name;
    const char* commandLine;
    bool scriptAndStock;             // "Conf01" and "Stock01" name existing files
    bool another;                    // another copy holds "RolvaneScreensaver"
    std::vector<std::string> calls;  // what the doubles saw, "$S" standing for the script
    bool endsByItself;
    uint8_t screenSaverMode = 0;
    uintptr_t daemonWindow = 0;  // started under the X screen-saver convention with that window
};

const DispatchCase kCases[] = {
    {"PreviewTakesTheWindowNumber", "/p 1234", true, false, {"preview 1234"}, false},
    {"PreviewInCapitals", "/P 77", false, false, {"preview 77"}, false},
    {"PreviewTakesAnXWindowIdInHex", "/p 0x50d", false, false, {"preview 1293"}, false},
    {"ScreenSaver", "/s", true, false, {"show 1 $S"}, true, 1},
    {"EmptyLineIsTheScreenSaver", "", true, false, {"show 1 $S"}, true, 1},
    {"ScreenSaverWithoutFilesOpensTheSettings", "/s", false, false, {"settings standalone"}, false},
    {"FullScreen", "/f", true, false, {"show 1 $S"}, true},
    {"FullScreenWithoutFiles", "/f", false, false, {"settings standalone"}, false},
    {"WindowShowNeedsNothing", "/m", false, false, {"show 0 "}, true},
    {"Window", "/w", true, false, {"show 0 $S"}, true},
    {"WindowWithoutFiles", "/w", false, false, {"settings standalone"}, false},
    {"PasswordLoadsTheStockFirst", "/a", true, false, {"loadStock", "password"}, true},
    {"PasswordWithoutStock", "/a", false, false, {"password"}, true},
    {"SettingsForTheScreenSaver", "/c", false, false, {"settings"}, false},
    {"StockBrowserOnly", "/l", true, false, {"stock"}, false},
    {"StockBrowserWithoutStock", "/l", false, false, {"settings standalone"}, false},
    {"StockBrowserWithMoreOpensTheSettings", "/l more", true, false, {"settings standalone"}, false},
    {"SettingsThenStockBrowser", "/t", true, false, {"settings standalone", "stock"}, false},
    {"SettingsThenNoStockBrowserWithoutStock", "/t", false, false, {"settings standalone"}, false},
    {"BareScriptName", "Scene.ttt", false, false, {"settings standalone"}, false},
    {"AnUnknownSwitchOpensTheSettings", "/x", true, false, {"settings standalone"}, false},
    {"ScreenSaverWhileAnotherRuns", "/s", true, true, {}, true},
    {"FullScreenWhileAnotherRuns", "/f", true, true, {}, true},
    {"WindowShowWhileAnotherRuns", "/m", false, true, {}, true},
    {"WindowRoadsDoNotCareAboutOthers", "/c", true, true, {"settings"}, false},
    {"DaemonWindow", "/s", true, false, {"show 1 $S"}, true, 1, 0x2c00007},
    {"DaemonWindowWhileAnotherRuns", "/s", true, true, {"show 1 $S"}, true, 1, 0x2c00007},
    // Nothing pops up over the daemon's screen; the window, not found here, ends the program.
    {"DaemonWindowWithoutFilesRunsThePreview", "/s", false, false, {"preview 46137351"}, true, 0, 0x2c00007},
};

// A settings dialog double: a window in slot 33 that leaves it when it closes.
class SettingsDouble : public QWidget {
protected:
    void closeEvent(QCloseEvent*) override {
        yov::WindowSlot& s = yov::programState().WindowTable[yov::kSettingsSlot];
        if (s.window == this) s = {};
    }
};

// The layers above the core as start-up meets them: each road it takes is written down; a show
// ends at once, the settings dialog is a double (or fails to open, when told so).
class RecordedParts : public yov::ShowParts, public yov::WindowParts, public yov::StartupParts {
public:
    RecordedParts() : show_(*this), windows_(*this), startup_(*this) {}
    void showPreview(uintptr_t parent) override { calls.push_back("preview " + std::to_string(parent)); }
    void runShow(uint8_t mode, const std::u16string& script) override {
        calls.push_back("show " + std::to_string(mode) + " " + utf8(script));
        if (!yov::SettingsDialogOpen()) yov::PostDeferredAction(0);
    }
    void showSetPassword() override { calls.push_back("password"); }
    void loadStock() override { calls.push_back("loadStock"); }
    void setStockName(const std::u16string& name) override { stockName = name; }
    void showSettings() override {
        if (settingsFail) throw yov::ProgramError(5, u"settings broke");
        calls.push_back(yov::programState().road.StandaloneConfig ? "settings standalone" : "settings");
        auto* w = new SettingsDouble;
        yov::programState().WindowTable[yov::kSettingsSlot] = {w, -1};
        w->show();
    }
    void showStockBrowser() override { calls.push_back("stock"); }

    std::vector<std::string> calls;
    std::u16string stockName;
    bool settingsFail = false;

private:
    yov::ScopedInstall<yov::ShowParts> show_;
    yov::ScopedInstall<yov::WindowParts> windows_;
    yov::ScopedInstall<yov::StartupParts> startup_;
};

class StartupDispatch : public startup_test::StartupTest, public ::testing::WithParamInterface<DispatchCase> {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        engine_.passOn = {"InitDLL"};
    }
    int engineStarts() const {
        return static_cast<int>(std::count(engine_.calls().begin(), engine_.calls().end(), "InitDLL"));
    }
    engine_test::RecordingEngine engine_;

    RecordedParts parts_;
    std::vector<std::string>& calls_ = parts_.calls;
    std::u16string& stockName_ = parts_.stockName;
};

TEST_P(StartupDispatch, TakesItsRoad) {
    const DispatchCase& c = GetParam();
    std::string script;
    std::string stock;
    if (c.scriptAndStock) {
        script = makeFile("scenes/Demo.ttt");
        stock = makeFile("stock/Cars.stk", "$STOCK a stock file\n");
        yov::SaveRegString(u"Conf01", u16(script));
        yov::SaveRegString(u"Stock01", u16(stock));
    }
    plat::NamedMutex other;
    if (c.another) other = holdMutex("RolvaneScreensaver");
    yov::programState().road.SaverWindow = c.daemonWindow;

    const yov::MainResult result = yov::Main(u16(c.commandLine));
    EXPECT_TRUE(result.keepRunning);
    std::vector<std::string> expected;
    for (std::string call : c.calls) {
        if (const size_t at = call.find("$S"); at != std::string::npos) call.replace(at, 2, script);
        expected.push_back(call);
    }
    EXPECT_EQ(calls_, expected);
    EXPECT_EQ(yov::programState().road.ScreenSaverMode, c.screenSaverMode);
    const bool preview = plat::lcase(u16(c.commandLine)).rfind(u"/p", 0) == 0;
    EXPECT_EQ(engineStarts(), preview ? 0 : 1) << "the preview starts no engine";
    if (c.scriptAndStock && !preview) {
        EXPECT_TRUE(yov::programState().scene.ConfigOk);
        EXPECT_EQ(utf8(stockName_), stock);
    }

    if (c.endsByItself) {
        EXPECT_TRUE(runUntilEnded()) << "the road ends through the deferred shutdown";
    } else {
        runFor(200);
        EXPECT_TRUE(exitCodes_.empty()) << "the road leaves a window open";
        yov::PostDeferredAction(0);
        EXPECT_TRUE(runUntilEnded());
    }
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
    EXPECT_EQ(yov::serviceWindowIfLoaded(), nullptr);
    EXPECT_FALSE(yov::programState().WindowTable[yov::kSettingsSlot].inUse);
    EXPECT_TRUE(holdMutex("RolvaneScr0").Owned()) << "the shutdown let go of the slot";
    if (!c.another) {
        EXPECT_TRUE(holdMutex("RolvaneScreensaver").Owned());
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, StartupDispatch, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DispatchCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(StartupDispatch, TheDaemonsOptionsReplaceTheStoredFilesAndSpeed) {
    yov::SaveRegString(u"Conf01", u16(makeFile("scenes/Stored.ttt")));
    yov::SaveRegString(u"Stock01", u16(makeFile("stock/Stored.stk")));
    yov::SaveRegNumber(u"SpeedF", 25);
    const std::string script = makeFile("daemon/Night.ttt");
    const std::string stock = makeFile("daemon/Night.stk");
    yov::ProgramState& ms = yov::programState();
    ms.road.SaverRoot = true;
    ms.road.SaverScript = u16(script);
    ms.road.SaverStock = u16(stock);
    ms.road.SaverSpeed = 60;
    yov::Main(u"/s");
    EXPECT_EQ(calls_, std::vector<std::string>{"show 1 " + script});
    EXPECT_EQ(utf8(stockName_), stock);
    EXPECT_FLOAT_EQ(ms.settings.Show.Speed[yov::kFullScreenMode], 0.060f);
    EXPECT_NE(yov::GetRegString(u"Conf01").find(u"Stored.ttt"), std::u16string::npos) << "the stored files stay";
    EXPECT_EQ(yov::GetRegNumber(u"SpeedF", 0), 25) << "and so does the stored speed";
    EXPECT_TRUE(runUntilEnded());
}

TEST_F(StartupDispatch, UnderTheDaemonALaterSlotWithoutFilesShowsThoseOfTheFirst) {
    const std::string script = makeFile("scenes/First.ttt");
    yov::SaveRegString(u"Conf01", u16(script));
    yov::SaveRegString(u"Stock01", u16(makeFile("stock/First.stk")));
    const plat::NamedMutex first = holdMutex("RolvaneScr0");
    yov::programState().road.SaverRoot = true;
    yov::Main(u"/s");
    EXPECT_EQ(yov::programState().road.InstanceLetter, u"B");
    EXPECT_EQ(calls_, std::vector<std::string>{"show 1 " + script});
    EXPECT_TRUE(runUntilEnded());
}

TEST_F(StartupDispatch, ABareNameBecomesTheSceneScript) {
    yov::Main(u"\"My Scene.ttt\"");
    EXPECT_EQ(yov::programState().scene.ConfigFile, u"My Scene.ttt") << "as written, the quotes dropped";
    EXPECT_EQ(yov::programState().road.StandaloneConfig, 1);
    yov::PostDeferredAction(0);
    EXPECT_TRUE(runUntilEnded());
}

TEST_F(StartupDispatch, AFailedStartWhoseReportCannotBeShownStillShutsDown) {
    parts_.settingsFail = true;
    const program_test::AnsweringMsgBox failingBoxes(
        [](const program_test::MsgBoxRequest&) -> int32_t { throw std::runtime_error("no message box"); });
    yov::MainResult result;
    EXPECT_NO_THROW(result = yov::Main(u"/c"));
    EXPECT_TRUE(result.keepRunning);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(runUntilEnded()) << "the shutdown still runs";
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{1});
    EXPECT_NE(readFile(utf8(yov::errorLogFile())).find("Error 5 (settings broke) after "), std::string::npos)
        << "the report went to the error log";
}

}  // namespace
