// How pixels change format on the way from a source to a destination, and how a brush becomes
// pattern values of the destination's format.
#pragma once

#include "platform/raster_surface.h"

#include <cstdint>
#include <memory>

namespace plat::raster {

struct ConvertRules {
    // True for copies between DCs: a 1-bit source takes the destination DC's text colour (0 bits)
    // and background colour (1 bits), and a colour source becomes 1 bit by matching the source
    // DC's background colour. False for DIB data, which brings its own colour table: every
    // colour then goes to the nearest value of the destination.
    bool dcRules = true;
    COLORREF dstText = RGB(0, 0, 0);
    COLORREF dstBk = RGB(255, 255, 255);
    COLORREF srcBk = RGB(255, 255, 255);
};

class RowConverter {
public:
    RowConverter(const Surface& src, const Surface& dst, const ConvertRules& rules);

    // Source pixels (x .. x + n - 1) of row y as values of the destination's format.
    void Convert(int x, int y, int n, std::uint32_t* out) const;
    // Source and destination store the same values the same way, so memory can be combined as is.
    bool Identity() const { return identity_; }

private:
    enum class Mode { Same, Lookup, MatchKey, Nearest };

    std::uint32_t NearestCached(std::uint32_t rgb) const;

    const Surface& src_;
    const Surface& dst_;
    Mode mode_ = Mode::Same;
    bool identity_ = false;
    std::uint32_t key_ = 0;
    std::uint32_t lut_[256] = {};
    mutable std::unique_ptr<std::uint32_t[]> cache_;  // Nearest: rgb | 1 << 31 -> value, per slot
};

// Writes n values of a 1-bit row starting at bit x, 0 bits as c0 and 1 bits as c1.
void ExpandMono(const std::uint8_t* row, int x, int n, std::uint32_t c0, std::uint32_t c1, std::uint32_t* out);

struct BrushDesc {
    enum class Kind : std::uint8_t { Solid, Colour8x8, Mono8x8, Null };
    Kind kind = Kind::Solid;
    COLORREF colour = 0;
    COLORREF cells[64] = {};    // Colour8x8, row by row
    std::uint8_t bits[8] = {};  // Mono8x8, leftmost pixel in the high bit
};

// A brush made ready for one destination: values of its format, aligned to its origin.
struct Pattern {
    bool none = false;  // the null brush: operations that read the pattern draw nothing
    bool solid = true;
    std::uint32_t value = 0;
    std::uint32_t cells[8][8] = {};

    // Pattern values of (x .. x + n - 1, y), written into buf.
    const std::uint32_t* Row(int x, int y, int n, std::uint32_t* buf) const;
};

// A 1-bit pattern takes the DC's text colour for 0 bits and background colour for 1 bits.
Pattern ResolveBrush(const BrushDesc& brush, const Surface& dst, COLORREF text, COLORREF bk);

}  // namespace plat::raster
