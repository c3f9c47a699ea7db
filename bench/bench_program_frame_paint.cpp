// The frame step's own work for one frame of the demo scene at 1920 x 1080: the trains moved,
// every line painted into the compositor, the dirty rectangles merged and turned into blit
// records; no presentation (the records are made, not run). Two trains of the demo's vehicles
// run on the scene's two tracks over its background. Reported per frame: the median and the
// 99th percentile of the frame times, in microseconds.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/program/demo_scene_fixture.h"
#include "tests/program/engine_fake.h"
#include "tests/program/stepped_clock.h"
#include "platform/codepage.h"
#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/show_data/display_state.h"
#include "program/trains/picture_file.h"
#include "program/trains/train_picture.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kVehicleHeight = demo_scene::kVehicleHeight;

int32_t NoEvents(DllEventRec*) noexcept { return 0; }

struct Scene {
    yov::MaskedPicture sceneDc;
    yov::MaskedPicture compositionDc;
    std::vector<yov::LoadedPicture> vehicles;
    plat::HBRUSH brush;
};

void StartEngine() {
    yov::ProgramState& st = yov::programState();
    SharedArrays& a = st.Arrays;
    yov::lv::InitDLL(0, &NoEvents, nullptr, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                     a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(), a.DescKeys.desc(),
                     a.DescValues.desc(), a.DescTexts.desc());
    yov::lv::OpenCache(1, "memory");
    st.Shared.PictureHeight = kVehicleHeight;
    st.scene.StockDir = plat::utf8ToUtf16(YOV_DEMO_DATA);
    setenv("YOV_BUILTIN_DIR", YOV_DEMO_DATA "/../builtin", 1);
}

void BuildScene(Scene& s) {
    yov::CreateCanvasDC(kWidth, kHeight, s.sceneDc, 32, 0, plat::BLACKNESS, 0);
    yov::CreateCanvasDC(kWidth, kHeight, s.compositionDc, 32, 0, plat::BLACKNESS, 0);
    const plat::COLORREF sky = plat::RGB(166, 202, 234);
    s.brush = plat::CreateSolidBrush(sky);
    yov::DisplayState& d = yov::displayState();
    d.SceneDC = s.sceneDc.picture.dc;
    d.BackgroundColour = sky;

    const int32_t scene = demo_scene::SceneRecord(kWidth, kHeight);
    demo_scene::Train(demo_scene::Path(scene, 140), {"e40.gif", "coach_a.gif", "coach_b.gif", "coach_a.gif"},
                      s.vehicles);
    demo_scene::Train(demo_scene::Path(scene, 50),
                      {"diesel.gif", "wagon_box.gif", "wagon_tank.gif", "wagon_box.gif", "wagon_tank.gif"}, s.vehicles);

    d.SceneWidth = kWidth;
    d.SceneHeight = kHeight;
    d.DrawBits = yov::draw_bits::kVehicles | yov::draw_bits::kGdiCommon;
    d.Frame.MakeBlitLists(false);
    d.Frame.frame.compositionDc = s.compositionDc.picture.dc.Value();
    yov::ShowState& ss = yov::showState();
    d.BackBrush = s.brush;
    ss.StepMode = 1;
    yov::programState().run.RunFlags = yov::run_flag::kFramesDrawn;

    // The clock and the movers stay in place for the process: the scene is the benchmark's.
    static program_test::FrameCountClock clock;
    static demo_scene::SlidingTrains movers;
    movers.width = kWidth;
    static yov::ScopedInstall<yov::FrameMovers> useMovers{movers};
}

// The engine without its blit thread: nothing is pending and the step's batches are dropped,
// so the figure is the step's own work.
struct NoBlitEngine final : engine_test::EngineFake {
    LvResult CheckBlt(int32_t*) override { return 0; }
    LvResult WaitBlt(int32_t*) override { return 0; }
    LvResult BatchBlt(int32_t, const BlitOp*, LvHandle) override { return 0; }
    LvResult DoBlt(int32_t, const BlitOp*, LvHandle) override { return 0; }
};

void BM_FrameStepOfTheDemoScene(benchmark::State& state) {
    NoBlitEngine engine;
    StartEngine();
    Scene s;
    BuildScene(s);
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        yov::showState().StepCountdown = 1;
        const auto start = std::chrono::steady_clock::now();
        yov::CheckStep(yov::kFullStep);
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
    yov::displayState().SceneDC = {};
    yov::displayState().BackgroundColour = 0;
    yov::lv::CloseCache();
    yov::lv::CloseDLL();
}
BENCHMARK(BM_FrameStepOfTheDemoScene)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
