// Wildcard matching with a substitution template: "*" and runs of "?" capture groups 1 to 9,
// which the template inserts with "%" references.
#include <string>

#include "engine/base/util_text.h"
#include "lumvatek/exports.h"
#include "platform/text.h"

using lvk::SharedTextView;

namespace {

constexpr int kMaxGroups = 9;

struct Group {
    size_t start = 0;
    size_t length = 0;
    bool set = false;
};

// The first match of a backtracking search in which "*" tries the shortest run first and
// the latest "*" grows first, found without the search: only the latest "*" ever grows.
// When the rest fails after it at every length, growing an earlier "*" cannot help, for
// whatever the earlier one would take more the latest one can take instead. So each "*"
// keeps the first run after which the rest can be placed, as the search would. The work
// is at most pattern length times text length steps, with no recursion and no table;
// consecutive "*" cost a step each (the earlier ones capture nothing, the last the run).
class Matcher {
public:
    Matcher(std::u16string_view pattern, std::u16string_view text) : p_(pattern), t_(text) {}

    bool run() {
        size_t pi = 0;
        size_t ti = 0;
        int group = 0;
        // The latest "*": where it is, its group, where its run starts and how long it is.
        bool star = false;
        size_t starPi = 0;
        size_t starStart = 0;
        size_t starLength = 0;
        int starGroup = 0;
        for (;;) {
            if (pi == p_.size()) {
                if (ti == t_.size()) return true;
            } else if (p_[pi] == u'*') {
                if (pi + 1 == p_.size()) {
                    capture(group, ti, t_.size() - ti);
                    return true;
                }
                star = true;
                starPi = pi;
                starGroup = group;
                starStart = ti;
                starLength = 0;
                capture(group++, ti, 0);
                ++pi;
                continue;
            } else if (advance(pi, ti, group)) {
                continue;
            }
            // The rest does not match from here: the latest "*" takes one character more.
            if (!star || starStart + starLength == t_.size()) return false;
            ++starLength;
            capture(starGroup, starStart, starLength);
            group = starGroup + 1;
            pi = starPi + 1;
            ti = starStart + starLength;
        }
    }
    const Group* groups() const { return groups_; }

private:
    void capture(int group, size_t start, size_t length) {
        if (group < kMaxGroups) groups_[group] = Group{start, length, true};
    }

    // Passes a run of "?" or one character (a backslash makes the next one literal); false
    // when the text does not match there.
    bool advance(size_t& pi, size_t& ti, int& group) {
        if (p_[pi] == u'?') {
            size_t run = 0;
            while (pi + run < p_.size() && p_[pi + run] == u'?') ++run;
            if (t_.size() - ti < run) return false;
            capture(group++, ti, run);
            pi += run;
            ti += run;
            return true;
        }
        size_t width = 1;
        if (p_[pi] == u'\\') {
            if (pi + 1 == p_.size()) return false;
            width = 2;
        }
        if (ti == t_.size() || t_[ti] != p_[pi + width - 1]) return false;
        pi += width;
        ++ti;
        return true;
    }

    std::u16string_view p_;
    std::u16string_view t_;
    Group groups_[kMaxGroups];
};

struct Options {
    bool a = false, l = false, n = false, u = false, z = false;
};

// The characters one inserted character becomes under the options, in the order N, A, U, L.
std::u16string transform(char16_t c, const Options& o) {
    std::u16string s(1, c);
    if (o.n) {
        const char16_t up = plat::toUpper(c);
        if (up >= u'A' && up <= u'Z') {
            const int place = (up - u'A') + (o.z ? 0 : 1);
            s.clear();
            if (place >= 10) s += static_cast<char16_t>(u'0' + place / 10);
            s += static_cast<char16_t>(u'0' + place % 10);
        }
    }
    if (o.a) {
        for (char16_t& ch : s) {
            if (ch < u'0' || ch > u'9') continue;
            const int d = ch - u'0';
            ch = o.z ? static_cast<char16_t>(u'A' + d) : (d == 0 ? u'Z' : static_cast<char16_t>(u'A' + d - 1));
        }
    }
    if (o.u) {
        for (char16_t& ch : s) ch = plat::toUpper(ch);
    }
    if (o.l) {
        for (char16_t& ch : s) ch = plat::toLower(ch);
    }
    return s;
}

}  // namespace

LvResult Match(const char16_t* pattern, const char16_t* text, const char16_t* templ, char16_t* out) noexcept {
    try {
        const std::u16string_view t = SharedTextView(text);
        Matcher m(SharedTextView(pattern), t);
        if (!m.run()) return 0;
        if (templ == nullptr || out == nullptr) return 1;

        const std::u16string_view tp = SharedTextView(templ);
        const size_t capacity = static_cast<size_t>(LvTextLength(out));
        size_t length = 0;
        auto put = [&](char16_t c) {
            if (length < capacity) out[length] = c;
            ++length;
        };
        for (size_t i = 0; i < tp.size(); ++i) {
            if (tp[i] != u'%') {
                put(tp[i]);
                continue;
            }
            if (++i == tp.size()) return -1;
            if (tp[i] == u'%') {
                put(u'%');
                continue;
            }
            Options o;
            for (; i < tp.size(); ++i) {
                const char16_t c = plat::toUpper(tp[i]);
                if (c == u'A')
                    o.a = true;
                else if (c == u'L')
                    o.l = true;
                else if (c == u'N')
                    o.n = true;
                else if (c == u'U')
                    o.u = true;
                else if (c == u'Z')
                    o.z = true;
                else
                    break;
            }
            if (i == tp.size()) return -1;
            const char16_t d = tp[i];
            if (d < u'0' || d > u'9') continue;  // consumed, inserts nothing
            std::u16string_view inserted;
            if (d == u'0') {
                inserted = t;
            } else if (const Group& g = m.groups()[d - u'1']; g.set) {
                inserted = t.substr(g.start, g.length);
            }
            for (char16_t c : inserted) {
                for (char16_t x : transform(c, o)) put(x);
            }
        }
        return static_cast<int32_t>(length);
    } catch (...) {
        return 0;  // no memory for the text of a transformed character
    }
}
