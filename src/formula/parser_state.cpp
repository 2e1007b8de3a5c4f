#include "formula/parser_state.h"

#include "platform/no_destructor.h"

ParserState& Parser() {
    static NoDestructor<ParserState> state;
    return *state;
}

void ResetParser() { Parser() = ParserState{}; }
