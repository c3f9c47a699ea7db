// Searches in UTF-16 texts: the bracket-aware RLook, word boundaries, "|" selections and the
// trimming of blanks before line ends. Positions are 1-based characters, 0 = not found.
#include <algorithm>

#include "engine/base/util_text.h"
#include "lumvatek/exports.h"

using lvk::IsWordChar;
using lvk::SharedTextView;

namespace {

constexpr int kMaxBracketDepth = 50;

bool isCandidate(char16_t c, uintptr_t what, std::u16string_view candidates) {
    if (c >= 256) return false;
    if (what < 256) return c == what;
    return candidates.find(c) != std::u16string_view::npos;
}

}  // namespace

LvResult RLook(const char16_t* text, int32_t start, int32_t end, uintptr_t what) noexcept {
    if (text == nullptr || what == 0) return 0;
    const std::u16string_view t = SharedTextView(text);
    const std::u16string_view candidates =
        what < 256 ? std::u16string_view() : SharedTextView(reinterpret_cast<const char16_t*>(what));
    const int64_t n = static_cast<int64_t>(t.size());
    const int64_t last = end <= 0 ? n + end : std::min<int64_t>(static_cast<int64_t>(end) - 1, n);
    // A start below 1 counts as 1.
    const int64_t first = std::max<int64_t>(start, 1);
    if (first > n + 1) return 0;

    char16_t closers[kMaxBracketDepth];
    int depth = 0;
    for (int64_t pos = first; pos <= last; ++pos) {
        const char16_t c = t[static_cast<size_t>(pos - 1)];
        if (depth == 0 && isCandidate(c, what, candidates)) return static_cast<int32_t>(pos);
        switch (c) {
        case u'"': {
            // Skip the string: "" stands for one quote, a backslash takes the next character.
            int64_t i = pos + 1;
            for (;;) {
                if (i > n) return 0;
                const char16_t s = t[static_cast<size_t>(i - 1)];
                if (s == u'\\') {
                    i += 2;
                } else if (s == u'"') {
                    if (i + 1 <= n && t[static_cast<size_t>(i)] == u'"') {
                        i += 2;
                    } else {
                        break;
                    }
                } else {
                    ++i;
                }
            }
            pos = i;
            break;
        }
        case u'(':
        case u'[':
        case u'{':
            if (depth == kMaxBracketDepth) return -2;
            closers[depth++] = c == u'(' ? u')' : c == u'[' ? u']' : u'}';
            break;
        case u')':
        case u']':
        case u'}':
            if (depth == 0 || closers[depth - 1] != c) return -1;
            --depth;
            break;
        default: break;
        }
    }
    return 0;
}

LvResult LookDelim(const char16_t* text, int32_t start, int32_t wantWord) noexcept {
    const std::u16string_view t = SharedTextView(text);
    for (size_t i = static_cast<size_t>(std::max(start, 1)) - 1; i < t.size(); ++i) {
        if (IsWordChar(t[i]) == (wantWord != 0)) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

LvResult LookSel(const char16_t* text, int32_t index, int32_t* wordEndOut, int32_t* nextWordOut) noexcept {
    const std::u16string_view t = SharedTextView(text);
    const size_t n = t.size();
    auto skipBlanks = [&](size_t i) {
        while (i < n) {
            if (t[i] == u' ' || t[i] == u'\t') {
                ++i;
            } else if (t[i] == u'\\' && i + 2 < n && t[i + 1] == u'\r' && t[i + 2] == u'\n') {
                i += 3;
            } else {
                break;
            }
        }
        return i;
    };
    size_t i = std::min<size_t>(static_cast<size_t>(std::max(index, 0)), n);
    while (i < n && IsWordChar(t[i])) ++i;
    if (wordEndOut != nullptr) *wordEndOut = static_cast<int32_t>(i + 1);
    i = skipBlanks(i);
    int32_t result = 0;
    if (i < n && t[i] == u'|') {
        i = skipBlanks(i + 1);
        if (i >= n) {
            if (nextWordOut != nullptr) *nextWordOut = 0;
            return 0;
        }
        result = IsWordChar(t[i]) ? 1 : 0;
    }
    int32_t next = 0;
    for (size_t j = i; j < n; ++j) {
        if (IsWordChar(t[j])) {
            next = static_cast<int32_t>(j + 1);
            break;
        }
    }
    if (nextWordOut != nullptr) *nextWordOut = next;
    return result;
}

LvResult RTrimBlk(char16_t* text) noexcept {
    if (text == nullptr) return 0;
    const int32_t n = LvTextLength(text);
    int32_t w = 0;
    for (int32_t r = 0; r < n; ++r) {
        const char16_t c = text[r];
        if (c == u'\r' || c == u'\n') {
            while (w > 0 && text[w - 1] == u' ') --w;
        }
        text[w++] = c;
    }
    while (w > 0 && text[w - 1] == u' ') --w;
    if (w < n) text[w] = 0;
    return w;
}
