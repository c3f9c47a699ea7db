// The settings table over every numeric setting: read with its default when absent, a stored
// number outside what the setting takes read by its rule (masked, clamped into its field or
// turned into a fallback), a text that is no number read as 0, and the memory value written
// back in the stored encoding. The dialog's own limits on what it stores close the file.
#include <string>

#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/dialogs/dialogs_state.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/settings_table.h"
#include "core_fixture.h"

namespace {

using core_test::utf8;

struct TableCase {
    const char16_t* valueName;
    double absent;            // in memory with nothing stored
    const char16_t* outside;  // a stored number beyond what the setting takes...
    double outsideReads;      // ...and what it reads as
    double memory;            // a memory value...
    const char16_t* written;  // ...and how it is stored
};

const TableCase kCases[] = {
    {u"Cache", 0, u"300", 0, 3, u"3"},
    {u"RandomW", 2, u"6", 2, 3, u"3"},
    {u"RandomF", 2, u"7", 3, 1, u"1"},
    {u"NStpClkW", 1, u"3", 1, 0, u"0"},
    {u"NStpClkF", 1, u"2", 0, 1, u"1"},
    {u"NStpMovW", 1, u"2", 0, 0, u"0"},
    {u"NStpMovF", 1, u"5", 1, 0, u"0"},
    {u"NStpKeyW", 0, u"5", 1, 1, u"1"},
    {u"NStpKeyF", 0, u"4", 0, 1, u"1"},
    {u"SpeedW", 0.025, u"250", 0.25, 0.04, u"40"},
    {u"SpeedF", 0.025, u"-3", -0.003, 0.1, u"100"},
    {u"LimLenBW", 0, u"3", 1, 1, u"1"},
    {u"LimLenBF", 0, u"2", 0, 1, u"1"},
    {u"LimLenVW", 4000, u"12.5", 12, 2500, u"2500"},
    {u"LimLenVF", 4000, u"99999999999", 4000, 100, u"100"},
    {u"LimLinBW", 0, u"2", 0, 1, u"1"},
    {u"LimLinBF", 0, u"7", 1, 0, u"0"},
    {u"LimLinVW", 3, u"-4", -4, 12, u"12"},
    {u"LimLinVF", 3, u"2.5", 2, 5, u"5"},
    {u"LimProcBW", 0, u"3", 1, 1, u"1"},
    {u"LimProcBF", 0, u"6", 0, 1, u"1"},
    {u"LimProcVW", 7, u"35", 3.5, 0.7, u"7"},
    {u"LimProcVF", 7, u"3000", 300, 30, u"300"},
    {u"SkipErrW", 1, u"3", 1, 0, u"0"},
    {u"SkipErrF", 1, u"2", 0, 0, u"0"},
    {u"DrawAlgW", 1, u"4", 0, 0, u"0"},
    {u"DrawAlgF", 4, u"7", 1, 2, u"2"},
    {u"ColTrans", 0, u"7", 3, 2, u"2"},
    {u"Priority", 1, u"2", 0, 0, u"0"},
    {u"Music", 0, u"3", 1, 1, u"1"},
    {u"UseDefDir", 1, u"2", 0, 0, u"0"},
    {u"StbZ", 6, u"256", 6, 9, u"9"},
    {u"TvlZ", 6, u"-1", 6, 0, u"0"},
    {u"DDA", 1, u"3", 1, 1, u"1"},
    {u"DDX", 1024, u"70000", 1024, 800, u"800"},
    {u"DDY", 768, u"-40000", 768, 600, u"600"},
    {u"DDB", 16, u"32768", 16, 32, u"32"},
    {u"DDF", 0, u"-32769", 0, 75, u"75"},
};

class SettingsTable : public core_test::CoreTest, public ::testing::WithParamInterface<TableCase> {
    yov::FreshDialogsState freshDialogs_;  // each test on a state of its own
protected:
    // Reads the settings as their reader does and gives the case's memory value.
    double read() {
        int mode = 0;
        const yov::SettingSpec* spec = yov::FindSetting(GetParam().valueName, &mode);
        if (spec->reader == yov::SettingReader::Startup)
            yov::ReadStartupSettings();
        else
            yov::ReadDisplayModeSettings();
        return spec->get(mode);
    }
};

TEST_P(SettingsTable, ReadsAndWritesInItsEncoding) {
    const TableCase& c = GetParam();
    int mode = -1;
    const yov::SettingSpec* spec = yov::FindSetting(c.valueName, &mode);
    ASSERT_NE(spec, nullptr);
    EXPECT_EQ(utf8(yov::SettingValueName(*spec, mode)), utf8(c.valueName));

    EXPECT_FLOAT_EQ(static_cast<float>(read()), static_cast<float>(c.absent)) << "absent";
    yov::SaveRegString(c.valueName, c.outside);
    EXPECT_FLOAT_EQ(static_cast<float>(read()), static_cast<float>(c.outsideReads)) << utf8(c.outside);
    yov::SaveRegString(c.valueName, u"fast");
    EXPECT_FLOAT_EQ(static_cast<float>(read()), 0.0f) << "a text that is no number";

    spec->put(mode, c.memory);
    yov::SaveSetting(*spec, mode);
    EXPECT_EQ(utf8(yov::GetRegString(c.valueName)), utf8(c.written));
    EXPECT_FLOAT_EQ(static_cast<float>(read()), static_cast<float>(c.memory)) << "read back";
}

INSTANTIATE_TEST_SUITE_P(EverySetting, SettingsTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TableCase>& i) { return utf8(i.param.valueName); });

