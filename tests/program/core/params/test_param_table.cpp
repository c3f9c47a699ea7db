// The parameter table of a script line: items, modes, look-up by alias lists, nested sets,
// expansion of pattern texts, script items and the block stack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_parser_fixture.h"
#include "program/core/params/param_table.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"

namespace {

using param_test::utf8;

class ParamTableTest : public param_test::ParserTest {
protected:
    std::string get(std::u16string_view aliases, std::u16string_view def = u"-") {
        return utf8(t.GetParam(aliases, def));
    }
};

struct ItemCase {
    const char* name;
    std::u16string list;
    std::u16string aliases;
    std::string want;
};

TEST_F(ParamTableTest, ParsesItems) {
    const ItemCase cases[] = {
        {"name_and_value", u"N=abc", u"N", "abc"},
        {"name_upper_cased", u"name = x y ", u"NAME", "x y"},
        {"value_case_kept", u"N=AbC", u"N", "AbC"},
        {"flag_alone", u"FLAG", u"FLAG", "\x01"},
        {"empty_value_adds_nothing", u"N=", u"N", "-"},
        {"repeated_name_replaces", u"N=1;N=2", u"N", "2"},
        {"append", u"N=ab;N+=cd", u"N", "abcd"},
        {"prepend", u"N=ab;N-=cd", u"N", "cdab"},
        {"keep", u"N=ab;N#=cd", u"N", "ab"},
        {"mode_with_blanks", u"N=ab;N + =cd", u"N", "abcd"},
        {"mode_on_absent_adds", u"N+=cd", u"N", "cd"},
        {"parenthesised_value", u"V=(x;y)", u"V", "x;y"},
        {"parentheses_kept_when_not_last", u"V=(x)y", u"V", "(x)y"},
        {"two_groups_kept", u"V=(a)(b)", u"V", "(a)(b)"},
        {"name_evaluated", u"a|b=1", u"A", "1"},
        {"rest_unwrapped", u"A=1;(B=2;C=3)", u"C", "3"},
        {"semicolon_in_brackets", u"A=[x;y];B=2", u"A", "[x;y]"},
        {"second_alias", u"NAME=z", u"N,NAME", "z"},
        {"blank_items", u" ; ;A=1; ", u"A", "1"},
    };
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(c.name);
        picks = {0};
        t.ParseParams(c.list);
        EXPECT_EQ(get(c.aliases), c.want);
    }
}

TEST_F(ParamTableTest, AliasAndFoundIndexes) {
    t.ParseParams(u"A=1;NAME=x");
    EXPECT_EQ(get(u"N,NAME"), "x");
    EXPECT_EQ(t.AliasIndex, 2);
    EXPECT_EQ(t.FoundIndex, 2);
    EXPECT_EQ(get(u"Q,R", u"d"), "d");
    EXPECT_EQ(t.AliasIndex, 0);
    EXPECT_EQ(t.FoundIndex, 0);

    // A blanked value hides the name: the default, and no later alias is tried.
    t.Values[2].clear();
    t.AddParam(u"N", u"later");
    EXPECT_EQ(get(u"NAME,N", u"d"), "d");
    EXPECT_EQ(t.FoundIndex, 0);
}

TEST_F(ParamTableTest, TrainTexts) {
    yov::UpperCalls calls = yov::upperCalls();
    calls.trainStepText = [](int32_t n) { return u"step" + plat::utf8ToUtf16(std::to_string(n)); };
    const yov::ScopedInstall<yov::UpperCalls> use(calls);
    EXPECT_EQ(get(u"*3"), "step3");
    EXPECT_EQ(t.AliasIndex, -1);
    EXPECT_EQ(t.FoundIndex, -1);
    EXPECT_EQ(get(u"*"), "step0");
    EXPECT_EQ(get(u"*99"), "step12");
}

TEST_F(ParamTableTest, NestedSetsAndBase) {
    t.ParseParams(u"A=outer;B=b");
    t.WithParams(u"A=inner", [&] {
        EXPECT_EQ(get(u"A"), "inner");
        EXPECT_EQ(get(u"B"), "-") << "the enclosing set is below the base";
    });
    EXPECT_EQ(get(u"A"), "outer");
    EXPECT_EQ(t.Top, 2);
    EXPECT_EQ(t.Base, 0);

    // Restored when the use fails too.
    EXPECT_THROW(t.WithParams(u"A=x", [] { throw std::runtime_error("x"); }), std::runtime_error);
    EXPECT_EQ(get(u"A"), "outer");

    p.ParamPositionalOnly = 1;
    t.ClearParams();
    EXPECT_EQ(p.ParamPositionalOnly, 0) << "a new set clears the positional-only byte";
    EXPECT_EQ(t.Top, 0);
}

TEST_F(ParamTableTest, TableGrowsInSteps) {
    std::u16string list;
    for (int i = 0; i < 25; ++i) list += u"P" + plat::utf8ToUtf16(std::to_string(i)) + u"=v;";
    t.ParseParams(list);
    EXPECT_EQ(t.Top, 25);
    EXPECT_EQ(t.Alloc, 40);
    EXPECT_EQ(get(u"P24"), "v");
}

struct ErrorCase {
    const char* name;
    std::u16string list;
    std::string description;
};

