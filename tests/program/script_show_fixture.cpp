#include "frame_step_stand_ins.h"
#include "immediate_blit_engine.h"
#include "process_end_stand_ins.h"
#include "stepped_clock.h"
#include "script_show_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/show/sections.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/picture_file.h"
#include "program/trains/train_picture.h"
#include "program/ui/program_wiring.h"

namespace road {

namespace {

// Set in the child to the full name of the test it runs.
const char* const kChildTest = "YOV_ROAD_CHILD";

std::string currentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info == nullptr ? std::string() : std::string(info->test_suite_name()) + "." + info->name();
}

// Ends the child as soon as its test ends, with the test's result: nothing of the program's
// process-wide state (its threads, windows, the engine) needs to come down in order.
class EndWithTheTest : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& info) override {
        std::fflush(nullptr);
        std::_Exit(info.result()->Passed() ? 0 : 1);
    }
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool RunInChild(int timeoutMs) {
    const std::string test = currentTestName();
    if (const char* role = std::getenv(kChildTest); role != nullptr && test == role) {
        // Appended last, so it hears of the test's end before the result printer, which has
        // shown every failure by then.
        ::testing::UnitTest::GetInstance()->listeners().Append(new EndWithTheTest);
        return false;
    }
    QTemporaryDir home;
    EXPECT_TRUE(home.isValid());
    if (!home.isValid()) return true;
    QDir(home.path()).mkpath("run");
    QDir(home.path()).mkpath("config");
    ::chmod(QFile::encodeName(home.filePath("run")).constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("YOV_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("TMP", home.path());
    env.remove("TEMP");
    env.remove("TMPDIR");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XSCREENSAVER_WINDOW");
    env.insert(kChildTest, QString::fromStdString(test));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromStdString("--gtest_filter=" + test)});
    const bool ended = child.waitForFinished(timeoutMs);
    if (!ended) {
        child.kill();
        child.waitForFinished(5000);
    }
    const std::string out = child.readAll().toStdString();
    EXPECT_TRUE(ended) << "the child did not end within " << timeoutMs << " ms\n" << out;
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out;
    EXPECT_EQ(child.exitCode(), 0) << out;
    return true;
}

std::string Folder() {
    const char* tmp = std::getenv("TMP");
    return std::string(tmp != nullptr ? tmp : "/tmp") + "/";
}

std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = Folder() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string DemoHead(int seed) { return ScriptHead(seed, DemoFile("demo.stk")); }

std::string ScriptHead(int seed, const std::string& stock) {
    return "$RANDOMIZE " + std::to_string(seed) + "\n$STOCK " + stock + "\n";
}

std::string WriteDemoStockWith(const std::string& name, const std::string& entries) {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& e : fs::directory_iterator(YOV_DEMO_DATA)) {
        if (e.path().extension() == ".gif")
            fs::copy_file(e.path(), Folder() + e.path().filename().string(), fs::copy_options::overwrite_existing);
    }
    std::string text = readAll(DemoFile("demo.stk"));
    const size_t end = text.find("$ENDSTOCK");
    EXPECT_NE(end, std::string::npos) << "the demo's stock ends its entries";
    if (end != std::string::npos) text.insert(end, entries);
    return WriteFile(name, text);
}

std::string DemoFile(const std::string& name) { return std::string(YOV_DEMO_DATA) + "/" + name; }

std::string WriteSolidBmp(const std::string& name, int width, int height, uint32_t colour) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = static_cast<uint32_t>(rowBytes * height);
    std::string b;
    auto put = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    b += "BM";
    put(54 + imageBytes, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(imageBytes, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.push_back(static_cast<char>((colour >> 16) & 0xFF));  // blue, green, red
            b.push_back(static_cast<char>((colour >> 8) & 0xFF));
            b.push_back(static_cast<char>(colour & 0xFF));
        }
        b.append(static_cast<size_t>(rowBytes - width * 3), '\0');
    }
    return WriteFile(name, b);
}

