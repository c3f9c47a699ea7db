// Failures of ExpandS: every code, whether it is reported through events 206 and 214, and
// the report's tree of nodes.
#include <gtest/gtest.h>

#include "expand_fixture.h"

using namespace expand_test;

namespace {

struct ErrorCase {
    const char* name;
    std::string pattern;
    int32_t flags;
    int32_t code;
    bool reported;  // failures after the pattern was parsed are reported
};

class ExpandErrors : public ExpandFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ExpandErrors, Code) {
    const ErrorCase& c = GetParam();
    Define("SELF", "A,SELF");
    Define("TWICE", "TWICE,TWICE");
    Define("BAD", "(X");
    SortMac();
    strings_.redim(0);
    strings_[0] = u"zero";
    int16_t direction = 0;
    int32_t code = 0;
    Expand(c.pattern, c.flags, direction, &code);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(direction, 0) << "the direction is written back only on success";
    EXPECT_EQ(strings_[0], u"zero");
    if (c.reported) {
        ASSERT_GE(EventLog::Lines().size(), 2u);
        EXPECT_EQ(EventLog::Lines().front(), "Error " + std::to_string(c.code) + " in SGen2()");
        EXPECT_EQ(EventLog::Lines().back(), "<214>");
    } else {
        EXPECT_TRUE(EventLog::Lines().empty());
    }
}

std::string Many(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

const ErrorCase kErrorCases[] = {
    {"MissingParenthesis", "(A", 0, -12402, false},
    {"UnterminatedStringInModifier", "A[\"abc]", 0, -12403, false},
    {"StringKeptOpenByDoubledQuote", "A[\"a\"\"]", 0, -12403, false},
    {"UnterminatedCommentInModifier", "A[/* ]", 0, -12404, false},
    {"UnterminatedModifier", "A[abc", 0, -12405, false},
    {"BracketWithoutOpen", "A]", 0, -12406, false},
    {"UnterminatedComment", "A/* B", 0, -12407, false},
    {"CloseWithoutOpen", "A)", 0, -12408, false},
    {"GroupsTooDeep", Many("(", 300) + "A" + Many(")", 300), 0, -12426, false},
    {"CombinedNameTooLong", std::string(40000, 'N') + "(" + std::string(40000, 'M') + ")", 0, -12412, true},
    {"CharacterBeforeItem", "+A", 0, -12415, true},
    {"ModifierWithoutName", "A,[m]", 0, -12416, true},
    {"GroupInsideItem", "A[m](B)", 0, -12417, true},
    {"JoinedGroupOfSeveral", "A(B,C)", 0, -12417, true},
    {"GroupAndText", "(A,B)+", 0, -12418, true},
    {"TooManyItems", "99999*A", 0, -12421, true},
    {"RepetitionOfNothingIsBounded", "99999999*(0:A|0:B)", 0, -12421, true},
    {"NameInWeight", "AB:C|D", 0, -12423, true},
    {"MalformedRange", "1-:A|B", 0, -12424, true},
    {"EmptyWeight", ":A|B", 0, -12424, true},
    {"RangeOfThree", "1-2-3:A|B", 0, -12424, true},
    {"MacroCallsItself", "SELF", 0x100, -12426, true},
    {"ExponentialMacro", "TWICE", 0x100, -12426, true},
    {"UnknownCommand", "$FOO(x)", 0, -12427, true},
    {"CommandWithoutGroup", "$MIX", 0, -12428, true},
    {"DirWithoutGroup", "$DIR,A", 0, -12428, true},
    {"MacroValueFailsToParse", "BAD", 0x100, -12402, true},
};

INSTANTIATE_TEST_SUITE_P(Codes, ExpandErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ExpandReport : public ExpandFixture {};

TEST_F(ExpandReport, DoublingMacrosAreBounded) {
    Define("M0", "A,A");
    for (int i = 1; i <= 40; ++i)
        Define(("M" + std::to_string(i)).c_str(), ("M" + std::to_string(i - 1) + ",M" + std::to_string(i - 1)).c_str());
    SortMac();
    int16_t direction = -1;
    int32_t code = 0;
    Expand("M40", 0x100, direction, &code);
    EXPECT_EQ(code, -12421);
}

TEST_F(ExpandReport, TreeOfNodes) {
    int16_t direction = -1;
    int32_t code = 0;
    Expand("12,A[m]+(B|$FOO(x))", 0, direction, &code);
    EXPECT_EQ(code, -12417);
    const std::vector<std::string> expected = {
        "Error -12417 in SGen2()",
        "NUMB: 12",
        "CHAR: ,",
        "NAME: A",
        "MOD [m]",
        "CHAR: +",
        "(",
        "  NAME: B",
        "  CHAR: |",
        "  NAME: $FOO",
        "  (",
        "    NAME: x",
        "  )",
        ")",
        "<214>",
    };
    EXPECT_EQ(EventLog::Lines(), expected);
}

TEST_F(ExpandReport, NoCallbackNoReport) {
    lvk::SetEventCallback(nullptr);
    int16_t direction = -1;
    int32_t code = 0;
    Expand("$FOO(x)", 0, direction, &code);
    EXPECT_EQ(code, -12427);
}

TEST_F(ExpandReport, WrongArrayIsRefused) {
    SharedArray<int32_t> numbers;
    LvText p(u"A");
    int16_t direction = -1;
    EXPECT_EQ(ExpandS(p.get(), numbers.desc(), 0, &direction), -12421);
    EXPECT_EQ(ExpandS(p.get(), nullptr, 0, &direction), -12421);
    EXPECT_EQ(ExpandS(p.get(), nullptr, 0x100, nullptr), -12421);
    LvText empty(u"");
    EXPECT_EQ(ExpandS(empty.get(), nullptr, 0, &direction), 0);
}

}  // namespace
