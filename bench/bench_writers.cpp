// GIF encoding speed: the natural pictures of the shared test data and a vehicle-like
// picture of our own, encoded into memory by our writer and by giflib's encoder (linked
// into this benchmark only) in the same run; throughput counts pixels, and the ratio of
// ours to giflib's is printed at the end (aim: 1 or more).
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
#include "engine/pictures/writers.h"
#include "ratio_reporter.h"

namespace {

const char* const kNaturalGifs[] = {
    "bricks-dither.gif", "bricks-gray.gif",      "bricks-nodither.gif",      "harvesters.gif",
    "hat.gif",           "hibiscus.regular.gif", "hippopotamus.regular.gif", "muybridge.gif",
};

// A picture held apart from the engine's current picture, so encoding it copies nothing.
struct Picture {
    std::string name;
    lvk::CurrentPicture picture;
    std::vector<uint8_t> rows;
};

void Hold(Picture& out) {
    const lvk::CurrentPicture& c = lvk::CurPic();
    out.picture.Header = c.Header;
    out.picture.Palette = c.Palette;
    out.rows.assign(c.PictureBuffer, c.PictureBuffer + c.RowStride() * c.Header.Height);
    out.picture.PictureBuffer = out.rows.data();
    out.picture.PictureBufferSize = out.rows.size();
}

const std::vector<Picture>& Pictures() {
    static const std::vector<Picture> pictures = [] {
        std::vector<Picture> out;
        out.reserve(std::size(kNaturalGifs) + 1);
        std::vector<uint8_t> bytes;
        for (const char* name : kNaturalGifs) {
            if (lvk::ReadWholeFile((std::string(YOV_TEST_DATA) + "/gif/" + name).c_str(), bytes) != 0 ||
                lvk::ReadGifFile(bytes.data(), bytes.size(), 1) != 0) {
                std::fprintf(stderr, "cannot read %s\n", name);
                std::exit(1);
            }
            out.emplace_back();
            out.back().name = name;
            Hold(out.back());
        }
        // A long vehicle side: bands of body colours, windows, a dithered roof.
        lvk::CurrentPicture& c = lvk::CurPic();
        c.Header.Width = 1600;
        c.Header.Height = 120;
        c.Header.Flags = lvk::kPicTransparent;
        c.Header.TransparentIndex = 0;
        c.Palette.Count = 24;
        for (int i = 0; i < 24; ++i)
            c.Palette.Entries[i] = lvk::PaletteEntry{static_cast<uint8_t>(i * 10), static_cast<uint8_t>(200 - i * 7),
                                                     static_cast<uint8_t>(i * 3), 0};
        if (lvk::GrowPictureBuffer() != 0) std::exit(1);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 1600; ++x) {
                int v = y < 10 ? ((x + y) & 1) + 1 : y < 40 ? 3 + (x / 200) % 4 : 8 + (y / 16);
                if (y >= 50 && y < 80 && (x % 100) > 20 && (x % 100) < 80) v = 20;
                if (x < 4 || x >= 1596) v = 0;
                c.Row(y)[x] = static_cast<uint8_t>(v);
            }
        out.emplace_back();
        out.back().name = "vehicle side";
        Hold(out.back());
        return out;
    }();
    return pictures;
}

int WriteMemory(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// giflib's encoder on the same picture: one image with a global colour table.
bool GiflibEncode(const lvk::CurrentPicture& p, std::vector<uint8_t>& out) {
    out.clear();
    int entries = 2;
    while (entries < p.Palette.Count) entries *= 2;
    GifColorType colours[256] = {};
    for (int i = 0; i < p.Palette.Count; ++i)
        colours[i] = GifColorType{p.Palette.Entries[i].Red, p.Palette.Entries[i].Green, p.Palette.Entries[i].Blue};
    ColorMapObject* map = GifMakeMapObject(entries, colours);
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    bool ok = gif != nullptr && map != nullptr;
    if (ok) {
        EGifSetGifVersion(gif, true);
        ok = EGifPutScreenDesc(gif, p.Header.Width, p.Header.Height, 8, 0, map) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, p.Header.Width, p.Header.Height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < p.Header.Height; ++y)
            ok = EGifPutLine(gif, const_cast<GifPixelType*>(p.Row(y)), p.Header.Width) == GIF_OK;
    }
    if (gif != nullptr && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(map);
    return ok;
}

int ReadMemory(GifFileType* gif, GifByteType* dst, int n) {
    auto* in = static_cast<std::pair<const std::vector<uint8_t>*, size_t>*>(gif->UserData);
    const size_t take = std::min(static_cast<size_t>(n), in->first->size() - in->second);
    std::memcpy(dst, in->first->data() + in->second, take);
    in->second += take;
    return static_cast<int>(take);
}

// What either encoder wrote must read back, through giflib, to the picture's indices.
void CheckRoundTrips() {
    std::vector<uint8_t> file;
    for (const Picture& pic : Pictures()) {
        for (int which = 0; which < 2; ++which) {
            const bool written = which == 0 ? lvk::EncodeGif(pic.picture, file) == 0 : GiflibEncode(pic.picture, file);
            std::pair<const std::vector<uint8_t>*, size_t> in{&file, 0};
            int error = 0;
            GifFileType* gif = written ? DGifOpen(&in, ReadMemory, &error) : nullptr;
            bool same = gif != nullptr && DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
            const lvk::CurrentPicture& p = pic.picture;
            for (int y = 0; same && y < p.Header.Height; ++y)
                same = std::memcmp(gif->SavedImages[0].RasterBits + static_cast<size_t>(y) * p.Header.Width, p.Row(y),
                                   p.Header.Width) == 0;
            if (gif != nullptr) DGifCloseFile(gif, &error);
            if (!same) {
                std::fprintf(stderr, "%s: %s encoding does not read back\n", pic.name.c_str(),
                             which == 0 ? "our" : "giflib's");
                std::exit(1);
            }
        }
    }
}

int64_t PixelCount() {
    int64_t n = 0;
    for (const Picture& p : Pictures()) n += int64_t{p.picture.Header.Width} * p.picture.Header.Height;
    return n;
}

void BM_GifEncodeOurs(benchmark::State& state) {
    std::vector<uint8_t> out;
    size_t written = 0;
    for (auto _ : state)
        for (const Picture& p : Pictures()) {
            benchmark::DoNotOptimize(lvk::EncodeGif(p.picture, out));
            written += out.size();
        }
    state.SetBytesProcessed(state.iterations() * PixelCount());
    state.counters["file_bytes"] = static_cast<double>(written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GifEncodeOurs)->Unit(benchmark::kMillisecond);

void BM_GifEncodeGiflib(benchmark::State& state) {
    std::vector<uint8_t> out;
    size_t written = 0;
    for (auto _ : state)
        for (const Picture& p : Pictures()) {
            benchmark::DoNotOptimize(GiflibEncode(p.picture, out));
            written += out.size();
        }
    state.SetBytesProcessed(state.iterations() * PixelCount());
    state.counters["file_bytes"] = static_cast<double>(written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GifEncodeGiflib)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    CheckRoundTrips();
    benchmark::Initialize(&argc, argv);
    yov_bench::RatioReporter reporter("BM_GifEncodeOurs", "BM_GifEncodeGiflib",
                                      "GIF encoding throughput, ours / giflib");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
