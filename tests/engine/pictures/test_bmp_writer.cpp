#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"
#include "writer_fixture.h"

namespace lvk {
namespace {

using testing::CaptureBitmap;
using testing::FileBytes;
using testing::MessageLog;
using testing::ScratchFolder;

// A captured picture as 0xRRGGBB values, top row first, written as letters for the tests:
// each letter is one colour.
struct Sketch {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

uint32_t LetterColour(char c) {
    switch (c) {
    case '.': return 0x000000;
    case 'W': return 0xFFFFFF;
    case 'r': return 0xFF0000;
    case 'g': return 0x00FF00;
    case 'b': return 0x0000FF;
    case 'R': return 0xFF0004;  // within 7 of 'r' as packed values
    default: return 0x010101u * static_cast<uint8_t>(c);
    }
}

Sketch Draw(const std::vector<std::string>& rows) {
    Sketch s;
    s.height = static_cast<int>(rows.size());
    s.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const std::string& row : rows)
        for (char c : row) s.rgb.push_back(LetterColour(c));
    return s;
}

// The BMP file's header fields the tests look at.
struct BmpInfo {
    int width = 0;
    int height = 0;
    int bits = 0;
    uint32_t coloursUsed = 0;
    uint32_t offset = 0;
    size_t size = 0;
};

BmpInfo Info(const std::string& file) {
    const std::vector<uint8_t> f = FileBytes(file);
    BmpInfo i;
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return i;
    i.size = Le32(&f[2]);
    EXPECT_EQ(i.size, f.size());
    i.offset = Le32(&f[10]);
    i.width = static_cast<int32_t>(Le32(&f[18]));
    i.height = static_cast<int32_t>(Le32(&f[22]));
    i.bits = Le16(&f[28]);
    i.coloursUsed = Le32(&f[46]);
    return i;
}

// Rows of the picture our reader makes of the file, as letters again (top row first).
std::vector<std::string> ReadBack(const std::string& file) {
    EXPECT_EQ(LoadBmpFile(file.c_str()), 0) << file;
    const testing::RgbPicture p = testing::CurrentAsRgb();
    std::vector<std::string> rows;
    for (int y = 0; y < p.height; ++y) {
        std::string row;
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = p.At(x, y);
            const uint32_t v = (uint32_t{c[0]} << 16) | (c[1] << 8) | c[2];
            char letter = '?';
            for (char l : std::string(".WrgbR"))
                if (LetterColour(l) == v) letter = l;
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

class BmpWriter : public ::testing::Test {
protected:
    // Captures into slot with the options; the bitmap lives until the test ends.
    int32_t Capture(int slot, const Sketch& s, int options, const std::string& name) {
        bitmaps_.push_back(std::make_unique<CaptureBitmap>(s.width, s.height, s.rgb));
        return WriteBmpPicture(bitmaps_.back()->Dc(), dir.File(name).c_str(), slot, options);
    }
    int32_t Capture(int slot, const std::vector<std::string>& rows, int options, const std::string& name) {
        return Capture(slot, Draw(rows), options, name);
    }

    ScratchFolder dir;
    std::vector<std::unique_ptr<CaptureBitmap>> bitmaps_;
};

TEST_F(BmpWriter, DepthIsTheSmallestThatHoldsTheColoursBlackIncluded) {
    struct Case {
        int colours;  // distinct colours besides black
        int options;
        int bits;
        uint32_t table;
    };
    const Case cases[] = {{0, 0, 1, 2},    {1, 0, 1, 2},     {2, 0, 4, 16},      {15, 0, 4, 16},
                          {16, 0, 8, 256}, {255, 0, 8, 256}, {256, 0x200, 24, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        Sketch s;
        s.width = 37;
        s.height = 9;
        for (int i = 0; i < s.width * s.height; ++i)
            s.rgb.push_back(i % (c.colours + 1) == 0 ? 0 : 0x10000u + 77u * (i % (c.colours + 1)));
        ASSERT_EQ(Capture(0, s, c.options, "depth.bmp"), 9);
        ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
        const BmpInfo i = Info(dir.File("depth.bmp"));
        EXPECT_EQ(i.bits, c.bits);
        EXPECT_EQ(i.coloursUsed, c.table);
        EXPECT_EQ(i.offset, 54 + 4 * c.table);
        EXPECT_EQ(i.width, 37);
        EXPECT_EQ(i.height, 9) << "positive: bottom-up";
        ASSERT_EQ(LoadBmpFile(dir.File("depth.bmp").c_str()), 0);
        const testing::RgbPicture back = testing::CurrentAsRgb();
        EXPECT_EQ(testing::ToRgbValues(back), s.rgb);
    }
}

TEST_F(BmpWriter, ThreeColoursWithBlackGiveFourBitsAndASixteenEntryTable) {
    ASSERT_EQ(Capture(0, {"rg.", "..g"}, 0, "three.bmp"), 2);
    ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
    const BmpInfo i = Info(dir.File("three.bmp"));
    EXPECT_EQ(i.bits, 4);
    EXPECT_EQ(i.coloursUsed, 16u);
    EXPECT_EQ(ReadBack(dir.File("three.bmp")), (std::vector<std::string>{"rg.", "..g"}));
}

TEST_F(BmpWriter, TheTotalIsTheBytesWrittenAndTheSlotsAreEmptiedAfterwards) {
    ASSERT_EQ(Capture(0, {"r.", ".r"}, 0, "a.bmp"), 2);
    ASSERT_EQ(Capture(31, {"gggg"}, 0, "b.bmp"), 1);
    CaptureBitmap nameless(1, 1, {0x0000FF});
    ASSERT_EQ(WriteBmpPicture(nameless.Dc(), nullptr, 5, 0), 1);  // without a name: not written
    const int32_t total = FlushBmpPicture(0, 0, 0);
    EXPECT_EQ(total, static_cast<int32_t>(FileBytes(dir.File("a.bmp")).size() + FileBytes(dir.File("b.bmp")).size()));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(FlushBmpPicture(0, 0, 0), 0) << "nothing is left to write";
}

TEST_F(BmpWriter, ACaptureReplacesWhatTheSlotHeld) {
    ASSERT_EQ(Capture(3, {"rrr"}, 0, "first.bmp"), 1);
    ASSERT_EQ(Capture(3, {"g", "g"}, 0, "second.bmp"), 2);
    ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"second.bmp"}));
    EXPECT_EQ(ReadBack(dir.File("second.bmp")), (std::vector<std::string>{"g", "g"}));
}

TEST_F(BmpWriter, FailuresOfTheCaptureAreNegative) {
    const LvResult badParameter = -20000 - static_cast<LvResult>(plat::RASTER_ERROR_INVALID_PARAMETER);
    CaptureBitmap b(2, 2, {0, 0, 0, 0});
    EXPECT_EQ(WriteBmpPicture(b.Dc(), dir.File("x.bmp").c_str(), -1, 0), badParameter);
    EXPECT_EQ(WriteBmpPicture(b.Dc(), dir.File("x.bmp").c_str(), 32, 0), badParameter);
    EXPECT_LT(WriteBmpPicture(0, dir.File("x.bmp").c_str(), 0, 0), 0) << "no device context";
    EXPECT_LT(WriteBmpPicture(0x7FFF0000u, dir.File("x.bmp").c_str(), 0, 0), 0) << "a stale handle";
    EXPECT_EQ(FlushBmpPicture(0, 0, 0), 0);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(plat::GetCurrentBitmap(plat::HDC(b.Dc())), b.Bitmap()) << "the DC keeps its bitmap";
}

TEST_F(BmpWriter, AFileThatCannotBeCreatedIsReportedAndTheOthersAreStillWritten) {
    MessageLog log;
    CaptureBitmap b(1, 1, {0xFF0000});
    ASSERT_EQ(WriteBmpPicture(b.Dc(), "/nonexistent-folder/a.bmp", 0, 0), 1);
    ASSERT_EQ(Capture(1, {"g"}, 0, "b.bmp"), 1);
    EXPECT_EQ(FlushBmpPicture(0, 0, 0), kErrWriteFile);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"b.bmp"}));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("/nonexistent-folder/a.bmp"), std::string::npos) << log.lines()[0];
}

