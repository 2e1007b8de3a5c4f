// Keyboard macros: 95 stored texts, each played into the keyboard input
// as if typed when its key is pressed with Command (Alt). The table lives
// for the whole run, loaded at start from the macro file in the user's
// preferences folder and saved there at the end.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

inline constexpr Int MacroCount = 95;
// Keys a macro may leave waiting in the keyboard input: a long macro
// played again and again (a key held down) stops here.
inline constexpr std::size_t MaxQueuedMacroKeys = 4096;

struct MacroState {
    Text Table[MacroCount + 1];  // 1 to 95; entry 0 is never used
    // The macro file as it was last read or written, and whether all of it
    // was understood: one that was not is written over only when the user
    // changed macros since.
    Text Loaded[MacroCount + 1];
    bool LoadedWhole = true;
    Int Selected = 1;
    Int Top = 1;
    Int FirstLine = 1;  // the list's first screen line
    Int LastLine = 50;  // and its last
};
MacroState& Macros();

// "$XDG_CONFIG_HOME/Tabrona/Macro.txt".
String DefaultMacroFile();

// The macro file's text: "Macro 065 = 48616C6C6F" and a carriage return
// for each of the 95 macros.
String MacroFileText();
// Reads such a text into the table; lines end in a carriage return, a line
// feed or both. Lines it does not understand, or for macros outside 1 to
// 95, change nothing; odd hexadecimal gives an empty macro. True when every
// line that holds something was understood.
bool MacrosFromText(const String& text);
// The file's macros into the table; a missing or empty file changes
// nothing. True when the file was missing or read whole.
bool MacroLoad(const String& path);
// The table into the file, safely (a failure keeps the old file); 0 or the
// system's error code.
int MacroSave(const String& path);
// The default file's macros, remembering what was read (start and ^L).
void LoadDefaultMacros();
// The table into the default file (^S), remembering what was written.
int SaveDefaultMacros();
// At the end of the program: the table into the default file, unless that
// file was not read whole and no macro changed since (the file may hold
// what this program does not understand, and nothing would be gained).
void SaveMacrosAtEnd();

// Command with the key (1 to 127): the macro of the key ("a" plays the
// macro of "A") typed into the keyboard input. False, and nothing typed,
// when too many keys already wait.
bool PlayMacro(Int key);
