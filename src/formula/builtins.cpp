#include "formula/builtins.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "formula/cell_source.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "numbers/number_format.h"
#include "platform/log.h"
#include "platform/no_destructor.h"
#include "runtime/program.h"

namespace {

using Arguments = std::span<const parser_UniversalType>;
using UInt64 = std::uint64_t;

// Texts longer than this are not built: Repeat$ could otherwise ask for more
// memory than the machine has from a formula of a dozen characters.
constexpr std::size_t MaxTextResult = std::size_t{1} << 20;

// Rnd divides by this limit, so its result stays within 0 and x.
constexpr Int RandomLimit = 999999999999999;

constexpr double Infinity = std::numeric_limits<double>::infinity();

parser_UniversalType Real(double value) { return {ValueTypeReal, value, {}}; }
parser_UniversalType TextValue(Text text) { return {ValueTypeText, 0.0, std::move(text)}; }

// A missing argument counts as "no value", so a short argument list fails
// the type check instead of reading past its end.
const parser_UniversalType NoValue{};

const parser_UniversalType& Argument(Arguments arguments, std::size_t index) {
    return index < arguments.size() ? arguments[index] : NoValue;
}

double X(Arguments arguments, std::size_t index) { return Argument(arguments, index).ValueNumeric; }
Int N(Arguments arguments, std::size_t index) { return parser_ToInteger(X(arguments, index)); }
const Text& T(Arguments arguments, std::size_t index) { return Argument(arguments, index).ValueText; }

bool ArgumentFits(ArgumentKind kind, const parser_UniversalType& value) {
    switch (kind) {
    case ArgumentKind::Real: return value.ValueType == ValueTypeReal;
    case ArgumentKind::Text: return value.ValueType == ValueTypeText;
    case ArgumentKind::Any:
    case ArgumentKind::Unused: return true;
    }
    return false;
}

bool ArgumentsFit(const BuiltinFunction& row, Arguments arguments) {
    for (Int i = 0; i < row.ParamCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (!ArgumentFits(row.Arguments[index], Argument(arguments, index))) return false;
    }
    return true;
}

// |n| without overflow: the magnitude of the most negative integer is 2^63.
UInt64 Magnitude(Int n) { return n < 0 ? UInt64{0} - static_cast<UInt64>(n) : static_cast<UInt64>(n); }

// n - m wrapping on 64 bits, as the integer arithmetic of the formula
// language does; signed overflow would be undefined.
Int WrappingDifference(Int n, Int m) { return static_cast<Int>(static_cast<UInt64>(n) - static_cast<UInt64>(m)); }

// ---- Numeric functions ----

double Signum(Int n) { return n > 0 ? 1.0 : n < 0 ? -1.0 : 0.0; }

// 10^decimals is built by repeated multiplication; once it is infinite it
// stays so, and stopping there bounds the loop at about 310 steps.
double RoundTo(double x, Int decimals) {
    if (decimals == 0) return std::trunc(x + 0.5);
    double scale = 1.0;
    const UInt64 count = Magnitude(decimals);
    for (UInt64 i = 0; i < count && !std::isinf(scale); ++i) scale *= 10.0;
    return std::trunc(x * scale + 0.5) / scale;
}

// Counts divisions by 10. A finite double needs at most 309 of them; an
// infinity would never get below 10, so it has infinitely many digits.
double DigitCount(double x) {
    if (std::isinf(x)) return Infinity;
    double digits = x < 0 ? 2.0 : 1.0;
    for (double rest = std::fabs(x); rest >= 10.0; rest /= 10.0) digits += 1.0;
    return digits;
}

// Euclid with the remainder taking the dividend's sign; the sign of the
// result is not normalised.
Int GreatestCommonDivisor(Int n, Int m) {
    while (m != 0) {
        // Any n divided by -1 leaves 0, but the most negative n % -1 traps.
        const Int remainder = m == -1 ? 0 : n % m;
        n = m;
        m = remainder;
    }
    return n;
}

// The real product 2 x 3 x ... x |n|. From 171 on the product is infinite
// and every further factor keeps it so: stopping there gives the same
// result in at most 170 steps, and below that the product stays exact.
double Factorial(Int n) {
    const UInt64 last = Magnitude(n);
    double product = 1.0;
    for (UInt64 factor = 2; factor <= last && !std::isinf(product); ++factor) product *= static_cast<double>(factor);
    return product;
}

double BinomialCoefficient(Int n, Int m) {
    return Factorial(n) / (Factorial(m) * Factorial(WrappingDifference(n, m)));
}

double BinomialProbability(Int trials, double probability, Int successes) {
    const Int failures = WrappingDifference(trials, successes);
    return BinomialCoefficient(trials, successes) * std::pow(probability, static_cast<double>(successes)) *
           std::pow(1.0 - probability, static_cast<double>(failures));
}

// Not an IEEE minimum or maximum: a NaN wins or loses by its place.
double Minimum(double x, double y) { return y < x ? y : x; }
double Maximum(double x, double y) { return x > y ? x : y; }

double Floor(double x) {
    const double whole = std::trunc(x);
    return x < 0 && x - whole != 0 ? whole - 1.0 : whole;
}

double Bits(Int n, int shift, UInt64 mask) { return static_cast<double>((static_cast<UInt64>(n) >> shift) & mask); }

// One step of the CRC-16 with polynomial 0x1021, most significant bit first.
double Crc16Step(Int crc, Int byte) {
    UInt64 c = static_cast<UInt64>(crc) & 0xFFFF;
    for (int bit = 0; bit < 8; ++bit) c = ((c & 0x8000) != 0 ? (c << 1) ^ 0x1021 : c << 1) & 0xFFFF;
    return static_cast<double>(c ^ (static_cast<UInt64>(byte) & 0xFF));
}

// ---- Random numbers ----

// The remembered value of Random and the generator, seeded from the
// platform's random source.
struct RandomState {
    std::mt19937_64 Generator;
    UInt64 Remembered = 0;

