// What start-up reads and builds: the show and drawing settings with the masks of their
// storage, the lookup tables, the temporary folder, the help pages and the language, and the
// registration bits.
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "program/core/windows/context_help.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup.h"
#include "program/core/startup/startup_tables.h"
#include "program/dialogs/settings_table.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;
using startup_test::ScopedEnv;

using Reader = std::function<double()>;
const yov::ShowSettings& show() { return yov::programState().settings.Show; }

struct SettingCase {
    const char* name;
    const char16_t* value;  // stored text; null leaves the registry empty
    const char16_t* stored;
    Reader read;
    double expected;
};

const SettingCase kSettings[] = {
    {"RandomDefault", u"RandomW", nullptr, [] { return double(show().Random[0]); }, 2},
    {"RandomMaskedWithThree", u"RandomF", u"6", [] { return double(show().Random[1]); }, 2},
    {"ClickDefault", u"NStpClkW", nullptr, [] { return double(show().NStpClk[0]); }, 1},
    {"MoveDefault", u"NStpMovF", nullptr, [] { return double(show().NStpMov[1]); }, 1},
    {"KeyDefault", u"NStpKeyW", nullptr, [] { return double(show().NStpKey[0]); }, 0},
    {"AnOddKeyFlagIsOne", u"NStpKeyF", u"5", [] { return double(show().NStpKey[1]); }, 1},
    {"SpeedDefault", u"SpeedW", nullptr, [] { return double(show().Speed[0]); }, 0.025f},
    {"SpeedInThousandths", u"SpeedF", u"40", [] { return double(show().Speed[1]); }, 40 * 0.001f},
    {"LengthLimitDefault", u"LimLenVW", nullptr, [] { return double(show().LimLenV[0]); }, 4000},
    {"LengthLimitRoundedHalfToEven", u"LimLenVW", u"12.5", [] { return double(show().LimLenV[0]); }, 12},
    {"LengthLimitNotANumber", u"LimLenVF", u"many", [] { return double(show().LimLenV[1]); }, 0},
    {"TrackLimitDefault", u"LimLinVF", nullptr, [] { return double(show().LimLinV[1]); }, 3},
    {"LoadLimitDefault", u"LimProcVW", nullptr, [] { return double(show().LimProcV[0]); }, 7.0},
    {"LoadLimitInTenths", u"LimProcVF", u"35", [] { return double(show().LimProcV[1]); }, 3.5},
    {"LimitSwitchesMasked", u"LimProcBW", u"3", [] { return double(show().LimProcB[0]); }, 1},
    {"SkipErrorsDefault", u"SkipErrF", nullptr, [] { return double(show().SkipErr[1]); }, 1},
    {"SkipErrorsOfThreeIsOne", u"SkipErrW", u"3", [] { return double(show().SkipErr[0]); }, 1},
    {"WindowMethodDefault", u"DrawAlgW", nullptr, [] { return double(show().DrawAlg[0]); }, 1},
    {"WindowMethodFourIsZero", u"DrawAlgW", u"4", [] { return double(show().DrawAlg[0]); }, 0},
    {"FullScreenMethodDefault", u"DrawAlgF", nullptr, [] { return double(show().DrawAlg[1]); }, 4},
    {"FullScreenMethodFourStays", u"DrawAlgF", u"4", [] { return double(show().DrawAlg[1]); }, 4},
    {"FullScreenMethodSevenIsOne", u"DrawAlgF", u"7", [] { return double(show().DrawAlg[1]); }, 1},
    {"FullScreenMethodNegativeIsOne", u"DrawAlgF", u"-2", [] { return double(show().DrawAlg[1]); }, 1},
    {"CacheKeepsAnyByte", u"Cache", u"7", [] { return double(yov::programState().scene.CacheMode); }, 7},
    {"CacheBeyondAByteIsTheDefault", u"Cache", u"300", [] { return double(yov::programState().scene.CacheMode); }, 0},
    {"ColourTranslationMasked", u"ColTrans", u"7", [] { return double(yov::programState().settings.ColTrans); }, 3},
    {"PriorityDefault", u"Priority", nullptr, [] { return double(yov::programState().settings.HighPriority); }, 1},
    {"PriorityOfTwoIsZero", u"Priority", u"2", [] { return double(yov::programState().settings.HighPriority); }, 0},
    {"MusicDefault", u"Music", nullptr, [] { return double(yov::programState().settings.Music); }, 0},
    {"DefaultDirectionDefault", u"UseDefDir", nullptr, [] { return double(yov::programState().settings.UseDefDir); },
     1},
};

