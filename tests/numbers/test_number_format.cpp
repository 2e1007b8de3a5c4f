#include "numbers/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace {

using Limits = std::numeric_limits<double>;
constexpr double Inf = Limits::infinity();

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Random doubles, subnormals, cents, whole numbers and powers, and where notation or rounding
// changes: the neighbours of every power of ten, of 2^54 and of the smallest and largest doubles.
std::vector<double> TestDoubles() {
    std::mt19937_64 random(11);
    std::uniform_int_distribution<Int> cents(-1000000000000000, 1000000000000000), whole(-(Int{1} << 54), Int{1} << 54);
    std::uniform_real_distribution<double> decade(-6, 18);
    std::vector<double> values;
    while (values.size() < 200000) {
        const double x = std::bit_cast<double>(random());
        if (std::isfinite(x)) values.push_back(x);
    }
    for (int k = 0; k < 30000; ++k)
        values.insert(values.end(), {std::bit_cast<double>(random() & 0x800FFFFFFFFFFFFFull),
                                     static_cast<double>(cents(random)) / 100, static_cast<double>(whole(random)),
                                     static_cast<double>(cents(random) % 100000000) / 1000,
                                     static_cast<double>(cents(random) % 1000000) / 10000,
                                     std::pow(10.0, decade(random)) * (k % 2 ? -1 : 1)});
    std::vector<double> edges = {0.0, Limits::max(), Limits::min(), Limits::denorm_min(), 0x1p54, 0x1p53, 0.1};
    for (int e = -323; e <= 308; ++e) edges.push_back(std::pow(10.0, e));
    for (double x : edges)
        for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, Inf)})
            if (std::isfinite(y)) values.insert(values.end(), {y, -y});
    return values;
}

// The text with its comma as a point, read by a correctly rounding reader.
double ReadExactly(std::string s) {
    std::replace(s.begin(), s.end(), ',', '.');
    double value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    EXPECT_TRUE(result.ec == std::errc() && result.ptr == s.data() + s.size()) << s;
    return value;
}

