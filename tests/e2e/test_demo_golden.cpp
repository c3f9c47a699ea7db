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

#include "core_fixture.h"
#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/main_state.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup.h"
#include "program/show/display_state.h"
#include "program/show/frame_step.h"
#include "program/show/show_clock.h"
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
    static int64_t clockMs = 1000;
    static int frames = 0;
    yov::ShowClock& sc = yov::showClock();
    sc.tickCount = [] { return static_cast<uint32_t>(clockMs); };
    sc.sleep = [](int32_t ms) { clockMs += ms > 0 ? ms : 0; };
    yov::FrameStepCalls& c = yov::frameStepCalls();
    c.perfCounter = [] {
        const double perTick = yov::mainState().MsPerCounterTick;
        return perTick > 0 ? static_cast<int64_t>(static_cast<double>(clockMs) / perTick) : clockMs;
    };
    // Steps from inside long work (a picture the loader thread brings, a train being built)
    // come as often as the threads' timing makes them: only the main loop's steps run.
    c.stepDouble = [](int32_t site) {
        if (site != yov::kFullStep) return;
        yov::FrameStepCalls& calls = yov::frameStepCalls();
        const auto self = std::move(calls.stepDouble);
        calls.stepDouble = nullptr;
        yov::CheckStep(site);
        calls.stepDouble = self;
    };
    c.checkBlt = [] { return 0; };
    c.waitBlt = [] {};
    c.batchBlt = [](int32_t count, const BlitOp* records, int32_t dc) {
        yov::lv::DoBlt(count, records, static_cast<LvHandle>(dc));
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
        if (frames >= kFrames) yov::programState().StopRequest = 1;
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
        "ea6946eb434e7316", "c7f5d1753231122a", "724f1808ac104330", "a3e39f57d36c3094", "9d984a8da8bc27fc",
        "c162514619dc5734", "065287276bdd0d60", "065287276bdd0d60", "c9a10464f8b80eb4", "232dd42e50385fcc",
        "1e50e0f3ef3269b6", "01147d267fee1802", "b01dd5c6af56735c", "b0078849f22563b0", "3e6f5698bdb21664",
        "0d131c7d07b65d3c", "64ce5b07aa8f1dea", "2ba8a38d19bbd6f4", "bc4bdc8802b3e4d4", "f325af8ecebfbf4e",
        "70bf750333ef6146", "3d661622ac1896d3", "c9f6878315dbc5fb", "4ef05a9d486ad358", "3b653b437f621e96",
        "bd41450928374cae", "e696fb51a7bd508b", "85247d02c2e49818", "10a939f12b24a95d", "d7a3f421ca39782b"};
    EXPECT_EQ(run.sums, pinned) << all;
}

}  // namespace
