// Scene scripts read into section records, pools, items and options: the demo scene, a
// fixture with every block kind, includes and options, and the reader's failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include <functional>
#include <string>
#include <vector>

#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/show_data/show_state.h"

#include "script_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;
using script_test::ScriptTest;
namespace st = yov::sect_type;

class ScriptReader : public ScriptTest {};
using yov::programState;
namespace run_flag = yov::run_flag;

TEST_F(ScriptReader, SnowSceneLinesStartTheirSnow) {
    ASSERT_TRUE(read(std::string(YOV_DEMO_DATA) + "/snow.ttt")) << reported();
    const yov::SceneScript& s = S();
    ASSERT_EQ(s.SectionCount, 4);
    EXPECT_EQ(member(1),
              "M=STOP;C=REGIO;TB=[SNOW:I=3;V=50;S=4],PBU;P=40;V=6;TX=Regional train in the snow;"
              "T=OPEN,W,5,CLOSE,W,1,[ENDSNOW:T=3]");
    EXPECT_EQ(member(3), "M=SIMPLE;C=E40,6*WAGON;TB=[SNOW:I=6;V=30;S=0],PBU;V=9;TX=Freight in heavy snow");
    // The bracket keeps the snow's own parameters inside the start text.
    std::u16string start;
    yov::paramTable().WithParams(s.Members[1].Text, [&] { start = yov::paramTable().GetParam(u"TB", u""); });
    EXPECT_EQ(utf8(start), "[SNOW:I=3;V=50;S=4],PBU");
}

TEST_F(ScriptReader, DemoSceneBecomesRootScenePathsAndLines) {
    const std::string demo = std::string(YOV_DEMO_DATA) + "/demo.ttt";
    ASSERT_TRUE(read(demo)) << reported();
    const yov::SceneScript& s = S();
    // Paths close first, then the scene, then the root; the root header is copied last.
    ASSERT_EQ(s.MemberCount, 13);
    ASSERT_EQ(s.SectionCount, 4);
    EXPECT_EQ(member(13), "$D1");
    EXPECT_EQ(member(12), "$C2");
    EXPECT_EQ(member(10), "$P3");
    EXPECT_EQ(member(11), "$P4");
    EXPECT_EQ(member(1), "M=OPEN;C=REGIO;TB=PBU;P=12;T1=1;T2=6;T3=2;V=6;TX=Regional train");
    EXPECT_EQ(s.Members[1].Line, 23);
    EXPECT_EQ(s.Members[1].Owner, 10);
    EXPECT_EQ(s.Members[5].Owner, 11);
    // The conditional line is in: the option's stored choice is its default, on.
    EXPECT_EQ(member(8), "M=SIMPLE;C=E40,10*WAGON;TB=PBU;V=8;TX=Long freight");

    struct Expect {
        int32_t index;
        uint8_t type;
        int32_t parent, first, lastPlain, last;
        const char* y;
        const char* way;
        const char* dir;
        uint8_t seq;
        int32_t limitCount;
    };
    for (const Expect& e :
         {Expect{1, st::kRoot, 0, 12, 12, 12, "", "", "", 3, 0}, Expect{2, st::kScene, 1, 10, 11, 11, "", "", "", 3, 0},
          Expect{3, st::kPath, 2, 1, 4, 4, "140", "E", "L", 1, 0},
          Expect{4, st::kPath, 2, 5, 9, 9, "50", "E", "R", 1, 0}}) {
        SCOPED_TRACE(e.index);
        const yov::SectRec& r = sect(e.index);
        EXPECT_EQ(r.Number, e.index);
        EXPECT_EQ(r.Type, e.type);
        EXPECT_EQ(r.Parent, e.parent);
        EXPECT_EQ(r.First, e.first);
        EXPECT_EQ(r.LastPlain, e.lastPlain);
        EXPECT_EQ(r.Last, e.last);
        EXPECT_EQ(r.CurrentLine, e.first - 1);
        EXPECT_EQ(utf8(r.YText), e.y);
        EXPECT_EQ(utf8(r.Way), e.way);
        EXPECT_EQ(utf8(r.Direction), e.dir);
        EXPECT_EQ(r.SequenceMode, e.seq);
        EXPECT_EQ(r.LimitCount, e.limitCount);
    }
    EXPECT_EQ(utf8(sect(2).Background), "demo_land.gif:0..100;demo_station.gif:*50,176;demo_masts.gif:0..100");
    EXPECT_EQ(sect(2).BackgroundOwner, 12);
    EXPECT_TRUE(sect(3).Background.empty()) << "a path has no background of its parent's";
    EXPECT_EQ(utf8(sect(3).WayDefs[3]), "3E") << "way definitions pass through the scene";
    EXPECT_EQ(sect(1).RunState, 1);
    EXPECT_EQ(sect(3).FinishMode, 2);

    EXPECT_EQ(utf8(s.Run.VersionText), "1.0");
    EXPECT_EQ(s.Run.BgColor, 0xEACAA6);
    EXPECT_EQ(utf8(s.Run.InfoText).substr(0, 10), "Yov demo: ");
    ASSERT_EQ(s.OptionCount, 1);
    EXPECT_EQ(utf8(s.Options[1].Key), "MOREFREIGHT");
    EXPECT_EQ(s.Options[1].Value, 1);
    EXPECT_EQ(utf8(s.Options[1].Captions[0]), "Long freight trains on the near track");
    EXPECT_EQ(utf8(stock_.named), std::string(YOV_DEMO_DATA) + "/demo.stk");
    EXPECT_EQ(stock_.loads, 1);
}

