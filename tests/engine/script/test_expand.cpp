// Expansion of composition patterns: lists, alternatives with weights and a scripted
// random source, repetition, macros, stock vehicles, modifiers, limits and direction.
#include <gtest/gtest.h>

#include "expand_fixture.h"

using namespace expand_test;

namespace {

constexpr int32_t kEvery = 0x08000000;
constexpr int32_t kBangOnly = 0x10000000;
constexpr int32_t kRaw = 0x40000000;

struct ExpandCase {
    const char* name;
    const char* pattern;
    int32_t flags;
    int16_t direction;             // given
    std::vector<int32_t> randoms;  // the random source's answers, in order
    std::vector<std::string> strings;
    int16_t directionAfter = 0;  // 0: as given
};

class ExpandTable : public ExpandFixture, public ::testing::WithParamInterface<ExpandCase> {};

TEST_P(ExpandTable, Strings) {
    const ExpandCase& c = GetParam();
    Define("TRAIN", "BR101,2*WAGON");
    Define("PAIR", "X,Y");
    Define("ONE", "Q");
    Define("LEFTY", "<L1,L2");
    Define("NESTED", "TRAIN,ONE");
    Define("LIM", "[MI:1]L,M,N");
    SortMac();
    for (int32_t r : c.randoms) ScriptedRandom::Script().push_back(r);
    int16_t direction = c.direction;
    int32_t code = 0;
    const std::vector<std::string> got = Expand(c.pattern, c.flags, direction, &code);
    EXPECT_EQ(code, static_cast<int32_t>(c.strings.size()));
    EXPECT_EQ(got, c.strings);
    EXPECT_EQ(direction, c.directionAfter != 0 ? c.directionAfter : c.direction);
    EXPECT_TRUE(ScriptedRandom::Script().empty()) << "random answers left over";
}

const ExpandCase kCases[] = {
    // Lists and direction.
    {"ListLeft", "A,B,C", 0, -1, {}, {"A", "B", "C"}},
    {"ListLeftAs255", "A,B,C", 0, 255, {}, {"A", "B", "C"}},
    {"ListRight", "A,B,C", 0, 1, {}, {"C", "B", "A"}},
    {"DirectionChosenLeft", "A,B", 0, 0, {0}, {"A", "B"}, -1},
    {"DirectionChosenRight", "A,B", 0, 0, {1}, {"B", "A"}, 1},
    {"LeadingMarkBeatsCaller", "<A,B", 0, 1, {}, {"A", "B"}},
    {"LeadingMarkWrittenBack", ">A,B", 0, 0, {}, {"B", "A"}, 1},
    {"DirectionModifier", "[#D:r]A,B", 0, 0, {}, {"B[#D:r]", "A[#D:r]"}, 1},
    {"DirectionModifierOnItem", "A[#D:B],B", 0, 0, {}, {"A[#D:B]", "B"}, -1},
    {"BlanksAroundNames", "  A  , B C ,D", 0, -1, {}, {"A", "B C", "D"}},
    {"Empty", "", 0, -1, {}, {}},
    // Alternatives.
    {"AlternativeLastWhenZero", "X|Y", 0, -1, {0}, {"Y"}},
    {"AlternativeFirst", "X|Y", 0, -1, {1}, {"X"}},
    {"WeightedLastExaminedFirst", "3:A|1:B", 0, -1, {0}, {"B"}},
    {"WeightedOne", "3:A|1:B", 0, -1, {1}, {"A"}},
    {"WeightedThree", "3:A|1:B", 0, -1, {3}, {"A"}},
    {"WeightsSeenOnlyWithTwoAlternatives", "3:A", 0, -1, {}, {"3:", "A"}},
    {"AllWeightsZeroChooseNone", "0:A|0:B,C", 0, -1, {}, {}},
    {"NegativeWeightsChooseNone", "-1:A|1:B", 0, -1, {}, {}},
    {"NegativeWeightPassedOver", "-1:A|2:B", 0, -1, {}, {"B"}},
    {"WeightRange", "1-3:A|1:B", 0, -1, {2, 0}, {"B"}},
    {"WeightRangeDrawn", "1-3:A|1:B", 0, -1, {2, 3}, {"A"}},
    {"AlternativesAreLists", "A,B|C", 0, -1, {1}, {"A", "B"}},
    {"EveryAlternative", "X|Y", kEvery, -1, {}, {"X", "Y"}},
    {"EveryAlternativeWeighted", "2:X|1-4:Y,Z", kEvery, -1, {}, {"X", "Y", "Z"}},
    {"GroupAlternatives", "A,(B|C),D", 0, -1, {0}, {"A", "C", "D"}},
    // Repetition.
    {"IndependentCopies", "2*(X|Y)", 0, -1, {0, 1}, {"Y", "X"}},
    {"SameChoiceRepeated", "2@(X|Y)", 0, -1, {1}, {"X", "X"}},
    {"RepeatName", "3*A,B", 0, -1, {}, {"A", "A", "A", "B"}},
    {"RepeatZeroRemoves", "0*A,B", 0, -1, {}, {"B"}},
    {"RepeatRange", "2-4*A", 0, -1, {1}, {"A", "A", "A"}},
    {"RepeatOnceWithEvery", "3*A,2@B", kEvery, -1, {}, {"A", "B"}},
    {"RepeatNested", "2*3*A", 0, -1, {}, {"A", "A", "A", "A", "A", "A"}},
    // Joined names.
    {"JoinedGroup", "AB(1|2)", 0, -1, {0}, {"AB2"}},
    {"JoinedGroups", "(A|B)(1|2)", 0, -1, {1, 0}, {"A2"}},
    {"JoinedNumber", "1(A)", 0, -1, {}, {"1A"}},
    // Macros.
    {"Macro", "TRAIN", 0x100, -1, {}, {"BR101", "WAGON", "WAGON"}},
    {"MacroAnyCase", "train,one", 0x100, -1, {}, {"BR101", "WAGON", "WAGON", "Q"}},
    {"MacroBoundSeesOnlyDefinition", "ONE", 3, -1, {}, {"Q"}},
    {"MacroBoundBelowDefinition", "ONE", 2, -1, {}, {"ONE"}},
    {"MacrosOff", "TRAIN", 0, -1, {}, {"TRAIN"}},
    {"NestedMacros", "NESTED", 0x100, -1, {}, {"BR101", "WAGON", "WAGON", "Q"}},
    {"MacroInGroupWithModifier", "(PAIR)[m]", 0x100, -1, {}, {"X[m]", "Y[m]"}},
    {"MacroModifierToEach", "PAIR[m]", 0x100, -1, {}, {"X[m]", "Y[m]"}},
    {"SingleMacroTakesCharacters", "ONE+", 0x100, -1, {}, {"Q+"}},
    {"MacroDirectionMark", "LEFTY", 0x100, 1, {}, {"L1", "L2"}},
    // Stock.
    {"StockName", "BR101,wagon", 0, -1, {}, {"BR101", "wagon"}},
    {"StockBang", "!BR101,!NONE", 0, -1, {}, {"BR101", "!NONE"}},
    {"StockPrefixKey", "tank", 0, -1, {}, {"tank"}},
    {"StockMacroEntry", "MIXED", 0, -1, {}, {"BR101", "WAGON", "TANK"}},
    {"StockMacroEntryEmpty", "A,EMPTYMAC,B", 0, -1, {}, {"A", "B"}},
    // A macro entry of one vehicle names it; the modifiers written after the entry follow.
    {"StockMacroEntryOfOneVehicleNamesIt", "REPAINTED", 0, -1, {}, {"BR101[C:1][NAME:REPAINTED]"}},
    {"StockMacroEntryOfOneVehicleAndModifier", "REPAINTED[x]", 0, -1, {}, {"BR101[C:1][NAME:REPAINTED][x]"}},
    {"StockOwnText", "LOCO2,A", 0, -1, {}, {"LOCO2[FLIP]", "A"}},
    {"StockOwnTextAndModifier", "LOCO2[x]", 0, -1, {}, {"LOCO2[FLIP][x]"}},
    {"StockOwnTextCommaStartsItem", "LOC", 0, -1, {}, {"LOC", "TAIL"}},
    {"StockOwnTextCommaThenModifier", "LOC[x],A", 0, -1, {}, {"LOC", "TAIL[x]", "A"}},
    // Modifiers and characters.
    {"Modifiers", "A[m1][m2],B", 0, -1, {}, {"A[m1][m2]", "B"}},
    {"LeadingModifiersToEveryItem", "[L]A,(B,C)", 0, -1, {}, {"A[L]", "B[L]", "C[L]"}},
    {"GroupModifier", "(A,B)[m]", 0, -1, {}, {"A[m]", "B[m]"}},
    {"ModifierWithStringAndComment", "A[x=\"]\" /* ] */]", 0, -1, {}, {"A[x=\"]\" /* ] */]"}},
    {"NestedBrackets", "A[[b]]", 0, -1, {}, {"A[[b]]"}},
    {"Characters", "A+,B-", 0, -1, {}, {"A+", "B-"}},
    {"NameWithDash", "E-10,C:X", 0, -1, {}, {"E-10", "C:X"}},
    {"NameAfterModifierStartsItem", "A[m]B", 0, -1, {}, {"A[m]", "B"}},
    {"CommentDropped", "A/* , B */,C", 0, -1, {}, {"A", "C"}},
    {"RawModifierAlone", "[m],A", kRaw, -1, {}, {"[m]", "A"}},
    {"RawKeepsLimitAsModifier", "[MI:1]A,B", kRaw, -1, {}, {"[MI:1]", "A", "B"}},
    // Limits.
    {"MaxImage", "[MAXIMAGE:2]A,B,C", 0, -1, {}, {"A", "B"}},
    {"MaxImageShort", "[ mi : 1 ]A,B", 0, -1, {}, {"A"}},
    {"MaxPixel", "[MAXPIXEL:170]BR101,WAGON,WAGON", 0, -1, {}, {"BR101", "WAGON"}},
    {"MaxPixelUnknownWidth", "[MP:399]A,B", 0, -1, {}, {"A"}},
    {"LimitInsideMacroOnly", "X,LIM,Y", 0x100, -1, {}, {"X", "L", "Y"}},
    {"LimitStopsRepetition", "[MI:3]5*A", 0, -1, {}, {"A", "A", "A"}},
    {"LimitStopsCopies", "[MI:3]5@A", 0, -1, {}, {"A", "A", "A"}},
    // Commands.
    {"DirLeft", "$DIR(A,B)", 0, -1, {}, {"A"}},
    {"DirRight", "$DIR(A,B)", 0, 1, {}, {"B"}},
    {"DirChooses", "$dir(A,B),C", 0, 0, {1}, {"C", "B"}, 1},
    {"DirWithoutComma", "$DIR(A)", 0, 1, {}, {}},
    {"Mix", "$MIX(A,B,C)", 0, -1, {2, 0}, {"C", "A", "B"}},
    {"BetweenPassesThrough", "$BETWEEN(A,B),$SameSection(C)", 0, -1, {}, {"A", "B", "C"}},
};

INSTANTIATE_TEST_SUITE_P(Patterns, ExpandTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ExpandBehaviour : public ExpandFixture {};

TEST_F(ExpandBehaviour, LimitInMacroValue) {
    Define("LIM", "[MI:1]L,M,N");
    SortMac();
    int16_t direction = -1;
    EXPECT_EQ(Expand("X,LIM,Y", 0x100, direction), (std::vector<std::string>{"X", "L", "Y"}));
}

TEST_F(ExpandBehaviour, RandomRequestsNamedAndSized) {
    ScriptedRandom::Script() = {0, 1};
    int16_t direction = 0;
    Expand("3:A|1:B", 0, direction);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{4, 24001}, {2, 24005}};
    EXPECT_EQ(ScriptedRandom::Calls(), expected);
}

TEST_F(ExpandBehaviour, OutOfRangeRandomAnswerIsClamped) {
    ScriptedRandom::Script() = {99};
    int16_t direction = -1;
    EXPECT_EQ(Expand("X|Y", 0, direction), std::vector<std::string>{"X"});
}

TEST_F(ExpandBehaviour, StringArrayGrowsBy51AndKeepsElementZero) {
    strings_.redim(0);
    strings_[0] = u"untouched";
    int16_t direction = -1;
    EXPECT_EQ(Expand("A", 0, direction).size(), 1u);
    EXPECT_EQ(strings_.length(), 52);
    EXPECT_EQ(strings_[0], u"untouched");
    EXPECT_EQ(Expand("60*A", 0, direction).size(), 60u);
    EXPECT_EQ(strings_.length(), 103);
}

struct TypeCase {
    const char* name;
    char16_t way;
    uint8_t stateBefore;
    uint8_t stateAfter;
    uint16_t found;
    uint8_t heightAfter;
};

TEST_F(ExpandBehaviour, TypeBookkeeping) {
    const TypeCase cases[] = {
        {"E starts a sequence", u'E', 1, 3, 3, 50},
        {"S", u'S', 1, 4, 4, 0},
        {"T height class", u'T', 1, 6, 6, 50},
        {"F is 31 high", u'F', 1, 7, 7, 31},
        {"B counts as 8", u'B', 1, 8, 12, 0},
        {"1 is odd above 12", u'1', 1, 2, 13, 49},
        {"2 is odd above 12", u'2', 1, 2, 15, 48},
        {"\u0154 is even above 12", u'\u0154', 1, 6, 14, 49},
        {"H from state 1", u'H', 1, 11, 11, 0},
        {"H from state 2", u'H', 2, 0, 11, 0},
        {"H from state 9", u'H', 9, 11, 11, 0},
        {"H keeps state 11", u'H', 11, 11, 11, 0},
        {"R after S", u'R', 4, 3, 2, 0},
        {"state 0 stays", u'E', 0, 0, 3, 50},
        {"state outside the table stays", u'E', 200, 200, 3, 50},
        {"unknown letter is class 0", u'?', 2, 11, 0, 0},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetStock({{"V", c.way, 10}});
        shared_.ExpandState1 = c.stateBefore;
        shared_.ExpandState2 = 0;
        int16_t direction = -1;
        Expand("V", 0, direction);
        EXPECT_EQ(shared_.ExpandState1, c.stateAfter);
        EXPECT_EQ(shared_.TypeCodeFound, c.found);
        EXPECT_EQ(shared_.ExpandState2, c.heightAfter);
    }
}

TEST_F(ExpandBehaviour, HeightClassKeepsHighest) {
    SetStock({{"LOW", u'2', 10}, {"HIGH", u'E', 10}});
    shared_.ExpandState2 = 0;
    int16_t direction = -1;
    Expand("LOW,HIGH,LOW", 0, direction);
    EXPECT_EQ(shared_.ExpandState2, 50);
}

TEST_F(ExpandBehaviour, BangOnlyFlag) {
    shared_.ExpandState1 = 1;
    int16_t direction = -1;
    EXPECT_EQ(Expand("BR101,!WAGON", kBangOnly, direction), (std::vector<std::string>{"BR101", "WAGON"}));
    EXPECT_EQ(shared_.TypeCodeFound, 9);  // only WAGON ("P") was looked up
}

TEST_F(ExpandBehaviour, ReaderSourcesSurvive) {
    // ExpandS takes its nodes above the reader's open sources and gives the space back.
    InitTtRead();
    LvText script(u"%*DEF(M(x)=<%x>\n<%x>)%M(abc)\nend\n");
    ASSERT_EQ(OpenTtFile("s", 0, script.get()), 0);
    LvText buffer = LvText::Buffer(64);
    int32_t value, line;
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 5);  // "<abc>", inside the macro
    int16_t direction = -1;
    std::string big;
    for (int i = 0; i < 3000; ++i) big += "VEHICLE" + std::to_string(i) + "[modifier text],";
    EXPECT_EQ(Expand(big + "LAST", 0, direction).size(), 3001u);
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 5);
    EXPECT_EQ(std::u16string(buffer.get(), 5), u"<abc>");
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 3);
    FinishTtRead();
}

}  // namespace
