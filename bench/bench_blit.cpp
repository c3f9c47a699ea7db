// A frame's batch of dirty rectangles on a full-HD 32-bit screen, covering 10% or 100% of it:
// executed at once (plain and masked copies), and handed to the blit thread on a tick with a
// presenter that copies the rectangles out. Frames per second show as items_per_second;
// "x_memcpy" is the time per frame divided by one memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/display/blit.h"
#include "lumvatek/blit.h"
#include "platform/mmtimer.h"
#include "platform/raster.h"

namespace {

using namespace plat;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// Dirty rectangles of 96 x 54: a grid of 20 x 20 covers the frame.
constexpr int kTileWidth = 96;
constexpr int kTileHeight = 54;
constexpr int kTiles = (kWidth / kTileWidth) * (kHeight / kTileHeight);

struct Frame {
    explicit Frame(int bpp) {
        DibInfo info{};
        info.header.width = kWidth;
        info.header.height = -kHeight;
        info.header.bitCount = static_cast<std::uint16_t>(bpp);
        info.colors[1] = RgbQuad{255, 255, 255, 0};
        bitmap = CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, nullptr);
        dc = CreateCompatibleDC(HDC{});
        old = SelectObject(dc, bitmap);
        AccessPixels(bitmap, pixels);
    }
    ~Frame() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HBITMAP bitmap, old;
    HDC dc;
    PixelAccess pixels;
};

struct Fixture {
    Fixture() : composed(32), mask(1), screen(32), presented(std::size_t{kWidth} * kHeight * 4) {
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(composed.pixels.topRow + composed.pixels.stride * y);
            std::uint8_t* bits = mask.pixels.topRow + mask.pixels.stride * y;
            for (int x = 0; x < kWidth; ++x) {
                const bool opaque = ((x / 37 + y / 23) % 4) != 0;
                row[x] = opaque ? static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFFFFFF) : 0;
                if (opaque) bits[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
            }
        }
    }
    Frame composed, mask, screen;
    std::vector<std::uint8_t> presented;  // the presenter's copy of the screen
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

// The batch of a frame: every tenth tile (10%) or all of them, copied from the composed frame
// to the same place on the screen. Plain copies name the batch's default DC (DestDC 0);
// masked ones must name their destination.
std::vector<BlitOp> Batch(int percent, bool masked) {
    Fixture& f = Shared();
    std::vector<BlitOp> ops;
    for (int i = 0; i < kTiles; ++i) {
        if (percent < 100 && i % (100 / percent) != 0) continue;
        const int x = (i % (kWidth / kTileWidth)) * kTileWidth;
        const int y = (i / (kWidth / kTileWidth)) * kTileHeight;
        ops.push_back(BlitOp{masked ? f.screen.dc.Value() : 0, 0, x, y, kTileWidth, kTileHeight, f.composed.dc.Value(),
                             masked ? f.mask.dc.Value() : 0, x, y});
    }
    return ops;
}

std::size_t CoveredBytes(const std::vector<BlitOp>& ops) {
    std::size_t bytes = 0;
    for (const BlitOp& op : ops) bytes += static_cast<std::size_t>(op.Width) * static_cast<std::size_t>(op.Height) * 4;
    return bytes;
}

double SecondsPerMemcpy(std::size_t bytes) {
    std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
    double best = 1e9;
    for (int b = 0; b < 8; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::ClobberMemory();
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 10);
    }
    return best;
}

template <class FrameFn>
void RunFrames(benchmark::State& state, const std::vector<BlitOp>& ops, FrameFn frame) {
    const std::size_t bytes = CoveredBytes(ops);
    const double memcpySeconds = SecondsPerMemcpy(bytes);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        frame();
        benchmark::ClobberMemory();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.counters["rects"] = static_cast<double>(ops.size());
    state.counters["x_memcpy"] = (seconds / static_cast<double>(state.iterations())) / memcpySeconds;
}

void BM_DoBltPlain(benchmark::State& state) {
    const std::vector<BlitOp> ops = Batch(static_cast<int>(state.range(0)), false);
    const LvHandle screen = Shared().screen.dc.id;
    RunFrames(state, ops, [&] { DoBlt(static_cast<int32_t>(ops.size()), ops.data(), screen); });
}

void BM_DoBltMasked(benchmark::State& state) {
    const std::vector<BlitOp> ops = Batch(static_cast<int>(state.range(0)), true);
    const LvHandle screen = Shared().screen.dc.id;
    RunFrames(state, ops, [&] { DoBlt(static_cast<int32_t>(ops.size()), ops.data(), screen); });
}

// The presenter of the show window, in memory: the changed rectangles copied out.
void Present(void* context, LvHandle screenDc, const LvRect* rects, std::int32_t count) noexcept {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    PixelAccess pixels;
    AccessPixels(GetCurrentBitmap(HDC(screenDc)), pixels);
    for (std::int32_t i = 0; i < count; ++i) {
        const LvRect& r = rects[i];
        for (int y = r.y; y < r.y + r.height; ++y) {
            std::memcpy(out->data() + (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(r.x)) * 4,
                        pixels.topRow + pixels.stride * y + r.x * 4, static_cast<std::size_t>(r.width) * 4);
        }
    }
}

// The whole hand-over per frame: BatchBlt, the tick, the blit thread drawing and presenting,
// WaitBlt.
void BM_BatchOnTheBlitThread(benchmark::State& state) {
    const std::vector<BlitOp> ops = Batch(static_cast<int>(state.range(0)), false);
    Fixture& f = Shared();
    auto source = std::make_shared<ManualTickSource>();
    SetTickSourceFactory([source](std::uint32_t) { return source; });
    StartMMTimer(20);
    const LvPresenter presenter{sizeof(LvPresenter), &f.presented, &Present};
    SetPresenter(&presenter);
    BatchBlt(0, nullptr, f.screen.dc.id);  // forgets ticks missed before
    RunFrames(state, ops, [&] {
        BatchBlt(static_cast<int32_t>(ops.size()), ops.data(), f.screen.dc.id);
        source->Tick();
        WaitBlt(nullptr);
    });
    SetPresenter(nullptr);
    lvk::StopBlitWorkers();
    SetTickSourceFactory({});
}

BENCHMARK(BM_DoBltPlain)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DoBltMasked)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BatchOnTheBlitThread)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
