// Whole numbers as the program's texts write them: decimal, a minus sign when negative, and
// hexadecimal.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

namespace yov {

inline std::u16string decimal(int64_t n) { return plat::widen(std::to_string(n)); }

// Hexadecimal digits of a 32-bit value in upper case, without leading zeros; a negative
// value as its two's complement (Hex(-1) = "FFFFFFFF").
inline std::u16string hexText(int32_t n) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    uint32_t v = static_cast<uint32_t>(n);
    std::u16string out;
    do {
        out.insert(out.begin(), kDigits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return out;
}

}  // namespace yov
