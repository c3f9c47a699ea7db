// The picture cache in memory (modes 0 and 1): opening, finding, selecting, growing,
// emptying and closing, with every data block accounted for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cache/cache.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/memory.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

using testing::Load;
using testing::MakePlain;
using testing::PlainPicture;
using testing::Scramble;
using testing::Take;

size_t LiveBlocksTagged(int32_t tag) {
    size_t n = 0;
    for (const LiveBlock& b : LiveBlocks()) n += b.tag == tag;
    return n;
}

PlainPicture Numbered(int i) {
    return MakePlain(
        7 + i % 5, 3 + i % 4, 2 + i % 30,
        [i](int x, int y) { return static_cast<uint8_t>((x * 3 + y + i) % (2 + i % 30)); },
        static_cast<uint32_t>(i + 1));
}

int32_t Add(const PlainPicture& p, const std::string& name) {
    Load(p, name);
    return AddPictureToCache();
}

class MemoryCache : public ::testing::Test {
protected:
    void SetUp() override { CloseCache(); }
    void TearDown() override {
        CloseCache();
        EXPECT_EQ(LiveBlocksTagged(34038), 0u) << "entry blocks left behind";
        EXPECT_EQ(LiveBlocksTagged(34035), 0u) << "cache block left behind";
    }
};

TEST_F(MemoryCache, OpeningCodes) {
    struct Case {
        const char* name;
        int32_t mode;
        const char* file;
        int32_t want;
    } cases[] = {
        {"mode_0_needs_no_name", 0, nullptr, 0},       {"mode_1_without_name", 1, nullptr, kErrCacheNoName},
        {"mode_1_empty_name", 1, "", kErrCacheNoName}, {"file_mode_empty_name", 3, "", kErrCacheNoName},
        {"upper_bits_ignored", 0x71, "memory", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OpenCache(c.mode, c.file), c.want);
        EXPECT_EQ(CacheIsOpen(), c.want == 0);
        CloseCache();
    }
    const std::string longName(256, 'n');
    EXPECT_EQ(OpenCache(2, longName.c_str()), kErrCacheNameLong);
    EXPECT_EQ(OpenCache(3, longName.c_str()), kErrCacheNameLong);
    EXPECT_FALSE(CacheIsOpen());
}

TEST_F(MemoryCache, PicturesComeBackByName) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    std::vector<int32_t> offsets;
    for (int i = 0; i < 5; ++i) {
        int32_t off = Add(Numbered(i), "pic" + std::to_string(i));
        ASSERT_GT(off, 0);
        EXPECT_EQ(CurPic().HeldEntry, off);
        offsets.push_back(off);
    }
    EXPECT_EQ(offsets[0], 16);
    for (int i = 4; i >= 0; --i) {
        SCOPED_TRACE(i);
        const std::string name = "pic" + std::to_string(i);
        EXPECT_EQ(CacheFind(name.data(), name.size()), offsets[static_cast<size_t>(i)]);
        Scramble();
        ASSERT_EQ(SelectCacheEntry(offsets[static_cast<size_t>(i)]), 0);
        EXPECT_EQ(CurPic().HeldEntry, offsets[static_cast<size_t>(i)]);
        EXPECT_EQ(Take(), Numbered(i));
    }
    // Names are compared byte for byte.
    EXPECT_EQ(CacheFind("PIC1", 4), 0);
    EXPECT_EQ(CacheFind("pic", 3), 0);
}

TEST_F(MemoryCache, OffsetsThatAreNoEntry) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    int32_t a = Add(Numbered(1), "a");
    int32_t b = Add(Numbered(2), "bb");
    for (int32_t off : {-16, 1, 15, a + 1, b + 3, 0x3FF0, 0x7FFFFFFF}) {
        SCOPED_TRACE(off);
        CurPic().HeldEntry = 0;
        EXPECT_EQ(SelectCacheEntry(off), kErrNoEntry);
    }
    EXPECT_EQ(SelectCacheEntry(0), 0) << "0 keeps the current picture";
}

