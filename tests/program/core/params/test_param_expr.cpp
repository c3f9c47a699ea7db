// The parameter expression language: string expressions, alternatives, groups, repeat
// lists, numbers and ranges, with the limits that keep a short text from running away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_parser_fixture.h"

namespace {

using param_test::ParserTest;
using param_test::utf8;

struct StringCase {
    const char* name;
    std::u16string text;
    std::vector<int32_t> picks;
    std::string want;
};

TEST_F(ParserTest, StringExpressions) {
    const StringCase cases[] = {
        {"plain_word_upper_cased", u"abc", {}, "ABC"},
        {"trimmed", u"  ab  ", {}, "AB"},
        {"operators_kept", u" a + b<c >d", {}, "A+B<C>D"},
        {"bang_dropped", u"!abc+!x", {}, "ABC+X"},
        {"bracket_copied_as_written", u"a[Bc d]e", {}, "A[Bc d]E"},
        {"brackets_nest", u"a[x[y]z]b", {}, "A[x[y]z]B"},
        {"unterminated_bracket_rest_as_written", u"ab[c d", {}, "AB[c d"},
        {"single_alternative_keeps_colon", u"x:y", {}, "X:Y"},
        {"first_of_two", u"a|b", {0}, "A"},
        {"second_of_two", u"a|b", {1}, "B"},
        {"third_of_three", u"a | b | c", {2}, "C"},
        {"weighted_first", u"2:a|1:b", {1}, "A"},
        {"weighted_second", u"2:a|1:b", {2}, "B"},
        {"weight_zero_never_chosen", u"0:a|b", {}, "B"},
        {"negative_weight_counts_as_zero", u"-3:a|b", {}, "B"},
        {"all_weights_zero_give_empty", u"0:a|0:b", {}, ""},
        {"all_weights_negative_give_empty", u"-1:a|-2:b", {}, ""},
        {"empty_alternative", u"a|", {1}, ""},
        {"bar_inside_brackets_not_split", u"(a|b)", {1}, "B"},
        {"group_pieces_joined", u"x(y)z", {}, "XYZ"},
        {"two_groups", u"a(b)c(d)e", {}, "ABCDE"},
        {"repeat_in_group", u"(3*a)", {}, "A,A,A"},
        {"repeat_redraws", u"(2*a|b)", {0, 1}, "A,B"},
        {"repeat_once_used_twice", u"(2@a|b)", {1}, "B,B"},
        {"repeat_zero", u"(0*a)", {}, ""},
        {"repeat_negative", u"(-2*a)", {}, ""},
        {"list_in_group", u"(a,,b,)", {}, "A,B"},
        {"nested_repeats", u"(2*(2*x))", {}, "X,X,X,X"},
        {"quoted_text_keeps_operators", u"\"a+b\"", {}, "\"A+B\""},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.name);
        picks.assign(c.picks.begin(), c.picks.end());
        EXPECT_EQ(eval(c.text), c.want);
    }
}

TEST_F(ParserTest, WeightsDecideTheDraw) {
    // Two alternatives weighted 2 and 1: of the three possible draws two give the first.
    int first = 0;
    for (int32_t x = 0; x < 3; ++x) {
        picks = {x};
        if (eval(u"2:a|1:b") == "A") ++first;
    }
    EXPECT_EQ(first, 2);
    for (const auto& [n, site] : draws) {
        EXPECT_EQ(n, 3);
        EXPECT_EQ(site, 21001);
    }
    draws.clear();
    EXPECT_EQ(eval(u"0:a|0:b"), "");
    EXPECT_TRUE(draws.empty()) << "nothing to choose from: no draw";
}

TEST_F(ParserTest, OnceRepeatDrawsOnce) {
    picks = {1, 0};
    EXPECT_EQ(eval(u"(3@a|b)"), "B,B,B");
    EXPECT_EQ(draws.size(), 1u);
    draws.clear();
    picks = {1, 0, 1};
    EXPECT_EQ(eval(u"(3*a|b)"), "B,A,B");
    EXPECT_EQ(draws.size(), 3u);
}

