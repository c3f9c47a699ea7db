// The scene script's option menu and help links: the items the menu builder is given, the
// check marks, what each option command stores under "\Option", and what is refused: an
// item of a command without a known operation, and options beyond the 253 an item index
// can reach.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "program/core/binding/engine.h"
#include "program/core/settings/settings.h"
#include "program/core/windows/msgbox.h"
#include "program/dialogs/script_options.h"
#include "program/scene/scene_records.h"
#include "core_fixture.h"

namespace {

using core_test::utf8;
using yov::option_kind::kCommand;
using yov::option_kind::kOption;
using yov::option_kind::kSeparator;

struct Decl {
    const char16_t* key;  // empty for commands and separators
    uint8_t kind;
    uint8_t value;
    const char16_t* command;
    uint8_t level = 0;
};

// The engine's menu builder as the option and help menus call it: each call written down, the
// item of index failAt refused with error 7, each label's menu 100 + its level.
class MenuBuilderEngine : public yov::BoundEngine {
public:
    std::vector<std::string> items;  // "index@level:caption"
    std::vector<std::string> help;   // "cut menu position", "menu position caption id"
    int failAt = -100;

    LvResult SetCatMenu(int16_t index, int16_t level, const char* caption, LvHandle* menu) override {
        items.push_back(std::to_string(index) + "@" + std::to_string(level) + ":" +
                        (caption != nullptr ? caption : ""));
        if (menu != nullptr) *menu = static_cast<LvHandle>(100 + level);
        return failAt == index ? 7 : 0;
    }
    LvResult CutMenu(int32_t menu, int32_t position) override {
        help.push_back("cut " + std::to_string(menu) + " " + std::to_string(position));
        return 0;
    }
    LvResult SetMenuItem(int32_t menu, int32_t position, const char* caption, int32_t id) override {
        help.push_back(std::to_string(menu) + " " + std::to_string(position) + " " + caption + " " +
                       std::to_string(id));
        return 0;
    }
};

// The dialog's menus as the toolkit would show them.
class RecordingMenuView : public yov::OptionMenuView {
public:
    std::map<int32_t, bool> marks;
    std::map<int32_t, LvHandle> menus;
    int draws = 0;
    void checkItem(LvHandle menu, int32_t id, bool on) override {
        marks[id] = on;
        menus[id] = menu;
    }
    void drawMenuBar() override { ++draws; }
};

class ScriptOptions : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        useEngine_.emplace(engine_);
        savedView_ = yov::SetOptionMenuView(&view_);
    }
    void TearDown() override {
        yov::SetOptionMenuView(savedView_);
        useEngine_.reset();
        CoreTest::TearDown();
    }

    void declare(const std::vector<Decl>& decls) {
        script = yov::SceneScript{};
        script.Options.resize(decls.size() + 1);
        for (const Decl& d : decls) {
            yov::OptionEntry& e = script.Options[static_cast<size_t>(++script.OptionCount)];
            e.Key = d.key;
            e.Kind = d.kind;
            e.Value = d.value;
            e.Command = d.command;
            e.Level = d.level;
            e.Captions[0] = d.kind == kSeparator ? std::u16string(u"-")
                            : d.kind == kCommand ? u"Run " + std::u16string(d.command)
                                                 : u"Caption " + std::u16string(d.key);
        }
    }
    // Builds the menus and remembers each option's menu.
    void build() { yov::BuildScriptMenus(script); }
    std::string stored(const char16_t* key) { return utf8(yov::GetRegString(key, u"absent", u"\\Option")); }
    uint8_t value(int32_t j) { return script.Options[static_cast<size_t>(j)].Value; }

    MenuBuilderEngine engine_;
    RecordingMenuView view_;
    yov::SceneScript script;
    std::vector<std::string>& items = engine_.items;
    std::vector<std::string>& help = engine_.help;
    program_test::AnsweringMsgBox boxes{yov::msgbox::kOk};
    std::vector<std::string> messages() const {
        std::vector<std::string> all;
        for (const std::u16string& text : boxes.texts()) all.push_back(utf8(text));
        return all;
    }
    std::map<int32_t, bool>& marks = view_.marks;
    std::map<int32_t, LvHandle>& menus = view_.menus;
    int& draws = view_.draws;
    int& failAt = engine_.failAt;

private:
    std::optional<yov::ScopedEngine> useEngine_;
    yov::OptionMenuView* savedView_ = nullptr;
};

TEST_F(ScriptOptions, TheMenuHasAnItemPerOptionAndSelectAllFromSixOn) {
    declare({{u"A", kOption, 1, u""},
             {u"", kSeparator, 0, u""},
             {u"B&C", kOption, 0, u""},
             {u"", kCommand, 0, u"A-"},
             {u"D", kOption, 1, u"", 1}});
    build();
    const std::vector<std::string> five = {"-1@2:",      "0@0:Caption A", "1@0:-", "2@0:Caption B&&C",
                                           "3@0:Run A-", "4@1:Caption D", "-2@2:"};
    EXPECT_EQ(items, five) << "no select-all items for five";
    EXPECT_EQ(marks, (std::map<int32_t, bool>{{0x8000, true}, {0x8002, false}, {0x8004, true}}))
        << "switches marked by value";
    EXPECT_EQ(menus[0x8004], 101u) << "the submenu's switch in its own menu";
    EXPECT_EQ(draws, 1);

    declare({{u"A", kOption, 0, u""},
             {u"B", kOption, 0, u""},
             {u"C", kOption, 0, u""},
             {u"D", kOption, 0, u""},
             {u"E", kOption, 0, u""},
             {u"F", kOption, 0, u""}});
    items.clear();
    build();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[7], "6@0:-");
    EXPECT_EQ(items[8], "7@0:Select all");
    EXPECT_EQ(items[9], "8@0:Deselect all");
    EXPECT_TRUE(messages().empty());
}

