// The program's parameter expression parser and parameter table over arbitrary texts, with
// the engine's own bracket search and alias lists.
//
// Input: byte 0 seeds the random draws, byte 1 picks the readers to run; the rest is the
// text, one byte per character. Errors of the language are expected (the parser raises
// them as ProgramError); anything else, a hang past the parser's budgets, or a parser left
// unusable afterwards is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "param_fuzz.h"

using fuzz_param::Try;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (fuzz_param::StartProgram(), true);
    (void)ready;
    if (size < 2) return 0;
    fuzz_param::SeedDraws(data[0]);
    const uint8_t pick = data[1];
    const std::u16string text = fuzz_param::TextFrom(data, size, 2);

    yov::ParamParser& p = yov::paramParser();
    yov::ParamTable& table = yov::paramTable();
    p.ParamText.clear();
    p.ParamPos = 1;

    Try([&] { table.ParseParams(text); });
    Try([&] { table.GetParam(u"A,B,X,TX", u"d"); });
    Try([&] {
        const std::u16string s = p.EvalString(text);
        if (s.size() > yov::kMaxExpansionLength) std::abort();
    });
    Try([&] { p.EvalNumber(text); });
    if (pick & 0x01) Try([&] { p.PickWeightedAlternative(text); });
    if (pick & 0x02) {
        Try([&] { p.ParseColor(text, 1); });
        int32_t second = 0;
        Try([&] { p.ParseColorParam(text, second); });
    }
    if (pick & 0x04) {
        p.ParseBoolean(text);
        std::u16string list = text;
        for (int i = 0; i < 64 && !list.empty(); ++i) p.NextListItem(list, u"");
    }
    if (pick & 0x08) {
        // The text as a line's positional parameters, read by every reader in turn.
        p.ParamText = text;
        p.ParamPos = 1;
        for (int i = 0; i < 16; ++i) {
            int16_t kind = 0;
            Try([&] { p.GetStringParam(0, 3); });
            Try([&] { p.GetLetterNumber(kind, 0, 4); });
            Try([&] { p.GetFractionParam(0.5f, 26); });
            Try([&] { p.EvalRelativeValue(p.GetStringParam(yov::kParamRaw, 8), 300.0); });
        }
    }
    if (pick & 0x10) Try([&] { table.ExpandText(text, 0); });

    // Whatever happened, the parser is usable again: nesting and stacks unwound.
    p.ParamText.clear();
    table.ParseParams(u"");
    if (p.EvalString(u"2*x") != u"2*X") std::abort();
    if (p.EvalString(u"(2*y)") != u"Y,Y") std::abort();
    return 0;
}
