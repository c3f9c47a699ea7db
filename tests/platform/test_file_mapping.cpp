#include "platform/file_mapping.h"

#include "platform/child_process.h"
#include "platform/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using plat::FileMapping;
constexpr size_t kMiB = 0x100000;

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

bool AllZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != 0) return false;
    }
    return true;
}

class FileMappingTest : public testing::Test {
protected:
    testutil::ScratchDir dir_;
    std::string path_ = dir_.File("cache.tca");
};

struct MapCase {
    const char* name;
    size_t initialBytes;  // SIZE_MAX: no file yet
    size_t mapSize;
    int expectedError;
    size_t expectedMapped;
    int64_t expectedFileSize;
};

TEST_F(FileMappingTest, MapSizesTable) {
    constexpr size_t kNoFile = SIZE_MAX;
    const MapCase cases[] = {
        {"new file mapped at 1 MiB grows to 1 MiB", kNoFile, kMiB, 0, kMiB, kMiB},
        {"new empty file, size 0", kNoFile, 0, EINVAL, 0, 0},
        {"short file, size 0 maps what it holds", 10, 0, 0, 10, 10},
        {"short file grows to the mapping", 10, 4096, 0, 4096, 4096},
        {"long file keeps its length", 3 * kMiB, kMiB, 0, kMiB, 3 * kMiB},
        {"size beyond any file", 10, SIZE_MAX, EFBIG, 0, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path_.c_str());
        const std::vector<uint8_t> initial =
            c.initialBytes == kNoFile ? std::vector<uint8_t>{} : Pattern(c.initialBytes, 3);
        if (c.initialBytes != kNoFile) WriteFile(path_, initial);

        FileMapping m;
        ASSERT_EQ(m.Open(path_, true), 0);
        EXPECT_EQ(m.Map(c.mapSize), c.expectedError);
        EXPECT_EQ(m.Size(), c.expectedMapped);
        EXPECT_EQ(m.IsMapped(), c.expectedError == 0);
        EXPECT_EQ(m.FileSize(), c.expectedFileSize);
        if (c.expectedError == 0) {
            const size_t kept = std::min(initial.size(), m.Size());
            if (kept > 0) {
                EXPECT_EQ(std::memcmp(m.Data(), initial.data(), kept), 0);
            }
            EXPECT_TRUE(AllZero(m.Data() + kept, m.Size() - kept));
        }
    }
}

TEST_F(FileMappingTest, WritesReachTheFile) {
    const std::vector<uint8_t> bytes = Pattern(5000, 11);
    {
        FileMapping m;
        ASSERT_EQ(m.Open(path_, true), 0);
        ASSERT_EQ(m.Map(8192), 0);
        std::memcpy(m.Data() + 100, bytes.data(), bytes.size());
        EXPECT_EQ(m.Flush(), 0);
    }
    FileMapping again;
    ASSERT_EQ(again.Open(path_, false), 0);
    ASSERT_EQ(again.Map(0), 0);
    ASSERT_EQ(again.Size(), 8192u);
    EXPECT_EQ(std::memcmp(again.Data() + 100, bytes.data(), bytes.size()), 0);
}

