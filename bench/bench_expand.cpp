// Expansions per second of a typical train pattern: a locomotive, wagons chosen by weight,
// a repeated group, a macro and an image limit, over a stock of a few hundred vehicles.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

uint32_t g_seed = 12345;

int32_t Random(int32_t n, int32_t) noexcept {
    g_seed = g_seed * 1103515245u + 12345u;
    return n < 2 ? 0 : static_cast<int32_t>((g_seed >> 8) % static_cast<uint32_t>(n));
}

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

void Define(const std::string& name, const std::string& value) {
    char16_t* n = LvTextAlloc(Widen(name));
    char16_t* v = LvTextAlloc(Widen(value));
    DefMac(n, v);
    LvTextFree(n);
    LvTextFree(v);
}

void BM_ExpandTrain(benchmark::State& state) {
    SharedState shared;
    std::u16string letters = u" RESATFOPMHB1";
    shared.TypeCodeLetters = letters.c_str();
    shared.PictureHeight = 58;
    SharedArray<StockEntry> stock;
    SharedArray<LvString> strings;
    const int count = 300;
    stock.redim(count);
    for (int i = 1; i <= count; ++i) {
        stock[i].Name = Widen((i % 3 == 0 ? "LOCO" : "CAR") + std::to_string(i));
        stock[i].WayLetter = letters[static_cast<size_t>(1 + i % 12)];
        stock[i].Width = static_cast<int16_t>(40 + i % 60);
        stock[i].FileIndex = 1;
    }
    stock[count].Name = u"RAKE";
    stock[count].FileIndex = 0x7FFF;
    stock[count].Text2 = u"!CAR10,!CAR11,!CAR13";
    shared.StockCount = count;
    lvk::BindShared(&shared, &Random);
    PrepareLookStock(stock.desc(), count);
    MacIni();
    Define("COACHES", "3:CAR1|2:CAR2|CAR4|CAR5");
    Define("FREIGHT", "2-5*(CAR7|CAR8|2:CAR14),RAKE");
    SortMac();
    const std::u16string pattern =
        u"<[MAXIMAGE:24][MAXPIXEL:4000]LOCO3,(LOCO6|LOCO9)[FLIP],4*COACHES,2@(CAR16|CAR17),"
        u"FREIGHT,$MIX(CAR19,CAR20,CAR22)";
    char16_t* text = LvTextAlloc(pattern);
    int64_t expansions = 0, items = 0;
    for (auto _ : state) {
        shared.ExpandState1 = 1;
        int16_t direction = 0;
        const int32_t n = ExpandS(text, strings.desc(), 0x100, &direction);
        if (n < 0) {
            state.SkipWithError("ExpandS failed");
            break;
        }
        items += n;
        ++expansions;
    }
    state.SetItemsProcessed(expansions);
    state.counters["strings_per_expansion"] =
        expansions > 0 ? static_cast<double>(items) / static_cast<double>(expansions) : 0;
    LvTextFree(text);
    MacFree();
    PrepareLookStock(nullptr, 0);
    lvk::BindShared(nullptr, nullptr);
}
BENCHMARK(BM_ExpandTrain);

}  // namespace

BENCHMARK_MAIN();