TEST_F(ParamTableTest, SyntaxErrors) {
    const ErrorCase cases[] = {
        {"item_starts_with_equals", u"A=1;=x", "<SYNE>"},      {"mode_without_name", u"+=x", "<SYNE>"},
        {"stray_closer", u"A=1);B=2", "<PARMA>: A=1);B=2"},    {"unclosed_bracket", u"A=(1;B=2", "<PARMA>: A=(1;B=2"},
        {"unclosed_square_bracket", u"A=[1", "<PARMA>: A=[1"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [number, description] = errorOf([&] { t.ParseParams(c.list); });
        EXPECT_EQ(number, 6002);
        EXPECT_EQ(description, c.description);
    }
}

TEST_F(ParamTableTest, PatternTexts) {
    const std::vector<std::u16string>& patterns = engine.patterns;
    const std::vector<int32_t>& flags = engine.flags;
    std::vector<std::u16string>& results = engine.results;
    yov::programState().Shared.MacroCount = 5;
    results = {u",[A=1][B=2];", u";;[C=(3)]", u""};
    t.ParseParams(u"=pat");
    EXPECT_EQ(get(u"A"), "1");
    EXPECT_EQ(get(u"B"), "2");
    EXPECT_EQ(get(u"C"), "3");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(utf8(patterns[0]), "pat");
    EXPECT_EQ(flags[0], 5 | 0x40000000);

    results = {u"x[A=1]"};
    EXPECT_EQ(errorOf([&] { t.ExpandParamText(u"p"); }).second, "<APMB>");
    results = {u"[A=1"};
    EXPECT_EQ(errorOf([&] { t.ExpandParamText(u"p"); }).second, "<MISB:[A=1>");

    results = {u"a", u"b", u"c"};
    EXPECT_EQ(utf8(t.ExpandText(u"p", 77)), "a,b,c");
    EXPECT_EQ(flags.back(), 77);
    EXPECT_EQ(utf8(t.ExpandText(u"", 77)), "");

    engine.failure = -12345;
    const auto e = errorOf([&] { t.ExpandText(u"p", 0); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Error 12345: Error 12345") << "the engine's numbered error";
    const size_t asked = patterns.size();
    t.ExpandParamText(u"");
    EXPECT_EQ(patterns.size(), asked) << "nothing to expand, nothing asked";
}

TEST_F(ParamTableTest, ScriptItemsAndBlocks) {
    EXPECT_EQ(t.BlockHasKind(u"SG"), 0) << "no block open";
    EXPECT_EQ(t.AddScriptItem(u"first", {3, 10}), 1);
    EXPECT_EQ(t.PushBlock(u"$G1", {3, 11}), 2);
    EXPECT_EQ(t.BlockCount, 1);
    EXPECT_EQ(t.Blocks[1], 2);
    EXPECT_EQ(t.BlockHasKind(u"SG"), 2);
    EXPECT_EQ(t.BlockHasKind(u"SL"), 0);
    EXPECT_EQ(t.PushBlock(u"$S2"), 3);
    EXPECT_EQ(t.BlockHasKind(u"SG"), 1);
    const yov::ScriptItem& item = t.Items[2];
    EXPECT_EQ(utf8(item.Text), "$G1");
    EXPECT_EQ(item.FileIndex, 3);
    EXPECT_EQ(item.Line, 11);

    for (int i = 0; i < 150; ++i) t.AddScriptItem(u"x");
    EXPECT_EQ(t.ItemCount, 153);
    EXPECT_EQ(t.ItemAlloc, 200);
    t.ClearItems();
    EXPECT_EQ(t.ItemCount, 0);
    EXPECT_EQ(t.BlockCount, 0);
    EXPECT_EQ(t.AddScriptItem(u"again"), 1);
    EXPECT_EQ(t.Items[1].FileIndex, 0) << "a reused record starts afresh";
    EXPECT_EQ(t.Items[1].Line, 0);
}

TEST_F(ParamTableTest, NamedParametersThroughTheParser) {
    t.ParseParams(u"X=2|3;LIST4=40");
    picks = {1};
    p.ParamText.clear();
    EXPECT_EQ(p.GetNamedNumber(0, u"", 4), 40);
    EXPECT_EQ(p.ParamSource, 2);
    engine.lists[1] = u"Y,X";
    EXPECT_EQ(utf8(p.GetStringParam(0, 1)), "3");
}

TEST_F(ParamTableTest, NumbersOfParameters) {
    struct Case {
        const char* name;
        std::u16string list;
        int32_t reference;
        float want;
    };
    const Case cases[] = {
        {"percentage_of_reference", u"LY=40%", 5, 2.0f},
        {"absent_gives_reference", u"X=1", 5, 5.0f},
        {"absent_without_default", u"X=1", static_cast<int32_t>(0x80000001u), 0.0f},
        {"percentage_ignores_top_bits", u"LY=50%", static_cast<int32_t>(0x80000064u), 50.0f},
        {"plain_number", u"LY=7", 5, 7.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.ParseParams(c.list);
        EXPECT_EQ(t.GetParamNumber(u"LY", c.reference), c.want);
    }
    // Speeds fall back to the default, the fallback text, the script's default speed, and
    // last a random speed from 2 to 12.
    t.ParseParams(u"X=1");
    EXPECT_EQ(t.GetParamOrRandom(u"V", 3.5f, u"9"), 3.5f);
    EXPECT_EQ(t.GetParamOrRandom(u"V", 0, u"9"), 9.0f);
    t.DefaultSpeed = 4;
    EXPECT_EQ(t.GetParamOrRandom(u"V", 0, u""), 4.0f);
    t.DefaultSpeed = 0;
    for (double draw : {0.0, 0.05, 0.5, 0.99}) {
        fractions = {draw};
        const float v = t.GetParamOrRandom(u"V", 0, u"");
        EXPECT_GE(v, 2.0f);
        EXPECT_LE(v, 12.0f);
    }
    fractions = {0.01};
    EXPECT_EQ(t.GetParamOrRandom(u"V", 0, u""), 2.0f) << "a fraction below 0.22 is cut off";
}

}  // namespace
