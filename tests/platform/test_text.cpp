#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plat::Compare;

struct InStrCase {
    const char* name;
    std::int64_t start;
    std::u16string haystack;
    std::u16string needle;
    Compare mode;
    std::int64_t expected;
};

TEST(Text, InStrTable) {
    const InStrCase cases[] = {
        {"found at the start", 1, u"abcabc", u"a", Compare::Binary, 1},
        {"found from a later start", 2, u"abcabc", u"a", Compare::Binary, 4},
        {"start on the match", 4, u"abcabc", u"abc", Compare::Binary, 4},
        {"not found", 1, u"abc", u"x", Compare::Binary, 0},
        {"needle longer than the rest", 3, u"abc", u"bc", Compare::Binary, 0},
        {"start beyond the length", 4, u"abc", u"c", Compare::Binary, 0},
        {"empty needle gives start", 2, u"abc", u"", Compare::Binary, 2},
        {"empty needle just past the end", 4, u"abc", u"", Compare::Binary, 4},
        {"empty needle beyond", 5, u"abc", u"", Compare::Binary, 0},
        {"empty haystack", 1, u"", u"", Compare::Binary, 0},
        {"start below 1 counts as 1", 0, u"abc", u"a", Compare::Binary, 1},
        {"binary is case-sensitive", 1, u"Loco", u"LOCO", Compare::Binary, 0},
        {"ignoring case", 1, u"xxLoco", u"LOCO", Compare::IgnoreCase, 3},
        {"ignoring case, Latin Extended-A", 1, u"a\u010Ce", u"\u010D", Compare::IgnoreCase, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::inStr(c.start, c.haystack, c.needle, c.mode), c.expected);
    }
}

TEST(Text, InStrRevTable) {
    const InStrCase cases[] = {
        {"last occurrence", -1, u"abcabc", u"bc", Compare::Binary, 5},
        {"match must end at start", 5, u"abcabc", u"bc", Compare::Binary, 2},
        {"match ending on start", 6, u"abcabc", u"bc", Compare::Binary, 5},
        {"not found", -1, u"abc", u"x", Compare::Binary, 0},
        {"start beyond the length", 4, u"abc", u"a", Compare::Binary, 0},
        {"empty needle gives start", 2, u"abc", u"", Compare::Binary, 2},
        {"empty needle from the end", -1, u"abc", u"", Compare::Binary, 3},
        {"empty haystack", -1, u"", u"a", Compare::Binary, 0},
        {"ignoring case", -1, u"a\\B\\c", u"\\b", Compare::IgnoreCase, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::inStrRev(c.haystack, c.needle, c.start, c.mode), c.expected);
    }
}

struct CutCase {
    const char* name;
    std::u16string actual;
    std::u16string expected;
};