class StartupSettings : public startup_test::StartupTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(StartupSettings, ReadWithTheMasksOfTheirStorage) {
    const SettingCase& c = GetParam();
    if (c.stored != nullptr) yov::SaveRegString(c.value, c.stored);
    yov::ReadStartupSettings();
    EXPECT_FLOAT_EQ(static_cast<float>(c.read()), static_cast<float>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Values, StartupSettings, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<SettingCase>& i) { return std::string(i.param.name); });

using StartupTables = startup_test::StartupTest;

TEST_F(StartupTables, TypeCodeLettersAreTheWindows1250Table) {
    yov::BuildStartupTables();
    const std::u16string& t = yov::programState().tables.TypeCodeLetters;
    ASSERT_EQ(t.size(), 146u);
    EXPECT_EQ(t.substr(0, 13), u" RESATFOPMHB1");
    EXPECT_EQ(t[13], u'\u0154') << "0xC0 in Windows-1250";
    EXPECT_EQ(t[14], u'2');
    EXPECT_EQ(t[15], u'\u00C1');
    EXPECT_EQ(t[108], u'Y');
    EXPECT_EQ(t[109], u'\u0111') << "0xF0";
    EXPECT_EQ(t[110], u'Z');
    EXPECT_EQ(t[145], u'\u00B4') << "0xB4 last";
    EXPECT_EQ(yov::programState().Shared.TypeCodeLetters, t.c_str())
        << "the engine finds the table through SharedState";
}

TEST_F(StartupTables, BitTablesFillAll32Entries) {
    yov::BuildStartupTables();
    const yov::ProgramState& ms = yov::programState();
    EXPECT_EQ(ms.tables.BitValue[0], 1);
    EXPECT_EQ(ms.tables.BitMask[0], 1);
    EXPECT_EQ(ms.tables.BitValue[29], 1 << 29);
    EXPECT_EQ(ms.tables.BitMask[29], (1 << 30) - 1);
    EXPECT_EQ(ms.tables.BitValue[30], 0x40000000);
    EXPECT_EQ(ms.tables.BitMask[30], 0x7FFFFFFF);
    EXPECT_EQ(static_cast<uint32_t>(ms.tables.BitValue[31]), 0x80000000u);
    EXPECT_EQ(ms.tables.BitMask[31], -1);
}

TEST_F(StartupTables, KindsColoursAndLanguages) {
    yov::BuildStartupTables();
    const yov::ProgramState& ms = yov::programState();
    EXPECT_EQ(ms.tables.PicKindExt[1], u".GIF");
    EXPECT_EQ(ms.tables.PicKindExt[11], u".DIB");
    EXPECT_EQ(ms.tables.PicKindClass[9], 37);
    EXPECT_EQ(ms.tables.PicKindClass[6], 2);
    EXPECT_EQ(ms.tables.PicKindClass[4], 0);
    EXPECT_EQ(ms.tables.ColorLetters, u" RYBGKWLOCN");
    EXPECT_EQ(ms.tables.ColorRGB[0], 0x808080u);
    EXPECT_EQ(ms.tables.ColorRGB[9], 0x0080FFu) << "O is orange, red in the lowest byte";
    EXPECT_EQ(ms.tables.ColorRGB[11], 0x004080u);
    const SharedArrays& a = yov::programState().Arrays;
    ASSERT_EQ(a.Languages.upperBound(), 10);
    EXPECT_EQ(a.Languages[0].Code, u"N");
    EXPECT_EQ(a.Languages[0].Names[0], u"General");
}

struct FileCase {
    const char* name;
    std::string content;  // of the file made; "" makes none
    const char* asked;    // the name asked for
    int64_t minimum;
    bool exists;
};

TEST_F(StartupTables, FileExistsMinNeedsANormalFileLongerThanTheMinimum) {
    makeFile("ten.txt", "0123456789");
    makeFile("Eleven.txt", "0123456789A");
    std::filesystem::create_directories(folder() + "/folder");
    const FileCase cases[] = {{"Missing", "", "missing.txt", 0, false},
                              {"AsLongAsTheMinimum", "", "ten.txt", 10, false},
                              {"Longer", "", "Eleven.txt", 10, true},
                              {"AnyLetterCase", "", "ELEVEN.TXT", 10, true},
                              {"AFolderIsNoFile", "", "folder", 0, false}};
    for (const FileCase& c : cases)
        EXPECT_EQ(yov::FileExistsMin(u16(folder() + "/" + c.asked), c.minimum), c.exists) << c.name;
    EXPECT_FALSE(yov::FileExistsMin(u"", 0));
}