TEST(FormulaNumberText, WritesPlainBetween00001And2Pow54AndExponentsOutside) {
    const std::pair<double, const char*> cases[] = {
        {1, "1"}, {2.5, "2,5"}, {-3, "-3"}, {100, "100"}, {10.5, "10,5"}, {-0.0, "-0"}, {0.1 + 0.2, "0,30000000000000004"},
        {0.0001, "0,0001"}, {std::nextafter(0.0001, 0.0), "9,999999999999999e-05"}, {0.00001, "1e-05"},
        {0x1p54, "18014398509481984"}, {std::nextafter(0x1p54, Inf), "1,8014398509481988e+16"}, {1e16, "10000000000000000"},
        {1e20, "1e+20"}, {1e-100, "1e-100"}, {-Limits::max(), "-1,7976931348623157e+308"}, {Limits::denorm_min(), "5e-324"},
        {Limits::quiet_NaN(), "nan"}, {-Limits::quiet_NaN(), "nan"}, {Inf, "inf"}, {-Inf, "-inf"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(S(FormulaNumberText(value)), expected) << expected;
}

// Every finite double: the digits read back exactly, also by TextToNumber,
// one digit fewer would not do, and the layout keeps its rules. Written and
// read again at once, text and value come from what was written last; with
// a byte behind it the text is read digit by digit.
TEST(FormulaNumberText, RoundTripsShortestAndWellFormedForEveryDouble) {
    for (double x : TestDoubles()) {
        const std::string s = S(FormulaNumberText(x));
        SCOPED_TRACE(s);
        ASSERT_EQ(std::make_tuple(Bits(ReadExactly(s)), Bits(TextToNumber(T(s))), Bits(TextToNumber(T(s + "x"))),
                                  S(FormulaNumberText(x)), s[0] == '-'),
                  std::make_tuple(Bits(x), Bits(x), Bits(x), s, std::signbit(x)));
        const std::size_t e = s.find('e'), comma = s.find(','), first = s.find_first_not_of("-0,");
        const std::size_t last = s.substr(0, e).find_last_not_of("0,");
        const int digits = first >= e ? 0 : static_cast<int>(last - first + 1 - (comma > first && comma < last));
        if (digits > 1) {
            char shorter[64];
            std::snprintf(shorter, sizeof shorter, "%.*e", digits - 2, x);
            ASSERT_NE(std::strtod(shorter, nullptr), x) << "could be " << shorter;
        }
        // Plain: no zero in front of the integer, none at the end of a fraction.
        const double magnitude = std::fabs(x);
        const std::string mantissa = s.substr(s[0] == '-', e - (s[0] == '-'));
        ASSERT_EQ(mantissa.find_first_not_of("0123456789,"), std::string::npos);
        ASSERT_FALSE(comma != std::string::npos && (mantissa.back() == '0' || s.find(',', comma + 1) < e));
        ASSERT_FALSE(mantissa.size() > 1 && mantissa[0] == '0' && mantissa[1] != ',');
        ASSERT_EQ(e != std::string::npos, magnitude != 0 && (magnitude < 1e-4 || magnitude > 0x1p54));
        if (e == std::string::npos) continue;
        // Exponent: one leading digit, a sign, two or three digits.
        ASSERT_TRUE(mantissa[0] != '0' && (comma == std::string::npos || mantissa[1] == ','));
        const std::string exponent = s.substr(e + 1);
        ASSERT_EQ(exponent[0], magnitude < 1 ? '-' : '+');
        ASSERT_TRUE(exponent.size() == 3 || (exponent.size() == 4 && exponent[1] != '0'));
        ASSERT_EQ(exponent.find_first_not_of("0123456789", 1), std::string::npos);
    }
}

// Plain forms with comma or point are read against a reference below; here
// what surrounds the number, and digits and exponents beyond every limit.
TEST(TextToNumber, ReadsTheLeadingNumberAndNothingElse) {
    const std::pair<std::string, double> cases[] = {
        {"3 Stück", 3}, {"abc", 0}, {"", 0}, {"+5", 0}, {"3,5,7", 3.5}, {"  42", 42}, {"1.250.000", 1.25},
        {" 3,5", 3}, {" -3,5", -3}, {"- 5", -5}, {"--5,5", 5},  // a blank or second "-" in front hides the fraction
        {" 3e2", 300}, {"5e", 5}, {"5e+", 5}, {"5 e2", 5}, {"nan", 0}, {"-inf", 0}, {"-", 0}, {"-e5", 0}, {"--0", 0},
        {"-0", -0.0}, {" -0", -0.0}, {"-1e-400", -0.0}, {"-0," + std::string(500, '0') + "1", -0.0},
        // Halfway between two doubles rounds to even, unless any digit after it, however far, tips it.
        {"9007199254740993", 9007199254740992.0}, {"9007199254740995", 9007199254740996.0},
        {"9007199254740993," + std::string(500, '0') + "1", 9007199254740994.0},
        {"9007199254740992" + std::string(500, '9') + "e-500", 9007199254740992.0},
        {"0," + std::string(2000, '3'), 1.0 / 3.0}, {"0," + std::string(500, '0') + "1e501", 1.0},
        // Beyond the largest double an infinity, below half the smallest zero.
        {"1,7976931348623158e308", Limits::max()}, {"1,7976931348623159e308", Inf}, {"-1e400", -Inf},
        {"1e99999999999999999999999", Inf}, {"1" + std::string(400, '0'), Inf},
        {"0," + std::string(500, '0') + "1e99999999", Inf}, {"2,4703282292062328e-324", Limits::denorm_min()},
        {"2,4703282292062327e-324", 0.0}, {"1e-99999999999999999999999", 0.0}, {"0e99999999999999999999999", 0.0},
        {"1" + std::string(500, '0') + "e-99999999", 0.0},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Bits(TextToNumber(T(text))), Bits(expected)) << text;
}

// Random decimal texts of up to 40 digits in all their forms read as the
// correctly rounded double of the same digits.
TEST(TextToNumber, AgreesWithACorrectlyRoundingReader) {
    std::mt19937_64 random(31);
    std::uniform_int_distribution<int> lengths(0, 20), digits(0, 9), exponents(-300, 260), coin(0, 1);
    for (int k = 0; k < 100000; ++k) {
        const std::size_t split = lengths(random);
        std::string run(split + lengths(random), '0');
        for (char& d : run) d = static_cast<char>('0' + digits(random));
        const std::string integer = run.substr(0, split), fraction = run.substr(split);
        if (run.empty()) continue;
        std::string text = (coin(random) ? "-" : "") + integer;
        if (!fraction.empty() || coin(random)) text += coin(random) ? "," : ".";
        text += fraction;
        if (coin(random)) {
            const int exponent = exponents(random);
            text += coin(random) ? "e" : "E";
            if (exponent >= 0 && coin(random)) text += "+";
            text += std::to_string(exponent);
        }
        ASSERT_EQ(Bits(TextToNumber(T(text))), Bits(ReadExactly(text))) << text;
    }
}

TEST(FormatNumber, LaysOutFixedDecimalsWithoutRounding) {
    struct Case { Int fill, width, decimals, grouping; double value; std::string expected; } cases[] = {
        {32, 1, 2, 0, 0.1, "0,10"}, {32, 1, 2, 0, -0.0, "-0,00"}, {32, 1, -2, 0, 0.5, "0,5"}, {32, 1, -3, 0, 2, "2"},
        {32, 1, 2, 1, 1234567.891, "1.234.567,89"}, {32, 1, 0, 0, 1234.99, "1234"},  // cut, not rounded
        {32, 1, -1, 0, 2.25, "2,2"}, {32, 1, 8, 0, 1.5e-5, "0,00001500"}, {32, 1, -4, 0, 1.5e-5, "0"},
        {32, 1, 1, 0, 1.2345e17, "123450000000000000,0"}, {32, 1, 2, 1, 1e20, "100.000.000.000.000.000.000,00"},
        {32, 1, 0, 1, 123, "123"}, {32, 1, 0, 3, -1234, "-1.234"}, {32, 1, 0, 2, 1234, "1234"},  // the low bit groups
        {48, 6, 2, 0, -2.5, "0000-2,50"}, {42, 6, 0, 1, 1234, "*1.234"},  // width counts sign and integer digits
        {200, 3, 0, 0, 5, "\xC8\xC8" "5"}, {-1, 6, 0, 0, 5, "5"}, {256, 6, 0, 0, 5, "5"},
        {48, 10, 2, 1, Limits::quiet_NaN(), "nan"}, {48, 10, 2, 1, Inf, "inf"},
        {48, 6, 2, 1, -Inf, "00-inf,00"},  // "-inf" starts with "-" and is laid out like a number
        {32, 1, std::numeric_limits<Int>::min(), 0, 2.25, "2,25"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(FormatNumber(c.fill, c.width, c.decimals, c.grouping, c.value)), c.expected)
            << c.fill << " " << c.width << " " << c.decimals << " " << c.grouping << " " << c.value;
    // Wild widths and decimal counts are bounded, not obeyed.
    const Text wide = FormatNumber(32, std::numeric_limits<Int>::max(), std::numeric_limits<Int>::max(), 0, 1);
    EXPECT_TRUE(wide.Size() > 2000 && wide.Size() < 200000);
    EXPECT_EQ(S(wide).substr(S(wide).find('1'), 4), "1,00");
}

TEST(IntegerText, GroupsSignsAndFillsInFrontOfEverything) {
    struct Case { Int value, fill, width; bool grouping; std::string expected; } cases[] = {
        {0, 32, 0, false, "0"}, {7, 48, 3, false, "007"}, {-5, 48, 3, false, "0-5"}, {12345, 48, 3, false, "12345"},
        {-1234567, 48, 11, true, "0-1.234.567"}, {999, 32, 0, true, "999"}, {100000, 32, 0, true, "100.000"},
        {7, -1, 5, false, "7"}, {7, 256, 5, false, "7"}, {7, 0, 3, false, std::string("\0\0" "7", 3)},
        {std::numeric_limits<Int>::min(), 32, 0, true, "-9.223.372.036.854.775.808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(IntegerText(c.value, c.fill, c.width, c.grouping)), c.expected) << c.value << " " << c.width;
}

TEST(TimeText, WritesMinutesSecondsAndCutFractions) {
    struct Case { Int milliseconds, digits; bool hours; const char* expected; } cases[] = {
        {3723456, 2, true, "1:02:03:45"}, {75000, 0, false, "01:15"}, {3723456, 3, false, "62:03:456"},
        {3723999, 1, true, "1:02:03:9"}, {5, 3, false, "00:00:005"}, {50, 2, false, "00:00:05"},
        {359999999, 3, true, "99:59:59:999"}, {6000000, 0, false, "100:00"}, {36000000, 4, true, "10:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(TimeText(c.milliseconds, c.digits, c.hours)), c.expected) << c.expected;
    EXPECT_FALSE(TimeText(std::numeric_limits<Int>::max(), 3, true).Empty() || TimeText(-1, 3, false).Empty());
}

}  // namespace
