// Pictures per second through LookPicture: loaded from their files on the loader thread,
// found again in the cache, and, beside them, the same load on the calling thread and the
// decode alone from bytes in memory, so the hand-over's and the file's shares show.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/cache/cache.h"
#include "engine/cache/codec.h"
#include "engine/pictures/loader.h"
#include "engine/pictures/picture_decoders.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

const char* const kFiles[] = {"gif/hat.gif", "gif/harvesters.gif", "bmpsuite/g/pal8.bmp"};

std::string PathOf(int64_t which) { return std::string(YOV_TEST_DATA) + "/" + kFiles[which]; }

// The library as the program binds it: loader thread running, a cache in the given mode.
class BoundLibrary {
public:
    explicit BoundLibrary(int cacheMode) {
        InitDLL(0, nullptr, nullptr, &shared_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                nullptr, nullptr);
        OpenCache(cacheMode, "memory");
    }
    ~BoundLibrary() {
        CloseCache();
        CloseDLL();
    }

private:
    SharedState shared_;
};

void Label(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(kFiles[state.range(0)]);
}

void BM_LookPictureFromFile(benchmark::State& state) {
    BoundLibrary library(0);  // cache mode 0 without flag 0x80: every call loads
    const std::string name = PathOf(state.range(0));
    int16_t w, h;
    int32_t offset;
    for (auto _ : state) {
        if (LookPicture(name.c_str(), 0, &w, &h, &offset, 0) != 1) state.SkipWithError("load failed");
    }
    Label(state);
}

void BM_LookPictureFromCache(benchmark::State& state) {
    BoundLibrary library(1);
    const std::string name = PathOf(state.range(0));
    int16_t w, h;
    int32_t offset;
    LookPicture(name.c_str(), 0, &w, &h, &offset, 0);
    for (auto _ : state) {
        if (LookPicture(name.c_str(), 0, &w, &h, &offset, 0) != 0) state.SkipWithError("not cached");
    }
    Label(state);
}

// The load without the thread hand-over.
void BM_LoadOnCallingThread(benchmark::State& state) {
    const std::string name = PathOf(state.range(0));
    int16_t w, h;
    int32_t offset;
    for (auto _ : state) {
        if (lvk::LoadPicture(name.c_str(), 0, &w, &h, &offset, 0) != 1) state.SkipWithError("load failed");
    }
    Label(state);
}

// The decode alone: the file's bytes already in memory, no palette reduction, no cache.
void BM_DecodeFromMemory(benchmark::State& state) {
    std::ifstream in(PathOf(state.range(0)), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool gif = state.range(0) < 2;
    for (auto _ : state) {
        const int32_t r =
            gif ? lvk::ReadGifFile(bytes.data(), bytes.size()) : lvk::ReadBmpFile(bytes.data(), bytes.size());
        if (r < 0) state.SkipWithError("decode failed");
    }
    Label(state);
}

BENCHMARK(BM_LookPictureFromFile)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LookPictureFromCache)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LoadOnCallingThread)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeFromMemory)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