TEST_F(StartupTables, TheTemporaryFolderIsTheFirstThatExists) {
    std::filesystem::create_directories(folder() + "/temp");
    struct {
        const char* name;
        std::optional<std::string> tmp, temp, tmpdir;
        std::string expected;
    } cases[] = {
        {"Tmp", folder() + "/tmp", folder() + "/temp", std::nullopt, folder() + "/tmp"},
        {"TmpMissing", folder() + "/gone", folder() + "/temp", std::nullopt, folder() + "/temp"},
        {"TmpdirLast", folder() + "/gone", std::nullopt, folder() + "/temp", folder() + "/temp"},
        {"NothingLeavesTmp", folder() + "/gone", std::nullopt, std::nullopt, "/tmp"},
    };
    for (const auto& c : cases) {
        ScopedEnv tmp("TMP", c.tmp), temp("TEMP", c.temp), tmpdir("TMPDIR", c.tmpdir);
        EXPECT_EQ(utf8(yov::SearchTempDir()), c.expected) << c.name;
    }
}

TEST_F(StartupTables, HelpFilesAreHtmlPages) {
    EXPECT_EQ(yov::HelpPageName(u"rolvanee.hlp"), u"rolvanee.htm");
    EXPECT_EQ(yov::HelpPageName(u"ROLVANE.HLP"), u"ROLVANE.htm");
    EXPECT_EQ(yov::HelpPageName(u"notes.htm"), u"notes.htm");
}

// Where the program's help pages (and the pictures beside them) are found, for the layouts a
// program runs from; the source tree, which holds doc/ too, comes only when none has them.
TEST_F(StartupTables, TheProgramHomeIsTheFolderOfItsHelpPages) {
    makeFile("usr/lib/yov/doc/timtabe.htm", "<html>the installed page</html>");
    makeFile("usr/lib/yov/data/builtin/track0.gif", "GIF89a of the install");
    makeFile("opt/yov/doc/timtabe.htm", "<html>an unpacked tree</html>");
    makeFile("usr/local/share/yov/doc/timtabe.htm", "<html>a shared copy</html>");
    std::filesystem::create_directories(folder() + "/opt/yov/bin");
    std::filesystem::create_directories(folder() + "/usr/local/bin");
    std::filesystem::create_directories(folder() + "/build/release/bin");
    const struct {
        const char* name;
        std::string program, home;
    } cases[] = {
        {"Installed", folder() + "/usr/lib/yov", folder() + "/usr/lib/yov"},
        {"AboveTheProgram", folder() + "/opt/yov/bin", folder() + "/opt/yov"},
        {"ShareFolder", folder() + "/usr/local/bin", folder() + "/usr/local/share/yov"},
        {"BuildTree", folder() + "/build/release/bin", YOV_SOURCE_DIR},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8(yov::ProgramHomeOf(c.program)), std::filesystem::weakly_canonical(c.home).string()) << c.name;
}

TEST_F(StartupTables, FindHelpFileTakesTheSettingThenSearchesAndRemembers) {
    const std::string stored = makeFile("mine/help.htm", "<html>help page</html>");
    yov::SaveRegString(u"HelpE", u16(stored));
    EXPECT_EQ(utf8(yov::FindHelpFile(u"rolvanee.hlp", u"HelpE", 1)), stored);
    EXPECT_EQ(utf8(yov::programState().files.HelpPath[1]), stored);

    const std::string beside = makeFile("scripts/rolvaneg.htm", "<html>Hilfe</html>");
    yov::programState().scene.ConfigDir = u16(folder() + "/scripts");
    EXPECT_EQ(utf8(yov::FindHelpFile(u"rolvaneg.hlp", u"HelpG", 2)), beside);
    EXPECT_EQ(utf8(yov::GetRegString(u"HelpG")), beside) << "a found page is stored";

    EXPECT_EQ(yov::FindHelpFile(u"nosuchhelp.hlp", u"Help0", 0), u"");
    EXPECT_EQ(yov::programState().files.HelpPath[0], std::u16string(1, u'\1'));
}

// A place is searched in its own folder, the page's name in any letter case; a folder of
// another spelling beside it is not searched (nor is each folder above listed again for every
// place and page, which was most of the start-up's file-system work).
TEST_F(StartupTables, AHelpPageIsLookedForInThePlacesOwnFolder) {
    makeFile("Scripts/rolvaneg.htm", "<html>Hilfe, anders geschrieben</html>");
    std::filesystem::create_directories(folder() + "/scripts");
    const struct {
        const char* name;
        const char* file;  // made in scripts/, or none
        bool found;
    } cases[] = {
        {"SpelledAsAsked", "rolvaneg.htm", true},
        {"AnotherLetterCase", "ROLVANEG.HTM", true},
        {"OnlyInAFolderOfAnotherSpelling", nullptr, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder() + "/scripts");
        std::filesystem::create_directories(folder() + "/scripts");
        if (c.file != nullptr) makeFile(std::string("scripts/") + c.file, "<html>Hilfe</html>");
        yov::SaveRegString(u"HelpG", u"");
        yov::programState().scene.ConfigDir = u16(folder() + "/scripts");
        const std::u16string found = yov::FindHelpFile(u"rolvaneg.hlp", u"HelpG", 2);
        EXPECT_EQ(utf8(found), c.found ? folder() + "/scripts/rolvaneg.htm" : "") << c.name;
    }
}

