// Logical lines out of physical ones: comments, "$" lines, strings, continuations,
// "%" macros and conditionals against options.
#include <gtest/gtest.h>

#include <utility>

#include "tt_fixture.h"

using namespace tt_test;

namespace {

struct OptionSetting {
    const char* name;
    int32_t value;
};

struct LineCase {
    const char* name;
    const char* text;
    std::vector<OptionSetting> options;
    std::vector<std::string> lines;
    int32_t code = -1;  // how the reading ends
};

class TimetableLines : public ReaderTest<::testing::TestWithParam<LineCase>> {};

TEST_P(TimetableLines, ReadsAsExpected) {
    const LineCase& c = GetParam();
    for (const OptionSetting& o : c.options) {
        LvText name(U(o.name));
        ASSERT_EQ(SetTtOption(name.get(), o.value), 0);
    }
    LvText text(U(c.text));
    ASSERT_EQ(OpenTtFile("script.ttt", 7, text.get()), 0);
    const ReadResult r = ReadAll();
    EXPECT_EQ(r.lines, c.lines);
    EXPECT_EQ(r.code, c.code);
}

const LineCase kLineCases[] = {
    {"LastLineWithoutLineFeed", "abc", {}, {"abc"}},
    {"EmptyLines", "\n\na\n", {}, {"", "", "a"}},
    {"OnlyBlanksIsNoLine", "   ", {}, {}},
    {"TrailingBlanksAfterLastLineFeed", "a\n  \t", {}, {"a"}},
    {"BlankLineInsideStillALine", "a\n  \nb\n", {}, {"a", "", "b"}},
    {"LeadingBlanksDropped", "   a  b \n", {}, {"a  b "}},
    {"Continuation", "a \\\n   b\n", {}, {"a b"}},
    {"ContinuationTrimsTrailingBlanks", "a   \\\nb\n", {}, {"a b"}},
    {"BackslashOtherwiseKept", "a\\b\\{\n", {}, {"a\\b\\{"}},
    {"TabIsBlankAndCrDropped", "a\tb\r\n", {}, {"a b"}},
    {"PercentPercent", "50%%\n", {}, {"50%"}},
    {"PercentDigit", "a%1b\n", {}, {"a%1b"}},
    {"PercentAtEnd", "a%", {}, {"a%"}},
    {"CommentLines",
     "# one\n* two\n/ three\n; four\n   # five\n",
     {},
     {"# one", "* two", "/ three", "; four", "# five"}},
    {"CommentLineKeepsMacrosAndBraces", "# %DEF(A=1) {x} %%\n", {}, {"# %DEF(A=1) {x} %%"}},
    {"InfoLineVerbatim", "$INFO a /* b */ {c}\n", {}, {"$INFO a /* b */ {c}"}},
    {"InfoAnyCase", "$info  x\n", {}, {"$info  x"}},
    {"DollarLineProcessed", "$SECT a /* b */\n", {}, {"$SECT a "}},
    {"DollarWordAlone", "$END\nx\n", {}, {"$END", "x"}},
    {"BlockComment", "a/*x*/b\n", {}, {"ab"}},
    {"BlockCommentAcrossLines", "a/* x\ny */b\n", {}, {"ab"}},
    {"BlockCommentToEnd", "ab /* never closed\n", {}, {"ab "}},
    {"SlashKept", "a/b\n", {}, {"a/b"}},
    {"SlashAtEnd", "a/", {}, {"a/"}},
    {"String", "x=\"a /* b */ {c}\" y\n", {}, {"x=\"a /* b */ {c}\" y"}},
    {"StringEscapedQuote", "\"a\\\"b\"\n", {}, {"\"a\\\"b\""}},
    {"StringJoinsLines", "\"a\\\nb\"\n", {}, {"\"ab\""}},
    // Macros.
    {"DefinitionYieldsNothing", "%DEF(A=hello)\n%A world\n", {}, {"", "hello world"}},
    {"DefinitionKeywords", "%define(A=1)%DEFMAC(B=2)%Def(C=3)%A%B%C\n", {}, {"123"}},
    {"SemicolonEndsName", "%DEF(A=1)%A;2\n", {}, {"12"}},
    {"OtherTerminatorKept", "%DEF(A=1)%A-2\n", {}, {"1-2"}},
    {"UnknownNameDropsTerminator", "x%FOO;y%BAR z\n", {}, {"xyz"}},
    {"UnknownNameAtLineEndJoinsLines", "x%FOO\ny\n", {}, {"xy"}},
    {"ExpandedAtDefinition", "%DEF(A=1)%DEF(B=%A%A)%DEF(A=2)%B\n", {}, {"11"}},
    {"StarredExpandedAtUse", "%DEF(A=1)%*DEF(B=%A%A)%DEF(A=2)%B\n", {}, {"22"}},
    {"Arguments", "%*DEF(M(x,y)=<%x|%y>)%M(1,2)\n", {}, {"<1|2>"}},
    {"ArgumentsWithParentheses", "%*DEF(M(x,y)=[%x;%y])%M((a,b),c)\n", {}, {"[(a,b)c]"}},
    {"MissingArgumentYieldsNothing", "%*DEF(M(x,y)=[%x%y;])%M(1)\n", {}, {"[1]"}},
    {"EmptyParameterEntriesSkipped", "%*DEF(M(,x,,y,)=%x%y)%M(1,2)\n", {}, {"12"}},
    {"ParameterOfOuterMacro", "%*DEF(I(y)=<%y>)%*DEF(O(x)=%I(%x))%O(7)\n", {}, {"<7>"}},
    {"NestedMacroInArgument", "%DEF(A=a)%*DEF(M(x)=[%x])%M(%A;)\n", {}, {"[a]"}},
    {"BodyAcrossLines", "%*DEF(M=a\nb)%M\n", {}, {"a", "b"}},
    {"ParameterAtEndOfBody", "%*DEF(M(x)=<%x)%M(1)\n", {}, {"<1"}},
    {"MacroAtEndOfBody", "%DEF(A=a)%*DEF(M=<%A)%M;\n", {}, {"<a"}},
    {"NewestDefinitionWins", "%DEF(A=1)%DEF(A=2)%A\n", {}, {"2"}},
    {"SelfReferenceMeansEarlierDefinition", "%DEF(A=1)%DEF(A=<%A>)%A\n", {}, {"<1>"}},
    {"MacroNamesCaseSensitive", "%DEF(A=1)%a;x\n", {}, {"x"}},
    {"DefinitionInSkippedTextTakesEffect", "{0?%DEF(A=1)}%A\n", {{"=", 0}}, {"1"}},
    // Conditionals.
    {"ThenPart", "{X?yes?no}\n", {{"X", 1}}, {"yes"}},
    {"ElsePart", "{X?yes?no}\n", {{"X", 0}}, {"no"}},
    {"FalseWithoutElse", "a{X?yes}b\n", {{"X", 0}}, {"ab"}},
    {"BareCondition", "a{X}b\n", {{"X", 5}}, {"ab"}},
    {"DefaultAfterEquals", "{X=1?a}\n", {}, {"a"}},
    {"DefaultLetters", "{A=y?1}{B=N?2}{C=t?3}{D=o?4}{E=J?5}{F=h?6}{G=d?7}{H=f?8}{I=i?9}\n", {}, {"13579"}},
    {"SetOptionBeatsDefault", "{X=1?a?b}\n", {{"X", 0}}, {"b"}},
    {"DefaultOptionValue", "{X?a?b}\n", {{"=", 1}}, {"a"}},
    {"AndAndReadsBothSides", "{A&&B?x}\n", {{"A", 0}, {"B", 1}}, {""}},
    {"ConditionSpansLines", "a{X?b\nc?d\ne}f\n", {{"X", 1}}, {"ab", "cf"}},
    {"SkippedTextSpansLines", "a{X?b\nc?d\ne}f\n", {{"X", 0}}, {"ad", "ef"}},
    {"NestedConditionalsSkipped", "{X?{Y?a?b}?c}\n", {{"X", 0}, {"Y", 1}}, {"c"}},
    {"NestedConditionalsTaken", "{X?{Y?a?b}?c}\n", {{"X", 1}, {"Y", 0}}, {"b"}},
    {"StringInSkippedText", "{X?\"?}\"?c}\n", {{"X", 0}}, {"c"}},
    {"OptionNamesCaseSensitive", "{x=0?a?b}\n", {{"X", 1}}, {"b"}},
    {"MacroInCondition", "%DEF(C=X>1)%*DEF(T=yes){%C?%T?no}\n", {{"X", 2}}, {"yes"}},
};

INSTANTIATE_TEST_SUITE_P(Lines, TimetableLines, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every operator of a condition: "{expression?T?F}".
struct ConditionCase {
    const char* expression;
    bool expected;
};

class TimetableConditions : public TimetableLines {};

TEST_F(TimetableConditions, EveryOperator) {
    const ConditionCase cases[] = {
        {"1+2*3==7", true},
        {"(1+2)*3==9", true},
        {"7/2==3", true},
        {"-7/2==-3", true},
        {"10-2-3==5", true},
        {"1<2", true},
        {"2<1", false},
        {"2<=2", true},
        {"3<=2", false},
        {"3>2", true},
        {"2>=3", false},
        {"3>=3", true},
        {"1!=1", false},
        {"1!=2", true},
        {"1=1", true},
        {"1==2", false},
        {"!0", false},
        {"!5", true},
        {"!-5==-1", true},
        {"++1", true},
        {"--1==1", true},
        {"-+-1==1", true},
        {"(5&3)==1", true},
        {"5&3==1", false},
        {"(5|2)==7", true},
        {"0|0", false},
        {"2&&0", false},
        {"2&&3==-1", false},
        {"(2&&3)==-1", true},
        {"0||3", true},
        {"0||0", false},
        {"(1<2)==-1", true},
        {"X=1", true},
        {"X==1", false},
        {"Y==1", true},
        {"Y = 1", true},
        {"2147483647+1<0", true},
        {"  1 +  1 == 2 ", true},
        {"Y*3==3", true},
    };
    LvText y(u"Y");
    ASSERT_EQ(SetTtOption(y.get(), 1), 0);
    LvText x(u"X0");  // X itself stays unset, so "X=1" takes its default
    ASSERT_EQ(SetTtOption(x.get(), 0), 0);
    LvText def(u"=");
    ASSERT_EQ(SetTtOption(def.get(), 0), 0);
    for (const ConditionCase& c : cases) {
        SCOPED_TRACE(c.expression);
        LvText text(U(std::string("{") + c.expression + "?T?F}\n"));
        ASSERT_EQ(OpenTtFile("c", 0, text.get()), 0);
        const ReadResult r = ReadAll();
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.lines[0], c.expected ? "T" : "F");
    }
}

TEST_F(TimetableLines, OptionsSetBetweenLines) {
    LvText text(u"{X?a?b}\n{X?a?b}\n");
    LvText x(u"X");
    ASSERT_EQ(SetTtOption(x.get(), 1), 0);
    ASSERT_EQ(OpenTtFile("s", 0, text.get()), 0);
    LvText buffer = LvText::Buffer(64);
    int32_t value = 0, line = 0;
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 1);
    EXPECT_EQ(buffer.get()[0], u'a');
    ASSERT_EQ(SetTtOption(x.get(), 0), 0);
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 1);
    EXPECT_EQ(buffer.get()[0], u'b');
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -1);
}

