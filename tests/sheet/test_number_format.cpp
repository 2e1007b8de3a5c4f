#include "sheet/number_format.h"

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
#include <vector>

namespace {

using Limits = std::numeric_limits<double>;

Text T(std::string_view bytes) { return Text::FromBytes(bytes); }
std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

// Any finite double, subnormals and extremes included, from a fixed seed.
std::vector<double> RandomFiniteDoubles(std::size_t count, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<double> values;
    while (values.size() < count) {
        const double x = std::bit_cast<double>(random());
        if (std::isfinite(x)) values.push_back(x);
    }
    // Random bit patterns rarely hit the subnormals; add a share of them.
    for (std::size_t k = 0; k < count / 8; ++k)
        values.push_back(std::bit_cast<double>(random() & 0x800FFFFFFFFFFFFFull));
    return values;
}

// The extremes every property must also hold for.
std::vector<double> Extremes() {
    std::vector<double> values = {Limits::max(),
                                  Limits::min(),
                                  Limits::denorm_min(),
                                  std::nextafter(Limits::min(), 0.0),
                                  std::nextafter(Limits::max(), 0.0),
                                  0x1p54,
                                  std::nextafter(0x1p54, 0.0),
                                  std::nextafter(0x1p54, Limits::infinity()),
                                  0x1p53,
                                  1e-4,
                                  std::nextafter(1e-4, 0.0),
                                  std::nextafter(1e-4, 1.0),
                                  1e16,
                                  1e22,
                                  1e23,
                                  0.1,
                                  1.0 / 3.0};
    const std::size_t positive = values.size();
    for (std::size_t k = 0; k < positive; ++k) values.push_back(-values[k]);
    return values;
}

// The text with its comma as a point, read by a correctly rounding reader.
double ReadExactly(const Text& text) {
    std::string s = S(text);
    for (char& c : s)
        if (c == ',') c = '.';
    double value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << s;
    EXPECT_EQ(result.ptr, s.data() + s.size()) << s;
    return value;
}

// Significant digits of a number text: neither the zeros in front nor the
// zeros that fill up a plain integer count.
int SignificantDigits(const std::string& s) {
    std::string digits;
    for (char c : s.substr(0, s.find('e')))
        if (c >= '0' && c <= '9') digits += c;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    return static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

// ---- FormulaNumberText ----

TEST(FormulaNumberText, WritesShortestDigitsWithADecimalComma) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {1, "1"},
        {2.5, "2,5"},
        {-3, "-3"},
        {0.1 + 0.2, "0,30000000000000004"},
        {1e20, "1e+20"},
        {0.00001, "1e-05"},
        {0.0001, "0,0001"},
        {-0.5, "-0,5"},
        {0, "0"},
        {-0.0, "-0"},
        {100, "100"},
        {10.5, "10,5"},
        {1234.75, "1234,75"},
        {0.1, "0,1"},
        {1.0 / 3.0, "0,3333333333333333"},
        {-2.0 / 3.0, "-0,6666666666666666"},
        {123456.789, "123456,789"},
        {1000000000000000.5, "1000000000000000,5"},
        {0.00012, "0,00012"},
        {-0.00099, "-0,00099"},
        {1.5e-10, "1,5e-10"},
        {-1.5e-10, "-1,5e-10"},
        {1e100, "1e+100"},
        {1e-100, "1e-100"},
        {1.25e300, "1,25e+300"},
        {Limits::max(), "1,7976931348623157e+308"},
        {-Limits::max(), "-1,7976931348623157e+308"},
        {Limits::min(), "2,2250738585072014e-308"},
        {Limits::denorm_min(), "5e-324"},
        {-Limits::denorm_min(), "-5e-324"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(FormulaNumberText(c.value)), c.expected) << c.expected;
}

TEST(FormulaNumberText, IsPlainFrom00001UpTo2Pow54) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0.0001, "0,0001"},
        {-0.0001, "-0,0001"},
        {std::nextafter(0.0001, 0.0), "9,999999999999999e-05"},
        {std::nextafter(0.0001, 1.0), "0,00010000000000000002"},
        {0.00009, "9e-05"},
        {0x1p54, "18014398509481984"},
        {-0x1p54, "-18014398509481984"},
        {std::nextafter(0x1p54, 0.0), "18014398509481982"},
        {std::nextafter(0x1p54, Limits::infinity()), "1,8014398509481988e+16"},
        {-std::nextafter(0x1p54, Limits::infinity()), "-1,8014398509481988e+16"},
        {0x1p53, "9007199254740992"},
        {1e16, "10000000000000000"},  // shortest digits "1", filled up with zeros
        {1e17, "1e+17"},
        {123e14, "12300000000000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(FormulaNumberText(c.value)), c.expected) << c.expected;
}

