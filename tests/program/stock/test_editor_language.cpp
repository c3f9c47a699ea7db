// The script editor's set-up against a recording editor: the fixed properties, the
// options and hot keys from the settings, the language and commands registered once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "program/core/settings/settings.h"
#include "program/stock/stock_browser_state.h"
#include "program/stock/editor_language.h"
#include "stock_loading_fixture.h"

namespace {

struct Recorder : yov::ScriptEditorPort {
    std::vector<std::string> calls;
    std::vector<yov::EditorLanguage> languages;
    std::vector<std::u16string> commandNames;
    void setIntProperty(int32_t id, int32_t v) override {
        calls.push_back(std::to_string(id) + "=" + std::to_string(v));
    }
    void setBoolProperty(int32_t id, bool v) override { calls.push_back(std::to_string(id) + (v ? "=T" : "=F")); }
    void setHotKeys(const std::vector<uint8_t>& t) override { calls.push_back("hot" + std::to_string(t.size())); }
    void resetGlobal() override { calls.push_back("reset"); }
    void registerLanguage(const yov::EditorLanguage& l) override {
        calls.push_back("language");
        languages.push_back(l);
    }
    void registerCommand(int32_t id, const std::u16string& name, const std::u16string&) override {
        calls.push_back("command" + std::to_string(id));
        commandNames.push_back(name);
    }
};

class EditorSetup : public stock_load_test::StockLoadTest {
    yov::FreshStockBrowserState freshStock_;  // each test on a state of its own
protected:
    void SetUp() override { StockLoadTest::SetUp(); }
    void TearDown() override { StockLoadTest::TearDown(); }
    void Binary(const char* name, std::vector<uint8_t> bytes) {
        yov::settingsRegistry().setValue(plat::utf16ToUtf8(yov::settingsKey({})), name, plat::RegValue::binary(bytes));
    }
    void Text(const char* name, const char* text) {
        yov::settingsRegistry().setValue(plat::utf16ToUtf8(yov::settingsKey({})), name, plat::RegValue::string(text));
    }
};

std::vector<std::u16string> words(const std::u16string& list) {
    std::vector<std::u16string> out;
    size_t from = 0;
    while (from < list.size()) {
        const size_t to = list.find(u'\n', from);
        out.push_back(list.substr(from, to - from));
        from = to + 1;
    }
    return out;
}

TEST(EditorLanguage, WordListsAsHandedOver) {
    const std::u16string kw = yov::EditorKeywordList();
    const std::vector<std::u16string> w = words(kw);
    ASSERT_EQ(w.size(), 152u);
    EXPECT_EQ(w.front(), u"$OPT");
    EXPECT_EQ(w[21], u"$END");
    EXPECT_EQ(w[22], u"$ABOVE");
    EXPECT_EQ(w[59], u"POOL");
    EXPECT_EQ(kw.substr(kw.size() - 3), u"B2\n");
    EXPECT_EQ(std::count(w.begin(), w.end(), u"$BGCOLOR"), 2);
    EXPECT_EQ(std::count(w.begin(), w.end(), u"W"), 2);
    EXPECT_EQ(yov::EditorBlockBeginList(), u"$SECTION\n$SCENE\n$PATH\n$GROUP\n$POOL\n");
    EXPECT_EQ(yov::EditorBlockEndList(), u"$ENDSECTION\n$ENDSCENE\n$ENDPATH\n$ENDGROUP\n$ENDPOOL\n");
}

TEST_F(EditorSetup, FixedPropertiesOptionsAndOneRegistration) {
    Binary("EdHotKeys", {1, 2, 3});
    Binary("EdSettings", {255, 2, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    Recorder first;
    yov::SetupScriptEditor(first);
    EXPECT_EQ(first.calls,
              (std::vector<std::string>{"21=8", "89=10", "88=1",  "14=T",     "hot3",        "29=255",     "3=T",
                                        "5=F",  "6=T",   "1=F",   "2=F",      "78=F",        "10=F",       "12=F",
                                        "87=F", "75=T",  "reset", "language", "command4541", "command4542"}));
    ASSERT_EQ(first.languages.size(), 1u);
    EXPECT_EQ(first.languages[0].name, u"RolvaneTimetable");
    EXPECT_FALSE(first.languages[0].caseSensitive);
    EXPECT_EQ(first.languages[0].escape, std::u16string(1, u'\0'));
    EXPECT_EQ(first.commandNames, (std::vector<std::u16string>{u"Trim Block", u"Optimize Selection"}));
    EXPECT_EQ(yov::editorSetupState().EditorOptions[0], 255);

    Recorder second;  // a second text window: settings again, no second registration
    yov::SetupScriptEditor(second);
    EXPECT_EQ(second.calls.size(), 16u);
    EXPECT_EQ(second.calls.back(), "75=T");
}

TEST_F(EditorSetup, SettingsOfTheWrongSizeOrTypeAreSkipped) {
    for (size_t size : {10u, 12u}) {
        Binary("EdSettings", std::vector<uint8_t>(size, 1));
        Text("EdHotKeys", "Ctrl+S");
        Recorder r;
        yov::SetupScriptEditor(r);
        EXPECT_EQ(std::vector<std::string>(r.calls.begin(), r.calls.begin() + 4),
                  (std::vector<std::string>{"21=8", "89=10", "88=1", "14=T"}));
        EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "29=1"), 0) << size;
        EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "hot6"), 0);
    }
}

}  // namespace
