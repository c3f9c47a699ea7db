// The whole program run as a copy of the test program: `Main` with "/w" on a script of the
// test's, in single steps of exactly 20 ms. Only the clock, the steps and the last copy onto
// the window are the test's: each presented frame is blitted at once onto the show's DC,
// handed to the test, and moves the clock on by 20 ms; only the main loop's steps run (steps
// from inside long work come as often as the loader thread's timing makes them).
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/main_state.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup.h"
#include "program/show/frame_step.h"
#include "program/show/show_clock.h"
#include "program/show/show_state.h"
#include "program/ui/program_wiring.h"

namespace stepped_show {

// In the child: runs the show until onFrame (given the frame's number from 1 and the show's
// DC) returns false, then ends the process with the program's status.
[[noreturn]] inline void RunChild(std::function<bool(int frame, int32_t dc)> onFrame) {
    yov::WireProgram();
    static int64_t clockMs = 1000;
    static int frames = 0;
    static std::function<bool(int, int32_t)> frameSeen;
    frameSeen = std::move(onFrame);
    yov::ShowClock& sc = yov::showClock();
    sc.tickCount = [] { return static_cast<uint32_t>(clockMs); };
    sc.sleep = [](int32_t ms) { clockMs += ms > 0 ? ms : 0; };
    yov::FrameStepCalls& c = yov::frameStepCalls();
    c.perfCounter = [] {
        const double perTick = yov::mainState().MsPerCounterTick;
        return perTick > 0 ? static_cast<int64_t>(static_cast<double>(clockMs) / perTick) : clockMs;
    };
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
        if (!frameSeen(frames, dc)) yov::programState().StopRequest = 1;
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
    std::string out, err, log;
    int exitCode = -1;
};

// Runs the test `childTest` (a disabled test that calls RunChild when `role` is set) as a
// copy of this program on `script` and `stock`, registered as the recent files "/w" takes,
// with settings, run folder and error log in `home`.
inline ChildRun RunInChild(const QTemporaryDir& home, const std::string& script, const std::string& stock,
                           const char* role, const char* childTest) {
    QDir(home.path()).mkdir("run");
    ::chmod(QFile::encodeName(home.filePath("run")).constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("YOV_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("TMP", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XSCREENSAVER_WINDOW");
    for (const auto& [add, file] : {std::pair{"/addcnf", script}, std::pair{"/addstk", stock}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString(YOV_BIN_DIR) + "/yov", {add, QString::fromStdString(file)});
        p.waitForFinished(20000);
    }
    env.insert(role, "1");
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QString("--gtest_filter=") + childTest, "--gtest_also_run_disabled_tests"});
    ChildRun run;
    if (!child.waitForFinished(600000)) child.kill();
    child.waitForFinished(5000);
    run.exitCode = child.exitCode();
    run.out = child.readAllStandardOutput().toStdString();
    run.err = child.readAllStandardError().toStdString();
    std::ifstream log(home.filePath("Rolvane.err").toStdString());
    run.log.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    return run;
}

}  // namespace stepped_show
