// Terminal-like text output on a graphic window: printing with control
// codes, display modes and escape sequences, the cursor, the text area,
// scrolling, clearing, inverting, and reading the screen back.
#pragma once

#include <utility>
#include <vector>

#include "runtime/text.h"
#include "runtime/types.h"

void t_Print(UInt8 w, const Text& text);
void t_Print(UInt8 w, const String& text);
void t_PrintChar(UInt8 w, UInt8 code);
void t_PrintSpc(UInt8 w, Int count);
void t_PrintTab(UInt8 w, Int column, UInt8 code);

void t_Htab(UInt8 w, Int column);
void t_Vtab(UInt8 w, Int line);
Int t_Hpos(UInt8 w);
void t_CursorHome(UInt8 w);
void t_CursorEnd(UInt8 w);
void t_CursorRight(UInt8 w);
void t_CursorLeft(UInt8 w);
void t_CursorDown(UInt8 w);
void t_CursorUp(UInt8 w);
void t_Cr(UInt8 w);
void t_ScrollUp(UInt8 w);
void t_ScrollDown(UInt8 w);

void t_ClearEndOfLine(UInt8 w);
void t_ClearEndOfWindow(UInt8 w);
void t_ClearRect(UInt8 w, Int left, Int top, Int right, Int bottom);
void t_InvertRect(UInt8 w, Int left, Int top, Int right, Int bottom);

void t_CursorDraw(UInt8 w);
void t_CursorOn(UInt8 w);
void t_CursorOff(UInt8 w);

void t_Inverse(UInt8 w);
void t_Normal(UInt8 w);
void t_Reverse(UInt8 w);
void t_DisplayMode(UInt8 w, Int mode);
void t_RedirectOutput(UInt8 w, Int target);
void t_FullArea(UInt8 w);
void t_Area(UInt8 w, Int firstColumn, Int firstLine, Int lastColumn, Int lastLine);

struct DisplayModeResult {
    Int Code;
    bool Inverse;
    UInt8 Color;
};
// Translates one code by the window's display mode; may act (escape
// sequences) and then gives a negative code.
DisplayModeResult t_ApplyDisplayMode(UInt8 w, Int code);
void t_PrintControl(UInt8 w, UInt8 code);

// The whole character grid; with a separator, tidied (see the .cpp).
String t_GetScreen(UInt8 w, const String& separator);

// A copy of the window's character cells, taken from any thread while the
// program may be writing (a cell may be caught half-changed, and shows
// right in the next copy): codes and colours (ink << 4 | paper, as shown),
// line by line. Empty when the window has no text.
struct TextCells {
    Int Width = 0;
    Int Height = 0;
    std::vector<UInt8> Codes;
    std::vector<UInt8> Colours;
};
TextCells t_CopyTextCells(UInt8 w);
// Marks the columns of the line that the program's attention is on (see
// t_Window::FocusAt).
void t_SetFocus(UInt8 w, Int firstColumn, Int lastColumn, Int line);
// The cell of the window's oldest pending click, (-1, -1) when none.
std::pair<Int, Int> t_GetMouseText(UInt8 w);

struct PauseResult {
    bool Paused;
    Int Key;
};
// The output pause: Ctrl-S as the newest key stops output until a key or a
// menu event arrives.
PauseResult t_CheckPause(Int key, bool wait);
