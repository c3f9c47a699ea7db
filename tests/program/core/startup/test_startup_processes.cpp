// Start-up in real processes: seven copies at once, the slot letters and their settings keys,
// adding files to the recent lists from the command line, a second screen saver while one
// runs, the X screen-saver convention, and SIGTERM ending a running show cleanly.
//
// The copies that must stay up are this test program run again as StartupChild: the real Main
// with a settings dialog or show double that stays open until the program is told to end. The
// others are the real yov.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "startup_fixture.h"

namespace {

// A stock file the show can load: one vehicle.
const std::string kStockText = "CAR;;G;;car.gif\n";

using core_test::u16;
using core_test::utf8;

const char* const kChildRole = "YOV_TEST_CHILD";
const char* const kChildLine = "YOV_TEST_CHILD_LINE";

void say(const std::string& line) {
    std::printf("child: %s\n", line.c_str());
    std::fflush(stdout);
}

// The child's settings dialog and show: each says when it opens, the show runs until it is told
// to stop.
class ChildParts : public yov::ShowParts, public yov::WindowParts {
public:
    void showSettings() override {
        const yov::ProgramState& ms = yov::programState();
        const std::u16string letter = yov::programState().road.InstanceLetter;
        say("open " + (letter.empty() ? std::string("-") : utf8(letter)) + " " + utf8(ms.scene.ConfigFile));
        yov::programState().WindowTable[yov::kSettingsSlot] = {new QWidget, -1};
    }
    void runShow(uint8_t mode, const std::u16string& script) override {
        say("show " + std::to_string(mode) + " " + utf8(script));
        yov::ProgramState& st = yov::programState();
        st.run.RunFlags |= 0x01;
        while (st.run.StopRequest == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        st.run.RunFlags &= ~0x01;
        say("show ended");
        if (!yov::SettingsDialogOpen()) yov::PostDeferredAction(0);
    }
};

// Run as a separate process by the tests below; skipped in an ordinary run.
TEST(StartupChild, DISABLED_RunsMain) {
    const char* role = std::getenv(kChildRole);
    if (role == nullptr) GTEST_SKIP();
    ChildParts parts;
    yov::ScopedInstall<yov::ShowParts> show(parts);
    yov::ScopedInstall<yov::WindowParts> windows(parts);
    const yov::MainResult result = yov::Main(u16(std::getenv(kChildLine)));
    if (!result.keepRunning) {
        say("ended");
        std::_Exit(result.exitCode);
    }
    QTimer::singleShot(30000, [] { std::_Exit(3); });
    QCoreApplication::exec();
    std::_Exit(4);  // only the shutdown ends the program
}

// A scene script of one train line whose vehicle has no picture: the train start, which runs
// only once the show's display is up and its frames step, logs the vehicle it cannot load
// with the script line it came from ("  from ...").
const std::string kOneTrainLine = "C=CAR;V=5;TX=One train\n";
constexpr const char* kFramesReached = "  from ";

class StartupProcesses : public startup_test::StartupTest {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        ::chmod((folder() + "/run").c_str(), 0700);
        env_.insert("YOV_CONFIG_HOME", QString::fromStdString(folder() + "/config"));
        env_.insert("XDG_RUNTIME_DIR", QString::fromStdString(folder() + "/run"));
        env_.insert("TMP", QString::fromStdString(folder() + "/tmp"));
        env_.insert("QT_QPA_PLATFORM", "offscreen");
        env_.remove("XSCREENSAVER_WINDOW");
        env_.remove(kChildRole);
    }
    void TearDown() override {
        for (auto& p : processes_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        StartupTest::TearDown();
    }

    // This test program again, running Main with the given role and command line.
    QProcess* startChild(const char* role, const std::string& line) {
        QProcessEnvironment env = env_;
        env.insert(kChildRole, role);
        env.insert(kChildLine, QString::fromStdString(line));
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=StartupChild.DISABLED_RunsMain", "--gtest_also_run_disabled_tests"});
        processes_.push_back(std::move(p));
        return processes_.back().get();
    }

    struct Run {
        int exitCode = -1;
        bool crashed = false;
        std::string out;
        std::string err;
        std::string log;  // the error log's text
        qint64 ms = 0;
    };
    // The real yov, waited for.
    Run runYov(const QStringList& arguments, QProcessEnvironment env, const std::string& cwd = {}) {
        QProcess p;
        p.setProcessEnvironment(env);
        if (!cwd.empty()) p.setWorkingDirectory(QString::fromStdString(cwd));
        QElapsedTimer t;
        t.start();
        p.start(QString(YOV_BIN_DIR) + "/yov", arguments);
        Run r;
        finish(p, t, r);
        return r;
    }
    // Waits for the process (killing it after 20 s) and collects what it left.
    static void finish(QProcess& p, const QElapsedTimer& t, Run& r) {
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
        }
        r.ms = t.elapsed();
        r.crashed = p.exitStatus() != QProcess::NormalExit;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput().toStdString();
        r.err += p.readAllStandardError().toStdString();
    }
    // The real yov, stopped with SIGTERM once its standard error or its error log shows the text.
    Run runYovUntil(const QStringList& arguments, QProcessEnvironment env, const std::string& text) {
        const std::string logPath = env.value("TMP").toStdString() + "/Rolvane.err";
        std::filesystem::remove(logPath);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString(YOV_BIN_DIR) + "/yov", arguments);
        Run r;
        QElapsedTimer t;
        t.start();
        const auto seen = [&] {
            return r.err.find(text) != std::string::npos || r.log.find(text) != std::string::npos;
        };
        while (!seen() && t.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
            p.waitForReadyRead(100);
            r.err += p.readAllStandardError().toStdString();
            QFile log(QString::fromStdString(logPath));
            if (log.open(QIODevice::ReadOnly)) r.log = log.readAll().toStdString();
        }
        p.terminate();
        finish(p, t, r);
        return r;
    }

