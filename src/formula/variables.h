// The user variable tables: finding a variable by name and storing a value
// under a name, within the limit of VariableLimit entries per table.
#pragma once

#include "formula/parser_state.h"
#include "runtime/text.h"
#include "runtime/types.h"

// The index of the variable whose folded name equals the folded given name,
// searching from the last defined entry down to entry 1; 0 when none.
Int parser_FindNumericVariable(TextView name);
Int parser_FindTextVariable(TextView name);

enum class VariableStore { Changed, Created, TableFull };

// An existing variable gets the new value and keeps the name it was first
// written with. A new one is appended while the table holds fewer than
// VariableLimit, after which both tables are sorted again; a full table
// stores nothing. Checking the name is the caller's business.
VariableStore parser_StoreNumericVariable(const Text& name, double value);
VariableStore parser_StoreTextVariable(const Text& name, const Text& value);

// Sorts both variable tables (placeholders included) by name order, with
// the same Shell sort as the function table.
void parser_SortVariables();
