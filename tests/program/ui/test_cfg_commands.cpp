// The settings dialog at work on the demo scene, under the offscreen platform, with the whole
// program wired as it starts: every control and menu switch stores its setting, the display
// mode follows its chain of combos, the test button runs the demo and comes back to the
// dialog, an option of the demo script switched in the menu changes what the next show
// reads, and choosing files keeps the lists, the tests and the stock in step.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/descriptions.h"
#include "program/core/windows/file_dialog.h"
#include "program/dialogs/cfg_state.h"
#include "program/scene/script_reader.h"
#include "program/stock_data/stock_state.h"
#include "program/show_data/show_state.h"
#include "program/show/show_wiring.h"
#include "program/ui/about_window.h"
#include "program/ui/preview_window.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/stock_frm.h"
#include "program/ui/text_window.h"
#include "program/ui/window_ops_qt.h"
#include "program/ui/program_wiring.h"
#include "cfg_dialog_fixture.h"
#include "desktop_fakes.h"

namespace {

using core_test::u16;
using core_test::utf8;

class CfgCommands : public cfg_test::CfgDialogTest {
protected:
    void SetUp() override {
        CfgDialogTest::SetUp();
        // The engine's own texts, menus and window registration; each Main starts the engine
        // afresh, without the buffer classes an earlier test's engine had.
        coreEngine_.useLibrary();
        yov::ForgetBufferClasses();
        // The program's parts, handed over as the program does before Main.
        yov::WireProgram();
        // The demo in a folder of the test's own: a cache or a backup never lands in the sources.
        const std::filesystem::path demo = folder() + "/demo";
        std::filesystem::create_directories(demo);
        for (const auto& f : std::filesystem::directory_iterator(YOV_DEMO_DATA))
            std::filesystem::copy_file(f.path(), demo / f.path().filename());
        script_ = (demo / "demo.ttt").string();
        stock_ = (demo / "demo.stk").string();
    }
    void TearDown() override {
        yov::programState().run.StopRequest = 1;
        CfgDialogTest::TearDown();
    }

    std::string stored(const char16_t* name, const char16_t* subkey = u"") {
        return utf8(yov::GetRegString(name, u"absent", subkey));
    }
    // A menu command as the menu bar sends it, through the engine's window procedure.
    void menuCommand(yov::CfgFrm* cfg, int32_t id) {
        yov::windowOps().forwardCommand(cfg, id);
        runFor(10);
    }
    // Runs the test show in a window; `during` is called while the show runs, then it stops.
    void testShow(yov::CfgFrm* cfg, const std::function<void()>& during = {}) {
        QTimer watch;
        watch.setInterval(20);
        int ticks = 0;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            yov::ProgramState& st = yov::programState();
            if ((st.run.RunFlags & yov::run_flag::kShowRunning) == 0) return;
            if (++ticks == 10 && during) during();
            if (ticks >= 25) st.run.StopRequest = 1;
        });
        watch.start();
        cfg->CmdTestWindow->click();
        watch.stop();
        showTicks = ticks;
    }
    static QAction* actionWithData(const QList<QAction*>& actions, int32_t id) {
        for (QAction* a : actions) {
            if (!a->isSeparator() && a->data().toInt() == id) return a;
        }
        return nullptr;
    }
    void typeInto(QLineEdit* box, const char* text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    int showTicks = 0;
};

