#include "formula/function_table.h"

#include <algorithm>

#include "formula/names.h"

namespace {

constexpr ArgumentKind R = ArgumentKind::Real;
constexpr ArgumentKind T = ArgumentKind::Text;
constexpr ArgumentKind Any = ArgumentKind::Any;

constexpr ResultKind RealResult = ResultKind::Real;
constexpr ResultKind TextResult = ResultKind::Text;

constexpr BuiltinFunction Builtins[] = {
    {1, "Abs", 1, {R}, RealResult},
    {2, "Sin", 1, {R}, RealResult},
    {3, "Cos", 1, {R}, RealResult},
    {4, "Tan", 1, {R}, RealResult},
    {5, "Sqr", 1, {R}, RealResult},
    {6, "ArcTan", 1, {R}, RealResult},
    {7, "Ln", 1, {R}, RealResult},
    {8, "Log", 1, {R}, RealResult},
    {9, "Exp", 1, {R}, RealResult},
    {10, "Exp10", 1, {R}, RealResult},
    {11, "ArcCos", 1, {R}, RealResult},
    {12, "ArcSin", 1, {R}, RealResult},
    {13, "Sqrt", 1, {R}, RealResult},
    {14, "e", 0, {}, RealResult},
    {15, "Sgn", 1, {R}, RealResult},
    {16, "Trunc", 1, {R}, RealResult},
    {17, "Round", 2, {R, R}, RealResult},
    {18, "LenVal", 1, {R}, RealResult},
    {19, "UniqueID", 0, {}, TextResult},
    {20, "Rnd", 1, {R}, RealResult},
    {21, "GGT", 2, {R, R}, RealResult},
    {22, "BinCoef", 2, {R, R}, RealResult},
    {23, "Min", 2, {R, R}, RealResult},
    {24, "Max", 2, {R, R}, RealResult},
    {25, "Fact", 1, {R}, RealResult},
    {26, "Result", 0, {}, ResultKind::PreviousResult},
    {27, "Str$", 1, {R}, TextResult},
    {28, "Mid$", 3, {T, R, R}, TextResult},
    {29, "Left$", 2, {T, R}, TextResult},
    {30, "Right$", 2, {T, R}, TextResult},
    {31, "Hex$", 1, {R}, TextResult},
    {32, "Chr$", 1, {R}, TextResult},
    {33, "Asc", 1, {T}, RealResult},
    {34, "Val", 1, {T}, RealResult},
    {35, "Len", 1, {T}, RealResult},
    {36, "Int", 1, {R}, RealResult},
    {37, "Frac", 1, {R}, RealResult},
    {38, "HiByte", 1, {R}, RealResult},
    {39, "LoByte", 1, {R}, RealResult},
    {40, "HiWord", 1, {R}, RealResult},
    {41, "LoWord", 1, {R}, RealResult},
    {42, "BinDist", 3, {R, R, R}, RealResult},
    {43, "Dec", 1, {T}, RealResult},
    {44, "Sum", 4, {R, R, R, R}, RealResult},
    {45, "Var", 2, {T, Any}, RealResult},
    {46, "CRC16", 2, {R, R}, RealResult},
    {47, "Void", 1, {Any}, RealResult},
    {48, "Void$", 1, {Any}, TextResult},
    {49, "Repeat$", 2, {T, R}, TextResult},
    {50, "Index", 1, {T}, RealResult},
    {51, "IndCell", 1, {R}, ResultKind::CellValue},
    {52, "Self", 0, {}, RealResult},
};

constexpr UInt8 Blank = 32;

// "(A, B, C)" for three parameters; empty for none.
Text ParameterPart(Int paramCount) {
    Text part;
    if (paramCount < 1) return part;
    part += static_cast<UInt8>('(');
    for (Int i = 1; i <= paramCount; ++i) {
        if (i > 1) part += Text::FromBytes(", ");
        part += static_cast<UInt8>(64 + i);
    }
    part += static_cast<UInt8>(')');
    return part;
}

Int LastFunction(const ParserState& parser) {
    return std::min(parser.FunctionCount, static_cast<Int>(parser.FunctionTable.size()) - 1);
}

void KeyFunctions(ParserState& parser) {
    const Int last = LastFunction(parser);
    parser.FunctionKeys.assign(1, 0);
    for (Int i = 1; i <= last; ++i) {
        const std::optional<std::uint64_t> key = parser_NameKey(parser.FunctionTable[static_cast<std::size_t>(i)].Name);
        if (!key) {
            parser.FunctionKeys.clear();
            return;
        }
        parser.FunctionKeys.push_back(*key);
    }
}

// The first entry from 1 to last whose name folds to the written one, found
// by comparing names.
Int FindFunctionByName(const ParserState& parser, Int last, TextView writtenName) {
    Int low = 1;
    Int high = last + 1;
    while (low < high) {
        const Int middle = low + (high - low) / 2;
        if (parser_CompareNames(parser.FunctionTable[static_cast<std::size_t>(middle)].Name, writtenName) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low <= last && parser_CompareNames(parser.FunctionTable[static_cast<std::size_t>(low)].Name, writtenName) == 0)
        return low;
    return 0;
}

}  // namespace

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

void parser_InitFunctions() {
    ParserState& parser = Parser();
    parser.NumericVariables.assign(1, parser_VariableNumeric{});
    parser.NumericVariableCount = 0;
    parser.TextVariables.assign(1, parser_VariableText{});
    parser.TextVariableCount = 0;
    parser.FunctionTable.assign(1, parser_Function{});
    for (const BuiltinFunction& row : Builtins) {
        parser.FunctionTable.push_back({Text::FromBytes(row.Name), row.ParamCount, row.Token});
    }
    parser.FunctionCount = static_cast<Int>(parser.FunctionTable.size()) - 1;
    parser_SortFunctions();
}

void parser_SortFunctions() {
    ParserState& parser = Parser();
    parser_SortByName(parser.FunctionTable);
    KeyFunctions(parser);
}

// Every cell address and variable name passes through here, so the search
// compares keys where it can: the same order as the names, one comparison
// each.
Int parser_FindFunction(TextView writtenName) {
    return parser_FindFunctionByKey(writtenName, parser_NameKey(writtenName));
}

Int parser_FindFunctionByKey(TextView writtenName, std::optional<std::uint64_t> key) {
    const ParserState& parser = Parser();
    const Int last = LastFunction(parser);
    const std::vector<std::uint64_t>& keys = parser.FunctionKeys;
    if (last < 1 || keys.size() != static_cast<std::size_t>(last) + 1)
        return FindFunctionByName(parser, last, writtenName);
    // Without a key the name cannot fold to any of these short names. Cell
    // addresses sort after every function name, and stop here.
    if (!key || *key > keys.back()) return 0;
    const auto found = std::lower_bound(keys.begin() + 1, keys.end(), *key);
    return found != keys.end() && *found == *key ? static_cast<Int>(found - keys.begin()) : 0;
}

Text parser_FunctionList(Int width) {
    Text list;
    if (width < 1) return list;
    const ParserState& parser = Parser();
    const Int last = LastFunction(parser);
    for (Int i = 1; i <= last; ++i) {
        const parser_Function& function = parser.FunctionTable[static_cast<std::size_t>(i)];
        Text entry = function.Name + ParameterPart(function.ParamCount);
        // Padding with blanks and cutting to the width in one step.
        entry.Elements.resize(static_cast<std::size_t>(width), Blank);
        list += entry;
    }
    return list;
}