using SettingsTableRules = SettingsTable;

TEST_F(SettingsTableRules, TheDialogStoresOnlyWhatEachSettingTakes) {
    auto accepted = [](const char16_t* name, int32_t n) { return yov::AcceptedForWriting(*yov::FindSetting(name), n); };
    EXPECT_EQ(accepted(u"SpeedW", 0), 1) << "below 1 is stored as 1";
    EXPECT_EQ(accepted(u"SpeedF", 250), 100) << "above 100 as 100";
    EXPECT_EQ(accepted(u"LimProcVW", 301), std::nullopt);
    EXPECT_EQ(accepted(u"LimProcVW", 0), std::nullopt);
    EXPECT_EQ(accepted(u"LimProcVF", 25), 25);
    EXPECT_EQ(accepted(u"LimLenVW", 99), std::nullopt);
    EXPECT_EQ(accepted(u"LimLenVW", 100), 100);
    EXPECT_EQ(accepted(u"LimLinVW", -5), -5) << "the track limit takes any number";
    EXPECT_EQ(accepted(u"Cache", 4), std::nullopt) << "the dialog stores cache modes 0 to 3";
}

TEST_F(SettingsTableRules, EveryPerModeValueHasBothNamesAndTheDrawMethodOneEach) {
    for (const yov::SettingSpec& spec : yov::settingsTable()) {
        const bool w = yov::SettingHasMode(spec, yov::kWindowMode);
        const bool f = yov::SettingHasMode(spec, yov::kFullScreenMode);
        EXPECT_TRUE(w || f) << utf8(spec.name);
    }
    int mode = -1;
    EXPECT_EQ(yov::FindSetting(u"drawalgw", &mode)->defaultValue, 1);
    EXPECT_EQ(mode, yov::kWindowMode);
    EXPECT_EQ(yov::FindSetting(u"DrawAlgF", &mode)->defaultValue, 4);
    EXPECT_EQ(mode, yov::kFullScreenMode);
    EXPECT_EQ(yov::FindSetting(u"Lang"), nullptr) << "the language is a text of the language start-up";
}

TEST_F(SettingsTableRules, StartupReadsEachModeIntoItsOwnElement) {
    yov::SaveRegString(u"SpeedW", u"10");
    yov::SaveRegString(u"SpeedF", u"60");
    yov::SaveRegString(u"NStpKeyF", u"1");
    yov::ReadStartupSettings();
    const yov::ShowSettings& s = yov::programState().settings.Show;
    EXPECT_FLOAT_EQ(s.Speed[0], 0.010f);
    EXPECT_FLOAT_EQ(s.Speed[1], 0.060f);
    EXPECT_EQ(s.NStpKey[0], 0);
    EXPECT_EQ(s.NStpKey[1], 1);
    EXPECT_EQ(yov::cfgState().ModeWidth, 1024) << "start-up leaves the display mode to the dialog";
}

TEST(ResolutionList, DistinctResolutionsInTheEnginesOrderAtMostTwenty) {
    // 800 × 600 at 16 and 32 bits, then 1024 × 768: two entries.
    const int32_t w[] = {0, 800, 800, 1024};
    const int32_t h[] = {0, 600, 600, 768};
    const yov::ResolutionList two = yov::BuildResolutionList(3, w, h);
    ASSERT_EQ(two.count, 2);
    EXPECT_EQ(two.width[1], 800);
    EXPECT_EQ(two.height[1], 600);
    EXPECT_EQ(two.width[2], 1024);
    EXPECT_EQ(two.height[2], 768);

    int32_t many[31] = {};
    int32_t tall[31] = {};
    for (int i = 1; i <= 30; ++i) {
        many[i] = 600 + 10 * i;
        tall[i] = 480;
    }
    const yov::ResolutionList capped = yov::BuildResolutionList(30, many, tall);
    EXPECT_EQ(capped.count, yov::kMaxResolutions);
    EXPECT_EQ(capped.width[20], 800);
}

}  // namespace
