#include "platform/numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace plat {
namespace {

template <typename T>
std::optional<T> roundedInto(double v) {
    if (std::isnan(v)) return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max())) {
        return std::nullopt;
    }
    return static_cast<T>(r);
}

template <typename T>
T clampedInto(double v) {
    if (std::isnan(v)) return 0;
    const double r = roundHalfEven(v);
    if (r <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(r);
}

// Val skips these wherever they stand.
template <typename Ch>
bool isValBlank(Ch c) {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n');
}

template <typename Ch>
int digitValue(Ch c, int base) {
    int d = -1;
    if (c >= Ch('0') && c <= Ch('9'))
        d = static_cast<int>(c - Ch('0'));
    else if (c >= Ch('a') && c <= Ch('f'))
        d = static_cast<int>(c - Ch('a')) + 10;
    else if (c >= Ch('A') && c <= Ch('F'))
        d = static_cast<int>(c - Ch('A')) + 10;
    return d < base ? d : -1;
}

template <typename Ch>
bool isLetter(Ch c, char upper) {
    return c == Ch(upper) || c == Ch(upper + ('a' - 'A'));
}

// A cursor over the text that, for Val, steps over blanks between the
// characters of a number.
template <typename Ch>
class Reader {
public:
    Reader(std::basic_string_view<Ch> text, bool skipInnerBlanks) : text_(text), skip_(skipInnerBlanks) {}

    // The next significant character, or 0 at the end.
    Ch peek() {
        if (skip_) {
            while (pos_ < text_.size() && isValBlank(text_[pos_])) ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_] : Ch(0);
    }
    void take() {
        ++pos_;
        end_ = pos_;
    }
    std::size_t pos() const { return pos_; }
    void rewind(std::size_t pos, std::size_t end) {
        pos_ = pos;
        end_ = end;
    }
    std::size_t end() const { return end_; }  // just past the last character taken
    void skipBlanks() {
        while (pos_ < text_.size() && isValBlank(text_[pos_])) ++pos_;
    }
    bool atEnd() const { return pos_ >= text_.size(); }

private:
    std::basic_string_view<Ch> text_;
    bool skip_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

template <typename Ch>
LeadingNumber readRadix(Reader<Ch>& in, int base) {
    LeadingNumber result;
    std::uint64_t v = 0;
    bool tooBig = false;
    int digits = 0;
    for (;;) {
        const int d = digitValue(in.peek(), base);
        if (d < 0) break;
        in.take();
        ++digits;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFu) {
            tooBig = true;
            v = 0xFFFFFFFFu + 1;  // stays above the limit without wrapping
        }
    }
    if (digits == 0) return result;
    bool forceLong = false;
    if (in.peek() == Ch('&')) {
        in.take();
        forceLong = true;
    }
    result.found = true;
    result.used = in.end();
    if (tooBig) {
        result.overflow = true;
        return result;
    }
    if (!forceLong && v <= 0xFFFF) {
        result.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    } else {
        result.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    return result;
}

template <typename Ch>
LeadingNumber readDecimal(Reader<Ch>& in) {
    LeadingNumber result;
    std::string buffer;  // the number in the one spelling from_chars reads
    bool negative = false;
    if (in.peek() == Ch('+') || in.peek() == Ch('-')) {
        negative = in.peek() == Ch('-');
        in.take();
    }
    // Decimal magnitude of the first non-zero digit, to tell overflow from
    // underflow when the value is out of range.
    long long magnitude = 0;
    bool seenNonZero = false;
    int digits = 0;
    while (digitValue(in.peek(), 10) >= 0) {
        const Ch c = in.peek();
        in.take();
        ++digits;
        if (c != Ch('0')) seenNonZero = true;
        if (seenNonZero) {
            buffer.push_back(static_cast<char>(c));
            ++magnitude;
        }
    }
    if (in.peek() == Ch('.')) {
        in.take();
        buffer.push_back('.');
        while (digitValue(in.peek(), 10) >= 0) {
            const Ch c = in.peek();
            in.take();
            ++digits;
            if (c != Ch('0')) seenNonZero = true;
            if (!seenNonZero) --magnitude;
            buffer.push_back(static_cast<char>(c));
        }
    }
    if (digits == 0) return result;
    result.found = true;
    if (isLetter(in.peek(), 'E') || isLetter(in.peek(), 'D')) {
        const std::size_t markPos = in.pos();
        const std::size_t markEnd = in.end();
        in.take();
        bool expNegative = false;
        if (in.peek() == Ch('+') || in.peek() == Ch('-')) {
            expNegative = in.peek() == Ch('-');
            in.take();
        }
        long long exponent = 0;
        int expDigits = 0;
        while (digitValue(in.peek(), 10) >= 0) {
            exponent = std::min<long long>(exponent * 10 + (in.peek() - Ch('0')), 1000000);
            in.take();
            ++expDigits;
        }
        if (expDigits == 0) {
            in.rewind(markPos, markEnd);
        } else {
            if (expNegative) exponent = -exponent;
            magnitude += exponent;
            buffer += 'e';
            buffer += std::to_string(exponent);
        }
    }
    result.used = in.end();
    if (!seenNonZero) return result;  // zero, whatever the exponent
    double v = 0;
    const auto [ptr, ec] = std::from_chars(buffer.data(), buffer.data() + buffer.size(), v, std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        if (magnitude > 0) result.overflow = true;
        return result;  // value 0: either overflow or a value too small to hold
    }
    if (ec != std::errc() || std::isinf(v)) {
        result.overflow = std::isinf(v);
        return result;
    }
    result.value = negative ? -v : v;
    return result;
}

template <typename Ch>
LeadingNumber parse(std::basic_string_view<Ch> text, bool skipInnerBlanks) {
    Reader<Ch> in(text, skipInnerBlanks);
    in.skipBlanks();
    if (in.peek() == Ch('&')) {
        in.take();
        int base = 0;
        if (isLetter(in.peek(), 'H'))
            base = 16;
        else if (isLetter(in.peek(), 'O'))
            base = 8;
        if (base == 0) return {};
        in.take();
        return readRadix(in, base);
    }
    LeadingNumber result = readDecimal(in);
    result.value += 0.0;  // no negative zero from "-0"
    return result;
}

template <typename Ch>
bool wholeNumber(std::basic_string_view<Ch> text) {
    Reader<Ch> in(text, false);
    const LeadingNumber n = parse(text, false);
    if (!n.found || n.overflow) return false;
    in.rewind(n.used, n.used);
    in.skipBlanks();
    return in.atEnd();
}

}  // namespace

double roundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const double down = std::floor(v);
    const double diff = v - down;
    if (diff < 0.5) return down;
    if (diff > 0.5) return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<std::int16_t> toInteger(double v) { return roundedInto<std::int16_t>(v); }
std::optional<std::int32_t> toLong(double v) { return roundedInto<std::int32_t>(v); }
std::optional<std::uint8_t> toByte(double v) { return roundedInto<std::uint8_t>(v); }

std::optional<float> toSingle(double v) {
    constexpr double kMax = std::numeric_limits<float>::max();
    // Beyond the largest float by half a unit in the last place or more rounds
    // to infinity; below that, to the largest float.
    constexpr double kLimit = kMax + 0x1p103;
    if (std::isfinite(v) && std::fabs(v) > kMax) {
        if (std::fabs(v) >= kLimit) return std::nullopt;
        return static_cast<float>(std::copysign(kMax, v));
    }
    return static_cast<float>(v);
}

std::int16_t clampToInt16(double v) { return clampedInto<std::int16_t>(v); }
std::int32_t clampToInt32(double v) { return clampedInto<std::int32_t>(v); }
std::uint8_t clampToByte(double v) { return clampedInto<std::uint8_t>(v); }

double intFloor(double v) { return std::floor(v); }
double fixTrunc(double v) { return std::trunc(v); }

Checked<std::int32_t> intDivValues(double a, double b) {
    const auto x = toLong(a);
    const auto y = toLong(b);
    if (!x || !y) return {0, ArithError::Overflow};
    return intDiv<std::int32_t>(*x, *y);
}

Checked<std::int32_t> moduloValues(double a, double b) {
    const auto x = toLong(a);
    const auto y = toLong(b);
    if (!x || !y) return {0, ArithError::Overflow};
    return modulo<std::int32_t>(*x, *y);
}

LeadingNumber parseLeadingNumber(std::u16string_view text) { return parse(text, true); }
LeadingNumber parseLeadingNumber(std::string_view text) { return parse(text, true); }

double val(std::u16string_view text) { return parseLeadingNumber(text).value; }
double val(std::string_view text) { return parseLeadingNumber(text).value; }

bool isNumeric(std::u16string_view text) { return wholeNumber(text); }
bool isNumeric(std::string_view text) { return wholeNumber(text); }

}  // namespace plat
