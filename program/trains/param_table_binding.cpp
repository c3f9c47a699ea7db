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

void ClearParams() { paramTable().ClearParams(); }
void AddParam(std::u16string_view name, std::u16string_view value) { paramTable().AddParam(name, value); }
void ParseParamItem(std::u16string_view item) { paramTable().ParseParamItem(item); }
void ParseParamList(std::u16string_view text) { paramTable().ParseParamList(text); }
void ParseParams(std::u16string_view text) { paramTable().ParseParams(text); }
std::u16string GetParam(std::u16string_view aliases, std::u16string_view defaultText) {
    return paramTable().GetParam(aliases, defaultText);
}
void BlankFoundParam() {
    ParamTable& t = paramTable();
    if (t.FoundIndex > 0 && static_cast<size_t>(t.FoundIndex) < t.Values.size())
        t.Values[static_cast<size_t>(t.FoundIndex)].clear();
}
void ExpandParamText(std::u16string_view text) { paramTable().ExpandParamText(text); }
std::u16string ExpandText(std::u16string_view text, int32_t flags) { return paramTable().ExpandText(text, flags); }
float GetParamNumber(std::u16string_view aliases, int32_t reference) {
    return paramTable().GetParamNumber(aliases, reference);
}
float GetParamOrRandom(std::u16string_view aliases, float defaultValue, std::u16string_view fallback) {
    return paramTable().GetParamOrRandom(aliases, defaultValue, fallback);
}
int32_t AddScriptItem(std::u16string_view text) { return paramTable().AddScriptItem(text); }
int32_t PushBlock(std::u16string_view text) { return paramTable().PushBlock(text); }
uint8_t BlockHasKind(std::u16string_view kinds) { return paramTable().BlockHasKind(kinds); }

}  // namespace yov
