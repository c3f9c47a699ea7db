// A GDI display of vehicles on canvases of the test's own: the composition, and a screen
// that the frame steps' batches reach at once (for as long as the display lives), on a
// clock that moves 20 ms at each look; the frame steps are the show's own, whatever stand-in
// the test's fixture put in place.
// The test deletes the brush when it ends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "frame_step_stand_ins.h"
#include "immediate_blit_engine.h"
#include "stepped_clock.h"
#include "show_fixture.h"
#include "platform/raster_test_util.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"

namespace show_test {

struct ImmediateDisplay {
    std::unique_ptr<rastertest::Canvas> screen;
    std::unique_ptr<rastertest::Canvas> composition;
    plat::HBRUSH brush{};
    std::optional<program_test::FrameCountClock> clock;      // frame steps of exactly 20 ms
    std::optional<engine_test::ImmediateBlitEngine> engine;  // batches reach the screen at once
    std::optional<program_test::ShowFrameSteps> showSteps;

    void Make(int32_t width, int32_t height, plat::COLORREF background) {
        screen = std::make_unique<rastertest::Canvas>(width, height, 32);
        composition = std::make_unique<rastertest::Canvas>(width, height, 32);
        brush = plat::CreateSolidBrush(background);
        yov::DisplayState& d = yov::displayState();
        d.SceneWidth = width;
        d.SceneHeight = height;
        d.DrawBits = yov::draw_bits::kVehicles | yov::draw_bits::kGdiCommon;
        d.Frame = yov::Compositor{};
        d.Frame.MakeBlitLists(false);
        d.Frame.frame.compositionDc = composition->dc.Value();
        yov::ShowState& ss = yov::showState();
        ss.Display.ShowDC = screen->dc;
        ss.Display.BackBrush = brush;
        yov::programState().run.RunFlags = yov::run_flag::kFramesDrawn;
        yov::programState().run.BatchMode = 0;
        if (!clock) clock.emplace();
        engine.emplace(static_cast<LvHandle>(screen->dc.Value()));
        showSteps.emplace();
    }
};

}  // namespace show_test
