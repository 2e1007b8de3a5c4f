// Undo and redo in the program: what each command's step is called, and the
// key that takes steps back and forward.
#pragma once

#include <string>

#include "runtime/types.h"

// The name of the step a key makes in a menu ("Einfügen", "Zeile löschen").
std::string StepName(Int menu, Int key);

// Undoes (or redoes) the newest step, computes the sheet as after any
// change, redraws it and says on the status line what was put back.
void UndoCommand(bool redo);
