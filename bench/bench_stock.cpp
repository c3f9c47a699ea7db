// Loading a generated stock of 10,000 entries: from its text form through the six
// procedures (which keep the records as the program does), and from its binary form
// plain and compressed. Entries per second are reported as items.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

constexpr int32_t kEntries = 10000;
constexpr int32_t kFiles = 200;
constexpr int32_t kAuthors = 20;
constexpr int32_t kDescriptions = 2000;

struct Stock {
    SharedState shared;
    SharedArrays arrays;
    SharedArray<const char*> fileNames;
    std::vector<std::string> names;
    std::filesystem::path dir;
    std::string text, plain, zipped;

    ~Stock() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    Stock() {
        lvk::BindShared(&shared, nullptr);
        lvk::BindArrays(arrays);
        arrays.Languages.redim(10);
        arrays.Languages[0].Code = u"N";
        Generate();
        dir = std::filesystem::temp_directory_path() / ("yov_bench_stock_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        text = (dir / "stock.stk").string();
        plain = (dir / "stock.stb").string();
        zipped = (dir / "stockz.stb").string();
        SaveStock(3, text.c_str(), 0, fileNames.desc());
        SaveStockBin(4, 0, plain.c_str(), 0);
        SaveStockBin(4, 6, zipped.c_str(), 0);
    }

    void Generate() {
        shared.PictureHeight = 58;
        arrays.Authors.redim(kAuthors);
        shared.AuthorCount = kAuthors;
        for (int32_t i = 1; i <= kAuthors; ++i) {
            arrays.Authors[i].Key = u"A" + std::u16string(1, static_cast<char16_t>(u'A' + i));
            arrays.Authors[i].Name = u"Author of many vehicles";
        }
        arrays.StockFiles.redim(kFiles);
        shared.StockFileCount = kFiles;
        names.assign(1, "");
        for (int32_t i = 1; i <= kFiles; ++i) {
            names.push_back("PICS\\SET" + std::to_string(i) + ".GIF");
            arrays.StockFiles[i].Kind = 1;
            for (char c : names.back()) arrays.StockFiles[i].Path += static_cast<char16_t>(c);
        }
        fileNames.redim(kFiles);
        for (int32_t i = 0; i <= kFiles; ++i) fileNames[i] = names[static_cast<size_t>(i)].c_str();
        arrays.Stock.redim(kEntries);
        shared.StockCount = kEntries;
        for (int32_t i = 1; i <= kEntries; ++i) {
            StockEntry& e = arrays.Stock[i];
            std::string name = "VEHICLE" + std::to_string(i);
            for (char c : name) e.Name += static_cast<char16_t>(c);
            e.TypeLetter = u'E';
            e.WayLetter = u'P';
            e.Author = static_cast<int16_t>(i % kAuthors + 1);
            if (i % 10 == 0) {
                e.FileIndex = 0x7FFF;
                e.Text2 = u"!VEHICLE1,VEHICLE2,VEHICLE3*2";
            } else {
                e.FileIndex = static_cast<int16_t>(i % kFiles + 1);
                e.Text2 = u"A vehicle of the generated stock";
                e.Text3 = u"[FLIP]";
            }
            e.DescNumber = i <= kDescriptions ? i : 0;
        }
        arrays.DescTexts.redim(kDescriptions);
        shared.DescTextCount = kDescriptions;
        for (int32_t i = 1; i <= kDescriptions; ++i)
            arrays.DescTexts[i] = u"%YEAR 1920\r%%\rA line of the vehicle's story.\r\nAnd a second one.\r\n";
    }
};

Stock& TheStock() {
    static Stock stock;
    return stock;
}

int32_t OnKeyLine(const char16_t* line, int32_t) noexcept {
    const std::u16string text = LvTextString(line);
    Stock& s = TheStock();
    if (text.rfind(u"$ENDSTOCK", 0) == 0) {
        PrepareLookStock(s.arrays.Stock.desc(), s.shared.StockCount);
        return 2;
    }
    if (text.rfind(u"$AUTH ", 0) == 0) {
        std::string key;
        for (size_t i = 6; i < text.size() && text[i] != u';'; ++i) key += static_cast<char>(text[i]);
        LSetAuth(key.c_str(), ++s.shared.AuthorCount);
    }
    return 0;
}
int32_t OnDescKeyLine(const char16_t* line, int32_t) noexcept {
    return LvTextString(line).rfind(u"$ENDDESC", 0) == 0 ? 1 : 0;
}
int32_t OnFile(const StockFileEntry*) noexcept { return ++TheStock().shared.StockFileCount; }
int32_t OnEntry(int32_t index, const StockEntry* entry) noexcept {
    Stock& s = TheStock();
    if (index > s.arrays.Stock.upperBound()) s.arrays.Stock.redim(index + 1000);
    s.arrays.Stock[index] = *entry;
    s.shared.StockCount = index;
    return 0;
}
int32_t OnLink(int32_t index, int32_t desc) noexcept {
    TheStock().arrays.Stock[index].DescNumber = desc;
    return 0;
}
int32_t OnDescText(int32_t desc, const char16_t* text) noexcept {
    Stock& s = TheStock();
    if (desc > s.arrays.DescTexts.upperBound()) s.arrays.DescTexts.redim(desc + 100);
    s.arrays.DescTexts[desc] = LvTextString(text);
    return 0;
}

void BM_LoadStockText(benchmark::State& state) {
    Stock& s = TheStock();
    for (auto _ : state) {
        s.shared.StockCount = s.shared.StockFileCount = s.shared.AuthorCount = 0;
        int32_t line = 0;
        const int32_t r =
            LoadStockAscii(s.text.c_str(), &OnKeyLine, &OnFile, &OnEntry, &OnDescKeyLine, &OnLink, &OnDescText, &line);
        if (r != 1 || s.shared.StockCount != kEntries) state.SkipWithError("the text stock did not load");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LoadStockText)->Unit(benchmark::kMillisecond);

void LoadBinary(benchmark::State& state, const std::string& file) {
    Stock& s = TheStock();
    for (auto _ : state) {
        int32_t colour = 0;
        if (LoadStockBin(file.c_str(), 0, &colour) != 0 || s.shared.StockCount != kEntries)
            state.SkipWithError("the binary stock did not load");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
void BM_LoadStockBinPlain(benchmark::State& state) { LoadBinary(state, TheStock().plain); }
void BM_LoadStockBinZlib(benchmark::State& state) { LoadBinary(state, TheStock().zipped); }
BENCHMARK(BM_LoadStockBinPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStockBinZlib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