TEST_F(ParserTest, RepeatListsTakeFrameSteps) {
    int32_t pos = 1;
    const std::u16string text = u"a, 2*b ,c";
    EXPECT_EQ(utf8(p.ExpandRepeatList(text, pos, static_cast<int32_t>(text.size()) + 1)), "A,B,B,C");
    EXPECT_EQ(pos, static_cast<int32_t>(text.size()) + 1);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 10101);
}

struct FailureCase {
    const char* name;
    std::u16string text;
    int32_t number;
    std::string description;  // empty: any
};

TEST_F(ParserTest, StringExpressionFailures) {
    const FailureCase cases[] = {
        {"group_not_closed", u"a(b", 6002, "<PARMA>"},
        {"stray_closer", u"a)b", 6003, "<UBP>"},
        {"stray_closer_after_bar", u"a|b]", 6003, "<UBP>"},
        {"weight_not_a_number", u"x:a|b", 6002, "<NONUM>: \"X\""},
        {"weight_beyond_the_limit", u"3000000000:a|b", 6002,
         "Number out of range (-1000000 to 1000000): \"3000000000\""},
        {"weights_beyond_the_limit", u"2000000000:a|2000000000:b", 6002,
         "Number out of range (-1000000 to 1000000): \"2000000000\""},
        {"repeat_count_above_limit", u"(10001*a)", 6002, "Repeat count above 10000: 10001*a"},
        {"repeat_count_not_a_number", u"(x*a)", 6002, "<NONUM>: \"X\""},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [number, description] = errorOf([&] { eval(c.text); });
        EXPECT_EQ(number, c.number);
        if (!c.description.empty()) {
            EXPECT_EQ(description, c.description);
        }
    }
}

TEST_F(ParserTest, RepeatCountAtTheLimit) {
    const std::string out = eval(u"(10000*ab)");
    EXPECT_EQ(out.size(), 10000u * 3 - 1);
}

