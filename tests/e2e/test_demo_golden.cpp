// The demo scene run whole for 3,000 frames of exactly 20 ms with a seeded random sequence:
// the checksums of every 100th frame are pinned, so the run repeats exactly on every run and
// build type. The run is the real program (Main with "/w", the script, the stock, the
// sections, train starts, movement modes, motion, animations and painting) in a copy of this
// test program; only the clock, the steps and the last copy onto the window are the test's:
// each presented frame is blitted at once onto the show's DC and moves the clock on by 20 ms,
// and only the main loop's steps run (steps from inside long work come as often as the
// loader thread's timing makes them).
//
// A changed checksum means the show changed. Look at the frames first (written to the build
// folder as demo_golden_N.png) and pin new values only on purpose, with the reason in the
// commit.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/program/frame_step_stand_ins.h"
#include "tests/program/immediate_blit_engine.h"
#include "tests/program/stepped_clock.h"
#include "core_fixture.h"
#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"
#include "program/trains/picture_file.h"
#include "program/ui/program_wiring.h"

namespace {

constexpr int kFrames = 3000;
constexpr int kEvery = 100;
const char* const kChildRole = "YOV_TEST_DEMO_GOLDEN";

uint64_t checksum(int32_t dc, int width, int height) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) h = (h ^ plat::GetPixel(plat::HDC::FromValue(dc), x, y)) * 1099511628211ull;
    }
    return h;
}

// Run as a copy of this program by the test below; skipped in an ordinary run.
TEST(DemoGoldenChild, DISABLED_RunsTheDemo) {
    if (std::getenv(kChildRole) == nullptr) GTEST_SKIP();
    yov::WireProgram();
    static program_test::SteppedClock clock;
    clock.pumpsEvents = true;
    static int64_t& clockMs = clock.ms;
    static int frames = 0;
    program_test::MainLoopStepsOnly mainLoopSteps;
    static engine_test::ImmediateBlitEngine engine;
    engine.onBatch = [](int32_t, const BlitOp*, LvHandle batchDc) {
        const int32_t dc = static_cast<int32_t>(batchDc);
        clockMs += 20;
        ++frames;
        const yov::DisplayState& d = yov::displayState();
        if (frames % kEvery == 0) {
            std::printf("frame %d %016" PRIx64 "\n", frames, checksum(dc, d.SceneWidth, d.SceneHeight));
            if (frames % 1000 == 0) {
                yov::SaveDcAsPng(dc, d.SceneWidth, d.SceneHeight,
                                 std::string(YOV_BIN_DIR) + "/../demo_golden_" + std::to_string(frames) + ".png");
            }
            std::fflush(stdout);
        }
        if (frames >= kFrames) yov::programState().run.StopRequest = 1;
    };
    const yov::MainResult result = yov::Main(u"/w");
    std::printf("ended after %d frames\n", frames);
    std::fflush(stdout);
    if (!result.keepRunning) std::_Exit(result.exitCode);
    QTimer::singleShot(30000, [] { std::_Exit(3); });
    QCoreApplication::exec();
    std::_Exit(4);
}

struct ChildRun {
    std::vector<std::string> sums;
    std::string out, err, log;
    int exitCode = -1;
};

ChildRun runDemo(const QTemporaryDir& home) {
    QDir(home.path()).mkdir("run");
    ::chmod(QFile::encodeName(home.filePath("run")).constData(), 0700);
    // The demo with a fixed seed: its script included by one that says "RANDOMIZE".
    const std::string script = home.filePath("golden.ttt").toStdString();
    std::ofstream(script) << "$RANDOMIZE 7\n$INCLUDE " YOV_DEMO_DATA "/demo.ttt\n";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("YOV_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("TMP", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XSCREENSAVER_WINDOW");
    for (const auto& [add, file] :
         {std::pair{"/addcnf", script}, std::pair{"/addstk", std::string(YOV_DEMO_DATA "/demo.stk")}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString(YOV_BIN_DIR) + "/yov", {add, QString::fromStdString(file)});
        p.waitForFinished(20000);
    }
    env.insert(kChildRole, "1");
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=DemoGoldenChild.DISABLED_RunsTheDemo", "--gtest_also_run_disabled_tests"});
    ChildRun run;
    if (!child.waitForFinished(600000)) child.kill();
    child.waitForFinished(5000);
    run.exitCode = child.exitCode();
    run.out = child.readAllStandardOutput().toStdString();
    run.err = child.readAllStandardError().toStdString();
    std::ifstream log(home.filePath("Rolvane.err").toStdString());
    run.log.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    size_t at = 0;
    while ((at = run.out.find("frame ", at)) != std::string::npos) {
        const size_t end = run.out.find('\n', at);
        const std::string line = run.out.substr(at, end - at);
        run.sums.push_back(line.substr(line.rfind(' ') + 1));
        at = end;
    }
    return run;
}

TEST(DemoGolden, ThreeThousandFramesOfTheDemoRepeatExactly) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const ChildRun run = runDemo(home);
    ASSERT_EQ(run.sums.size(), static_cast<size_t>(kFrames / kEvery)) << run.out << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.log, "") << "no error-log line";
    std::string all;
    for (const std::string& s : run.sums) all += "\"" + s + "\", ";
    const std::vector<std::string> pinned = {
        "78d580152cc33c52", "b6a5445d9990e1f8", "b7a6f3d520f05942", "0af59d14c3a55a6e", "8c84d84f34604780",
        "edee7932c366ec6c", "377921462bf6273b", "377921462bf6273b", "20a0a63cd67656d7", "bc02784823e2ee3b",
        "b866ce24f4f5f6e7", "66e23fbf8839efe3", "b6657b0ed0276d6d", "cfeda4465d6c87eb", "d0f14c81586798d9",
        "7ee613ba425b78e9", "9753508e4414501f", "045878f651f51d15", "4ccfc841359ad59d", "650e45634ffdda6f",
        "f160e4a9d0300b47", "23bb05c7eecc5118", "4001ee730604a524", "32604e5c3b0233e7", "332bd1ceac26c9c1",
        "6ecad876a2e86525", "0bf38052da58f266", "16c4883cd312c4d3", "18d7c4d471bade6e", "b74a405bd9f7b944"};
    EXPECT_EQ(run.sums, pinned) << all;
}

}  // namespace
