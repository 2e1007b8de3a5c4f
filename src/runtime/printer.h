// The virtual printer: the text of the printer window (9), which keeps no
// copy of it anywhere else.
#pragma once

#include "runtime/text.h"

// Replaces the printer's text (UTF-8) and shows it.
void p_SetPrinter(const String& text);
// Adds a page at the end of the printer's text, in time that grows with the
// page only, and shows it.
void p_AppendPrinter(const String& text);
// The printer's text; empty, with a log line, when the window has no text view.
String p_GetPrinter();
