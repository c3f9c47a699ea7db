// The run-time dialog's arithmetic and reading back, without a window: sizes of each
// field kind and group, the rectangles of a layout, the O.K. rules (case, separators,
// registry, required fields) and trees that could not be built.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <string>
#include <vector>

#include "program/core/settings/settings.h"
#include "program/dialogs/runtime_dialog.h"
#include "core_fixture.h"

namespace {

namespace df = yov::dlg_flag;
using yov::DialogField;

DialogField field(uint32_t flags, int16_t next = 0, const char16_t* caption = u"", int16_t link = 0) {
    DialogField f;
    f.FieldFlags = flags;
    f.NextField = next;
    f.FieldCaption = caption;
    f.LinkIndex = link;
    return f;
}

yov::DlgMetrics metrics() {
    yov::DlgMetrics m;
    m.textWidth = [](std::u16string_view t) { return static_cast<int32_t>(t.size()) * 100; };
    m.ButtonWidth = 900;
    m.BrowseWidth = 800;
    return m;
}

// Record 1: a group one below the other of a file field (2), a framed side-by-side group
// (3) of two check boxes (4, 5), an option group (6) of two options (7, 8), the button row (9).
std::vector<DialogField> sample() {
    std::vector<DialogField> f(10);
    f[1] = field(df::kGroup, 0, u"", 2);
    f[2] = field(df::kFileBrowse | df::kStore | 1, 3, u"File");
    f[3] = field(df::kFramedGroup | df::kSideBySide, 6, u"", 4);
    f[4] = field(df::kCheckBox | df::kStore | 3, 5, u"One");
    f[5] = field(df::kCheckBox | 31, 0, u"Two");
    f[6] = field(df::kOptionGroup, 9, u"", 7);
    f[6].FieldValue = 1;
    f[7] = field(df::kOption, 8, u"A");
    f[8] = field(df::kOption, 0, u"B");
    f[9] = field(df::kButtonRow);
    return f;
}

TEST(RuntimeDialog, SizesOfEachKindAndGroup) {
    std::vector<DialogField> f = sample();
    f[2].FixedWidth = 1000;  // the least label width
    const yov::DlgBuild b = yov::BuildDialog(f, 9, metrics());
    ASSERT_TRUE(b.ok) << std::string(b.error.begin(), b.error.end());
    EXPECT_EQ(f[2].FixedWidth, 1000 + 75 + 800);  // wider than its caption, plus browse
    EXPECT_EQ(f[2].FixedHeight, 510);
    EXPECT_EQ(f[4].FixedWidth, 300 + 315);
    EXPECT_EQ(f[4].FixedHeight, 195);
    // Framed, side by side: 300 x 405 for the frame, widths added, one unit between.
    EXPECT_EQ(f[3].FixedWidth, 300 + 615 + 615);
    EXPECT_EQ(f[3].FixedHeight, 405 + 195);  // the frame's border counts across the children too
    EXPECT_EQ(f[6].FixedWidth, 300 + 100 + 315);
    EXPECT_EQ(f[3].StretchX, 1);
    EXPECT_EQ(f[3].LabelIndex, 2);
    EXPECT_EQ(f[6].StretchY, 1);
    EXPECT_EQ(f[7].LinkIndex, 6);  // an option knows its group
    EXPECT_EQ(f[9].FixedWidth, 2 * 900 + 75);
    // Root: one below the other, three units between four children.
    EXPECT_EQ(f[1].StretchY, 3 + 0 + 1 + 0);
    EXPECT_EQ(f[1].FixedHeight, 510 + f[3].FixedHeight + f[6].FixedHeight + 315);
    int32_t w = 0, h = 0;
    yov::DialogSize(f[1], w, h);
    EXPECT_EQ(f[1].StretchX, 1);  // the widest child's
    EXPECT_EQ(w, 3 * 75 + f[1].FixedWidth);
    EXPECT_EQ(h, (f[1].StretchY + 2) * 75 + f[1].FixedHeight);
    // The chosen option of the group: its first option's index + 1.
    int checked = 0;
    for (const yov::DlgControlSpec& s : b.controls)
        if (s.kind == yov::DlgControl::Opt && s.checked) checked = s.index;
    EXPECT_EQ(checked, f[7].ControlIndex + 1);
    EXPECT_EQ(b.next[static_cast<int>(yov::DlgControl::Txt)], 1);
    EXPECT_EQ(b.next[static_cast<int>(yov::DlgControl::Chk)], 2);
    EXPECT_EQ(b.next[static_cast<int>(yov::DlgControl::Frm)], 2);
}

TEST(RuntimeDialog, LayoutRectangles) {
    std::vector<DialogField> f(4);
    f[1] = field(df::kGroup, 0, u"", 2);
    f[2] = field(df::kFolderBrowse, 3, u"Folder");
    f[3] = field(df::kButtonRow);
    const yov::DlgMetrics m = metrics();
    ASSERT_TRUE(yov::BuildDialog(f, 3, m).ok);
    yov::DlgButtons buttons;
    // Fixed 510 + 315 = 825 high, one stretch unit: unitY = (1200 - 825) / 3 = 125.
    const std::vector<yov::DlgPlace> places = yov::LayOutDialog(f, 4000, 1200, m, buttons);
    const int32_t unitX = (4000 - f[1].FixedWidth) / 2;
    std::map<int, yov::DlgRect> byKind;
    for (const yov::DlgPlace& p : places) byKind[static_cast<int>(p.kind)] = p.rect;
    const int32_t w = 4000 - 2 * unitX;
    EXPECT_EQ(byKind[static_cast<int>(yov::DlgControl::CmdBrw)], (yov::DlgRect{unitX + w - 800, 125 + 195, 800, 315}));
    EXPECT_EQ(byKind[static_cast<int>(yov::DlgControl::Lab)], (yov::DlgRect{unitX, 125, w - 875, 195}));
    EXPECT_EQ(byKind[static_cast<int>(yov::DlgControl::Txt)], (yov::DlgRect{unitX, 125 + 195, w - 875, 315}));
    ASSERT_TRUE(buttons.placed);
    const int32_t gap = (w - 1800) / 3;
    const int32_t rowTop = 125 + 510 + 125;
    EXPECT_EQ(buttons.esc, (yov::DlgRect{unitX + gap, rowTop, 900, 315}));
    EXPECT_EQ(buttons.ok, (yov::DlgRect{unitX + w - gap - 900, rowTop, 900, 315}));
}

struct OkCase {
    const char* name;
    uint32_t flags;
    const char16_t* typed;
    const char16_t* stored;  // registry, nullptr: nothing stored
    const char16_t* text;    // FieldText after O.K.
    uint8_t result;
};

// Controls as a table: every check box checked, one option chosen, every text box the same.
class Controls : public yov::DlgControlValues {
public:
    Controls(std::u16string typed, int32_t chosenOption = -1) : typed_(std::move(typed)), chosen_(chosenOption) {}
    bool checked(int32_t) const override { return true; }
    std::u16string text(int32_t) const override { return typed_; }
    bool optionChecked(int32_t option) const override { return option == chosen_; }

private:
    std::u16string typed_;
    int32_t chosen_;
};

// What the settings hold under a record's name after O.K.; "absent" when nothing was stored.
std::u16string stored(const char16_t* name) { return yov::GetRegString(name, u"absent"); }

class ReadBack : public core_test::CoreTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(ReadBack, TextFieldRules) {
    const OkCase& c = GetParam();
    std::vector<DialogField> f(3);
    f[1] = field(df::kGroup, 0, u"", 2);
    f[2] = field(c.flags | 4, 0, u"Text");
    ASSERT_TRUE(yov::BuildDialog(f, 2, metrics()).ok);
    EXPECT_EQ(yov::ReadBackDialog(f, 2, u"Dlg", Controls(c.typed)), c.result);
    EXPECT_EQ(f[2].FieldText, c.text);
    EXPECT_EQ(f[2].FieldValue, f[2].FieldText.empty() ? 0 : 16);
    EXPECT_EQ(stored(u"Dlg2"), c.stored != nullptr ? c.stored : u"absent");
}

INSTANTIATE_TEST_SUITE_P(
    RuntimeDialog, ReadBack,
    ::testing::Values(
        OkCase{"Plain", 0, u"Hello", nullptr, u"Hello", 1},
        OkCase{"RequiredEmptyGivesZero", df::kRequired, u"", nullptr, u"", 0},
        OkCase{"FolderStoredAsWrittenWithoutFinalSeparator", df::kFolderBrowse | df::kStore, u"a/b/c", u"a/b/c",
               u"a/b/c/", 1},
        OkCase{"AWindowsFolderKeepsItsBackslashes", df::kFolderBrowse | df::kStore, u"C:\\Rail", u"C:\\Rail",
               u"C:\\Rail\\", 1},
        OkCase{"AnEmptyFolderStaysEmpty", df::kFolderBrowse | df::kRequired, u"", nullptr, u"", 0},
        OkCase{"LowerWithFirstUpper", df::kOkLower | df::kOkUpper, u"hELLO wORLD", nullptr, u"Hello world", 1},
        OkCase{"UpperOnOk", df::kOkUpper | df::kStore, u"MiXed", u"MiXed", u"MIXED", 1},
        OkCase{"TypedCaseRuleAppliesBeforeStoring", df::kTypeLower | df::kStore, u"ABC", u"abc", u"abc", 1}),
    [](const auto& info) { return std::string(info.param.name); });

class RuntimeDialogSettings : public core_test::CoreTest {};

TEST_F(RuntimeDialogSettings, CheckBoxesStoreTheirStateAndReportTheirBit) {
    std::vector<DialogField> f = sample();
    ASSERT_TRUE(yov::BuildDialog(f, 9, metrics()).ok);
    EXPECT_EQ(yov::ReadBackDialog(f, 9, u"P", Controls(u"x", f[8].ControlIndex)), 1);
    // Only the records marked to be stored: the file name as typed and the first check box.
    const std::pair<const char16_t*, const char16_t*> settings[] = {
        {u"P1", u"absent"}, {u"P2", u"x"},      {u"P3", u"absent"}, {u"P4", u"1"},     {u"P5", u"absent"},
        {u"P6", u"absent"}, {u"P7", u"absent"}, {u"P8", u"absent"}, {u"P9", u"absent"}};
    for (const auto& [name, value] : settings) EXPECT_EQ(stored(name), value) << core_test::utf8(name);
    EXPECT_EQ(f[4].FieldValue, 8);                                  // bit 3, not 1
    EXPECT_EQ(f[5].FieldValue, static_cast<int32_t>(0x80000000u));  // bit 31 kept in 32 bits
    EXPECT_EQ(f[6].FieldValue, 1);                                  // the option group reports its chosen option
}

TEST(RuntimeDialog, TreesThatCannotBeBuiltAreRefused) {
    std::vector<DialogField> cycle(4);
    cycle[1] = field(df::kGroup, 0, u"", 2);
    cycle[2] = field(df::kGroup, 3, u"", 1);  // a group holding the root again
    cycle[3] = field(0, 2);                   // and a sibling list coming round
    EXPECT_FALSE(yov::BuildDialog(cycle, 3, metrics()).ok);
    std::vector<DialogField> outside(2);
    outside[1] = field(df::kGroup, 0, u"", 7);
    EXPECT_TRUE(yov::BuildDialog(outside, 1, metrics()).ok);  // a child beyond the records is no child
    std::vector<DialogField> many(193);
    many[1] = field(0);
    const yov::DlgBuild b = yov::BuildDialog(many, 192, metrics());
    EXPECT_FALSE(b.ok);
    EXPECT_FALSE(b.error.empty());
    EXPECT_FALSE(yov::BuildDialog(many, 0, metrics()).ok);
}

TEST(RuntimeDialog, AGroupWithOneChildHasItsMarginsOnly) {
    std::vector<DialogField> f(3);
    f[1] = field(df::kFramedGroup, 0, u"", 2);
    f[2] = field(df::kCheckBox, 0, u"Only");
    ASSERT_TRUE(yov::BuildDialog(f, 2, metrics()).ok);
    EXPECT_EQ(f[1].StretchY, 0);
    yov::DlgButtons buttons;
    const std::vector<yov::DlgPlace> p = yov::LayOutDialog(f, 3000, 1000, metrics(), buttons);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].rect, (yov::DlgRect{0, 0, 3000, 1000}));  // the frame
    EXPECT_EQ(f[1].FixedWidth, 300 + 400 + 315);
    EXPECT_EQ(f[1].FixedHeight, 405 + 195);
    const int32_t unitX = (3000 - f[1].FixedWidth) / 2, unitY = (1000 - 600) / 2;
    EXPECT_EQ(p[1].rect.x, 150 + unitX);
    EXPECT_EQ(p[1].rect.w, 3000 - 300 - 2 * unitX);
    EXPECT_GE(p[1].rect.w, f[2].FixedWidth);  // the check box gets the width it asked for
    EXPECT_EQ(p[1].rect.y, 255 + unitY + (1000 - 405 - 2 * unitY - 195) / 2);
    EXPECT_FALSE(buttons.placed);
}

}  // namespace
