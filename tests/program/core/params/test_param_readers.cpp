// The typed parameter readers: positional and named parameters, named numbers and their
// letters, fractions, relative values, colours, booleans, weighted picks and ";" lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_parser_fixture.h"
#include "program/core/pictures/picture_build_state.h"

namespace {

using param_test::ParserTest;
using param_test::utf8;

TEST_F(ParserTest, PositionalParametersComeFirst) {
    // A named value of the same list waits until the positional ones are used up.
    setNamed(u"LIST3", u"v");
    p.ParamText = u"a|b , 2*x; \"q\"";
    p.ParamPos = 1;
    picks = {1};
    EXPECT_EQ(utf8(p.GetStringParam(0, 3)), "B");
    EXPECT_EQ(p.ParamSource, -2);
    EXPECT_EQ(utf8(p.GetStringParam(yov::kParamRaw, 3)), "2*x") << "raw: not evaluated";
    EXPECT_EQ(utf8(p.GetStringParam(0, 3)), "\"Q\"");

    // Past the text: named parameters by the engine's alias list.
    t.AddParam(u"LIST0", u"zero");
    EXPECT_EQ(utf8(p.GetStringParam(0, 3)), "V");
    EXPECT_EQ(p.ParamSource, 1) << "the pair found";
    EXPECT_EQ(utf8(p.GetStringParam(0, 4)), "");
    EXPECT_EQ(p.ParamSource, 0);
    EXPECT_EQ(utf8(p.GetStringParam(0, 0)), "") << "no id: nothing, not list 0";
    EXPECT_EQ(p.ParamSource, 0);

    // Positional only: never named, even past the text.
    p.ParamPositionalOnly = 1;
    EXPECT_EQ(utf8(p.GetStringParam(0, 3)), "");
}

struct QuoteCase {
    const char* name;
    std::u16string text;
    std::string want;  // "!" = error STRE
};

TEST_F(ParserTest, QuotedParameters) {
    const QuoteCase cases[] = {
        {"outer_quotes_kept", u"\"abc\"", "\"abc\""},
        {"doubled_quote_becomes_one", u"\"a\"\"b\"", "\"a\"b\""},
        {"two_doubled_quotes", u"\"\"\"\"\"\"", "\"\"\"\""},
        {"empty_string", u"\"\"", "\"\""},
        {"unterminated", u"\"abc", "!"},
        {"lone_quote", u"\"", "!"},
    };
    for (const QuoteCase& c : cases) {
        SCOPED_TRACE(c.name);
        p.ParamText.clear();
        setNamed(u"LIST9", c.text);
        const auto e = errorOf([&] {
            const std::string got = utf8(p.GetStringParam(yov::kParamRaw, 9));
            EXPECT_EQ(got, c.want);
        });
        if (c.want == "!") {
            EXPECT_EQ(e.first, 6002);
            EXPECT_EQ(e.second, "<STRE>");
        } else {
            EXPECT_EQ(e.first, 0);
        }
    }
}

struct NamedCase {
    const char* name;
    std::u16string text;
    int32_t want;
    int16_t nameIndex;
    int16_t kind;
};

TEST_F(ParserTest, LetterNumbers) {
    yov::pictureBuildState().BaseWidth = 120;
    yov::pictureBuildState().BaseHeight = 45;
    const NamedCase cases[] = {
        {"plain", u"25", 25, 0, 0},
        {"rounded_half_even", u"2.5", 2, 0, 0},
        {"empty_gives_default", u"", -9, 0, 0},
        {"left_letter", u"<5", 5, 1, 0},
        {"letter_then_blanks", u"L  20", 20, 3, 0},
        {"last_kind_zero_letter", u"U3", 3, 7, 0},
        {"centre_letter", u"*4", 4, 8, 1},
        {"letter_k", u"K4", 4, 10, 1},
        {"right_letter", u">6", 6, 11, 2},
        {"letter_f", u"F1", 1, 17, 2},
        {"letter_only_gives_default", u"R", -9, 14, 2},
        {"base_width", u"$BW", 120, 0, 0},
        {"base_height_lower_case", u"$ bh", 45, 0, 0},
        {"letter_and_base_width", u"<$BW", 120, 1, 0},
        {"range", u"3-3", 3, 0, 0},
    };
    for (const NamedCase& c : cases) {
        SCOPED_TRACE(c.name);
        setNamed(u"LIST3", c.text);
        int16_t kind = -1;
        EXPECT_EQ(p.GetLetterNumber(kind, -9, 3), c.want);
        EXPECT_EQ(p.NameIndex, c.nameIndex);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST_F(ParserTest, NamedNumberFailures) {
    setNamed(u"LIST3", u"$XX");
    auto e = errorOf([&] { p.GetNamedNumber(0, u"", 3); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Unknown number name: $XX");
    // A number the show cannot compute with is a script error, not a value cut to fit.
    setNamed(u"LIST3", u"9999999999");
    e = errorOf([&] { p.GetNamedNumber(0, u"", 3); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Number out of range (-1000000 to 1000000): \"9999999999\"");
    // Without letters nothing is taken as a letter.
    setNamed(u"LIST3", u"L5");
    e = errorOf([&] { p.GetNamedNumber(0, u"", 3); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(p.NameIndex, 0);
}

struct FractionCase {
    const char* name;
    std::u16string text;
    float want;
};

TEST_F(ParserTest, Fractions) {
    const FractionCase cases[] = {
        {"five_is_five_per_cent", u"5", 0.05f},   {"one_stays_one", u"1", 1.0f},
        {"minus_two_is_per_cent", u"-2", -0.02f}, {"quarter_stays", u"0.25", 0.25f},
        {"fifty_per_cent", u"50", 0.5f},          {"minus_one_stays", u"-1", -1.0f},
        {"empty_gives_default", u"", 0.75f},
    };
    for (const FractionCase& c : cases) {
        SCOPED_TRACE(c.name);
        setNamed(u"LIST5", c.text);
        EXPECT_FLOAT_EQ(p.GetFractionParam(0.75f, 5), c.want);
    }
}

TEST_F(ParserTest, RelativeValues) {
    EXPECT_DOUBLE_EQ(p.EvalRelativeValue(u"50%", 300.0).number(), 150);
    EXPECT_DOUBLE_EQ(p.EvalRelativeValue(u"", 300.0).number(), 300);
    EXPECT_DOUBLE_EQ(p.EvalRelativeValue(u"20", 300.0).number(), 20);
    EXPECT_DOUBLE_EQ(p.EvalRelativeValue(u"150%", 10.0).number(), 15);
    EXPECT_TRUE(p.EvalRelativeValue(u"").empty()) << "without a base an empty text stays empty";
    EXPECT_EQ(errorOf([&] { p.EvalRelativeValue(u"50%"); }).first, 6002) << "a per cent needs a base";
}

struct ColourCase {
    const char* name;
    std::u16string text;
    int32_t want;  // -2 = error ILCC
};

TEST_F(ParserTest, Colours) {
    const ColourCase cases[] = {
        {"hex_red", u"#FF0000", 255},
        {"hex_green", u"#00ff00", 0x00FF00},
        {"hex_blue", u"#0000FF", 0xFF0000},
        {"hex_mixed", u"#123456", 0x563412},
        {"three_values", u"255,0,0", 255},
        {"three_values_blanks", u" 1 , 2 , 3 ", 0x030201},
        {"above_255_count_as_255", u"300,400,500", 0xFFFFFF},
        {"above_32767_clamp", u"40000,70000,1e6", 0xFFFFFF},
        {"negative_clamps_to_0", u"-5,-40000,9", 0x090000},
        {"random_component", u"10-10,0,0", 10},
        {"hex_three_digits", u"#FFF", -2},
        {"hex_not_hex", u"#GG0000", -2},
        {"hex_too_long", u"#FF00000", -2},
        {"one_value", u"12", -2},
        {"four_values", u"1,2,3,4", -2},
        {"word", u"red", -2},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t got = -1;
        const auto e = errorOf([&] { got = p.ParseColor(c.text, 0); });
        if (c.want == -2) {
            EXPECT_EQ(e.first, 6002);
            EXPECT_EQ(e.second, "<ILCC:" + utf8(c.text) + ">");
        } else {
            EXPECT_EQ(e.first, 0) << e.second;
            EXPECT_EQ(got, c.want);
        }
    }
}

TEST_F(ParserTest, PixelColours) {
    // Not allowed here.
    setPixel(3, 4, 0x123456);
    auto e = errorOf([&] { p.ParseColor(u"3,4", 0); });
    EXPECT_EQ(e.second, "Color in Pixel coordinate mode not allowed here");
    // Allowed: the pixel's colour, read as plain numbers.
    setPixel(3, 7, 0x563412);
    EXPECT_EQ(p.ParseColor(u"3.4,7abc", 1), 0x563412);
    // No pixel to read (outside the canvas): an illegal colour.
    e = errorOf([&] { p.ParseColor(u"300,4", 1); });
    EXPECT_EQ(e.second, "<ILCC:300,4>");
}

TEST_F(ParserTest, ColourPairs) {
    int32_t second = 0;
    EXPECT_EQ(p.ParseColorParam(u"#FF0000 / 0,0,255", second), 255);
    EXPECT_EQ(second, 0xFF0000);
    EXPECT_EQ(p.ParseColorParam(u"#00FF00", second), 0x00FF00);
    EXPECT_EQ(second, -1);
    setPixel(1, 1, 7);
    setPixel(2, 2, 9);
    EXPECT_EQ(p.ParseColorParam(u"1,1/2,2", second), 7) << "pixels allowed on both sides";
    EXPECT_EQ(second, 9);
}

struct BoolCase {
    std::u16string text;
    uint8_t want;
    bool message;
};

TEST_F(ParserTest, Booleans) {
    const BoolCase cases[] = {
        {u"F", 0, false}, {u"false", 0, false}, {u"No", 0, false}, {u"h", 0, false}, {u"0", 0, false},
        {u"T", 1, false}, {u"yes", 1, false},   {u"J", 1, false},  {u"d", 1, false}, {u"I", 1, false},
        {u"1", 1, false}, {u"", 1, false},      {u"x", 0, true},   {u" T", 0, true},
    };
    for (const BoolCase& c : cases) {
        SCOPED_TRACE(utf8(c.text));
        boxes_.clear();
        EXPECT_EQ(p.ParseBoolean(c.text), c.want);
        ASSERT_EQ(boxes_.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(utf8(boxes_[0].text), "<BOOLIL>: " + utf8(c.text));
            EXPECT_EQ(boxes_[0].style, 64);
        }
    }
}

struct PickCase {
    const char* name;
    std::u16string text;
    std::vector<int32_t> picks;
    std::string want;
    int32_t sum;  // the n drawn with, 0 = no draw
};

TEST_F(ParserTest, WeightedPicks) {
    const PickCase cases[] = {
        {"no_bar_unchanged", u" a:b ", {}, " a:b ", 0},
        {"second", u"a | b", {1}, "b", 2},
        {"weights", u"3:x|1:y", {2}, "x", 4},
        {"weight_text_not_trimmed", u"2: x|y", {0}, " x", 3},
        {"weight_leading_number", u"2abc:x|y", {2}, "y", 3},
        {"case_kept", u"aB|cD", {1}, "cD", 2},
        {"negative_weight_is_zero", u"-4:x|y", {}, "y", 0},
        {"zero_sum_empty", u"0:x|0:y", {}, "", 0},
        {"bar_in_brackets", u"(a|b)", {}, "(a|b)", 0},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.name);
        draws.clear();
        picks.assign(c.picks.begin(), c.picks.end());
        EXPECT_EQ(utf8(p.PickWeightedAlternative(c.text)), c.want);
        if (c.sum >= 2) {
            ASSERT_EQ(draws.size(), 1u);
            EXPECT_EQ(draws[0].first, c.sum);
            EXPECT_EQ(draws[0].second, 21002);
        } else {
            EXPECT_TRUE(draws.empty());
        }
    }
}

struct ListCase {
    const char* name;
    std::u16string list;
    std::string item;
    std::string rest;
    bool message;
};

TEST_F(ParserTest, ListItems) {
    const ListCase cases[] = {
        {"first_item", u" a ;b;c", "a", "b;c", false},
        {"last_item", u"  c  ", "c", "", false},
        {"empty_list", u"", "", "", false},
        {"braces_keep_semicolons", u"{x;y} z;w", "{x;y} z", "w", false},
        {"two_brace_groups", u"{a;b}{c;d};e", "{a;b}{c;d}", "e", false},
        {"brace_after_semicolon", u"a;{b;c}", "a", "{b;c}", false},
        {"unclosed_brace", u"a{b;c", "", "", true},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.clear();
        std::u16string list = c.list;
        EXPECT_EQ(utf8(p.NextListItem(list, u" in ctx")), c.item);
        EXPECT_EQ(utf8(list), c.rest);
        ASSERT_EQ(boxes_.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(utf8(boxes_[0].text), "<ILPAR> in ctx");
        }
    }
}

}  // namespace