TEST(FormulaNumberText, ExponentHasASignAndAtLeastTwoDigits) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {1e-5, "1e-05"},   {1e-9, "1e-09"},     {1e-10, "1e-10"},   {2e-99, "2e-99"},
        {2e-100, "2e-100"}, {1e17, "1e+17"},    {1e99, "1e+99"},    {3e200, "3e+200"},
        {-4.5e-7, "-4,5e-07"}, {6.02214076e23, "6,02214076e+23"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(FormulaNumberText(c.value)), c.expected) << c.expected;
}

TEST(FormulaNumberText, WritesNanAndInfinities) {
    EXPECT_EQ(S(FormulaNumberText(Limits::quiet_NaN())), "nan");
    EXPECT_EQ(S(FormulaNumberText(-Limits::quiet_NaN())), "nan");  // the sign of a NaN is not shown
    EXPECT_EQ(S(FormulaNumberText(Limits::signaling_NaN())), "nan");
    EXPECT_EQ(S(FormulaNumberText(Limits::infinity())), "inf");
    EXPECT_EQ(S(FormulaNumberText(-Limits::infinity())), "-inf");
}

TEST(FormulaNumberText, DigitsReadBackExactlyAndCannotBeShorter) {
    std::vector<double> values = RandomFiniteDoubles(100000, 11);
    for (double x : Extremes()) values.push_back(x);
    for (double x : values) {
        const Text text = FormulaNumberText(x);
        const std::string s = S(text);
        const double back = ReadExactly(text);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(x)) << s;
        // One digit fewer, rounded correctly, must no longer give x.
        const int digits = SignificantDigits(s);
        if (digits > 1) {
            char shorter[64];
            std::snprintf(shorter, sizeof shorter, "%.*e", digits - 2, x);
            ASSERT_NE(std::strtod(shorter, nullptr), x) << s << " could be " << shorter;
        }
    }
}

TEST(FormulaNumberText, LayoutFollowsTheNotationRules) {
    std::vector<double> values = RandomFiniteDoubles(100000, 12);
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> decade(-6, 18);
    for (int k = 0; k < 50000; ++k) values.push_back(std::pow(10.0, decade(random)) * (k % 2 ? -1 : 1));
    for (double x : Extremes()) values.push_back(x);
    for (double x : values) {
        const std::string s = S(FormulaNumberText(x));
        SCOPED_TRACE(s);
        ASSERT_EQ(s.find('.'), std::string::npos);
        ASSERT_EQ(s[0] == '-', std::signbit(x));
        ASSERT_FALSE(s.size() >= 3 && s.ends_with(",0"));
        const std::string body = s[0] == '-' ? s.substr(1) : s;
        const std::size_t e = body.find('e');
        const double magnitude = std::fabs(x);
        const bool exponential = magnitude != 0 && (magnitude < 1e-4 || magnitude > 0x1p54);
        ASSERT_EQ(e != std::string::npos, exponential);
        const std::string mantissa = body.substr(0, e);
        ASSERT_LE(std::count(mantissa.begin(), mantissa.end(), ','), 1);
        const std::size_t comma = mantissa.find(',');
        const std::string integer = mantissa.substr(0, comma);
        ASSERT_FALSE(integer.empty());
        ASSERT_FALSE(integer.size() > 1 && integer[0] == '0');
        ASSERT_FALSE(comma != std::string::npos && mantissa.ends_with('0'));
        if (!exponential) continue;
        ASSERT_EQ(integer.size(), 1u);
        ASSERT_NE(integer, "0");
        const std::string exponent = body.substr(e + 1);
        ASSERT_TRUE(exponent[0] == '+' || exponent[0] == '-');
        ASSERT_EQ(exponent[0] == '-', magnitude < 1);
        ASSERT_GE(exponent.size(), 3u);
        ASSERT_LE(exponent.size(), 4u);
        ASSERT_FALSE(exponent.size() == 4 && exponent[1] == '0');
        ASSERT_EQ(exponent.find_first_not_of("0123456789", 1), std::string::npos);
    }
}

