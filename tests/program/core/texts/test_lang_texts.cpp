// Texts by key: translations, inherited endings, literal keys, placeholders.
#include "program/core/texts/lang_texts.h"

#include <gtest/gtest.h>

#include "core_fixture.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/params/param_table.h"
#include "program/core/texts/program_error.h"
#include "recording_engine.h"

namespace {

using core_test::addLanguage;
using core_test::addText;
using core_test::CoreTest;
using yov::FormatText;
using yov::GetText;
using yov::LookupText;

class LangTexts : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        addLanguage(u"E");
        addLanguage(u"C");
        yov::programState().Shared.CurrentLanguage = 2;
    }
};

struct LookupCase {
    const char* name;
    std::u16string key;
    std::u16string defaultText;
    int32_t flags;
    std::vector<std::u16string> translation;  // texts of the key by language; none: not in the table
    std::u16string expected;
};

TEST_F(LangTexts, LookupTextTable) {
    const std::vector<LookupCase> cases = {
        {"empty key", u"", u"x", 0, {}, u""},
        {"literal key", u"=Hello world", u"x", 0, {}, u"Hello world"},
        {"literal key keeps its marks", u"=&Save:", u"", 1, {}, u"&Save:"},
        {"key of 11 characters", u"ABCDEFGHIJK", u"x", 0, {u"", u"", u"no"}, u"ABCDEFGHIJK"},
        {"key of 10 characters", u"ABCDEFGHIJ", u"x", 0, {u"", u"", u"yes"}, u"yes"},
        {"engine default", u"LCAC", u"", 0, {}, u"Loading picture cache"},
        {"unknown key", u"NOSUCH", u"", 0, {}, u""},
        {"given default wins over the engine's", u"LCAC", u"Mine", 0, {}, u"Mine"},
        {"translation inherits a colon", u"NAME", u"Name:", 0, {u"", u"", u"Jm\u00E9no"}, u"Jm\u00E9no:"},
        {"stem only drops it", u"NAME", u"Name:", 1, {u"", u"", u"Jm\u00E9no"}, u"Jm\u00E9no"},
        {"colon then blank", u"NAME", u"Name: ", 0, {u"", u"", u"Jm\u00E9no"}, u"Jm\u00E9no: "},
        {"colon inside is no ending", u"TIME", u"a:bc", 0, {u"", u"", u"T"}, u"T"},
        {"colon inside, not found, stem", u"TIME", u"a:bc", 1, {}, u"a:bc"},
        {"not found gives the whole default", u"NAME", u"Name:", 0, {}, u"Name:"},
        {"not found with stem only", u"NAME", u"Name:", 1, {}, u"Name"},
        {"blank and three points", u"OPEN", u"", 0, {u"", u"", u"Otev\u0159\u00EDt"}, u"Otev\u0159\u00EDt ..."},
        {"TAB ending", u"SAVE", u"&Save\tCtrl+S", 0, {u"", u"", u"&Ulo\u017Eit"}, u"&Ulo\u017Eit\tCtrl+S"},
        {"no split keeps the translation bare", u"NAME", u"Name:", 2, {u"", u"", u"Jm\u00E9no"}, u"Jm\u00E9no"},
        {"no split, not found, stem only", u"NAME", u"Name:", 3, {}, u"Name:"},
        {"backslash n of a translation", u"TWO", u"x", 2, {u"", u"", u"a\\nb"}, u"a\r\nb"},
        {"backslash n of an engine default", u"TWO", u"a\\nb", 0, {}, u"a\\nb"},
        {"general text when the language has none", u"NAME", u"Name:", 0, {u"Nom", u"", u""}, u"Nom:"},
        {"backslash means the general text", u"NAME", u"Name:", 0, {u"Nom", u"", u"\\"}, u"Nom:"},
        {"empty translation falls back to the stem", u"NAME", u"Name:", 0, {u"", u"", u""}, u"Name:"},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.name);
        core_test::resetProgramState();
        addLanguage(u"E");
        addLanguage(u"C");
        yov::programState().Shared.CurrentLanguage = 2;
        if (!c.translation.empty()) addText(c.key, c.translation);
        EXPECT_EQ(LookupText(c.key, c.defaultText, c.flags), c.expected);
    }
}

TEST_F(LangTexts, GetTextRemovesEveryAccessKeyMark) {
    addText(u"SAVE", {u"", u"", u"&Ulo\u017Eit && zav\u0159\u00EDt"});
    EXPECT_EQ(GetText(u"SAVE"), u"Ulo\u017Eit  zav\u0159\u00EDt");
    EXPECT_EQ(GetText(u"=&Literal"), u"Literal");
    EXPECT_EQ(LookupText(u"SAVE"), u"&Ulo\u017Eit && zav\u0159\u00EDt");
}

