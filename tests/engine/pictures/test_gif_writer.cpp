#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"
#include "picture_fixture.h"
#include "writer_fixture.h"

namespace lvk {
namespace {

using testing::GiflibImage;
using testing::Load;
using testing::MakePlain;
using testing::PlainPicture;
using testing::ReadWithGiflib;
using testing::ScratchFolder;
using testing::Take;

// The blocks of a file the writer made, read by the layout the format fixes.
struct GifLayout {
    int packed = 0;
    int tableEntries = 0;
    std::vector<uint8_t> table;
    std::vector<uint8_t> control;  // the 8 bytes of a graphic control extension, if any
    int imagePacked = -1;
    int minCodeSize = 0;
    std::vector<uint8_t> data;  // the sub-blocks joined
    bool trailer = false;
};

GifLayout Parse(const std::vector<uint8_t>& f) {
    GifLayout g;
    if (f.size() < 13 || std::string(f.begin(), f.begin() + 6) != "GIF89a") return g;
    g.packed = f[10];
    g.tableEntries = (g.packed & 0x80) ? 2 << (g.packed & 7) : 0;
    size_t at = 13;
    g.table.assign(f.begin() + at, f.begin() + at + 3 * g.tableEntries);
    at += 3 * g.tableEntries;
    if (f[at] == 0x21) {
        g.control.assign(f.begin() + at, f.begin() + at + 8);
        at += 8;
    }
    if (f[at] != 0x2C) return g;
    g.imagePacked = f[at + 9];
    at += 10;
    g.minCodeSize = f[at++];
    while (at < f.size() && f[at] != 0) {
        g.data.insert(g.data.end(), f.begin() + at + 1, f.begin() + at + 1 + f[at]);
        at += 1 + f[at];
    }
    g.trailer = at + 2 == f.size() && f[at + 1] == 0x3B;
    return g;
}

// Walks the codes as a reader does and notes, for every clear code, how far the reader's
// table had come (its next free slot). Returns false on a stream without end code.
bool WalkCodes(const GifLayout& g, std::vector<int>& nextAtClear, int& codes) {
    const int clear = 1 << g.minCodeSize;
    int width = g.minCodeSize + 1;
    int next = clear + 2;
    bool first = true;
    uint32_t bits = 0;
    int held = 0;
    size_t at = 0;
    codes = 0;
    for (;;) {
        while (held < width) {
            if (at == g.data.size()) return false;
            bits |= uint32_t{g.data[at++]} << held;
            held += 8;
        }
        const int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        held -= width;
        ++codes;
        if (code == clear) {
            nextAtClear.push_back(next);
            width = g.minCodeSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (code == clear + 1) return true;
        if (code > next) return false;
        if (!first && next < 4096) {
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        first = false;
    }
}

std::vector<uint8_t> Encode(const PlainPicture& p) {
    Load(p);
    std::vector<uint8_t> out;
    EXPECT_EQ(EncodeGif(CurPic(), out), 0);
    return out;
}

// The picture our reader makes of the file has the same pixels and colours.
void ExpectReadsBack(const PlainPicture& p, const std::string& file) {
    ASSERT_EQ(LoadGifPicture(file.c_str()), 0);
    const PlainPicture back = Take();
    EXPECT_EQ(back.width, p.width);
    EXPECT_EQ(back.height, p.height);
    EXPECT_EQ(back.pixels, p.pixels);
    ASSERT_GE(back.palette.size(), p.palette.size());
    for (size_t i = 0; i < p.palette.size(); ++i) EXPECT_EQ(back.palette[i], p.palette[i]) << "entry " << i;
    EXPECT_EQ(back.flags & kPicTransparent, p.flags & kPicTransparent);
    if (p.flags & kPicTransparent) {
        EXPECT_EQ(back.transparent, p.transparent);
    }
}

// giflib, which no one here wrote, reads the same indices and colours.
void ExpectGiflibReads(const PlainPicture& p, const std::string& file) {
    const GiflibImage g = ReadWithGiflib(file);
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.width, p.width);
    EXPECT_EQ(g.height, p.height);
    EXPECT_EQ(g.indices, p.pixels);
    ASSERT_GE(g.table.size(), p.palette.size());
    for (size_t i = 0; i < p.palette.size(); ++i) {
        const uint32_t want = (uint32_t{p.palette[i].Red} << 16) | (p.palette[i].Green << 8) | p.palette[i].Blue;
        EXPECT_EQ(g.table[i], want) << "entry " << i;
    }
    EXPECT_EQ(g.transparent, (p.flags & kPicTransparent) ? p.transparent : -1);
}

TEST(GifWriter, TableSizeAndMinimumCodeSizeFollowThePaletteCount) {
    struct Case {
        int colours;
        int tableEntries;
        int minCodeSize;
    };
    const Case cases[] = {{1, 2, 2},   {2, 2, 2},   {3, 4, 2},     {4, 4, 2},     {5, 8, 3},
                          {16, 16, 4}, {17, 32, 5}, {128, 128, 7}, {129, 256, 8}, {256, 256, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        const PlainPicture p = MakePlain(7, 3, c.colours, [&](int x, int y) { return (x + 7 * y) % c.colours; });
        const GifLayout g = Parse(Encode(p));
        EXPECT_EQ(g.tableEntries, c.tableEntries);
        EXPECT_EQ(g.packed & 0xF0, 0xF0);
        EXPECT_EQ(g.imagePacked, g.packed & 7);  // no local table, same size bits
        EXPECT_EQ(g.minCodeSize, c.minCodeSize);
        EXPECT_TRUE(g.trailer);
        for (int i = c.colours; i < c.tableEntries; ++i)
            EXPECT_EQ(g.table[3 * i] | g.table[3 * i + 1] | g.table[3 * i + 2], 0) << "unused entry " << i;
    }
}

TEST(GifWriter, TransparentIndexGoesIntoAGraphicControlExtension) {
    PlainPicture p = MakePlain(5, 5, 9, [](int x, int y) { return (x * y) % 9; });
    EXPECT_TRUE(Parse(Encode(p)).control.empty());
    p.flags = kPicTransparent;
    p.transparent = 6;
    EXPECT_EQ(Parse(Encode(p)).control, (std::vector<uint8_t>{0x21, 0xF9, 4, 1, 0, 0, 6, 0}));
}

TEST(GifWriter, MarkerColourIsWrittenForIndexZeroAndReadBackAsBlackWithTheFlag) {
    ScratchFolder dir;
    PlainPicture p = MakePlain(4, 4, 5, [](int x, int y) { return (x + y) % 5; });
    p.palette[0] = PaletteEntry{0, 0, 0, 0};
    p.flags = kPicMarkerZero;
    Load(p);
    const std::string file = dir.File("marker.gif");
    ASSERT_EQ(SaveGif(file.c_str(), nullptr, nullptr), 0);
    const GifLayout g = Parse(testing::FileBytes(file));
    EXPECT_EQ(std::vector<uint8_t>(g.table.begin(), g.table.begin() + 3), (std::vector<uint8_t>{123, 0, 123}));
    EXPECT_EQ(Take(), p) << "the current picture is left as it was";
    ASSERT_EQ(LoadGifPicture(file.c_str()), 0);
    EXPECT_EQ(CurPic().Header.Flags & kPicMarkerZero, kPicMarkerZero);
    EXPECT_EQ(Take().palette[0], (PaletteEntry{0, 0, 0, 0}));
}

TEST(GifWriter, TableRestartsWithAClearCodeOnceCode4094IsGiven) {
    for (int colours : {2, 16, 256}) {
        SCOPED_TRACE(colours);
        std::mt19937 rng(colours);
        const PlainPicture p =
            MakePlain(400, 300, colours, [&](int, int) { return static_cast<uint8_t>(rng() % colours); });
        const GifLayout g = Parse(Encode(p));
        std::vector<int> clears;
        int codes = 0;
        ASSERT_TRUE(WalkCodes(g, clears, codes));
        ASSERT_GE(clears.size(), 2u) << "the picture is too small to fill the table";
        EXPECT_EQ(clears[0], (1 << g.minCodeSize) + 2) << "the stream starts with a clear code";
        for (size_t i = 1; i < clears.size(); ++i) EXPECT_EQ(clears[i], 4095) << "clear code " << i;
    }
}

TEST(GifWriter, PicturesReadBackTheSameThroughOurReaderAndGiflib) {
    std::mt19937 rng(7);
    struct Case {
        const char* name;
        PlainPicture picture;
    };
    std::vector<Case> cases = {
        {"one pixel", MakePlain(1, 1, 1, [](int, int) { return 0; })},
        {"two colours, checkers", MakePlain(33, 17, 2, [](int x, int y) { return (x + y) & 1; })},
        {"long runs", MakePlain(640, 48, 6, [](int x, int y) { return (x / 100 + y / 10) % 6; })},
        {"noise of 256 colours", MakePlain(300, 200, 256, [&](int, int) { return static_cast<uint8_t>(rng()); })},
        {"noise of 3 colours", MakePlain(257, 129, 3, [&](int, int) { return static_cast<uint8_t>(rng() % 3); })},
        {"one wide row", MakePlain(5000, 1, 16, [](int x, int) { return x % 16; })},
        {"one tall column", MakePlain(1, 3000, 16, [](int, int y) { return (y / 3) % 16; })},
    };
    Case transparent{"transparent", MakePlain(40, 30, 12, [](int x, int y) { return (x ^ y) % 12; })};
    transparent.picture.flags = kPicTransparent;
    transparent.picture.transparent = 11;
    cases.push_back(transparent);

    ScratchFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.picture);
        const std::string file = dir.File("picture.gif");
        ASSERT_EQ(SaveGif(file.c_str(), "", ""), 0);
        EXPECT_EQ(CurPic().LastLength, testing::FileBytes(file).size());
        ExpectGiflibReads(c.picture, file);
        ExpectReadsBack(c.picture, file);
    }
}

TEST(GifWriter, AnEmptyPictureIsAValidFile) {
    ScratchFolder dir;
    const PlainPicture p = MakePlain(0, 0, 2, [](int, int) { return 0; });
    Load(p);
    const std::string file = dir.File("empty.gif");
    ASSERT_EQ(SaveGif(file.c_str(), nullptr, nullptr), 0);
    std::vector<int> clears;
    int codes = 0;
    EXPECT_TRUE(WalkCodes(Parse(testing::FileBytes(file)), clears, codes));
    EXPECT_EQ(codes, 2) << "a clear code and the end code";
}

TEST(GifWriter, PixelsPastThePaletteGetTableEntriesOfTheirOwn) {
    // A decoder may leave indices past the palette count; their codes must stay below the
    // clear code.
    PlainPicture p = MakePlain(6, 2, 3, [](int x, int) { return x < 3 ? x : 9; });
    const GifLayout g = Parse(Encode(p));
    EXPECT_EQ(g.tableEntries, 16);
    ScratchFolder dir;
    Load(p);
    const std::string file = dir.File("past.gif");
    ASSERT_EQ(SaveGif(file.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(ReadWithGiflib(file).indices, p.pixels);
}

TEST(GifWriter, PicturesItCannotWriteAreRefusedWithoutAFile) {
    ScratchFolder dir;
    const std::string file = dir.File("refused.gif");
    PlainPicture p = MakePlain(4, 4, 4, [](int x, int) { return x; });
    Load(p);
    CurPic().Palette.Count = 257;
    EXPECT_EQ(SaveGif(file.c_str(), nullptr, nullptr), kErrGifColours);

    CurrentPicture& c = CurPic();
    c.Header.Flags = kPicTrueColour;
    c.Palette.Count = 0;
    ASSERT_EQ(GrowPictureBuffer(), 0);
    EXPECT_EQ(SaveGif(file.c_str(), nullptr, nullptr), kErrGifColours);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(GifWriter, AFileThatCannotBeCreatedIsReported) {
    Load(MakePlain(4, 4, 4, [](int x, int) { return x; }));
    EXPECT_EQ(SaveGif("/nonexistent-folder/picture.gif", nullptr, nullptr), kErrWriteFile);
    EXPECT_EQ(SaveGif(nullptr, nullptr, nullptr), kErrWriteFile);
    EXPECT_EQ(SaveGif("", nullptr, nullptr), kErrWriteFile);
}

TEST(GifWriter, AnExistingFileIsReplacedWholeAndKeepsItsPermissions) {
    ScratchFolder dir;
    const std::string file = dir.File("old.gif");
    {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("an old picture, much longer than the new one will be ....................", f);
        std::fclose(f);
    }
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const PlainPicture p = MakePlain(3, 2, 2, [](int x, int) { return x & 1; });
    Load(p);
    ASSERT_EQ(SaveGif(file.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"old.gif"})) << "no temporary file is left behind";
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ExpectGiflibReads(p, file);
}

}  // namespace
}  // namespace lvk
