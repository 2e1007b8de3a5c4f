// Events as the program and the host's windows meet them: waiting for
// keys with the cursor shown, typing a text, the host's mouse and menu
// handlers with the menu bar's window actions. The queues themselves are
// in runtime/event_queue.h.
#pragma once

#include "runtime/event_queue.h"
#include "runtime/text.h"
#include "runtime/types.h"

// --- program side -----------------------------------------------------------

// Waits for the next key (showing the cursor only while the queue is
// empty) and returns its character; the event is then CurrentEvent().
String t_WaitKey(UInt8 w);
// The next key's Value without waiting; -1 when no key is queued.
Int t_TakeKey();
// Queues a text as typed keys: each character one key; line feed (and a
// carriage return followed by a line feed) as 13; characters above 255 as
// 27, four upper-case hexadecimal digits, 29.
void t_TypeString(const String& text);

// --- host side --------------------------------------------------------------

// A click at host window coordinates (origin bottom left).
void t_MouseEventHandler(UInt8 w, double x, double y, Int buttons, const HostModifiers& modifiers);
// The view's mouse-down: the window checks, the handler, then the record of
// a left or right click.
void viewMouseDown(UInt8 w, double x, double y, Int buttons, const HostModifiers& modifiers, bool rightButton);
void t_MouseEventPostCloseBoxClick(UInt8 w);
// A left click in the middle of a text cell (1-based), as a front end
// without pixels (a script, a terminal) makes one.
void t_ClickTextCell(UInt8 w, Int column, Int line);
void t_MenuEventHandler(const HostMenuItem& item);

// The host's main window: 0 while graphic window 0 is initialised and
// visible (the program's screen is the window the user works in), else 255.
UInt8 t_MainWindowNumber();
