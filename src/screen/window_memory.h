// Graphic windows 0-7: the window record and the shared video memory that
// every drawing module writes, with the count of changes that tells the
// auto-update thread when a picture is due.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/shared_value.h"
#include "runtime/types.h"
#include "screen/font.h"

inline constexpr int GraphicWindowCount = 8;
inline constexpr UInt8 NoWindow = 255;

// Video memory: 2^24 + 15 bytes; blocks are taken from the top down and the
// lowest 64 KiB are never handed out.
inline constexpr Int VideoMemorySize = (Int{1} << 24) + 15;
inline constexpr Int InitialHighMemory = 0xFFFFFF;
inline constexpr Int ReservedLowMemory = 65536;

struct t_DrawingRect {
    double X = 0, Y = 0, Width = 0, Height = 0;
};

// Host window and view references are the window's number while the host
// has them, -1 otherwise.
using HostRef = Int;
inline constexpr HostRef NoHostRef = -1;

struct t_Window {
    SharedValue<bool> Initialized = false;
    SharedValue<bool> Visible = false;
    SharedValue<bool> IgnoreEvents = false;
    SharedValue<bool> AutoUpdate = false;
    SharedValue<bool> QuickUpdate = false;
    bool ScrollLock = false;
    SharedValue<bool> VerticalBlank = true;
    SharedValue<Int> UpdateStarted = 0;
    SharedValue<Int> UpdateFinished = 0;
    SharedValue<Int> UpdateDuration = 0;
    SharedValue<Int> RefreshRate = 30;
    // Counts the changes to the window's pixels: a refresh is due only when
    // the count moved on since the picture last asked for (PictureAsked),
    // and the host converts the memory again only then. PicturesMade counts
    // the conversions.
    SharedValue<Int> PixelChanges = 0;
    SharedValue<Int> PictureAsked = -1;
    SharedValue<Int> PicturesMade = 0;
    // For a front end that shows only part of the window (a small
    // terminal): the text cursor's cell while it is shown, and the cell the
    // program's attention is on (the sheet's cursor cell), each packed as
    // line << 16 | column (the focus's last column also, << 32); 0 when
    // there is none.
    SharedValue<Int> CursorShownAt = 0;
    SharedValue<Int> FocusAt = 0;
    SharedValue<HostRef> Window = NoHostRef;
    SharedValue<HostRef> View = NoHostRef;
    t_DrawingRect DrawingRect;
    Int TitleHeight = 0;
    Int BorderWidth = 0;
    Int BorderHeight = 0;
    t_RGBColor RGBColorBorder;
    SharedValue<Int> BitDepth = 0;
    SharedValue<Int> Width = 0;
    SharedValue<Int> Height = 0;
    t_RGBColor RGBColor;
    Int DrawingMode = 0;
    Int PositionX = 0;
    Int PositionY = 0;
    SharedValue<Int> MemoryStart = -1;
    SharedValue<Int> MemoryEnd = -1;
    t_Font Font;
    Int TextWidth = 0;
    Int TextHeight = 0;
    Int TextFirstColumn = 0;
    Int TextLastColumn = 0;
    Int TextFirstLine = 0;
    Int TextLastLine = 0;
    Int TextHpos = 0;
    Int TextVpos = 0;
    UInt8 TextColor = 0;
    bool TextInverse = false;
    Int TextDisplayMode = 0;
    Int TextCursorLevel = 0;
    Int TextRedirectOutput = 1;
    std::string InputString;
    bool InputFinished = false;
    Int InputMode = 0;
    Int InputHpos = 0;
    Int InputVpos = 0;
    Int InputCursorPos = 0;
    Int InputMaxCharacters = 0;
    Int LoResOffsetX = 0;
    Int LoResOffsetY = 0;
    Int LoResMode = 0;
    Int TextMemoryStart = -1;
    Int TextMemoryEnd = -1;
    // What the pixels of each text cell show: (1 << 16) | colour << 8 | code
    // as last drawn there, 0 when not known. Redraws skip cells that would
    // come out the same, which spares most of the memory traffic of a
    // screen redrawn after each key. Empty after anything else wrote pixels.
    std::vector<std::uint32_t> DrawnCells;

    bool HasText() const { return TextMemoryStart >= 0; }
};

// Counts a change of the window's pixels, and wakes the auto-update thread
// when it sleeps for want of changes.
void PixelsChanged(t_Window& win);
// Forgets what the text cells show, after pixels were written other than
// by drawing glyphs.
inline void ForgetDrawnCells(t_Window& win) {
    win.DrawnCells.clear();
    PixelsChanged(win);
}

// The window table and the video memory, owned by the program thread.
struct WindowMemory {
    std::vector<UInt8> VideoMemory;  // created by t_InitMemory
    Int HighMemory = InitialHighMemory;
    t_Window WindowTable[GraphicWindowCount];
    SharedValue<UInt8> DefaultWindow = NoWindow;
    SharedValue<bool> AutoUpdateStarted = false;
    // Counts the auto-update thread's passes over the windows, so that a
    // test can tell it has looked again.
    SharedValue<Int> AutoUpdatePasses = 0;
};

WindowMemory& Screen();

// True once t_InitMemory has made the video memory.
bool MemoryReady();
// True when w is a graphic window number that has memory and a view.
bool WindowReady(UInt8 w);

// For the auto-update thread, when no window is due: a millisecond while
// some window has changes waiting for their refresh time; else until a
// window's pixels change, at most a tenth of a second, for settings (a
// refresh rate, a window shown) that change no pixel.
void WaitForPixelChanges();

