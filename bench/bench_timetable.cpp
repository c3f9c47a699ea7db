// Lines per second of the timetable reader over a large generated script with macros,
// conditionals, comments, strings and continuations.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

std::u16string GenerateScript(int lines) {
    std::string s =
        "%DEF(LOCO=BR101)\n"
        "%*DEF(TRAIN(loco,cars)=%loco;,%cars;*(A|B|2:C)[MAXIMAGE:12])\n"
        "%*DEF(WAGONS(n)={LONG?%n;?2})\n";
    for (int i = 0; i < lines; ++i) {
        switch (i % 8) {
        case 0: s += "# generated comment line " + std::to_string(i) + "\n"; break;
        case 1: s += "$SECT Section" + std::to_string(i) + " /* inline comment */\n"; break;
        case 2: s += "  TRAIN=%TRAIN(%LOCO,%WAGONS(6));  SPEED=80 \n"; break;
        case 3: s += "{NIGHT?LIGHTS=1?LIGHTS=0} {LONG&&!NIGHT?EXTRA=1}\n"; break;
        case 4: s += "TEXT=\"quoted /* not a comment */ {not a condition}\" \\\n    NEXT=2\n"; break;
        case 5: s += "{(SPEED_LIMIT*3)/2>=120||NIGHT?FAST=1?SLOW=1}\n"; break;
        case 6: s += "$INFO free text with % and {braces}\n"; break;
        default: s += "PATH=1,2,3,4;DELAY=10;COUNT=%WAGONS(3);\n"; break;
        }
    }
    std::u16string u;
    u.reserve(s.size());
    for (unsigned char c : s) u += static_cast<char16_t>(c);
    return u;
}

void SetOption(const char16_t* name, int32_t value) {
    char16_t* n = LvTextAlloc(std::u16string(name));
    SetTtOption(n, value);
    LvTextFree(n);
}

void BM_ReadScript(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    char16_t* text = LvTextAlloc(GenerateScript(lines));
    char16_t* buffer = LvTextAlloc(std::u16string(1024, u' '));
    SharedState shared;
    lvk::BindShared(&shared, nullptr);
    int64_t total = 0;
    for (auto _ : state) {
        InitTtRead();
        SetOption(u"NIGHT", 1);
        SetOption(u"LONG", 1);
        SetOption(u"SPEED_LIMIT", 100);
        OpenTtFile("bench", 0, text);
        int32_t value, line;
        while (GetTtLine(buffer, &value, &line) >= 0) ++total;
        FinishTtRead();
    }
    state.SetItemsProcessed(total);
    state.SetLabel("lines");
    lvk::BindShared(nullptr, nullptr);
    LvTextFree(buffer);
    LvTextFree(text);
}
BENCHMARK(BM_ReadScript)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
