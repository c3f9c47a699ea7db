// What the show's read of a script takes from the show above the reader, on the whole road:
// the layer below the labels starts from the show font's label height, and the show runs at
// the script's speed and names the script's version.
#include <gtest/gtest.h>

#include "program/core/windows/show_parts.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_font.h"
#include "program/show_data/show_state.h"
#include "script_show_fixture.h"

namespace {

TEST(RoadScriptRead, TheShowsFontSetsTheLayerBelowTheLabelsAndTheScriptItsSpeedAndVersion) {
    if (road::RunInChild()) return;
    road::WriteFile("read.ttt", road::DemoHead(5) + "$VERSION 7\n$SPEED 40\nM=SIMPLE;C=E40;V=8;D=R\n");
    const road::Run run = road::RunScript("read.ttt", 5);
    EXPECT_EQ(run.frames, 5);
    EXPECT_EQ(run.log, "");
    const int32_t labelHeight = yov::ShowFontLineHeight();
    ASSERT_GT(labelHeight, 0);
    EXPECT_EQ(yov::scriptReader().S.Run.LayerBelow, 7 + labelHeight) << "7 below the label text height";
    EXPECT_EQ(yov::showState().SpeedFactor, 0.04f);
    EXPECT_EQ(yov::showParts().scriptVersionText(), u"7") << "the About window's version line names it";
}

}  // namespace