TEST_F(BmpWriter, TooManyColoursWithoutFlag0x200SkipTheSlotWithAMessage) {
    MessageLog log;
    Sketch s;
    s.width = 300;
    s.height = 1;
    for (int i = 0; i < 300; ++i) s.rgb.push_back(static_cast<uint32_t>(i) * 3);
    ASSERT_EQ(Capture(0, s, 0, "many.bmp"), 1);
    ASSERT_EQ(Capture(1, {"r"}, 0, "one.bmp"), 1);
    const int32_t total = FlushBmpPicture(0, 0, 0);
    EXPECT_EQ(total, static_cast<int32_t>(FileBytes(dir.File("one.bmp")).size()));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"one.bmp"}));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Too much colors: " + dir.File("many.bmp"));
}

// Trimming: rows are in buffer order, the first buffer row being the picture's bottom row.
// In the sketches below the bottom row is therefore the "first" row and the top row the
// "last" one.
struct TrimCase {
    const char* name;
    std::vector<std::string> base;  // slot 0, none when empty
    int slot;                       // of the picture
    std::vector<std::string> picture;
    int options;
    std::vector<std::string> written;
};

TEST_F(BmpWriter, TrimmingByTheSlotsOptions) {
    const TrimCase cases[] = {
        {"0x10 drops black rows at the top", {}, 0, {"...", "...", "rg.", ".b."}, 0x10, {"rg.", ".b."}},
        {"0x10 keeps the last row", {}, 0, {"...", "..."}, 0x10, {"..."}},
        {"0x90 drops white rows", {}, 0, {"WWW", "...", "rgb"}, 0x90, {"...", "rgb"}},
        {"0x02 drops bottom rows equal to slot 0", {"ggg", "rrr", "bbb"}, 1, {"ggr", "rrr", "bbb"}, 0x02, {"ggr"}},
        {"0x20 does the same", {"ggg", "rrr", "bbb"}, 1, {"ggr", "rrr", "bbb"}, 0x20, {"ggr"}},
        {"matching allows a difference of 7", {"ggg", "rrr"}, 1, {"RRg", "RRR"}, 0x02, {"RRg"}},
        {"0x01 drops top rows equal to slot 0", {"bbb", "rrr", "ggg"}, 1, {"bbb", "ggg", "ggg"}, 0x01, {"ggg", "ggg"}},
        {"0x04 drops right columns equal to slot 0", {"rgb", "rgb"}, 1, {"ggb", "bgb"}, 0x04, {"g", "b"}},
        {"0x08 drops left columns equal to slot 0", {"rgb", "rgb"}, 1, {"rgr", "rbr"}, 0x08, {"gr", "br"}},
        {"0x0C keeps what differs in the middle", {"rgbr", "rgbr"}, 1, {"r.br", "rg.r"}, 0x0C, {".b", "g."}},
        {"a base of another width trims nothing", {"rg", "rg"}, 1, {"rgb", "rgb"}, 0x0F, {"rgb", "rgb"}},
        {"rows slot 0 does not have never match", {"rrr"}, 1, {"rrr", "rrr"}, 0x03, {"rrr"}},
        {"columns over rows slot 0 does not have never match", {"rgb"}, 1, {"rgb", "rgb"}, 0x0C, {"rgb", "rgb"}},
        {"without slot 0 nothing is compared", {}, 2, {"rrr", "rrr"}, 0x0F, {"rrr", "rrr"}},
        {"slot 0 is not compared with itself", {}, 0, {"rrr", "rrr"}, 0x2F, {"rrr", "rrr"}},
    };
    for (const TrimCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.base.empty()) {
            ASSERT_GT(Capture(0, c.base, 0, "base.bmp"), 0);
        }
        ASSERT_GT(Capture(c.slot, c.picture, c.options, "picture.bmp"), 0);
        ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
        EXPECT_EQ(ReadBack(dir.File("picture.bmp")), c.written);
        bitmaps_.clear();
    }
}