// ---- TextToNumber ----

TEST(TextToNumber, ReadsTheDocumentedForms) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"12,5", 12.5},
        {"12.5", 12.5},
        {"-0,25", -0.25},
        {"3 Stück", 3},
        {"abc", 0},
        {"", 0},
        {"1e+20", 1e20},
        {"+5", 0},
        {"7", 7},
        {",5", 0.5},
        {".5", 0.5},
        {"-,5", -0.5},
        {"3,", 3},
        {"3,5x", 3.5},
        {"3,5,7", 3.5},
        {"  42", 42},
        {" 3,5", 3},     // a leading blank hides the fraction
        {" -3", -3},     // a "-" after blanks negates the integer part
        {" -3,5", -3},
        {"- 5", -5},
        {"--5", 5},      // both minus signs count
        {"--5,5", 5},    // the second "-" hides the fraction
        {"1e3", 1000},   // exponent without sign
        {"1E+3", 1000},
        {"2,5e2", 250},
        {"2,5E-1", 0.25},
        {",5e1", 5},
        {"3,e2", 300},
        {" 3e2", 300},   // the exponent follows the integer digits
        {"5e", 5},
        {"5e+", 5},
        {"5ex", 5},
        {"5 e2", 5},
        {"12\xC4pfel", 12},
        {"0,000", 0},
        {"007", 7},
        {"1.250.000", 1.25},
        {"-12,5e1", -125},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToNumber(T(c.text)), c.expected) << c.text;
}

TEST(TextToNumber, RoundsOnceToTheNearestDouble) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"0,699", 0.699},
        {"0.699", 0.699},
        {"1,5e-05", 1.5e-05},
        {"7e-10", 7e-10},
        {"3e-7", 3e-7},
        {"-3e-7", -3e-7},
        {"0,4031", 0.4031},
        {"0,832091", 0.832091},
        {"2.4970035", 2.4970035},
        {"0,1", 0.1},
        {"0,3", 0.3},
        {"123,456e-3", 0.123456},
        {"1e23", 1e23},
        {"8,98846567431158e307", 8.98846567431158e307},
        {"1,7976931348623157e+308", Limits::max()},
        {"2,2250738585072014e-308", Limits::min()},
        {"2,2250738585072009e-308", std::nextafter(Limits::min(), 0.0)},
        {"4,9406564584124654e-324", Limits::denorm_min()},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToNumber(T(c.text)), c.expected) << c.text;
    EXPECT_EQ(S(FormulaNumberText(TextToNumber(T("0,699")))), "0,699");
    EXPECT_EQ(S(FormulaNumberText(TextToNumber(T("1,5e-05")))), "1,5e-05");
}