TEST_F(ParserTest, RunawayExpansionsAreRefused) {
    // Nested repetitions multiply: the passes of one evaluation are counted.
    auto e = errorOf([&] { eval(u"(100*(100*(20*())))"); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second.rfind("Too many repetitions", 0), 0u) << e.second;
    // Repeating a result does not cost passes, but its length is bounded.
    e = errorOf([&] { eval(u"(10000@(10000@abcdefghij))"); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Parameter expansion too long");
    // The budget is per evaluation: the next one starts afresh.
    EXPECT_EQ(eval(u"(2*a)"), "A,A");
}

TEST_F(ParserTest, DeepNestingIsRefused) {
    std::u16string text = u"(";
    for (int i = 0; i < 300; ++i) text += u"1*";
    text += u"a)";
    const auto e = errorOf([&] { eval(text); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Parameter expression nested too deeply");
    // Brackets beyond the engine's 50 levels are unbalanced for it.
    const std::u16string brackets = std::u16string(60, u'(') + u"a" + std::u16string(60, u')');
    EXPECT_NE(errorOf([&] { eval(brackets); }).first, 0);
    EXPECT_EQ(eval(u"x"), "X") << "the parser is usable afterwards";
}

struct NumberCase {
    const char* name;
    std::u16string text;
    std::vector<double> fractions;
    yov::ParamValue::Kind kind;
    double want;
};

TEST_F(ParserTest, Numbers) {
    using K = yov::ParamValue::Kind;
    const NumberCase cases[] = {
        {"integer", u"12", {}, K::Single, 12},
        {"leading_blanks", u"   7", {}, K::Single, 7},
        {"fraction", u"1.25", {}, K::Single, 1.25},
        {"empty", u"", {}, K::Empty, 0},
        {"blanks_only", u"   ", {}, K::Empty, 0},
        {"bracketed", u"(5)", {}, K::Single, 5},
        {"text_after_bracket_ignored", u"(5)xyz", {}, K::Single, 5},
        {"negative_literal_is_double", u"-3.5", {}, K::Double, -3.5},
        {"negative_literal_unchecked", u"-3abc", {}, K::Double, -3},
        {"range_low", u"3-7", {0.0}, K::Single, 3},
        {"range_middle", u"3-7", {0.5}, K::Single, 5},
        {"range_never_above_high", u"3-7", {0.99999994}, K::Single, 7},
        {"reversed_range_limited_to_high", u"7-3", {0.5}, K::Single, 3},
        {"alternative_numbers", u"1|2|3", {}, K::Single, 1},
        {"hexadecimal", u"&H10", {}, K::Single, 16},
        {"the_limit", u"1000000", {}, K::Single, 1000000},
        {"minus_the_limit", u"-1000000", {}, K::Double, -1000000},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.name);
        fractions.assign(c.fractions.begin(), c.fractions.end());
        const yov::ParamValue v = p.EvalNumber(c.text);
        EXPECT_EQ(v.kind, c.kind);
        EXPECT_FLOAT_EQ(static_cast<float>(v.number()), static_cast<float>(c.want));
    }
}

TEST_F(ParserTest, NumberFailures) {
    const FailureCase cases[] = {
        {"not_a_number", u"abc", 6002, "<NONUM>: \"ABC\""},
        {"comma_decimal", u"1,5", 6002, "<NONUM>: \"1,5\""},
        {"bracket_not_closed", u"(5", 6002, "<PARMA>"},
        {"range_end_not_a_number", u"3-x", 6002, "<NONUM>: \"x\""},
        {"beyond_single", u"1e39", 6002, "Number out of range (-1000000 to 1000000): \"1E39\""},
        // Every number is held to a range the show can compute with, in every form it takes.
        {"above_the_limit", u"1000001", 6002, "Number out of range (-1000000 to 1000000): \"1000001\""},
        {"past_32_bits", u"2147483649", 6002, "Number out of range (-1000000 to 1000000): \"2147483649\""},
        {"negative_literal_below", u"-2147483649", 6002, "Number out of range (-1000000 to 1000000): \"-2147483649\""},
        {"negative_literal_far_below", u"-1e300", 6002, "Number out of range (-1000000 to 1000000): \"-1e300\""},
        {"range_end_above", u"3-5000000", 6002, "Number out of range (-1000000 to 1000000): \"5000000\""},
        {"in_brackets", u"(1e7)", 6002, "Number out of range (-1000000 to 1000000): \"1E7\""},
        {"alternative", u"9e9|1", 6002, "Number out of range (-1000000 to 1000000): \"9E9\""},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [number, description] = errorOf([&] { p.EvalNumber(c.text); });
        EXPECT_EQ(number, c.number);
        if (!c.description.empty()) {
            EXPECT_EQ(description, c.description);
        }
    }
}

TEST_F(ParserTest, TokensAndBlanks) {
    const std::u16string text = u" a , (b,c) ;d";
    const int32_t end = static_cast<int32_t>(text.size()) + 1;
    int32_t pos = 1;
    EXPECT_EQ(utf8(p.GetNextToken(text, pos, end, u",;")), "a");
    EXPECT_EQ(pos, 5) << "past the delimiter";
    EXPECT_EQ(utf8(p.GetNextToken(text, pos, end, u",;")), "(b,c)");
    EXPECT_EQ(utf8(p.GetNextToken(text, pos, end, u",;")), "d");
    EXPECT_EQ(pos, end);
    pos = end + 1;
    EXPECT_EQ(utf8(p.GetNextToken(text, pos, end, u",;")), "");

    const std::u16string bad = u"a)b,c";
    pos = 1;
    EXPECT_EQ(errorOf([&] { p.GetNextToken(bad, pos, 6, u","); }).first, 6003);

    pos = 1;
    p.SkipBlanks(u"   x", pos, 5);
    EXPECT_EQ(pos, 4);
    pos = 1;
    p.SkipBlanks(u"   x", pos, 3);
    EXPECT_EQ(pos, 3) << "not beyond the end";
}

}  // namespace
