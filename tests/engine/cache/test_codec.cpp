// The picture bit code and the zlib form: exact bits of small cases, round trips of many
// kinds of palette picture, and damaged data refused without reading past its end.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/cache/bit_cursor.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

using testing::Load;
using testing::MakePlain;
using testing::PlainPicture;
using testing::Scramble;
using testing::Take;

// An independent writer of the expected bit stream: values least significant bit first.
struct BitList {
    std::vector<int> bits;
    BitList& put(int n, uint32_t v) {
        for (int i = 0; i < n; ++i) bits.push_back((v >> i) & 1);
        return *this;
    }
    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out((bits.size() + 7) / 8, 0);
        for (size_t i = 0; i < bits.size(); ++i) out[i / 8] |= static_cast<uint8_t>(bits[i] << (i % 8));
        return out;
    }
};

std::vector<uint8_t> Encoded() {
    const CurrentPicture& c = CurPic();
    EXPECT_EQ(EncodePicture(), 0);
    return std::vector<uint8_t>(c.CodeBuffer, c.CodeBuffer + c.CodeLength);
}

// Decodes from a block of exactly the code's size, so that a read past its end is an
// AddressSanitizer error.
int32_t DecodeExact(const std::vector<uint8_t>& code, size_t* consumed = nullptr) {
    std::vector<uint8_t> exact(code);
    return DecodePicture(exact.data(), exact.size(), consumed);
}

TEST(BitsFor, Widths) {
    struct Case {
        uint32_t v;
        int bits;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {255, 8}, {256, 9}, {65535, 16}, {65536, 17}};
    for (auto c : cases) EXPECT_EQ(BitsFor(c.v), c.bits) << c.v;
}

TEST(BitCursor, ReaderNeverPassesTheEnd) {
    const uint8_t data[3] = {0xFF, 0x0F, 0xA5};
    BitReader r;
    r.SetBitCursor(data, 3);
    EXPECT_EQ(r.GetBits(12), 0xFFFu);
    EXPECT_EQ(r.GetBits(8), 0x50u);
    EXPECT_FALSE(r.Overrun());
    EXPECT_EQ(r.GetBits(5), 0u);  // only 4 bits left
    EXPECT_TRUE(r.Overrun());
}

TEST(BitCode, FourEqualPixelsAreOneRun) {
    Load(MakePlain(4, 1, 0, [](int, int) { return uint8_t{1}; }));
    CurPic().Palette.Entries[0] = {0, 0, 0, 0};
    CurPic().Palette.Entries[1] = {255, 255, 255, 0};
    CurPic().Palette.Count = 2;
    // P, K, table (0, 255), palette indices (W = 1), R = 1 and the length 4 (L = 4),
    // one run code P + 0 (C = 2), the index 1 (E = 2).
    BitList want;
    want.put(8, 2).put(8, 2).put(8, 0).put(8, 255);
    want.put(1, 0).put(1, 0).put(1, 0).put(1, 1).put(1, 1).put(1, 1);
    want.put(4, 1).put(4, 4).put(2, 2).put(2, 1);
    EXPECT_EQ(Encoded(), want.bytes());
}

TEST(BitCode, AlternatingPairsThenLiteral) {
    const uint8_t row[9] = {0, 1, 0, 1, 0, 1, 0, 1, 5};
    PlainPicture p = MakePlain(9, 1, 6, [&](int x, int) { return row[x]; });
    for (int i = 0; i < 6; ++i) p.palette[i] = PaletteEntry{static_cast<uint8_t>(i), 0, 0, 0};
    Load(p);
    // Components 0..5 in order (K = 6, W = 3); L = 5; one run length 9 + 4 = 13;
    // C = BitsFor(1 + 6) = 3, E = BitsFor(6) = 3.
    BitList want;
    want.put(8, 6).put(8, 6);
    for (int v = 0; v < 6; ++v) want.put(8, static_cast<uint32_t>(v));
    for (int i = 0; i < 6; ++i) want.put(3, static_cast<uint32_t>(i)).put(3, 0).put(3, 0);
    want.put(5, 1).put(5, 13);
    want.put(3, 6).put(3, 0).put(3, 1);  // run code, the pair 0, 1
    want.put(3, 5);                      // literal 5
    EXPECT_EQ(Encoded(), want.bytes());
}

