#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/engine_state.h"
#include "engine/pictures/piclib.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/scratch_dir.h"

namespace lvk {
namespace {

// A palette picture in the current picture: width x height, pixels from a seed.
void MakePicture(int width, int height, int colours, int seed, uint8_t flags = 0) {
    CurrentPicture& p = CurPic();
    p.Header.Width = static_cast<uint16_t>(width);
    p.Header.Height = static_cast<uint16_t>(height);
    p.Header.Flags = flags;
    p.Header.TransparentIndex = static_cast<uint8_t>(colours - 1);
    p.HeldEntry = 0;
    for (int i = 0; i < 256; ++i) p.Palette.Entries[i] = PaletteEntry{};
    for (int i = 0; i < colours; ++i)
        p.Palette.Entries[i] = PaletteEntry{static_cast<uint8_t>(i * 40 + seed), static_cast<uint8_t>(i * 7),
                                            static_cast<uint8_t>(255 - i), 0};
    p.Palette.Count = static_cast<uint16_t>(colours);
    ASSERT_EQ(GrowPictureBuffer(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.Row(y)[x] = static_cast<uint8_t>(((x / 3) + y * seed) % colours);
}

struct Plain {
    int width, height, flags, transparent;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;
    bool operator==(const Plain&) const = default;
};

Plain Current() {
    const CurrentPicture& c = CurPic();
    Plain s{c.Header.Width, c.Header.Height, c.Header.Flags & 0x03, c.Header.TransparentIndex, {}, {}};
    for (int y = 0; y < s.height; ++y) s.pixels.insert(s.pixels.end(), c.Row(y), c.Row(y) + s.width);
    for (int i = 0; i < c.Palette.Count; ++i) {
        const PaletteEntry& e = c.Palette.Entries[i];
        s.palette.push_back((uint32_t{e.Red} << 16) | (e.Green << 8) | e.Blue);
    }
    return s;
}

std::string Listing(const std::string& file, int32_t size = 4096, int32_t* result = nullptr) {
    std::vector<char> buffer(static_cast<size_t>(std::max(size, 1)));
    int32_t r = ListTrLibNames(file.c_str(), buffer.data(), size);
    if (result != nullptr) *result = r;
    return r >= 0 ? std::string(buffer.data(), static_cast<size_t>(r)) : "error " + std::to_string(r);
}

std::vector<uint8_t> Bytes(const std::string& file) {
    std::vector<uint8_t> out;
    EXPECT_EQ(ReadWholeFile(file.c_str(), out), 0);
    return out;
}

void Write(const std::string& file, const std::vector<uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class PictureLibrary : public ::testing::Test {
protected:
    void SetUp() override { BindShared(&shared_, nullptr); }
    void TearDown() override {
        CloseTrLib();
        BindShared(nullptr, nullptr);
    }
    std::string File(const char* name = "pics.tpl") const { return dir_.File(name); }

    SharedState shared_;
    testutil::ScratchDir dir_;
};

TEST_F(PictureLibrary, WrittenListedAndReadBack) {
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        shared_.LibZlibLevel = static_cast<uint8_t>(level);
        ASSERT_EQ(CreateTrLib(File().c_str()), 0);
        MakePicture(37, 11, 5, 3, kPicTransparent);
        const Plain a = Current();
        int32_t at = -1;
        ASSERT_EQ(WriteTrLib("A", &at, 0), 0);
        EXPECT_EQ(at, 4);
        const uint32_t lengthA = CurPic().LastLength;
        MakePicture(8, 30, 200, 7);
        const Plain b = Current();
        ASSERT_EQ(WriteTrLib("B", &at, 0), 0);
        const int32_t atB = 4 + 16 + 2 + static_cast<int32_t>(lengthA);
        EXPECT_EQ(at, atB);
        ASSERT_EQ(CloseTrLib(), 0);

        EXPECT_EQ(Listing(File()), "A:4;B:" + std::to_string(atB) + ";");
        ASSERT_EQ(ReadTrLibPicture(File().c_str(), 4), 0);
        EXPECT_EQ(Current(), a);
        EXPECT_EQ(CurPic().LastLength, lengthA);
        EXPECT_EQ((CurPic().Header.Flags & kPicZlib) != 0, level != 0);
        ASSERT_EQ(ReadTrLibPicture(File().c_str(), atB), 0);
        EXPECT_EQ(Current(), b);
    }
}

TEST_F(PictureLibrary, CodeLengthCountsHeaderNameAndCode) {
    MakePicture(20, 4, 3, 1);
    ASSERT_EQ(EncodePicture(), 0);
    const int32_t coded = static_cast<int32_t>(CurPic().CodeLength);
    EXPECT_EQ(GetCodeLength("AB"), 16 + 3 + coded);
    EXPECT_EQ(GetCodeLength(""), 16 + 10 + coded);
    EXPECT_EQ(GetCodeLength(nullptr), 16 + 10 + coded);
}

TEST_F(PictureLibrary, AppendingToAnEmptyLibraryStartsAtFour) {
    Write(File(), {'T', 'P', 'L', '1'});
    ASSERT_EQ(AppendTrLib(File().c_str()), 0);
    MakePicture(5, 5, 2, 1);
    int32_t at = 0;
    ASSERT_EQ(WriteTrLib("X", &at, 0), 0);
    EXPECT_EQ(at, 4);
    ASSERT_EQ(CloseTrLib(), 0);
    ASSERT_EQ(AppendTrLib(File().c_str()), 0);
    ASSERT_EQ(WriteTrLib("Y", &at, 0), 0);
    CloseTrLib();
    EXPECT_EQ(Listing(File()), "X:4;Y:" + std::to_string(at) + ";");
}

TEST_F(PictureLibrary, UpdateReplacesInPlaceWhenTheCodeFits) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    MakePicture(40, 20, 9, 5);
    int32_t at = 0;
    ASSERT_EQ(WriteTrLib("LOCO", &at, 0), 0);
    ASSERT_EQ(CloseTrLib(), 0);

    ASSERT_EQ(AppendTrLib(File().c_str()), 0);
    MakePicture(40, 20, 2, 1);  // fewer colours, longer runs: a shorter code
    const Plain small = Current();
    ASSERT_EQ(UpdateTrLib("LOCO", &at, 0), 0);
    EXPECT_EQ(at, 4);
    EXPECT_EQ(Listing(File()), "LOCO:4;");
    ASSERT_EQ(ReadTrLibPicture(File().c_str(), 4), 0);
    EXPECT_EQ(Current(), small);

    MakePicture(60, 30, 40, 3);  // a longer code: appended, the old record stays
    const Plain large = Current();
    ASSERT_EQ(UpdateTrLib("LOCO", &at, 0), 0);
    EXPECT_GT(at, 4);
    CloseTrLib();
    EXPECT_EQ(Listing(File()), "LOCO:4;LOCO:" + std::to_string(at) + ";");
    ASSERT_EQ(ReadTrLibPicture(File().c_str(), at), 0);
    EXPECT_EQ(Current(), large);
}

TEST_F(PictureLibrary, UpdateOfACreatedLibraryWithRecordsCannotRead) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    MakePicture(4, 4, 2, 1);
    int32_t at = 0;
    ASSERT_EQ(UpdateTrLib("A", &at, 0), 0);  // nothing to read yet: appended
    EXPECT_EQ(UpdateTrLib("A", &at, 0), kErrLibUpdateHeader);
    EXPECT_EQ(WriteTrLib("B", &at, 0), kErrLibNotOpen);  // the failure closed it
}

TEST_F(PictureLibrary, DeadRecordsAreSkippedAndNotRead) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    MakePicture(6, 6, 3, 2);
    int32_t at = 0;
    ASSERT_EQ(WriteTrLib("A", &at, 0), 0);
    ASSERT_EQ(WriteTrLib("B", &at, 0), 0);
    CloseTrLib();
    std::vector<uint8_t> f = Bytes(File());
    // Dead: bit 30 set, and the whole record counted in its data length.
    const uint32_t span = static_cast<uint32_t>(at - 4);
    PutLe32(&f[4], 4 | 0x40000000);
    PutLe32(&f[12], span);
    Write(File(), f);
    EXPECT_EQ(Listing(File()), "B:" + std::to_string(at) + ";");
    EXPECT_EQ(ReadTrLibPicture(File().c_str(), 4), kErrReadOwnOffset);
    EXPECT_EQ(AppendTrLib(File().c_str()), 0);
}

TEST_F(PictureLibrary, ListingNeedsRoomForTheLongestEntry) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    MakePicture(3, 3, 2, 1);
    ASSERT_EQ(WriteTrLib("NAME", nullptr, 0), 0);
    CloseTrLib();
    int32_t r = 0;
    Listing(File(), 266 + 4, &r);
    EXPECT_EQ(r, kErrListFull);
    EXPECT_EQ(Listing(File(), 266 + 5), "NAME:4;");
    Listing(File(), 0, &r);
    EXPECT_EQ(r, kErrListFull);
}

