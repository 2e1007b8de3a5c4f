#include "numbers/number_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Widths and decimal counts beyond this are taken as this, so that a wild
// argument cannot ask for more memory than exists.
constexpr Int MaximumPadding = 65536;

// Exponents are read up to this magnitude and larger ones taken as this:
// far beyond where every finite double has become 0 or an infinity.
constexpr Int MaximumExponent = 100000;

// Plain notation ends here: beyond it doubles lie more than 2 apart, and a
// long plain integer would claim digits the value does not have.
constexpr double LargestPlainMagnitude = 0x1p54;

Text TextOf(std::string_view ascii) { return Text::FromBytes(ascii); }

std::string_view DigitsOf(std::uint64_t value, char (&buffer)[24]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

// Appends digits, with a "." before each digit (but the first) that has a
// multiple of three digits from it to the end.
void AppendDigits(CodeBuffer& out, std::string_view digits, bool grouping) {
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (grouping && k > 0 && (digits.size() - k) % 3 == 0) out.push_back('.');
        out.push_back(static_cast<UInt8>(digits[k]));
    }
}

// body with fill codes in front up to width.
CodeBuffer PadInFront(CodeBuffer body, Int fill, Int width) {
    const auto wanted = static_cast<std::size_t>(std::clamp<Int>(width, 0, MaximumPadding));
    if (fill < 0 || fill > 255 || body.size() >= wanted) return body;
    body.insert(body.begin(), wanted - body.size(), static_cast<UInt8>(fill));
    return body;
}

// Shortest round-trip digits of a finite value laid out with a decimal
// comma. Returns the length written.
std::size_t WriteShortest(double value, char* out) {
    char scientific[32];  // "-1.7976931348623157e+308" is the longest
    const char* end = std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific).ptr;
    // The exponent's "e" stands among the last five characters.
    const char* e = end - 1;
    while (*e != 'e') --e;
    int exponent = 0;
    for (const char* k = e + 2; k < end; ++k) exponent = exponent * 10 + (*k - '0');
    if (e[1] == '-') exponent = -exponent;

    // to_chars' form is "d.ddde±xx", or "de±xx" for one digit; value =
    // d.ddd x 10^exponent.
    std::size_t n = 0;
    const char* first = scientific;
    if (*first == '-') {
        out[n++] = '-';
        ++first;
    }
    const bool point = first + 1 < e;
    if (exponent < -4 || std::fabs(value) > LargestPlainMagnitude) {
        const auto length = static_cast<std::size_t>(end - first);
        std::memcpy(out + n, first, length);
        if (point) out[n + 1] = ',';
        return n + length;
    }
    char digits[20];
    digits[0] = *first;
    std::size_t count = 1;
    if (point) {
        std::memcpy(digits + 1, first + 2, static_cast<std::size_t>(e - first - 2));
        count += static_cast<std::size_t>(e - first - 2);
    }
    const auto put = [&](const char* from, std::size_t length) {
        std::memcpy(out + n, from, length);
        n += length;
    };
    const auto zeros = [&](std::size_t length) {
        std::memset(out + n, '0', length);
        n += length;
    };
    if (exponent < 0) {
        put("0,", 2);
        zeros(static_cast<std::size_t>(-exponent - 1));
        put(digits, count);
        return n;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (count <= integerDigits) {
        put(digits, count);
        zeros(integerDigits - count);
        return n;
    }
    put(digits, integerDigits);
    out[n++] = ',';
    put(digits + integerDigits, count - integerDigits);
    return n;
}