TEST_F(ScriptReader, EveryBlockKindIncludesAndOptions) {
    write("parts/two.ttt", {"%TWO"});
    write("parts/one.ttt", {"$INFO ignored", "$OPT K=INCL;N=x", "$HLPWEB URL=http://example.invalid/two;N=Two",
                            "$INCLUDE two.ttt", "C=ONE"});
    const std::string main = write("main.ttt", {"$INFO Main",
                                                "$VERSION 2.5",
                                                "$OPT K=NIGHT;N=Night;V=0",
                                                "$OPTSUB N=More",
                                                "$OPT K=-;N=-",
                                                "$OPTCMD N=All;C=night+",
                                                "$OPTEND",
                                                "$HLPWEB URL=http://example.invalid/help;N=Help",
                                                "$SET LONG",
                                                "$DEFINE LOCO=E40",
                                                "%DEF(TWO=C=TWO)",
                                                "$ENV base",
                                                "$INCLUDE parts/one.ttt",
                                                "$SECTION N=3;AB=2;VH=30;BL=8;MS=5;ENV=+ more;SEQ=C;LT=60",
                                                "C=A",
                                                "$GROUP POOL=FREIGHT",
                                                "C=G1",
                                                "$POOL N=freight;SEQ=R;AP=V=3",
                                                "C=F1",
                                                "C=F2",
                                                "$ENDPOOL",
                                                "$POOL N=EMPTY",
                                                "$ENDPOOL",
                                                "$ENDGROUP",
                                                "$LINE L=1",
                                                "C=L1",
                                                "$ENDLINE",
                                                "$LINE L=2",
                                                "C=L2",
                                                "{LONG?C=LONG}",
                                                "$ENDSECTION"});
    yov::SaveRegString(u"L", u"0,8,");
    ASSERT_TRUE(read(main)) << reported();
    const yov::SceneScript& s = S();

    // Pool members first, then the group's, the lines', the section's and the root's.
    const std::vector<std::string> members{"",    "C=F1", "C=F2", "C=G1",  "C=L1",  "C=L2", "C=LONG", "C=A",
                                           "$G3", "$L4",  "$L5",  "C=TWO", "C=ONE", "$S2",  "$D1"};
    ASSERT_EQ(s.MemberCount, 14);
    for (int32_t i = 1; i <= 14; ++i) EXPECT_EQ(member(i), members[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(s.Members[11].FileIndex, 3);
    EXPECT_EQ(s.Members[11].Line, 1);
    EXPECT_EQ(s.Members[12].FileIndex, 2);
    EXPECT_EQ(s.Members[12].Line, 5);
    EXPECT_EQ(s.Members[7].Owner, 13);

    ASSERT_EQ(s.SectionCount, 5);
    struct Expect {
        int32_t index;
        uint8_t type;
        int32_t parent, first, lastPlain, last, current;
        const char* dy;
        uint8_t seq;
        int32_t limitTime, limitCount;
    };
    for (const Expect& e :
         {Expect{1, st::kRoot, 0, 11, 13, 13, 10, "", 3, 0, 0},
          Expect{2, st::kSection, 1, 7, 8, 10, 7, "130", 2, 60, 0}, Expect{3, st::kGroup, 2, 3, 3, 3, 2, "40", 2, 0, 1},
          Expect{4, st::kLine, 2, 5, 6, 6, 4, "", 2, 0, 2}, Expect{5, st::kLine, 2, 4, 4, 4, 3, "", 2, 0, 1}}) {
        SCOPED_TRACE(e.index);
        const yov::SectRec& r = sect(e.index);
        EXPECT_EQ(r.Type, e.type);
        EXPECT_EQ(r.Parent, e.parent);
        EXPECT_EQ(r.First, e.first);
        EXPECT_EQ(r.LastPlain, e.lastPlain);
        EXPECT_EQ(r.Last, e.last);
        EXPECT_EQ(r.CurrentLine, e.current);
        EXPECT_EQ(utf8(r.DYText), e.dy);
        EXPECT_EQ(r.SequenceMode, e.seq);
        EXPECT_EQ(r.LimitTime, e.limitTime);
        EXPECT_EQ(r.LimitCount, e.limitCount);
    }
    EXPECT_EQ(utf8(sect(2).Environment), "basemore");
    EXPECT_EQ(utf8(sect(3).PoolName), "FREIGHT");
    EXPECT_EQ(utf8(sect(4).LineId), "2");
    EXPECT_EQ(utf8(sect(5).LineId), "1");
    EXPECT_EQ(sect(3).VehicleHeight, 30);
    EXPECT_EQ(s.BaseHeight, 30);

    ASSERT_EQ(s.PoolCount, 2);
    EXPECT_EQ(utf8(s.Pools[1].Name), "FREIGHT");
    EXPECT_EQ(s.Pools[1].First, 1);
    EXPECT_EQ(s.Pools[1].Last, 2);
    EXPECT_EQ(s.Pools[1].Current, 2);
    EXPECT_EQ(s.Pools[1].PickCounter, 0);
    EXPECT_EQ(s.Pools[1].SequenceMode, 4);
    EXPECT_EQ(utf8(s.Pools[1].AddParams), "V=3");
    EXPECT_EQ(utf8(s.Pools[2].Name), "EMPTY");
    EXPECT_EQ(s.Pools[2].Last - s.Pools[2].First + 1, 0) << "an empty pool has no member";

    // Options of the main file only; links from every file; the main file's INFO only.
    struct Opt {
        const char* key;
        uint8_t kind, level, value;
        const char* command;
    };
    ASSERT_EQ(s.OptionCount, 4);
    for (int32_t i = 1; const Opt& o : {Opt{"NIGHT", 1, 0, 0, ""}, Opt{"", 4, 0, 0, ""}, Opt{"-", 2, 1, 0, ""},
                                        Opt{"", 3, 1, 0, "NIGHT+"}}) {
        SCOPED_TRACE(i);
        const yov::OptionEntry& e = s.Options[static_cast<size_t>(i++)];
        EXPECT_EQ(utf8(e.Key), o.key);
        EXPECT_EQ(e.Kind, o.kind);
        EXPECT_EQ(e.Level, o.level);
        EXPECT_EQ(e.Value, o.value);
        EXPECT_EQ(utf8(e.Command), o.command);
    }
    ASSERT_EQ(s.LinkCount, 2);
    EXPECT_EQ(utf8(s.Links[2].Url), "http://example.invalid/two");
    EXPECT_EQ(utf8(s.Links[1].Captions[0]), "Help");
    EXPECT_EQ(utf8(s.Run.InfoText), "Main\r\n");
    EXPECT_EQ(yov::programState().Shared.MacroCount, 1);
}

TEST_F(ScriptReader, RunSettingKeywords) {
    struct Case {
        const char* line;
        std::function<bool(const yov::RunSettings&)> holds;
    };
    const std::vector<Case> cases{
        {"$SPEED 0", [](const yov::RunSettings& r) { return r.SpeedFactor == 0.025f && r.SpeedSet == 1; }},
        {"$SPEED 40", [](const yov::RunSettings& r) { return r.SpeedFactor == 0.04f; }},
        {"$RANDOM R", [](const yov::RunSettings& r) { return r.SequenceMode == 3; }},
        {"$SEQ 1", [](const yov::RunSettings& r) { return r.SequenceMode == 1; }},
        {"$SEQUENCE D", [](const yov::RunSettings& r) { return r.SequenceMode == 2; }},
        {"$CD 12", [](const yov::RunSettings& r) { return r.CoupleDistance == 12; }},
        {"$WAY A=x;L=y",
         [](const yov::RunSettings& r) {
             return r.WayDefs[0] == u"x" && r.WayDefs[5] == u"y" && r.WayDefs[1] == u"3";
         }},
        {"$WT tt", [](const yov::RunSettings& r) { return r.WayDefs[2] == u"tt"; }},
        {"$NORAIL", [](const yov::RunSettings& r) { return r.Suppress == 3; }},
        {"$NOCATENARY", [](const yov::RunSettings& r) { return r.Suppress == 2; }},
        {"$NOAUTHORS", [](const yov::RunSettings& r) { return r.Suppress == 4; }},
        {"$TXC #FF0000", [](const yov::RunSettings& r) { return r.LabelColor == 0x0000FF; }},
        {"$ENVIRONEMENT snow", [](const yov::RunSettings& r) { return r.Environment == u"snow"; }},
        {"$IMGY 41.6", [](const yov::RunSettings& r) { return r.VehicleHeight == 42; }},
        {"$NOSTOPONKEY yes", [](const yov::RunSettings& r) { return r.NoStopOnKey == 1; }},
        {"$BRAKE 0.2", [](const yov::RunSettings& r) { return r.Decel == u"0.2"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(read(write("k.ttt", {c.line, "C=X"}))) << reported();
        EXPECT_TRUE(c.holds(S().Run));
    }
    ASSERT_TRUE(read(write("k.ttt", {"$MINVER P=4.3.10;D=4.3.8", "C=X"}))) << "the versions themselves pass";
    ASSERT_TRUE(read(write("k.ttt", {"$USECACHE 9", "C=X"})));
    EXPECT_EQ(yov::programState().scene.CacheMode, 3);
    // With CD absent the couple distance is a sixth of the vehicle height.
    ASSERT_TRUE(read(write("k.ttt", {"$VH 40", "C=X"})));
    EXPECT_EQ(S().Run.CoupleDistance, 6);
}

TEST_F(ScriptReader, BlocksCloseWhatTheyMayNotSitIn) {
    ASSERT_TRUE(read(write("b.ttt", {"$SECTION", "$GROUP", "C=1", "$SCENE", "$PATH", "C=2", "$ENDSCENE", "$LINE", "C=3",
                                     "$SECTION", "C=4", "$ENDSECTION", "$ENDSECTION"})))
        << reported();
    // Root, outer section, group, scene and its path, inner section, and the line block last.
    ASSERT_EQ(S().SectionCount, 7);
    std::vector<uint8_t> types;
    for (int32_t i = 1; i <= 7; ++i) types.push_back(sect(i).Type);
    EXPECT_EQ(types, (std::vector<uint8_t>{st::kRoot, st::kSection, st::kGroup, st::kScene, st::kPath, st::kSection,
                                           st::kLine}));
}

TEST_F(ScriptReader, IncludeOpensEveryTimeRequireOnce) {
    write("inc.ttt", {"C=1"});
    ASSERT_TRUE(read(write("m.ttt", {"$INCLUDE inc.ttt", "$INC \"inc.ttt\"", "$REQUIRE <inc.ttt>", "$REQ inc.ttt"})))
        << reported();
    EXPECT_EQ(S().PlainLines, 2);
}

TEST_F(ScriptReader, HeaderModeStopsAtTheFirstLineThatIsNoHeader) {
    const std::string path = write("h.ttt", {"$INFO a", "$VERSION 3", "$OPT K=X;N=x", "$SCENE", "$PATH", "C=1"});
    ASSERT_TRUE(read(path, 1)) << reported();
    EXPECT_EQ(S().OptionCount, 1);
    EXPECT_EQ(S().PlainLines, 0);
    EXPECT_EQ(S().MemberCount, 0);
    EXPECT_EQ(stock_.loads, 0);
    ASSERT_TRUE(read(write("h2.ttt", {"$INFO a", "C=1", "$OPT K=X;N=x"}), 1));
    EXPECT_EQ(S().OptionCount, 0);
}

TEST_F(ScriptReader, FailuresNameTheirKeyAndPlace) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::string message;
        // The line named for the script: the one in error, also when the reader already stands
        // at the start of the next. 0 when no position is wanted.
        int line;
    };
    const std::vector<Case> cases{
        {"PATE", {"C=X", "$PATH Y=1"}, "Path outside a scene", 2},
        {"POLE", {"C=X", "$POOL N=A"}, "Pool outside a group, section, scene or path", 2},
        {"ESEC", {"C=X", "$ENDSECTION"}, "End of section without a section", 2},
        {"EPOOL", {"C=X", "$EO"}, "End of pool without a pool", 2},
        {"EPAT", {"C=X", "$ENDPATH"}, "End of path without a path", 2},
        {"ELIN", {"C=X", "$EL"}, "End of line without a line", 2},
        {"EGRP", {"C=X", "$EG"}, "End of group without a group", 2},
        {"ESCE", {"C=X", "$ENDSCENE"}, "End of scene without a scene", 2},
        {"MDEF", {"$OPT K=A;N=a", "$OPT K=a;N=b"}, "$OPT K=A is defined twice", 2},
        {"NPOOL", {"$SECTION", "$POOL SEQ=R", "C=X", "$ENDPOOL"}, "Pool without a name", 4},
        {"NOTR", {"$INFO only"}, "The script has no lines to run", 0},
        {"PRGV", {"$MINVER P=4.3.11", "C=X"}, "This script needs program version 4.3.11", 0},
        {"PRGV minor", {"$MINVER P=4.4", "C=X"}, "This script needs program version 4.4", 0},
        {"DLLV", {"$MINVER D=4.4", "C=X"}, "This script needs library version 4.4", 0},
        {"ERROR", {"$ERROR N=Stop here", "C=X"}, "Stop here", 0},
        {"OPTSUB", {"$OPTSUB N=1", "$OPTSUB N=2", "$OPTSUB N=3", "$OPTSUB N=4"}, "Option submenu level too deep", 4},
        {"OPTEND", {"$OPTEND"}, "Option submenu end outside a submenu", 1},
        {"OPT without key", {"$OPT N=x"}, "Option without a key", 1},
        {"include missing", {"C=X", "$INCLUDE nothere.ttt"}, "nothere.ttt not found", 2},
        {"self include", {"C=X", "$INCLUDE e.ttt"}, "Script files included too deeply", 2},
        // Never read, and named as the script writes them.
        {"include a device", {"C=X", "$INCLUDE /dev/zero"}, "File /dev/zero is not a regular file", 2},
        {"include a device as Windows spells it",
         {"C=X", "$INCLUDE \\dev\\zero"},
         "File \\dev\\zero is not a regular file",
         2},
        {"include the process's memory", {"C=X", "$INCLUDE /proc/self/mem"}, "/proc/self/mem is not a regular file", 2},
        {"include a pipe", {"C=X", "$INCLUDE pipe"}, "pipe is not a regular file", 2},
        {"include a folder", {"C=X", "$INCLUDE /tmp"}, "File /tmp is not a regular file", 2},
        {"number beyond the show's range", {"C=X", "$AB 99999999"}, "Number out of range", 2},
        {"plain number beyond the show's range", {"C=X", "$VH 1e10"}, "Number out of range", 2},
        {"UYD", {"$SECTION YDIR=SIDEWAYS", "C=X"}, "Unknown drawing direction SIDEWAYS in ", 0},
        {"UFIN", {"C=X", "$SECTION FIN=LATER", "C=X"}, "Unknown finish mode LATER in ", 0},
        {"ILSEQ", {"$SECTION SEQ=SOMETIMES", "C=X"}, "Illegal SEQUENCE value SOMETIMES in ", 0},
        {"ILSEQ keyword", {"$RANDOM SOMETIMES", "C=X"}, "Illegal SEQUENCE value SOMETIMES", 1},
        {"reader", {"C=X", "}"}, "outside condition in ", 2},
    };
    // A pipe nobody writes to: opening it to read would wait for ever.
    ASSERT_EQ(::mkfifo((folder() + "/pipe").c_str(), 0600), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write("e.ttt", c.lines);
        EXPECT_FALSE(read(path));
        const std::string text = reported();
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        if (c.line > 0) {
            EXPECT_NE(text.find("file " + path + " line " + std::to_string(c.line) + " column "), std::string::npos)
                << text;
        }
    }
    // Errors raised while the sections are built name the block's line.
    read(write("e.ttt", {"C=X", "$SECTION FIN=LATER", "C=X"}));
    EXPECT_NE(reported().find("in " + folder() + "/e.ttt line 2"), std::string::npos) << reported();
}

TEST_F(ScriptReader, DuringAShowMessagesLoggedAtOnceNameTheirLine) {
    // While a show runs a reader's message is logged the moment it is raised, before the
    // read's own report could add the place: the message carries it.
    core_test::defaultTexts()[u"IFI"] = u"in %1 line %2";
    programState().run.RunFlags = run_flag::kShowStart;
    const std::string inc = write("inc.ttt", {"C=1", "$BL 5000000"});
    for (const auto& [lines, want] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"C=X", "$AB xyz"}, "\"XYZ\" in " + folder() + "/e.ttt line 2"},
             {{"C=X", "", "$AB 99999999"}, "\"99999999\" in " + folder() + "/e.ttt line 3"},
             {{"C=X", "$INCLUDE inc.ttt", "C=Y"}, "\"5000000\" in " + inc + " line 2"},
         }) {
        std::remove(logPath().c_str());
        EXPECT_FALSE(read(write("e.ttt", lines)));
        EXPECT_NE(readFile(logPath()).find(want), std::string::npos) << readFile(logPath());
    }
    programState().run.RunFlags = 0;
}

