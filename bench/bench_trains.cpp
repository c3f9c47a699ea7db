// Train pictures composed per second: a 20-vehicle composition drawn onto the canvas and
// chained into one picture, then freed. Vehicles are plain boxes drawn by the benchmark, so
// the figure is the composition's own cost (the vehicle pictures are measured elsewhere).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QtGlobal>

#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

constexpr int32_t kHeight = 40;
constexpr int32_t kVehicleWidth = 70;

int32_t DrawBox(std::u16string_view) {
    yov::TrainBuildState& b = yov::trainBuild();
    const yov::CurrentCanvas& c = yov::currentCanvas();
    yov::FillRectColor(c.pictureDc, c.maskDc, b.PenX, b.BaseY - kHeight, kVehicleWidth, kHeight, plat::RGB(120, 30, 30),
                       plat::WHITENESS, 0);
    const int32_t part = yov::AllocPicPart(1);
    yov::PicPart& p = yov::picParts()[part];
    p.SrcX = b.PenX;
    p.PartY = b.BaseY - kHeight;
    p.Width = kVehicleWidth;
    p.PartHeight = kHeight;
    p.Flags = 1;
    b.PenX += kVehicleWidth;
    b.RunningLength += kVehicleWidth;
    return part;
}

int32_t SplitNames(std::u16string_view pattern, std::vector<std::u16string>& names, int16_t& dir) {
    names.assign(1, u"");
    size_t start = 0;
    while (start < pattern.size()) {
        size_t comma = pattern.find(u',', start);
        if (comma == std::u16string_view::npos) comma = pattern.size();
        names.emplace_back(pattern.substr(start, comma - start));
        start = comma + 1;
    }
    if (dir == 0) dir = 1;
    return static_cast<int32_t>(names.size()) - 1;
}

void BM_ComposeTwentyVehicles(benchmark::State& state) {
    yov::programState().Shared.PictureHeight = kHeight;
    yov::UseCanvas(0, 0, 20 * kVehicleWidth + 100, kHeight + 10, 0);
    yov::TrainPictureHooks& h = yov::trainPictureHooks();
    h.loadVehicle = [](std::u16string_view name, int32_t) { return DrawBox(name); };
    h.expand = SplitNames;
    h.plateText = [](int32_t) { return std::u16string(); };
    std::u16string composition = u"LOCO";
    for (int i = 1; i < 20; ++i) composition += u",WAGON";
    yov::ClearParams();
    yov::AddParam(u"C", composition);
    for (auto _ : state) {
        std::u16string name = u"C";
        uint8_t flagged = 1;
        int32_t pic = yov::BuildTrainPicture(name, flagged);
        benchmark::DoNotOptimize(yov::trainPictures()[pic].Width);
        yov::FreeTrainPicture(pic);
        yov::trainPictures().AttemptCount = 0;
    }
    state.SetItemsProcessed(state.iterations());
    yov::trainPictureHooks() = {};
    yov::FreeCanvas(0);
}
BENCHMARK(BM_ComposeTwentyVehicles);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
