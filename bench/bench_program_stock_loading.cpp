// The program's LoadStock on a generated stock of 10,000 entries: from its text form, with
// the key lines, the six procedures and the language names, and from its binary form plain
// and compressed. Entries per second are reported as items. The engine is the built library,
// bound by name as the program binds it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/windows/progress.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "tests/program/stock_load_pumps.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kAuthors = 20;
constexpr int kFiles = 200;
constexpr int kDescriptions = 2000;

struct Stock {
    std::filesystem::path dir;
    std::string text, plain, zipped;

    Stock() {
        dir = std::filesystem::temp_directory_path() / ("yov_bench_program_stock_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        // Settings are read while the language is chosen: never the user's.
        ::setenv("YOV_CONFIG_HOME", (dir / "config").string().c_str(), 1);
        text = (dir / "stock.stk").string();
        plain = (dir / "stock.stb").string();
        zipped = (dir / "stockz.stb").string();
        Write();
        Bind();
        Load(text);
        yov::lv::SaveStockBin(4, 0, plain.c_str(), 0);
        yov::lv::SaveStockBin(4, 6, zipped.c_str(), 0);
    }
    ~Stock() {
        yov::lv::CloseDLL();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void Write() const {
        std::ofstream out(text, std::ios::binary);
        out << "$LANG K=EN;N=English;EN=English\r\n$IMGY 58\r\n";
        for (int i = 1; i <= kAuthors; ++i)
            out << "$AUTHK K=A" << i << ";S=Au" << i << ";N=Author of many vehicles\r\n";
        out << "$TXTEND\r\n$STOCKCNT " << kEntries << "\r\n";
        for (int i = 1; i <= kEntries; ++i) {
            if (i % 500 == 1) out << "$CAT L=1;K=C" << i << ";N=Category " << i << ";EN=Category\r\n";
            out << "VEHICLE" << i << ";EP *A" << (i % kAuthors + 1) << ";";
            if (i % 10 == 0)
                out << "M;!VEHICLE1,VEHICLE2,VEHICLE3*2\r\n";
            else
                out << "G;pics/set" << (i % kFiles + 1) << ".gif;A vehicle of the generated stock;[FLIP]\r\n";
        }
        out << "$ENDSTOCK\r\n$DESCKEY K=YEAR;N=Year\r\n";
        for (int i = 1; i <= kDescriptions; ++i)
            out << "$DESC VEHICLE" << i << "\r\n%YEAR 1920\r\nA line of the vehicle's story.\r\nAnd a second one.\r\n";
    }

    static void Bind() {
        yov::BuildStartupTables();
        yov::progressDisplay().Suppress = 1;                    // no window: the load alone is measured
        static const program_test::CountedEventPumps noEvents;  // no window system: nothing to run
        yov::ProgramState& st = yov::programState();
        st.Shared.BuiltinDescKeys = 7;
        SharedArrays& a = st.Arrays;
        yov::lv::InitDLL(0, nullptr, nullptr, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                         a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(),
                         a.DescKeys.desc(), a.DescValues.desc(), a.DescTexts.desc());
    }

    static void Load(const std::string& path) {
        yov::programState().Shared.StockCount = 0;
        yov::SetStockName(plat::utf8ToUtf16(path));
        yov::LoadStock(0);
    }
};

Stock& TheStock() {
    static Stock stock;
    return stock;
}

void LoadAndCount(benchmark::State& state, const std::string& path) {
    for (auto _ : state) Stock::Load(path);
    if (yov::programState().Shared.StockCount != kEntries) state.SkipWithError("the stock did not load whole");
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_ProgramLoadStockText(benchmark::State& state) { LoadAndCount(state, TheStock().text); }
void BM_ProgramLoadStockBinary(benchmark::State& state) { LoadAndCount(state, TheStock().plain); }
void BM_ProgramLoadStockBinaryZlib(benchmark::State& state) { LoadAndCount(state, TheStock().zipped); }

BENCHMARK(BM_ProgramLoadStockText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramLoadStockBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramLoadStockBinaryZlib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
