#include "platform/perf_counter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(PerfCounter, FrequencyIsTheDocumentedConstant) {
    EXPECT_EQ(plat::QueryPerfFrequency(), plat::kPerfFrequency);
    EXPECT_EQ(plat::QueryPerfFrequency(), 10'000'000);
}

TEST(PerfCounter, NeverDecreases) {
    int64_t last = plat::QueryPerfCounter();
    for (int i = 0; i < 100'000; ++i) {
        const int64_t now = plat::QueryPerfCounter();
        ASSERT_GE(now, last);
        last = now;
    }
}

// The millisecond clocks must count in milliseconds of the counter's own time base: a
// reading taken between two counter readings lies between them once converted. Catches
// unit mix-ups (micro- for milliseconds) without measuring how fast anything runs.
TEST(PerfCounter, MillisecondClocksAgreeWithTheCounter) {
    constexpr int64_t kTicksPerMs = plat::kPerfFrequency / 1000;
    using Reader = uint32_t (*)();
    const struct {
        const char* name;
        Reader read;
    } clocks[] = {{"GetTickCount32", plat::GetTickCount32}, {"TimeGetTime", plat::TimeGetTime}};
    for (const auto& c : clocks) {
        SCOPED_TRACE(c.name);
        const int64_t before = plat::QueryPerfCounter() / kTicksPerMs;
        const uint32_t ms = c.read();
        const int64_t after = plat::QueryPerfCounter() / kTicksPerMs;
        // Differences modulo 2^32, so a wrap of the 32-bit clock between readings is fine.
        const uint32_t sinceBefore = ms - static_cast<uint32_t>(before);
        const uint32_t span = static_cast<uint32_t>(after - before);
        EXPECT_LE(sinceBefore, span);
    }
}

}  // namespace
