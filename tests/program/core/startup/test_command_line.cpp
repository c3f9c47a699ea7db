// The command line start-up reads: arguments joined as Windows hands them over, and the X
// screen-saver convention turned into "/s" with the daemon's window kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "program/core/startup/command_line.h"

namespace {

struct LineCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* saverEnv;  // XSCREENSAVER_WINDOW, null when unset
    const char* text;
    uintptr_t window;
    bool root;
    const char* script = "";  // the daemon's options as read
    const char* stock = "";
    int32_t speed = 0;
};

const LineCase kLines[] = {
    {"Nothing", {}, nullptr, "", 0, false},
    {"QuotesWhereABlankIs", {"/addcnf", "a.ttt", "b c.ttt"}, nullptr, "/addcnf a.ttt \"b c.ttt\"", 0, false},
    {"AnEmptyArgumentIsQuoted", {"/addstk", ""}, nullptr, "/addstk \"\"", 0, false},
    {"PreviewNumberStays", {"/p", "1234"}, nullptr, "/p 1234", 0, false},
    {"Root", {"-root"}, nullptr, "/s", 0, true},
    {"RootWithTwoDashes", {"--root"}, nullptr, "/s", 0, true},
    {"WindowId", {"--window-id", "0x1a00003"}, nullptr, "/s", 0x1a00003, false},
    {"WindowIdDecimal", {"-window-id", "4711"}, nullptr, "/s", 4711, false},
    {"DaemonWindowAlone", {}, "0x2c00007", "/s", 0x2c00007, false},
    {"DaemonWindowWithRoot", {"-root"}, "12345", "/s", 12345, false},
    {"OwnSwitchesWinOverTheEnvironment", {"/c"}, "0x2c00007", "/c", 0, false},
    {"AnUnreadableWindowIsTheRoot", {"--window-id", "nonsense"}, nullptr, "/s", 0, true},
    {"DaemonOptions",
     {"--root", "--script", "/s/a b.ttt", "--stock", "/s/c.stk", "--speed", "40"},
     nullptr,
     "/s",
     0,
     true,
     "/s/a b.ttt",
     "/s/c.stk",
     40},
    {"DaemonOptionsWithItsWindow", {"--speed", "7"}, "0x2c00007", "/s", 0x2c00007, false, "", "", 7},
    {"SpeedIsClamped", {"-root", "-speed", "900"}, nullptr, "/s", 0, true, "", "", 100},
    {"SpeedThatIsNoNumberIsTheSlowest", {"-root", "-speed", "fast"}, nullptr, "/s", 0, true, "", "", 1},
    {"OptionsWithoutTheConventionAreArguments", {"/w", "--speed", "40"}, nullptr, "/w --speed 40", 0, false},
    {"AnOptionWithoutValueIsAnArgument", {"--root", "--script"}, nullptr, "/s", 0, true},
};

class CommandLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLines, Read) {
    const LineCase& c = GetParam();
    const yov::CommandLine line = yov::ReadCommandLine(c.arguments, c.saverEnv);
    EXPECT_EQ(plat::utf16ToUtf8(line.text), c.text);
    EXPECT_EQ(line.saverWindow, c.window);
    EXPECT_EQ(line.saverRoot, c.root);
    EXPECT_EQ(plat::utf16ToUtf8(line.saverScript), c.script);
    EXPECT_EQ(plat::utf16ToUtf8(line.saverStock), c.stock);
    EXPECT_EQ(line.saverSpeed, c.speed);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLines, ::testing::ValuesIn(kLines),
                         [](const ::testing::TestParamInfo<LineCase>& i) { return std::string(i.param.name); });

}  // namespace
