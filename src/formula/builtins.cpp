#include "formula/builtins.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "formula/cell_source.h"
#include "formula/errors.h"
#include "formula/evaluation.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "numbers/number_format.h"
#include "platform/log.h"
#include "platform/program_state.h"
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
Int I(double x) { return parser_ToInteger(x); }
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

// The generator keeps running through resets: nothing may count on its values.
ProgramState<RandomState> randomness{KeptThroughResets};

RandomState& Randomness() { return *randomness; }

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
    return Text(CodeBuffer(first, first + static_cast<std::ptrdiff_t>(count)));
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

// ---- The table ----

constexpr ArgumentKind Num = ArgumentKind::Real;
constexpr ArgumentKind Txt = ArgumentKind::Text;
constexpr ArgumentKind Any = ArgumentKind::Any;

// The 52 built-in functions in token order: name, parameter count, argument
// kinds, and the computation, which runs once the arguments have been
// checked against the kinds.
constexpr BuiltinFunction Builtins[] = {
    {1, "Abs", 1, {Num}, nullptr, [](const double* x) { return std::fabs(x[0]); }},
    {2, "Sin", 1, {Num}, nullptr, [](const double* x) { return std::sin(x[0]); }},
    {3, "Cos", 1, {Num}, nullptr, [](const double* x) { return std::cos(x[0]); }},
    {4, "Tan", 1, {Num}, nullptr, [](const double* x) { return std::tan(x[0]); }},
    {5, "Sqr", 1, {Num}, nullptr, [](const double* x) { return x[0] * x[0]; }},
    {6, "ArcTan", 1, {Num}, nullptr, [](const double* x) { return std::atan(x[0]); }},
    {7, "Ln", 1, {Num}, nullptr, [](const double* x) { return std::log(x[0]); }},
    // Divided by ln 10 rather than log10, so Log(1000) is not exactly 3.
    {8, "Log", 1, {Num}, nullptr, [](const double* x) { return std::log(x[0]) / 2.302585092994046; }},
    {9, "Exp", 1, {Num}, nullptr, [](const double* x) { return std::exp(x[0]); }},
    {10, "Exp10", 1, {Num}, nullptr, [](const double* x) { return std::pow(10.0, x[0]); }},
    {11, "ArcCos", 1, {Num}, nullptr, [](const double* x) { return std::acos(x[0]); }},
    {12, "ArcSin", 1, {Num}, nullptr, [](const double* x) { return std::asin(x[0]); }},
    {13, "Sqrt", 1, {Num}, nullptr, [](const double* x) { return std::sqrt(x[0]); }},
    {14, "e", 0, {}, nullptr, [](const double*) { return 2.718281828459045; }},
    {15, "Sgn", 1, {Num}, nullptr, [](const double* x) { return Signum(I(x[0])); }},
    {16, "Trunc", 1, {Num}, nullptr, [](const double* x) { return std::trunc(x[0]); }},
    {17, "Round", 2, {Num, Num}, nullptr, [](const double* x) { return RoundTo(x[0], I(x[1])); }},
    {18, "LenVal", 1, {Num}, nullptr, [](const double* x) { return DigitCount(x[0]); }},
    {19, "UniqueID", 0, {}, [](Int, Arguments) { return TextValue(UniqueIdentifier()); }},
    {20, "Rnd", 1, {Num}, nullptr, [](const double* x) { return RandomUpTo(x[0]); }},
    {21, "GGT", 2, {Num, Num}, nullptr,
     [](const double* x) { return static_cast<double>(GreatestCommonDivisor(I(x[0]), I(x[1]))); }},
    {22, "BinCoef", 2, {Num, Num}, nullptr, [](const double* x) { return BinomialCoefficient(I(x[0]), I(x[1])); }},
    {23, "Min", 2, {Num, Num}, nullptr, [](const double* x) { return Minimum(x[0], x[1]); }},
    {24, "Max", 2, {Num, Num}, nullptr, [](const double* x) { return Maximum(x[0], x[1]); }},
    {25, "Fact", 1, {Num}, nullptr, [](const double* x) { return Factorial(I(x[0])); }},
    {26, "Result", 0, {}, [](Int, Arguments) { return Parser().ParserResult; }},
    {27, "Str$", 1, {Num}, [](Int, Arguments a) { return TextValue(FormulaNumberText(X(a, 0))); }},
    {28, "Mid$", 3, {Txt, Num, Num}, [](Int, Arguments a) { return TextValue(Middle(T(a, 0), N(a, 1), N(a, 2))); }},
    {29, "Left$", 2, {Txt, Num}, [](Int, Arguments a) { return TextValue(LeftPart(T(a, 0), N(a, 1))); }},
    {30, "Right$", 2, {Txt, Num}, [](Int, Arguments a) { return TextValue(RightPart(T(a, 0), N(a, 1))); }},
    {31, "Hex$", 1, {Num}, [](Int, Arguments a) { return TextValue(Hexadecimal(N(a, 0))); }},
    {32, "Chr$", 1, {Num}, [](Int, Arguments a) { return TextValue(Character(N(a, 0))); }},
    {33, "Asc", 1, {Txt}, [](Int position, Arguments a) { return FirstCode(position, T(a, 0)); }},
    {34, "Val", 1, {Txt}, [](Int, Arguments a) { return Real(TextToNumber(T(a, 0))); }},
    {35, "Len", 1, {Txt}, [](Int, Arguments a) { return Real(static_cast<double>(T(a, 0).Size())); }},
    {36, "Int", 1, {Num}, nullptr, [](const double* x) { return Floor(x[0]); }},
    {37, "Frac", 1, {Num}, nullptr, [](const double* x) { return x[0] - std::trunc(x[0]); }},
    {38, "HiByte", 1, {Num}, nullptr, [](const double* x) { return Bits(I(x[0]), 8, 0xFF); }},
    {39, "LoByte", 1, {Num}, nullptr, [](const double* x) { return Bits(I(x[0]), 0, 0xFF); }},
    {40, "HiWord", 1, {Num}, nullptr, [](const double* x) { return Bits(I(x[0]), 16, 0xFFFF); }},
    {41, "LoWord", 1, {Num}, nullptr, [](const double* x) { return Bits(I(x[0]), 0, 0xFFFF); }},
    {42, "BinDist", 3, {Num, Num, Num}, nullptr,
     [](const double* x) { return BinomialProbability(I(x[0]), x[1], I(x[2])); }},
    {43, "Dec", 1, {Txt}, [](Int, Arguments a) { return Real(HexadecimalValue(T(a, 0))); }},
    {44, "Sum", 4, {Num, Num, Num, Num}, nullptr, [](const double* x) { return x[0] + x[1] + x[2] + x[3]; }},
    {45, "Var", 2, {Txt, Any},
     [](Int position, Arguments a) { DefineVariable(position, T(a, 0), Argument(a, 1)); return Real(0.0); }},
    {46, "CRC16", 2, {Num, Num}, nullptr, [](const double* x) { return Crc16Step(I(x[0]), I(x[1])); }},
    {47, "Void", 1, {Any}, [](Int, Arguments) { return Real(0.0); }},
    {48, "Void$", 1, {Any}, [](Int, Arguments) { return TextValue({}); }},
    {49, "Repeat$", 2, {Txt, Num}, [](Int position, Arguments a) { return Repeated(position, T(a, 0), N(a, 1)); }},
    {50, "Index", 1, {Txt}, [](Int, Arguments a) { return Real(static_cast<double>(FormulaCellIndex(T(a, 0)))); }},
    {51, "IndCell", 1, {Num}, [](Int position, Arguments a) { return CellValueAt(position, N(a, 0)); }},
    {52, "Self", 0, {}, nullptr, [](const double*) { return static_cast<double>(FormulaComputingCell()); }},
};

}  // namespace

void parser_SeedRandom(std::uint64_t seed) {
    Randomness().Generator.seed(seed);
    Randomness().Remembered = 0;
}

std::span<const BuiltinFunction> BuiltinFunctions() { return Builtins; }

// Row k holds token k + 1, so a token finds its row by index.
static_assert([] {
    for (std::size_t k = 0; k < std::size(Builtins); ++k)
        if (Builtins[k].Token != static_cast<Int>(k) + 1) return false;
    return true;
}());

const BuiltinFunction* BuiltinFunctionByToken(Int token) {
    if (token < 1 || token > static_cast<Int>(std::size(Builtins))) return nullptr;
    return &Builtins[token - 1];
}

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
    if (double result = 0; CallOnReals(*row, arguments, result)) return Real(result);
    return row->Compute(position, arguments);
}
