// Binary stock files of any bytes. The reader may refuse a file but must not crash, hang,
// read outside its window or size a table beyond what the file holds; a file it takes is
// written again in its own version and must read back to the same tables. The record
// streams of the stock windows are read from the same bytes.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

struct Program {
    SharedState shared;
    SharedArrays arrays;

    void Reset() {
        for (LvArrayDesc* d : {arrays.Stock.desc(), arrays.StockFiles.desc(), arrays.Authors.desc(),
                               arrays.LibInfos.desc(), arrays.Categories.desc(), arrays.LangTexts.desc(),
                               arrays.DescKeys.desc(), arrays.DescValues.desc(), arrays.DescTexts.desc()})
            d->redim(d, -1);
        arrays.Languages.redim(-1);
        arrays.Languages.redim(10);
        for (int32_t* count : {&shared.LanguageCount, &shared.LangTextCount, &shared.PictureHeight, &shared.AuthorCount,
                               &shared.LibInfoCount, &shared.CategoryCount, &shared.StockFileCount, &shared.StockCount,
                               &shared.DescKeyCount, &shared.DescValueCount, &shared.DescTextCount})
            *count = 0;
    }
};

Program& P() {
    static Program* program = [] {
        auto* p = new Program;
        lvk::BindShared(&p->shared, nullptr);
        lvk::BindArrays(p->arrays);
        return p;
    }();
    return *program;
}

void Add(std::string& out, const std::u16string& s) {
    out += std::to_string(s.size()) + ":";
    out.append(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}
void Add(std::string& out, int64_t v) { out += std::to_string(v) + ";"; }

// What the binary form carries, in one text.
std::string Dump() {
    const Program& p = P();
    auto& a = const_cast<SharedArrays&>(p.arrays);
    const SharedState& s = p.shared;
    const int32_t L = s.LanguageCount;
    std::string d;
    Add(d, L);
    for (int32_t i = 1; i <= L; ++i) {
        Add(d, a.Languages[i].Code), Add(d, a.Languages[i].LangTR);
        for (int32_t j = 0; j <= L; ++j) Add(d, a.Languages[i].Names[j]);
    }
    Add(d, s.LangTextCount);
    for (int32_t i = 1; i <= s.LangTextCount; ++i) {
        Add(d, a.LangTexts[i].Key);
        for (int32_t j = 0; j <= L; ++j) Add(d, a.LangTexts[i].Texts[j]);
    }
    Add(d, s.PictureHeight);
    Add(d, s.AuthorCount);
    for (int32_t i = 1; i <= s.AuthorCount; ++i) {
        const AuthorEntry& e = a.Authors[i];
        for (const LvString* t : {&e.Key, &e.ShortName, &e.Name, &e.Mail, &e.HomePage, &e.Description}) Add(d, *t);
    }
    Add(d, s.LibInfoCount);
    for (int32_t i = 1; i <= s.LibInfoCount; ++i) {
        const LibInfoEntry& e = a.LibInfos[i];
        for (const LvString* t : {&e.Key, &e.Name, &e.Author, &e.HomePage, &e.Description}) Add(d, *t);
    }
    Add(d, s.CategoryCount);
    for (int32_t i = 1; i <= s.CategoryCount; ++i) {
        const CategoryEntry& c = a.Categories[i];
        Add(d, c.Level), Add(d, c.FirstEntry), Add(d, c.Key), Add(d, c.Text);
        for (int32_t j = 0; j <= L; ++j) Add(d, c.Names[j]);
    }
    Add(d, s.StockFileCount);
    for (int32_t i = 1; i <= s.StockFileCount; ++i)
        Add(d, a.StockFiles[i].Kind), Add(d, a.StockFiles[i].Path), Add(d, a.StockFiles[i].LibInfo);
    Add(d, s.StockCount);
    for (int32_t i = 1; i <= s.StockCount; ++i) {
        const StockEntry& e = a.Stock[i];
        Add(d, e.Name), Add(d, e.TypeLetter), Add(d, e.WayLetter), Add(d, e.UMark), Add(d, e.FileIndex);
        Add(d, e.Text2), Add(d, e.Text3), Add(d, e.DescNumber), Add(d, e.Author);
    }
    Add(d, s.DescKeyCount);
    for (int32_t i = 1; i <= s.DescKeyCount; ++i) {
        const DescKeyEntry& k = a.DescKeys[i];
        Add(d, k.Key), Add(d, k.Unit), Add(d, k.FirstValue), Add(d, k.LastValue), Add(d, k.Abbrev), Add(d, k.Flags);
        for (int32_t j = 0; j <= L; ++j) Add(d, k.Names[j]);
    }
    Add(d, s.DescValueCount);
    for (int32_t i = 1; i <= s.DescValueCount; ++i) {
        const DescValueEntry& v = a.DescValues[i];
        Add(d, v.Key), Add(d, v.S), Add(d, v.Abbrev);
        for (int32_t j = 0; j <= L; ++j) Add(d, v.Names[j]);
    }
    Add(d, s.DescTextCount);
    for (int32_t i = 1; i <= s.DescTextCount; ++i) Add(d, a.DescTexts[i]);
    return d;
}

int32_t NoEntry(int32_t, const StockEntry*) noexcept { return 0; }
int32_t NoText(int32_t, const char16_t*) noexcept { return 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t n = static_cast<int32_t>(std::min<size_t>(size, 1 << 20));
    GetStockData(data, n, 0, 64, &NoEntry, size > 0 ? data[0] & 1 : 0);
    GetDescTxtData(data, n, 0, 64, &NoText);

    static const std::string in = "/tmp/fuzz_stock_bin." + std::to_string(::getpid()) + ".stb";
    static const std::string out = "/tmp/fuzz_stock_bin." + std::to_string(::getpid()) + ".out.stb";
    FILE* f = std::fopen(in.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    Program& p = P();
    p.Reset();
    int32_t colour = 0;
    if (LoadStockBin(in.c_str(), 0, &colour) != 0) return 0;
    // Very large stocks are left out of the round trip to keep within the fuzzer's memory.
    if (p.shared.StockCount > 100000) return 0;
    const std::string before = Dump();
    const int version = data[5] - '0';
    if (SaveStockBin(version, 0, out.c_str(), colour) != 0) std::abort();
    p.Reset();
    int32_t again = 0;
    if (LoadStockBin(out.c_str(), 0, &again) != 0 || again != colour || Dump() != before) std::abort();
    return 0;
}
