// The desktop's pasteboard for plain text, reached from the program thread:
// the host's clipboard belongs to its GUI thread, so every access is handed
// over to it.
#pragma once

#include "runtime/text.h"

// The pasteboard's text (UTF-8); empty when it holds none.
String PasteboardString();
// Empties the pasteboard and puts the text on it.
void SetPasteboardString(const String& text);
