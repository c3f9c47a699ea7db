#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using plat::ArithError;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Numbers, RoundHalfEvenTable) {
    const struct {
        const char* name;
        double in;
        double out;
    } cases[] = {
        {"half down to even", 2.5, 2},
        {"half up to even", 3.5, 4},
        {"negative half to even", -2.5, -2},
        {"negative half up", -3.5, -4},
        {"half to zero", 0.5, 0},
        {"just above half", 2.5000001, 3},
        {"just below half", 2.4999999, 2},
        {"negative below half", -0.4, 0},
        {"whole stays", 7, 7},
        {"large half", 4503599627370495.5, 4503599627370496},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::roundHalfEven(c.in), c.out);
    }
    EXPECT_TRUE(std::isnan(plat::roundHalfEven(kNaN)));
}

TEST(Numbers, ToIntegerTable) {
    const struct {
        const char* name;
        double in;
        std::optional<std::int16_t> out;
    } cases[] = {
        {"rounds half to even", 12.5, 12},
        {"rounds up past half", 12.51, 13},
        {"largest", 32767.49, 32767},
        {"rounds into overflow", 32767.5, std::nullopt},
        {"smallest by even rounding", -32768.5, -32768},
        {"below smallest", -32769, std::nullopt},
        {"not a number", kNaN, std::nullopt},
        {"infinity", kInf, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::toInteger(c.in), c.out);
    }
}

TEST(Numbers, ToLongAndByteTable) {
    EXPECT_EQ(plat::toLong(2147483647.4), 2147483647);
    EXPECT_EQ(plat::toLong(2147483647.5), std::nullopt);
    EXPECT_EQ(plat::toLong(-2147483648.5), -2147483648);
    EXPECT_EQ(plat::toLong(-2147483649.0), std::nullopt);
    EXPECT_EQ(plat::toLong(-1.5), -2);
    EXPECT_EQ(plat::toByte(255.4), 255);
    EXPECT_EQ(plat::toByte(255.5), std::nullopt);
    EXPECT_EQ(plat::toByte(-0.5), 0);
    EXPECT_EQ(plat::toByte(-0.6), std::nullopt);
    EXPECT_EQ(plat::toSingle(0.1), 0.1f);
    EXPECT_EQ(plat::toSingle(1e39), std::nullopt);
    EXPECT_EQ(plat::toSingle(-1e39), std::nullopt);
    const double fltMax = std::numeric_limits<float>::max();
    EXPECT_EQ(plat::toSingle(fltMax + 0x1p102), std::numeric_limits<float>::max());
    EXPECT_EQ(plat::toSingle(-(fltMax + 0x1p102)), -std::numeric_limits<float>::max());
    EXPECT_EQ(plat::toSingle(fltMax + 0x1p103), std::nullopt);
    EXPECT_TRUE(std::isnan(*plat::toSingle(kNaN)));
}

TEST(Numbers, ClampTable) {
    EXPECT_EQ(plat::clampToInt16(40000.0), 32767);
    EXPECT_EQ(plat::clampToInt16(-40000.0), -32768);
    EXPECT_EQ(plat::clampToInt16(2.5), 2);
    EXPECT_EQ(plat::clampToInt16(kNaN), 0);
    EXPECT_EQ(plat::clampToInt16(kInf), 32767);
    EXPECT_EQ(plat::clampToInt16(70000), 32767);
    EXPECT_EQ(plat::clampToInt16(-70000LL), -32768);
    EXPECT_EQ(plat::clampToInt16(65535u), 32767);
    EXPECT_EQ(plat::clampToInt16(-5), -5);
    EXPECT_EQ(plat::clampToInt32(1e12), 2147483647);
    EXPECT_EQ(plat::clampToInt32(-1e12), -2147483647 - 1);
    EXPECT_EQ(plat::clampToByte(300.0), 255);
    EXPECT_EQ(plat::clampToByte(-3.0), 0);
}

TEST(Numbers, IntAndFixTable) {
    const struct {
        const char* name;
        double in;
        double intOut;
        double fixOut;
    } cases[] = {
        {"positive", 2.7, 2, 2},
        {"negative", -2.5, -3, -2},
        {"negative whole", -3, -3, -3},
        {"small negative", -0.1, -1, -0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::intFloor(c.in), c.intOut);
        EXPECT_EQ(plat::fixTrunc(c.in), c.fixOut);
    }
}