// Random decimal texts of up to 40 digits in all their forms read as the
// correctly rounded double of the same digits.
TEST(TextToNumber, AgreesWithACorrectlyRoundingReader) {
    std::mt19937_64 random(31);
    std::uniform_int_distribution<int> lengths(0, 20);
    std::uniform_int_distribution<int> digits(0, 9);
    std::uniform_int_distribution<int> exponents(-300, 260);
    std::uniform_int_distribution<int> coin(0, 1);
    const auto digitRun = [&](int length) {
        std::string run;
        for (int k = 0; k < length; ++k) run += static_cast<char>('0' + digits(random));
        return run;
    };
    for (int k = 0; k < 100000; ++k) {
        const std::string integer = digitRun(lengths(random));
        const std::string fraction = digitRun(lengths(random));
        if (integer.empty() && fraction.empty()) continue;
        std::string text = coin(random) ? "-" : "";
        text += integer;
        if (!fraction.empty() || coin(random)) text += coin(random) ? "," : ".";
        text += fraction;
        if (coin(random)) {
            const int exponent = exponents(random);
            text += coin(random) ? "e" : "E";
            if (exponent >= 0 && coin(random)) text += "+";
            text += std::to_string(exponent);
        }
        const double value = TextToNumber(T(text));
        const double expected = ReadExactly(T(text));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

TEST(TextToNumber, RoundsHalfwayToEvenAndLetsEveryDigitCount) {
    // 2^53 + 1 lies halfway between two doubles: to even, unless any later
    // digit, however far behind, makes it more than halfway.
    EXPECT_EQ(TextToNumber(T("9007199254740993")), 9007199254740992.0);
    EXPECT_EQ(TextToNumber(T("9007199254740993," + std::string(500, '0'))), 9007199254740992.0);
    EXPECT_EQ(TextToNumber(T("9007199254740993," + std::string(500, '0') + "1")), 9007199254740994.0);
    EXPECT_EQ(TextToNumber(T("9007199254740995")), 9007199254740996.0);
    EXPECT_EQ(TextToNumber(T("9007199254740993" + std::string(500, '0') + "e-500")), 9007199254740992.0);
    EXPECT_EQ(TextToNumber(T("9007199254740992" + std::string(500, '9') + "e-500")), 9007199254740992.0);
    // Long runs of digits and zeros.
    EXPECT_EQ(TextToNumber(T("0," + std::string(2000, '3'))), 1.0 / 3.0);
    EXPECT_EQ(TextToNumber(T("1" + std::string(500, '0') + "e-500")), 1.0);
    EXPECT_EQ(TextToNumber(T("1" + std::string(400, '0') + "e-500")), 1e-100);
    EXPECT_EQ(TextToNumber(T("0," + std::string(500, '0') + "1e501")), 1.0);
    EXPECT_EQ(TextToNumber(T(std::string(500, '0') + "25,5")), 25.5);
    EXPECT_EQ(TextToNumber(T("0," + std::string(300, '0') + "1e300")), 0.1);
}

TEST(TextToNumber, RoundsIntegerDigitsToTheNearestDouble) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"9007199254740993", 9007199254740992.0},  // halfway: to even
        {"18014398509481985", 18014398509481984.0},
        {"54704096319095308", 54704096319095312.0},
        {"91971223711800853", 91971223711800848.0},
        {"18446744073709551615", 18446744073709551616.0},
        {"99999999999999999999", 1e20},
        {"-9223372036854775808", -9223372036854775808.0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToNumber(T(c.text)), c.expected) << c.text;
}

TEST(TextToNumber, OverflowsToInfinityAndUnderflowsToZero) {
    struct Case {
        std::string text;
        double expected;
    };
    const Case cases[] = {
        {"1e400", Limits::infinity()},
        {"-1e400", -Limits::infinity()},
        {"1,7976931348623158e308", Limits::max()},  // below halfway to 2^1024
        {"1,7976931348623159e308", Limits::infinity()},
        {"-1,7976931348623159e308", -Limits::infinity()},
        {"179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497791", Limits::max()},
        {"179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497792", Limits::infinity()},
        {"1e99999999999999999999999", Limits::infinity()},
        {"1" + std::string(400, '0'), Limits::infinity()},
        {"2,4703282292062328e-324", Limits::denorm_min()},  // above half the smallest
        {"2,4703282292062327e-324", 0.0},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"-2e-324", -0.0},
        {"1e-99999999999999999999999", 0.0},
        {"0e99999999999999999999999", 0.0},
        {"0," + std::string(500, '0') + "1", 0.0},
        {"-0," + std::string(500, '0') + "1", -0.0},
        {"1" + std::string(500, '0') + "e-99999999", 0.0},
        {"0," + std::string(500, '0') + "1e99999999", Limits::infinity()},
    };
    for (const Case& c : cases) {
        const double value = TextToNumber(T(c.text));
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_EQ(std::signbit(value), std::signbit(c.expected)) << c.text;
    }
}

TEST(TextToNumber, GivesPositiveZeroWithoutDigitsAndKeepsNegativeZero) {
    for (const char* text : {"-", "-abc", "-,", "-e5", "", "+0", "--"}) {
        const double value = TextToNumber(T(text));
        EXPECT_EQ(value, 0.0) << text;
        EXPECT_FALSE(std::signbit(value)) << text;
    }
    for (const char* text : {"-0", "-0,0", "-,0", "-0e5", " -0"}) {
        const double value = TextToNumber(T(text));
        EXPECT_EQ(value, 0.0) << text;
        EXPECT_TRUE(std::signbit(value)) << text;
    }
    EXPECT_FALSE(std::signbit(TextToNumber(T("--0"))));
}

