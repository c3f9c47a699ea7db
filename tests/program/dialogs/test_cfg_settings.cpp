// What the settings dialog stores when a control changes: a typed number taken only when the
// whole text is a number and the setting takes it, the memory copy the next show reads, and
// nothing written while the dialog fills its controls, except where the change must be
// stored whatever the dialog does.
#include <string>

#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/dialogs/cfg_settings.h"
#include "program/dialogs/dialogs_state.h"
#include "program/dialogs/cfg_state.h"
#include "core_fixture.h"

namespace {

using core_test::utf8;

class CfgSettings : public core_test::CoreTest {
    yov::FreshDialogsState freshDialogs_;  // each test on a state of its own
protected:
    static std::string stored(const char16_t* name) { return utf8(yov::GetRegString(name, u"absent")); }
};

TEST_F(CfgSettings, TypedNumbersAreTakenByTheirSettingsRules) {
    struct Case {
        const char16_t* base;
        const char16_t* mode;
        const char16_t* typed;
        bool taken;
        const char* stored;  // when taken
        double memory;       // what the show reads, taken or not
    };
    const Case cases[] = {
        {u"Speed", u"W", u"abc", false, "", 0.025},   {u"Speed", u"W", u"12abc", false, "", 0.025},
        {u"Speed", u"W", u"0", true, "1", 0.001},     {u"Speed", u"F", u"250", true, "100", 0.1},
        {u"Speed", u"W", u" 7.5 ", true, "8", 0.008}, {u"LimProcV", u"W", u"301", false, "", 7},
        {u"LimProcV", u"F", u"25", true, "25", 2.5},  {u"LimProcV", u"W", u"7", true, "7", 0.7},
        {u"LimLenV", u"W", u"99", false, "", 4000},   {u"LimLenV", u"F", u"100", true, "100", 100},
        {u"LimLinV", u"W", u"-5", true, "-5", -5},    {u"LimLinV", u"F", u"99999999999", false, "", 3},
        {u"LimLinV", u"W", u"", false, "", 3},
    };
    for (const Case& c : cases) {
        yov::programState().settings = {};
        yov::cfgState().ModeSuffix = c.mode;
        yov::cfgState().ModeIndex = std::u16string(c.mode) == u"F" ? yov::kFullScreenMode : yov::kWindowMode;
        const std::u16string name = std::u16string(c.base) + c.mode;
        EXPECT_EQ(yov::ModeValueName(c.base), name);
        const std::string before = stored(name.c_str());
        EXPECT_EQ(yov::StoreTypedSetting(name, c.typed), c.taken) << utf8(c.typed);
        EXPECT_EQ(stored(name.c_str()), c.taken ? std::string(c.stored) : before) << utf8(name) << " " << utf8(c.typed);
        EXPECT_NEAR(yov::StoredNumber(name) * (std::u16string(c.base) == u"Speed"      ? 0.001
                                               : std::u16string(c.base) == u"LimProcV" ? 0.1
                                                                                       : 1.0),
                    c.memory, 1e-6)
            << utf8(name) << " " << utf8(c.typed);
    }
}

TEST_F(CfgSettings, FillingChangesMemoryOnlyUnlessTheChangeIsStoredAnyway) {
    yov::CfgFilling() = 1;
    EXPECT_TRUE(yov::StoreSetting(u"NStpClkF", 0));
    EXPECT_EQ(yov::programState().settings.Show.NStpClk[1], 0) << "memory follows at once";
    EXPECT_EQ(stored(u"NStpClkF"), "absent");
    EXPECT_TRUE(yov::StoreSetting(u"DDX", 800, true)) << "the display mode is written whatever";
    EXPECT_EQ(stored(u"DDX"), "800");
    EXPECT_EQ(yov::cfgState().ModeWidth, 800);
    EXPECT_EQ(yov::ToggleSwitch(u"Music"), 1) << "menu switches write while filling too";
    EXPECT_EQ(stored(u"Music"), "1");
    EXPECT_EQ(yov::ToggleSwitch(u"Music"), 0);
    EXPECT_EQ(stored(u"Music"), "0");

    yov::CfgFilling() = 0;
    EXPECT_FALSE(yov::StoreSetting(u"Cache", 4)) << "the dialog has cache modes 0 to 3";
    EXPECT_FALSE(yov::StoreSetting(u"NoSuchValue", 1));
    EXPECT_TRUE(yov::StoreSetting(u"NStpClkW", 1));
    EXPECT_EQ(stored(u"NStpClkW"), "1");
}

}  // namespace