std::string PictureName(const std::string& path) {
    std::string name = path;
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

uint32_t Frame::Pixel(int32_t x, int32_t y) const { return plat::GetPixel(plat::HDC::FromValue(dc), x, y); }

bool Frame::SavePng(const std::string& path) const { return yov::SaveDcAsPng(dc, width, height, path); }

Run RunScript(const std::string& scriptName, int frames, const std::function<void(const Frame&)>& observer,
              const RunOptions& options) {
    yov::WireProgram();
    yov::programState().road.ProgramKey = u"Software\\Vantrel\\Yov";
    yov::SaveRegString(u"Conf01", plat::utf8ToUtf16(Folder() + scriptName));
    yov::SaveRegString(u"Stock01", plat::utf8ToUtf16(options.stock.empty() ? DemoFile("demo.stk") : options.stock));
    for (const auto& [name, value] : options.settings) yov::SaveRegString(name, value);

    // The injected clock and presentation, as long as the process lives (one run per child).
    static program_test::SteppedClock clock;
    clock.pumpsEvents = true;
    static int64_t& clockMs = clock.ms;
    static int presented = 0;
    static int wanted = 0;
    static std::function<void(const Frame&)> watch;
    wanted = frames;
    watch = observer;
    program_test::MainLoopStepsOnly mainLoopSteps;
    static const auto shown = [](int32_t dc) {
        clockMs += 20;
        if (presented >= wanted) return;
        ++presented;
        if (watch) {
            const yov::DisplayState& d = yov::displayState();
            watch(Frame{presented, clockMs, dc, d.SceneWidth, d.SceneHeight});
        }
        if (presented >= wanted) yov::programState().run.StopRequest = 1;
    };
    // A flip is pending for a refresh period of the real clock, which this clock does not
    // follow: the flip itself waits out the period, and the frame reaches the show window.
    struct SteppedEngine : engine_test::ImmediateBlitEngine {
        LvResult CanFlip() override { return 0; }
        LvResult Flip() override {
            const LvResult r = next().Flip();
            if (r == 0) shown(0);
            return r;
        }
    };
    static SteppedEngine engine;
    engine.onBatch = [](int32_t, const BlitOp*, LvHandle batchDc) { shown(static_cast<int32_t>(batchDc)); };

    Run run;
    QEventLoop ending;
    program_test::RecordedProcessEnds processEnds;
    processEnds.onEnd = [&run, &ending](int32_t code) {
        run.exitCode = code;
        ending.quit();
    };
    const yov::MainResult result = yov::Main(options.commandLine);
    if (result.keepRunning && run.exitCode < 0) {
        QTimer::singleShot(30000, &ending, &QEventLoop::quit);
        ending.exec();
    } else if (!result.keepRunning) {
        run.exitCode = result.exitCode;
    }
    run.frames = presented;
    run.log = ErrorLog();
    return run;
}

std::string ErrorLog() { return readAll(Folder() + "Rolvane.err"); }

std::vector<int32_t> TrainsWithPictures() {
    std::vector<int32_t> out;
    yov::TrainTable& t = yov::trains();
    for (int32_t i = t.ActiveHead; i != 0 && out.size() < 300; i = t.at(i).NextActive) {
        const yov::TrainRec& r = t.at(i);
        if (r.MemberCount > 0 && (r.Flags & yov::train_flag::kSceneRecord) == 0) out.push_back(i);
    }
    return out;
}

std::string LineText(int32_t train) {
    const int32_t line = yov::trains().at(train).Line;
    if (line < 1) return {};
    return plat::utf16ToUtf8(yov::scriptItem(line).Text);
}

std::vector<std::string> VehicleNames(int32_t train) {
    std::vector<std::string> names;
    const yov::TrainRec& r = yov::trains().at(train);
    const SharedArrays& a = yov::programState().Arrays;
    for (int m = 1; m <= r.MemberCount; ++m) {
        const int32_t picture = r.Members[static_cast<size_t>(m)];
        if (!yov::trainPictures().valid(picture)) continue;
        int hops = 0;
        for (int32_t p = yov::trainPictures()[picture].FirstPart; p != 0 && hops < 1000;
             p = yov::picParts()[p].NextPart, ++hops) {
            const int32_t stock = yov::picParts()[p].StockIndex;
            if (stock > 0 && a.Stock.has(stock)) names.push_back(plat::utf16ToUtf8(a.Stock[stock].Name));
        }
    }
    return names;
}

int CountLogLines(const std::string& log, const std::string& text) {
    std::istringstream in(log);
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line.find(text) != std::string::npos ? 1 : 0;
    return n;
}

}  // namespace road