TEST(TextToNumber, ReadsNanAndInfinityTextsAsZero) {
    for (const char* text : {"nan", "inf", "-inf"}) EXPECT_EQ(TextToNumber(T(text)), 0.0) << text;
}

// ---- Round trips ----

void ExpectRoundTrip(double x) {
    const double back = TextToNumber(FormulaNumberText(x));
    ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(x)) << S(FormulaNumberText(x));
}

TEST(RoundTrip, IsExactForOrdinaryValues) {
    for (double x : {2.5, -3.0, 1234.75, 0.0, -0.0, 1.0, 0.5, 100.0, 0.0001, 0x1p53, 0x1p54, -0x1p54, 1e16})
        ExpectRoundTrip(x);
    std::mt19937_64 random(21);
    std::uniform_int_distribution<Int> cents(-1000000000000000, 1000000000000000);
    std::uniform_int_distribution<Int> integers(-(Int{1} << 54), Int{1} << 54);
    std::uniform_int_distribution<Int> numerators(-(Int{1} << 40), Int{1} << 40);
    std::uniform_int_distribution<int> binaryPlaces(0, 13);
    std::uniform_real_distribution<double> wide(-1e15, 1e15);
    for (int k = 0; k < 100000; ++k) {
        ExpectRoundTrip(static_cast<double>(cents(random)) / 100);
        ExpectRoundTrip(static_cast<double>(integers(random)));
        ExpectRoundTrip(std::ldexp(static_cast<double>(numerators(random)), -binaryPlaces(random)));
        ExpectRoundTrip(wide(random));
    }
}

TEST(RoundTrip, IsExactForEveryFiniteDouble) {
    std::vector<double> values = RandomFiniteDoubles(200000, 22);
    for (double x : Extremes()) values.push_back(x);
    for (double x : {0.0, -0.0, 0.699, 1.5e-05, 5e-324, 2.2250738585072009e-308})
        values.push_back(x);
    // The neighbours of every power of ten, where notation and rounding change.
    for (int e = -323; e <= 308; ++e) {
        const double power = std::pow(10.0, e);
        for (double x : {power, std::nextafter(power, 0.0), std::nextafter(power, Limits::infinity())}) {
            values.push_back(x);
            values.push_back(-x);
        }
    }
    for (double x : values) ExpectRoundTrip(x);
}

// ---- FormatNumber ----

// The currency display and the printer round half up to cents first.
Text Currency(double x) { return FormatNumber(32, 1, 2, 0, std::trunc(x * 100 + 0.5) / 100); }