// The full-precision texts written last, found by value and by text: a
// sheet often formats a value it has just shown (Str$ of a cell) or reads
// back a text it has just written (Val(Str$(x))), and finding shortest
// digits, or reading so many, costs as much as the rest of such a formula.
// A text found by its bytes reads as its value, since shortest digits read
// back exactly. Per thread, so that no two computations share it.
class RecentTexts {
public:
    // `out` has room for MaximumLength bytes, all of which are copied: a
    // copy of a fixed size is two moves, one of the length a slow loop. A
    // text found is also put back where it is found by text, which another
    // may have taken meanwhile: the text is usually read back next.
    bool FindText(double value, char* out, std::size_t& length) {
        const Entry& entry = byValue_[ValueSlot(value)];
        if (entry.Length == 0 || entry.Bits != std::bit_cast<std::uint64_t>(value)) return false;
        length = entry.Length;
        std::memcpy(out, entry.Codes, sizeof entry.Codes);
        // Every entry holds a value's one shortest text, so the same bits
        // are the same text. The hash reads the table, not `out`, whose
        // bytes were only just stored.
        Entry& byText = byText_[TextSlot(std::string_view(entry.Codes, length))];
        if (byText.Bits != entry.Bits || byText.Length != entry.Length) byText = entry;
        return true;
    }
    bool FindValue(std::string_view text, double& value) const {
        if (text.size() > MaximumLength) return false;
        const Entry& entry = byText_[TextSlot(text)];
        if (entry.Length != text.size() || std::memcmp(entry.Codes, text.data(), text.size()) != 0) return false;
        value = std::bit_cast<double>(entry.Bits);
        return true;
    }
    void Remember(double value, std::string_view text) {
        if (text.empty() || text.size() > MaximumLength) return;
        Entry entry{std::bit_cast<std::uint64_t>(value), static_cast<UInt8>(text.size()), {}};
        std::memcpy(entry.Codes, text.data(), text.size());
        byValue_[ValueSlot(value)] = entry;
        byText_[TextSlot(text)] = entry;
    }

private:
    static constexpr std::size_t MaximumLength = 23;
    static constexpr int SlotBits = 10;
    struct Entry {
        std::uint64_t Bits;
        UInt8 Length;  // 0 for an empty slot
        char Codes[MaximumLength];
    };
    static std::size_t Spread(std::uint64_t h) {
        return static_cast<std::size_t>((h * 0x9E3779B97F4A7C15u) >> (64 - SlotBits));
    }
    static std::size_t ValueSlot(double value) { return Spread(std::bit_cast<std::uint64_t>(value)); }
    // From words read straight into registers, overlapping where the text
    // is no multiple of eight: a word read back from bytes just copied
    // into memory waits for them.
    static std::size_t TextSlot(std::string_view text) {
        const char* p = text.data();
        const std::size_t n = text.size();
        const auto word = [](const char* at) {
            std::uint64_t w = 0;
            std::memcpy(&w, at, sizeof w);
            return w;
        };
        std::uint64_t h = n;
        if (n >= 8) {
            h ^= word(p) ^ (word(p + n - 8) * 0xC2B2AE3D27D4EB4Fu);
            if (n > 16) h ^= word(p + 8) * 0x165667B19E3779F9u;
        } else {
            for (std::size_t i = 0; i < n; ++i) h ^= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i + 8);
        }
        return Spread(h);
    }
    std::array<Entry, std::size_t{1} << SlotBits> byValue_, byText_;
};

thread_local RecentTexts recentTexts;

// Reads an optionally signed exponent from position p on; 0 without digits.
Int ReadExponent(TextView c, std::size_t p) {
    bool negative = false;
    if (p < c.size() && (c[p] == '+' || c[p] == '-')) negative = c[p++] == '-';
    Int n = 0;
    for (; p < c.size() && IsDigit(c[p]); ++p) n = std::min(n * 10 + (c[p] - '0'), MaximumExponent);
    return negative ? -n : n;
}

// Counted by hand: find_first_not_of searches the set of one for every byte.
std::size_t LeadingZeros(std::string_view digits) {
    std::size_t n = 0;
    while (n < digits.size() && digits[n] == '0') ++n;
    return n;
}

// The magnitude integer.fraction x 10^exponent (decimal digits, either part
// may be empty), rounded once to the nearest double. Beyond the largest
// double it is an infinity, below half the smallest it is 0.
double DecimalValue(std::string_view integer, std::string_view fraction, Int exponent) {
    integer.remove_prefix(LeadingZeros(integer));
    const std::size_t fractionZeros = LeadingZeros(fraction);
    if (integer.empty() && fractionZeros == fraction.size()) return 0;
    // Fast path: up to 15 digits and a power of ten up to 22 are exact
    // doubles, so one multiplication or division rounds just once.
    if (integer.size() + fraction.size() <= 15) {
        static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const Int scale = exponent - static_cast<Int>(fraction.size());
        if (scale >= -22 && scale <= 22) {
            std::uint64_t mantissa = 0;
            for (const char d : integer) mantissa = mantissa * 10 + static_cast<std::uint64_t>(d - '0');
            for (const char d : fraction) mantissa = mantissa * 10 + static_cast<std::uint64_t>(d - '0');
            const double m = static_cast<double>(mantissa);
            return scale < 0 ? m / Powers[-scale] : m * Powers[scale];
        }
    }
    // The power of ten of the first significant digit: whether a value out
    // of range is too large or too small.
    const Int leading = integer.empty() ? exponent - 1 - static_cast<Int>(fractionZeros)
                                        : exponent + static_cast<Int>(integer.size()) - 1;

    // "integer.fraction" "e" exponent, the form from_chars reads the same
    // in every locale, on the stack unless the digit runs are long.
    char small[128];
    std::vector<char> large;
    char* text = small;
    const std::size_t needed = integer.size() + fraction.size() + 32;
    if (needed > sizeof small) {
        large.resize(needed);
        text = large.data();
    }
    char* end = std::copy(integer.begin(), integer.end(), text);
    *end++ = '.';
    end = std::copy(fraction.begin(), fraction.end(), end);
    *end++ = 'e';
    end = std::to_chars(end, text + needed, exponent).ptr;

    double value = 0;
    const auto read = std::from_chars(text, end, value);
    if (read.ec == std::errc::result_out_of_range)
        return leading >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

}  // namespace