TEST_F(CfgCommands, EveryControlStoresItsSetting) {
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    ASSERT_TRUE(boxes_.empty()) << utf8(boxes_.front().text);
    struct Case {
        int tab;  // 0 main, 1 full screen, 2 window
        const char* what;
        std::function<void(yov::CfgFrm*)> change;
        const char16_t* name;
        const char* value;
    };
    const std::vector<Case> cases = {
        {2, "Mouse Click", [](yov::CfgFrm* c) { c->ChkStopClick->click(); }, u"NStpClkW", "0"},
        {2, "Mouse Move", [](yov::CfgFrm* c) { c->ChkStopMove->click(); }, u"NStpMovW", "0"},
        {2, "Keyboard Key", [](yov::CfgFrm* c) { c->ChkStopKey->click(); }, u"NStpKeyW", "1"},
        {2, "Skip Errors", [](yov::CfgFrm* c) { c->ChkSkipErr->click(); }, u"SkipErrW", "0"},
        {2, "Active tracks", [](yov::CfgFrm* c) { c->ChkLin->click(); }, u"LimLinBW", "1"},
        {2, "Total length", [](yov::CfgFrm* c) { c->ChkLen->click(); }, u"LimLenBW", "1"},
        {2, "Processor load", [](yov::CfgFrm* c) { c->ChkAvg->click(); }, u"LimProcBW", "1"},
        {2, "speed", [this](yov::CfgFrm* c) { typeInto(c->TxtSpeed, "55"); }, u"SpeedW", "55"},
        {2, "tracks", [this](yov::CfgFrm* c) { typeInto(c->TxtLin, "4"); }, u"LimLinVW", "4"},
        {2, "length", [this](yov::CfgFrm* c) { typeInto(c->TxtLen, "1500"); }, u"LimLenVW", "1500"},
        {2, "load", [this](yov::CfgFrm* c) { typeInto(c->TxtAvg, "25"); }, u"LimProcVW", "25"},
        {2, "sequence", [](yov::CfgFrm* c) { c->OptSeq[3]->click(); }, u"RandomW", "3"},
        {2, "GDI, Vehicles", [](yov::CfgFrm* c) { c->OptAlg[0]->click(); }, u"DrawAlgW", "0"},
        {1, "Mouse Click, full screen", [](yov::CfgFrm* c) { c->ChkStopClick->click(); }, u"NStpClkF", "0"},
        {1, "speed, full screen", [this](yov::CfgFrm* c) { typeInto(c->TxtSpeed, "250"); }, u"SpeedF", "100"},
        {1, "dual frame", [](yov::CfgFrm* c) { c->OptAlg[3]->click(); }, u"DrawAlgF", "3"},
        {1, "Use actual settings", [](yov::CfgFrm* c) { c->ChkAct->click(); }, u"DDA", "0"},
        {0, "cache", [](yov::CfgFrm* c) { c->OptCache[1]->click(); }, u"Cache", "1"},
        {0, "default direction", [this](yov::CfgFrm* c) { menuCommand(c, 4217); }, u"UseDefDir", "0"},
        {0, "colour translation", [this](yov::CfgFrm* c) { menuCommand(c, 4285); }, u"ColTrans", "2"},
        {0, "high priority", [this](yov::CfgFrm* c) { menuCommand(c, 4298); }, u"Priority", "0"},
        {0, "music", [this](yov::CfgFrm* c) { menuCommand(c, 4483); }, u"Music", "1"},
        {0, "cache from the menu", [this](yov::CfgFrm* c) { menuCommand(c, 4104); }, u"Cache", "0"},
    };
    for (const Case& c : cases) {
        const int page = c.tab == 0 ? 0 : c.tab;
        if (cfg->Tab1->currentIndex() != page) selectTab(cfg, page);
        c.change(cfg);
        runFor(5);
        EXPECT_EQ(stored(c.name), c.value) << c.what;
    }
    EXPECT_TRUE(cfg->OptCache[0]->isChecked()) << "the menu's cache choice shows in the options";
    EXPECT_FLOAT_EQ(yov::programState().settings.Show.Speed[yov::kWindowMode], 0.055f) << "the next show reads memory";
    EXPECT_EQ(yov::programState().settings.ColTrans, 2);
    EXPECT_TRUE(boxes_.empty()) << utf8(boxes_.front().text);

    // Each keystroke stores what the box then holds, unless it is no number or outside what
    // the setting takes: of "3", "30", "301" the last is refused.
    selectTab(cfg, 2);
    typeInto(cfg->TxtAvg, "301");
    typeInto(cfg->TxtSpeed, "fast");
    EXPECT_EQ(stored(u"LimProcVW"), "30");
    EXPECT_EQ(stored(u"SpeedW"), "55");
}