TEST_F(StartupTables, SelectLanguageByCodeWithItsHelpFile) {
    SharedArrays& a = yov::programState().Arrays;
    a.Languages.redim(10);
    core_test::addLanguage(u"E");
    core_test::addLanguage(u"G");
    yov::SaveRegString(u"Lang", u"G");
    const std::string page = makeFile("scripts/rolvaneG.htm", "<html>Deutsche Hilfe</html>");
    yov::programState().scene.ConfigDir = u16(folder() + "/scripts");
    yov::SelectLanguage();
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 2);
    EXPECT_EQ(utf8(yov::helpFiles().HelpFile), page);
    EXPECT_EQ(utf8(yov::GetRegString(u"GHelp")), page);

    const std::string chosen = makeFile("chosen.htm", "<html>chosen help</html>");
    yov::SaveRegString(u"GHlp", u16(chosen));
    yov::SelectLanguage();
    EXPECT_EQ(utf8(yov::helpFiles().HelpFile), chosen) << "the chosen help file is read as code & \"Hlp\"";

    yov::SaveRegString(u"Lang", u"X");
    yov::SelectLanguage();
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 1) << "an unknown code takes the first language";
}

TEST_F(StartupTables, OneOrNoLanguage) {
    yov::programState().Arrays.Languages.redim(10);
    yov::SaveRegString(u"Lang", u"G");
    yov::SelectLanguage();
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 0);
    core_test::addLanguage(u"G");
    yov::SelectLanguage();
    EXPECT_EQ(yov::programState().Shared.CurrentLanguage, 1);
}

TEST_F(StartupTables, ComponentRegistrationRecordsItsBitsOnce) {
    yov::Main(u"/addcnf ");
    EXPECT_EQ(yov::GetRegNumber(u"DllReg", 0), 95) << "1+2+4+8+16+64, bit 32 unused";
    yov::SaveRegString(u"DllReg", u"95.0");
    yov::Main(u"/addcnf ");
    EXPECT_EQ(utf8(yov::GetRegString(u"DllReg")), "95.0") << "with every bit set nothing is written";
}

TEST_F(StartupTables, TheScreenSaverTakesTheStoredTemporaryFolder) {
    yov::SaveRegString(u"TmpDir", u16(folder() + "/stored"));
    yov::Main(u"/s");
    EXPECT_EQ(utf8(yov::programState().files.TempDir), folder() + "/stored");
    EXPECT_EQ(utf8(yov::programState().files.ErrorLogPath), folder() + "/stored/Rolvane.err");
    EXPECT_TRUE(runUntilEnded());
}

TEST_F(StartupTables, AnEmptyStoredFolderIsSearchedNotTheRoot) {
    yov::Main(u"/s");
    EXPECT_EQ(utf8(yov::programState().files.TempDir), folder() + "/tmp");
    EXPECT_EQ(utf8(yov::GetRegString(u"TmpDir", u"unwritten")), "unwritten") << "the screen saver stores nothing";
    EXPECT_TRUE(runUntilEnded());
    startup_test::restartMainValues();
    yov::Main(u"/c");
    EXPECT_EQ(utf8(yov::GetRegString(u"TmpDir")), folder() + "/tmp") << "every other road stores it";
    EXPECT_TRUE(runUntilEnded());
}

TEST_F(StartupTables, ScreenAreaAndMetrics) {
    yov::programState().machine.TwipsPerPixelX = yov::programState().machine.TwipsPerPixelY = 15;
    yov::GetScreenArea();
    const yov::ProgramState& ms = yov::programState();
    EXPECT_GE(ms.machine.MonitorCount, 1);
    EXPECT_GT(yov::programState().machine.ScreenWidthPx, 0);
    EXPECT_EQ(yov::ScreenWidthTw(), yov::programState().machine.ScreenWidthPx * 15);
    EXPECT_EQ(yov::ScreenHeightTw(), yov::programState().machine.ScreenHeightPx * 15);
}

}  // namespace