    // The "child: " lines a process wrote so far.
    static std::vector<std::string> childLines(QProcess* p, std::string& buffer) {
        buffer += p->readAllStandardOutput().toStdString();
        std::vector<std::string> lines;
        size_t from = 0;
        while (from < buffer.size()) {
            const size_t end = buffer.find('\n', from);
            if (end == std::string::npos) break;
            const std::string line = buffer.substr(from, end - from);
            if (line.rfind("child: ", 0) == 0) lines.push_back(line.substr(7));
            from = end + 1;
        }
        return lines;
    }
    // Waits until pred holds, taking events; false when 20 s pass.
    template <class Pred>
    static bool waitFor(Pred pred) {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > 20000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    // Holds slot locks in the lock folder the processes use.
    std::vector<plat::NamedMutex> holdSlots(int count) {
        std::vector<plat::NamedMutex> held;
        for (int i = 0; i < count; ++i) held.push_back(holdMutex("RolvaneScr" + std::to_string(i)));
        return held;
    }
    void saveFiles(const std::u16string& key, const std::string& script, const std::string& stock) {
        yov::SaveRegString(u"Conf01", u16(script), key);
        yov::SaveRegString(u"Stock01", u16(stock), key);
    }

    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(StartupProcesses, SevenCopiesAtOnceSixRunAndTheSeventhEndsAtOnce) {
    const std::string forD = makeFile("d/Scene of D.ttt");
    yov::SaveRegString(u"Conf01", u16(forD), u"D");
    std::vector<QProcess*> copies;
    for (int i = 0; i < 7; ++i) copies.push_back(startChild("settings", "/c"));

    std::vector<std::string> buffers(7);
    std::vector<std::vector<std::string>> lines(7);
    auto update = [&] {
        for (size_t i = 0; i < 7; ++i) {
            const std::vector<std::string> l = childLines(copies[i], buffers[i]);
            lines[i] = l;
        }
    };
    ASSERT_TRUE(waitFor([&] {
        update();
        int open = 0;
        int ended = 0;
        for (size_t i = 0; i < 7; ++i) {
            open += !lines[i].empty() && lines[i][0].rfind("open ", 0) == 0;
            ended += copies[i]->state() == QProcess::NotRunning;
        }
        return open == 6 && ended == 1;
    })) << "six copies open their window and one ends";

    std::set<std::string> letters;
    for (size_t i = 0; i < 7; ++i) {
        if (copies[i]->state() == QProcess::NotRunning) {
            EXPECT_EQ(copies[i]->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(copies[i]->exitCode(), 0);
            EXPECT_EQ(lines[i], std::vector<std::string>{"ended"}) << "the seventh opens nothing";
            continue;
        }
        const std::string& open = lines[i][0];
        const std::string letter = open.substr(5, 1);
        letters.insert(letter);
        const std::string script = open.size() > 7 ? open.substr(7) : "";
        if (letter == "D")
            EXPECT_EQ(script, forD) << "slot 3 reads Conf01 under the key ending in D";
        else
            EXPECT_EQ(script, "") << letter;
    }
    EXPECT_EQ(letters, (std::set<std::string>{"-", "B", "C", "D", "E", "F"}));

    for (QProcess* p : copies) {
        if (p->state() != QProcess::NotRunning) p->terminate();
    }
    for (QProcess* p : copies) {
        if (p->state() != QProcess::NotRunning) {
            ASSERT_TRUE(p->waitForFinished(20000));
        }
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << "SIGTERM ends a copy through its shutdown";
        EXPECT_EQ(p->exitCode(), 0);
    }
}

TEST_F(StartupProcesses, TheCopyInSlotThreeReadsItsOwnKey) {
    const std::string script = makeFile("Winter.ttt", kOneTrainLine);
    const std::string stock = makeFile("Cars.stk", kStockText);
    saveFiles(u"D", script, stock);
    const auto held = holdSlots(3);
    const Run r = runYovUntil({"/w"}, env_, kFramesReached);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0);
    // Only a script found under its own key is ready: the show reads it and goes on through
    // its display to the frames.
    EXPECT_NE(r.log.find(kFramesReached), std::string::npos) << r.err << r.log;
}

TEST_F(StartupProcesses, WithAllSixSlotsTakenACopyEndsAtOnceSilently) {
    const auto held = holdSlots(6);
    const Run r = runYov({"/c"}, env_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.find("yov:"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

// The names as written go on top (the switch in any case); a name an earlier version stored
// upper-cased stays, as its file is still found.
TEST_F(StartupProcesses, AddingScriptsPutsThemOnTopAsWrittenWithoutADisplay) {
    makeFile("files/a.ttt");
    makeFile("files/b c.ttt");
    makeFile("files/old.ttt");
    yov::SaveRegString(u"Conf01", u"OLD.TTT");
    QProcessEnvironment env = env_;
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    const Run r = runYov({"/ADDCNF", "a.ttt", "b c.ttt", "missing.ttt"}, env, folder() + "/files");
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf01")), "b c.ttt");
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf02")), "a.ttt");
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf03")), "OLD.TTT");
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf04", u"none")), "none");
    EXPECT_TRUE(holdMutex("RolvaneScr0").Owned()) << "the copy is gone with its locks";
}

TEST_F(StartupProcesses, AddingStockFilesLikewise) {
    makeFile("files/Trains.stk");
    makeFile("files/more trains.stk");
    const Run r = runYov({"/addstk", "more trains.stk", "Trains.stk"}, env_, folder() + "/files");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(utf8(yov::GetRegString(u"Stock01")), "Trains.stk");
    EXPECT_EQ(utf8(yov::GetRegString(u"Stock02")), "more trains.stk");
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf01", u"none")), "none");
}

TEST_F(StartupProcesses, ASecondScreenSaverEndsAtOnceAndSigtermStopsTheFirst) {
    // The second copy takes slot 1 and reads its files under its own key.
    for (const char16_t* key : {u"", u"B"}) saveFiles(key, makeFile("Night.ttt"), makeFile("Night.stk", kStockText));
    QProcess* first = startChild("show", "/s");
    std::string buffer;
    ASSERT_TRUE(waitFor([&] {
        const auto l = childLines(first, buffer);
        return !l.empty() && l[0].rfind("show 1 ", 0) == 0;
    })) << buffer;

    const Run second = runYov({"/s"}, env_);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.err.find("yov:"), std::string::npos) << "it shows nothing: " << second.err;
    EXPECT_LT(second.ms, 10000);
    EXPECT_EQ(first->state(), QProcess::Running);

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(childLines(first, buffer).back(), "show ended") << "the show stopped before the program ended";
}

TEST_F(StartupProcesses, TheXScreenSaverConventionRunsTheScreenSaverShow) {
    const std::string script = makeFile("Dusk.ttt", kOneTrainLine);
    saveFiles(u"", script, makeFile("Dusk.stk", kStockText));
    QProcessEnvironment env = env_;
    env.insert("XSCREENSAVER_WINDOW", "0x2a00007");
    const Run r = runYovUntil({}, env, kFramesReached);
    EXPECT_EQ(r.exitCode, 0);
    // A show, not the settings dialog: the script is read and the show goes on through its
    // display to the frames.
    EXPECT_NE(r.log.find(kFramesReached), std::string::npos) << r.err << r.log;
    const Run root = runYovUntil({"-root"}, env_, kFramesReached);
    EXPECT_NE(root.log.find(kFramesReached), std::string::npos) << root.err << root.log;
}

}  // namespace
