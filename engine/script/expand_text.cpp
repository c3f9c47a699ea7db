// Two services of the expansion engine over plain text: marking the stock entries a text
// names, and the attribute keyword look-up.
#include <string>
#include <utility>
#include <vector>

#include "engine/stock/attrib_keywords.h"
#include "engine/stock/stock_index.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

bool IsWordChar(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

std::vector<std::pair<std::u16string, int32_t>>& AttribTable() {
    static std::vector<std::pair<std::u16string, int32_t>> table;
    return table;
}

}  // namespace

void AddAttribKeyword(std::u16string_view word, int32_t code) {
    std::u16string upper(word);
    for (char16_t& c : upper) c = Upper(c);
    AttribTable().emplace_back(std::move(upper), code);
}

void ClearAttribKeywords() { AttribTable().clear(); }

}  // namespace lvk

using namespace lvk;

LvResult SelectFromText(const char16_t* text, uint16_t mask) noexcept {
    const std::u16string_view s(text == nullptr ? u"" : text, static_cast<size_t>(LvTextLength(text)));
    int32_t found = 0;
    for (size_t i = 0; i < s.size();) {
        if (!IsWordChar(s[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < s.size() && IsWordChar(s[i])) ++i;
        if (s[start] < u'A') continue;  // a word starting with a digit names no vehicle
        if (StockEntry* se = StockEntryAt(FindStock(s.substr(start, i - start)))) {
            se->SelectMask |= mask;
            ++found;
        }
    }
    return found;
}

LvResult FindAttrib(const char16_t* text) noexcept {
    std::u16string_view s(text == nullptr ? u"" : text, static_cast<size_t>(LvTextLength(text)));
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    for (const auto& [word, code] : AttribTable()) {
        if (word.size() != s.size()) continue;
        bool same = true;
        for (size_t i = 0; i < s.size() && same; ++i) same = Upper(s[i]) == word[i];
        if (same) return code;
    }
    return 0;
}
