#include "program/core/texts/lang_texts.h"

#include <algorithm>
#include <charconv>
#include <new>

#include "platform/text.h"
#include "program/core/params/param_table.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/startup/main_module.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/number_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/progress.h"
#include "program/core/windows/utilities.h"

namespace yov {

namespace {

constexpr size_t kMaxKeyLength = 10;

// The entries 1..count that really exist: the engine writes the count itself.
int32_t usableTextCount() {
    const ProgramState& st = programState();
    return std::clamp(st.Shared.LangTextCount, 0, std::max(0, st.Arrays.LangTexts.length() - 1));
}

int32_t currentLanguage() {
    const uint8_t lang = programState().Shared.CurrentLanguage;
    return lang < kLanguageSlots ? lang : 0;
}

std::u16string expandEscapes(std::u16string_view t) {
    std::u16string out;
    out.reserve(t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != u'\\' || i + 1 >= t.size()) {
            out += t[i];
            continue;
        }
        switch (t[i + 1]) {
        case u'n': out += u"\r\n"; break;
        case u't': out += u'\t'; break;
        case u',': out += u';'; break;
        case u'\\': out += u'\\'; break;
        case u'<': out += u'('; break;
        case u'>': out += u')'; break;
        case u'+': out += u'{'; break;
        case u'-': out += u'}'; break;
        default: out += t[i]; continue;  // the next character is read as any other
        }
        ++i;
    }
    return out;
}

}  // namespace

int32_t AllocLangText() {
    ProgramState& st = programState();
    SharedState& sh = st.Shared;
    const int32_t n = sh.LangTextCount + 1;
    if (n > sh.LangTextAlloc || n >= st.Arrays.LangTexts.length()) {
        const int32_t capacity = std::max(sh.LangTextAlloc + 10, n);
        if (!st.Arrays.LangTexts.redim(capacity)) throw std::bad_alloc();
        sh.LangTextAlloc = capacity;
    }
    sh.LangTextCount = n;
    st.log.LangTextsSorted = 0;
    return n;
}

void SortLangTexts() {
    ProgramState& st = programState();
    const int32_t count = usableTextCount();
    // Stable like the exchange sort it stands for, so equal keys keep their order.
    if (count > 1) {
        std::stable_sort(st.Arrays.LangTexts.begin() + 1, st.Arrays.LangTexts.begin() + 1 + count,
                         [](const LangTextEntry& a, const LangTextEntry& b) { return a.Key < b.Key; });
    }
    st.log.LangTextsSorted = 1;
    st.log.LangTextsSortedCount = st.Shared.LangTextCount;
}

void InvalidateLangTexts() { programState().log.LangTextsSorted = 0; }

int32_t FindLangText(std::u16string_view key) {
    ProgramState& st = programState();
    // A count changed without AllocLangText (the engine's binary reader) also needs a sort.
    if (st.log.LangTextsSorted == 0 || st.log.LangTextsSortedCount != st.Shared.LangTextCount) SortLangTexts();
    int32_t lo = 1;
    int32_t hi = usableTextCount();
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const std::u16string_view k = st.Arrays.LangTexts[mid].Key;
        if (k == key) return mid;
        if (key < k)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return 0;
}

std::u16string LookupText(std::u16string_view key, std::u16string_view defaultText, int32_t flags) {
    if (key.empty()) return {};
    if (key.front() == u'=') return std::u16string(key.substr(1));
    if (key.size() > kMaxKeyLength) return std::u16string(key);
    std::u16string def(defaultText);
    if (def.empty()) def = engine_calls::defaultText(key);

    std::u16string stem = def;
    std::u16string suffix;
    if ((flags & kTextNoSplit) == 0) {
        const auto len = static_cast<int64_t>(def.size());
        int64_t p = plat::inStr(def, u":");
        if (p != len && p != len - 1) p = 0;
        if (p == 0) p = plat::inStr(def, u" ...");
        if (p == 0) p = plat::inStr(def, u"\t");
        if (p > 0) {
            stem = plat::left(def, p - 1);
            suffix = plat::mid(def, p);
        }
    }

    const int32_t i = FindLangText(key);
    if (i == 0) return (flags & kTextStemOnly) != 0 ? stem : def;
    std::u16string text = PickLangText(programState().Arrays.LangTexts[i].Texts, stem, u"");
    if ((flags & kTextStemOnly) == 0) text += suffix;
    return plat::replace(text, u"\\n", u"\r\n");
}

