// LookPicture through the loader thread: every source of the picture-name syntax, the
// cache by whole name, the load flags, and the codes of names and sources it refuses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/loader.h"
#include "engine/pictures/piclib.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/resource.h"
#include "loader_fixture.h"
#include "picture_fixture.h"
#include "platform/scratch_dir.h"

namespace lvk {
namespace {

namespace fs = std::filesystem;
using loadertest::BoundEngine;
using loadertest::kBmpDir;
using loadertest::kGifDir;
using loadertest::kResDir;
using loadertest::Look;
using loadertest::Looked;
using testing::PlainPicture;
using testing::Take;

// What a direct decode gives once its palette is reduced the way the loader reduces it.
PlainPicture Reduced(int32_t decodeResult) {
    EXPECT_EQ(decodeResult, 0);
    EXPECT_EQ(ReducePalette(0), 0);
    return Take();
}

// The picture a cache entry holds.
PlainPicture Entry(int32_t offset) {
    EXPECT_EQ(SelectCacheEntry(offset), 0);
    return Take();
}

class Loading : public BoundEngine {
protected:
    testutil::ScratchDir dir_;
};

struct SourceCase {
    const char* label;
    std::string name;                    // as looked up (after the fixture's set-up)
    std::function<int32_t()> reference;  // the same picture decoded directly
    LvHandle module = 0;
    bool reduced = true;  // library records keep the palette they were stored with
};

TEST_F(Loading, EverySourceLoadsOnceAndIsThenFoundByItsWholeName) {
    // A library record and a resource module of our own fixtures.
    ASSERT_EQ(LoadBmpFile((kResDir + "wagon.bmp").c_str()), 0);
    const std::string lib = dir_.File("pics.tpl");
    int32_t record = 0;
    ASSERT_EQ(CreateTrLib(lib.c_str()), 0);
    ASSERT_EQ(WriteTrLib("WAGON", &record, 0), 0);
    ASSERT_EQ(CloseTrLib(), 0);
    LvHandle module = 0;
    ASSERT_EQ(OpenLib32((kResDir + "pics32.dll").c_str(), &module), 0);
    fs::copy_file(kBmpDir + "pal8.bmp", dir_.File("pal8.dib"));

    const std::string ne = kResDir + "pics16.exe";
    const SourceCase cases[] = {
        {"gif", kGifDir + "hat.gif", [] { return LoadGifPicture((kGifDir + "hat.gif").c_str()); }},
        {"bmp", kBmpDir + "pal8.bmp", [] { return LoadBmpPicture((kBmpDir + "pal8.bmp").c_str()); }},
        {"dib", dir_.File("pal8.dib"), [] { return LoadBmpPicture((kBmpDir + "pal8.bmp").c_str()); }},
        {"ne bitmap", ne + "|5", [ne] { return ReadNeBitmap(ne.c_str(), 5); }},
        {"library record", lib + "?" + std::to_string(record),
         [lib, record] { return ReadTrLibPicture(lib.c_str(), record); }, 0, false},
        {"dll bitmap", "X;WAGON", [module] { return LoadDllBitmap(module, "WAGON"); }, module},
    };
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.label);
        const int32_t decoded = c.reference();
        const PlainPicture want = c.reduced ? Reduced(decoded) : Take();
        const Looked first = Look(c.name, 0, c.module);
        ASSERT_EQ(first.result, 1);
        EXPECT_EQ(first.width, want.width);
        EXPECT_EQ(first.height, want.height);
        ASSERT_GT(first.offset, 0);
        EXPECT_EQ(Take(), want) << "the loaded picture stays current";

        const Looked again = Look(c.name, 0, c.module);
        EXPECT_EQ(again.result, 0);
        EXPECT_EQ(again.offset, first.offset);
        EXPECT_EQ(again.width, first.width);
        EXPECT_EQ(again.height, first.height);
        EXPECT_EQ(GetLastLength(), 0) << "a cache hit decodes nothing";
        EXPECT_EQ(Entry(first.offset), want);
    }
    CloseLib32(module);
}

TEST_F(Loading, SpellingsOfOneFileMakeEntriesOfTheirOwn) {
    fs::create_directories(dir_.File("Pics"));
    fs::copy_file(kGifDir + "hat.gif", dir_.File("Pics/Loco.gif"));
    const std::string before = fs::current_path();
    ASSERT_EQ(::chdir(dir_.Path().c_str()), 0);
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    const Looked upper = Look("C:\\PICS\\LOCO.GIF");
    const Looked lower = Look("c:\\pics\\loco.gif");
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(upper.result, 1);
    EXPECT_EQ(lower.result, 1) << "the cache compares names byte for byte";
    EXPECT_NE(upper.offset, lower.offset);
    EXPECT_EQ(Entry(upper.offset), Entry(lower.offset));
}

TEST_F(Loading, OneModuleBitmapUnderTwoNamesMakesTwoEntries) {
    LvHandle module = 0;
    ASSERT_EQ(OpenLib32((kResDir + "pics32.dll").c_str(), &module), 0);
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    const Looked x = Look("X;WAGON", 0, module);
    const Looked y = Look("Y;WAGON", 0, module);
    EXPECT_EQ(x.result, 1);
    EXPECT_EQ(y.result, 1);
    EXPECT_NE(x.offset, y.offset);
    EXPECT_EQ(Entry(x.offset), Entry(y.offset));
    CloseLib32(module);
}

