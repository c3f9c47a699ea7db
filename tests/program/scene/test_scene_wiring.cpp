// The show reaches the script reader and the section table through its seams.
#include <gtest/gtest.h>

#include <string>

#include "program/core/windows/window_dispatch.h"
#include "program/scene/scene_wiring.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "script_fixture.h"

namespace {

class SceneWiring : public script_test::ScriptTest {
 protected:
  void TearDown() override {
    yov::showSeams() = {};
    yov::showState().ShowFontHeight = 0;
    yov::showState().SpeedFactor = 0.025f;
    yov::laterParts().scriptVersionText = nullptr;
    ScriptTest::TearDown();
  }
};

TEST_F(SceneWiring, ShowSeamsReadTheScriptAndItsSections) {
  yov::WireScene();
  yov::ShowSeams& s = yov::showSeams();
  yov::showState().ShowFontHeight = 13;
  ASSERT_TRUE(s.readScript(core_test::u16(write("w.ttt", {"$VERSION 7", "$SPEED 40", "$SECTION ML=3;SEQ=C",
                                                          "C=1", "C=2", "$ENDSECTION"})),
                           0))
      << reported();
  EXPECT_EQ(S().Run.LayerBelow, 20) << "7 below the label text height";
  EXPECT_EQ(yov::showState().SpeedFactor, 0.04f);
  EXPECT_EQ(yov::laterParts().scriptVersionText(), u"7");
  ASSERT_EQ(s.sectionCount(), 2);
  EXPECT_EQ(s.bindSectionEvent(2, 9, 10, 100), 3);
  EXPECT_EQ(sect(2).Event, 9);
  EXPECT_EQ(sect(2).Height, 100);
  s.setSectionRunState(2, 4);
  EXPECT_EQ(s.sectionRunState(2), 4);
  s.markSectionFinishing(2);
  EXPECT_EQ(sect(2).Flags & yov::sect_flag::kFinishing, yov::sect_flag::kFinishing);
  EXPECT_EQ(s.sectionFinishMode(2), 2);
  EXPECT_EQ(s.sectionLinePosition(2), 0);
  // Outside the table: nothing there.
  EXPECT_EQ(s.bindSectionEvent(3, 1, 0, 0), 0);
  EXPECT_EQ(s.sectionRunState(0), 0);
  EXPECT_EQ(s.sectionLinePosition(-1), 0);
}

}  // namespace