TEST(Numbers, IntegerDivisionTable) {
    const struct {
        const char* name;
        std::int32_t a, b;
        std::int32_t q;
        std::int32_t r;
        ArithError error;
    } cases[] = {
        {"positive", 7, 2, 3, 1, ArithError::None},
        {"negative dividend truncates", -7, 2, -3, -1, ArithError::None},
        {"negative divisor", 7, -2, -3, 1, ArithError::None},
        {"both negative", -7, -2, 3, -1, ArithError::None},
        {"exact", 6, 3, 2, 0, ArithError::None},
        {"by zero", 5, 0, 0, 0, ArithError::DivisionByZero},
        {"zero by zero", 0, 0, 0, 0, ArithError::DivisionByZero},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto q = plat::intDiv(c.a, c.b);
        const auto r = plat::modulo(c.a, c.b);
        EXPECT_EQ(q.error, c.error);
        EXPECT_EQ(r.error, c.error);
        if (c.error == ArithError::None) {
            EXPECT_EQ(q.value, c.q);
            EXPECT_EQ(r.value, c.r);
        }
    }
}

TEST(Numbers, IntegerDivisionOverflowAtTheMinimum) {
    const auto longQ = plat::intDiv<std::int32_t>(std::numeric_limits<std::int32_t>::min(), -1);
    EXPECT_EQ(longQ.error, ArithError::Overflow);
    const auto intQ = plat::intDiv<std::int16_t>(-32768, -1);
    EXPECT_EQ(intQ.error, ArithError::Overflow);
    const auto longR = plat::modulo<std::int32_t>(std::numeric_limits<std::int32_t>::min(), -1);
    EXPECT_TRUE(longR.ok());
    EXPECT_EQ(longR.value, 0);
    EXPECT_EQ(plat::intDiv<std::int16_t>(-32768, 1).value, -32768);
    EXPECT_EQ(static_cast<int>(ArithError::Overflow), 6);
    EXPECT_EQ(static_cast<int>(ArithError::DivisionByZero), 11);
}