TEST_F(Loading, AnNeNameWithoutDigitsAsksForBitmapZero) {
    const std::string ne = kResDir + "pics16.exe";
    const int32_t direct = ReadNeBitmap(ne.c_str(), 0);
    EXPECT_EQ(Look(ne + "|").result, direct);
}

TEST_F(Loading, NamesUpTo255CharactersAreAccepted) {
    fs::copy_file(kGifDir + "muybridge.gif", dir_.File("m.gif"));
    // "./" steps pad the name to the exact length without changing the file.
    std::string padded = dir_.Path() + "/";
    if ((255 - padded.size() - 5) % 2 != 0) padded += "/";
    while (padded.size() + 5 < 255) padded += "./";
    padded += "m.gif";
    ASSERT_EQ(padded.size(), 255u);
    EXPECT_EQ(Look(padded).result, 1);
    EXPECT_EQ(Look(padded + "x").result, kErrNameLong);
    EXPECT_EQ(Look("").result, kErrNoName);
    int16_t w = 0, h = 0;
    int32_t off = 0;
    EXPECT_EQ(LookPicture(nullptr, 0, &w, &h, &off, 0), kErrNoName);
}

TEST_F(Loading, CacheModeZeroCachesOnlyWhenAsked) {
    ASSERT_EQ(OpenCache(0, nullptr), 0);
    const std::string hat = kGifDir + "hat.gif";
    const Looked plain = Look(hat);
    EXPECT_EQ(plain.result, 1);
    EXPECT_EQ(plain.offset, 0);
    EXPECT_EQ(Look(hat).result, 1) << "loaded again: it was not cached";

    const Looked asked = Look(hat, kLoadCacheAlways);
    EXPECT_EQ(asked.result, 1);
    EXPECT_GT(asked.offset, 0);
    const Looked found = Look(hat);
    EXPECT_EQ(found.result, 0);
    EXPECT_EQ(found.offset, asked.offset);
}

TEST_F(Loading, TrueColourPicturesAreNeverCached) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(OpenCache(mode, "memory"), 0);
        const Looked l = Look(kBmpDir + "rgb24.bmp", kLoadCacheAlways);
        EXPECT_EQ(l.result, 1);
        EXPECT_EQ(l.offset, 0);
        EXPECT_TRUE(CurPic().TrueColour());
        CloseCache();
    }
    const Looked none = Look(kBmpDir + "rgb24.bmp");
    EXPECT_EQ(none.result, 1) << "without a cache every picture is loaded";
    EXPECT_EQ(none.offset, 0);
}

TEST_F(Loading, LoadFlagsChooseTheTransparentIndex) {
    // Index 2 is the magenta that flag 0x10 looks for; the top-left pixel is index 1.
    const std::string file = dir_.File("keyed.bmp");
    loadertest::WriteBmp8(file, {0x102030, 0x405060, 0xF300F3, 0x708090}, {{1, 2, 3, 0}, {0, 2, 2, 3}});
    struct FlagCase {
        int32_t flags;
        bool transparent;
        uint8_t index;  // in the reduced palette
    } const cases[] = {
        {0, false, 0},
        {kLoadMagentaTransparent, true, 2},
        {kLoadCornerTransparent, true, 1},
        {kLoadCornerTransparent | kLoadMagentaTransparent, true, 1},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_EQ(Look(file, c.flags).result, 1);
        const CurrentPicture& p = CurPic();
        EXPECT_EQ((p.Header.Flags & kPicTransparent) != 0, c.transparent);
        if (c.transparent) {
            EXPECT_EQ(p.Header.TransparentIndex, c.index);
            EXPECT_EQ(p.Palette.Entries[c.index].Red, c.index == 2 ? 243 : 0x40);
        }
    }
}

TEST_F(Loading, ANameOfNoKnownSourceIsRefusedAndChangesNothing) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    const Looked hat = Look(kGifDir + "hat.gif");
    ASSERT_EQ(hat.result, 1);
    const PlainPicture before = Take();
    for (const char* name : {"loco.png", "gif", "LOCO"}) {
        SCOPED_TRACE(name);
        const Looked l = Look(name);
        EXPECT_EQ(l.result, kErrUnknownSource);
        EXPECT_EQ(CacheFind(name, std::strlen(name)), 0) << "nothing cached under the name";
    }
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(CurPic().HeldEntry, hat.offset);
}

TEST_F(Loading, ReaderFailuresPassThroughUnchanged) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    const std::string broken = dir_.File("broken.gif");
    std::ofstream(broken) << "GIF89a";
    const struct {
        std::string name;
        int32_t code;
    } cases[] = {
        {dir_.File("missing.gif"), kErrGifOpen},
        {dir_.File("missing.bmp"), kErrBmpOpen},
        {broken, LoadGifPicture(broken.c_str())},
        {dir_.File("missing.tpl") + "?0", ReadTrLibPicture(dir_.File("missing.tpl").c_str(), 0)},
        {"X;WAGON", LoadDllBitmap(0, "WAGON")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.code, 0);
        const Looked l = Look(c.name);
        EXPECT_EQ(l.result, c.code);
        EXPECT_EQ(CacheFind(c.name.data(), c.name.size()), 0);
    }
    Look(broken);
    EXPECT_EQ(GetLastLength(), 0) << "a failed GIF read leaves no length";
}

TEST_F(Loading, TheLastLengthIsThatOfTheFileRead) {
    const std::string bmp = kBmpDir + "pal8.bmp";
    ASSERT_EQ(Look(bmp).result, 1);
    EXPECT_EQ(GetLastLength(), static_cast<int32_t>(fs::file_size(bmp)));
}

}  // namespace
}  // namespace lvk
