// The popup's description submenus: choices read from the settings and shown as checks,
// toggled and stored per key, cleared and set all, and a shorter key list leaving no items.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program/core/settings/settings.h"
#include "program/show/desc_menus.h"
#include "show_input_fixture.h"

namespace {

using show_test::MenuCall;
using show_test::ShowInputTest;
using yov::programState;

uint8_t flags(int32_t e) { return programState().Arrays.DescKeys[e].Flags; }

std::vector<std::string> describe(const std::vector<MenuCall>& calls) {
    std::vector<std::string> out;
    for (const MenuCall& c : calls) {
        std::string s = c.what + " " + std::to_string(c.a) + " " + std::to_string(c.b);
        if (c.what == "item") s += c.c != 0 ? " on" : " off";
        if (c.what == "text") s += " " + plat::utf16ToUtf8(c.text);
        out.push_back(s);
    }
    return out;
}

TEST_F(ShowInputTest, RefreshReadsTheChoicesAndBuildsBothSubmenus) {
    MakeKeys({0x02, 0x01, 0x00});
    yov::SaveRegNumber(u"K1", 0, u"\\DescSmall");
    yov::SaveRegNumber(u"K2", 1, u"\\DescSmall");
    yov::SaveRegNumber(u"K0", 0, u"\\DescLarge");
    yov::SaveRegNumber(u"K2", 7, u"\\DescLarge");  // neither 0 nor 1: the default stays
    yov::SaveRegNumber(u"K0", 1, u"\\DescSmall");  // entry 0 has no label choice
    yov::RefreshDescMenu();
    EXPECT_EQ(flags(0), 0x00);
    EXPECT_EQ(flags(1), 0x00);
    EXPECT_EQ(flags(2), 0x01);
    EXPECT_EQ(yov::showInput().LabelKeyCount, 1);
    const std::vector<std::string> expected = {
        "text 10 2 Name&&1", "text 11 3 Name&&1", "item 10 2 off", "item 11 3 off",     "text 10 3 Name&&2",
        "text 11 4 Name&&2", "item 10 3 on",      "item 11 4 off", "text 11 5 Name&&0", "item 11 5 off",
        "cut 10 4",          "cut 11 6",          "break 10 0",    "break 11 0",
    };
    EXPECT_EQ(describe(calls), expected);
}

TEST_F(ShowInputTest, TogglesAreStoredAndCheckedAndClearAndSetAllReachEveryKey) {
    MakeKeys({0x00, 0x00, 0x00});
    yov::ScrKeyCommand(7168 + 3, 0);  // label item at position 3: key 2
    EXPECT_EQ(flags(2), 0x01);
    EXPECT_EQ(yov::GetRegNumber(u"K2", -1, u"\\DescSmall"), 1);
    EXPECT_EQ(yov::showInput().LabelKeyCount, 1);
    yov::ScrKeyCommand(7424 + 5, 0);  // technical-data item K+3: key 0
    EXPECT_EQ(flags(0), 0x02);
    EXPECT_EQ(yov::GetRegNumber(u"K0", -1, u"\\DescLarge"), 1);
    EXPECT_EQ(describe(calls), (std::vector<std::string>{"item 10 3 on", "item 11 5 on"}));

    calls.clear();
    yov::ScrKeyCommand(4198, 0);
    EXPECT_EQ(flags(1) & 0x02, 0x02);
    EXPECT_EQ(flags(2), 0x03);
    EXPECT_EQ(describe(calls), (std::vector<std::string>{"item 11 3 on", "item 11 4 on", "item 11 5 on"}));
    yov::ScrKeyCommand(4196, 0);
    EXPECT_EQ(flags(2), 0x02);
    EXPECT_EQ(yov::showInput().LabelKeyCount, 0);
    EXPECT_EQ(yov::GetRegNumber(u"K2", -1, u"\\DescSmall"), 0);
    yov::ScrKeyCommand(4197, 0);
    for (int32_t e = 0; e <= 2; ++e) EXPECT_EQ(flags(e), 0x00);

    SCOPED_TRACE("items outside the key list change nothing");
    calls.clear();
    yov::ScrKeyCommand(7168 + 0, 0);  // "Clear All"'s position: no key
    yov::ScrKeyCommand(7168 + 9, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(ShowInputTest, AShorterKeyListLeavesNoStaleItems) {
    MakeKeys({0, 0, 0, 0, 0});
    yov::BuildPopupMenu();
    calls.clear();
    MakeKeys({0, 0});
    yov::BuildPopupMenu();
    const std::vector<std::string> all = describe(calls);
    EXPECT_NE(std::find(all.begin(), all.end(), "cut 10 3"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), "cut 11 5"), all.end());
}

}  // namespace
