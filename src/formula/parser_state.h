// The records of the formula language's tables and the process-wide parser
// state. Everything here belongs to the program thread.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/value.h"
#include "platform/program_state.h"
#include "runtime/text.h"
#include "runtime/types.h"

// One built-in function: its name as written in formulas (text-valued ones
// end in "$"), its number of arguments (0 to 4) and the token (1 to 52) by
// which the built-in dispatcher selects it.
struct parser_Function {
    Text Name;
    Int ParamCount = 0;
    Int Token = 0;
};

struct parser_VariableNumeric {
    Text Name;
    double Value = 0.0;
};

struct parser_VariableText {
    Text Name;
    Text Value;
};

// Each variable table holds at most this many defined variables.
inline constexpr Int VariableLimit = 10;

// Entry 0 of each table is a placeholder with an empty name, so that defined
// entries run from 1 to their count. The function table is built once at
// start; the variable tables keep their contents for the whole run.
struct ParserState {
    std::vector<parser_Function> FunctionTable;
    Int FunctionCount = 0;
    // FunctionKeys[i] is the parser_NameKey of entry i (0 for the
    // placeholder), so that a lookup compares numbers. Rebuilt whenever the
    // table is sorted; left empty when a name has no key.
    std::vector<std::uint64_t> FunctionKeys;
    std::vector<parser_VariableNumeric> NumericVariables;
    Int NumericVariableCount = 0;
    std::vector<parser_VariableText> TextVariables;
    Int TextVariableCount = 0;

    // The evaluation under way (positions run from 1 to ParserTextEnd).
    Text ParserText;
    Int ParserTextEnd = 0;
    parser_UniversalType ParserResult;  // the last completed evaluation
    Int ParserErrorCode = 0;            // first error of the evaluation, 0 = none
    Int ParserErrorPosition = 0;
    Int ParserErrorCount = 0;
    bool CellReferencesEnabled = false;  // the main program switches them on
};

namespace parser_detail {
extern ProgramState<ParserState> State;
}  // namespace parser_detail

// Inline: the evaluator reaches the state for every character it reads.
inline ParserState& Parser() { return *parser_detail::State; }

