// Saving Calculation files, and what opening one shares with the import of
// another spreadsheet's file (open_calculation.h opens either): the checks
// and messages of file operations, the file selectors' start, the opened
// Calculation shown.
#pragma once

#include "runtime/text.h"

// After an open or import: the window's title, the cursor in view, the
// screen drawn.
void ShowOpenedCalculation();

// Saves the Calculation under its name (CalcFolder + CalcFileName), or
// asks for one (SaveCalculationAs) when it has none; clears Modified. False,
// with Modified still set, when the user cancelled or the file could not be
// written (which the user is told).
bool SaveCalculation();
// Asks for a folder and name in the save selector and saves there; a name
// without an extension gets ".calc".
bool SaveCalculationAs();
// When the Calculation is modified, asks whether to save it first: false
// when the user cancels, or Ja's save failed.
bool AskSaveFirst(const String& title);
// An empty Calculation in place of this one, after asking.
void NewCalculation();
// Why a file operation failed, as a German user reads it (the system's own
// text for uncommon errors).
String FileErrorText(int error);
// Tells the user that a file was not opened (or what `done` names instead:
// "importiert", "eingefügt"), with the title of the dialog, the path and the
// reason; waits for a key and redraws.
void TellNotOpened(const String& title, const String& path, const String& why, const String& done = "geöffnet");
// Why a Calculation file's text read with getstringfromfile (error as
// LastFileError gives it) cannot be opened; empty when it can (a missing
// file is a new Calculation).
String WhyNotReadable(int error, const String& text);
// Tells the user that a file could not be written and why (the common
// reasons in German), waits for a key and redraws.
void TellFileError(const String& title, const String& what, int error);
// Where the file selectors start: the Calculation's folder, else the desktop.
String SelectorStartFolder();
// The file selectors' box width.
inline constexpr Int SelectorWidth = 80;
