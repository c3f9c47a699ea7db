// The show reaches the script reader through its seams.
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
        yov::displayState().ShowFontHeight = 0;
        yov::showState().SpeedFactor = 0.025f;
        yov::laterParts().scriptVersionText = nullptr;
        ScriptTest::TearDown();
    }
};

TEST_F(SceneWiring, ShowSeamsReadTheScript) {
    yov::WireScene();
    yov::ShowSeams& s = yov::showSeams();
    yov::displayState().ShowFontHeight = 13;
    ASSERT_TRUE(s.readScript(
        core_test::u16(write("w.ttt", {"$VERSION 7", "$SPEED 40", "$SECTION ML=3;SEQ=C", "C=1", "C=2", "$ENDSECTION"})),
        0))
        << reported();
    EXPECT_EQ(S().Run.LayerBelow, 20) << "7 below the label text height";
    EXPECT_EQ(yov::showState().SpeedFactor, 0.04f);
    EXPECT_EQ(yov::laterParts().scriptVersionText(), u"7");
}

}  // namespace
