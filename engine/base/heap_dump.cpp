// HeapDump: the engine's live allocations as diagnostic lines (event 206), one per block.
//
// The walk is over the tagged allocator's registry, not the process heap: a block is
// named by its serial number (the number its allocation report carried), and the column
// that held the heap's overhead byte is always 00. The walk cannot fail, so it always
// ends with the "O.K." line. Main thread only, while no other engine thread allocates.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "engine/base/events.h"
#include "engine/base/memory.h"
#include "lumvatek/exports.h"

namespace {

constexpr size_t kMaxTextChars = 100;
constexpr size_t kMaxHexBytes = 20;

// A block that starts with a 32-bit length n (n + 4 below its size) followed by n / 2
// characters from 32 to 511 previews as their low bytes; anything else as hex bytes.
std::string Preview(const lvk::LiveBlock& b) {
    const auto* bytes = static_cast<const uint8_t*>(b.address);
    std::string out;
    if (b.size >= 4) {
        uint32_t n = 0;
        std::memcpy(&n, bytes, 4);
        if (n != 0 && size_t{n} + 4 < b.size) {
            const size_t chars = std::min<size_t>(n / 2, kMaxTextChars);
            bool text = true;
            for (size_t i = 0; i < chars && text; ++i) {
                uint16_t c = 0;
                std::memcpy(&c, bytes + 4 + i * 2, 2);
                text = c >= 32 && c <= 511;
                out += static_cast<char>(c & 0xFF);
            }
            if (text) {
                return out;
            }
            out.clear();
        }
    }
    char hex[4];
    for (size_t i = 0; i < std::min(b.size, kMaxHexBytes); ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        out += hex;
    }
    return out;
}

}  // namespace

LvResult HeapDump() noexcept {
    try {
        int32_t blocks = 0;
        uint32_t total = 0;
        for (const lvk::LiveBlock& b : lvk::LiveBlocks()) {
            lvk::RaiseMessage("USED   %08X  %08X  +%02X: %s", b.serial, static_cast<uint32_t>(b.size), 0u,
                              Preview(b).c_str());
            ++blocks;
            total += static_cast<uint32_t>(b.size);
        }
        lvk::RaiseMessage("BLOCK %6d  SIZE %7u %08X", blocks, total, total);
        lvk::RaiseMessage("----- HEAP O.K. -----");
    } catch (const std::bad_alloc&) {
        lvk::RaiseMessage("!!!!! ERROR %08X %d !!!!!", 8u, 8);
    }
    return 0;
}
