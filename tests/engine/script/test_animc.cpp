// The animation compiler: step lists to byte programs, the shared output buffer, and the
// stored procedure of SetIndir/CallIndir.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lumvatek/exports.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compiled() {
    Bytes out(1000);
    const int32_t n = GetCompiled(out.data(), static_cast<int32_t>(out.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

struct CompileCase {
    const char* name;
    const char* text;
    Bytes program;
};

TEST(CompileAnim, CompilesStepLists) {
    const CompileCase cases[] = {
        {"frames", "P1,2,3", {1, 2, 3, 255}},
        {"repetition_of_group", "P3*(1,2)", {253, 3, 0, 1, 2, 254, 255}},
        {"long_wait", "PW300", {251, 44, 1, 255}},
        {"zero_wait_is_one", "PW0", {250, 1, 255}},
        {"short_wait", "PW255", {250, 255, 255}},
        {"wait_of_256", "PW256", {251, 0, 1, 255}},
        {"range", "P1-5", {1, 252, 5, 255}},
        {"endless_repetition", "P*(1,2)", {253, 0, 0, 1, 2, 254, 255}},
        {"repetition_of_one_step", "P2*7", {253, 2, 0, 7, 254, 255}},
        {"zero_count", "P0*7", {253, 0, 0, 7, 254, 255}},
        {"nested", "P2*(1,3*(W5,2))", {253, 2, 0, 1, 253, 3, 0, 250, 5, 2, 254, 254, 255}},
        {"highest_frame", "P248", {248, 255}},
        {"frame_zero", "P0", {0, 255}},
        {"blanks_around_numbers", "P 1 , 2 - 4 ,W 7", {1, 2, 252, 4, 250, 7, 255}},
        {"tabs_and_blank_after_group", "P(1)\t,2", {1, 2, 255}},
        {"empty_list", "P", {255}},
        {"empty_group", "P()", {255}},
        {"repetition_without_step", "P4*", {253, 4, 0, 254, 255}},
        {"count_of_65535", "P65535*1", {253, 255, 255, 1, 254, 255}},
        {"wait_of_65535", "PW65535", {251, 255, 255, 255}},
    };
    for (const CompileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t end = CompileAnim(c.text, 0);
        EXPECT_EQ(end, static_cast<int32_t>(c.program.size()));
        EXPECT_EQ(Compiled(), c.program);
    }
}

struct FailureCase {
    const char* name;
    const char* text;
    int32_t code;
};

TEST(CompileAnim, RefusesBadLists) {
    const FailureCase cases[] = {
        {"frame_above_248", "P249", -3},
        {"range_end_above_248", "P1-300", -3},
        {"range_start_above_248", "P300-1", -3},
        {"missing_parenthesis", "P(1,2", -3},
        {"no_range_end", "P1-", -4},
        {"range_end_not_a_number", "P1-x", -4},
        {"no_wait", "PW", -5},
        {"wait_not_a_number", "PWx", -5},
        {"count_above_65535", "P65536*1", -6},
        {"wait_above_65535", "PW65536", -6},
        {"huge_count", "P99999999999999999999*1", -6},
        {"huge_frame", "P99999999999999999999", -3},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompileAnim(c.text, 0), c.code);
        // A failed list leaves nothing for GetCompiled.
        EXPECT_TRUE(Compiled().empty());
    }
}

TEST(CompileAnim, LeftOverCharactersKeepTheirBytes) {
    EXPECT_EQ(CompileAnim("P1,2x", 0), -1);
    EXPECT_EQ(Compiled(), (Bytes{1, 2, 255}));
    // A lower-case wait letter is not a step either.
    EXPECT_EQ(CompileAnim("Pw3", 0), -1);
    EXPECT_EQ(Compiled(), (Bytes{255}));
    EXPECT_EQ(CompileAnim("P(1))", 0), -1);
}

TEST(CompileAnim, ProgramsFollowOneAnotherInTheBuffer) {
    const int32_t first = CompileAnim("P1,2", 0);
    ASSERT_EQ(first, 3);
    const int32_t second = CompileAnim("PW9", first);
    ASSERT_EQ(second, 6);
    EXPECT_EQ(Compiled(), (Bytes{1, 2, 255, 250, 9, 255}));
    // Compiling at 0 starts a new set.
    EXPECT_EQ(CompileAnim("P7", 0), 2);
    EXPECT_EQ(Compiled(), (Bytes{7, 255}));
}

TEST(CompileAnim, FailureAtAnOffsetKeepsTheEarlierPrograms) {
    ASSERT_EQ(CompileAnim("P1,2", 0), 3);
    EXPECT_EQ(CompileAnim("P400", 3), -3);
    EXPECT_EQ(Compiled(), (Bytes{1, 2, 255}));
}

TEST(CompileAnim, BufferOfOneThousandBytes) {
    // 499 frames and the end mark fill 999 bytes... plus one more frame fills the buffer.
    std::string text = "P";
    for (int i = 0; i < 999; ++i) text += i == 0 ? "1" : ",1";
    EXPECT_EQ(CompileAnim(text.c_str(), 0), 1000);
    EXPECT_EQ(Compiled().size(), 1000u);
    text += ",1";
    EXPECT_EQ(CompileAnim(text.c_str(), 0), -2);
    // Near the end of the buffer even a short list does not fit.
    EXPECT_EQ(CompileAnim("P1", 999), -2);
    EXPECT_EQ(CompileAnim("P", 999), 1000);
}

TEST(CompileAnim, OffsetIsChecked) {
    EXPECT_EQ(CompileAnim("P1", -1), -2);
    EXPECT_EQ(CompileAnim("P1", 1000), -2);
    EXPECT_EQ(CompileAnim("P1", 0x7FFFFFFF), -2);
}

TEST(CompileAnim, EmptyAndNullTexts) {
    EXPECT_EQ(CompileAnim("", 0), 1);
    EXPECT_EQ(Compiled(), (Bytes{255}));
    EXPECT_EQ(CompileAnim(nullptr, 0), 1);
}

TEST(CompileAnim, NestingIsBounded) {
    std::string deep = "P" + std::string(64, '(') + "1" + std::string(64, ')');
    EXPECT_EQ(CompileAnim(deep.c_str(), 0), 2);
    deep = "P" + std::string(65, '(') + "1" + std::string(65, ')');
    EXPECT_EQ(CompileAnim(deep.c_str(), 0), -7);
    std::string repeats = "P";
    for (int i = 0; i < 100000; ++i) repeats += "2*";
    repeats += "1";
    EXPECT_LT(CompileAnim(repeats.c_str(), 0), -1);
    EXPECT_EQ(CompileAnim(std::string(100000, '(').c_str(), 0), -7);
}

TEST(GetCompiled, CopiesAtMostTheCapacity) {
    ASSERT_EQ(CompileAnim("P1,2,3", 0), 4);
    uint8_t small[2] = {9, 9};
    EXPECT_EQ(GetCompiled(small, 2), 2);
    EXPECT_EQ(small[0], 1);
    EXPECT_EQ(small[1], 2);
    EXPECT_EQ(GetCompiled(nullptr, 10), 0);
    EXPECT_EQ(GetCompiled(small, 0), 0);
}

int32_t Twice(int32_t v) noexcept { return 2 * v; }

TEST(Indir, CallsTheStoredProcedure) {
    EXPECT_EQ(SetIndir(&Twice), &Twice);
    EXPECT_EQ(CallIndir(21), 42);
    EXPECT_EQ(SetIndir(nullptr), nullptr);
    EXPECT_EQ(CallIndir(21), 0);
}

}  // namespace
