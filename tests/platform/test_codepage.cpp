#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using plat::CodePage;

struct ByteCase {
    const char* name;
    CodePage cp;
    unsigned byte;
    char16_t ch;
};

TEST(CodePage, ByteToCharTable) {
    const ByteCase cases[] = {
        {"ASCII passes", CodePage::Windows1250, 0x41, u'A'},
        {"NUL passes", CodePage::Windows1252, 0x00, 0x0000},
        {"DEL passes", CodePage::Windows1252, 0x7F, 0x007F},
        {"1250 euro", CodePage::Windows1250, 0x80, 0x20AC},
        {"1252 euro", CodePage::Windows1252, 0x80, 0x20AC},
        {"1250 undefined 0x81 keeps its value", CodePage::Windows1250, 0x81, 0x0081},
        {"1250 undefined 0x83", CodePage::Windows1250, 0x83, 0x0083},
        {"1250 undefined 0x88", CodePage::Windows1250, 0x88, 0x0088},
        {"1250 undefined 0x90", CodePage::Windows1250, 0x90, 0x0090},
        {"1250 undefined 0x98", CodePage::Windows1250, 0x98, 0x0098},
        {"1252 undefined 0x8D", CodePage::Windows1252, 0x8D, 0x008D},
        {"1252 undefined 0x9D", CodePage::Windows1252, 0x9D, 0x009D},
        {"1250 S caron", CodePage::Windows1250, 0x8A, 0x0160},
        {"1250 S acute", CodePage::Windows1250, 0x8C, 0x015A},
        {"1252 OE", CodePage::Windows1252, 0x8C, 0x0152},
        {"1250 z acute", CodePage::Windows1250, 0x9F, 0x017A},
        {"1252 Y diaeresis", CodePage::Windows1252, 0x9F, 0x0178},
        {"1252 modifier circumflex", CodePage::Windows1252, 0x88, 0x02C6},
        {"1250 caron", CodePage::Windows1250, 0xA1, 0x02C7},
        {"1252 inverted exclamation", CodePage::Windows1252, 0xA1, 0x00A1},
        {"1250 A ogonek", CodePage::Windows1250, 0xA5, 0x0104},
        {"1252 yen", CodePage::Windows1252, 0xA5, 0x00A5},
        {"1250 R acute", CodePage::Windows1250, 0xC0, 0x0154},
        {"1252 A grave", CodePage::Windows1252, 0xC0, 0x00C0},
        {"1250 C caron", CodePage::Windows1250, 0xC8, 0x010C},
        {"1250 u ring", CodePage::Windows1250, 0xF9, 0x016F},
        {"1250 dot above", CodePage::Windows1250, 0xFF, 0x02D9},
        {"1252 y diaeresis", CodePage::Windows1252, 0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::byteToChar(static_cast<std::uint8_t>(c.byte), c.cp), c.ch);
        auto back = plat::charToByte(c.ch, c.cp);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, c.byte);
    }
}

// The type-code letters are a position table of 1250 characters: every byte must
// give its own character, and so must every byte of 1252.
TEST(CodePage, EveryByteRoundTripsToADistinctCharacter) {
    for (CodePage cp : {CodePage::Windows1250, CodePage::Windows1252}) {
        SCOPED_TRACE(static_cast<int>(cp));
        std::string all;
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
        const std::u16string text = plat::decodeCodePage(all, cp);
        ASSERT_EQ(text.size(), 256u);
        EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()).size(), 256u);
        EXPECT_EQ(plat::encodeCodePage(text, cp), all);
    }
}

struct EncodeCase {
    const char* name;
    CodePage cp;
    std::u16string text;
    std::string bytes;
};

TEST(CodePage, EncodeTable) {
    const EncodeCase cases[] = {
        {"plain", CodePage::Windows1252, u"Train 1", "Train 1"},
        {"1252 has no A macron", CodePage::Windows1252, u"A\u0100B", "A?B"},
        {"1250 has A ogonek", CodePage::Windows1250, u"\u0104", "\xA5"},
        {"1252 has no A ogonek", CodePage::Windows1252, u"\u0104", "?"},
        {"1250 has no A grave", CodePage::Windows1250, u"\u00C0", "?"},
        {"no best fit for a Greek letter", CodePage::Windows1250, u"\u03B1", "?"},
        {"surrogate pair is one character", CodePage::Windows1252, u"x\U0001F600y", "x?y"},
        {"lone high surrogate", CodePage::Windows1252, std::u16string{u'x', 0xD800, u'y'}, "x?y"},
        {"lone low surrogate", CodePage::Windows1250, std::u16string{0xDC00}, "?"},
        {"C1 control goes back to its byte", CodePage::Windows1252, std::u16string{0x0090}, "\x90"},
        {"C1 control defined elsewhere in 1250", CodePage::Windows1250, std::u16string{0x008A}, "?"},
        {"empty", CodePage::Windows1250, u"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::encodeCodePage(c.text, c.cp), c.bytes);
    }
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

TEST(CodePage, Utf8ToUtf16Table) {
    const char16_t R = 0xFFFD;
    const Utf8Case cases[] = {
        {"ASCII", "Loco.gif", u"Loco.gif"},
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"four bytes to a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"stray continuation", "a\x80z", std::u16string{u'a', R, u'z'}},
        {"overlong slash", "\xC0\xAF", std::u16string{R, R}},
        {"overlong three bytes", "\xE0\x80\xAF", std::u16string{R, R, R}},
        {"encoded surrogate", "\xED\xA0\x80", std::u16string{R, R, R}},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", std::u16string{R, R, R, R}},
        {"cut at the end", "a\xE2\x82", std::u16string{u'a', R}},
        {"cut before ASCII", "\xE2\x82z", std::u16string{R, u'z'}},
        {"invalid lead byte", "\xFF", std::u16string{R}},
        {"empty", "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(CodePage, Utf16ToUtf8Table) {
    const Utf8Case cases[] = {
        {"ASCII", "Stock", u"Stock"},
        {"Latin Extended-A",
         "\xC4\x8C"
         "e\xC5\xA1tina",
         u"\u010Ce\u0161tina"},
        {"pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"lone high surrogate", "a\xEF\xBF\xBD", std::u16string{u'a', 0xD83D}},
        {"lone low surrogate", "\xEF\xBF\xBDz", std::u16string{0xDE00, u'z'}},
        {"reversed pair", "\xEF\xBF\xBD\xEF\xBF\xBD", std::u16string{0xDE00, 0xD83D}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(CodePage, Utf8RoundTripOfEveryBmpCharacterOutsideSurrogates) {
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c < 0xD800 || c > 0xDFFF) all.push_back(static_cast<char16_t>(c));
    }
    EXPECT_EQ(plat::utf8ToUtf16(plat::utf16ToUtf8(all)), all);
}

}  // namespace