TEST(Text, MidLeftRightTable) {
    const std::u16string s = u"Wagon";
    const CutCase cases[] = {
        {"mid to the end", plat::mid(s, 3), u"gon"},
        {"mid with length", plat::mid(s, 2, 3), u"ago"},
        {"mid length past the end", plat::mid(s, 4, 10), u"on"},
        {"mid on the last character", plat::mid(s, 5), u"n"},
        {"mid start beyond the length", plat::mid(s, 6), u""},
        {"mid start far beyond", plat::mid(s, 100, 2), u""},
        {"mid zero length", plat::mid(s, 2, 0), u""},
        {"mid negative length", plat::mid(s, 2, -1), u""},
        {"mid start below 1", plat::mid(s, 0, 2), u"Wa"},
        {"left", plat::left(s, 2), u"Wa"},
        {"left more than all", plat::left(s, 9), u"Wagon"},
        {"left zero", plat::left(s, 0), u""},
        {"left negative", plat::left(s, -3), u""},
        {"right", plat::right(s, 2), u"on"},
        {"right more than all", plat::right(s, 9), u"Wagon"},
        {"right zero", plat::right(s, 0), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

struct CaseMapCase {
    const char* name;
    char16_t lower;
    char16_t upper;
};

TEST(Text, CasePairsTable) {
    const CaseMapCase cases[] = {
        {"ASCII", u'a', u'A'},
        {"ASCII z", u'z', u'Z'},
        {"Latin-1 a grave", 0x00E0, 0x00C0},
        {"Latin-1 thorn", 0x00FE, 0x00DE},
        {"y diaeresis pairs with Extended-A", 0x00FF, 0x0178},
        {"A macron", 0x0101, 0x0100},
        {"IJ ligature", 0x0133, 0x0132},
        {"k cedilla", 0x0137, 0x0136},
        {"L acute (odd upper run)", 0x013A, 0x0139},
        {"n caron (odd upper run)", 0x0148, 0x0147},
        {"eng", 0x014B, 0x014A},
        {"oe ligature", 0x0153, 0x0152},
        {"s caron", 0x0161, 0x0160},
        {"y circumflex", 0x0177, 0x0176},
        {"z acute (odd upper run)", 0x017A, 0x0179},
        {"z caron", 0x017E, 0x017D},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::toUpper(c.lower), c.upper);
        EXPECT_EQ(plat::toLower(c.upper), c.lower);
        EXPECT_EQ(plat::toUpper(c.upper), c.upper);
        EXPECT_EQ(plat::toLower(c.lower), c.lower);
    }
}

TEST(Text, CharactersLeftAloneTable) {
    const struct {
        const char* name;
        char16_t ch;
    } cases[] = {
        {"digit", u'5'},        {"underscore", u'_'},      {"multiplication", 0x00D7}, {"division", 0x00F7},
        {"micro", 0x00B5},      {"sharp s", 0x00DF},       {"dotted I", 0x0130},       {"dotless i", 0x0131},
        {"kra", 0x0138},        {"n apostrophe", 0x0149},  {"long s", 0x017F},         {"Greek alpha", 0x03B1},
        {"Cyrillic a", 0x0430}, {"b with stroke", 0x0180},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::toUpper(c.ch), c.ch);
        EXPECT_EQ(plat::toLower(c.ch), c.ch);
    }
}

// Any mapping in the table must be undone by the other direction.
TEST(Text, CaseMappingIsConsistentOverTheTable) {
    for (char32_t c = 0; c < 0x200; ++c) {
        const auto ch = static_cast<char16_t>(c);
        const char16_t up = plat::toUpper(ch);
        const char16_t down = plat::toLower(ch);
        if (up != ch) {
            EXPECT_EQ(plat::toLower(up), ch) << std::hex << static_cast<int>(c);
        }
        if (down != ch) {
            EXPECT_EQ(plat::toUpper(down), ch) << std::hex << static_cast<int>(c);
        }
        EXPECT_FALSE(up != ch && down != ch) << std::hex << static_cast<int>(c);
    }
}

TEST(Text, UcaseLcaseOfTexts) {
    EXPECT_EQ(plat::ucase(u"\u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148 1a"),
              u"\u017DLU\u0164OU\u010CK\u00DD K\u016E\u0147 1A");
    EXPECT_EQ(plat::lcase(u"STRA\u00DFE \u0152UVRE"), u"stra\u00DFe \u0153uvre");
    EXPECT_EQ(plat::asciiUpper("loco-\xC3\xA9.gif"), "LOCO-\xC3\xA9.GIF");
    EXPECT_EQ(plat::asciiLower("LOCO.GIF"), "loco.gif");
}

struct CompareCase {
    const char* name;
    std::u16string a;
    std::u16string b;
    int expected;
};

TEST(Text, CompareNoCaseTable) {
    const CompareCase cases[] = {
        {"equal ignoring case", u"Stock", u"STOCK", 0},
        {"Latin-1 letters", u"\u00E9T\u00C9", u"\u00C9t\u00E9", 0},
        {"shorter first", u"ab", u"abc", -1},
        {"longer last", u"abc", u"AB", 1},
        {"by upper-cased unit", u"a", u"B", -1},
        {"underscore sorts after letters", u"_", u"a", 1},
        {"empty", u"", u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::compareNoCase(c.a, c.b), c.expected);
        EXPECT_EQ(plat::compareNoCase(c.b, c.a), -c.expected);
        EXPECT_EQ(plat::equalsNoCase(c.a, c.b), c.expected == 0);
    }
    EXPECT_EQ(plat::compareText(u"a", u"A", Compare::Binary), 1);
    EXPECT_EQ(plat::compareText(u"a", u"A", Compare::IgnoreCase), 0);
}

TEST(Text, TrimTable) {
    const CutCase cases[] = {
        {"trim", plat::trim(u"  a b  "), u"a b"},
        {"ltrim", plat::ltrim(u"  a b  "), u"a b  "},
        {"rtrim", plat::rtrim(u"  a b  "), u"  a b"},
        {"tabs stay", plat::trim(u"\ta\t"), u"\ta\t"},
        {"no-break space stays", plat::trim(u"\u00A0a"), u"\u00A0a"},
        {"all blanks", plat::trim(u"   "), u""},
        {"empty", plat::trim(u""), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
    EXPECT_EQ(plat::trim(std::string_view(" x\t ")), "x\t");
    EXPECT_EQ(plat::ltrim(std::string_view("  x ")), "x ");
    EXPECT_EQ(plat::rtrim(std::string_view("  x ")), "  x");
}

TEST(Text, ReplaceTable) {
    const CutCase cases[] = {
        {"every occurrence", plat::replace(u"a,b,c", u",", u";"), u"a;b;c"},
        {"no overlap, left to right", plat::replace(u"aaa", u"aa", u"b"), u"ba"},
        {"replacement containing find", plat::replace(u"ab", u"a", u"aa"), u"aab"},
        {"to nothing", plat::replace(u"a&b&&c", u"&", u""), u"abc"},
        {"empty find leaves text", plat::replace(u"abc", u"", u"x"), u"abc"},
        {"not found", plat::replace(u"abc", u"x", u"y"), u"abc"},
        {"ignoring case", plat::replace(u"Ab aB", u"ab", u"x", Compare::IgnoreCase), u"x x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(Text, SplitTable) {
    const struct {
        const char* name;
        std::u16string text;
        std::u16string delimiter;
        std::vector<std::u16string> pieces;
    } cases[] = {
        {"simple", u"a,b,c", u",", {u"a", u"b", u"c"}},
        {"empty pieces kept", u",a,,b,", u",", {u"", u"a", u"", u"b", u""}},
        {"longer delimiter", u"a||b|c", u"||", {u"a", u"b|c"}},
        {"no delimiter in text", u"abc", u";", {u"abc"}},
        {"empty text gives nothing", u"", u",", {}},
        {"empty delimiter gives the whole", u"a,b", u"", {u"a,b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::split(c.text, c.delimiter), c.pieces);
    }
    EXPECT_EQ(plat::split(std::string_view("x;y"), std::string_view(";")), (std::vector<std::string>{"x", "y"}));
}

TEST(Text, WidenTakesBytesAsLatin1) {
    EXPECT_EQ(plat::widen("Rolvane.err"), u"Rolvane.err");
    EXPECT_EQ(plat::widen("\xE9"), u"\u00E9");
}

}  // namespace