TEST_F(MemoryCache, ReopeningWithTheSameModeAndNameKeepsEntries) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    Add(Numbered(1), "kept");
    EXPECT_EQ(OpenCache(1, "memory"), 0);
    EXPECT_EQ(CacheFind("kept", 4), 16);
    EXPECT_EQ(OpenCache(1, "other"), 0);
    EXPECT_EQ(CacheFind("kept", 4), 0);

    ASSERT_EQ(OpenCache(0, "x"), 0);
    Add(Numbered(2), "zero");
    EXPECT_EQ(OpenCache(0, "whatever"), 0);
    EXPECT_EQ(CacheFind("zero", 4), 16);
}

TEST_F(MemoryCache, BlockGrowsForManyLongNames) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    std::vector<int32_t> offsets;
    for (int i = 0; i < 300; ++i) {
        std::string name(200, 'a' + i % 26);
        name += std::to_string(i);
        int32_t off = Add(Numbered(i), name);
        ASSERT_GT(off, 0) << i;
        offsets.push_back(off);
    }
    EXPECT_GT(offsets.back(), 0x4000);
    for (int i = 0; i < 300; i += 37) {
        Scramble();
        ASSERT_EQ(SelectCacheEntry(offsets[static_cast<size_t>(i)]), 0);
        EXPECT_EQ(Take(), Numbered(i));
    }
    size_t n = 0;
    for (int32_t off = CacheFirstEntry(); off != 0; off = CacheNextEntry(off)) ++n;
    EXPECT_EQ(n, 300u);
}

TEST_F(MemoryCache, CleanCacheEmptiesAMemoryCache) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    int32_t first = Add(Numbered(1), "one");
    Add(Numbered(2), "two");
    EXPECT_EQ(LiveBlocksTagged(34038), 2u);
    CleanCache();
    EXPECT_EQ(LiveBlocksTagged(34038), 0u);
    EXPECT_EQ(CacheFirstEntry(), 0);
    EXPECT_EQ(CurPic().HeldEntry, 0);
    EXPECT_EQ(SelectCacheEntry(first), kErrNoEntry);
    EXPECT_EQ(Add(Numbered(3), "three"), 16) << "the list starts afresh";
}

TEST_F(MemoryCache, FreeCacheReleasesEntryBlocks) {
    EXPECT_EQ(FreeCache(), 0) << "no cache open";
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    for (int i = 0; i < 4; ++i) Add(Numbered(i), "n" + std::to_string(i));
    EXPECT_EQ(LiveBlocksTagged(34038), 4u);
    EXPECT_NE(FreeCache(), 0);
    EXPECT_EQ(LiveBlocksTagged(34038), 0u);
    EXPECT_EQ(CacheFind("n1", 2), 0);
    EXPECT_EQ(Add(Numbered(9), "after"), 16);
    Scramble();
    ASSERT_EQ(SelectCacheEntry(16), 0);
    EXPECT_EQ(Take(), Numbered(9));
}

TEST_F(MemoryCache, CloseWithoutCacheDoesNothing) {
    EXPECT_EQ(CloseCache(), 0);
    CleanCache();
    EXPECT_FALSE(CacheIsOpen());
    EXPECT_EQ(CacheFind("x", 1), 0);
    EXPECT_EQ(CacheFirstEntry(), 0);
}

TEST_F(MemoryCache, OnlyPalettePicturesAreCached) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    PlainPicture p = Numbered(1);
    p.flags = kPicTrueColour;
    EXPECT_EQ(Add(p, "true colour"), kErrCannotCode);
    EXPECT_EQ(Add(MakePlain(0, 4, 2, [](int, int) { return uint8_t{0}; }), "empty"), kErrCannotCode);
    EXPECT_EQ(CacheFirstEntry(), 0) << "nothing was added";
}

TEST_F(MemoryCache, EntryKeepsFlagsAndTransparency) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    PlainPicture p = Numbered(4);
    p.flags = kPicTransparent | kPicMarkerZero | kPicZlib;
    p.transparent = 3;
    int32_t off = Add(p, "flags");
    CacheEntry e;
    ASSERT_EQ(CacheEntryAt(off, &e), 0);
    EXPECT_EQ(e.Flags, p.flags | kPicOwnBlock);
    EXPECT_EQ(e.TransparentIndex, 3);
    EXPECT_EQ(std::string(e.Name, e.NameLength), "flags");
    EXPECT_EQ(e.Width, p.width);
    EXPECT_EQ(e.Height, p.height);
}

}  // namespace
}  // namespace lvk
