// Settings under the program key, per-instance sibling keys, numbers and binary values.
#include "program/core/settings/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "core_fixture.h"
#include "platform/registry.h"
#include "program/core/startup/core_wiring.h"
#include "program/core/startup/util_hooks.h"

namespace {

using core_test::CoreTest;
using core_test::utf8;
using yov::GetRegNumber;
using yov::GetRegString;

class Settings : public CoreTest {
protected:
    plat::Registry& reg() { return plat::Registry::current(); }
    std::optional<plat::RegValue> stored(const std::string& key, const std::string& name) {
        plat::RegValue v;
        if (reg().queryValue(key, name, v) != plat::RegStatus::Ok) return std::nullopt;
        return v;
    }
};

TEST_F(Settings, TextsLieUnderTheProgramKeyFollowedByTheSubkey) {
    struct Case {
        const char* name;
        std::u16string subkey;
        std::string key;
    };
    const std::vector<Case> cases = {
        {"the program key itself", u"", "Software\\Vantrel\\Yov"},
        {"a key below it", u"\\DescSmall", "Software\\Vantrel\\Yov\\DescSmall"},
        {"the sibling key of instance B", u"B", "Software\\Vantrel\\YovB"},
        {"the sibling key of instance F", u"F", "Software\\Vantrel\\YovF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        yov::SaveRegString(u"Conf01", u"C:\\Z\u00FCge\\A.TTT " + c.subkey, c.subkey);
        const auto v = stored(c.key, "Conf01");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->type, plat::kRegSz);
        EXPECT_EQ(GetRegString(u"conf01", u"", c.subkey), u"C:\\Z\u00FCge\\A.TTT " + c.subkey);
    }
    // Each instance keeps its own value.
    EXPECT_EQ(GetRegString(u"Conf01", u"", u"C"), u"");
}

TEST_F(Settings, ADamagedFileIsLoggedWithWhereItsCopyWent) {
    {
        std::filesystem::create_directories(folder() + "/config");
        std::ofstream out(folder() + "/config/registry.reg", std::ios::binary);
        out << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\r\n\"Lang\"=\"D\"\r\nthis is no line\r\n";
    }
    reg().reopen(folder() + "/config");
    EXPECT_EQ(GetRegString(u"Lang", u"E"), u"D") << "what could be read is used";
    const std::vector<std::string> lines = logLines();
    ASSERT_FALSE(lines.empty());
    const std::string& line = lines.back();
    EXPECT_NE(line.find("Settings file damaged: " + folder() + "/config/registry.reg line 5"), std::string::npos)
        << line;
    EXPECT_NE(line.find("kept as " + folder() + "/config/registry.reg.damaged-"), std::string::npos) << line;
}

TEST_F(Settings, MissingKeyOrValueGivesTheDefault) {
    EXPECT_EQ(GetRegString(u"Lang", u"E"), u"E");
    yov::SaveRegString(u"Other", u"x");
    EXPECT_EQ(GetRegString(u"Lang", u"E"), u"E");
    EXPECT_EQ(GetRegString(u"Lang", u"E", u"\\Nowhere"), u"E");
    EXPECT_EQ(GetRegNumber(u"Cache", 3), 3);
}

TEST_F(Settings, NumbersAreStoredAsDecimalText) {
    yov::SaveRegNumber(u"33X", -5, u"B");
    const auto v = stored("Software\\Vantrel\\YovB", "33X");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, plat::kRegSz);
    EXPECT_EQ(v->text(), "-5");
    EXPECT_EQ(GetRegNumber(u"33X", 0, u"B"), -5);
}

TEST_F(Settings, DwordValuesReadAsTheirDecimalText) {
    reg().setDword("Software\\Vantrel\\Yov", "Speed", 7);
    reg().setDword("Software\\Vantrel\\Yov", "Big", 0xFFFFFFFFu);
    EXPECT_EQ(GetRegString(u"Speed"), u"7");
    EXPECT_EQ(GetRegNumber(u"Speed", 25), 7);
    EXPECT_EQ(GetRegString(u"Big"), u"-1");
    // A DWORD value of the wrong size is not readable: the default.
    reg().setValue("Software\\Vantrel\\Yov", "Short", plat::RegValue{plat::kRegDword, {1, 2}});
    EXPECT_EQ(GetRegString(u"Short", u"d"), u"d");
    // No data at all: the default; an empty text is a text.
    reg().setValue("Software\\Vantrel\\Yov", "None", plat::RegValue{plat::kRegSz, {}});
    EXPECT_EQ(GetRegString(u"None", u"d"), u"d");
    yov::SaveRegString(u"Empty", u"");
    EXPECT_EQ(GetRegString(u"Empty", u"d"), u"");
}