TEST_F(TimetableLines, SetTtOptionRefusesBadNames) {
    LvText empty(u"");
    EXPECT_EQ(SetTtOption(empty.get(), 1), -11601);
    EXPECT_EQ(SetTtOption(nullptr, 1), -11601);
    LvText longest(std::u16string(128, u'A'));
    EXPECT_EQ(SetTtOption(longest.get(), 1), 0);
    LvText tooLong(std::u16string(129, u'A'));
    EXPECT_EQ(SetTtOption(tooLong.get(), 1), -11602);
}

TEST_F(TimetableLines, OptionsAndMacrosGoWithInitTtRead) {
    LvText x(u"X");
    ASSERT_EQ(SetTtOption(x.get(), 1), 0);
    LvText first(u"%DEF(A=1)\n");
    ASSERT_EQ(OpenTtFile("s", 0, first.get()), 0);
    ReadAll();
    InitTtRead();
    LvText second(u"%A;{X=0?set?unset}\n");
    ASSERT_EQ(OpenTtFile("s", 0, second.get()), 0);
    EXPECT_EQ(ReadAll().lines, std::vector<std::string>{"unset"});
}

TEST_F(TimetableLines, ValueAndLineOfEachLine) {
    // The line is taken when the first character of the logical line has been read.
    LvText text(u"a\n  b\nx/*\n*/c\nd");
    ASSERT_EQ(OpenTtFile("s", 42, text.get()), 0);
    LvText buffer = LvText::Buffer(64);
    std::vector<std::pair<int32_t, int32_t>> seen;
    for (;;) {
        int32_t value = 0, line = 0;
        if (GetTtLine(buffer.get(), &value, &line) < 0) break;
        seen.emplace_back(value, line);
    }
    const std::vector<std::pair<int32_t, int32_t>> expected = {{42, 1}, {42, 2}, {42, 3}, {42, 5}};
    EXPECT_EQ(seen, expected);
}

}  // namespace