// The shortest text of a value with at most four decimals and fifteen
// digits, nearly every value a sheet computes, written without to_chars:
// when m / 10^k gives the value back (one correctly rounded division of two
// exact doubles, as TextToNumber reads it), no other text of at most fifteen
// digits reads as that value, so m's digits are the shortest ones. The
// length written, 0 for a value outside these bounds.
std::size_t WriteShortDecimal(double value, char* out) {
    static constexpr double Powers[] = {1, 10, 100, 1000, 10000};
    constexpr double Limit = 1e15;
    for (int k = 0; k < 5; ++k) {
        const double scaled = value * Powers[k];
        if (!(std::fabs(scaled) < Limit)) continue;
        // Whole within the limit: converted and back without std::trunc,
        // which is a library call on most targets.
        const auto whole = static_cast<std::int64_t>(scaled);
        if (static_cast<double>(whole) != scaled) continue;
        const auto digits = static_cast<std::uint64_t>(whole < 0 ? -whole : whole);
        // Trailing zeros would not be shortest; to_chars settles such a value.
        const bool trailingZero = k > 0 && digits % 10 == 0;
        if (trailingZero || scaled / Powers[k] != value) continue;
        char reversed[24];
        std::size_t count = 0;
        for (auto m = digits; m != 0 || count <= static_cast<std::size_t>(k); m /= 10)
            reversed[count++] = static_cast<char>('0' + m % 10);
        std::size_t n = 0;
        if (std::signbit(value)) out[n++] = '-';
        while (count > 0) {
            out[n++] = reversed[--count];
            if (count == static_cast<std::size_t>(k) && k > 0) out[n++] = ',';
        }
        return n;
    }
    return 0;
}

void AssignFormulaNumberText(Text& text, double value) {
    const auto assign = [&text](std::string_view ascii) {
        const auto* codes = reinterpret_cast<const UInt8*>(ascii.data());
        text.Elements.assign(codes, codes + ascii.size());
    };
    if (std::isnan(value)) return assign("nan");
    if (std::isinf(value)) return assign(value < 0 ? "-inf" : "inf");
    char digits[48];
    std::size_t n = 0;
    if (recentTexts.FindText(value, digits, n) || (n = WriteShortDecimal(value, digits)) != 0)
        return assign(std::string_view(digits, n));
    n = WriteShortest(value, digits);
    recentTexts.Remember(value, std::string_view(digits, n));
    assign(std::string_view(digits, n));
}

Text FormulaNumberText(double value) {
    Text text;
    AssignFormulaNumberText(text, value);
    return text;
}

