// The picture cache in a mapped file: creating and resetting files, keeping pictures
// across opens and processes, growing the entry area, mode 2 leaving its file alone,
// and damaged files refused without being touched.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/cache/cache.h"
#include "engine/cache/cache_image.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

namespace fs = std::filesystem;
using testing::Load;
using testing::MakePlain;
using testing::PlainPicture;
using testing::Scramble;
using testing::Take;

constexpr size_t MiB = 0x100000;

PlainPicture Numbered(int i, int size = 0) {
    const int colours = 2 + i % 40;
    return MakePlain(
        size ? size : 5 + i % 9, size ? size : 2 + i % 6, colours,
        [i, colours](int x, int y) { return static_cast<uint8_t>((x / 2 + y * 5 + i) % colours); },
        static_cast<uint32_t>(i + 100));
}

PlainPicture Noise(int i, int size) {
    uint32_t state = static_cast<uint32_t>(i) * 2654435761u + 1;
    return MakePlain(size, size, 256, [&state](int, int) {
        state = state * 1103515245u + 12345u;
        return static_cast<uint8_t>(state >> 16);
    });
}

int32_t Add(const PlainPicture& p, const std::string& name) {
    Load(p, name);
    return AddPictureToCache();
}

// Selects the entry of that name and compares it with the picture.
::testing::AssertionResult Holds(const std::string& name, const PlainPicture& want) {
    int32_t off = CacheFind(name.data(), name.size());
    if (off == 0) return ::testing::AssertionFailure() << name << " not found";
    Scramble();
    if (int32_t r = SelectCacheEntry(off); r != 0) return ::testing::AssertionFailure() << name << ": " << r;
    if (!(Take() == want)) return ::testing::AssertionFailure() << name << " differs";
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs body in a child process; its result is the child's exit status (0 = all good).
int InChild(const std::function<int()>& body) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
}