TEST_F(LangTexts, FindsEveryKeyOfAnUnsortedTableByCodeUnits) {
    const std::vector<std::u16string> keys = {u"b", u"Z", u"A", u"a", u"\u00C4", u"ZZ", u"M"};
    for (const auto& k : keys) addText(k, {k});
    for (const auto& k : keys) {
        const int32_t i = yov::FindLangText(k);
        ASSERT_GT(i, 0) << core_test::utf8(k);
        EXPECT_EQ(yov::programState().Arrays.LangTexts[i].Key, k);
    }
    EXPECT_EQ(yov::FindLangText(u"Q"), 0);
    // Sorted by code units: upper case before lower case, Latin-1 after ASCII.
    const auto& t = yov::programState().Arrays.LangTexts;
    EXPECT_EQ(t[1].Key, u"A");
    EXPECT_EQ(t[7].Key, u"\u00C4");
}

TEST_F(LangTexts, ATableFilledBehindTheProgramsBackIsSortedAgain) {
    addText(u"M", {u"m"});
    ASSERT_GT(yov::FindLangText(u"M"), 0);
    // As the engine's binary stock reader does: count and entries written directly.
    auto& st = yov::programState();
    st.Arrays.LangTexts.redim(4);
    st.Arrays.LangTexts[2].Key = u"A";
    st.Arrays.LangTexts[2].Texts[0] = u"a";
    st.Shared.LangTextCount = 2;
    EXPECT_EQ(GetText(u"A"), u"a");
    EXPECT_EQ(GetText(u"M"), u"m");
    // A count beyond the array is not trusted.
    st.Shared.LangTextCount = 50;
    EXPECT_EQ(GetText(u"A"), u"a");
}

TEST_F(LangTexts, EmptyTableFallsBackToTheEngine) {
    EXPECT_EQ(yov::FindLangText(u"LCAC"), 0);
    EXPECT_EQ(GetText(u"LCAC", u"", 1), u"Loading picture cache");
}

TEST_F(LangTexts, AllocLangTextGrowsByTen) {
    auto& st = yov::programState();
    for (int i = 1; i <= 11; ++i) {
        EXPECT_EQ(yov::AllocLangText(), i);
        st.Arrays.LangTexts[i].Key = u"K" + plat::widen(std::to_string(i));
    }
    EXPECT_EQ(st.Shared.LangTextCount, 11);
    EXPECT_EQ(st.Shared.LangTextAlloc, 20);
    EXPECT_EQ(st.Arrays.LangTexts.upperBound(), 20);
    EXPECT_EQ(st.log.LangTextsSorted, 0);
    EXPECT_EQ(yov::FindLangText(u"K7"), 9);  // K1, K10, K11, K2, ... K7
}

struct FormatCase {
    const char* name;
    std::u16string text;  // the key's text; empty: the key has none
    std::vector<yov::FormatArg> params;
    std::u16string expected;
};

TEST_F(LangTexts, FormatTextTable) {
    const std::vector<FormatCase> cases = {
        {"in order", u"%1 of %2", {u"3", u"7"}, u"3 of 7"},
        {"any order, repeated", u"%2-%1-%2", {u"a", u"b"}, u"b-a-b"},
        {"missing parameter is dropped", u"A %1 B %3.", {u"x", u"y"}, u"A x B ."},
        {"inserted text is not scanned again", u"%1 and %2", {u"%2", u"b"}, u"%2 and b"},
        {"inserted per cent sign and digit", u"%1%2", {u"%", u"1"}, u"%1"},
        {"per cent not before a digit stays", u"100% sure %1", {u"x"}, u"100% sure x"},
        {"per cent zero stays", u"%0 %1", {u"x"}, u"%0 x"},
        {"per cent letter stays", u"%A %1", {u"x"}, u"%A x"},
        {"trailing per cent stays", u"%1 %", {u"x"}, u"x %"},
        {"numbers in decimal", u"%1|%2|%3", {int32_t{-12}, 2.5, int64_t{1} << 40}, u"-12|2.5|1099511627776"},
        {"unknown key joins the parameters", u"", {u"a", int32_t{5}, u"c"}, u"a 5 c"},
        {"unknown key without parameters", u"", {}, u""},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        core_test::resetProgramState();
        if (!c.text.empty()) addText(u"FMT", {c.text});
        EXPECT_EQ(FormatText(u"FMT", c.params), c.expected);
    }
}