TEST(BitCode, TwoEqualPixelsAreTwoLiterals) {
    PlainPicture p = MakePlain(2, 1, 4, [](int, int) { return uint8_t{3}; });
    for (int i = 0; i < 4; ++i) p.palette[i] = PaletteEntry{static_cast<uint8_t>(10 * i), 0, 0, 0};
    Load(p);
    // K = 4 (0, 10, 20, 30), W = 2; L = 3; R = 0; C = BitsFor(4) = 3.
    BitList want;
    want.put(8, 4).put(8, 4);
    for (int v : {0, 10, 20, 30}) want.put(8, static_cast<uint32_t>(v));
    for (int i = 0; i < 4; ++i) want.put(2, static_cast<uint32_t>(i)).put(2, 0).put(2, 0);
    want.put(3, 0).put(3, 3).put(3, 3);
    EXPECT_EQ(Encoded(), want.bytes());
}

struct RoundTripCase {
    const char* name;
    PlainPicture picture;
};

std::vector<RoundTripCase> RoundTripCases() {
    std::mt19937 rng(7);
    auto random = [&](int colours) {
        return [&rng, colours](int, int) { return static_cast<uint8_t>(rng() % colours); };
    };
    auto runs = [&](int colours) {
        // Runs of 1 to 40 pixels, restarting at every row.
        return [&rng, colours, left = 0, value = uint8_t{0}, lastY = -1](int, int y) mutable {
            if (left == 0 || y != lastY) {
                left = 1 + static_cast<int>(rng() % 40);
                value = static_cast<uint8_t>(rng() % colours);
                lastY = y;
            }
            --left;
            return value;
        };
    };
    auto dither = [](int x, int y) { return static_cast<uint8_t>(((x + y / 3) % 2 == 0 ? 3 : 7) + (x / 50 % 2)); };

    std::vector<RoundTripCase> cases;
    cases.push_back({"one_pixel", MakePlain(1, 1, 1, [](int, int) { return uint8_t{0}; })});
    cases.push_back({"one_pixel_of_256_entries", MakePlain(1, 1, 256, [](int, int) { return uint8_t{255}; })});
    cases.push_back({"two_colours_odd_width", MakePlain(13, 7, 2, random(2))});
    cases.push_back({"one_bit_runs", MakePlain(37, 11, 2, runs(2))});
    cases.push_back({"four_bit_random", MakePlain(33, 9, 16, random(16))});
    cases.push_back({"four_bit_runs", MakePlain(99, 5, 16, runs(16))});
    cases.push_back({"eight_bit_random", MakePlain(101, 17, 256, random(256))});
    cases.push_back({"eight_bit_runs", MakePlain(203, 20, 200, runs(200))});
    cases.push_back(
        {"all_256_colours_used", MakePlain(256, 3, 256, [](int x, int) { return static_cast<uint8_t>(x); })});
    cases.push_back({"255_colours_used", MakePlain(255, 2, 255, [](int x, int) { return static_cast<uint8_t>(x); })});
    cases.push_back({"dithered_areas", MakePlain(150, 12, 9, dither)});
    cases.push_back(
        {"row_end_alternation", MakePlain(4, 2, 2, [](int x, int) { return static_cast<uint8_t>(x % 2); })});
    cases.push_back(
        {"five_wide_alternation", MakePlain(5, 3, 2, [](int x, int) { return static_cast<uint8_t>(x % 2); })});
    cases.push_back({"vertical_stripes", MakePlain(3, 40, 3, [](int x, int) { return static_cast<uint8_t>(x); })});
    cases.push_back({"one_column", MakePlain(1, 50, 5, random(5))});
    cases.push_back({"long_row", MakePlain(5001, 2, 7, runs(7))});
    cases.push_back(
        {"widest_row", MakePlain(65535, 1, 3, [](int x, int) { return static_cast<uint8_t>(x < 40000 ? 1 : x % 3); })});
    // Every component value 0..255 occurs: a component table of 256 values.
    PlainPicture all = MakePlain(64, 4, 128, random(128));
    for (int i = 0; i < 128; ++i)
        all.palette[i] = PaletteEntry{static_cast<uint8_t>(2 * i), static_cast<uint8_t>(2 * i + 1), 0, 0};
    cases.push_back({"256_component_values", all});
    PlainPicture both = MakePlain(256, 2, 256, [](int x, int) { return static_cast<uint8_t>(x); });
    for (int i = 0; i < 256; ++i)
        both.palette[i] =
            PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0};
    cases.push_back({"256_entries_and_256_values", both});
    return cases;
}

