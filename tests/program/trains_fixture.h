// The line-area builders on the real engine: pictures found in a stock folder and drawn by
// the engine, patterns expanded by it, the built-in area pictures of the source tree, a
// scene DC of our own, frame steps recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "picture_ref_fixture.h"
#include "platform/raster_test_util.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/show_state.h"
#include "program/show_data/display_state.h"
#include "program/trains/area_templates.h"
#include "program/trains/line_area.h"
#include "program/core/binding/engine_events.h"

namespace trains_test {

inline constexpr plat::COLORREF kSky = plat::RGB(166, 202, 234);

inline int32_t NoEvents(DllEventRec*) noexcept { return 0; }

class AreaTest : public picref_test::PictureRefTest {
protected:
    void SetUp() override {
        PictureRefTest::SetUp();
        pictures_.passOn();
        yov::ProgramState& st = yov::programState();
        ASSERT_EQ(yov::InitEngineOnProgramArrays(&NoEvents, nullptr), 0);
        // A new engine has no buffer classes: the first draw buffer hands them again.
        yov::ForgetBufferClasses();
        ASSERT_EQ(yov::lv::OpenCache(1, "memory"), 0);
        st.Shared.PictureHeight = 60;
        setenv("YOV_BUILTIN_DIR", YOV_SOURCE_DIR "/data/builtin", 1);
        yov::FreeAreaTemplates();
        yov::displayState().SceneDC = {};
        yov::displayState().BackgroundColour = kSky;
    }
    void TearDown() override {
        yov::FreeAreaTemplates();
        yov::FreeCanvas(5);
        yov::lv::CloseCache();
        yov::lv::CloseDLL();
        PictureRefTest::TearDown();
    }

    // A scene of the given size filled with the background colour, and an area on it.
    void MakeScene(int w, int h) {
        scene = std::make_unique<rastertest::Canvas>(w, h, 32);
        plat::HBRUSH brush = plat::CreateSolidBrush(kSky);
        const plat::RECT all{0, 0, w, h};
        plat::FillRect(scene->dc, &all, brush);
        plat::DeleteObject(brush);
        yov::displayState().SceneDC = scene->dc;
    }
    plat::COLORREF Pixel(int x, int y) const { return plat::GetPixel(scene->dc, x, y); }

    std::unique_ptr<rastertest::Canvas> scene;
};

}  // namespace trains_test
