#include "platform/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

using plat::Random;

std::vector<std::uint64_t> firstBits(Random& r, int n) {
    std::vector<std::uint64_t> out;
    for (int i = 0; i < n; ++i) out.push_back(r.nextBits());
    return out;
}

// Golden values pin the generator: a change of algorithm, seeding or word size
// on another platform changes every seeded show.
TEST(Random, SeededSequenceIsPinned) {
    Random r(1);
    const std::vector<std::uint64_t> expected = {
        0xb3f2af6d0fc710c5ULL,
        0x853b559647364ceaULL,
        0x92f89756082a4514ULL,
        0x642e1c7bc266a3a7ULL,
    };
    EXPECT_EQ(firstBits(r, 4), expected);
}

TEST(Random, SameSeedSameSequenceAndReseedRestarts) {
    Random a(12345), b(12345), c(54321);
    const auto first = firstBits(a, 16);
    EXPECT_EQ(firstBits(b, 16), first);
    EXPECT_NE(firstBits(c, 16), first);
    a.seed(12345);
    EXPECT_EQ(firstBits(a, 16), first);
    Random d1, d2;
    EXPECT_EQ(firstBits(d1, 4), firstBits(d2, 4));
}

TEST(Random, IndexBelowTwoDrawsNothing) {
    Random r(7), reference(7);
    for (std::int32_t n : {1, 0, -1, -2147483647 - 1}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(r.nextIndex(n), 0);
    }
    EXPECT_EQ(r.nextBits(), reference.nextBits());
}

TEST(Random, EveryDrawTakesOneWord) {
    Random r(99), reference(99);
    r.next01();
    r.nextIndex(10);
    reference.nextBits();
    reference.nextBits();
    EXPECT_EQ(r.nextBits(), reference.nextBits());
}

TEST(Random, Next01IsAFloatBelowOne) {
    Random r(3);
    for (int i = 0; i < 100000; ++i) {
        const double u = r.next01();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        ASSERT_EQ(static_cast<double>(static_cast<float>(u)), u);
        ASSERT_LT(static_cast<float>(u), 1.0f);
    }
}

TEST(Random, IndexStaysInRangeTable) {
    const struct {
        const char* name;
        std::int32_t n;
    } cases[] = {{"two", 2}, {"three", 3}, {"odd prime", 101}, {"largest", 2147483647}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Random r(5);
        for (int i = 0; i < 20000; ++i) {
            const std::int32_t k = r.nextIndex(c.n);
            ASSERT_GE(k, 0);
            ASSERT_LT(k, c.n);
        }
    }
}

// Weighted picks rely on an even spread; with a fixed seed this is exact, so a
// loose bound catches a skewed mapping without ever flaking.
TEST(Random, IndexIsEvenlySpread) {
    Random r(2024);
    std::array<int, 6> counts{};
    const int draws = 60000;
    for (int i = 0; i < draws; ++i) ++counts[static_cast<std::size_t>(r.nextIndex(6))];
    for (int count : counts) {
        EXPECT_GT(count, draws / 6 - 500);
        EXPECT_LT(count, draws / 6 + 500);
    }
}

}  // namespace