TEST_F(PictureLibrary, DamagedLibrariesAreRefused) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    MakePicture(9, 9, 4, 2);
    int32_t at = 0;
    ASSERT_EQ(WriteTrLib("A", &at, 0), 0);
    ASSERT_EQ(WriteTrLib("B", &at, 0), 0);
    CloseTrLib();
    const std::vector<uint8_t> good = Bytes(File());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t append, list, readA;
    };
    auto patched = [&](size_t pos, uint32_t v) {
        std::vector<uint8_t> b = good;
        PutLe32(&b[pos], v);
        return b;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)); };
    std::vector<uint8_t> zeroDead = cut(4);
    zeroDead.insert(zeroDead.end(), {4, 0, 0, 0x40, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 16, 2});
    std::vector<uint8_t> badMagic = good;
    badMagic[2] = 'X';
    std::vector<uint8_t> noHeaderLength = good;
    noHeaderLength[4 + 14] = 0;
    const Case cases[] = {
        {"zero-length dead record", zeroDead, kErrLibRecordLengths, kErrListRecordLengths, kErrReadOwnOffset},
        {"header length 0", noHeaderLength, kErrLibRecordLengths, kErrListRecordLengths, kErrReadRecord},
        {"own offset wrong", patched(4, 8), kErrLibOwnOffset, kErrListOwnOffset, kErrReadOwnOffset},
        {"data length past the end", patched(4 + 8, 0x7FFFFFF0), kErrLibHeader, kErrListRead, kErrReadRecord},
        {"second record cut", cut(good.size() - 3), kErrLibHeader, kErrListRead, 0},
        {"second header cut", cut(static_cast<size_t>(at) + 10), kErrLibHeader, kErrListRead, 0},
        {"magic wrong", badMagic, kErrLibMagic, kErrListMagic, 0},
        {"magic cut", cut(3), kErrLibOpen, kErrListMagicRead, kErrReadHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(File(), c.bytes);
        EXPECT_EQ(AppendTrLib(File().c_str()), c.append);
        EXPECT_EQ(WriteTrLib("C", nullptr, 0), c.append == 0 ? 0 : kErrLibNotOpen);
        CloseTrLib();
        int32_t r = 0;
        Listing(File(), 4096, &r);
        EXPECT_EQ(r, c.list);
        EXPECT_EQ(ReadTrLibPicture(File().c_str(), 4), c.readA);
    }
    EXPECT_EQ(ReadTrLibPicture(dir_.File("missing").c_str(), 4), -(13000 + ENOENT));
    EXPECT_EQ(AppendTrLib(dir_.File("missing").c_str()), kErrLibOpen);
    EXPECT_EQ(Listing(dir_.File("missing")), "error " + std::to_string(kErrListOpen));
}

