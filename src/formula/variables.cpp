#include "formula/variables.h"

#include <algorithm>
#include <vector>

#include "formula/names.h"

namespace {

template <typename Entry>
Int FindVariable(const std::vector<Entry>& table, Int count, TextView name) {
    const Int last = std::min(count, static_cast<Int>(table.size()) - 1);
    for (Int i = last; i >= 1; --i) {
        if (parser_CompareNames(table[static_cast<std::size_t>(i)].Name, name) == 0) return i;
    }
    return 0;
}

template <typename Entry, typename Value>
VariableStore StoreVariable(std::vector<Entry>& table, Int& count, const Text& name, const Value& value) {
    if (const Int found = FindVariable(table, count, name); found > 0) {
        table[static_cast<std::size_t>(found)].Value = value;
        return VariableStore::Changed;
    }
    if (count >= VariableLimit) return VariableStore::TableFull;
    // Keeps the placeholder at 0 even before the tables were built.
    table.resize(static_cast<std::size_t>(count) + 1);
    table.push_back(Entry{name, value});
    ++count;
    parser_SortVariables();
    return VariableStore::Created;
}

}  // namespace

Int parser_FindNumericVariable(TextView name) {
    const ParserState& parser = Parser();
    return FindVariable(parser.NumericVariables, parser.NumericVariableCount, name);
}

Int parser_FindTextVariable(TextView name) {
    const ParserState& parser = Parser();
    return FindVariable(parser.TextVariables, parser.TextVariableCount, name);
}

VariableStore parser_StoreNumericVariable(const Text& name, double value) {
    ParserState& parser = Parser();
    return StoreVariable(parser.NumericVariables, parser.NumericVariableCount, name, value);
}

VariableStore parser_StoreTextVariable(const Text& name, const Text& value) {
    ParserState& parser = Parser();
    return StoreVariable(parser.TextVariables, parser.TextVariableCount, name, value);
}

void parser_SortVariables() {
    ParserState& parser = Parser();
    parser_SortByName(parser.NumericVariables);
    parser_SortByName(parser.TextVariables);
}