TEST(FormatNumber, CurrencyCallsShowCents) {
    struct Case {
        double value;
        std::string expected;
    };
    const Case cases[] = {
        {1234.5, "1234,50"},
        {0.005, "0,01"},
        {-2.345, "-2,34"},
        {7, "7,00"},
        {1e20, "1" + std::string(20, '0') + ",00"},
        {0, "0,00"},
        {-0.0, "0,00"},
        {-0.001, "0,00"},
        {-0.007, "-0,00"},  // trunc(-0.2) is -0
        {0.004, "0,00"},
        {1.5e-5, "0,00"},
        {99.999, "100,00"},
        {2.5e17, "25" + std::string(16, '0') + ",00"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(Currency(c.value)), c.expected) << c.expected;
}

TEST(FormatNumber, LaysOutFixedDecimalsWithoutRounding) {
    struct Case {
        Int fill, width, decimals, grouping;
        double value;
        std::string expected;
    };
    const Case cases[] = {
        {32, 1, 2, 0, 0.1, "0,10"},
        {32, 1, 2, 0, -0.0, "-0,00"},
        {32, 1, -2, 0, 0.5, "0,5"},
        {32, 1, 2, 1, 1234567.891, "1.234.567,89"},
        {32, 1, 2, 0, 1234567.899, "1234567,89"},  // cut, not rounded
        {32, 1, 0, 0, 1234.99, "1234"},
        {32, 1, -3, 0, 2, "2"},
        {32, 1, -3, 0, 2.25, "2,25"},
        {32, 1, -1, 0, 2.25, "2,2"},
        {32, 1, -1, 0, 2, "2"},
        {32, 1, -2, 0, 2.5, "2,5"},
        {32, 1, -4, 0, 2.5, "2,5"},
        {32, 1, 4, 0, 2.5, "2,5000"},
        {32, 1, 8, 0, 1.5e-5, "0,00001500"},
        {32, 1, 4, 0, 1.5e-5, "0,0000"},
        {32, 1, -4, 0, 1.5e-5, "0"},
        {32, 1, -9, 0, 1.5e-5, "0,000015"},
        {32, 1, 3, 0, -1e-5, "-0,000"},
        {32, 1, 1, 0, 1.5e20, "15" + std::string(19, '0') + ",0"},
        {32, 1, 1, 0, 1.2345e17, "123450000000000000,0"},
        {32, 1, 2, 1, 1e20, "100.000.000.000.000.000.000,00"},
        {32, 1, 2, 1, -1234567, "-1.234.567,00"},
        {32, 1, 0, 1, 123, "123"},
        {32, 1, 0, 1, 1234, "1.234"},
        {32, 1, 0, 1, 0.5, "0"},
        {32, 1, 0, 2, 1234, "1234"},  // only the low bit of grouping counts
        {32, 1, 0, 3, 1234, "1.234"},
        {32, 8, 2, 0, -2.5, "      -2,50"},  // width counts sign and integer digits
        {48, 6, 2, 0, -2.5, "0000-2,50"},
        {42, 5, 0, 1, 1234, "1.234"},
        {42, 6, 0, 1, 1234, "*1.234"},
        {200, 3, 0, 0, 5, "\xC8\xC8" "5"},
        {-1, 6, 0, 0, 5, "5"},
        {256, 6, 0, 0, 5, "5"},
        {32, 0, 0, 0, 5, "5"},
        {32, -5, 0, 0, 5, "5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(FormatNumber(c.fill, c.width, c.decimals, c.grouping, c.value)), c.expected)
            << c.fill << " " << c.width << " " << c.decimals << " " << c.grouping << " " << c.value;
}

TEST(FormatNumber, ReturnsTextsStartingWithALetterUnchanged) {
    EXPECT_EQ(S(FormatNumber(48, 10, 2, 1, Limits::quiet_NaN())), "nan");
    EXPECT_EQ(S(FormatNumber(48, 10, 2, 1, Limits::infinity())), "inf");
    // "-inf" starts with "-", so it goes through the layout like a number.
    EXPECT_EQ(S(FormatNumber(32, 1, 2, 0, -Limits::infinity())), "-inf,00");
    EXPECT_EQ(S(FormatNumber(48, 6, 0, 1, -Limits::infinity())), "00-inf");
}

TEST(FormatNumber, BoundsWildWidthsAndDecimals) {
    const Int most = std::numeric_limits<Int>::max();
    const Int least = std::numeric_limits<Int>::min();
    EXPECT_EQ(S(FormatNumber(32, 1, least, 0, 2.25)), "2,25");
    const Text wide = FormatNumber(32, most, 0, 0, 1);
    EXPECT_GT(wide.Size(), 1000u);
    EXPECT_LE(wide.Size(), 100000u);
    EXPECT_EQ(wide.Elements.back(), '1');
    const Text many = FormatNumber(32, least, most, 0, 1);
    EXPECT_GT(many.Size(), 1000u);
    EXPECT_LE(many.Size(), 100000u);
    EXPECT_EQ(S(many).substr(0, 4), "1,00");
}

// ---- IntegerText ----

TEST(IntegerText, GroupsSignsAndFillsInFrontOfEverything) {
    const Int least = std::numeric_limits<Int>::min();
    struct Case {
        Int value, fill, width;
        bool grouping;
        std::string expected;
    };
    const Case cases[] = {
        {0, 32, 0, false, "0"},
        {7, 48, 3, false, "007"},
        {-5, 48, 3, false, "0-5"},
        {-12, 32, 5, false, "  -12"},
        {12345, 48, 3, false, "12345"},
        {1234567, 32, 0, true, "1.234.567"},
        {1234567, 32, 0, false, "1234567"},
        {-1234567, 48, 11, true, "0-1.234.567"},
        {999, 32, 0, true, "999"},
        {1000, 32, 0, true, "1.000"},
        {100000, 32, 0, true, "100.000"},
        {7, -1, 5, false, "7"},
        {7, 256, 5, false, "7"},
        {7, 0, 3, false, std::string("\0\0" "7", 3)},
        {least, 32, 0, false, "-9223372036854775808"},
        {least, 32, 0, true, "-9.223.372.036.854.775.808"},
        {std::numeric_limits<Int>::max(), 32, 0, true, "9.223.372.036.854.775.807"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(IntegerText(c.value, c.fill, c.width, c.grouping)), c.expected) << c.value << " " << c.width;
    EXPECT_EQ(IntegerText(1, 32, std::numeric_limits<Int>::max(), false).Elements.back(), '1');
}

// ---- TimeText ----

TEST(TimeText, WritesMinutesSecondsAndFractions) {
    struct Case {
        Int milliseconds, digits;
        bool hours;
        const char* expected;
    };
    const Case cases[] = {
        {3723456, 2, true, "1:02:03:45"},
        {75000, 0, false, "01:15"},
        {0, 0, false, "00:00"},
        {0, 0, true, "0:00:00"},
        {3723456, 0, false, "62:03"},
        {3723456, 3, false, "62:03:456"},
        {3723456, 1, true, "1:02:03:4"},
        {3723999, 2, true, "1:02:03:99"},  // cut, not rounded
        {5, 3, false, "00:00:005"},
        {50, 2, false, "00:00:05"},
        {36000000, 0, true, "10:00:00"},
        {359999999, 3, true, "99:59:59:999"},
        {6000000, 0, false, "100:00"},
        {3723456, 4, true, "1:02:03"},
        {3723456, -1, true, "1:02:03"},
    };
    for (const Case& c : cases) EXPECT_EQ(S(TimeText(c.milliseconds, c.digits, c.hours)), c.expected) << c.expected;
}

TEST(TimeText, ExtremeValuesDoNotOverflow) {
    EXPECT_FALSE(TimeText(std::numeric_limits<Int>::max(), 3, true).Empty());
    EXPECT_FALSE(TimeText(std::numeric_limits<Int>::min(), 3, false).Empty());
}

// ---- Formula outcome ----

TEST(OutcomeToCellText, ShowsErrorsValuesAndNoValue) {
    const auto real = [](double x) { return parser_UniversalType{ValueTypeReal, x, {}}; };
    struct Case {
        FormulaOutcome outcome;
        Int previousKind;
        std::string text;
        Int kind;
    };
    const Case cases[] = {
        {{real(2.5), 13, 7}, 3, "(ERR#13@7)", 3},
        {{real(2.5), 1, 1}, 1, "(ERR#1@1)", 1},  // an error keeps the previous kind
        {{parser_UniversalType{}, 22, 120}, 2, "(ERR#22@120)", 2},
        {{real(2.5), 0, 0}, 1, "2,5", 3},
        {{real(-0.0), 0, 0}, 2, "-0", 3},
        {{real(1e20), 0, 0}, 1, "1e+20", 3},
        {{real(Limits::quiet_NaN()), 0, 0}, 1, "nan", 3},
        {{parser_UniversalType{ValueTypeText, 7, T("Summe")}, 0, 0}, 3, "Summe", 2},
        {{parser_UniversalType{ValueTypeText, 0, {}}, 0, 0}, 1, "", 2},
        {{parser_UniversalType{ValueTypeNone, 5, {}}, 0, 0}, 3, "(NAN)", 2},
        {{parser_UniversalType{ValueTypeNone, 0, {}}, 0, 0}, 1, "(NAN)", 2},
    };
    // The cell's old text is replaced whatever its length.
    Text cellText = T("an old and rather long cell text");
    for (const Case& c : cases) {
        EXPECT_EQ(OutcomeToCellText(c.outcome, c.previousKind, cellText), c.kind) << c.text;
        EXPECT_EQ(S(cellText), c.text);
    }
}

}  // namespace
