// A show reads its script with the show's font for the label height and takes the script's
// speed and version.
#include <gtest/gtest.h>

#include <string>

#include "program/core/pictures/canvas_hooks.h"
#include "program/core/windows/show_parts.h"
#include "program/show/show_run_steps.h"
#include "program/show_data/show_state.h"
#include "program/show/show_wiring.h"
#include "program/ui/program_parts.h"
#include "script_fixture.h"

namespace {

class ShowScriptRead : public script_test::ScriptTest {};

TEST_F(ShowScriptRead, TheShowsReadTakesItsFontHeightSpeedAndVersion) {
    yov::WireShow();
    yov::UseProgramParts();
    yov::displayState().ShowFontHeight = 13;
    ASSERT_TRUE(yov::showRunSteps().readScript(
        core_test::u16(write("w.ttt", {"$VERSION 7", "$SPEED 40", "$SECTION ML=3;SEQ=C", "C=1", "C=2", "$ENDSECTION"})),
        0))
        << reported();
    EXPECT_EQ(S().Run.LayerBelow, 20) << "7 below the label text height";
    EXPECT_EQ(yov::showState().SpeedFactor, 0.04f);
    EXPECT_EQ(yov::showParts().scriptVersionText(), u"7") << "the About window's version line names it";
}

}  // namespace