double TextToNumber(TextView c) {
    const auto bytes = [&c](std::size_t from, std::size_t to) {
        return std::string_view(reinterpret_cast<const char*>(c.data()) + from, to - from);
    };
    // A text longer than the quick reading's fifteen digits may be one just
    // written, which is known without reading it.
    if (double recent = 0; c.size() > 15 && recentTexts.FindValue(bytes(0, c.size()), recent)) return recent;
    std::size_t p = 0;
    const bool negative = !c.empty() && c[0] == '-';
    if (negative) ++p;
    const std::size_t rest = p;

    while (p < c.size() && c[p] == ' ') ++p;
    const bool integerNegative = p < c.size() && c[p] == '-';
    if (integerNegative) ++p;
    const std::size_t integerStart = p;
    while (p < c.size() && IsDigit(c[p])) ++p;
    const std::string_view integer = bytes(integerStart, p);

    // The fraction is looked for right at the start of the rest, so a text
    // starting with a blank (or a second "-") is read without its fraction.
    // Where it is found, the integer digits are those right in front of it.
    std::string_view fraction;
    std::size_t j = rest;
    while (j < c.size() && IsDigit(c[j])) ++j;
    if (j < c.size() && (c[j] == '.' || c[j] == ',')) {
        std::size_t end = j + 1;
        while (end < c.size() && IsDigit(c[end])) ++end;
        fraction = bytes(j + 1, end);
        p = end;
    }
    if (integer.empty() && fraction.empty()) return 0;

    const Int exponent = p < c.size() && (c[p] == 'e' || c[p] == 'E') ? ReadExponent(c, p + 1) : 0;
    const double magnitude = DecimalValue(integer, fraction, exponent);
    // Each "-" negates, so "--0" is +0 and "-0" or " -0" is -0.
    return negative != integerNegative ? -magnitude : magnitude;
}

Text FormatNumber(Int fill, Int width, Int decimals, Int grouping, double value) {
    Text shortest = FormulaNumberText(value);
    if (shortest[0] >= 64) return shortest;
    std::string_view s(reinterpret_cast<const char*>(shortest.Elements.data()), shortest.Size());

    Int exponent = 0;
    if (const std::size_t e = s.find('e'); e != std::string_view::npos) {
        std::string_view exponentText = s.substr(e + 1);
        if (!exponentText.empty() && exponentText[0] == '+') exponentText.remove_prefix(1);
        std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
        s = s.substr(0, e);
    }
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.remove_prefix(1);
    const std::size_t comma = s.find(',');
    std::string integer(s.substr(0, comma));
    std::string fraction(comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1));

    if (exponent < 0) {
        std::string shifted(static_cast<std::size_t>(-exponent - 1), '0');
        shifted += integer;
        shifted += fraction;
        fraction = std::move(shifted);
        integer.assign(1, '0');
    } else if (exponent > 0) {
        const auto shift = static_cast<std::size_t>(exponent);
        const std::size_t moved = std::min(shift, fraction.size());
        integer += fraction.substr(0, moved);
        integer.append(shift - moved, '0');
        fraction.erase(0, moved);
    }

    CodeBuffer body;
    if (negative) body.push_back('-');
    AppendDigits(body, integer, (grouping & 1) != 0);
    CodeBuffer out = PadInFront(std::move(body), fill, width);

    if (decimals == 0) return Text(std::move(out));
    const Int d = std::clamp(decimals, -MaximumPadding, MaximumPadding);
    const auto count = static_cast<std::size_t>(d < 0 ? -d : d);
    fraction.resize(count, '0');
    if (decimals < 0) fraction.erase(fraction.find_last_not_of('0') + 1);
    if (!fraction.empty()) {
        out.push_back(',');
        out.insert(out.end(), fraction.begin(), fraction.end());
    }
    return Text(std::move(out));
}

Text IntegerText(Int value, Int fill, Int width, bool grouping) {
    // Unsigned negation, so that the most negative Int has a magnitude too.
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char buffer[24];
    CodeBuffer body;
    if (value < 0) body.push_back('-');
    AppendDigits(body, DigitsOf(magnitude, buffer), grouping);
    return Text(PadInFront(std::move(body), fill, width));
}

Text TimeText(Int milliseconds, Int fractionDigits, bool withHours) {
    const auto twoDigits = [](Int v) { return IntegerText(v, '0', 2, false); };
    const Int seconds = milliseconds / 1000 % 60;
    Text out;
    if (withHours) {
        const Int hours = milliseconds / 3600000;
        out = IntegerText(hours, '0', 1, false) + TextOf(":") + twoDigits(milliseconds / 60000 - 60 * hours);
    } else {
        out = twoDigits(milliseconds / 60000);
    }
    out += ':';
    out += twoDigits(seconds);
    const Int thousandths = milliseconds % 1000;
    switch (fractionDigits) {
        case 3: return out + TextOf(":") + IntegerText(thousandths, '0', 3, false);
        case 2: return out + TextOf(":") + IntegerText(thousandths / 10, '0', 2, false);
        case 1: return out + TextOf(":") + IntegerText(thousandths / 100, '0', 1, false);
        default: return out;
    }
}
