#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"

namespace lvk {
namespace {

namespace fs = std::filesystem;
const std::string kGifs = std::string(YOV_TEST_DATA) + "/gif/";

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// LZW codes of literal pixels only, written with the code sizes a decoder uses.
std::vector<uint8_t> LiteralLzw(int minimum, const std::vector<int>& pixels, bool withEnd = true,
                                std::vector<int> extraCodes = {}) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    const int clear = 1 << minimum;
    int size = minimum + 1;
    int next = clear + 2;
    bool first = true;
    auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += size;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    put(clear);
    for (int p : pixels) {
        if (next == 4096) {
            put(clear);
            size = minimum + 1;
            next = clear + 2;
            first = true;
        }
        put(p);
        if (!first) {
            ++next;
            if (next == (1 << size) && size < 12) ++size;
        }
        first = false;
    }
    for (int c : extraCodes) put(c);
    if (withEnd) put(clear + 1);
    if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
    return out;
}

struct Gif {
    std::vector<uint8_t> bytes;

    explicit Gif(int width, int height, std::vector<uint32_t> global = {}) {
        for (char c : std::string("GIF89a")) bytes.push_back(static_cast<uint8_t>(c));
        Add16(width);
        Add16(height);
        bytes.push_back(global.empty() ? 0 : static_cast<uint8_t>(0x80 | TableBits(global.size())));
        bytes.push_back(0);
        bytes.push_back(0);
        AddTable(global);
    }
    static int TableBits(size_t entries) {
        int n = 0;
        while ((2u << n) < entries) ++n;
        return n;
    }
    void Add16(int v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void AddTable(const std::vector<uint32_t>& t) {
        if (t.empty()) return;
        const size_t entries = 2u << TableBits(t.size());
        for (size_t i = 0; i < entries; ++i) {
            uint32_t c = i < t.size() ? t[i] : 0;
            bytes.insert(bytes.end(),
                         {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
        }
    }
    void SubBlocks(const std::vector<uint8_t>& data) {
        for (size_t i = 0; i < data.size(); i += 255) {
            size_t n = std::min<size_t>(255, data.size() - i);
            bytes.push_back(static_cast<uint8_t>(n));
            bytes.insert(bytes.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
        }
        bytes.push_back(0);
    }
    Gif& Control(int transparent) {
        bytes.insert(bytes.end(), {'!', 0xF9, 4, static_cast<uint8_t>(transparent >= 0 ? 1 : 0), 0, 0,
                                   static_cast<uint8_t>(transparent >= 0 ? transparent : 0), 0});
        return *this;
    }
    Gif& Image(int left, int top, int width, int height, const std::vector<uint8_t>& lzw, int minimum = 2,
               bool interlaced = false, std::vector<uint32_t> local = {}) {
        bytes.push_back(',');
        Add16(left);
        Add16(top);
        Add16(width);
        Add16(height);
        uint8_t packed = interlaced ? 0x40 : 0;
        if (!local.empty()) packed |= static_cast<uint8_t>(0x80 | TableBits(local.size()));
        bytes.push_back(packed);
        AddTable(local);
        bytes.push_back(static_cast<uint8_t>(minimum));
        SubBlocks(lzw);
        return *this;
    }
    Gif& End() {
        bytes.push_back(';');
        return *this;
    }
    int32_t Read(int maxImages = 0) const { return ReadGifFile(bytes.data(), bytes.size(), maxImages); }
};

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

std::vector<uint8_t> Rows() {
    const CurrentPicture& c = CurPic();
    std::vector<uint8_t> out;
    for (int y = 0; y < c.Header.Height; ++y) out.insert(out.end(), c.Row(y), c.Row(y) + c.Header.Width);
    return out;
}

struct Reference {
    std::string file;
    int width, height, left, top;
    uint32_t crc;
};

std::vector<Reference> References() {
    std::ifstream in(std::string(YOV_TEST_DATA) + "/gif_reference.txt");
    std::vector<Reference> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        Reference r;
        std::string crc;
        s >> r.file >> r.width >> r.height >> r.left >> r.top >> crc;
        r.crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
        out.push_back(r);
    }
    return out;
}

// The CRC-32 of the first image's pixels as RGB, palette entry 0 taken as the marker
// colour where the reader turned it black.
uint32_t FrameCrc(const Reference& r) {
    const CurrentPicture& c = CurPic();
    std::vector<uint8_t> rgb;
    for (int y = r.top; y < r.top + r.height; ++y)
        for (int x = r.left; x < r.left + r.width; ++x) {
            const uint8_t index = c.Row(y)[x];
            PaletteEntry e = c.Palette.Entries[index];
            if (index == 0 && (c.Header.Flags & kPicMarkerZero)) e = PaletteEntry{123, 0, 123, 0};
            rgb.insert(rgb.end(), {e.Red, e.Green, e.Blue});
        }
    return static_cast<uint32_t>(crc32(0, rgb.data(), static_cast<uInt>(rgb.size())));
}

TEST(GifFiles, FirstImagesMatchTheirReferences) {
    const std::vector<Reference> refs = References();
    ASSERT_GT(refs.size(), 20u);
    for (const Reference& r : refs) {
        SCOPED_TRACE(r.file);
        std::vector<uint8_t> f = FileBytes(kGifs + r.file);
        ASSERT_FALSE(f.empty());
        const int32_t result = ReadGifFile(f.data(), f.size(), 1);
        // Codes beyond the next free slot before the last pixel are refused; the other
        // readers went on with what they had.
        if (r.file == "artificial-gif_pixel-data-too-much-bad-lzw.gif") {
            EXPECT_EQ(result, 0);
        } else {
            ASSERT_EQ(result, 0);
        }
        const CurrentPicture& c = CurPic();
        if (r.left + r.width > c.Header.Width || r.top + r.height > c.Header.Height) continue;
        EXPECT_EQ(FrameCrc(r), r.crc);
    }
}

TEST(GifFiles, EveryFileIsReadOrRefusedWithItsOwnCode) {
    for (const auto& entry : fs::directory_iterator(kGifs)) {
        if (entry.path().extension() != ".gif") continue;
        SCOPED_TRACE(entry.path().string());
        std::vector<uint8_t> f = FileBytes(entry.path());
        for (int images : {0, 1}) {
            int32_t r = ReadGifFile(f.data(), f.size(), images);
            EXPECT_TRUE(r == 0 || r == kGifEndedEarly || (r <= -10401 && r >= -10423)) << r;
            // Every cut of a file is refused cleanly too.
            for (size_t keep = 0; keep < f.size(); keep += 1 + f.size() / 64) {
                int32_t cut = ReadGifFile(f.data(), keep, images);
                EXPECT_TRUE(cut == 0 || cut == kGifEndedEarly || (cut <= -10401 && cut >= -10423)) << cut;
            }
        }
    }
}

TEST(GifFiles, KnownOutcomes) {
    const std::pair<const char*, int32_t> cases[] = {
        {"hippopotamus.interlaced.truncated.gif", kErrGifSubBlockData},
        {"artificial-gif_pixel-data-none.gif", kGifEndedEarly},
        {"artificial-gif_pixel-data-not-enough.gif", kGifEndedEarly},
        {"artificial-gif_no-frames.gif", 0},
        {"artificial-gif_zero-width-frame.gif", 0},
        {"hippopotamus.interlaced.gif", 0},
        {"muybridge.gif", 0},
    };
    for (auto [file, code] : cases) {
        SCOPED_TRACE(file);
        std::vector<uint8_t> f = FileBytes(kGifs + file);
        EXPECT_EQ(ReadGifFile(f.data(), f.size()), code);
    }
    EXPECT_EQ(LoadGifPicture("/nonexistent/x.gif"), kErrGifOpen);
}

TEST(GifFiles, InterlacedAndPlainCopiesAgree) {
    std::vector<uint8_t> a = FileBytes(kGifs + "hippopotamus.interlaced.gif");
    std::vector<uint8_t> b = FileBytes(kGifs + "hippopotamus.regular.gif");
    ASSERT_EQ(ReadGifFile(a.data(), a.size()), 0);
    std::vector<uint8_t> interlaced = Rows();
    ASSERT_EQ(ReadGifFile(b.data(), b.size()), 0);
    EXPECT_EQ(Rows(), interlaced);
}

TEST(GifReader, InterlacedRowsComeInFourPasses) {
    // Data row k holds the value of the image row it lands on.
    const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    std::vector<int> pixels;
    for (int k = 0; k < 10; ++k) pixels.insert(pixels.end(), {order[k], order[k]});
    std::vector<uint32_t> palette(16, 0);
    Gif g(2, 10, palette);
    g.Image(0, 0, 2, 10, LiteralLzw(4, pixels), 4, true).End();
    ASSERT_EQ(g.Read(), 0);
    std::vector<uint8_t> want;
    for (int y = 0; y < 10; ++y) want.insert(want.end(), {static_cast<uint8_t>(y), static_cast<uint8_t>(y)});
    EXPECT_EQ(Rows(), want);
}

TEST(GifReader, TransparencyAndMarkerColour) {
    Gif g(2, 1, {0x7B007B, 0xFFFFFF, 0x0, 0x0, 0x0, 0x0});
    g.Control(5).Image(0, 0, 2, 1, LiteralLzw(3, {0, 1}), 3).End();
    ASSERT_EQ(g.Read(), 0);
    const CurrentPicture& c = CurPic();
    EXPECT_EQ(c.Header.Flags, kPicTransparent | kPicMarkerZero);
    EXPECT_EQ(c.Header.TransparentIndex, 5);
    EXPECT_EQ(c.Palette.Entries[0].Red, 0);
    EXPECT_EQ(c.Palette.Entries[0].Blue, 0);
    EXPECT_EQ(c.Palette.Count, 8);
}

TEST(GifReader, LastLengthCountsTablesCodeSizesAndSubBlocks) {
    Gif g(2, 1, kFour);
    std::vector<uint8_t> lzw = LiteralLzw(2, {1, 2});
    g.Control(-1).Image(0, 0, 2, 1, lzw).End();
    ASSERT_EQ(g.Read(), 0);
    // 13, the table, the control's sub-block and terminator, the code size, the data's.
    EXPECT_EQ(CurPic().LastLength, 13u + 12 + (1 + 4) + 1 + 1 + (1 + lzw.size()) + 1);
}

TEST(GifReader, FramesAreClippedToTheScreen) {
    Gif g(3, 2, kFour);
    g.Image(2, 1, 2, 2, LiteralLzw(2, {1, 2, 3, 1})).End();
    ASSERT_EQ(g.Read(), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{0, 0, 0, 0, 0, 1}));
    Gif far(3, 2, kFour);
    far.Image(60000, 60000, 2, 2, LiteralLzw(2, {1, 2, 3, 1})).End();
    ASSERT_EQ(far.Read(), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>(6, 0)));
}

TEST(GifReader, LaterImagesDrawOverEarlierOnes) {
    Gif g(2, 1, kFour);
    g.Image(0, 0, 2, 1, LiteralLzw(2, {1, 1})).Image(1, 0, 1, 1, LiteralLzw(2, {3})).End();
    ASSERT_EQ(g.Read(), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{1, 3}));
    ASSERT_EQ(g.Read(1), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{1, 1}));
}

