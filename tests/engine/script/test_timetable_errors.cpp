// Every failure of the timetable reader: its code, and where GetTtPosition says it happened.
#include <gtest/gtest.h>

#include "engine/script/source_store.h"
#include "engine/base/recovery.h"
#include "engine/script/timetable_reader.h"
#include "tt_fixture.h"

using namespace tt_test;

namespace {

struct ErrorCase {
    const char* name;
    std::string text;  // read from a text source named "err"; the failing line is the last
    int32_t code;
    int32_t line;  // of the innermost source at the failure
    int32_t column;
    int32_t capacity = 256;
};

std::string Long(char c, int n) { return std::string(static_cast<size_t>(n), c); }

class TimetableErrors : public ReaderTest<::testing::TestWithParam<ErrorCase>> {};

TEST_P(TimetableErrors, CodeAndPosition) {
    const ErrorCase& c = GetParam();
    LvText text(U(c.text));
    ASSERT_EQ(OpenTtFile("err", 3, text.get()), 0);
    const ReadResult r = ReadAll(c.capacity);
    EXPECT_EQ(r.code, c.code);
    const Position p = PositionAt(0);
    EXPECT_EQ(p.kind, 2);
    EXPECT_EQ(p.name, "err");
    EXPECT_EQ(p.line, c.line);
    EXPECT_EQ(p.column, c.column);
}

const ErrorCase kErrorCases[] = {
    {"MissingCloseParenthesis", "ok\n{(1?x}\n", -11604, 2, 4},
    {"OptionNameTooLong", "{" + Long('A', 129) + "?x}\n", -11605, 1, 130},
    {"OptionNotSet", "\n{X?x}\n", -11606, 2, 3},
    {"IllegalPrimary", "{1+@?x}\n", -11607, 1, 4},
    {"ConditionNestedTooDeeply", "{" + Long('(', 300) + "1?x}\n", -11607, 1, 258},
    {"BangWithoutEquals", "{1!2?x}\n", -11608, 1, 4},
    {"NeitherQuestionNorBrace", "{1 2}\n", -11609, 1, 5},
    {"LineFeedInString", "a\n\"abc\ndef\"\n", -11610, 3, 0},
    {"LineTooLong", "abcdefgh\n", -11611, 1, 5, 4},
    {"QuestionOutsideCondition", "a\nb?c\n", -11612, 2, 2},
    {"BraceOutsideCondition", "a}\n", -11612, 1, 2},
    {"MacroNameTooLong", "%" + Long('M', 129) + "\n", -11616, 1, 130},
    {"ArgumentsRunPastTheirSource", "%*DEF(M(x)=%x)\n%M(abc", -11617, 2, 6},
    {"DivisionByZero", "{1/0?x}\n", -11620, 1, 5},
    {"DivisionOverflow", "{(-2147483647-1)/-1?x}\n", -11620, 1, 20},
    {"NoParenthesisAfterDef", "%DEF A\n", -11623, 1, 6},
    {"NoNameAfterDef", "%DEF( 1)\n", -11624, 1, 7},
    {"DefinitionNameTooLong", "%DEF(" + Long('N', 129) + "=1)\n", -11625, 1, 134},
    {"ParameterNameTooLong", "%DEF(A(" + Long('p', 129) + ")=1)\n", -11626, 1, 136},
    {"BadCharacterInParameterList", "%DEF(A(x;y)=1)\n", -11627, 1, 9},
    {"NoEqualsAfterHeader", "%DEF(A x)\n", -11629, 1, 8},
    {"DefinitionInsideDefinition", "%DEF(A=%DEF(B=1))\n", -11630, 1, 12},
    {"UnknownOptionDefault", "{X=q?x}\n", -12429, 1, 4},
};

INSTANTIATE_TEST_SUITE_P(Errors, TimetableErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(TimetableErrors, ReadingGoesOnToTheEnd) {
    // After a failure the reader goes on from where it stopped, to the end of its input.
    const ErrorCase& c = GetParam();
    LvText text(U(c.text + "tail\n"));
    ASSERT_EQ(OpenTtFile("err", 3, text.get()), 0);
    LvText buffer = LvText::Buffer(c.capacity);
    int32_t result = 0;
    for (int i = 0; i < 100 && result != -1; ++i) {
        int32_t value, line;
        result = GetTtLine(buffer.get(), &value, &line);
    }
    EXPECT_EQ(result, -1);
}

class TimetableErrorState : public TimetableErrors {};

TEST_F(TimetableErrorState, FailedDefinitionBlocksDefinitionsUntilInit) {
    LvText text(u"%DEF(A=%DEF(B=1))\n%DEF(C=1)\n");
    ASSERT_EQ(OpenTtFile("err", 0, text.get()), 0);
    LvText buffer = LvText::Buffer(64);
    int32_t value, line;
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -11630);
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), 5);  // "B=1))", the rest of line 1
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -11630);
    InitTtRead();
    LvText again(u"%DEF(C=1)%C\n");
    ASSERT_EQ(OpenTtFile("err", 0, again.get()), 0);
    EXPECT_EQ(ReadAll().lines, std::vector<std::string>{"1"});
}

