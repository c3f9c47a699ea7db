// Stock pictures built per second: a coach with an overlay, two phase pictures and a
// pantograph, from the demo's GIF files each time (no cache) and from the memory cache.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QtGlobal>

#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"

namespace {

int32_t NoEvents(DllEventRec*) noexcept { return 0; }

void AddEntry(const char16_t* name, const char16_t* file) {
    yov::ProgramState& st = yov::programState();
    const int32_t i = ++st.Shared.StockCount;
    if (st.Arrays.Stock.length() <= i) st.Arrays.Stock.redim(i + 4);
    st.Arrays.Stock[i] = StockEntry{};
    st.Arrays.Stock[i].Name = name;
    st.Arrays.Stock[i].Text2 = file;
    st.Arrays.Stock[i].FileIndex = 1;
}

void StartEngine(bool cached) {
    yov::ProgramState& st = yov::programState();
    SharedArrays& a = st.Arrays;
    yov::lv::InitDLL(0, &NoEvents, nullptr, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                     a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(), a.DescKeys.desc(),
                     a.DescValues.desc(), a.DescTexts.desc());
    st.scene.CacheMode = cached ? 1 : 0;
    if (cached) yov::lv::OpenCache(1, "memory");
    st.Shared.PictureHeight = 60;
    st.Shared.StockFileCount = 1;
    a.StockFiles.redim(4);
    a.StockFiles[1].Path = plat::utf8ToUtf16(YOV_DEMO_DATA);
    st.Shared.StockCount = 0;
    for (auto [name, file] : {std::pair{u"COACH_A", u"coach_a.gif"}, std::pair{u"DOOR_A", u"door_a.gif"},
                              std::pair{u"DOOR_B", u"door_b.gif"}, std::pair{u"PANTO", u"panto.gif"}})
        AddEntry(name, file);
    yov::programState().scene.StockIndexBuilt = false;  // the entries are new, as after loading a stock
    yov::ForgetBufferClasses();
    yov::UseCanvas(1, 0x00F0F0F0, 0, 0, 0);
}

void StopEngine() {
    yov::ReleaseToMark(0, 0);
    yov::FreeCanvas(1);
    yov::lv::CloseCache();
    yov::lv::CloseDLL();
}

void BuildStockPictures(benchmark::State& state) {
    const bool cached = state.range(0) != 0;
    StartEngine(cached);
    for (auto _ : state) {
        yov::currentCanvas().fillPosition = 0;
        if (!cached) {
            // Each build reads its files again.
            for (int32_t i = 1; i <= yov::programState().Shared.StockCount; ++i) {
                yov::programState().Arrays.Stock[i].PictureRef = 0;
                yov::programState().Arrays.Stock[i].Width = 0;
            }
        }
        benchmark::DoNotOptimize(yov::LoadStockPicture(u"DOOR_B:COACH_A:60:5>PANTO+DOOR_A+<DOOR_B", 0, 0, 0));
        yov::ReleaseToMark(0, 0);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(cached ? "from the cache" : "from files");
    StopEngine();
}
BENCHMARK(BuildStockPictures)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