TEST(BitCode, RoundTrips) {
    for (const RoundTripCase& c : RoundTripCases()) {
        SCOPED_TRACE(c.name);
        Load(c.picture);
        std::vector<uint8_t> code = Encoded();
        ASSERT_FALSE(code.empty());
        Scramble();
        size_t consumed = 0;
        ASSERT_EQ(DecodeExact(code, &consumed), 0);
        EXPECT_EQ(consumed, code.size());
        EXPECT_EQ(Take(), c.picture);
    }
}

TEST(ZlibForm, RoundTripsAtEveryLevel) {
    for (const RoundTripCase& c : RoundTripCases()) {
        for (int level : {1, 6, 9}) {
            SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
            Load(c.picture);
            ASSERT_EQ(DeflatePicture(level), 0);
            std::vector<uint8_t> code(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
            Scramble();
            ASSERT_EQ(InflatePicture(code.data(), code.size()), 0);
            EXPECT_EQ(CurPic().LastLength, code.size());
            EXPECT_EQ(Take(), c.picture);
        }
    }
}

// A picture of many colours and no runs needs a header far larger than a fixed spare.
TEST(BitCode, ManyColoursNoRunsFitTheCodeBuffer) {
    PlainPicture p = MakePlain(3, 1, 256, [](int x, int) { return static_cast<uint8_t>(x * 100); });
    for (int i = 0; i < 256; ++i)
        p.palette[i] =
            PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(i + 85), static_cast<uint8_t>(i + 170), 0};
    Load(p);
    std::vector<uint8_t> code = Encoded();
    EXPECT_GT(code.size(), 760u + 3u);
    Scramble();
    ASSERT_EQ(DecodeExact(code), 0);
    EXPECT_EQ(Take(), p);
}

