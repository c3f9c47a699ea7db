// A program core with start-up's state cleared for each test: locks in a runtime folder of the
// test's own, the temporary folder and settings in its scratch folder, the main module's state,
// the service window's state and the recent lists back to their start, the folders above unregistered,
// and the process end recorded instead of ending the test.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "process_end_stand_ins.h"
#include "platform/named_mutex.h"
#include "program/core/windows/context_help.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/startup/upper_calls.h"
#include "program/stock/recent_files.h"

namespace startup_test {

// Sets an environment variable for the test's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The values Main sets, as before it ran, for a test that runs Main again within itself.
inline void restartMainValues() {
    yov::ProgramState& p = yov::programState();
    p.road.CommandLine.clear();
    p.road.ScreenSaverMode = 0;
    p.road.StandaloneConfig = 0;
    p.road.SaverWindow = 0;
    p.road.SaverRoot = false;
    p.road.SaverScript.clear();
    p.road.SaverStock.clear();
    p.road.SaverSpeed = 0;
    p.instance = {};
    p.files.WinDir.clear();
    p.files.SysDir.clear();
    p.files.HelpPath = {};
    const yov::MachineMeasures machine = p.machine;
    p.machine = {};
    p.machine.ScreenWidthPx = machine.ScreenWidthPx;
    p.machine.ScreenHeightPx = machine.ScreenHeightPx;
    p.settings = {};
    p.tables = {};
    p.scene.ConfigOk = false;
    p.scene.StockOk = false;
    p.scene.ConfigFile.clear();
    p.scene.ConfigKey.clear();
    p.scene.StockIndexBuilt = false;
    p.modes = {};
}

inline void resetStartupState() {
    yov::UnloadServiceWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    yov::RemoveTerminateHandler();
    restartMainValues();
    yov::serviceState() = yov::ServiceState{};
    for (yov::RecentList& list : yov::recentLists()) {
        std::u16string prefix = std::move(list.prefix);
        list = yov::RecentList{};
        list.prefix = std::move(prefix);
    }
    yov::helpFiles() = yov::HelpFiles{};
}

class StartupTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        resetStartupState();
        std::filesystem::create_directories(folder() + "/run");
        std::filesystem::create_directories(folder() + "/tmp");
        runtime_.emplace("XDG_RUNTIME_DIR", folder() + "/run");
        tmp_.emplace("TMP", folder() + "/tmp");
    }
    void TearDown() override {
        resetStartupState();
        tmp_.reset();
        runtime_.reset();
        CoreTest::TearDown();
    }

    // Takes events until the process end was asked for, or the time is up.
    bool runUntilEnded(int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (exitCodes_.empty() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !exitCodes_.empty();
    }
    void runFor(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // A file of the scratch folder with more than ten bytes.
    std::string makeFile(const std::string& name, const std::string& content = "a scene script\n") {
        const std::string path = folder() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        QFile f(QString::fromStdString(path));
        if (f.open(QIODevice::WriteOnly)) f.write(content.c_str(), static_cast<qint64>(content.size()));
        return path;
    }

    // A lock of the runtime folder, as another copy would hold it.
    plat::NamedMutex holdMutex(const std::string& name) {
        std::string dir;
        plat::NamedMutexDir(dir);
        return plat::NamedMutex::CreateIn(dir, name);
    }

    program_test::RecordedProcessEnds processEnds_;
    std::vector<int32_t>& exitCodes_ = processEnds_.codes;

private:
    std::optional<ScopedEnv> runtime_;
    std::optional<ScopedEnv> tmp_;
};

}  // namespace startup_test
