// Lines per second of a generated 10,000-line scene script read into the scene model
// (keywords, blocks, section records), beside the engine's timetable reader alone over the
// same file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "program/scene/script_reader_direct.h"

namespace {

constexpr int kLines = 10000;

// Sections of groups, pools and lines with train lines, options, macros and conditions.
std::string GenerateScript(int lines) {
    std::string s = "$INFO Generated scene\n$OPT K=NIGHT;N=Night;V=1\n$DEFINE LOCO=E40\n%DEF(CARS=COACH_A,COACH_B)\n";
    int n = 4;
    for (int block = 0; n < lines; ++block) {
        const std::string b = std::to_string(block);
        s += "$SECTION N=3;SEQ=C;TX=Section " + b + "\n";
        s += "$POOL N=P" + b + ";SEQ=R\nC=$LOCO,%CARS;V=8\nC=DIESEL;V=6\n$ENDPOOL\n";
        s += "$GROUP POOL=P" + b + "\nC=RAILCAR;V=5\n$ENDGROUP\n";
        s += "$LINE L=1\nM=SIMPLE;C=E40,6*WAGON;V=9;TX=Freight " + b + "\n$ENDLINE\n";
        s += "; a comment line\n{NIGHT?M=STOP;C=E40;P=40;T=5?M=SIMPLE;C=E40}\n";
        for (int i = 0; i < 6; ++i)
            s += "M=SIMPLE;C=%CARS;V=" + std::to_string(4 + i) + ";TX=Train " + std::to_string(i) + "\n";
        s += "$ENDSECTION\n";
        n += 20;
    }
    return s;
}

const std::string& ScriptFile() {
    static const std::string path = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("yov_bench_script_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const std::string p = (dir / "bench.ttt").string();
        std::ofstream(p, std::ios::binary) << GenerateScript(kLines);
        return p;
    }();
    return path;
}

int64_t FileLines() {
    static const int64_t n = [] {
        const std::string text = GenerateScript(kLines);
        return static_cast<int64_t>(std::count(text.begin(), text.end(), '\n'));
    }();
    return n;
}

void BM_TimetableReaderAlone(benchmark::State& state) {
    SharedState shared;
    lvk::BindShared(&shared, nullptr);
    char16_t* buffer = LvTextAlloc(std::u16string(10000, u' '));
    char16_t* night = LvTextAlloc(std::u16string(u"NIGHT"));
    int64_t total = 0;
    for (auto _ : state) {
        InitTtRead();
        SetTtOption(night, 1);
        OpenTtFile(ScriptFile().c_str(), 1, nullptr);
        int32_t value = 0, line = 0;
        while (GetTtLine(buffer, &value, &line) >= 0) ++total;
        FinishTtRead();
    }
    state.SetItemsProcessed(total);
    state.SetLabel("lines");
    LvTextFree(night);
    LvTextFree(buffer);
    lvk::BindShared(nullptr, nullptr);
}
BENCHMARK(BM_TimetableReaderAlone)->Unit(benchmark::kMillisecond);

void BM_ReadScriptIntoSceneModel(benchmark::State& state) {
    SharedState shared;
    lvk::BindShared(&shared, nullptr);
    yov::DirectScriptReader direct;
    yov::ScriptReader& reader = direct.reader;
    const std::u16string path = plat::utf8ToUtf16(ScriptFile());
    int64_t total = 0;
    for (auto _ : state) {
        if (reader.ReadScript(path, 0) == 0) state.SkipWithError("the generated script did not read");
        total += reader.S.PlainLines + reader.S.MemberCount;
        MacFree();
    }
    // Lines of the file, as the reader alone counts them: plain lines and "$" lines.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * FileLines());
    state.SetLabel("lines");
    benchmark::DoNotOptimize(total);
    lvk::BindShared(nullptr, nullptr);
}
BENCHMARK(BM_ReadScriptIntoSceneModel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
