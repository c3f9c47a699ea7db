// Frames of a seeded scene run in single-step mode, pinned by checksum: the demo scene's
// background with its near track, and a locomotive with a coach placed on the track that
// moves 6 pixels in each step of exactly 20 ms. The frames run through the real frame step,
// line painter and compositor, and the engine's blits onto a screen DC of our own.
//
// A changed checksum means the painting changed. Look at the frames first (they are written
// to the build folder as frame_golden_N.png) and pin new values only on purpose, with the
// reason in the commit.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo_scene_fixture.h"
#include "immediate_display.h"
#include "show_fixture.h"
#include "trains_fixture.h"
#include "frame_step_stand_ins.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/texts/number_text.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_paint.h"
#include "program/show/frame_step.h"
#include "program/trains/area_painting.h"
#include "program/trains/picture_file.h"
#include "program/trains/train_picture.h"

namespace {

using namespace yov;

constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr int kRail = 50;  // the near track's rail line above the scene's bottom

class FrameGolden : public show_test::ShowTestOn<trains_test::AreaTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        // The pictures load untranslated, whatever colour translation a program start of an
        // earlier test left in the engine.
        lv::SetXColMethod(0, 0, 0, 0);
        programState().scene.StockDir = core_test::u16(YOV_DEMO_DATA);
        MakeScene(kWidth, kHeight);
        ResetTrainPictures();
        display.Make(kWidth, kHeight, trains_test::kSky);
        showState().StepMode = 1;
        // No scene tick: the scene is the test's. The train runs at 0.3 pixels per
        // millisecond to the right.
        movers.onTick = [] { return 0; };
        movers.onMove = [](int32_t train, int32_t ms) {
            const int32_t picture = trains().at(train).Members[1];
            trainPictures()[picture].X += ms * 3 / 10;
        };
    }
    void TearDown() override {
        showState() = ShowState{};
        displayState().Frame = Compositor{};
        displayState().SceneWidth = displayState().SceneHeight = 0;
        displayState().DrawBits = 0;
        for (LoadedPicture& p : vehicles) FreeLoadedPicture(p);
        ResetTrainPictures();
        plat::DeleteObject(display.brush);
        ShowTestOn::TearDown();
    }

    uint64_t Checksum() const {
        uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                h = (h ^ plat::GetPixel(display.screen->dc, x, y)) * 1099511628211ull;
            }
        }
        return h;
    }

    // Runs single steps up to the given count, keeping the checksum of each frame asked for.
    std::vector<uint64_t> Run(int steps, const std::vector<int>& keep) {
        std::vector<uint64_t> sums;
        for (int i = 1; i <= steps; ++i) {
            showState().StepCountdown = 1;
            CheckStep(kFullStep);
            for (int k : keep) {
                if (k != i) continue;
                sums.push_back(Checksum());
                SaveDcAsPng(display.screen->dc.Value(), kWidth, kHeight,
                            std::string(YOV_BIN_DIR) + "/../frame_golden_" + std::to_string(i) + ".png");
            }
        }
        return sums;
    }

    program_test::TestMovers movers;
    show_test::ImmediateDisplay display;
    std::vector<LoadedPicture> vehicles;
};

TEST_F(FrameGolden, ATrainEnteringTheDemoSceneInSingleSteps) {
    const int32_t path = demo_scene::Path(demo_scene::SceneRecord(kWidth, kHeight), kRail);
    demo_scene::Train(path, {"e40.gif", "coach_a.gif"}, vehicles);
    const std::vector<uint64_t> sums = Run(60, {1, 30, 60});
    ASSERT_EQ(sums.size(), 3u);
    EXPECT_EQ(trainPictures()[1].X, -trainPictures()[1].Width + 60 * 6) << "6 pixels in each step of 20 ms";
    EXPECT_NE(sums[0], sums[1]);
    EXPECT_NE(sums[1], sums[2]);
    const uint64_t pinned[] = {9506506323650004671ull, 1022103632607726207ull, 2313212804382311065ull};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(sums[i], pinned[i]) << "frame " << i;
}

}  // namespace
