#include "platform/like_match.h"

#include <algorithm>
#include <cstdint>

namespace plat {

std::optional<LikePattern> LikePattern::parse(std::u16string_view pattern) {
    LikePattern p;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        Token t;
        switch (c) {
        case u'?': t.kind = Kind::Any; break;
        case u'#': t.kind = Kind::Digit; break;
        case u'*':
            // Runs of stars are one star.
            if (!p.tokens_.empty() && p.tokens_.back().kind == Kind::Star) continue;
            t.kind = Kind::Star;
            break;
        case u'[': {
            const size_t close = pattern.find(u']', i + 1);
            if (close == std::u16string_view::npos) return std::nullopt;
            std::u16string_view list = pattern.substr(i + 1, close - i - 1);
            i = close;
            // "[]" stands for no character at all.
            if (list.empty()) continue;
            t.kind = Kind::List;
            if (list.front() == u'!') {
                t.negated = true;
                list.remove_prefix(1);
            }
            for (size_t k = 0; k < list.size(); ++k) {
                // A "-" between two characters makes a range; first or last it is itself.
                if (k + 2 < list.size() && list[k + 1] == u'-') {
                    if (list[k + 2] < list[k]) return std::nullopt;
                    t.ranges.push_back({list[k], list[k + 2]});
                    k += 2;
                } else {
                    t.ranges.push_back({list[k], list[k]});
                }
            }
            break;
        }
        default:
            t.kind = Kind::Literal;
            t.literal = c;
            break;
        }
        p.tokens_.push_back(std::move(t));
    }
    return p;
}

bool LikePattern::accepts(const Token& t, char16_t c) const {
    switch (t.kind) {
    case Kind::Literal: return c == t.literal;
    case Kind::Any: return true;
    case Kind::Digit: return c >= u'0' && c <= u'9';
    case Kind::List: {
        const bool in =
            std::any_of(t.ranges.begin(), t.ranges.end(), [c](const Range& r) { return c >= r.first && c <= r.last; });
        return in != t.negated;
    }
    case Kind::Star: return false;
    }
    return false;
}

// Every token but the star takes exactly one character, so the last star alone needs to be
// revisited on a mismatch: it takes one more character and the rest is tried again. Each
// text position is the start of the rest after a star at most once per star.
bool LikePattern::matches(std::u16string_view text) const {
    size_t ti = 0;
    size_t pi = 0;
    size_t starToken = SIZE_MAX;
    size_t starText = 0;
    while (ti < text.size()) {
        if (pi < tokens_.size() && tokens_[pi].kind == Kind::Star) {
            starToken = pi++;
            starText = ti;
        } else if (pi < tokens_.size() && accepts(tokens_[pi], text[ti])) {
            ++pi;
            ++ti;
        } else if (starToken != SIZE_MAX) {
            pi = starToken + 1;
            ti = ++starText;
        } else {
            return false;
        }
    }
    while (pi < tokens_.size() && tokens_[pi].kind == Kind::Star) ++pi;
    return pi == tokens_.size();
}

}  // namespace plat
