// Throughput of the picture codes in MB/s of pixels: the engine's bit code and its zlib
// form, beside plain zlib compress/uncompress of the same pixels in the same run.
// The zlib level is the one library records are written with (YOV_ZLIB_LEVEL, default 6).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"

namespace {

using lvk::CurPic;

int ZlibLevel() {
    const char* v = std::getenv("YOV_ZLIB_LEVEL");
    return v != nullptr ? std::atoi(v) : 6;
}

struct Picture {
    int width, height, colours;
    std::vector<uint8_t> pixels;  // width x height
};

// A vehicle side: background around a body of a few colours, windows, dithered shading.
Picture Vehicle() {
    Picture p{640, 120, 14, {}};
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint8_t v = 0;
            if (y >= 15 && y < 105 && x >= 8 && x < 632) {
                v = 2;
                if (y >= 30 && y < 55 && (x - 8) % 60 >= 8 && (x - 8) % 60 < 48) v = 5;
                if (y >= 80) v = ((x + y) & 1) ? 3 : 4;
                if (y == 15 || y == 104) v = 1;
            }
            if (y >= 105 && y < 118 && ((x - 40) % 140 + 140) % 140 < 34) v = 6 + (x % 7 == 0);
            p.pixels[static_cast<size_t>(y) * p.width + x] = v;
        }
    return p;
}

// Noise over 256 colours: no runs at all, the worst case for both codes.
Picture Noise() {
    Picture p{256, 256, 256, {}};
    std::mt19937 rng(5);
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (auto& v : p.pixels) v = static_cast<uint8_t>(rng());
    return p;
}

const Picture& Get(int which) {
    static const Picture vehicle = Vehicle();
    static const Picture noise = Noise();
    return which == 0 ? vehicle : noise;
}

void Load(const Picture& p) {
    lvk::CurrentPicture& c = CurPic();
    c.Header.Width = static_cast<uint16_t>(p.width);
    c.Header.Height = static_cast<uint16_t>(p.height);
    c.Header.Flags = 0;
    c.Palette.Count = static_cast<uint16_t>(p.colours);
    for (int i = 0; i < p.colours; ++i)
        c.Palette.Entries[i] = {static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                                static_cast<uint8_t>(255 - i), 0};
    lvk::GrowPictureBuffer();
    for (int y = 0; y < p.height; ++y)
        std::memcpy(c.Row(y), p.pixels.data() + static_cast<size_t>(y) * p.width, static_cast<size_t>(p.width));
}

std::vector<uint8_t> CodeBytes() {
    return std::vector<uint8_t>(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
}

void Finish(benchmark::State& state, const Picture& p, size_t codedBytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * p.width * p.height);
    state.counters["coded_bytes"] = static_cast<double>(codedBytes);
    state.SetLabel(state.range(0) == 0 ? "vehicle" : "noise");
}

void BM_BitCodeEncode(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    Load(p);
    for (auto _ : state) {
        if (lvk::EncodePicture() != 0) state.SkipWithError("encode failed");
    }
    Finish(state, p, CurPic().CodeLength);
}

void BM_BitCodeDecode(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    Load(p);
    lvk::EncodePicture();
    const std::vector<uint8_t> code = CodeBytes();
    for (auto _ : state) {
        if (lvk::DecodePicture(code.data(), code.size(), nullptr) != 0) state.SkipWithError("decode failed");
    }
    Finish(state, p, code.size());
}

void BM_ZlibFormEncode(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    Load(p);
    const int level = ZlibLevel();
    for (auto _ : state) {
        if (lvk::DeflatePicture(level) != 0) state.SkipWithError("deflate failed");
    }
    Finish(state, p, CurPic().CodeLength);
}

void BM_ZlibFormDecode(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    Load(p);
    lvk::DeflatePicture(ZlibLevel());
    const std::vector<uint8_t> code = CodeBytes();
    for (auto _ : state) {
        if (lvk::InflatePicture(code.data(), code.size()) != 0) state.SkipWithError("inflate failed");
    }
    Finish(state, p, code.size());
}

void BM_PlainZlibCompress(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    std::vector<uint8_t> out(compressBound(static_cast<uLong>(p.pixels.size())));
    uLongf length = 0;
    for (auto _ : state) {
        length = static_cast<uLongf>(out.size());
        if (compress2(out.data(), &length, p.pixels.data(), static_cast<uLong>(p.pixels.size()), ZlibLevel()) != Z_OK)
            state.SkipWithError("compress failed");
    }
    Finish(state, p, length);
}

void BM_PlainZlibUncompress(benchmark::State& state) {
    const Picture& p = Get(static_cast<int>(state.range(0)));
    std::vector<uint8_t> packed(compressBound(static_cast<uLong>(p.pixels.size())));
    uLongf packedLength = static_cast<uLongf>(packed.size());
    compress2(packed.data(), &packedLength, p.pixels.data(), static_cast<uLong>(p.pixels.size()), ZlibLevel());
    std::vector<uint8_t> out(p.pixels.size());
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        if (uncompress(out.data(), &length, packed.data(), packedLength) != Z_OK)
            state.SkipWithError("uncompress failed");
    }
    Finish(state, p, packedLength);
}

// Argument: 0 the vehicle picture, 1 noise.
BENCHMARK(BM_BitCodeEncode)->Arg(0)->Arg(1);
BENCHMARK(BM_BitCodeDecode)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibFormEncode)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibFormDecode)->Arg(0)->Arg(1);
BENCHMARK(BM_PlainZlibCompress)->Arg(0)->Arg(1);
BENCHMARK(BM_PlainZlibUncompress)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