TEST_F(LangTexts, ErrorNumberTextUsesTheTemplates) {
    EXPECT_EQ(yov::GetErrorNumberText(11612), u"Error 11612: \"?\" outside condition");
    EXPECT_EQ(yov::GetErrorNumberText(11612, u"A.TTT"), u"Error 11612: \"?\" outside condition in A.TTT");
    EXPECT_EQ(yov::GetErrorNumberText(11612, u"A.TTT", 12), u"Error 11612: \"?\" outside condition in A.TTT line 12");
    addText(u"E11612", {u"", u"", u"\"?\" mimo podm\u00EDnku"});
    addText(u"E1", {u"", u"", u"Chyba %1: %2"});
    EXPECT_EQ(yov::GetErrorNumberText(11612), u"Chyba 11612: \"?\" mimo podm\u00EDnku");
}

struct PickCase {
    const char* name;
    std::vector<std::u16string> texts;
    std::u16string fallback1;
    std::u16string fallback2;
    std::u16string expected;
};

TEST_F(LangTexts, PickLangTextTable) {
    const std::vector<PickCase> cases = {
        {"current language", {u"g", u"e", u"c"}, u"", u"", u"c"},
        {"general when empty", {u"g", u"e", u""}, u"", u"", u"g"},
        {"general for a backslash", {u"g", u"e", u"\\"}, u"", u"", u"g"},
        {"general backslash: fallback unchanged", {u"\\", u"e", u""}, u"a\\nb", u"", u"a\\nb"},
        {"escapes", {u"", u"", u"\\n|\\t|\\,|\\\\|\\<|\\>|\\+|\\-"}, u"", u"", u"\r\n|\t|;|\\|(|)|{|}"},
        {"unknown escape stays", {u"", u"", u"a\\qb\\"}, u"", u"", u"a\\qb\\"},
        {"escaped backslash before n", {u"", u"", u"\\\\n"}, u"", u"", u"\\n"},
        {"fallback 1", {u"", u"", u""}, u"one", u"two", u"one"},
        {"fallback 2", {u"", u"", u""}, u"", u"two", u"two"},
        {"first language with a text, as it is", {u"", u"e\\n", u""}, u"", u"", u"e\\n"},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.name);
        LvString texts[kLanguageSlots];
        for (size_t i = 0; i < c.texts.size(); ++i) texts[i] = c.texts[i];
        EXPECT_EQ(yov::PickLangText(texts, c.fallback1, c.fallback2), c.expected);
    }
}

TEST_F(LangTexts, LanguageNamesComeFromOneParameterLine) {
    std::vector<std::u16string> names;
    yov::paramTable().WithParams(u"N=Languages;E=English;C=\u010Cesky", [&] { yov::GetLanguageNames(names); });
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Languages", u"English", u"\u010Cesky"}));
    yov::paramTable().WithParams(u"E=Only", [&] { yov::GetLanguageNames(names); });
    EXPECT_EQ(names, (std::vector<std::u16string>{u"", u"Only", u""}));
}

TEST_F(LangTexts, FailingCacheIsShownAndTheProgramGoesOn) {
    auto& st = yov::programState();
    st.scene.CacheMode = 2;
    st.scene.CacheFile = u"/tmp/STOCK.tca";
    engine_test::RecordingEngine engine;
    engine.cacheResult = -10104;
    yov::OpenPictureCache();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, u"OpenCache Error -10104");
    EXPECT_EQ(boxes_[0].style, 64);
    EXPECT_EQ(boxes_[0].title, u"");
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"OpenCache 2 /tmp/STOCK.tca", "SetXColMethod 0 64,64,64"}))
        << "the colour translation goes to the engine again";

    engine.clear();
    engine.cacheResult = 0;
    yov::OpenPictureCache();
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"OpenCache 2 /tmp/STOCK.tca", "SetXColMethod 0 64,64,64"}));
}

// The real engine's default texts, once the engine has them.
TEST_F(LangTexts, DefaultTextsOfTheEngineLibrary) {
    coreEngine_.useLibrary();
    if (yov::engine_calls::defaultText(u"LCAC").empty()) GTEST_SKIP() << "the engine has no default texts yet";
    EXPECT_EQ(LookupText(u"LCAC"), u"Loading picture cache");
    EXPECT_EQ(LookupText(u"E3"), u"Error %1: %2 in %3 line %4");
    EXPECT_EQ(yov::GetErrorNumberText(11612, u"x.ttt", 3), u"Error 11612: \"?\" outside condition in x.ttt line 3");
    EXPECT_EQ(LookupText(u"NOSUCHKEY"), u"");
}

}  // namespace
