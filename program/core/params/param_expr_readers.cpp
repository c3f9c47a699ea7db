// The expression parser's typed readers: the next parameter of a line as text, named
// number, fraction, colour or boolean; weighted picks and ";" lists.
#include <algorithm>
#include <limits>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "program/core/pictures/picture_build_state.h"

namespace yov {
namespace {

constexpr int32_t kStyleOk = 64;
constexpr std::u16string_view kNameLetters = u"<_LBADU*MK>&^RJTF";

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Colour components are bytes: anything outside clamps instead of overflowing.
int32_t Component(double v) { return std::clamp(plat::clampToInt32(v), 0, 255); }

}  // namespace

std::u16string ParamParser::GetStringParam(int32_t flags, int32_t id) {
    std::u16string s;
    const int32_t length = static_cast<int32_t>(ParamText.size());
    if (ParamPos <= length || ParamPositionalOnly != 0) {
        // A copy: the cursor's text may be replaced by whatever the evaluation reaches.
        const std::u16string text = ParamText;
        s = GetNextToken(text, ParamPos, length + 1, u",;");
        if (!s.empty()) ParamSource = -2;
    } else if (id == 0) {
        ParamSource = 0;
        return {};
    } else {
        std::u16string aliases = AliasList(id);
        if (aliases.size() > 64) aliases.resize(64);
        ParamTable& table = paramTable();
        s = table.GetParam(aliases, u"");
        ParamSource = table.FoundIndex;
    }
    if ((flags & kParamRaw) == 0) s = plat::trim(EvalString(s));

    if (!s.empty() && s.front() == u'"') {
        if (s.size() < 2 || s.back() != u'"') RaiseMessage(Text(u"STRE"));
        // Inside the quotes each doubled quote stands for one.
        std::u16string inner;
        for (size_t i = 1; i + 1 < s.size(); ++i) {
            inner += s[i];
            if (s[i] == u'"' && i + 2 < s.size() && s[i + 1] == u'"') ++i;
        }
        s = u"\"" + inner + u"\"";
    }
    return s;
}

int32_t ParamParser::GetNamedNumber(int32_t defaultValue, std::u16string_view letters, int32_t id) {
    std::u16string s = GetStringParam(kParamRaw, id);
    NameIndex = 0;
    if (!letters.empty() && !s.empty()) {
        const size_t at = letters.find(s.front());
        if (at != std::u16string_view::npos) {
            NameIndex = static_cast<int16_t>(at + 1);
            s = plat::ltrim(std::u16string_view(s).substr(1));
        }
    }
    if (!s.empty() && s.front() == u'$') {
        const std::u16string name = plat::ucase(plat::ltrim(std::u16string_view(s).substr(1)));
        if (name == u"BH") return pictureBuildState().BaseHeight;
        if (name == u"BW") return pictureBuildState().BaseWidth;
        Raise(6002, u"Unknown number name: " + s);
    }
    if (s.empty()) return defaultValue;
    return ToLong(EvalNumber(s).number());
}

int32_t ParamParser::GetLetterNumber(int16_t& kind, int32_t defaultValue, int32_t id) {
    const int32_t v = GetNamedNumber(defaultValue, kNameLetters, id);
    kind = NameIndex < 8 ? 0 : NameIndex <= 10 ? 1 : 2;
    return v;
}

float ParamParser::GetFractionParam(float defaultValue, int32_t id) {
    const std::u16string s = GetStringParam(kParamRaw, id);
    if (s.empty()) return defaultValue;
    double v = EvalNumber(s).number();
    // Above 1 in magnitude it is a percentage.
    if (v > 1 || v < -1) v /= 100;
    const std::optional<float> f = plat::toSingle(v);
    if (!f) Raise(6, u"Overflow");
    return *f;
}

ParamValue ParamParser::EvalRelativeValue(std::u16string_view text, std::optional<double> base) {
    if (!base) return EvalNumber(text);
    if (text.empty()) return ParamValue::dbl(*base);
    if (text.back() == u'%') {
        return ParamValue::dbl(HoldNumber(EvalNumber(text.substr(0, text.size() - 1)).number() * *base / 100, text));
    }
    return EvalNumber(text);
}

int32_t ParamParser::ParseColor(std::u16string_view text, uint8_t pixelAllowed) {
    if (!text.empty() && text.front() == u'#') {
        int32_t rgb[3] = {0, 0, 0};
        bool ok = text.size() == 7;
        for (size_t i = 1; ok && i < 7; ++i) {
            const int d = HexDigit(text[i]);
            ok = d >= 0;
            rgb[(i - 1) / 2] = rgb[(i - 1) / 2] * 16 + d;
        }
        if (!ok) RaiseMessage(Format(u"ILCC", text));
        return rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
    }
    const std::vector<std::u16string> parts = plat::split(text, u",");
    if (parts.size() == 3) {
        const int32_t r = Component(EvalRelativeValue(parts[0]).number());
        const int32_t g = Component(EvalRelativeValue(parts[1]).number());
        const int32_t b = Component(EvalRelativeValue(parts[2]).number());
        return r + 256 * g + 65536 * b;
    }
    if (parts.size() == 2) {
        if (pixelAllowed == 0) RaiseMessage(u"Color in Pixel coordinate mode not allowed here");
        const int32_t x = plat::clampToInt32(plat::val(parts[0]));
        const int32_t y = plat::clampToInt32(plat::val(parts[1]));
        // No current part, or a pixel the canvas does not have: an illegal colour, not the
        // failed read taken as one.
        const std::optional<int32_t> colour = PartPixel(x, y);
        if (!colour) RaiseMessage(Format(u"ILCC", text));
        return *colour;
    }
    RaiseMessage(Format(u"ILCC", text));
}

int32_t ParamParser::ParseColorParam(std::u16string_view text, int32_t& second) {
    const size_t slash = text.find(u'/');
    if (slash == std::u16string_view::npos) {
        second = -1;
        return ParseColor(text, 1);
    }
    const int32_t first = ParseColor(plat::trim(text.substr(0, slash)), 1);
    second = ParseColor(plat::trim(text.substr(slash + 1)), 1);
    return first;
}

uint8_t ParamParser::ParseBoolean(std::u16string_view text) {
    if (text.empty()) return 1;
    switch (plat::toUpper(text.front())) {
    case u'F':
    case u'N':
    case u'H':
    case u'0': return 0;
    case u'T':
    case u'Y':
    case u'J':
    case u'D':
    case u'I':
    case u'1': return 1;
    default: ShowMessage(Text(u"BOOLIL") + u": " + std::u16string(text), kStyleOk); return 0;
    }
}

std::u16string ParamParser::PickWeightedAlternative(std::u16string_view text) {
    const int32_t end = static_cast<int32_t>(text.size()) + 1;
    int32_t bar = Look(text, 1, end, u'|');
    if (bar < 0) Raise(6003, Text(u"UBP"));
    if (bar == 0) return std::u16string(text);

    const size_t base = alternatives_.size();
    struct Pop {
        std::vector<Alternative>& s;
        size_t base;
        ~Pop() { s.resize(base); }
    } pop{alternatives_, base};
    int32_t from = 1;
    for (;;) {
        const size_t a = static_cast<size_t>(from - 1);
        const size_t b = static_cast<size_t>((bar == 0 ? end : bar) - 1);
        const std::u16string alt = plat::trim(text.substr(a, b - a));
        const int32_t colon = Look(alt, 1, static_cast<int32_t>(alt.size()) + 1, u':');
        if (colon < 0) Raise(6003, Text(u"UBP"));
        if (colon > 0) {
            const int32_t weight =
                ToLong(plat::val(std::u16string_view(alt).substr(0, static_cast<size_t>(colon - 1))));
            alternatives_.push_back({alt.substr(static_cast<size_t>(colon)), std::max(weight, 0)});
        } else {
            alternatives_.push_back({alt, 1});
        }
        if (bar == 0) break;
        from = bar + 1;
        bar = Look(text, from, end, u'|');
        if (bar < 0) Raise(6003, Text(u"UBP"));
    }
    return PickAlternative(base, 21002);
}

std::u16string ParamParser::NextListItem(std::u16string& list, std::u16string_view context) {
    size_t start = 0;
    for (;;) {
        const size_t semi = list.find(u';', start);
        const size_t brace = list.find(u'{', start);
        if (brace != std::u16string::npos && (semi == std::u16string::npos || brace < semi)) {
            // ";" inside braces does not separate.
            const size_t close = list.find(u'}', brace + 1);
            if (close == std::u16string::npos) {
                ShowMessage(Text(u"ILPAR") + std::u16string(context), kStyleOk);
                list.clear();
                return {};
            }
            start = close + 1;
            continue;
        }
        if (semi == std::u16string::npos) {
            std::u16string item = plat::trim(list);
            list.clear();
            return item;
        }
        std::u16string item = plat::trim(std::u16string_view(list).substr(0, semi));
        list.erase(0, semi + 1);
        return item;
    }
}

}  // namespace yov