class FileCache : public ::testing::Test {
protected:
    void SetUp() override {
        CloseCache();
        dir_ = fs::temp_directory_path() / ("yov-cache-test-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / "pictures.tca").string();
    }
    void TearDown() override {
        CloseCache();
        fs::remove_all(dir_);
    }

    // A closed cache file holding Numbered(0..n-1) under "p0".."p(n-1)".
    void MakeFile(int n) {
        ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
        for (int i = 0; i < n; ++i) ASSERT_GT(Add(Numbered(i), "p" + std::to_string(i)), 0);
        CloseCache();
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(FileCache, MissingFileBecomesAnEmptyCacheOfOneMiB) {
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    EXPECT_EQ(fs::file_size(file_), MiB);
    CloseCache();
    std::vector<uint8_t> bytes = ReadAll(file_);
    ASSERT_EQ(bytes.size(), MiB);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TCA2");
    EXPECT_EQ(Le32(&bytes[4]), 16u);
    EXPECT_EQ(Le32(&bytes[8]), 0x4000u);
    EXPECT_EQ(Le32(&bytes[12]), 0x4000u);
    EXPECT_EQ(bytes[30], 0);
}

TEST_F(FileCache, ANameSpelledAsOnWindowsIsMadeInItsFolder) {
    fs::create_directories(dir_ / "Stock");
    // A stock file names its cache with "\" and in capitals; the folder exists as "Stock".
    const std::string windowsName = (dir_ / "STOCK").string() + "\\DEMO.TCA";
    ASSERT_EQ(OpenCache(3, windowsName.c_str()), 0);
    EXPECT_GT(Add(Numbered(1), "p"), 0);
    CloseCache();
    EXPECT_TRUE(fs::exists(dir_ / "Stock" / "DEMO.TCA"));
    EXPECT_FALSE(fs::exists(windowsName)) << "no file named with a backslash";
    ASSERT_EQ(OpenCache(2, ((dir_ / "stock").string() + "\\demo.tca").c_str()), 0) << "read back in any case";
    EXPECT_NE(CacheFirstEntry(), 0);
    CloseCache();
    EXPECT_LT(OpenCache(3, (dir_ / "nowhere\\x.tca").string().c_str()), 0) << "a folder that does not exist";
}

TEST_F(FileCache, OtherFilesAreResetToAnEmptyCache) {
    for (const char* content : {"", "TCA", "TCA1 and more bytes than a header", "GIF89a......................"}) {
        SCOPED_TRACE(content);
        WriteAll(file_, std::vector<uint8_t>(content, content + std::strlen(content)));
        ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
        EXPECT_EQ(CacheFirstEntry(), 0);
        EXPECT_GT(Add(Numbered(1), "new"), 0);
        CloseCache();
        std::vector<uint8_t> bytes = ReadAll(file_);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TCA2");
    }
}

TEST_F(FileCache, PicturesSurviveReopening) {
    MakeFile(6);
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    for (int i = 5; i >= 0; --i) EXPECT_TRUE(Holds("p" + std::to_string(i), Numbered(i)));
    ASSERT_GT(Add(Numbered(6), "p6"), 0);
    CloseCache();
    ASSERT_EQ(OpenCache(4, file_.c_str()), 0);
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(Holds("p" + std::to_string(i), Numbered(i)));
}

TEST_F(FileCache, WrittenByOneProcessReadByAnother) {
    const std::string file = file_;
    int status = InChild([&] {
        if (OpenCache(3, file.c_str()) != 0) return 1;
        for (int i = 0; i < 20; ++i)
            if (Add(Numbered(i, 30 + i), "child" + std::to_string(i)) <= 0) return 2;
        CloseCache();
        return 0;
    });
    ASSERT_EQ(status, 0);
    for (int mode : {2, 3}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(OpenCache(mode, file_.c_str()), 0);
        for (int i = 0; i < 20; ++i) EXPECT_TRUE(Holds("child" + std::to_string(i), Numbered(i, 30 + i)));
        CloseCache();
    }
}

TEST_F(FileCache, OneWriterAtATime) {
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    Add(Numbered(1), "p1");
    const std::string file = file_;
    int status = InChild([&] {
        CloseCache();  // the parent's cache, inherited: not this process's business
        if (OpenCache(3, file.c_str()) != -EWOULDBLOCK - 60000) return 1;
        return 0;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(FileCache, EndOfDataRoundsTheMappingUpToWholeMiB) {
    std::vector<uint8_t> bytes(MiB * 5 / 2, 0);
    std::memcpy(bytes.data(), "TCA2", 4);
    PutLe32(&bytes[4], 16);
    PutLe32(&bytes[8], 0x4000);
    PutLe32(&bytes[12], static_cast<uint32_t>(MiB * 5 / 2));
    WriteAll(file_, bytes);
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    size_t mapped = 0;
    ASSERT_NE(CacheMappedImage(&mapped), nullptr);
    EXPECT_EQ(mapped, 3 * MiB);
    EXPECT_EQ(fs::file_size(file_), 3 * MiB);
}

TEST_F(FileCache, DataAreaGrowsByMappingMore) {
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    for (int i = 0; i < 40; ++i) ASSERT_GT(Add(Noise(i, 200), "noise" + std::to_string(i)), 0) << i;
    size_t mapped = 0;
    CacheMappedImage(&mapped);
    EXPECT_GT(mapped, MiB);
    EXPECT_EQ(mapped % MiB, 0u);
    for (int i = 0; i < 40; i += 7) EXPECT_TRUE(Holds("noise" + std::to_string(i), Noise(i, 200)));
}

TEST_F(FileCache, FullEntryAreaMovesTheFirstPictureToTheEnd) {
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    auto name = [](int i) { return std::string(240, 'x') + std::to_string(i); };
    // The first picture is large enough to make room for one more entry by itself.
    auto picture = [](int i) { return i == 0 ? Noise(0, 40) : Numbered(i); };
    ASSERT_EQ(Add(picture(0), name(0)), 16);
    const uint32_t firstLength = Le32(CacheMappedImage(nullptr) + 16 + kEntLength);
    int i = 1;
    for (;; ++i) {
        const uint8_t* image = CacheMappedImage(nullptr);
        const uint32_t areaEnd = Le32(image + 8), dataEnd = Le32(image + 12);
        const bool fits = Le32(image + 4) + 16 + name(i).size() + 16 <= areaEnd;
        ASSERT_GT(Add(picture(i), name(i)), 0);
        if (!fits) {
            image = CacheMappedImage(nullptr);
            EXPECT_EQ(areaEnd, 0x4000u);
            EXPECT_EQ(Le32(image + 16 + kEntLocation), dataEnd);
            EXPECT_EQ(Le32(image + 8), areaEnd + firstLength);
            break;
        }
        ASSERT_LT(i, 200);
    }
    CloseCache();
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    for (int k = 0; k <= i; ++k) EXPECT_TRUE(Holds(name(k), picture(k))) << k;
}

TEST_F(FileCache, ModeTwoReadsTheFileAndLeavesItAlone) {
    MakeFile(5);
    const std::vector<uint8_t> before = ReadAll(file_);
    ASSERT_EQ(OpenCache(2, file_.c_str()), 0);
    EXPECT_TRUE(Holds("p3", Numbered(3)));
    ASSERT_GT(Add(Numbered(10), "m10"), 0);
    ASSERT_GT(Add(Numbered(11), "m11"), 0);
    EXPECT_TRUE(Holds("m10", Numbered(10)));
    CleanCache();
    size_t n = 0;
    for (int32_t off = CacheFirstEntry(); off != 0; off = CacheNextEntry(off)) ++n;
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(CacheFind("m10", 3), 0);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Holds("p" + std::to_string(i), Numbered(i)));
    CloseCache();
    EXPECT_EQ(ReadAll(file_), before);
}

TEST_F(FileCache, ModeTwoOnOtherFiles) {
    EXPECT_EQ(OpenCache(2, file_.c_str()), -ENOENT - 60000);
    EXPECT_FALSE(fs::exists(file_)) << "mode 2 creates nothing";
    const std::vector<uint8_t> notACache = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (const auto& content : {std::vector<uint8_t>{}, notACache}) {
        WriteAll(file_, content);
        ASSERT_EQ(OpenCache(2, file_.c_str()), 0);
        EXPECT_EQ(CacheFirstEntry(), 0);
        ASSERT_GT(Add(Numbered(2), "in memory"), 0);
        EXPECT_TRUE(Holds("in memory", Numbered(2)));
        CloseCache();
        EXPECT_EQ(ReadAll(file_), content);
    }
}

TEST_F(FileCache, FreeCacheEmptiesTheFile) {
    MakeFile(3);
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    EXPECT_NE(FreeCache(), 0);
    EXPECT_EQ(CacheFind("p1", 2), 0);
    CloseCache();
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    EXPECT_EQ(CacheFirstEntry(), 0);
    ASSERT_EQ(Add(Numbered(7), "again"), 16);
    EXPECT_TRUE(Holds("again", Numbered(7)));
}

// Damaged files, each made from a good file of three pictures. Every one is refused in
// both file modes and stays byte for byte as it was.
TEST_F(FileCache, DamagedFilesAreRefusedAndKept) {
    MakeFile(3);
    const std::vector<uint8_t> good = ReadAll(file_);
    const uint32_t listEnd = Le32(&good[4]), areaEnd = Le32(&good[8]), dataEnd = Le32(&good[12]);
    const uint32_t e0 = 16, e1 = 16 + 16 + 2;
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        int32_t want;
    } cases[] = {
        {"list_end_inside_header", [](auto& b) { PutLe32(&b[4], 8); }, kErrCacheHeader},
        {"list_end_at_area_end", [&](auto& b) { PutLe32(&b[4], areaEnd); }, kErrCacheHeader},
        {"area_end_past_data_end", [&](auto& b) { PutLe32(&b[8], dataEnd + 1); }, kErrCacheHeader},
        {"data_end_past_the_file", [&](auto& b) { PutLe32(&b[12], static_cast<uint32_t>(b.size()) + 1); },
         kErrCacheHeader},
        {"data_end_beyond_2_GiB", [](auto& b) { PutLe32(&b[12], 0xFFFFFFF0u); }, kErrCacheHeader},
        {"cut_inside_the_data", [&](auto& b) { b.resize(dataEnd - 5); }, kErrCacheHeader},
        {"list_end_inside_an_entry", [&](auto& b) { PutLe32(&b[4], listEnd - 3); }, kErrCacheEntry},
        {"name_length_0_inside_the_list", [&](auto& b) { b[e1 + kEntNameLength] = 0; }, kErrCacheEntry},
        {"name_past_the_list", [&](auto& b) { b[e0 + kEntNameLength] = 255; }, kErrCacheEntry},
        {"data_inside_the_entry_area", [&](auto& b) { PutLe32(&b[e0 + kEntLocation], 64); }, kErrCacheEntry},
        {"data_past_data_end", [&](auto& b) { PutLe32(&b[e1 + kEntLength], dataEnd); }, kErrCacheEntry},
        {"data_length_wraps", [&](auto& b) { PutLe32(&b[e1 + kEntLength], 0xFFFFFFFFu); }, kErrCacheEntry},
        {"empty_data", [&](auto& b) { PutLe32(&b[e0 + kEntLength], 0); }, kErrCacheEntry},
        {"zero_width", [&](auto& b) { PutLe16(&b[e1 + kEntWidth], 0); }, kErrCacheEntry},
        {"zero_height", [&](auto& b) { PutLe16(&b[e0 + kEntHeight], 0); }, kErrCacheEntry},
        {"true_colour_entry", [&](auto& b) { b[e0 + kEntFlags] |= kPicTrueColour; }, kErrCacheEntry},
        {"no_end_mark", [&](auto& b) { b[listEnd + kEntNameLength] = 7; }, kErrCacheEntry},
    };
    for (const Case& c : cases) {
        for (int mode : {2, 3}) {
            SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
            std::vector<uint8_t> bad = good;
            c.damage(bad);
            WriteAll(file_, bad);
            EXPECT_EQ(OpenCache(mode, file_.c_str()), c.want);
            EXPECT_FALSE(CacheIsOpen());
            EXPECT_EQ(ReadAll(file_), bad);
        }
    }
}

// Coded data that is damaged inside a well-formed file is refused when it is drawn.
TEST_F(FileCache, DamagedPictureDataIsRefusedOnSelection) {
    MakeFile(2);
    std::vector<uint8_t> bytes = ReadAll(file_);
    const uint32_t loc = Le32(&bytes[16 + kEntLocation]);
    bytes[loc + 1] = 0;  // component count: now 256 values, far more than coded
    WriteAll(file_, bytes);
    ASSERT_EQ(OpenCache(3, file_.c_str()), 0);
    CurPic().HeldEntry = 0;
    EXPECT_EQ(SelectCacheEntry(16), kErrCodeDamaged);
    EXPECT_TRUE(Holds("p1", Numbered(1)));
}

// When the file cannot grow, the append fails with the platform's code and the cache
// stays open with everything it held.
TEST_F(FileCache, AFileThatCannotGrowKeepsTheCacheUsable) {
    const std::string file = file_;
    int status = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{MiB, MiB};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
        if (OpenCache(3, file.c_str()) != 0) return 2;
        int added = 0;
        int32_t r = 0;
        for (; added < 100; ++added) {
            r = Add(Noise(added, 180), "n" + std::to_string(added));
            if (r < 0) break;
        }
        if (r != -EFBIG - 70000) return 3;
        if (!CacheIsOpen() || added < 5) return 4;
        for (int i = 0; i < added; ++i)
            if (!Holds("n" + std::to_string(i), Noise(i, 180))) return 5;
        if (Add(Numbered(1), "small") <= 0) return 6;  // a small picture still fits
        if (!Holds("small", Numbered(1))) return 7;
        CloseCache();
        return 0;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace lvk