std::u16string CurrentLanguageCode() {
    const ProgramState& st = programState();
    const uint8_t lang = st.Shared.CurrentLanguage;
    return lang != 0 && st.Arrays.Languages.has(lang) ? st.Arrays.Languages[lang].Code : std::u16string();
}

std::u16string GetText(std::u16string_view key, std::u16string_view defaultText, int32_t flags) {
    return StripAmpersands(LookupText(key, defaultText, flags & 0xFF));
}

FormatArg::FormatArg(int32_t n) : text_(decimal(n)) {}
FormatArg::FormatArg(int64_t n) : text_(decimal(n)) {}
FormatArg::FormatArg(double v) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    text_ = plat::widen(std::string_view(buffer, static_cast<size_t>(r.ptr - buffer)));
}

std::u16string FormatText(std::u16string_view key, std::span<const FormatArg> params) {
    std::u16string s = GetText(key);
    if (s.empty()) {
        for (size_t i = 0; i < params.size(); ++i) {
            if (i > 0) s += u' ';
            s += params[i].text();
        }
        return s;
    }
    size_t from = 0;
    while (true) {
        const size_t p = s.find(u'%', from);
        if (p == std::u16string::npos || p + 1 >= s.size()) break;
        const char16_t c = s[p + 1];
        if (c < u'1' || c > u'9') {
            from = p + 1;
            continue;
        }
        const auto k = static_cast<size_t>(c - u'1');
        // Go on after what was inserted, so a parameter holding "%2" is never filled itself.
        if (k >= params.size()) {
            s.erase(p, 2);
            from = p;
        } else {
            s.replace(p, 2, params[k].text());
            from = p + params[k].text().size();
        }
    }
    return s;
}

std::u16string FormatText(std::u16string_view key, std::initializer_list<FormatArg> params) {
    return FormatText(key, std::span<const FormatArg>(params.begin(), params.size()));
}

std::u16string GetErrorNumberText(int32_t number, std::u16string_view item, int32_t line) {
    const std::u16string engineText = engine_calls::numberedText(number);
    const std::u16string text = GetText(u"E" + decimal(number), engineText, kTextStemOnly);
    if (item.empty()) return FormatText(u"E1", {number, text});
    if (line == 0) return FormatText(u"E2", {number, text, item});
    return FormatText(u"E3", {number, text, item, line});
}

void OpenPictureCache() {
    ProgramState& st = programState();
    const bool cacheFile = st.scene.CacheMode >= 2;
    if (cacheFile) progressDisplay().BeginProgress(GetText(u"LCAC", u"", kTextStemOnly));
    const int32_t r = engine_calls::openCache(st.scene.CacheMode, st.scene.CacheFile);
    if (r != 0) ShowMsgBox(u"OpenCache Error " + decimal(r), msgbox::kOk, u"");
    ApplyColorTranslation();
    if (cacheFile) progressDisplay().EndProgress();
}

void GetLanguageNames(std::vector<std::u16string>& names) {
    const ProgramState& st = programState();
    const int32_t count = std::clamp(st.Shared.LanguageCount, 0, kLanguageSlots - 1);
    names.assign(static_cast<size_t>(count) + 1, std::u16string());
    for (int32_t i = 0; i <= count && i < st.Arrays.Languages.length(); ++i)
        names[static_cast<size_t>(i)] = paramTable().GetParam(st.Arrays.Languages[i].Code, u"");
}

std::u16string PickLangText(const LvString (&texts)[kLanguageSlots], std::u16string_view fallback1,
                            std::u16string_view fallback2) {
    std::u16string_view t = texts[currentLanguage()];
    if (t.empty() || t == u"\\") {
        t = texts[0];
        if (t == u"\\") return std::u16string(fallback1);
    }
    std::u16string result = expandEscapes(t);
    if (result.empty()) result = fallback1;
    if (result.empty()) result = fallback2;
    if (result.empty()) {
        const int32_t count = std::clamp(programState().Shared.LanguageCount, 0, kLanguageSlots - 1);
        for (int32_t i = 1; i <= count; ++i) {
            if (!texts[i].empty()) return texts[i];
        }
    }
    return result;
}

}  // namespace yov
