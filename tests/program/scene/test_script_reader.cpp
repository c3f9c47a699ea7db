// Scene scripts read into section records, pools, items and options: the demo scene, a
// fixture with every block kind, includes and options, and the reader's failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;
using script_test::ScriptTest;
namespace st = yov::sect_type;

class ScriptReader : public ScriptTest {};

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
  for (const Expect& e : {Expect{1, st::kRoot, 0, 12, 12, 12, "", "", "", 3, 0},
                          Expect{2, st::kScene, 1, 10, 11, 11, "", "", "", 3, 0},
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
  EXPECT_EQ(utf8(stock_), std::string(YOV_DEMO_DATA) + "/demo.stk");
  EXPECT_EQ(stockLoads_, 1);
}

}  // namespace
