// A scene that fails every time it starts, run whole: the real program (Main with "/w", the
// script, the demo stock, the sections) in a copy of this test program, on a clock of the
// test's that the show's waits move on, so that a minute of the show passes in moments. The
// scene's background names a picture that is not there, or a range no show can compute
// with: every start of the scene fails the same way. The scene is started again no faster
// than the restart delay, and each failure names the script line.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/program/engine_fake.h"
#include "tests/program/stepped_clock.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"
#include "program/ui/program_wiring.h"

namespace {

const char* const kChildRole = "YOV_TEST_FAILING_SCENE";
constexpr int64_t kShowMs = 60000;

// The engine with no blit thread: nothing is pending and batches are dropped.
struct NoBatchEngine final : engine_test::EngineFake {
    LvResult CheckBlt(int32_t*) override { return 0; }
    LvResult WaitBlt(int32_t*) override { return 0; }
    LvResult BatchBlt(int32_t, const BlitOp*, LvHandle) override { return 0; }
};

// Run as a copy of this program by the test below; skipped in an ordinary run.
TEST(FailingSceneChild, DISABLED_RunsTheShowForAMinute) {
    if (std::getenv(kChildRole) == nullptr) GTEST_SKIP();
    yov::WireProgram();
    // The show's minute ends in a sleep as well as in a step.
    struct MinuteClock : program_test::SteppedClock {
        void sleep(int32_t wait) override {
            SteppedClock::sleep(wait);
            if (ms > 1000 + kShowMs) yov::programState().run.StopRequest = 1;
        }
    };
    static MinuteClock clock;
    clock.pumpsEvents = true;
    static int64_t& clockMs = clock.ms;
    // Each frame step of the main loop is 20 ms of the show.
    struct TimedMainLoopSteps : yov::FrameStepper {
        void step(int32_t site) override {
            if (site != yov::kFullStep) return;
            FrameStepper::step(site);
            clockMs += 20;
            if (clockMs > 1000 + kShowMs) yov::programState().run.StopRequest = 1;
        }
    } mainLoopSteps;
    const yov::ScopedFrameStepper installed{mainLoopSteps};
    // Batches are dropped: the run is about the show's log, not its frames.
    static NoBatchEngine engine;
    const yov::MainResult result = yov::Main(u"/w");
    std::printf("ended at %lld ms\n", static_cast<long long>(clockMs - 1000));
    std::fflush(stdout);
    if (!result.keepRunning) std::_Exit(result.exitCode);
    QTimer::singleShot(30000, [] { std::_Exit(3); });
    QCoreApplication::exec();
    std::_Exit(4);
}

struct ChildRun {
    std::string out, err, log;
    int exitCode = -1;
};

ChildRun runShow(const QTemporaryDir& home, const std::string& scene) {
    QDir(home.path()).mkdir("run");
    ::chmod(QFile::encodeName(home.filePath("run")).constData(), 0700);
    const std::string script = home.filePath("failing.ttt").toStdString();
    std::ofstream(script) << "$STOCK " YOV_DEMO_DATA "/demo.stk\n"
                          << scene << "\n"
                          << "$PATH Y=50;W=E;D=R\nM=SIMPLE;C=E40;V=8\n$ENDPATH\n$ENDSCENE\n";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("YOV_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("TMP", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XSCREENSAVER_WINDOW");
    for (const auto& [switchName, file] :
         {std::pair{"/addcnf", script}, std::pair{"/addstk", std::string(YOV_DEMO_DATA "/demo.stk")}}) {
        QProcess add;
        add.setProcessEnvironment(env);
        add.start(QString(YOV_BIN_DIR) + "/yov", {switchName, QString::fromStdString(file)});
        add.waitForFinished(20000);
    }
    env.insert(kChildRole, "1");
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=FailingSceneChild.DISABLED_RunsTheShowForAMinute", "--gtest_also_run_disabled_tests"});
    ChildRun run;
    if (!child.waitForFinished(300000)) child.kill();
    child.waitForFinished(5000);
    run.exitCode = child.exitCode();
    run.out = child.readAllStandardOutput().toStdString();
    run.err = child.readAllStandardError().toStdString();
    std::ifstream log(home.filePath("Rolvane.err").toStdString());
    run.log.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    return run;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(FailingScene, RestartsNoFasterThanTheRestartDelayAndNamesItsLine) {
    struct Case {
        const char* name;
        std::string scene;
        std::string message;
    };
    const Case cases[] = {
        {"a background picture that is not there", "$SCENE BG=(nothere.gif:0..100)", "Picture nothere.gif not found"},
        {"a background range no show can compute with", "$SCENE BG=(demo_land.gif:-2147483649..100)",
         "Number out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const ChildRun run = runShow(home, c.scene);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("ended at "), std::string::npos) << run.out << run.err;
        // A minute of the show: the first start and one start per restart delay after it.
        const size_t restarts = count(run.log, "Exit by Error handler in MainLoop");
        EXPECT_GE(restarts, 10u) << run.log << run.out << run.err;
        EXPECT_LE(restarts, 21u) << run.log;
        EXPECT_EQ(count(run.log, c.message), 2 * restarts) << run.log;
        // A name may reach the log in another letter case than written, so the count ignores case.
        std::string lowered = run.log;
        for (char& ch : lowered) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(count(lowered, "failing.ttt line 2"), 2 * restarts) << "every failure names the scene's line";
        EXPECT_LT(run.log.size(), 8000u);
    }
}

}  // namespace
