// Presenting a frame of a show: N dirty strips of 1920 x 60 on a 1920 x 1080 scene, copied
// from the frame into the screen DC by the batch's records and then out to the show window's
// frame picture by its presenter, beside the same for the whole frame at once.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/display/blit.h"
#include "lumvatek/blit.h"
#include "platform/raster.h"
#include "program/ui/show_presenter.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kStripHeight = 60;

struct Surface {
    Surface() {
        dc = plat::CreateCompatibleDC({});
        bitmap = plat::CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
        old = plat::SelectObject(dc, bitmap);
    }
    ~Surface() {
        plat::SelectObject(dc, old);
        plat::DeleteObject(bitmap);
        plat::DeleteDC(dc);
    }
    plat::HDC dc;
    plat::HBITMAP bitmap;
    plat::HBITMAP old;
};

void presentRecords(benchmark::State& state, const std::vector<BlitOp>& records) {
    Surface screen;
    yov::FramePresenter presenter(nullptr);
    std::vector<LvRect> changed;
    for (auto _ : state) {
        changed.clear();
        lvk::ExecuteBlits(static_cast<int32_t>(records.size()), records.data(), screen.dc, &changed);
        presenter.present(screen.dc, changed.data(), static_cast<int32_t>(changed.size()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    int64_t pixels = 0;
    for (const BlitOp& r : records) pixels += static_cast<int64_t>(r.Width) * r.Height;
    state.SetBytesProcessed(state.iterations() * pixels * 4);
}

void BM_PresentStrips(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<BlitOp> records;
    for (int i = 0; i < n; ++i) {
        const int32_t y = (i * kStripHeight) % kHeight;
        records.push_back(BlitOp{0, 0, 0, y, kWidth, kStripHeight, 0, 0, 0, y});
    }
    Surface work;
    for (BlitOp& r : records) r.SourceDC = work.dc.Value();
    presentRecords(state, records);
}
BENCHMARK(BM_PresentStrips)->Arg(1)->Arg(3)->Arg(6)->Arg(18);

void BM_PresentFullFrame(benchmark::State& state) {
    Surface work;
    presentRecords(state, {BlitOp{0, 0, 0, 0, kWidth, kHeight, work.dc.Value(), 0, 0, 0}});
}
BENCHMARK(BM_PresentFullFrame);

}  // namespace

BENCHMARK_MAIN();
