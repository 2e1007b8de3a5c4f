// The one-line input field of a window: a prompt-and-edit loop and the
// single-key editor it is built on.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

// Which characters a field accepts.
enum InputModes : Int {
    InputAny = 0,
    InputAnyWithControls = 1,  // code entry may insert 1-31 as well
    InputInteger = 2,
    InputDecimal = 3,
    InputRange = 4,
};

// Prompts, lets the user edit (unless displayOnly) until Return or Escape,
// and returns the text; empty after Escape.
String t_InputForm(UInt8 w, const String& prompt, const String& initial, bool displayOnly, Int mode,
                   Int maxCharacters);
// Performs one key on the field.
void t_InputEdit(UInt8 w, Int key);
// Inserts one character at the cursor when the mode and the room allow it.
void t_InputInsert(UInt8 w, Int code);
String t_InputGetString(UInt8 w);
void t_InputSetString(UInt8 w, const String& text);
Int t_InputGetMaxCharacters(UInt8 w);

// Characters above 255 travel in program text as 27, four hexadecimal
// digits and 29. These convert both ways.
String EscapeWideCharacters(const String& text);
String UnescapeWideCharacters(const String& text);
