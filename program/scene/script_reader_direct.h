// A script reader over the engine linked in directly (the fuzz target, the benchmark),
// not through the program's binding: its own parser and parameter table, no program
// services behind its hooks.
#pragma once

#include "lumvatek/exports.h"
#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "program/scene/script_reader.h"

namespace yov {

inline TtCalls DirectTtCalls() {
    TtCalls t;
    t.InitTtRead = &::InitTtRead;
    t.FinishTtRead = &::FinishTtRead;
    t.SetTtOption = &::SetTtOption;
    t.OpenTtFile = &::OpenTtFile;
    t.TtFileClose = &::TtFileClose;
    t.GetTtLine = &::GetTtLine;
    t.GetTtPosition = &::GetTtPosition;
    t.MacIni = &::MacIni;
    t.DefMac = &::DefMac;
    t.SortMac = &::SortMac;
    t.MacFree = &::MacFree;
    return t;
}

struct DirectScriptReader {
    ParamParser parser;
    ParamTable table{parser};
    ScriptReader reader{parser, table};

    DirectScriptReader() {
        parser.hooks.rlook = &::RLook;
        parser.hooks.getParam = [this](std::u16string_view aliases, std::u16string_view def, int32_t& source) {
            std::u16string v = table.GetParam(aliases, def);
            source = table.FoundIndex;
            return v;
        };
        reader.hooks.tt = DirectTtCalls();
        reader.hooks.languageCodes = [] { return std::vector<std::u16string>{u"N", u"E"}; };
        reader.hooks.programVersion = [] { return std::u16string(u"4.3.10"); };
        reader.hooks.engineVersion = [] { return std::u16string(u"4.3.8F"); };
    }
    DirectScriptReader(const DirectScriptReader&) = delete;
    DirectScriptReader& operator=(const DirectScriptReader&) = delete;
};

}  // namespace yov
