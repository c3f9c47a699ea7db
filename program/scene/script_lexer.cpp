#include "program/scene/script_lexer.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "platform/text.h"
#include "program/scene/script_keyword_kinds.h"
#include "program/scene/script_words.h"

namespace yov {

namespace {

using S = ScriptStyle;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool isWordChar(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

const std::unordered_set<std::u16string>& editorWords() {
    static const std::unordered_set<std::u16string> words = [] {
        std::unordered_set<std::u16string> set;
        const std::u16string list = EditorKeywordList();
        size_t from = 0;
        while (from < list.size()) {
            const size_t to = list.find(u'\n', from);
            set.insert(list.substr(from, to - from));
            from = to + 1;
        }
        return set;
    }();
    return words;
}

bool takesPlainText(std::u16string_view keyword) {
    static const std::unordered_set<std::u16string> plain = {u"INFO",   u"ERR",     u"ERROR", u"VERSION", u"STOCK",
                                                             u"INC",    u"INCLUDE", u"REQ",   u"REQUIRE", u"SPLASH",
                                                             u"HLPWEB", u"URL",     u"MINVER"};
    return plain.count(plat::ucase(keyword)) != 0;
}

struct LineStyler {
    std::u16string_view s;
    std::vector<S> out;

    void paint(size_t from, size_t to, S style) {
        to = std::min(to, s.size());
        for (size_t i = from; i < to; ++i) out[i] = style;
    }

    // "%NAME", "%NAME;", "%NAME(args)", "%DEF(...)": up to the closing parenthesis, nested.
    size_t macro(size_t i) {
        size_t j = i + 1;
        while (j < s.size() && isWordChar(s[j])) ++j;
        if (j < s.size() && s[j] == u'(') {
            int depth = 0;
            for (; j < s.size(); ++j) {
                if (s[j] == u'(') ++depth;
                if (s[j] == u')' && --depth == 0) {
                    ++j;
                    break;
                }
            }
        } else if (j < s.size() && s[j] == u';') {
            ++j;
        }
        paint(i, j, S::Macro);
        return j;
    }

    void parameters(size_t i) {
        bool inCondition = false;  // after "{" up to its first "?"
        while (i < s.size()) {
            const char16_t c = s[i];
            if (c == u'"') {
                size_t j = s.find(u'"', i + 1);
                j = j == std::u16string_view::npos ? s.size() : j + 1;
                paint(i, j, S::String);
                i = j;
            } else if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'*') {
                size_t j = s.find(u"*/", i + 2);
                j = j == std::u16string_view::npos ? s.size() : j + 2;
                paint(i, j, S::Comment);
                i = j;
            } else if (c == u'%') {
                i = macro(i);
            } else if (c == u'{' || c == u'}' || c == u'?') {
                paint(i, i + 1, S::Conditional);
                inCondition = c == u'{';
                ++i;
            } else if (isWordChar(c)) {
                size_t j = i;
                while (j < s.size() && isWordChar(s[j])) ++j;
                if (inCondition)
                    paint(i, j, S::Conditional);
                else if (editorWords().count(plat::ucase(s.substr(i, j - i))) != 0)
                    paint(i, j, S::Word);
                i = j;
            } else {
                ++i;
            }
        }
    }

    void line(bool continued) {
        out.assign(s.size(), S::Default);
        size_t i = 0;
        while (i < s.size() && isBlank(s[i])) ++i;
        if (continued) return parameters(i);
        if (i >= s.size()) return;
        const char16_t first = s[i];
        if (first == u';' || first == u'#' || first == u'/' || first == u'*') return paint(i, s.size(), S::Comment);
        if (first == u'$') {
            size_t j = i + 1;
            while (j < s.size() && !isBlank(s[j])) ++j;
            S style = S::Dollar;
            switch (KindOfScriptKeyword(s.substr(i + 1, j - i - 1))) {
            case ScriptKeywordKind::BlockBegin: style = S::BlockBegin; break;
            case ScriptKeywordKind::BlockEnd: style = S::BlockEnd; break;
            case ScriptKeywordKind::Other: style = S::Keyword; break;
            case ScriptKeywordKind::None: break;
            }
            paint(i, j, style);
            // These take a text or a file name, not parameters: their words are not the list's.
            if (takesPlainText(s.substr(i + 1, j - i - 1))) return;
            return parameters(j);
        }
        parameters(i);
    }
};

}  // namespace

bool ContinuesOnNextLine(std::u16string_view line) {
    size_t n = line.size();
    while (n > 0 && (isBlank(line[n - 1]) || line[n - 1] == u'\r')) --n;
    return n > 0 && line[n - 1] == u'\\';
}

std::vector<ScriptStyle> StyleScriptLine(std::u16string_view line, bool continued) {
    LineStyler styler{line, {}};
    styler.line(continued);
    return std::move(styler.out);
}

std::vector<ScriptStyle> StyleScript(std::u16string_view text) {
    std::vector<ScriptStyle> out;
    out.reserve(text.size());
    bool continued = false;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = from;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        const std::u16string_view line = text.substr(from, end - from);
        const std::vector<ScriptStyle> styles = StyleScriptLine(line, continued);
        out.insert(out.end(), styles.begin(), styles.end());
        continued = ContinuesOnNextLine(line);
        if (end >= text.size()) break;
        size_t next = end + 1;
        if (text[end] == u'\r' && next < text.size() && text[next] == u'\n') ++next;
        out.insert(out.end(), next - end, ScriptStyle::Default);
        from = next;
    }
    return out;
}

}  // namespace yov
