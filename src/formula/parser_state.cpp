#include "formula/parser_state.h"

#include "platform/program_state.h"

// Reset to the state before parser_InitFunctions: empty tables, counts 0.
ProgramState<ParserState> parser_detail::State;