TEST_F(PictureLibrary, RecordsStopBeforeOneGibibyte) {
    // A dead record spanning up to 1 GiB, in a sparse file: the next record would start
    // where its own offset can no longer be told from the dead mark.
    std::vector<uint8_t> head = {'T', 'P', 'L', '1', 4, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 1};
    PutLe32(&head[12], static_cast<uint32_t>(kLibOffsetLimit - 4));
    Write(File(), head);
    ASSERT_EQ(::truncate(File().c_str(), static_cast<off_t>(kLibOffsetLimit)), 0);
    ASSERT_EQ(AppendTrLib(File().c_str()), 0);
    MakePicture(3, 3, 2, 1);
    EXPECT_EQ(WriteTrLib("LATE", nullptr, 0), kErrLibFull);
    EXPECT_EQ(std::ifstream(File(), std::ios::ate | std::ios::binary).tellg(),
              static_cast<std::streamoff>(kLibOffsetLimit));
}

int OpenFiles() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d) != nullptr) ++n;
        ::closedir(d);
    }
    return n;
}

TEST_F(PictureLibrary, OpeningAgainClosesTheOpenLibrary) {
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    const int open = OpenFiles();
    ASSERT_EQ(CreateTrLib(File("other.tpl").c_str()), 0);
    ASSERT_EQ(AppendTrLib(File().c_str()), 0);
    EXPECT_EQ(OpenFiles(), open);
}

TEST_F(PictureLibrary, WritesRefuseWhatCannotBeStored) {
    MakePicture(3, 3, 2, 1);
    EXPECT_EQ(WriteTrLib("A", nullptr, 0), kErrLibNotOpen);
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    const std::string longName(255, 'N');
    EXPECT_EQ(WriteTrLib(longName.c_str(), nullptr, 0), kErrLibNameLong);
    ASSERT_EQ(CreateTrLib(File().c_str()), 0);
    EXPECT_EQ(WriteTrLib(std::string(254, 'N').c_str(), nullptr, 0), 0);
    MakePicture(3, 3, 2, 1, kPicTrueColour);
    EXPECT_EQ(WriteTrLib("TRUE", nullptr, 0), kErrCannotCode);
    EXPECT_EQ(WriteTrLib("TRUE", nullptr, 0), kErrLibNotOpen);
    EXPECT_EQ(CreateTrLib(dir_.File("no/such/folder/x.tpl").c_str()), kErrLibCreate);
}

}  // namespace
}  // namespace lvk
