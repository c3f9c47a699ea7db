// Name patterns of the stock search: every wildcard, lists and ranges, case kept, malformed
// patterns refused, and long texts against many stars without blowing up.
#include "platform/like_match.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LikeCase {
    const char* name;
    std::u16string pattern;
    std::u16string text;
    bool expected;
};

TEST(LikeMatch, Table) {
    const LikeCase cases[] = {
        {"literal whole name", u"E40", u"E40", true},
        {"literal is not a prefix test", u"E4", u"E40", false},
        {"question mark takes one", u"E?0", u"E40", true},
        {"question mark takes exactly one", u"E?", u"E40", false},
        {"star takes none", u"E40*", u"E40", true},
        {"star takes a run", u"COACH_*", u"COACH_A2", true},
        {"star in the middle backtracks", u"*A*2", u"COACH_A2", true},
        {"star cannot supply a missing tail", u"*B", u"COACH_A2", false},
        {"hash is a digit", u"DOOR_A#", u"DOOR_A2", true},
        {"hash is not a letter", u"DOOR_#", u"DOOR_A", false},
        {"list", u"DOOR_[AB]", u"DOOR_B", true},
        {"list misses", u"DOOR_[AB]", u"DOOR_R", false},
        {"range", u"[A-F]*", u"E40", true},
        {"range misses", u"[F-Z]*", u"E40", false},
        {"negated list", u"[!D]*", u"E40", true},
        {"negated list misses", u"[!DE]*", u"E40", false},
        {"dash first is itself", u"A[-_]B", u"A-B", true},
        {"dash last is itself", u"A[_-]B", u"A-B", true},
        {"wildcards inside a list are themselves", u"A[*?#]", u"A#", true},
        {"empty list stands for nothing", u"A[]B", u"AB", true},
        {"case is kept", u"e40", u"E40", false},
        {"empty pattern matches only empty", u"", u"", true},
        {"empty pattern against a name", u"", u"E40", false},
        {"closing bracket outside a list is itself", u"A]", u"A]", true},
        {"non-ASCII characters", u"ŘADA*", u"ŘADA_810", true},
    };
    for (const LikeCase& c : cases) {
        const auto p = plat::LikePattern::parse(c.pattern);
        ASSERT_TRUE(p.has_value()) << c.name;
        EXPECT_EQ(p->matches(c.text), c.expected) << c.name;
    }
}

TEST(LikeMatch, MalformedPatternsAreRefused) {
    EXPECT_FALSE(plat::LikePattern::parse(u"[A").has_value()) << "a list without its end";
    EXPECT_FALSE(plat::LikePattern::parse(u"A[Z-A]").has_value()) << "a descending range";
}

TEST(LikeMatch, ManyStarsAgainstALongNameAreAnswered) {
    const std::u16string text(4000, u'A');
    std::u16string pattern;
    for (int i = 0; i < 200; ++i) pattern += u"*A";
    pattern += u"B";
    const auto p = plat::LikePattern::parse(pattern);
    ASSERT_TRUE(p.has_value());
    EXPECT_FALSE(p->matches(text));
    EXPECT_TRUE(plat::LikePattern::parse(u"*A*A*A")->matches(text));
}

}  // namespace