TEST(GifReader, LongStreamsFillTheTableAndKeepTwelveBits) {
    // Enough codes to fill the table, which is then cleared and refilled.
    const int width = 300, height = 200;
    std::vector<int> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<int>((i / 7) % 4);
    Gif g(width, height, kFour);
    g.Image(0, 0, width, height, LiteralLzw(2, pixels)).End();
    ASSERT_EQ(g.Read(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(CurPic().Row(y)[x], pixels[y * width + x]);
}

TEST(GifReader, DamagedFilesHaveTheirCodes) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t result;
    };
    auto image = [](std::vector<uint8_t> lzw, int minimum = 2) {
        Gif g(2, 1, kFour);
        return g.Image(0, 0, 2, 1, lzw, minimum).End().bytes;
    };
    const std::vector<uint8_t> good = image(LiteralLzw(2, {1, 2}));
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)); };
    auto with = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> b = good;
        b[at] = v;
        return b;
    };
    std::vector<uint8_t> unknownExtension = Gif(2, 1, kFour).bytes;
    unknownExtension.insert(unknownExtension.end(), {'!', 0x42, 2, 9, 9, 0});
    Gif after(2, 1, kFour);
    after.Image(0, 0, 2, 1, LiteralLzw(2, {1, 2})).End();
    unknownExtension.insert(unknownExtension.end(), after.bytes.begin() + 13 + 12, after.bytes.end());
    std::vector<uint8_t> shortControl = Gif(2, 1, kFour).bytes;
    shortControl.insert(shortControl.end(), {'!', 0xF9, 3, 1, 0, 0, 0});
    Gif noTable(2, 1);
    noTable.Image(0, 0, 2, 1, LiteralLzw(2, {1, 2})).End();

    const Case cases[] = {
        {"good", good, 0},
        {"no header", cut(5), kErrGifHeader},
        {"not GIF", with(0, 'J'), kErrGifSignature},
        {"version 88a", with(4, '8'), kErrGifVersion},
        {"no screen", cut(10), kErrGifScreen},
        {"table cut", cut(20), kErrGifColourTable},
        {"no introducer", cut(25), kErrGifIntroducer},
        {"bad introducer", with(25, 'x'), kErrGifBlockType},
        {"descriptor cut", cut(30), kErrGifDescriptor},
        {"no code size", cut(35), kErrGifCodeSize},
        {"no sub-block length", cut(36), kErrGifSubBlockLength},
        {"sub-block cut", cut(38), kErrGifSubBlockData},
        {"no trailer", cut(good.size() - 1), kErrGifIntroducer},
        {"code size 12", image(LiteralLzw(2, {1, 2}), 12), kErrGifCodeSizeLarge},
        {"pixel outside a 4-entry palette", image(LiteralLzw(3, {1, 5}), 3), kErrGifPixel},
        {"code past the next free slot", image(LiteralLzw(2, {1}, true, {7})), kErrGifBadCode},
        {"table code first", image(LiteralLzw(2, {}, true, {6})), kErrGifBadCode},
        {"end code early", image(LiteralLzw(2, {1})), kGifEndedEarly},
        {"data ends early", image(LiteralLzw(2, {1}, false)), kErrGifDataEnded},
        {"bad code after the last pixel", image(LiteralLzw(2, {1, 2, 3}, false, {15})), 0},
        {"no end code after the last pixel", image(LiteralLzw(2, {1, 2}, false)), 0},
        {"unknown extension skipped", unknownExtension, 0},
        {"short graphic control", shortControl, kErrGifControl},
        {"no colour table", noTable.bytes, kErrGifNoColourTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadGifFile(c.bytes.data(), c.bytes.size()), c.result);
    }
}

}  // namespace
}  // namespace lvk
