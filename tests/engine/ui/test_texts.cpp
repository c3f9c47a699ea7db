// The default texts: the structure of the tables and the look-up exports, with their
// capacities.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/base/events.h"
#include "engine/ui/menu_table.h"
#include "engine/ui/texts.h"
#include "lumvatek/exports.h"

namespace {

using lvk::kKeyTexts;

TEST(KeyTextTable, HasItsFiveHeadingsInOrderAndShortKeys) {
    std::vector<std::string> headings;
    std::vector<int> groupSizes;
    size_t longest = 0;
    for (const lvk::KeyText& e : kKeyTexts) {
        ASSERT_NE(e.key, nullptr);
        EXPECT_GE(std::strlen(e.key), 1u);
        EXPECT_LE(std::strlen(e.key), 10u) << e.key;
        if (e.text == nullptr) {
            headings.push_back(e.key);
            groupSizes.push_back(0);
        } else {
            ASSERT_FALSE(groupSizes.empty()) << "the table starts with a heading";
            ++groupSizes.back();
            EXPECT_GT(std::strlen(e.text), 0u) << e.key;
            longest = std::max(longest, std::strlen(e.text));
        }
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"HMAC", "FTYP", "TXT", "ERR", "TTIP"}));
    EXPECT_EQ(groupSizes, (std::vector<int>{77, 0, 129, 154, 46}));
    EXPECT_LE(longest, 127u) << "callers size their buffers for 127 characters";
    for (int i = 1; i <= 77; ++i) EXPECT_EQ(std::strncmp(kKeyTexts[i].key, "H_", 2), 0) << kKeyTexts[i].key;
}

TEST(KeyTextTable, PlaceholdersAreDigitsOneToNine) {
    for (const lvk::KeyText& e : kKeyTexts) {
        if (e.text == nullptr) continue;
        for (const char* p = std::strchr(e.text, '%'); p != nullptr; p = std::strchr(p + 1, '%'))
            EXPECT_TRUE(p[1] >= '1' && p[1] <= '9') << e.key << ": " << e.text;
    }
}

TEST(NumberedMessages, AreAscendingAndInTheEngineRanges) {
    int32_t previous = 0;
    for (const lvk::NumberedText& e : lvk::kNumberedTexts) {
        EXPECT_GT(e.number, previous);
        previous = e.number;
        const int32_t family = e.number / 100;
        EXPECT_TRUE(family == 116 || family == 123 || family == 124) << e.number;
        EXPECT_NE(e.text[0], 0);
    }
}

TEST(FixedStrings, AreCommaListsOfUpperCaseNames) {
    EXPECT_STREQ(lvk::kFixedStrings[0], "");
    for (int i = 1; i < lvk::kFixedStringCount; ++i) {
        const std::string s = lvk::kFixedStrings[i];
        EXPECT_FALSE(s.empty()) << i;
        EXPECT_LT(s.size(), 64u) << "the program's buffer holds 64";
        for (char c : s) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ',') << i;
    }
}

