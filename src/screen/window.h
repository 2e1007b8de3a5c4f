// Graphic windows 0-7: the video memory's block allocation, window
// initialisation and window management, and the auto-update thread.
#pragma once

#include <string>

#include "runtime/types.h"
#include "screen/font.h"
#include "screen/window_memory.h"

// Grid form: loads the font and sizes the window in character cells.
void t_InitWindow(UInt8 w, Int bitDepth, Int columns, Int lines, Int border, const std::string& fontName);
// Pixel form. A negative border is derived from the screen size.
void t_InitWindow(UInt8 w, Int bitDepth, bool autoUpdate, Int width, Int height, Int borderWidth,
                  Int borderHeight, const t_Font& font, bool titleVisible);

void t_ClearWindowMemory(UInt8 w);
Int t_WindowPos(UInt8 w, Int selector);
void t_WindowSize(UInt8 w, Int x, Int y, Int width, Int height);
void t_WindowTitle(UInt8 w, const std::string& title);
void t_WindowTitleVisible(UInt8 w, bool visible);
void t_WindowCenter(UInt8 w);
void t_WindowFront(UInt8 w);
void t_WindowVisible(UInt8 w, bool visible);
void t_WindowUpdate(UInt8 w, bool deferred);
HostRef t_WindowView(UInt8 w);
HostRef t_WindowHost(UInt8 w);

// Body of the auto-update thread that paces view refreshes.
void t_WindowAutoUpdateProcess();
// The same without its start line, which the starter logs.
void AutoUpdateLoop();