TEST_F(CfgCommands, TheDisplayModeFollowsItsChainOfCombos) {
    writeSettings(
        "\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n\"DDX\"=\"1024\"\n\"DDY\"=\"768\"\n"
        "\"DDB\"=\"32\"\n\"DDF\"=\"75\"\n\"DrawAlgF\"=\"4\"\n\"DDA\"=\"0\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    // A display of our own: an odd depth, a depth with rate 0 only, two rates at one depth.
    struct Mode {
        int32_t w, h, d, r;
    };
    const Mode modes[] = {{800, 600, 16, 60},  {800, 600, 16, 75},  {800, 600, 32, 0},
                          {1024, 768, 15, 70}, {1024, 768, 32, 60}, {1024, 768, 24, 85}};
    yov::ProgramState& ms = yov::programState();
    ms.modes.ModeCount = 0;
    for (const Mode& m : modes) {
        const auto k = static_cast<size_t>(++ms.modes.ModeCount);
        ms.modes.ModeWidth[k] = m.w, ms.modes.ModeHeight[k] = m.h, ms.modes.ModeDepth[k] = m.d,
        ms.modes.ModeRefresh[k] = m.r;
    }
    yov::cfgState().Resolutions =
        yov::BuildResolutionList(ms.modes.ModeCount, ms.modes.ModeWidth.data(), ms.modes.ModeHeight.data());
    selectTab(cfg, 1);

    ASSERT_TRUE(cfg->FramDX->isVisible());
    EXPECT_TRUE(cfg->OptAlg[4]->isChecked());
    EXPECT_TRUE(cfg->ChkAct->isEnabled());
    ASSERT_EQ(cfg->ModeCombo[0]->count(), 2);
    EXPECT_EQ(cfg->ModeCombo[0]->currentText().toStdString(), "1024 \u00D7 768") << "the stored resolution";
    ASSERT_EQ(cfg->ModeCombo[1]->count(), 2) << "15 bits has no item";
    EXPECT_EQ(cfg->depthList(), (std::vector<int32_t>{32, 24}));
    EXPECT_EQ(cfg->ModeCombo[1]->itemText(0), cfg->ModeCombo[1]->itemText(1)) << "24 and 32 bits read alike";
    EXPECT_EQ(cfg->ModeCombo[1]->currentIndex(), 0);
    EXPECT_EQ(cfg->ModeCombo[2]->currentText().toStdString(), "60 Hz") << "75 is not offered: the first rate";
    EXPECT_EQ(stored(u"DDF"), "60") << "the chain stores as it fills";
    keepPicture(cfg, "cfg_display_modes.png");

    auto choose = [this](QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        runFor(5);
    };
    choose(cfg->ModeCombo[1], 1);
    EXPECT_EQ(stored(u"DDB"), "24") << "each item selects its own depth";
    EXPECT_EQ(stored(u"DDF"), "85");
    choose(cfg->ModeCombo[0], 0);
    EXPECT_EQ(stored(u"DDX"), "800");
    EXPECT_EQ(stored(u"DDY"), "600");
    EXPECT_EQ(cfg->depthList(), (std::vector<int32_t>{16, 32}));
    EXPECT_EQ(stored(u"DDB"), "16") << "24 bits is not there: the first depth";
    EXPECT_EQ(cfg->rateList(), (std::vector<int32_t>{60, 75}));
    choose(cfg->ModeCombo[2], 1);
    EXPECT_EQ(stored(u"DDF"), "75");
    choose(cfg->ModeCombo[1], 1);
    EXPECT_EQ(stored(u"DDB"), "32");
    EXPECT_FALSE(cfg->ModeCombo[2]->isEnabled()) << "only rate 0 at 32 bits";
    EXPECT_EQ(cfg->ModeCombo[2]->count(), 0);
    EXPECT_EQ(stored(u"DDF"), "75") << "the rate keeps its value";

    cfg->ChkAct->click();
    EXPECT_EQ(stored(u"DDA"), "1");
    EXPECT_FALSE(cfg->ModeCombo[0]->isEnabled());
    cfg->OptAlg[0]->click();
    EXPECT_EQ(stored(u"DrawAlgF"), "0");
    EXPECT_FALSE(cfg->ChkAct->isChecked()) << "GDI takes the desktop's mode away";
    EXPECT_FALSE(cfg->ChkAct->isEnabled());
    EXPECT_EQ(stored(u"DDA"), "0") << "unchecking it ran its handler";

    selectTab(cfg, 2);
    EXPECT_FALSE(cfg->FramDX->isVisible());
    for (size_t i = 2; i < 5; ++i) EXPECT_FALSE(cfg->OptAlg[i]->isEnabled()) << "the window has no DirectX methods";
}

TEST_F(CfgCommands, TheTestButtonRunsTheDemoAndComesBackToTheDialog) {
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    ASSERT_TRUE(cfg->CmdTestWindow->isEnabled());
    bool testsOff = false;
    bool fileChoiceOff = false;
    int32_t members = 0;
    int32_t stock = 0;
    testShow(cfg, [&] {
        testsOff = !cfg->CmdTestWindow->isEnabled() && !cfg->CmdTestFull->isEnabled();
        fileChoiceOff = !cfg->CmbFil[0]->isEnabled() && !cfg->CmbFil[1]->isEnabled();
        members = yov::scriptReader().S.MemberCount;
        stock = yov::programState().Shared.StockCount;
        // A second show cannot start inside the first.
        cfg->FCmd(116);
    });
    ASSERT_GT(showTicks, 10) << "the show ran";
    EXPECT_TRUE(testsOff) << "the dialog's tests are off during its show";
    EXPECT_TRUE(fileChoiceOff);
    EXPECT_EQ(members, 13) << "the demo scene was read";
    EXPECT_GT(stock, 0) << "with the demo stock";

    EXPECT_EQ(dialog(), cfg) << "the dialog stays";
    EXPECT_TRUE(cfg->isVisible());
    EXPECT_EQ(yov::programState().run.RunFlags, 0);
    EXPECT_TRUE(cfg->CmdTestWindow->isEnabled()) << "and takes the next test";
    runFor(200);
    EXPECT_TRUE(exitCodes_.empty()) << "the program goes on after the show";
    for (const auto& b : boxes_) ADD_FAILURE() << utf8(b.text);
}

TEST_F(CfgCommands, AnOptionSwitchedInTheMenuChangesTheNextShow) {
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    QMenuBar* bar = yov::windowOps().menuBarOf(cfg);
    ASSERT_NE(bar, nullptr);
    QAction* options = actionWithData(bar->actions(), 6912);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isEnabled()) << "the demo declares an option";
    ASSERT_NE(options->menu(), nullptr);
    QAction* moreFreight = actionWithData(options->menu()->actions(), 0x8000);
    ASSERT_NE(moreFreight, nullptr);
    EXPECT_EQ(moreFreight->text().toStdString(), "Long freight trains on the near track");
    EXPECT_TRUE(moreFreight->isChecked()) << "on by the script's default";

    // As the menu sends it: the submenu opened, then its item chosen.
    yov::windowOps().forwardSelect(cfg, options);
    menuCommand(cfg, 0x8000);
    EXPECT_EQ(stored(u"MOREFREIGHT", u"\\Option"), "0");
    EXPECT_FALSE(moreFreight->isChecked());

    std::vector<std::string> read;
    auto members = [&read] {
        const yov::SceneScript& s = yov::scriptReader().S;
        read.clear();
        for (int32_t i = 1; i <= s.MemberCount; ++i) read.push_back(utf8(s.Members[static_cast<size_t>(i)].Text));
    };
    testShow(cfg, members);
    ASSERT_EQ(read.size(), 12u) << "one line fewer";
    for (const std::string& line : read) EXPECT_EQ(line.find("Long freight"), std::string::npos) << line;

    // The menu made again after the show still switches the option and shows it.
    options = actionWithData(bar->actions(), 6912);
    ASSERT_NE(options, nullptr);
    moreFreight = actionWithData(options->menu()->actions(), 0x8000);
    ASSERT_NE(moreFreight, nullptr);
    EXPECT_FALSE(moreFreight->isChecked());
    yov::windowOps().forwardSelect(cfg, options);
    menuCommand(cfg, 0x8000);
    EXPECT_EQ(stored(u"MOREFREIGHT", u"\\Option"), "1");
    EXPECT_TRUE(moreFreight->isChecked());
    testShow(cfg, members);
    EXPECT_EQ(read.size(), 13u);
}

