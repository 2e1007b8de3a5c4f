// Opening and saving Calculation files, shared by the file menu, the
// program start and the host's file-open requests.
#pragma once

#include "runtime/text.h"

// Asks to save a modified Calculation first (Ja, Nein, Abbrechen), then
// loads the file at path, recomputes it and shows it. An empty path only
// asks. When the save that Ja asked for fails, nothing is loaded.
void OpenCalculation(const String& path);

// Saves the Calculation under its name (CalcFolder + CalcFileName) and
// clears Modified; false, with Modified still set, when it has no name yet
// or the file could not be written.
bool SaveCalculation();
