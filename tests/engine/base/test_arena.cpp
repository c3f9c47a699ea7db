// The chunk arena of the stock reader, and HeapDump over the allocator's live blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/base/arena.h"
#include "engine/base/events.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "lumvatek/exports.h"

namespace {

int32_t Raised(int32_t size) {
    return lvk::RecoveryPoint(-1, [&] {
        lvk::ArenaAlloc(size, 0);
        return 0;
    });
}

TEST(Arena, SmallAllocationsShareChunksAndAreFreedTogether) {
    lvk::ArenaFreeAll();
    const size_t before = lvk::LiveBlockCount();
    char* a = static_cast<char*>(lvk::ArenaAlloc(10, 0));
    char* b = static_cast<char*>(lvk::ArenaAlloc(3, 0));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(b - a, 16) << "8-aligned, one after the other";
    EXPECT_EQ(lvk::ArenaChunkCount(), 1u);
    std::memset(a, 'x', 10);
    for (int i = 0; i < 9; ++i) lvk::ArenaAlloc(8000, 0);
    EXPECT_EQ(lvk::ArenaChunkCount(), 2u) << "a record never straddles two chunks";
    EXPECT_EQ(lvk::LiveBlockCount(), before + 2);
    lvk::ArenaFreeAll();
    EXPECT_EQ(lvk::ArenaChunkCount(), 0u);
    EXPECT_EQ(lvk::LiveBlockCount(), before);
}

TEST(Arena, TooLargeOrNegativeSizesRaise) {
    lvk::ArenaFreeAll();
    EXPECT_EQ(Raised(65528), 0);
    EXPECT_EQ(Raised(65529), lvk::kErrArenaTooLarge);
    EXPECT_EQ(Raised(0xFFFD), lvk::kErrArenaTooLarge);
    EXPECT_EQ(Raised(-1), lvk::kErrArenaTooLarge);
    lvk::ArenaFreeAll();
}

std::vector<std::string> g_lines;

int32_t Collect(DllEventRec* rec) {
    if (rec->Code == lv_event::kMessage) {
        std::string text;
        for (const char16_t* p = rec->Text1; *p != 0; ++p) text += static_cast<char>(*p);
        g_lines.push_back(text);
    }
    return 0;
}

uint32_t SerialOf(const void* p) {
    for (const lvk::LiveBlock& b : lvk::LiveBlocks())
        if (b.address == p) return b.serial;
    return 0;
}

TEST(HeapDump, OneLinePerLiveBlockWithAPreviewThenTheTotals) {
    // A length-prefixed UTF-16 text, and bytes that are not one.
    const char16_t text[] = u"Stock";
    auto* textBlock = static_cast<uint8_t*>(lvk::MemAlloc(4 + 10 + 8, 34999));
    const uint32_t length = 10;
    std::memcpy(textBlock, &length, 4);
    std::memcpy(textBlock + 4, text, 10);
    auto* bytes = static_cast<uint8_t*>(lvk::MemAlloc(3, 34998));
    const uint8_t raw[3] = {0x01, 0xAB, 0x00};
    std::memcpy(bytes, raw, 3);

    g_lines.clear();
    lvk::InitEventRecord();
    lvk::SetEventCallback(&Collect);
    EXPECT_EQ(HeapDump(), 0);
    lvk::SetEventCallback(nullptr);

    char expected[64];
    std::snprintf(expected, sizeof expected, "USED   %08X  %08X  +00: Stock", SerialOf(textBlock), 22u);
    EXPECT_NE(std::find(g_lines.begin(), g_lines.end(), expected), g_lines.end()) << expected;
    std::snprintf(expected, sizeof expected, "USED   %08X  %08X  +00:  01 AB 00", SerialOf(bytes), 3u);
    EXPECT_NE(std::find(g_lines.begin(), g_lines.end(), expected), g_lines.end()) << expected;
    ASSERT_GE(g_lines.size(), 4u);
    EXPECT_EQ(g_lines.size(), lvk::LiveBlockCount() + 2);
    EXPECT_EQ(g_lines[g_lines.size() - 2].rfind("BLOCK ", 0), 0u) << g_lines[g_lines.size() - 2];
    EXPECT_EQ(g_lines.back(), "----- HEAP O.K. -----");

    lvk::MemFree(textBlock, 35999);
    lvk::MemFree(bytes, 35998);
}

}  // namespace
