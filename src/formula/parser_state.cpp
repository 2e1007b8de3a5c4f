#include "formula/parser_state.h"

#include "platform/no_destructor.h"

NoDestructor<ParserState> parser_detail::State;

void ResetParser() { Parser() = ParserState{}; }