TEST_F(CfgCommands, ChoosingFilesKeepsTheListsTheTestsAndTheStockInStep) {
    const std::string gone = makeFile("scenes/Gone.ttt");
    const std::string other = makeFile("stock/Cars.stk", "CAR;;G;;car.gif\n");
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Conf02\"=\"" + gone + "\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    ASSERT_EQ(cfg->CmbFil[0]->count(), 2);

    // A listed script that went away: chosen, it leaves the list and the tests go off.
    std::filesystem::remove(gone);
    cfg->CmbFil[0]->setCurrentIndex(1);
    emit cfg->CmbFil[0]->activated(1);
    runFor(10);
    EXPECT_EQ(cfg->CmbFil[0]->count(), 1);
    EXPECT_FALSE(yov::programState().scene.ConfigOk);
    EXPECT_FALSE(cfg->CmdTestWindow->isEnabled());

    // Browsing back to the demo.
    {
        desktop_test::AnsweringFileDialogs dialogs(
            [this](const yov::FileDialogRequest&) { return QStringList{QString::fromStdString(script_)}; });
        cfg->CmdBrw[0]->click();
    }
    runFor(10);
    EXPECT_TRUE(yov::programState().scene.ConfigOk);
    EXPECT_TRUE(cfg->CmdTestWindow->isEnabled());
    EXPECT_EQ(stored(u"Conf01"), script_);

    // Two files are refused; another stock dropped on its box makes the dialog again on it.
    QMimeData two;
    two.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(other)), QUrl::fromLocalFile(QString::fromStdString(gone))});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cfg->CmbFil[1]->lineEdit(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    const QPointer<yov::CfgFrm> first(cfg);
    QWidget* box = cfg->CmbFil[1]->lineEdit();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "one file";
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    EXPECT_TRUE(drop.isAccepted());
    runFor(400);
    yov::CfgFrm* again = dialog();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(first.isNull()) << "the first dialog is gone: this is a new one";
    EXPECT_EQ(utf8(yov::stockState().StockName), other);
    EXPECT_EQ(stored(u"Stock01"), other);
    EXPECT_EQ(again->CmbFil[1]->count(), 2);
    EXPECT_TRUE(exitCodes_.empty());
}

