// Decoding speed of the picture readers. GIF: the natural pictures of the shared test
// data, read by our reader and by giflib (linked into this benchmark only) in the same
// run; the ratio of our throughput to giflib's is printed at the end (aim: 1 or more).
// BMP: pictures of 8 and 24 bits as vehicle and background pictures come.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "ratio_reporter.h"

namespace {

const char* const kNaturalGifs[] = {
    "bricks-dither.gif",        "bricks-gray.gif",      "bricks-nodither.gif",
    "gifplayer-muybridge.gif",  "harvesters.gif",       "hat.gif",
    "hibiscus.primitive.gif",   "hibiscus.regular.gif", "hippopotamus.interlaced.gif",
    "hippopotamus.regular.gif", "muybridge.gif",        "pjw-thumbnail.gif",
};

struct Blob {
    std::string name;
    std::vector<uint8_t> bytes;
};

const std::vector<Blob>& Gifs() {
    static const std::vector<Blob> gifs = [] {
        std::vector<Blob> out;
        for (const char* name : kNaturalGifs) {
            Blob b{name, {}};
            if (lvk::ReadWholeFile((std::string(YOV_TEST_DATA) + "/gif/" + name).c_str(), b.bytes) != 0) {
                std::fprintf(stderr, "cannot read %s\n", name);
                std::exit(1);
            }
            out.push_back(std::move(b));
        }
        return out;
    }();
    return gifs;
}

struct MemoryInput {
    const uint8_t* data;
    size_t size, pos;
};

int ReadMemory(GifFileType* gif, GifByteType* dst, int n) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const size_t take = std::min(static_cast<size_t>(n), in->size - in->pos);
    std::memcpy(dst, in->data + in->pos, take);
    in->pos += take;
    return static_cast<int>(take);
}

// giflib's whole decode of a file (every image), as our reader does it.
GifFileType* GiflibDecode(const Blob& b) {
    MemoryInput in{b.bytes.data(), b.bytes.size(), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&in, ReadMemory, &error);
    if (gif == nullptr) return nullptr;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return nullptr;
    }
    return gif;
}

// Both readers must see the same first image before their speeds mean anything.
void CheckAgreement() {
    for (const Blob& b : Gifs()) {
        GifFileType* gif = GiflibDecode(b);
        if (gif == nullptr || lvk::ReadGifFile(b.bytes.data(), b.bytes.size(), 1) != 0) {
            std::fprintf(stderr, "%s: a reader failed\n", b.name.c_str());
            std::exit(1);
        }
        const SavedImage& image = gif->SavedImages[0];
        const GifImageDesc& d = image.ImageDesc;
        const lvk::CurrentPicture& p = lvk::CurPic();
        for (int y = 0; y < d.Height && d.Top + y < p.Header.Height; ++y)
            for (int x = 0; x < d.Width && d.Left + x < p.Header.Width; ++x)
                if (p.Row(d.Top + y)[d.Left + x] != image.RasterBits[y * d.Width + x]) {
                    std::fprintf(stderr, "%s: pixel %d,%d differs from giflib's\n", b.name.c_str(), x, y);
                    std::exit(1);
                }
        int error = 0;
        DGifCloseFile(gif, &error);
    }
}

size_t GifBytes() {
    size_t n = 0;
    for (const Blob& b : Gifs()) n += b.bytes.size();
    return n;
}

void BM_GifOurs(benchmark::State& state) {
    for (auto _ : state)
        for (const Blob& b : Gifs()) benchmark::DoNotOptimize(lvk::ReadGifFile(b.bytes.data(), b.bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GifBytes()));
}
BENCHMARK(BM_GifOurs)->Unit(benchmark::kMillisecond);

void BM_GifGiflib(benchmark::State& state) {
    for (auto _ : state) {
        for (const Blob& b : Gifs()) {
            GifFileType* gif = GiflibDecode(b);
            benchmark::DoNotOptimize(gif);
            int error = 0;
            if (gif != nullptr) DGifCloseFile(gif, &error);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GifBytes()));
}
BENCHMARK(BM_GifGiflib)->Unit(benchmark::kMillisecond);

// A BMP file of our own: width x height, 8 bits with a palette or 24 bits, a picture of
// bands and gradients such as vehicle sides have.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, int colours) {
    const size_t stride = (static_cast<size_t>(width) * (bits / 8) + 3) & ~size_t{3};
    const uint32_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> f(54 + table + stride * height);
    f[0] = 'B';
    f[1] = 'M';
    lvk::PutLe32(&f[2], static_cast<uint32_t>(f.size()));
    lvk::PutLe32(&f[10], 54 + table);
    lvk::PutLe32(&f[14], 40);
    lvk::PutLe32(&f[18], static_cast<uint32_t>(width));
    lvk::PutLe32(&f[22], static_cast<uint32_t>(height));
    lvk::PutLe16(&f[26], 1);
    lvk::PutLe16(&f[28], static_cast<uint16_t>(bits));
    for (uint32_t i = 0; i < table / 4; ++i) f[54 + 4 * i + 2] = static_cast<uint8_t>(i);
    uint8_t* px = f.data() + 54 + table;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = ((x / 16) * 7 + (y / 8) * 3) % colours;
            if (bits == 8) {
                px[y * stride + x] = static_cast<uint8_t>(v);
            } else {
                px[y * stride + 3 * x] = static_cast<uint8_t>(v * 5);
                px[y * stride + 3 * x + 1] = static_cast<uint8_t>(v * 3);
                px[y * stride + 3 * x + 2] = static_cast<uint8_t>(v);
            }
        }
    return f;
}

void BM_Bmp(benchmark::State& state) {
    const std::vector<uint8_t> f =
        MakeBmp(1024, 768, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(lvk::ReadBmpFile(f.data(), f.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size()));
    state.SetLabel(lvk::CurPic().TrueColour() ? "true colour" : "palette");
}
// 8 bits; 24 bits with 200 colours (a palette is made); 24 bits with 4000 (true colour).
BENCHMARK(BM_Bmp)->Args({8, 256})->Args({24, 200})->Args({24, 4000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    CheckAgreement();
    benchmark::Initialize(&argc, argv);
    yov_bench::RatioReporter reporter("BM_GifOurs", "BM_GifGiflib", "GIF throughput, ours / giflib");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