TEST_F(FileMappingTest, RemapGrowsKeepsContentAndZeroFillsTheRest) {
    FileMapping m;
    ASSERT_EQ(m.Open(path_, true), 0);
    ASSERT_EQ(m.Map(kMiB), 0);
    const std::vector<uint8_t> bytes = Pattern(kMiB, 5);
    std::memcpy(m.Data(), bytes.data(), bytes.size());

    ASSERT_EQ(m.Remap(3 * kMiB), 0);
    EXPECT_EQ(m.Size(), 3 * kMiB);
    EXPECT_EQ(m.FileSize(), static_cast<int64_t>(3 * kMiB));
    EXPECT_EQ(std::memcmp(m.Data(), bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(AllZero(m.Data() + kMiB, 2 * kMiB));
    m.Data()[3 * kMiB - 1] = 0x5A;  // the last byte is backed by the file

    // Shrinking the view leaves the file alone; growing it back finds the bytes.
    ASSERT_EQ(m.Remap(4096), 0);
    EXPECT_EQ(m.FileSize(), static_cast<int64_t>(3 * kMiB));
    ASSERT_EQ(m.Remap(0), 0);
    EXPECT_EQ(m.Size(), 3 * kMiB);
    EXPECT_EQ(m.Data()[3 * kMiB - 1], 0x5A);
}

TEST_F(FileMappingTest, RemapOfAnUnmappedFileMapsIt) {
    FileMapping m;
    ASSERT_EQ(m.Open(path_, true), 0);
    EXPECT_EQ(m.Remap(4096), 0);
    EXPECT_TRUE(m.IsMapped());
    EXPECT_EQ(m.Map(4096), EBUSY);
}

TEST_F(FileMappingTest, FailedRemapKeepsTheOldMapping) {
    FileMapping m;
    ASSERT_EQ(m.Open(path_, true), 0);
    ASSERT_EQ(m.Map(64 * 1024), 0);
    const std::vector<uint8_t> bytes = Pattern(64 * 1024, 9);
    std::memcpy(m.Data(), bytes.data(), bytes.size());
    uint8_t* const before = m.Data();

    EXPECT_EQ(m.Remap(SIZE_MAX), EFBIG);
    EXPECT_EQ(m.Data(), before);

    // A file size limit makes the growth itself fail, as a full disk would.
    const int result = testutil::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{128 * 1024, 128 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        const int err = m.Remap(kMiB);
        if (err == 0) return 11;
        if (m.Data() != before || m.Size() != 64 * 1024) return 12;
        if (std::memcmp(m.Data(), bytes.data(), bytes.size()) != 0) return 13;
        m.Data()[0] ^= 0xFF;  // still writable
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m.Size(), 64u * 1024);
}

TEST_F(FileMappingTest, OpenErrorsTable) {
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::string path;
        bool create;
        int expected;
    } cases[] = {
        {"missing without create", dir_.File("none"), false, ENOENT},
        {"missing folder", dir_.File("no/such/file"), true, ENOENT},
        {"a folder", dir_.Path(), true, EISDIR},
        {"a FIFO", fifo, false, EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileMapping m;
        EXPECT_EQ(m.Open(c.path, c.create), c.expected);
        EXPECT_FALSE(m.IsOpen());
    }
}

TEST_F(FileMappingTest, CallsOnAClosedMappingReturnErrors) {
    FileMapping m;
    EXPECT_EQ(m.Map(4096), EBADF);
    EXPECT_EQ(m.Remap(4096), EBADF);
    EXPECT_EQ(m.Flush(), EBADF);
    EXPECT_EQ(m.FileSize(), -EBADF);
    m.Unmap();
    m.Close();
    EXPECT_EQ(m.Data(), nullptr);
}

TEST_F(FileMappingTest, ExclusiveOpenKeepsOthersOut) {
    FileMapping first;
    ASSERT_EQ(first.Open(path_, true), 0);
    EXPECT_EQ(first.Open(path_, true), EBUSY);

    FileMapping second;
    EXPECT_EQ(second.Open(path_, true), EWOULDBLOCK);
    EXPECT_EQ(testutil::RunInChild([&] {
                  FileMapping other;
                  return other.Open(path_, true);
              }),
              EWOULDBLOCK);

    FileMapping shared1;
    FileMapping shared2;
    const std::string other = dir_.File("shared.tca");
    EXPECT_EQ(shared1.Open(other, true, FileMapping::Share::Shared), 0);
    EXPECT_EQ(shared2.Open(other, true, FileMapping::Share::Shared), 0);

    first.Close();
    EXPECT_EQ(second.Open(path_, true), 0);
}

TEST_F(FileMappingTest, MoveHandsOverTheMapping) {
    FileMapping a;
    ASSERT_EQ(a.Open(path_, true), 0);
    ASSERT_EQ(a.Map(4096), 0);
    a.Data()[7] = 42;
    FileMapping b = std::move(a);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_FALSE(a.IsMapped());
    ASSERT_TRUE(b.IsMapped());
    EXPECT_EQ(b.Data()[7], 42);
    EXPECT_EQ(b.Path(), path_);
    a = std::move(b);
    EXPECT_EQ(a.Data()[7], 42);
}

}  // namespace