TEST(Codec, PicturesThatCannotBeCoded) {
    struct Case {
        const char* name;
        int width, height, colours;
        uint8_t flags;
    } cases[] = {
        {"zero_width", 0, 5, 2, 0},
        {"zero_height", 5, 0, 2, 0},
        {"empty_palette", 4, 4, 0, 0},
        {"true_colour", 4, 4, 2, kPicTrueColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlainPicture p = MakePlain(c.width, c.height, c.colours, [](int, int) { return uint8_t{0}; });
        p.flags = c.flags;
        Load(p);
        EXPECT_EQ(EncodePicture(), kErrCannotCode);
        EXPECT_EQ(DeflatePicture(6), kErrCannotCode);
    }
    // A pixel that points past the palette.
    Load(MakePlain(4, 1, 2, [](int x, int) { return static_cast<uint8_t>(x); }));
    EXPECT_EQ(EncodePicture(), kErrCannotCode);
}

TEST(Codec, DecodingNeedsASize) {
    Load(MakePlain(6, 2, 3, [](int x, int) { return static_cast<uint8_t>(x % 3); }));
    std::vector<uint8_t> code = Encoded();
    for (auto [w, h] : {std::pair{0, 2}, std::pair{6, 0}}) {
        CurPic().Header.Width = static_cast<uint16_t>(w);
        CurPic().Header.Height = static_cast<uint16_t>(h);
        EXPECT_EQ(DecodeExact(code), kErrCodeDamaged);
        EXPECT_EQ(InflatePicture(code.data(), code.size()), kErrZlibForm);
    }
}

TEST(BitCode, EveryTruncationIsRefused) {
    std::mt19937 rng(3);
    PlainPicture p = MakePlain(29, 6, 11, [&](int x, int) { return static_cast<uint8_t>(x < 10 ? 4 : rng() % 11); });
    Load(p);
    std::vector<uint8_t> code = Encoded();
    for (size_t n = 0; n < code.size(); ++n) {
        Load(p);
        std::vector<uint8_t> cut(code.begin(), code.begin() + static_cast<long>(n));
        EXPECT_EQ(DecodePicture(cut.data(), cut.size(), nullptr), kErrCodeDamaged) << n << " bytes";
    }
}

TEST(BitCode, DamagedBytesNeverEscapeTheBuffers) {
    std::mt19937 rng(11);
    PlainPicture p = MakePlain(40, 8, 20, [&](int, int) { return static_cast<uint8_t>(rng() % 20); });
    Load(p);
    std::vector<uint8_t> code = Encoded();
    int refused = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<uint8_t> bad(code);
        bad[rng() % bad.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
        Load(p);
        int32_t r = DecodePicture(bad.data(), bad.size(), nullptr);
        ASSERT_TRUE(r == 0 || r == kErrCodeDamaged) << r;
        refused += r != 0;
        if (r == 0) {
            for (uint8_t v : Take().pixels) ASSERT_LT(v, CurPic().Palette.Count);
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(ZlibForm, DamagedRecordsAreRefused) {
    PlainPicture p = MakePlain(30, 5, 4, [](int x, int y) { return static_cast<uint8_t>((x * y) % 4); });
    Load(p);
    ASSERT_EQ(DeflatePicture(6), 0);
    const std::vector<uint8_t> code(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);

    struct Case {
        const char* name;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases;
    cases.push_back({"count_only", {code[0]}});
    cases.push_back({"last_byte_missing", {code.begin(), code.end() - 1}});
    cases.push_back({"half", {code.begin(), code.begin() + static_cast<long>(code.size() / 2)}});
    std::vector<uint8_t> flipped(code);
    flipped[code.size() / 2] ^= 0x40;
    cases.push_back({"flipped_byte", flipped});
    std::vector<uint8_t> checksum(code);
    checksum.back() ^= 1;
    cases.push_back({"wrong_checksum", checksum});
    std::vector<uint8_t> fewer(code);
    fewer[0] = 3;  // one palette entry less than stored: the stream holds a byte too many
    cases.push_back({"stream_too_long", fewer});
    std::vector<uint8_t> more(code);
    more[0] = 5;
    cases.push_back({"stream_too_short", more});
    std::vector<uint8_t> garbage(code.size(), 0x77);
    cases.push_back({"not_zlib", garbage});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(p);
        std::vector<uint8_t> exact(c.data);
        EXPECT_EQ(InflatePicture(exact.data(), exact.size()), kErrZlibForm);
    }
}

TEST(ZlibForm, LevelsAboveNineAreNine) {
    PlainPicture p = MakePlain(17, 3, 5, [](int x, int) { return static_cast<uint8_t>(x % 5); });
    Load(p);
    ASSERT_EQ(DeflatePicture(9), 0);
    std::vector<uint8_t> nine(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    ASSERT_EQ(DeflatePicture(0x1FF), 0);
    std::vector<uint8_t> high(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    EXPECT_EQ(nine, high);
}

}  // namespace
}  // namespace lvk
