// Name patterns as the stock search takes them: "?" one character, "*" any run of characters
// (none too), "#" one digit 0-9, "[list]" one character of the list (ranges such as "A-Z"
// allowed), "[!list]" one character not in it, any other character itself. Characters are
// compared as they are (no case folding: callers upper-case the pattern when they want).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class LikePattern {
public:
    // The pattern read once; empty when it is malformed: a "[" without its "]", or a range
    // whose end comes before its start ("[Z-A]").
    static std::optional<LikePattern> parse(std::u16string_view pattern);

    // The whole text matches the whole pattern. Time grows with pattern length times text
    // length at most, whatever the stars.
    bool matches(std::u16string_view text) const;

private:
    struct Range {
        char16_t first;
        char16_t last;
    };
    enum class Kind { Literal, Any, Digit, List, Star };
    struct Token {
        Kind kind = Kind::Literal;
        char16_t literal = 0;
        bool negated = false;
        std::vector<Range> ranges;
    };

    bool accepts(const Token& t, char16_t c) const;

    std::vector<Token> tokens_;
};

}  // namespace plat
