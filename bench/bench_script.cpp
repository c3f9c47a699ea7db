// Lines per second of a generated 10,000-line scene script read into the scene model by the
// program's reader (keywords, blocks, section records), beside the engine's timetable reader
// alone over the same file. The engine is the built library, bound by name as the program
// binds it; the read loads no stock and opens no picture cache.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/installed.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "tests/program/script_reader_alone.h"

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

struct Scratch {
    std::filesystem::path dir;
    std::string script;

    Scratch() {
        dir = std::filesystem::temp_directory_path() / ("yov_bench_script_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        // Options are read from the settings: never the user's.
        ::setenv("YOV_CONFIG_HOME", (dir / "config").string().c_str(), 1);
        script = (dir / "bench.ttt").string();
        std::ofstream(script, std::ios::binary) << GenerateScript(kLines);
        // The script alone is measured: no stock, cache, box or pause.
        program_test::PrepareScriptReaderAlone();
    }
    ~Scratch() {
        yov::lv::CloseDLL();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

const std::string& ScriptFile() {
    static Scratch scratch;
    return scratch.script;
}

int64_t FileLines() {
    static const int64_t n = [] {
        const std::string text = GenerateScript(kLines);
        return static_cast<int64_t>(std::count(text.begin(), text.end(), '\n'));
    }();
    return n;
}

void BM_TimetableReaderAlone(benchmark::State& state) {
    const std::string& file = ScriptFile();
    const yov::EngineText buffer(std::u16string(yov::kLineBufferSize, u' '));
    char16_t* const text = const_cast<char16_t*>(buffer.get());
    const yov::EngineText night(u"NIGHT");
    int64_t total = 0;
    for (auto _ : state) {
        yov::lv::InitTtRead();
        yov::lv::SetTtOption(night.get(), 1);
        yov::lv::OpenTtFile(file.c_str(), 1, nullptr);
        int32_t value = 0, line = 0;
        while (yov::lv::GetTtLine(text, &value, &line) >= 0) ++total;
        yov::lv::FinishTtRead();
    }
    state.SetItemsProcessed(total);
    state.SetLabel("lines");
}
BENCHMARK(BM_TimetableReaderAlone)->Unit(benchmark::kMillisecond);

void BM_ReadScriptIntoSceneModel(benchmark::State& state) {
    const std::u16string path = plat::utf8ToUtf16(ScriptFile());
    yov::ScriptReader& reader = yov::scriptReader();
    int64_t total = 0;
    for (auto _ : state) {
        if (reader.ReadScript(path, 0) == 0) state.SkipWithError("the generated script did not read");
        total += reader.S.PlainLines + reader.S.MemberCount;
        yov::lv::MacFree();
    }
    // Lines of the file, as the reader alone counts them: plain lines and "$" lines.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * FileLines());
    state.SetLabel("lines");
    benchmark::DoNotOptimize(total);
}
BENCHMARK(BM_ReadScriptIntoSceneModel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
