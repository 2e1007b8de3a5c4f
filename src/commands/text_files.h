// Text files in the exchange format of the pasteboard: the whole sheet
// exported, a text file inserted at the cursor. The file menu's E and I,
// and the batch mode's export and import.
#pragma once

#include <functional>
#include <string_view>

#include "runtime/text.h"
#include "runtime/types.h"

// The whole sheet as the text a file gets: no attribute words, whatever
// CopyFormats says; formulas or values as FormulasInsteadOfContents says.
String ExportedText();
// The same, handed to `write` in parts of about 64 KB, up to the first part
// it does not take.
void ExportedTextInParts(const std::function<bool(std::string_view)>& write);
// Writes it to path with the log lines "TabronaExport: …"; 0 or the
// system's error code.
int ExportTextTo(const String& path);
// What an insert did: the reading error (0 when the file was read) and the
// lines left out below the last row.
struct InsertOutcome {
    int Error = 0;
    Int LinesCut = 0;
};
// Reads the file at path into the sheet at the cursor with the log lines
// "TabronaInsert: …".
InsertOutcome InsertTextFrom(const String& path);

// E: asks for a name in the save selector and exports there.
void ExportText();
// I: asks for a text file in the open selector and inserts it.
void InsertTextFile();
