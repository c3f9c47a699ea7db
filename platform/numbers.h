// Number semantics of the Windows version's language in one place: Integer (16-bit),
// Long (32-bit), Byte, Single (float) and Double, with its rounding, integer
// division, Mod and text-to-number rules. Nothing here throws or depends on the
// locale; failures come back as values.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>

namespace plat {

// The run-time error numbers that scripts' error reports carry, so a caller can report them.
enum class ArithError : int {
    None = 0,
    Overflow = 6,
    DivisionByZero = 11,
};

template <typename T>
struct Checked {
    T value{};
    ArithError error = ArithError::None;
    bool ok() const { return error == ArithError::None; }
};

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double v);

// Conversion to an integer type: rounded half to even, nothing when the rounded
// value does not fit (or v is not a number).
std::optional<std::int16_t> toInteger(double v);  // Integer
std::optional<std::int32_t> toLong(double v);     // Long
std::optional<std::uint8_t> toByte(double v);     // Byte
// Nothing when a finite v lies beyond the float range; rounds to nearest.
std::optional<float> toSingle(double v);

// Rounded half to even, then limited to the type's range; NaN gives 0.
std::int16_t clampToInt16(double v);
std::int32_t clampToInt32(double v);
std::uint8_t clampToByte(double v);
template <std::integral I>
std::int16_t clampToInt16(I v) {
    if constexpr (std::is_signed_v<I>) {
        return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
    } else {
        return static_cast<std::int16_t>(std::min<std::uint64_t>(v, INT16_MAX));
    }
}

// Int: the largest integer not above v (Int(-2.5) = -3).
double intFloor(double v);
// Fix: v with its fraction dropped (Fix(-2.5) = -2).
double fixTrunc(double v);

// a \ b for integer operands: truncates toward zero. b = 0 is DivisionByZero;
// a result outside T (minimum \ -1) is Overflow.
template <typename T>
Checked<T> intDiv(T a, T b) {
    static_assert(std::is_integral_v<T> && std::is_signed_v<T>);
    if (b == 0) return {0, ArithError::DivisionByZero};
    const std::int64_t q = static_cast<std::int64_t>(a) / b;
    if (q > std::numeric_limits<T>::max()) return {0, ArithError::Overflow};
    return {static_cast<T>(q), ArithError::None};
}

// a Mod b for integer operands: the remainder has the sign of a (-7 Mod 3 = -1).
template <typename T>
Checked<T> modulo(T a, T b) {
    static_assert(std::is_integral_v<T> && std::is_signed_v<T>);
    if (b == 0) return {0, ArithError::DivisionByZero};
    return {static_cast<T>(static_cast<std::int64_t>(a) % b), ArithError::None};
}

// \ and Mod with floating operands, as the Windows version evaluates them: both sides
// are first rounded half to even to Long (Overflow when they do not fit).
Checked<std::int32_t> intDivValues(double a, double b);
Checked<std::int32_t> moduloValues(double a, double b);

// The leading number of a text, as the Windows version's Val reads it:
//   - blanks, TABs and line feeds are skipped everywhere, also inside the
//     number ("1 2" is 12, " - 5" is -5);
//   - an optional sign, digits, an optional "." with fraction digits, an
//     optional exponent "E" or "D" (either case) with optional sign and digits;
//     an exponent marker without digits is ignored ("1e" is 1);
//   - or "&H" hexadecimal / "&O" octal digits (either case, no sign): a value up
//     to 0xFFFF is an Integer and so reads negative from 0x8000 on ("&HFFFF" is
//     -1), up to 0xFFFFFFFF a Long ("&HFFFFFFFF" is -1); a trailing "&" makes it
//     a Long ("&HFFFF&" is 65535); beyond 32 bits is an overflow;
//   - reading stops at the first character that does not fit; no number at all
//     gives 0. "." is the decimal point whatever the locale; "," ends the number.
struct LeadingNumber {
    double value = 0;
    std::size_t used = 0;   // code units taken, including skipped blanks
    bool found = false;     // at least one digit was read
    bool overflow = false;  // the number does not fit a Double (or 32 bits for &H, &O); value is 0
};
LeadingNumber parseLeadingNumber(std::u16string_view text);
LeadingNumber parseLeadingNumber(std::string_view text);

// Val: parseLeadingNumber's value (0 on overflow).
double val(std::u16string_view text);
double val(std::string_view text);

// True when the whole text, apart from leading and trailing blanks, is one
// number of the forms above. Unlike Val, no blanks inside, and a lone sign,
// point or exponent marker is not a number.
bool isNumeric(std::u16string_view text);
bool isNumeric(std::string_view text);

}  // namespace plat