TEST_F(TimetableErrorState, SelfCallingMacroRunsOutOfSourceStore) {
    LvText text(u"%*DEF(A=%A;x)\n%A\n");
    ASSERT_EQ(OpenTtFile("err", 0, text.get()), 0);
    EXPECT_EQ(ReadAll().code, -11613);
    // The reader's own sources are still there to report the position.
    EXPECT_GE(PositionAt(0).result, 0);
}

TEST_F(TimetableErrorState, SelfCallingMacroAtItsEndIsBounded) {
    LvText text(u"%*DEF(A=x%A)\n{0?%A}\n");
    LvText def(u"=");
    ASSERT_EQ(SetTtOption(def.get(), 0), 0);
    ASSERT_EQ(OpenTtFile("err", 0, text.get()), 0);
    EXPECT_EQ(ReadAll().code, -11613);
}

TEST_F(TimetableErrorState, ExponentialMacroTextIsBounded) {
    // Each level doubles the text: 2^40 characters would never end; skipped text is not
    // bounded by the line buffer, so the reader bounds what macros deliver per line.
    std::string script = "%DEF(A0=xx)";
    for (int i = 1; i <= 40; ++i)
        script += "%*DEF(A" + std::to_string(i) + "=%A" + std::to_string(i - 1) + ";%A" + std::to_string(i - 1) + ";)";
    script += "\n{0?%A40;}\n";
    LvText text(U(script));
    LvText def(u"=");
    ASSERT_EQ(SetTtOption(def.get(), 0), 0);
    ASSERT_EQ(OpenTtFile("err", 0, text.get()), 0);
    auto& reader = lvk::tt::R();
    const uint64_t saved = reader.macroUnitLimit;
    reader.macroUnitLimit = 100000;
    EXPECT_EQ(ReadAll().code, -11611);
    reader.macroUnitLimit = saved;
}

TEST_F(TimetableErrorState, ReleasingToForeignAddressIsInternalError) {
    lvk::ChunkStore store(35063, 35064, -11613, 4);
    store.Alloc(16, 34081);
    int elsewhere = 0;
    const int32_t code = lvk::RecoveryPoint(-11613, [&]() -> int32_t {
        store.ReleaseTo(&elsewhere);
        return 0;
    });
    EXPECT_EQ(code, -11618);
}

TEST_F(TimetableErrorState, EndOfInputIsMinusOne) {
    LvText buffer = LvText::Buffer(16);
    int32_t value, line;
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -1);
    LvText text(u"x");
    ASSERT_EQ(OpenTtFile("s", 0, text.get()), 0);
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), 1);
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -1);
    EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -1);
}

}  // namespace
