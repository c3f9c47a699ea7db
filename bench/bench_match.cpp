// The wildcard matcher's worst cases against its floor, a plain pattern of the same length
// as the text, in the same run: a long run of "*" before a character the text lacks, stars
// each followed by a character (every star grows), and one "*" before a long literal that
// almost matches everywhere (pattern length times text length steps). Each case's time is
// printed at the end as a multiple of the floor's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

constexpr int kTextLength = 800;

void RunMatch(benchmark::State& state, const std::u16string& pattern, const std::u16string& text) {
    char16_t* p = LvTextAlloc(pattern);
    char16_t* t = LvTextAlloc(text);
    char16_t* templ = LvTextAlloc(u"%1%9");
    char16_t* out = LvTextAlloc(std::u16string(2 * text.size(), u' '));
    for (auto _ : state) benchmark::DoNotOptimize(Match(p, t, templ, out));
    LvTextFree(out);
    LvTextFree(templ);
    LvTextFree(t);
    LvTextFree(p);
}

const std::u16string& Text() {
    static const std::u16string text(kTextLength, u'a');
    return text;
}

void BM_MatchPlain(benchmark::State& state) { RunMatch(state, Text(), Text()); }
BENCHMARK(BM_MatchPlain);

void BM_MatchStarRun(benchmark::State& state) { RunMatch(state, std::u16string(1000, u'*') + u"b", Text()); }
BENCHMARK(BM_MatchStarRun);

void BM_MatchStarEach(benchmark::State& state) {
    std::u16string pattern;
    for (int i = 0; i < 400; ++i) pattern += u"*a";
    RunMatch(state, pattern + u"b", Text());
}
BENCHMARK(BM_MatchStarEach);

void BM_MatchLongLiteral(benchmark::State& state) {
    RunMatch(state, u"*" + std::u16string(kTextLength / 2, u'a') + u"b", Text());
}
BENCHMARK(BM_MatchLongLiteral);

class FloorReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto floor = times_.find("BM_MatchPlain");
        if (floor == times_.end() || floor->second <= 0) return;
        for (const auto& [name, time] : times_) {
            if (name != floor->first) std::printf("%s / BM_MatchPlain: %.1f\n", name.c_str(), time / floor->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    FloorReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
