#include "platform/text.h"

#include <algorithm>

namespace plat {
namespace {

// Latin Extended-A pairs letters either as (even upper, odd lower) or, in two
// runs, as (odd upper, even lower).
bool oddIsUpper(char16_t c) { return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E); }

bool inExtendedAPairs(char16_t c) {
    if (c < 0x100 || c > 0x17E) return false;
    // Letters whose case partner lies outside the table, or that have none.
    return c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178;
}

std::size_t toSize(std::int64_t v) { return static_cast<std::size_t>(v); }

template <typename View>
View trimLeft(View s) {
    std::size_t b = 0;
    while (b < s.size() && s[b] == ' ') ++b;
    return s.substr(b);
}

template <typename View>
View trimRight(View s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') --e;
    return s.substr(0, e);
}

template <typename Str, typename View>
std::vector<Str> splitImpl(View s, View delimiter) {
    std::vector<Str> pieces;
    if (s.empty()) return pieces;
    if (delimiter.empty()) {
        pieces.emplace_back(s);
        return pieces;
    }
    std::size_t from = 0;
    for (;;) {
        std::size_t at = s.find(delimiter, from);
        if (at == View::npos) {
            pieces.emplace_back(s.substr(from));
            return pieces;
        }
        pieces.emplace_back(s.substr(from, at - from));
        from = at + delimiter.size();
    }
}

// 0-based index of needle in haystack at or after from, npos when absent.
std::size_t findFrom(std::u16string_view haystack, std::u16string_view needle, std::size_t from, Compare mode) {
    if (mode == Compare::Binary) return haystack.find(needle, from);
    if (needle.size() > haystack.size()) return std::u16string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (equalsNoCase(haystack.substr(i, needle.size()), needle)) return i;
    }
    return std::u16string_view::npos;
}

}  // namespace

char16_t toUpper(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    if (c < 0x100) {
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
        if (c == 0xFF) return 0x178;
        return c;
    }
    if (!inExtendedAPairs(c)) return c;
    const bool odd = (c & 1) != 0;
    const bool isLower = oddIsUpper(c) ? !odd : odd;
    return isLower ? static_cast<char16_t>(c - 1) : c;
}

char16_t toLower(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c < 0x100) {
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
        return c;
    }
    if (c == 0x178) return 0xFF;
    if (!inExtendedAPairs(c)) return c;
    const bool odd = (c & 1) != 0;
    const bool isUpper = oddIsUpper(c) ? odd : !odd;
    return isUpper ? static_cast<char16_t>(c + 1) : c;
}

std::u16string ucase(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = toUpper(c);
    return out;
}

std::u16string lcase(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = toLower(c);
    return out;
}

std::string asciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
}

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = toUpper(a[i]);
        const char16_t y = toUpper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}

int compareText(std::u16string_view a, std::u16string_view b, Compare mode) {
    if (mode == Compare::IgnoreCase) return compareNoCase(a, b);
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::int64_t inStr(std::int64_t start, std::u16string_view haystack, std::u16string_view needle, Compare mode) {
    start = std::max<std::int64_t>(start, 1);
    const auto length = static_cast<std::int64_t>(haystack.size());
    if (haystack.empty()) return 0;
    if (needle.empty()) return start <= length + 1 ? start : 0;
    if (start > length) return 0;
    const std::size_t at = findFrom(haystack, needle, toSize(start - 1), mode);
    return at == std::u16string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::int64_t inStrRev(std::u16string_view haystack, std::u16string_view needle, std::int64_t start, Compare mode) {
    const auto length = static_cast<std::int64_t>(haystack.size());
    if (haystack.empty()) return 0;
    if (start == -1) start = length;
    if (start < 1 || start > length) return 0;
    if (needle.empty()) return start;
    const auto width = static_cast<std::int64_t>(needle.size());
    for (std::int64_t first = start - width; first >= 0; --first) {
        if (compareText(haystack.substr(toSize(first), needle.size()), needle, mode) == 0) {
            return first + 1;
        }
    }
    return 0;
}

std::u16string mid(std::u16string_view s, std::int64_t start) {
    start = std::max<std::int64_t>(start, 1);
    if (start > static_cast<std::int64_t>(s.size())) return {};
    return std::u16string(s.substr(toSize(start - 1)));
}

std::u16string mid(std::u16string_view s, std::int64_t start, std::int64_t length) {
    start = std::max<std::int64_t>(start, 1);
    if (length <= 0 || start > static_cast<std::int64_t>(s.size())) return {};
    return std::u16string(s.substr(toSize(start - 1), toSize(length)));
}

std::u16string left(std::u16string_view s, std::int64_t n) {
    if (n <= 0) return {};
    return std::u16string(s.substr(0, toSize(n)));
}

std::u16string right(std::u16string_view s, std::int64_t n) {
    if (n <= 0) return {};
    if (toSize(n) >= s.size()) return std::u16string(s);
    return std::u16string(s.substr(s.size() - toSize(n)));
}

std::u16string ltrim(std::u16string_view s) { return std::u16string(trimLeft(s)); }
std::u16string rtrim(std::u16string_view s) { return std::u16string(trimRight(s)); }
std::u16string trim(std::u16string_view s) { return std::u16string(trimRight(trimLeft(s))); }
std::string ltrim(std::string_view s) { return std::string(trimLeft(s)); }
std::string rtrim(std::string_view s) { return std::string(trimRight(s)); }
std::string trim(std::string_view s) { return std::string(trimRight(trimLeft(s))); }

std::u16string replace(std::u16string_view s, std::u16string_view find, std::u16string_view with, Compare mode) {
    if (find.empty()) return std::u16string(s);
    std::u16string out;
    out.reserve(s.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = findFrom(s, find, from, mode);
        if (at == std::u16string_view::npos) break;
        out.append(s.substr(from, at - from));
        out.append(with);
        from = at + find.size();
    }
    out.append(s.substr(from));
    return out;
}

std::vector<std::u16string> split(std::u16string_view s, std::u16string_view delimiter) {
    return splitImpl<std::u16string>(s, delimiter);
}

std::vector<std::string> split(std::string_view s, std::string_view delimiter) {
    return splitImpl<std::string>(s, delimiter);
}

std::u16string widen(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (char c : ascii) out.push_back(static_cast<unsigned char>(c));
    return out;
}

}  // namespace plat
