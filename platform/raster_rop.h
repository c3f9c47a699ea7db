// Ternary raster operations on surfaces: the general evaluator that defines every one of the 256
// codes, the specialised row loops for the codes drawing uses most, and the clipped rectangle
// blit built on them.
#pragma once

#include "platform/raster_convert.h"

#include <cstdint>

namespace plat::raster {

// The general evaluator: bit by bit, the code's truth table over pattern, source and destination.
std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d);

constexpr std::uint8_t RopCode(std::uint32_t rop) { return static_cast<std::uint8_t>(rop >> 16); }
constexpr bool CodeUsesSource(std::uint8_t c) { return (((c >> 2) ^ c) & 0x33) != 0; }
constexpr bool CodeUsesPattern(std::uint8_t c) { return (((c >> 4) ^ c) & 0x0F) != 0; }
constexpr bool CodeUsesDest(std::uint8_t c) { return (((c >> 1) ^ c) & 0x55) != 0; }

// Tests switch the specialised loops off to compare them with the general evaluator.
void SetFastPathsEnabled(bool enabled);
bool FastPathsEnabled();

enum class FastOp : std::uint8_t { General, Copy, And, Or, Xor, AndNot, PatCopy, Zero, Ones };

struct RopPlan {
    std::uint8_t code = 0;
    FastOp op = FastOp::General;
    bool useS = false;
    bool useP = false;
    bool useD = false;
};
RopPlan PlanRop(std::uint32_t rop);

// The source of one row: values of the destination's format, or (for a fast operation whose
// source stores the destination's format) the source row's memory and first pixel.
struct SourceRow {
    const std::uint32_t* values = nullptr;
    const std::uint8_t* memory = nullptr;
    int memoryX = 0;
};

// Applies the operation to pixels x .. x + n - 1 of row y, all inside the destination.
void ApplyRow(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern,
              const RopPlan& plan);

// A same-size rectangle operation, clipped to the destination and (when the source is read) to
// the source. Overlapping source and destination memory is handled. False only when the code
// reads a source and none is given.
bool BlitSurfaces(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy,
                  const RopPlan& plan, const Pattern& pattern, const ConvertRules& rules);

// True when the memory of the two rectangles may overlap.
bool MemoryOverlaps(const Surface& a, int ax, int ay, int aw, int ah, const Surface& b, int bx, int by, int bw, int bh);

}  // namespace plat::raster
