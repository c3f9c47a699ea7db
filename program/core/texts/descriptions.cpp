#include "program/core/texts/descriptions.h"

#include <algorithm>
#include <optional>

#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/params/param_table.h"
#include "program/core/startup/main_module.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"

namespace yov {

namespace {

constexpr int16_t kMacroFile = 0x7FFF;    // a macro entry: no picture of its own
constexpr int16_t kPictureName = 0x7FFE;  // the picture text is itself a picture name
constexpr uint8_t kPreferLanguage = 2 | 8;
constexpr uint8_t kWithLabels = 32;

// The tables as far as they really exist: the engine writes the counts itself.
int32_t keyCount() {
    const ProgramState& st = programState();
    return std::clamp(st.Shared.DescKeyCount, 0, std::max(0, st.Arrays.DescKeys.length() - 1));
}
int32_t builtinKeys() { return std::clamp(programState().Shared.BuiltinDescKeys, 0, keyCount()); }

uint8_t displayMask(int32_t key) {
    return key <= keyCount() && key < programState().Arrays.DescKeys.length()
               ? programState().Arrays.DescKeys[key].Flags
               : 0;
}

std::u16string label(int32_t key, std::u16string_view fallback) {
    if (key > keyCount() || key >= programState().Arrays.DescKeys.length()) return std::u16string(fallback);
    return PickLangText(programState().Arrays.DescKeys[key].Names, fallback);
}

std::u16string descriptionTextOf(int32_t n) {
    const ProgramState& st = programState();
    if (n < 1 || n > st.Shared.DescTextCount || n >= st.Arrays.DescTexts.length()) return {};
    return st.Arrays.DescTexts[n];
}

void ensureItems() {
    DescriptionState& ds = descriptionState();
    const auto size = static_cast<size_t>(std::max(keyCount(), kDescBased) + 1);
    if (ds.DescItems.size() >= size) return;
    ds.DescItems.resize(size);
    ds.DescItemLevel.resize(size, -1);
    ds.DescItemSource.resize(size, 0);
}

void setItem(int32_t k, std::u16string value, int32_t level, int32_t source) {
    DescriptionState& ds = descriptionState();
    ds.DescItems[static_cast<size_t>(k)] = std::move(value);
    ds.DescItemLevel[static_cast<size_t>(k)] = level;
    ds.DescItemSource[static_cast<size_t>(k)] = source;
}

// The position of the bracket closing the one at `open`, counting nested pairs.
size_t matchingClose(std::u16string_view s, size_t open, char16_t opener, char16_t closer) {
    int depth = 0;
    for (size_t i = open; i < s.size(); ++i) {
        if (s[i] == opener)
            ++depth;
        else if (s[i] == closer && --depth == 0)
            return i;
    }
    return std::u16string_view::npos;
}

// Nothing when the inside is no parameter list: the field then stays as written, so that a
// typing error in a stock's text shows where it is instead of ending the window that shows it.
std::optional<std::u16string> fieldValue(std::u16string_view inside) {
    const ProgramState& st = programState();
    const uint8_t lang = st.Shared.CurrentLanguage;
    const std::u16string code =
        lang < st.Arrays.Languages.length() ? st.Arrays.Languages[lang].Code : std::u16string(u"N");
    std::u16string value;
    try {
        paramTable().WithParams(inside, [&] {
            value = paramTable().GetParam(code, u"");
            if (value.empty()) value = paramTable().GetParam(u"N", u"");
        });
    } catch (const ProgramError&) {
        return std::nullopt;
    }
    return value;
}

std::u16string pictureSource(int16_t fileIndex, const std::u16string& pictureText) {
    if (fileIndex == kPictureName) return pictureText;
    const ProgramState& st = programState();
    if (fileIndex < 1 || fileIndex > st.Shared.StockFileCount || fileIndex >= st.Arrays.StockFiles.length())
        return pictureText;
    const StockFileEntry& file = st.Arrays.StockFiles[fileIndex];
    return JoinFilePath(file.Name.empty() ? file.Path : file.Name, pictureText);
}

}  // namespace

std::u16string GetKeyedLine(std::u16string_view text, std::u16string_view key) {
    const std::u16string marker = u"%" + std::u16string(key) + u" ";
    const size_t p = text.find(marker);
    if (p == std::u16string_view::npos) return {};
    const size_t cr = text.find(u'\r', p);
    if (cr == std::u16string_view::npos) return {};
    const size_t start = p + marker.size();
    return cr > start ? std::u16string(text.substr(start, cr - start)) : std::u16string();
}

void ClearDescription() {
    DescriptionState& ds = descriptionState();
    const auto size = static_cast<size_t>(std::max(keyCount(), kDescBased) + 1);
    ds.DescItems.assign(size, std::u16string());
    ds.DescItemLevel.assign(size, -1);
    ds.DescItemSource.assign(size, 0);
    ds.DescLevelDesc.fill(0);
    ds.DescBasedStock.fill(0);
}

void LoadDescription(int32_t descNumber) {
    ClearDescription();
    if (descNumber != 0) ExpandDescription(descNumber, 0, u"*");
}

void ExpandDescription(int32_t descNumber, int32_t level, std::u16string_view based) {
    if (descNumber == 0 || level < 0 || level > kDescMaxLevel) return;
    ensureItems();
    DescriptionState& ds = descriptionState();
    ds.DescLevelDesc[static_cast<size_t>(level)] = descNumber;
    const std::u16string text = descriptionTextOf(descNumber);
    if (text.empty()) return;
    const int32_t source = level == 0 ? 0 : descNumber;

    const std::u16string base = based == u"*" ? GetKeyedLine(text, u"BASED") : std::u16string(based);
    const int32_t baseEntry = base.empty() ? 0 : FindStockEntry(base);
    const ProgramState& st = programState();
    if (baseEntry > 0 && baseEntry < st.Arrays.Stock.length()) {
        if (level < kDescMaxLevel) {
            if (level == 0) setItem(kDescBased, base, 0, 0);
            ds.DescBasedStock[static_cast<size_t>(level + 1)] = baseEntry;
            ExpandDescription(st.Arrays.Stock[baseEntry].DescNumber, level + 1, u"*");
        } else {
            setItem(kDescFreeText, GetText(u"MBAS") + u"\r\n", level, source);
        }
    }

    for (int32_t k = builtinKeys() + 1; k <= keyCount(); ++k) {
        std::u16string value = GetKeyedLine(text, st.Arrays.DescKeys[k].Key);
        if (!value.empty()) setItem(k, std::move(value), level, source);
    }

    // The free text follows a line "%%"; "%%+" adds it to what the bases gave. The
    // description's last two characters are not part of it.
    const auto len = static_cast<int64_t>(text.size());
    const int64_t p = plat::inStr(text, u"%%\r");
    if (p == 0 || p + 5 >= len) return;
    std::u16string& freeText = ds.DescItems[kDescFreeText];
    if (text[static_cast<size_t>(p + 2)] != u'+') {
        setItem(kDescFreeText, plat::mid(text, p + 3, len - p - 4), level, source);
    } else {
        const std::u16string added = plat::mid(text, p + 4, len - p - 5);
        setItem(kDescFreeText, freeText.empty() ? added : freeText + u"\r\n" + added, level, source);
    }
}

std::u16string GetDescItemText(int32_t key, uint8_t mask) {
    const DescriptionState& ds = descriptionState();
    if (key < 0 || static_cast<size_t>(key) >= ds.DescItems.size()) return {};
    std::u16string v = ds.DescItems[static_cast<size_t>(key)];
    if (v.empty() || key > keyCount()) return v;

    const ProgramState& st = programState();
    const DescKeyEntry& k = st.Arrays.DescKeys[key];
    const std::u16string code = plat::ucase(v);
    const int32_t last = std::min<int32_t>({k.LastValue, st.Shared.DescValueCount, st.Arrays.DescValues.length() - 1});
    for (int32_t i = std::max<int32_t>(k.FirstValue, 1); i <= last; ++i) {
        const DescValueEntry& value = st.Arrays.DescValues[i];
        if (value.Key != code) continue;
        if ((mask & kPreferLanguage) == 0)
            v = !value.S.empty() ? value.S : PickLangText(value.Names, u"");
        else
            v = PickLangText(value.Names, value.S);
        break;
    }
    if (!v.empty() && v.back() == u'#')
        v.pop_back();
    else if (!k.Unit.empty())
        v += u" " + k.Unit;
    return v;
}

std::u16string GetDescItemsText(uint8_t mask, std::u16string_view separator) {
    std::u16string out;
    const ProgramState& st = programState();
    for (int32_t k = builtinKeys() + 1; k <= keyCount(); ++k) {
        if ((st.Arrays.DescKeys[k].Flags & mask) == 0) continue;
        const std::u16string t = GetDescItemText(k, mask);
        if (t.empty()) continue;
        if ((mask & kWithLabels) != 0) out += label(k, st.Arrays.DescKeys[k].Key) + u": ";
        out += t;
        out += separator;
    }
    const DescriptionState& ds = descriptionState();
    if (!ds.DescItems.empty() && !ds.DescItems[kDescFreeText].empty() && (displayMask(0) & mask) != 0) {
        out += ds.DescItems[kDescFreeText];
        out += separator;
    }
    return out;
}

std::u16string GetDescriptionText(int32_t stock, uint8_t mask, std::u16string_view separator) {
    const ProgramState& st = programState();
    if (stock < 1 || stock > st.Shared.StockCount || stock >= st.Arrays.Stock.length()) return {};
    // Copies: loading the description may run other code that grows the tables.
    const StockEntry entry = st.Arrays.Stock[stock];
    LoadDescription(entry.DescNumber);

    std::u16string out;
    auto line = [&](int32_t key, std::u16string_view fallback, const std::u16string& value) {
        out += label(key, fallback) + u": " + value;
        out += separator;
    };

    const bool nick = (mask & displayMask(1)) != 0;
    const bool full = (mask & displayMask(2)) != 0;
    if (entry.Author > 0 && entry.Author <= st.Shared.AuthorCount && entry.Author < st.Arrays.Authors.length() &&
        (nick || full)) {
        const AuthorEntry& a = st.Arrays.Authors[entry.Author];
        std::u16string who = full ? a.Name : a.ShortName;
        if (full && nick) who += u" (" + a.ShortName + u")";
        line(2, u"Picture author", who);
    }
    if ((mask & displayMask(3)) != 0) line(3, u"Picture name", entry.Name);
    if (entry.FileIndex == kMacroFile) {
        // A macro has no picture of its own: its origin is the macro text.
        if ((mask & (displayMask(4) | displayMask(5))) != 0) line(5, u"Macro", entry.Text2);
    } else if ((mask & displayMask(4)) != 0) {
        line(4, u"Picture source", pictureSource(entry.FileIndex, entry.Text2));
    }
    if ((mask & displayMask(6)) != 0 && (entry.Width > 0 || entry.Height > 0))
        line(6, u"Size", decimal(entry.Width) + u" \u00D7 " + decimal(entry.Height));
    const std::u16string based = descriptionState().DescItems[kDescBased];
    if ((mask & displayMask(7)) != 0 && !based.empty()) line(7, u"Description based on", based);

    out += GetDescItemsText(mask, separator);
    return ExpandTextFields(out);
}

std::u16string ExpandTextFields(std::u16string_view text) {
    std::u16string s(text);
    // Every "{" field first, then every "[" field. Each search goes on after the value it
    // inserted: a value holding a field of the same kind is shown, never expanded again,
    // so no value can make the expansion go on for ever.
    for (const auto& [opener, closer] : {std::pair{u'{', u'}'}, std::pair{u'[', u']'}}) {
        size_t from = 0;
        while (true) {
            const size_t open = s.find(opener, from);
            if (open == std::u16string::npos) break;
            const size_t close = matchingClose(s, open, opener, closer);
            if (close == std::u16string::npos) return s;
            const std::optional<std::u16string> value =
                fieldValue(std::u16string_view(s).substr(open + 1, close - open - 1));
            if (!value) {
                from = close + 1;
                continue;
            }
            s.replace(open, close - open + 1, *value);
            from = open + value->size();
        }
    }
    return s;
}

}  // namespace yov
