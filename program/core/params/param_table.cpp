#include "program/core/params/param_table.h"

#include <algorithm>
#include <cmath>

#include "lumvatek/shared.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"

namespace yov {
namespace {

constexpr int32_t kErrMessage = 6002;
constexpr int32_t kPairGrowth = 20;
constexpr int32_t kItemGrowth = 100;
constexpr int32_t kBlockGrowth = 10;
constexpr int32_t kHighestTrainText = 12;
// ExpandParamText's expansion: the bracketed items as written, no names looked up.
constexpr int32_t kExpandRaw = 0x40000000;

int32_t EndOf(std::u16string_view text) { return static_cast<int32_t>(text.size()) + 1; }

bool IsListEdge(char16_t c) { return c == u',' || c == u';'; }

}  // namespace

int32_t ExpandThroughEngine(std::u16string_view pattern, int32_t flags, std::vector<std::u16string>& out) {
    SharedArray<LvString> strings;
    const EngineText text(pattern);
    int16_t direction = -1;  // no direction wanted
    const int32_t n = lv::ExpandS(text.get(), strings.desc(), flags, &direction);
    out.assign(1, std::u16string());
    for (int32_t i = 1; i <= n && i < strings.length(); ++i) out.push_back(strings[i]);
    return n < 0 ? n : static_cast<int32_t>(out.size()) - 1;
}

ParamTable& paramTable() {
    static ParamTable table(paramParser());
    return table;
}

void ParamTable::ClearParams() {
    Top = Base;
    parser_.ParamPositionalOnly = 0;
}

void ParamTable::AddParam(std::u16string_view name, std::u16string_view value) {
    if (value.empty()) return;
    ++Top;
    if (Top > Alloc) {
        Alloc = std::max(Alloc, Top - 1) + kPairGrowth;
        Names.resize(static_cast<size_t>(Alloc) + 1);
        Values.resize(static_cast<size_t>(Alloc) + 1);
    }
    Names[static_cast<size_t>(Top)] = name;
    Values[static_cast<size_t>(Top)] = value;
}

void ParamTable::ParseParamItem(std::u16string_view item) {
    const int32_t eq = parser_.Look(item, 1, EndOf(item), u'=');
    if (eq < 0) parser_.Raise(kErrMessage, parser_.Text(u"PARMA") + u": " + std::u16string(item));
    std::u16string name;
    std::u16string value;
    if (eq == 0) {
        name = plat::ucase(plat::trim(item));
        if (name.empty()) return;
        value = u"\x01";  // the name is present
    } else if (eq == 1) {
        parser_.Raise(kErrMessage, parser_.Text(u"SYNE"));
    } else {
        name = plat::ucase(plat::trim(item.substr(0, static_cast<size_t>(eq - 1))));
        value = plat::trim(item.substr(static_cast<size_t>(eq)));
    }
    name = parser_.EvalString(name);

    char16_t mode = 0;
    if (!name.empty() && (name.back() == u'-' || name.back() == u'+' || name.back() == u'#')) {
        mode = name.back();
        name.pop_back();
        name = plat::rtrim(name);
    }
    if (name.empty()) parser_.Raise(kErrMessage, parser_.Text(u"SYNE"));

    if (!value.empty() && value.front() == u'(' &&
        parser_.Look(value, 2, EndOf(value), u')') == static_cast<int32_t>(value.size())) {
        value = value.substr(1, value.size() - 2);
    }

    const int32_t last = std::min<int32_t>(Top, static_cast<int32_t>(Names.size()) - 1);
    const int32_t from = mode != 0 && ExtendBase >= 0 && ExtendBase < Base ? ExtendBase : std::max(Base, 0);
    for (int32_t i = from + 1; i <= last; ++i) {
        if (Names[static_cast<size_t>(i)] != name) continue;
        std::u16string& old = Values[static_cast<size_t>(i)];
        switch (mode) {
        case u'-': old = value + old; break;
        case u'+': old += value; break;
        case u'#': break;
        default: old = value; break;
        }
        return;
    }
    AddParam(name, value);
}

void ParamTable::ParseParamList(std::u16string_view text) {
    if (!text.empty() && text.front() == u'=') {
        ExpandParamText(text.substr(1));
        return;
    }
    if (!parser_.Balanced(text)) parser_.Raise(kErrMessage, parser_.Text(u"PARMA") + u": " + std::u16string(text));
    std::u16string rest(text);
    for (;;) {
        const int32_t p = parser_.Look(rest, 1, EndOf(rest), u';');
        if (p < 0) parser_.Raise(kErrMessage, parser_.Text(u"PARMA") + u": " + std::u16string(text));
        if (p == 0) {
            ParseParamItem(rest);
            return;
        }
        const std::u16string item = rest.substr(0, static_cast<size_t>(p - 1));
        std::u16string next = plat::trim(std::u16string_view(rest).substr(static_cast<size_t>(p)));
        while (!next.empty() && next.front() == u'(' &&
               parser_.Look(next, 2, EndOf(next), u')') == static_cast<int32_t>(next.size())) {
            next = next.substr(1, next.size() - 2);
        }
        ParseParamItem(item);
        rest = std::move(next);
    }
}

void ParamTable::ParseParams(std::u16string_view text) {
    ClearParams();
    ParseParamList(text);
}

std::u16string ParamTable::GetParam(std::u16string_view aliases, std::u16string_view defaultText) {
    if (!aliases.empty() && aliases.front() == u'*') {
        AliasIndex = -1;
        FoundIndex = -1;
        const int32_t n = std::clamp(plat::clampToInt32(plat::val(aliases.substr(1))), 0, kHighestTrainText);
        return upperCalls().trainStepText != nullptr ? upperCalls().trainStepText(n) : std::u16string();
    }
    const int32_t last = std::min<int32_t>(Top, static_cast<int32_t>(Names.size()) - 1);
    int32_t aliasNumber = 0;
    size_t from = 0;
    for (;;) {
        size_t comma = aliases.find(u',', from);
        if (comma == std::u16string_view::npos) comma = aliases.size();
        const std::u16string_view alias = aliases.substr(from, comma - from);
        ++aliasNumber;
        for (int32_t i = std::max(Base, 0) + 1; i <= last; ++i) {
            if (Names[static_cast<size_t>(i)] != alias) continue;
            // An empty value hides the later ones and gives the default.
            if (Values[static_cast<size_t>(i)].empty()) {
                AliasIndex = 0;
                FoundIndex = 0;
                return std::u16string(defaultText);
            }
            AliasIndex = aliasNumber;
            FoundIndex = i;
            return Values[static_cast<size_t>(i)];
        }
        if (comma >= aliases.size()) break;
        from = comma + 1;
    }
    AliasIndex = 0;
    FoundIndex = 0;
    return std::u16string(defaultText);
}

int32_t ParamTable::Expand(std::u16string_view pattern, int32_t flags) {
    ExpandResult.assign(1, std::u16string());
    const int32_t n = ExpandThroughEngine(pattern, flags, ExpandResult);
    if (n < 0) parser_.Raise(kErrMessage, GetErrorNumberText(-n));
    return std::min<int32_t>(n, static_cast<int32_t>(ExpandResult.size()) - 1);
}

void ParamTable::ExpandParamText(std::u16string_view text) {
    if (text.empty()) return;
    const int32_t macros = programState().Shared.MacroCount;
    const int32_t n = Expand(text, macros | kExpandRaw);
    // The items are parsed as they come; keep the strings, the parsing may expand again.
    const std::vector<std::u16string> strings = ExpandResult;
    for (int32_t k = 1; k <= n; ++k) {
        std::u16string s = strings[static_cast<size_t>(k)];
        for (;;) {
            while (!s.empty() && IsListEdge(s.front())) s.erase(0, 1);
            while (!s.empty() && IsListEdge(s.back())) s.pop_back();
            if (s.empty()) break;
            if (s.front() != u'[') parser_.Raise(kErrMessage, parser_.Text(u"APMB"));
            const int32_t close = parser_.Look(s, 2, EndOf(s), u']');
            if (close <= 0) parser_.Raise(kErrMessage, parser_.Format(u"MISB", s));
            ParseParamItem(std::u16string_view(s).substr(1, static_cast<size_t>(close - 2)));
            s.erase(0, static_cast<size_t>(close));
        }
    }
}

std::u16string ParamTable::ExpandText(std::u16string_view text, int32_t flags) {
    if (text.empty()) return {};
    const int32_t n = Expand(text, flags);
    std::u16string joined;
    for (int32_t k = 1; k <= n; ++k) {
        if (k > 1) joined += u',';
        joined += ExpandResult[static_cast<size_t>(k)];
    }
    return joined;
}

float ParamTable::GetParamNumber(std::u16string_view aliases, int32_t reference) {
    std::u16string s = GetParam(aliases, u"");
    if (s.empty()) {
        const bool noDefault = (static_cast<uint32_t>(reference) & 0xC0000000u) == 0x80000000u;
        return noDefault ? 0.0f : static_cast<float>(reference);
    }
    double factor = 1;
    if (s.back() == u'%') {
        factor = static_cast<double>(static_cast<uint32_t>(reference) & 0x0FFFFFFFu) / 100;
        s.pop_back();
    }
    return static_cast<float>(parser_.HoldNumber(factor * parser_.EvalNumber(s).number(), s));
}

float ParamTable::GetParamOrRandom(std::u16string_view aliases, float defaultValue, std::u16string_view fallback) {
    float v = 0;
    try {
        v = GetParamNumber(aliases, 0);
    } catch (...) {
        v = 0;
    }
    if (v == 0) v = defaultValue;
    if (v == 0 && !fallback.empty()) v = static_cast<float>(parser_.EvalNumber(fallback).number());
    if (v == 0) v = DefaultSpeed;
    if (v == 0) {
        const double r = 10 * paramDraws().fraction() + 2;
        const double whole = std::floor(r);
        const double f = r - whole;
        v = static_cast<float>(f < 0.22 ? whole : f > 0.78 ? whole + 1 : r);
    }
    return v;
}

void ParamTable::BlankFoundParam() {
    if (FoundIndex > 0 && static_cast<size_t>(FoundIndex) < Values.size())
        Values[static_cast<size_t>(FoundIndex)].clear();
}

void ParamTable::WithParams(std::u16string_view text, const std::function<void()>& use) {
    struct Restore {
        ParamTable& t;
        int32_t base;
        int32_t top;
        uint8_t positionalOnly;
        ~Restore() {
            t.Base = base;
            t.Top = top;
            t.parser_.ParamPositionalOnly = positionalOnly;
        }
    } restore{*this, Base, Top, parser_.ParamPositionalOnly};
    Base = Top;
    ParseParams(text);
    use();
}

int32_t ParamTable::AddScriptItem(std::u16string_view text, ScriptPosition at) {
    ++ItemCount;
    if (ItemCount > ItemAlloc) {
        ItemAlloc = std::max(ItemAlloc, ItemCount - 1) + kItemGrowth;
        Items.resize(static_cast<size_t>(ItemAlloc) + 1);
    }
    ScriptItem& item = Items[static_cast<size_t>(ItemCount)];
    item = ScriptItem{};
    item.Text = text;
    item.FileIndex = at.FileIndex;
    item.Line = at.Line;
    return ItemCount;
}

int32_t ParamTable::PushBlock(std::u16string_view text, ScriptPosition at) {
    ++BlockCount;
    if (BlockCount > BlockAlloc) {
        BlockAlloc = std::max(BlockAlloc, BlockCount - 1) + kBlockGrowth;
        Blocks.resize(static_cast<size_t>(BlockAlloc) + 1);
    }
    const int32_t index = AddScriptItem(text, at);
    Blocks[static_cast<size_t>(BlockCount)] = index;
    return index;
}

uint8_t ParamTable::BlockHasKind(std::u16string_view kinds) const {
    if (BlockCount < 1) return 0;
    const std::u16string& header = Items[static_cast<size_t>(Blocks[static_cast<size_t>(BlockCount)])].Text;
    if (header.size() < 2) return 0;
    const size_t at = kinds.find(header[1]);
    return at == std::u16string_view::npos ? 0 : static_cast<uint8_t>(std::min<size_t>(at + 1, 255));
}

void ParamTable::ClearItems() {
    ItemCount = 0;
    BlockCount = 0;
}

}  // namespace yov