TEST(GetFixedString, CopiesWithoutTerminator) {
    char16_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(GetFixedString(0, buffer, 64), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(GetFixedString(16, buffer, 64), 10);
    EXPECT_EQ(std::u16string(buffer, 10), u"TY,YARGETY");
    EXPECT_EQ(buffer[10], u'#');
    EXPECT_EQ(GetFixedString(40, buffer, 64), 0);
    EXPECT_EQ(GetFixedString(-1, buffer, 64), 0);
    EXPECT_EQ(GetFixedString(16, buffer, 4), 4) << "cut to the capacity";
}

TEST(GetNumTxt, KnownNumbersAndTheFallbackLine) {
    char16_t buffer[256];
    EXPECT_EQ(GetNumTxt(11612, buffer, 256), 21);
    EXPECT_EQ(std::u16string(buffer), u"\"?\" outside condition");
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(GetNumTxt(12429, buffer, 256), 14);
    EXPECT_EQ(std::u16string(buffer, 15), u"Error    12429#") << "no terminator";
    EXPECT_EQ(GetNumTxt(7, buffer, 256), 14);
    EXPECT_EQ(std::u16string(buffer, 14), u"Error        7");
    EXPECT_EQ(GetNumTxt(11612, buffer, 5), 4) << "cut, with its terminator";
    EXPECT_EQ(std::u16string(buffer), u"\"?\" ");
    EXPECT_EQ(GetNumTxt(12429, buffer, 8), 8);
}

TEST(GetDefTxt, LooksInTheTableThenTheMenus) {
    char buffer[256];
    EXPECT_GT(GetDefTxt("E2", buffer, 256), 0);
    EXPECT_STREQ(buffer, "Error %1: %2 in %3");
    // Texts quoted where the program raises them keep their wording.
    EXPECT_GT(GetDefTxt("OPNP", buffer, 256), 0);
    EXPECT_STREQ(buffer, "Overlay picture \"%1\" not in parent area");
    // A heading never matches: "TTIP" has no entry with a text, so the menus answer.
    EXPECT_GT(GetDefTxt("TTIP", buffer, 256), 0);
    EXPECT_EQ(buffer, std::string(lvk::DefaultText("TTIP")));
    EXPECT_EQ(lvk::DefaultText("TTIP"), lvk::kMenuTable[26].defs[2].caption);
    // "HMAC" is a heading and later an entry of its own in the tool-tip group.
    EXPECT_GT(GetDefTxt("HMAC", buffer, 256), 0);
    // "SAV" is no table key: the caption of the first menu definition with that key.
    const int32_t n = GetDefTxt("SAV", buffer, 256);
    EXPECT_EQ(n, static_cast<int32_t>(std::strlen(lvk::DefaultText("SAV"))));
    EXPECT_STREQ(buffer, lvk::kMenuTable[0].defs[1].caption);
    EXPECT_EQ(GetDefTxt("sav", buffer, 256), 0) << "keys compare exactly";
    EXPECT_EQ(GetDefTxt("NOSUCHKEY", buffer, 256), 0);
    EXPECT_EQ(GetDefTxt("E2", buffer, 6), 5);
    EXPECT_STREQ(buffer, "Error");
    EXPECT_EQ(GetDefTxt(nullptr, buffer, 256), 0);
}

TEST(GetKey, EntriesZeroTo410) {
    char buffer[16];
    EXPECT_EQ(GetKey(410, buffer, 16), 3);
    EXPECT_STREQ(buffer, "TRN");
    EXPECT_EQ(GetKey(0, buffer, 16), 4);
    EXPECT_STREQ(buffer, "HMAC");
    EXPECT_EQ(GetKey(411, buffer, 16), 0);
    EXPECT_EQ(GetKey(-1, buffer, 16), 0);
    EXPECT_EQ(GetKey(0, buffer, 3), 2);
    EXPECT_STREQ(buffer, "HM");
}

TEST(GetMenuKey, SearchesOneMenuOrAll) {
    char buffer[11];
    EXPECT_EQ(GetMenuKey(7, 4214, buffer, 11), 5);
    EXPECT_STREQ(buffer, "SPEED");
    EXPECT_EQ(GetMenuKey(0, 4214, buffer, 11), 0) << "not in menu 0";
    EXPECT_EQ(GetMenuKey(-1, 4214, buffer, 11), 5) << "bit 15 searches every menu";
    EXPECT_EQ(GetMenuKey(0x8000, 4193, buffer, 11), 3);
    EXPECT_STREQ(buffer, "SAS");
    EXPECT_EQ(GetMenuKey(0, 5248, buffer, 11), 0) << "an item without a key";
    EXPECT_EQ(GetMenuKey(31, 4214, buffer, 11), 0);
    EXPECT_EQ(GetMenuKey(7, 4214 + 0x10000, buffer, 11), 5) << "identifiers compare as 16 bits";
}

// The enumeration of every default text (202): menus first, then the table, then "ENUM".
struct Enumerated {
    std::u16string key, text, group;
};
std::vector<Enumerated> g_seen;
int32_t collect(DllEventRec* r) {
    if (r->Code == 202) g_seen.push_back({LvTextString(r->Text1), LvTextString(r->Text2), LvTextString(r->Text3)});
    return 0;
}

TEST(GetMenuTxt, EnumeratesMenusTableAndMessages) {
    EXPECT_EQ(GetMenuTxt(), 0) << "nothing without a callback";
    g_seen.clear();
    lvk::SetEventCallback(&collect);
    EXPECT_EQ(GetMenuTxt(), 0);
    lvk::SetEventCallback(nullptr);

    size_t menuTexts = 0;
    for (const lvk::MenuTableEntry& m : lvk::kMenuTable) {
        if (m.groupMask != 0) continue;
        for (int i = 0; i < m.count; ++i) {
            const lvk::MenuDef& d = m.defs[i];
            if (d.key != nullptr && (d.flags & lvk::kDefNotEnumerated) == 0) ++menuTexts;
        }
    }
    ASSERT_EQ(g_seen.size(), menuTexts + (411 - 5) + lvk::kNumberedTextCount);
    EXPECT_EQ(g_seen.front().group, u"MSTK");
    const Enumerated& firstTable = g_seen[menuTexts];
    EXPECT_EQ(firstTable.key, u"H_1");
    EXPECT_EQ(firstTable.group, u"HMAC");
    EXPECT_EQ(g_seen[menuTexts + 406 - 1].group, u"TTIP");
    const Enumerated& firstMessage = g_seen[menuTexts + 406];
    EXPECT_EQ(firstMessage.key, u"E11601");
    EXPECT_EQ(firstMessage.group, u"ENUM");
    for (const Enumerated& e : g_seen) EXPECT_NE(e.key, u"CHGL") << "items of group 0x80 are left out";
}

}  // namespace