TEST_F(BmpWriter, RowsFromSlot9AreBoundedByThePictureItself) {
    struct Case {
        const char* name;
        std::vector<std::string> nine;  // empty: no slot 9
        std::vector<std::string> written;
    };
    const std::vector<std::string> picture = {"rrr", "ggg", "bbb"};
    const Case cases[] = {
        {"a shorter slot 9 cuts the top rows", {"...", "..."}, {"ggg", "bbb"}},
        {"a taller slot 9 keeps the picture's rows", {".", ".", ".", ".", ".", "."}, {"rrr", "ggg", "bbb"}},
        {"without slot 9 the flag does nothing", {}, {"rrr", "ggg", "bbb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(Capture(3, picture, 0x40, "picture.bmp"), 0);
        if (!c.nine.empty()) {
            ASSERT_GT(Capture(9, c.nine, 0, "nine.bmp"), 0);
        }
        ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
        EXPECT_EQ(ReadBack(dir.File("picture.bmp")), c.written);
        bitmaps_.clear();
    }
}

// Frame 1 differs from slot 0 in column 1 of the top row, frame 2 in column 3 of the middle
// row; each trims what equals slot 0 (options 0x0E: bottom rows, right and left columns).
const std::vector<std::string> kBase = {"rrrrr", "rrrrr", "rrrrr"};
const std::vector<std::string> kFrame1 = {"rgrrr", "rrrrr", "rrrrr"};
const std::vector<std::string> kFrame2 = {"rrrrr", "rrrbr", "rrrrr"};

TEST_F(BmpWriter, FramesInSlots1To7ShareTheirMargins) {
    ASSERT_GT(Capture(0, kBase, 0, "base.bmp"), 0);
    ASSERT_GT(Capture(1, kFrame1, 0x0E, "one.bmp"), 0);
    ASSERT_GT(Capture(2, kFrame2, 0x0E, "two.bmp"), 0);
    ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
    // Own trims (left, right, bottom rows): frame 1 (1, 3, 2), frame 2 (3, 1, 1). Shared: the
    // smallest left and right trims and the largest bottom trim, (1, 1, 2).
    EXPECT_EQ(ReadBack(dir.File("one.bmp")), (std::vector<std::string>{"grr"}));
    EXPECT_EQ(ReadBack(dir.File("two.bmp")), (std::vector<std::string>{"rrr"}));
    EXPECT_EQ(ReadBack(dir.File("base.bmp")), kBase);
}

TEST_F(BmpWriter, Slot8Flag0x100DrawsTheMarginsInstead) {
    ASSERT_GT(Capture(0, kBase, 0, "base.bmp"), 0);
    ASSERT_GT(Capture(1, kFrame1, 0x0E, "one.bmp"), 0);
    ASSERT_GT(Capture(2, kFrame2, 0x0E, "two.bmp"), 0);
    ASSERT_GT(Capture(8, {"ggggg", "ggggg", "ggggg"}, 0x100, "eight.bmp"), 0);
    ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
    // Slots 0 to 7 keep their whole width above the shared bottom trim of 2 rows (the black
    // end pixels drawn into those rows go with them); slot 8 keeps its rows and shows the
    // margins as a black line from column 1 to column 3.
    EXPECT_EQ(ReadBack(dir.File("base.bmp")), (std::vector<std::string>{"rrrrr"}));
    EXPECT_EQ(ReadBack(dir.File("one.bmp")), (std::vector<std::string>{"rgrrr"}));
    EXPECT_EQ(ReadBack(dir.File("two.bmp")), (std::vector<std::string>{"rrrrr"}));
    EXPECT_EQ(ReadBack(dir.File("eight.bmp")), (std::vector<std::string>{"ggggg", "g...g", "g...g"}));
}

}  // namespace
}  // namespace lvk