    RandomState() {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        Generator.seed(seed);
    }
};

RandomState& Randomness() {
    static NoDestructor<RandomState> state;
    return *state;
}

// One random byte: the top bits of the generator are its best.
UInt8 RandomDraw() { return static_cast<UInt8>(Randomness().Generator() >> 56); }

// A random non-negative 63-bit integer (seven full draws, most significant
// first, and 7 bits of an eighth) modulo limit + 1; limit 0 gives the value
// of the previous call again.
UInt64 Random(Int limit) {
    RandomState& state = Randomness();
    if (limit == 0) return state.Remembered;
    UInt64 value = 0;
    for (int i = 0; i < 7; ++i) value = (value << 8) | RandomDraw();
    value = (value << 7) | (RandomDraw() & 0x7Fu);
    const UInt64 modulus = static_cast<UInt64>(limit) + 1;
    state.Remembered = modulus == 0 ? value : value % modulus;
    return state.Remembered;
}

double RandomUpTo(double x) {
    return static_cast<double>(Random(RandomLimit)) / static_cast<double>(RandomLimit) * x;
}

void AppendHexDigitPair(UInt8 byte, Text& into) {
    const ToolTables& tools = Tools();
    into += tools.HexDigitTable[byte >> 4];
    into += tools.HexDigitTable[byte & 0x0F];
}

Text UniqueIdentifier() {
    Text identifier;
    for (int i = 0; i < 16; ++i) AppendHexDigitPair(RandomDraw(), identifier);
    return identifier;
}

// ---- Text functions ----

Text Bytes(const Text& text, std::size_t start, std::size_t count) {
    const auto first = text.Elements.begin() + static_cast<std::ptrdiff_t>(start);
    return Text(std::vector<UInt8>(first, first + static_cast<std::ptrdiff_t>(count)));
}

Int Length(const Text& text) { return static_cast<Int>(text.Size()); }

Text Middle(const Text& text, Int start, Int count) {
    const Int length = Length(text);
    if (count < 1) return {};
    if (start < 2) return Bytes(text, 0, static_cast<std::size_t>(std::min(count, length)));
    if (start > length) return {};
    const Int available = length - start + 1;
    return Bytes(text, static_cast<std::size_t>(start - 1), static_cast<std::size_t>(std::min(count, available)));
}

Text LeftPart(const Text& text, Int count) {
    if (count < 1) return {};
    if (count >= Length(text)) return text;
    return Bytes(text, 0, static_cast<std::size_t>(count));
}

Text RightPart(const Text& text, Int count) {
    const Int length = Length(text);
    if (count >= length) return text;
    if (count < 1) return {};
    return Bytes(text, static_cast<std::size_t>(length - count), static_cast<std::size_t>(count));
}

Text Hexadecimal(Int n) {
    UInt64 rest = static_cast<UInt64>(n);
    Text reversed;
    do {
        reversed += Tools().HexDigitTable[rest & 0x0F];
        rest >>= 4;
    } while (rest != 0);
    std::reverse(reversed.Elements.begin(), reversed.Elements.end());
    return reversed;
}

// The low byte, which is n modulo 256 also for negative n.
Text Character(Int n) { return Text{static_cast<UInt8>(static_cast<UInt64>(n) & 0xFF)}; }

// Hexadecimal digits up to the first other byte, accumulated wrapping.
double HexadecimalValue(const Text& text) {
    const ToolTables& tools = Tools();
    UInt64 value = 0;
    for (const UInt8 code : text.Elements) {
        const Int digit = tools.HexValueTable[code];
        if (digit < 0) break;
        value = value * 16 + static_cast<UInt64>(digit);
    }
    return static_cast<double>(static_cast<Int>(value));
}

parser_UniversalType FirstCode(Int position, const Text& text) {
    if (text.Empty()) {
        parser_RaiseError(BeyondLimitsError, position);
        return Real(0.0);
    }
    return Real(text[0]);
}

parser_UniversalType Repeated(Int position, const Text& text, Int count) {
    if (count < 1 || text.Empty()) return TextValue({});
    if (static_cast<UInt64>(count) > MaxTextResult / text.Size()) {
        parser_RaiseError(BeyondLimitsError, position);
        return Real(0.0);
    }
    Text result;
    result.Elements.reserve(text.Size() * static_cast<std::size_t>(count));
    for (Int i = 0; i < count; ++i) result += text;
    return TextValue(std::move(result));
}

// ---- Variables and cells ----

bool IsNameLetter(UInt8 code) { return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'); }
bool IsNameCharacter(UInt8 code) { return IsNameLetter(code) || (code >= '0' && code <= '9') || code == '_'; }

bool IsValidVariableName(const Text& name) {
    if (!IsNameLetter(name[0])) return false;
    return std::all_of(name.Elements.begin() + 1, name.Elements.end(), IsNameCharacter);
}

void DefineVariable(Int position, const Text& writtenName, const parser_UniversalType& value) {
    Text name = writtenName;
    if (value.ValueType == ValueTypeText && !name.Empty() && name.Elements.back() == '$') name.Elements.pop_back();
    if (name.Empty()) return;
    if (!IsValidVariableName(name)) {
        parser_RaiseError(InvalidVariableNameError, position);
        return;
    }
    const VariableStore stored = value.ValueType == ValueTypeReal
                                     ? parser_StoreNumericVariable(name, value.ValueNumeric)
                                     : parser_StoreTextVariable(name, value.ValueText);
    if (stored == VariableStore::TableFull) parser_RaiseError(VariableTableFullError, position);
}

// What the cell shows now; the cell is not computed.
parser_UniversalType CellValueAt(Int position, Int index) {
    if (const std::optional<parser_UniversalType> value = CellValue(index)) return *value;
    parser_RaiseError(CellOutOfRangeError, position);
    return Real(0.0);
}

// ---- The dispatcher ----

// Arguments have been checked against the row of `token`.
parser_UniversalType Compute(Int position, Int token, Arguments a) {
    switch (token) {
    case 1: return Real(std::fabs(X(a, 0)));
    case 2: return Real(std::sin(X(a, 0)));
    case 3: return Real(std::cos(X(a, 0)));
    case 4: return Real(std::tan(X(a, 0)));
    case 5: return Real(X(a, 0) * X(a, 0));
    case 6: return Real(std::atan(X(a, 0)));
    case 7: return Real(std::log(X(a, 0)));
    // Divided by ln 10 rather than log10, so Log(1000) is not exactly 3.
    case 8: return Real(std::log(X(a, 0)) / 2.302585092994046);
    case 9: return Real(std::exp(X(a, 0)));
    case 10: return Real(std::pow(10.0, X(a, 0)));
    case 11: return Real(std::acos(X(a, 0)));
    case 12: return Real(std::asin(X(a, 0)));
    case 13: return Real(std::sqrt(X(a, 0)));
    case 14: return Real(2.718281828459045);
    case 15: return Real(Signum(N(a, 0)));
    case 16: return Real(std::trunc(X(a, 0)));
    case 17: return Real(RoundTo(X(a, 0), N(a, 1)));
    case 18: return Real(DigitCount(X(a, 0)));
    case 19: return TextValue(UniqueIdentifier());
    case 20: return Real(RandomUpTo(X(a, 0)));
    case 21: return Real(static_cast<double>(GreatestCommonDivisor(N(a, 0), N(a, 1))));
    case 22: return Real(BinomialCoefficient(N(a, 0), N(a, 1)));
    case 23: return Real(Minimum(X(a, 0), X(a, 1)));
    case 24: return Real(Maximum(X(a, 0), X(a, 1)));
    case 25: return Real(Factorial(N(a, 0)));
    case 26: return Parser().ParserResult;
    case 27: return TextValue(FormulaNumberText(X(a, 0)));
    case 28: return TextValue(Middle(T(a, 0), N(a, 1), N(a, 2)));
    case 29: return TextValue(LeftPart(T(a, 0), N(a, 1)));
    case 30: return TextValue(RightPart(T(a, 0), N(a, 1)));
    case 31: return TextValue(Hexadecimal(N(a, 0)));
    case 32: return TextValue(Character(N(a, 0)));
    case 33: return FirstCode(position, T(a, 0));
    case 34: return Real(TextToNumber(T(a, 0)));
    case 35: return Real(static_cast<double>(T(a, 0).Size()));
    case 36: return Real(Floor(X(a, 0)));
    case 37: return Real(X(a, 0) - std::trunc(X(a, 0)));
    case 38: return Real(Bits(N(a, 0), 8, 0xFF));
    case 39: return Real(Bits(N(a, 0), 0, 0xFF));
    case 40: return Real(Bits(N(a, 0), 16, 0xFFFF));
    case 41: return Real(Bits(N(a, 0), 0, 0xFFFF));
    case 42: return Real(BinomialProbability(N(a, 0), X(a, 1), N(a, 2)));
    case 43: return Real(HexadecimalValue(T(a, 0)));
    case 44: return Real(X(a, 0) + X(a, 1) + X(a, 2) + X(a, 3));
    case 45: DefineVariable(position, T(a, 0), Argument(a, 1)); return Real(0.0);
    case 46: return Real(Crc16Step(N(a, 0), N(a, 1)));
    case 47: return Real(0.0);
    case 48: return TextValue({});
    case 49: return Repeated(position, T(a, 0), N(a, 1));
    case 50: return Real(static_cast<double>(FormulaCellIndex(T(a, 0))));
    case 51: return CellValueAt(position, N(a, 0));
    case 52: return Real(static_cast<double>(FormulaComputingCell()));
    }
    return Real(0.0);
}

}  // namespace

parser_UniversalType parser_CallBuiltin(Int position, Int token, std::span<const parser_UniversalType> arguments) {
    const BuiltinFunction* row = BuiltinFunctionByToken(token);
    if (row == nullptr) {
        LogLine("parser_CallBuiltin: Unknown token " + std::to_string(token) + ".");
        return Real(0.0);
    }
    if (!ArgumentsFit(*row, arguments)) {
        parser_RaiseError(TypeError, position);
        return Real(0.0);
    }
    return Compute(position, token, arguments);
}