// 255 \ TwipsPerPixelX and friends get whole numbers; floating operands are
// rounded to Long first, half to even.
TEST(Numbers, DivisionOfRoundedValuesTable) {
    const struct {
        const char* name;
        double a, b;
        std::int32_t q, r;
        ArithError error;
    } cases[] = {
        {"metrics", 255, 15, 17, 0, ArithError::None},
        {"dividend rounds up", 7.5, 2, 4, 0, ArithError::None},
        {"dividend rounds down", 6.5, 2, 3, 0, ArithError::None},
        {"divisor rounds to zero", 5, 0.4, 0, 0, ArithError::DivisionByZero},
        {"divisor half rounds to zero", 5, 0.5, 0, 0, ArithError::DivisionByZero},
        {"operand beyond Long", 3e9, 2, 0, 0, ArithError::Overflow},
        {"not a number", kNaN, 2, 0, 0, ArithError::Overflow},
        {"negative mod", -7.4, 3, -2, -1, ArithError::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto q = plat::intDivValues(c.a, c.b);
        const auto r = plat::moduloValues(c.a, c.b);
        EXPECT_EQ(q.error, c.error);
        EXPECT_EQ(r.error, c.error);
        if (c.error == ArithError::None) {
            EXPECT_EQ(q.value, c.q);
            EXPECT_EQ(r.value, c.r);
        }
    }
}

struct ValCase {
    const char* name;
    std::string text;
    double value;
    std::size_t used;
    bool found;
    bool overflow;
};

TEST(Numbers, ValTable) {
    const ValCase cases[] = {
        {"integer", "42", 42, 2, true, false},
        {"leading blanks", "   42", 42, 5, true, false},
        {"blanks inside", "1 2", 12, 3, true, false},
        {"tabs and line feeds inside", "\t1\n2\t3", 123, 6, true, false},
        {"sign and blank", " - 5", -5, 4, true, false},
        {"plus sign", "+7", 7, 2, true, false},
        {"two signs", "--5", 0, 0, false, false},
        {"lone sign", "-", 0, 0, false, false},
        {"fraction", "12.5", 12.5, 4, true, false},
        {"point first", ".25", 0.25, 3, true, false},
        {"point last", "5.", 5, 2, true, false},
        {"lone point", ".", 0, 0, false, false},
        {"second point stops", "1.2.3", 1.2, 3, true, false},
        {"comma stops", "1,5", 1, 1, true, false},
        {"trailing text", "12abc", 12, 2, true, false},
        {"trailing blank not used", "12 x", 12, 2, true, false},
        {"exponent", "1.5e3", 1500, 5, true, false},
        {"negative exponent", "25E-1", 2.5, 5, true, false},
        {"D exponent", "1d2", 100, 3, true, false},
        {"exponent with blanks", "1 e + 2", 100, 7, true, false},
        {"exponent without digits ignored", "1e", 1, 1, true, false},
        {"exponent sign without digits ignored", "3E+x", 3, 1, true, false},
        {"zero with exponent", "0e5", 0, 3, true, false},
        {"negative zero is zero", "-0", 0, 2, true, false},
        {"many digits", "123456789012345678901234567890", 1.2345678901234568e29, 30, true, false},
        {"overflow", "1e400", 0, 5, true, true},
        {"underflow to zero", "1e-400", 0, 6, true, false},
        {"huge exponent", "9e99999999999999999999", 0, 22, true, true},
        {"hex", "&H1F", 31, 4, true, false},
        {"hex lower case", "&hff", 255, 4, true, false},
        {"hex Integer goes negative", "&HFFFF", -1, 6, true, false},
        {"hex 0x8000 is the smallest Integer", "&H8000", -32768, 6, true, false},
        {"hex above 16 bits is a Long", "&H10000", 65536, 7, true, false},
        {"hex Long goes negative", "&HFFFFFFFF", -1, 10, true, false},
        {"hex Long suffix", "&HFFFF&", 65535, 7, true, false},
        {"hex beyond 32 bits", "&H100000000", 0, 11, true, true},
        {"hex stops at non-digit", "&H1G", 1, 3, true, false},
        {"hex without digits", "&H", 0, 0, false, false},
        {"octal", "&O17", 15, 4, true, false},
        {"octal stops at 8", "&o78", 7, 3, true, false},
        {"ampersand alone", "&", 0, 0, false, false},
        {"other prefix", "&X1", 0, 0, false, false},
        {"empty", "", 0, 0, false, false},
        {"only blanks", "   ", 0, 0, false, false},
        {"letters", "abc", 0, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const plat::LeadingNumber n = plat::parseLeadingNumber(c.text);
        EXPECT_EQ(n.value, c.value);
        EXPECT_EQ(n.used, c.used);
        EXPECT_EQ(n.found, c.found);
        EXPECT_EQ(n.overflow, c.overflow);
        EXPECT_FALSE(std::signbit(n.value) && n.value == 0);

        std::u16string wide(c.text.begin(), c.text.end());
        const plat::LeadingNumber w = plat::parseLeadingNumber(wide);
        EXPECT_EQ(w.value, n.value);
        EXPECT_EQ(w.used, n.used);
        EXPECT_EQ(plat::val(wide), plat::val(c.text));
    }
}

TEST(Numbers, ValStopsAtCharactersOutsideAscii) {
    EXPECT_EQ(plat::val(u"7\u00A08"), 7);  // no-break space is not a blank
    EXPECT_EQ(plat::val(u"\uFF11"), 0);    // full-width digit is not a digit
    EXPECT_EQ(plat::val(std::string("9\xC2\xB2")), 9);
}

// The registry's "LimLenV" read as text: twelve and a half gives 12.
TEST(Numbers, SettingTextRoundsHalfToEven) {
    EXPECT_EQ(plat::toLong(plat::val("12.5")), 12);
    EXPECT_EQ(plat::toLong(plat::val("13.5")), 14);
}

TEST(Numbers, IsNumericTable) {
    const struct {
        const char* name;
        std::string text;
        bool numeric;
    } cases[] = {
        {"integer", "42", true},
        {"blanks around", "  -4.5  ", true},
        {"tab around", "\t4\t", true},
        {"exponent", "1E-3", true},
        {"point first", ".5", true},
        {"point last", "5.", true},
        {"hex", "&HFF", true},
        {"hex long suffix", "&HFF&", true},
        {"blank inside", "1 2", false},
        {"lone sign", "-", false},
        {"lone point", ".", false},
        {"dangling exponent", "1e", false},
        {"comma decimal", "1,5", false},
        {"trailing letters", "12px", false},
        {"overflow", "1e999", false},
        {"hex without digits", "&H", false},
        {"empty", "", false},
        {"blanks only", "  ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::isNumeric(c.text), c.numeric);
        EXPECT_EQ(plat::isNumeric(std::u16string(c.text.begin(), c.text.end())), c.numeric);
    }
}

}  // namespace
