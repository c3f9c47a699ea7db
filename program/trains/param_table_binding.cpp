// The program's parameter table: it parses through the program's parameter parser and
// expands patterns through the engine.
#include <vector>

#include "lumvatek/shared.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"

namespace yov {
namespace {

int32_t ExpandThroughEngine(std::u16string_view pattern, int32_t flags, std::vector<std::u16string>& out) {
    SharedArray<LvString> strings;
    const EngineText text(pattern);
    int16_t direction = -1;  // no direction wanted
    const int32_t n = lv::ExpandS(text.get(), strings.desc(), flags, &direction);
    out.assign(1, std::u16string());
    for (int32_t i = 1; i <= n && i < strings.length(); ++i) out.push_back(strings[i]);
    return n < 0 ? n : static_cast<int32_t>(out.size()) - 1;
}

ParamTableHooks ProgramHooks() {
    ParamTableHooks h;
    h.expand = ExpandThroughEngine;
    h.macroCount = [] { return programState().Shared.MacroCount; };
    h.errorNumberText = [](int32_t number) { return GetErrorNumberText(number); };
    // "*n": step text n of the train being started.
    h.trainText = [](int32_t n) -> std::u16string {
        TrainTable& t = trains();
        const int32_t cur = showState().CurTrain;
        if (!t.valid(cur) || n < 0 || n >= kStepTexts) return {};
        return t.at(cur).StepText[static_cast<size_t>(n)];
    };
    return h;
}

}  // namespace

ParamTable& paramTable() {
    static ParamTable table = [] {
        ParamTable t(paramParser());
        t.hooks = ProgramHooks();
        return t;
    }();
    return table;
}

}  // namespace yov
