#include "formula/function_table.h"

#include <algorithm>

#include "formula/builtins.h"
#include "formula/names.h"

namespace {

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

void parser_InitFunctions() {
    ParserState& parser = Parser();
    parser.NumericVariables.assign(1, parser_VariableNumeric{});
    parser.NumericVariableCount = 0;
    parser.TextVariables.assign(1, parser_VariableText{});
    parser.TextVariableCount = 0;
    parser.FunctionTable.assign(1, parser_Function{});
    for (const BuiltinFunction& row : BuiltinFunctions()) {
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