TEST_F(Settings, NumberTable) {
    struct Case {
        const char* name;
        std::u16string text;
        int32_t expected;
        bool logged;
    };
    const std::vector<Case> cases = {
        {"not a number", u"abc", 0, false},           {"plain", u"12", 12, false},
        {"half to even down", u"12.5", 12, false},    {"half to even up", u"13.5", 14, false},
        {"leading number", u"40px", 40, false},       {"blanks and sign", u" - 3", -3, false},
        {"hexadecimal", u"&HFF", 255, false},         {"smallest", u"-2147483648", INT32_MIN, false},
        {"beyond 32 bits", u"99999999999", 17, true}, {"beyond a double", u"1e999", 17, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        yov::SaveRegString(u"Value", c.text);
        const auto before = std::filesystem::exists(logPath()) ? logLines().size() : 0;
        EXPECT_EQ(GetRegNumber(u"Value", 17), c.expected);
        const auto after = std::filesystem::exists(logPath()) ? logLines().size() : 0;
        EXPECT_EQ(after > before, c.logged);
    }
}

TEST_F(Settings, AValueThatDoesNotFitItsFieldFallsBackWithALogLine) {
    yov::SaveRegString(u"RandomW", u"300");
    EXPECT_EQ(yov::GetRegNumberIn(u"RandomW", 2, 0, 255), 2);
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Setting \"RandomW\" of Software\\Vantrel\\Yov: \"300\" does not fit, 2 used");
    yov::SaveRegString(u"RandomW", u"255");
    EXPECT_EQ(yov::GetRegNumberIn(u"RandomW", 2, 0, 255), 255);
    EXPECT_EQ(logLines().size(), 2u);
}

TEST_F(Settings, ASettingThatCannotBeSavedLeavesALogLine) {
    yov::SaveRegString(u"Conf01", u"kept", u"\\Bad\u0001Key");
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Setting \"Conf01\" of Software\\Vantrel\\Yov\\Bad\u0001Key not saved (InvalidName)");
}

TEST_F(Settings, BinaryValuesByKey) {
    const std::vector<uint8_t> bytes = {1, 2, 250};
    reg().setValue("Software\\Vantrel\\Yov", "Pal", plat::RegValue::binary(bytes));
    reg().setValue("Software\\Vantrel\\Yov\\Colours", "Pal", plat::RegValue::binary(bytes));
    reg().setValue("Software\\Other", "Pal", plat::RegValue::binary(bytes));
    reg().setString("Software\\Vantrel\\Yov", "Text", "abc");
    reg().setValue("Software\\Vantrel\\Yov", "Nothing", plat::RegValue{plat::kRegBinary, {}});

    struct Case {
        const char* name;
        std::u16string valueName;
        std::u16string key;
        int32_t size;
    };
    const std::vector<Case> cases = {
        {"program key", u"Pal", u"", 3},
        {"below the program key", u"Pal", u"\\Colours", 3},
        {"a whole key", u"Pal", u"Software\\Other", 3},
        {"a text is not binary", u"Text", u"", 0},
        {"empty binary", u"Nothing", u"", 0},
        {"missing", u"Pal", u"\\Nowhere", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out = {9, 9, 9, 9, 9, 9, 9};
        EXPECT_EQ(yov::GetRegBinary(c.valueName, out, c.key), c.size);
        if (c.size > 0) {
            EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 250, 0}));
        }
    }
}

// The small windows reach texts, settings and the run state through their hooks.
TEST_F(Settings, TheSmallWindowsReachTheCoreThroughTheirHooks) {
    yov::WireCoreServices();
    yov::UtilHooks& h = yov::utilHooks();
    yov::SaveRegString(u"12I", u"icon.png");
    EXPECT_EQ(h.getRegString("12I", "none"), "icon.png");
    h.saveRegString("Lang", "C");
    EXPECT_EQ(GetRegString(u"Lang"), u"C");
    EXPECT_EQ(yov::utilText(u"=&Literal"), u"Literal");
    EXPECT_EQ(yov::utilText(u"LCAC", u"", 1), u"Loading picture cache");
    EXPECT_EQ(h.languageCode(), "");
    core_test::addLanguage(u"E");
    yov::programState().Shared.CurrentLanguage = 1;
    EXPECT_EQ(h.languageCode(), "E");
    yov::programState().run.BatchMode = 1;
    EXPECT_TRUE(h.batchMode());
    h.requestStop();
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    EXPECT_EQ(h.shared, &yov::programState().Shared);
    h = {};
}

}  // namespace