TEST_F(ScriptOptions, HelpLinksReplaceTheScriptPartOfTheHelpMenu) {
    declare({});
    script.LinkCount = 2;
    script.Links[1].Url = u"https://example.org/a";
    script.Links[1].Captions[0] = u"Track plan";
    script.Links[2].Url = u"https://example.org/b";
    build();
    EXPECT_TRUE(items.empty()) << "no options: the option menu is left as it was";
    const std::vector<std::string> want = {"cut 22 -1", "22 4095 Track plan 4993",
                                           "22 4095 https://example.org/b 4994"};
    EXPECT_EQ(help, want);
}

TEST_F(ScriptOptions, BuildErrorsAreShownAndTheFirstStopsTheBuild) {
    declare({{u"A", kOption, 1, u""}, {u"B", kOption, 1, u""}});
    failAt = 0;
    build();
    EXPECT_EQ(messages(), std::vector<std::string>{"SetOptMenu 2 error 7"});
    EXPECT_EQ(items.size(), 4u) << "the build goes on";
    boxes.requests.clear();
    items.clear();
    failAt = -1;
    build();
    EXPECT_EQ(messages(), std::vector<std::string>{"SetOptMenu 1 error 7"});
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(marks.size(), 2u) << "only the first build marked its switches";
}

TEST_F(ScriptOptions, OptionCommandsStoreEachSwitchTheyChange) {
    declare({{u"A", kOption, 0, u""},
             {u"B", kOption, 1, u""},
             {u"C", kOption, 1, u""},
             {u"", kCommand, 0, u"A+, B -,C!"},
             {u"", kSeparator, 0, u""},
             {u"", kCommand, 0, u""},
             {u"", kCommand, 0, u"A-,NONE+,B?,C*"}});
    build();
    marks.clear();

    yov::RunOptionCommand(script, 0);
    EXPECT_EQ(value(1), 1) << "a switch turns over";
    EXPECT_EQ(stored(u"A"), "1");
    EXPECT_EQ(marks[0x8000], true);

    yov::RunOptionCommand(script, 3);
    EXPECT_EQ(value(1), 1);
    EXPECT_EQ(value(2), 0);
    EXPECT_EQ(value(3), 0) << "toggled";
    EXPECT_EQ(stored(u"B"), "0");
    EXPECT_EQ(stored(u"C"), "0");
    EXPECT_EQ(marks[0x8001], false);

    for (int32_t item : {4, 5, 99, -1}) yov::RunOptionCommand(script, item);
    EXPECT_EQ(value(1), 1) << "separator, empty command and foreign items change nothing";
    EXPECT_EQ(value(2), 0);
    EXPECT_EQ(value(3), 0);

    yov::RunOptionCommand(script, 6);
    EXPECT_EQ(value(1), 0);
    EXPECT_EQ(value(2), 0) << "an item without a known operation is passed over, not given A's value";
    EXPECT_EQ(value(3), 1) << "and the items after it still run";
}

TEST_F(ScriptOptions, SelectAllAndDeselectAllChangeOnlySwitches) {
    declare({{u"A", kOption, 0, u""},
             {u"", kSeparator, 0, u""},
             {u"B", kOption, 1, u""},
             {u"", kCommand, 0, u"A+"},
             {u"C", kOption, 0, u""},
             {u"D", kOption, 0, u""}});
    build();
    const int32_t n = 6;
    yov::RunOptionCommand(script, n + 1);
    for (int32_t j : {1, 3, 5, 6}) EXPECT_EQ(value(j), 1) << j;
    EXPECT_EQ(value(2), 0);
    EXPECT_EQ(value(4), 0) << "a command keeps its state";
    EXPECT_EQ(stored(u"D"), "1");
    yov::RunOptionCommand(script, n);
    EXPECT_EQ(value(1), 1) << "the separator before them does nothing";
    yov::RunOptionCommand(script, n + 2);
    for (int32_t j : {1, 3, 5, 6}) EXPECT_EQ(value(j), 0) << j;
    EXPECT_EQ(stored(u"A"), "0");
}

TEST_F(ScriptOptions, AtMost253OptionsAreOffered) {
    std::vector<std::u16string> keys;
    for (int i = 1; i <= 260; ++i) keys.push_back(u"O" + plat::utf8ToUtf16(std::to_string(i)));
    std::vector<Decl> decls;
    for (const std::u16string& k : keys) decls.push_back({k.c_str(), kOption, 0, u""});
    declare(decls);
    EXPECT_EQ(yov::OfferedOptionCount(script), 253);
    build();
    ASSERT_EQ(items.size(), 1u + 253u + 3u + 1u);
    EXPECT_EQ(items[items.size() - 2], "255@0:Deselect all") << "the last index still fits 8 bits";
    bool logged = false;
    for (const std::string& line : logLines()) logged = logged || line.find("260 options") != std::string::npos;
    EXPECT_TRUE(logged);

    yov::RunOptionCommand(script, 254);
    EXPECT_EQ(value(253), 1);
    EXPECT_EQ(value(254), 0) << "an option the menu does not offer is not switched";
    EXPECT_EQ(stored(u"O254"), "absent");
}

}  // namespace