TEST_F(ScriptReader, AnErrorInAnIncludedFileNamesEveryLevelInnermostFirst) {
    const std::string inc = write("inc.ttt", {"C=1", "$ENDPOOL"});
    const std::string main = write("main.ttt", {"C=0", "$INCLUDE inc.ttt"});
    EXPECT_FALSE(read(main));
    const std::string text = reported();
    const size_t inner = text.find("\r\nfile " + inc + " line 2 column ");
    const size_t outer = text.find("\r\nfile " + main + " line 2 column ");
    ASSERT_NE(inner, std::string::npos) << text;
    ASSERT_NE(outer, std::string::npos) << text;
    EXPECT_LT(inner, outer);
}

TEST_F(ScriptReader, ReaderOptionsSeeTheScriptsOwnSettings) {
    // A in window mode; the option A is off and CSET leaves it so; B is set by SET alone.
    ASSERT_TRUE(read(write("o.ttt", {"$OPT K=A;N=a;V=0", "$SET B", "$SET C=no", "$CSET A", "$DEF NOTHING", "{A?C=A}",
                                     "{B?C=B}", "{C?C=C}", "{WIN?C=WIN?C=FULL}", "C=X"})))
        << reported();
    std::vector<std::string> items;
    for (int32_t i = 1; i < S().MemberCount; ++i) items.push_back(member(i));
    EXPECT_EQ(items, (std::vector<std::string>{"C=B", "C=WIN", "C=X"}));
    EXPECT_EQ(yov::programState().Shared.MacroCount, 0) << "DEF without = defines nothing";
    // The stored choice of an option wins over its default.
    yov::SaveRegNumber(u"A", 1, u"\\Option");
    ASSERT_TRUE(read(write("o.ttt", {"$OPT K=A;N=a;V=0", "{A?C=A}", "C=X"})));
    EXPECT_EQ(member(1), "C=A");
}

TEST_F(ScriptReader, BlocksNestOnlySoDeep) {
    std::vector<std::string> lines(1001, "$SECTION");
    lines.push_back("C=X");
    EXPECT_FALSE(read(write("deep.ttt", lines)));
    EXPECT_NE(reported().find("Blocks nested too deeply"), std::string::npos) << reported();
    // A script that nests less than that reads.
    lines.erase(lines.begin() + 500, lines.end() - 1);
    EXPECT_TRUE(read(write("deep.ttt", lines))) << reported();
}

}  // namespace