TEST_F(CfgCommands, ReadingTheScriptsOptionsKeepsTheChosenStock) {
    // The demo script names its own stock; the dialog's stock is another one.
    const std::string other = makeFile("stock/Cars.stk", "CAR;;G;;car.gif\n");
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"" + other + "\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    runFor(300);
    EXPECT_EQ(dialog(), cfg) << "not made again on the script's stock";
    EXPECT_EQ(yov::serviceState().DeferredAction, yov::deferred::kShutdown) << "no re-creation pending";
    EXPECT_EQ(utf8(yov::stockState().StockName), other);
    EXPECT_TRUE(cfg->CmdTestWindow->isEnabled());
}

TEST_F(CfgCommands, KeysSwitchPagesAndBringUpTheStockWindow) {
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    QTest::keyClick(cfg, Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(yov::cfgState().CurrentTab, 3);
    EXPECT_TRUE(cfg->WFrm->isVisible());
    EXPECT_EQ(yov::cfgState().ModeSuffix, u"W");
    QTest::keyClick(cfg, Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(cfg->FFrm->isVisible());

    // Ctrl+L: none open, a new one; minimised, it comes back; never a second one.
    QTest::keyClick(cfg, Qt::Key_L, Qt::ControlModifier);
    runFor(50);
    const yov::WindowSlot& slot1 = yov::programState().WindowTable[1];
    ASSERT_NE(slot1.window, nullptr) << "a stock window in slot 1";
    QWidget* stock = slot1.window;
    stock->showMinimized();
    runFor(20);
    EXPECT_FALSE(cfg->FCmd(599)) << "Ctrl+W restores it and leaves the key to others";
    runFor(20);
    EXPECT_FALSE(stock->isMinimized());
    EXPECT_EQ(yov::programState().WindowTable[2].window, nullptr);
}

// Names keep their case and "/" on the whole road: "/addcnf" and "/addstk" store a mixed-case
// name byte for byte as written, the dialog shows it so, the test show reads that file, and the
// stock window and a description name the stock's files as written. A settings file of an
// earlier version, holding the names upper-cased, still finds both files.
TEST_F(CfgCommands, NamesKeepTheirCaseFromTheCommandLineToTheShow) {
    const std::filesystem::path mixed = folder() + "/Rail Scenes/Winter Demo";
    std::filesystem::create_directories(mixed);
    for (const auto& f : std::filesystem::directory_iterator(folder() + "/demo"))
        std::filesystem::copy_file(f.path(), mixed / f.path().filename());
    std::filesystem::rename(mixed / "demo.ttt", mixed / "Winter Night.ttt");
    const std::string script = (mixed / "Winter Night.ttt").string();
    const std::string stock = (mixed / "demo.stk").string();
    writeSettings("");
    EXPECT_FALSE(yov::Main(u16("/ADDCNF \"" + script + "\"")).keepRunning);
    EXPECT_FALSE(yov::Main(u16("/addstk \"" + stock + "\"")).keepRunning);
    const std::string settings = readFile(folder() + "/config/registry.reg");
    EXPECT_NE(settings.find("\"Conf01\"=\"" + script + "\"\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"Stock01\"=\"" + stock + "\"\n"), std::string::npos) << settings;

    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    EXPECT_EQ(cfg->CmbFil[0]->currentText().toStdString(), script);
    EXPECT_EQ(cfg->CmbFil[1]->currentText().toStdString(), stock);
    std::u16string read;
    testShow(cfg, [&] { read = yov::scriptReader().S.FileNames.at(1); });
    ASSERT_GT(showTicks, 10) << "the show ran";
    EXPECT_EQ(utf8(read), script) << "from the file as written";
    QTest::keyClick(cfg, Qt::Key_L, Qt::ControlModifier);
    runFor(50);
    QWidget* window = yov::programState().WindowTable[1].window;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), stock);
    const std::u16string described = yov::GetDescriptionText(yov::FindStockEntry(u"COACH_A"), 42, u"\r\n");
    EXPECT_NE(described.find(u"Picture source: " + u16(mixed.string()) + u"/coach_a.gif\r\n"), std::u16string::npos)
        << utf8(described);
    EXPECT_EQ(stored(u"Conf01"), script) << "nothing stored it otherwise";
    yov::PostDeferredAction(0);
    ASSERT_TRUE(runUntilEnded());

    // As an earlier version stored them; the engine starts afresh with the next Main.
    yov::ForgetBufferClasses();
    const std::string upperScript = utf8(plat::ucase(u16(script)));
    const std::string upperStock = utf8(plat::ucase(u16(stock)));
    ASSERT_NE(upperScript, script);
    writeSettings("\"Conf01\"=\"" + upperScript + "\"\n\"Stock01\"=\"" + upperStock + "\"\n");
    cfg = open();
    ASSERT_NE(cfg, nullptr);
    EXPECT_TRUE(yov::programState().scene.ConfigOk);
    EXPECT_TRUE(yov::programState().scene.StockOk);
    EXPECT_EQ(cfg->CmbFil[0]->currentText().toStdString(), upperScript) << "shown as stored";
    EXPECT_TRUE(cfg->CmdTestWindow->isEnabled());
    testShow(cfg);
    EXPECT_GT(showTicks, 10) << "the show ran from the upper-cased name";
    for (const auto& b : boxes_) ADD_FAILURE() << utf8(b.text);
}

TEST_F(CfgCommands, AnotherLanguageMakesTheDialogAgain) {
    const std::string two = makeFile("stock/Two.stk", "$LANG K=E;N=English\n$LANG K=G;N=Deutsch\nCAR;;G;;car.gif\n");
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"" + two + "\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    ASSERT_EQ(yov::programState().Shared.LanguageCount, 2);
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 1);
    const QPointer<yov::CfgFrm> first(cfg);
    cfg->FCmd(5264 + 1);
    runFor(400);
    EXPECT_TRUE(first.isNull()) << "closed";
    ASSERT_NE(dialog(), nullptr) << "and made again";
    EXPECT_EQ(stored(u"Lang"), "G");
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 2);

    // The language in use again: the dialog is still made again.
    const QPointer<yov::CfgFrm> second(dialog());
    second->FCmd(5264 + 1);
    runFor(400);
    EXPECT_TRUE(second.isNull());
    EXPECT_NE(dialog(), nullptr);
    EXPECT_TRUE(exitCodes_.empty());
}

TEST_F(CfgCommands, OKAndExitEndTheProgram) {
    writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    cfg->CmdOk->click();
    EXPECT_TRUE(runUntilEnded());
    EXPECT_EQ(dialog(), nullptr);
}

}  // namespace
