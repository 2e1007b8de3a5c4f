#include "screen/text_output.h"

#include <cstring>
#include <string>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "runtime/event_queue.h"
#include "runtime/event_wait.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/window.h"

namespace {

constexpr Int PauseKey = 19;  // Ctrl-S

// The checks every operation starts with. Text operations (withText) also
// need a text block.
t_Window* Checked(const char* op, UInt8 w, bool withText) {
    if (w >= GraphicWindowCount) {
        LogLine(std::string(op) + ": Window is not a graphic window.");
        return nullptr;
    }
    t_Window& win = Screen().WindowTable[w];
    if (!WindowReady(w) || (withText && !win.HasText())) {
        LogLine(std::string(op) + ": Window #" + std::to_string(w) + " not initialized.");
        return nullptr;
    }
    return &win;
}

t_Window* TextWin(const char* op, UInt8 w) { return Checked(op, w, true); }
t_Window* AnyWin(const char* op, UInt8 w) { return Checked(op, w, false); }

UInt8* CharPlane(const t_Window& win) { return Screen().VideoMemory.data() + win.TextMemoryStart; }

UInt8* ColorPlane(const t_Window& win) {
    return CharPlane(win) + (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
}

Int CellOffset(const t_Window& win, Int column, Int line) { return (line - 1) * win.TextWidth + (column - 1); }

bool ValidRect(const t_Window& win, Int left, Int top, Int right, Int bottom) {
    return left >= 1 && left <= right && right <= win.TextWidth && top >= 1 && top <= bottom &&
           bottom <= win.TextHeight;
}

// Draws the cell (column, line) again from what its planes hold at (fromColumn, fromLine).
void RedrawCell(UInt8 w, const t_Window& win, Int column, Int line, Int fromColumn, Int fromLine) {
    const Int from = CellOffset(win, fromColumn, fromLine);
    t_PrintSymbol(w, CharPlane(win)[from], ColorPlane(win)[from], column, line);
}

void BlankLine(UInt8 w, const t_Window& win, Int line, Int firstColumn, Int lastColumn) {
    for (Int c = firstColumn; c <= lastColumn; ++c) t_PrintSymbol(w, ' ', win.TextColor, c, line);
}

bool FullWidth(const t_Window& win) { return win.TextFirstColumn == 1 && win.TextLastColumn == win.TextWidth; }

// Byte address of the first pixel row of text line `line` (0-based) in the graphic block.
Int PixelLineStart(const t_Window& win, Int line) {
    return win.MemoryStart + win.BitDepth * win.Font.Height * line * win.Width / 8;
}

// One past the last pixel byte of text line `line` (1-based) up to the area's last column.
Int PixelLineEnd(const t_Window& win, Int line) {
    return win.MemoryStart +
           ((win.Font.Height * line - 1) * win.Width + win.Font.Width * win.TextLastColumn) * win.BitDepth / 8;
}

// Moves the lines of a full-width area by one line in both planes and the
// pixels; up moves lines first+1..last to first..last-1, down the reverse.
void MoveAreaLines(t_Window& win, bool up) {
    const Int first = win.TextFirstLine, last = win.TextLastLine, width = win.TextWidth;
    if (last <= first) return;
    const std::size_t count = static_cast<std::size_t>(width * (last - first));
    const Int upper = (first - 1) * width, lower = first * width;
    for (UInt8* plane : {ColorPlane(win), CharPlane(win)}) {
        if (up)
            std::memmove(plane + upper, plane + lower, count);
        else
            std::memmove(plane + lower, plane + upper, count);
    }
    // What the moved cells show moves with them.
    std::vector<std::uint32_t>& drawn = win.DrawnCells;
    if (drawn.size() == static_cast<std::size_t>(width * win.TextHeight)) {
        std::uint32_t* cells = drawn.data();
        const std::size_t bytes = count * sizeof *cells;
        if (up)
            std::memmove(cells + upper, cells + lower, bytes);
        else
            std::memmove(cells + lower, cells + upper, bytes);
    }
    UInt8* memory = Screen().VideoMemory.data();
    PixelsChanged(win);
    const Int lineBytes = win.BitDepth * win.Font.Height * win.Width / 8;
    if (up) {
        const Int start = PixelLineStart(win, first), end = PixelLineEnd(win, last);
        if (end > start) std::memmove(memory + start - lineBytes, memory + start, static_cast<std::size_t>(end - start));
    } else {
        const Int start = PixelLineStart(win, first - 1), end = PixelLineEnd(win, last - 1);
        if (end > start) std::memmove(memory + start + lineBytes, memory + start, static_cast<std::size_t>(end - start));
    }
}

void Scroll(UInt8 w, t_Window& win, bool up) {
    if (win.ScrollLock) return;
    const Int first = win.TextFirstLine, last = win.TextLastLine;
    if (FullWidth(win)) {
        MoveAreaLines(win, up);
    } else {
        const bool inverse = win.TextInverse;
        win.TextInverse = false;
        if (up) {
            for (Int l = first; l < last; ++l)
                for (Int c = win.TextFirstColumn; c <= win.TextLastColumn; ++c) RedrawCell(w, win, c, l, c, l + 1);
        } else {
            for (Int l = last; l > first; --l)
                for (Int c = win.TextFirstColumn; c <= win.TextLastColumn; ++c) RedrawCell(w, win, c, l, c, l - 1);
        }
        win.TextInverse = inverse;
    }
    BlankLine(w, win, up ? last : first, win.TextFirstColumn, win.TextLastColumn);
}

// Display-mode translation and drawing of one code at the cursor; control
// codes are not interpreted here.
void PrintOne(UInt8 w, t_Window& win, Int code) {
    const DisplayModeResult r = t_ApplyDisplayMode(w, code);
    Int drawn = r.Code;
    if (drawn >= 256) {
        if (win.TextDisplayMode == 4) t_Color(w, 1);
        drawn = '?';
    }
    if (drawn >= 0) {
        t_PrintSymbol(w, static_cast<UInt8>(drawn), win.TextColor, win.TextHpos, win.TextVpos);
        t_CursorRight(w);
    }
    win.TextInverse = r.Inverse;
    win.TextColor = r.Color;
}

template <typename Codes>
void PrintCodes(UInt8 w, const Codes& codes) {
    t_Window* win = TextWin("t_Print", w);
    if (!win) return;
    if (!win->Font.HasGlyphs()) {
        LogLine("t_Print: Window #" + std::to_string(w) + " has no text font.");
        return;
    }
    for (const auto c : codes) {
        const Int code = static_cast<Int>(c);
        if (code < 32 && win->TextDisplayMode < 3) {
            if (code == 13) t_CheckPause(PauseKey, true);
            t_PrintControl(w, static_cast<UInt8>(code));
            continue;
        }
        PrintOne(w, *win, code);
    }
    t_CheckPause(PauseKey, true);
}

// Escape sequence tab stops every 10, 20 or 40 columns.
void EscapeTab(UInt8 w, t_Window& win, Int width) {
    const Int stop = (win.TextHpos / width) * width + width + 1;
    if (win.TextWidth - win.TextFirstColumn + 1 < stop) {
        t_ClearEndOfLine(w);
        t_Cr(w);
    } else {
        t_PrintTab(w, stop, ' ');
    }
}

// The part of an escape sequence after code 27; false when code is not one.
bool PerformEscape(UInt8 w, t_Window& win, Int code, UInt8& colour) {
    if (code >= 64 && code <= 79) {
        colour = static_cast<UInt8>(((code << 4) & 0xFF) | (colour & 15));
    } else if (code >= 80 && code <= 95) {
        colour = static_cast<UInt8>((colour & 240) + (code - 80));
    } else if (code == 'e') {
        t_CursorEnd(w);
    } else if (code == 'f') {
        t_Htab(w, win.TextWidth - win.TextFirstColumn + 1);
    } else if (code >= 'i' && code <= 'k') {
        win.TextDisplayMode = 0;
        EscapeTab(w, win, code == 'i' ? 10 : code == 'j' ? 20 : 40);
    } else if (code >= 110 && code <= 127) {
        t_ColorBorder(w, code - 110);
    } else {
        return false;
    }
    win.TextDisplayMode = 0;
    return true;
}

}  // namespace

void t_Print(UInt8 w, const Text& text) { PrintCodes(w, text.Elements); }

void t_Print(UInt8 w, const String& text) { PrintCodes(w, Scalars(text)); }

void t_PrintChar(UInt8 w, UInt8 code) {
    if (t_Window* win = TextWin("t_PrintChar", w)) PrintOne(w, *win, code);
}

void t_PrintSpc(UInt8 w, Int count) {
    if (!TextWin("t_PrintSpc", w)) return;
    for (Int i = 0; i < count; ++i) t_PrintChar(w, ' ');
}

void t_PrintTab(UInt8 w, Int column, UInt8 code) {
    t_Window* win = TextWin("t_PrintTab", w);
    if (!win) return;
    const Int count = column - win->TextHpos;
    for (Int i = 0; i < count; ++i) t_PrintChar(w, code);
}

void t_Htab(UInt8 w, Int column) {
    t_Window* win = TextWin("t_Htab", w);
    if (win && column >= 1 && column + win->TextFirstColumn - 1 <= win->TextWidth)
        win->TextHpos = column + win->TextFirstColumn - 1;
}

void t_Vtab(UInt8 w, Int line) {
    t_Window* win = TextWin("t_Vtab", w);
    if (win && line >= 1 && line <= win->TextHeight) win->TextVpos = line;
}

Int t_Hpos(UInt8 w) {
    const t_Window* win = TextWin("t_Hpos", w);
    return win ? win->TextHpos - win->TextFirstColumn + 1 : 0;
}

void t_CursorHome(UInt8 w) {
    if (t_Window* win = TextWin("t_CursorHome", w)) {
        win->TextHpos = win->TextFirstColumn;
        win->TextVpos = win->TextFirstLine;
    }
}

void t_CursorEnd(UInt8 w) {
    if (t_Window* win = TextWin("t_CursorEnd", w)) {
        win->TextHpos = win->TextLastColumn;
        win->TextVpos = win->TextLastLine;
    }
}

void t_CursorRight(UInt8 w) {
    t_Window* win = TextWin("t_CursorRight", w);
    if (!win) return;
    if (++win->TextHpos > win->TextLastColumn) t_Cr(w);
}

void t_CursorLeft(UInt8 w) {
    t_Window* win = TextWin("t_CursorLeft", w);
    if (!win) return;
    if (--win->TextHpos < win->TextFirstColumn) {
        win->TextHpos = win->TextLastColumn;
        t_CursorUp(w);
    }
}

void t_CursorDown(UInt8 w) {
    t_Window* win = TextWin("t_CursorDown", w);
    if (!win) return;
    if (++win->TextVpos > win->TextLastLine) {
        t_ScrollUp(w);
        --win->TextVpos;
    }
}

void t_CursorUp(UInt8 w) {
    t_Window* win = TextWin("t_CursorUp", w);
    if (!win) return;
    if (--win->TextVpos < win->TextFirstLine) {
        t_ScrollDown(w);
        ++win->TextVpos;
    }
}

void t_Cr(UInt8 w) {
    t_Window* win = TextWin("t_Cr", w);
    if (!win) return;
    win->TextHpos = win->TextFirstColumn;
    t_CursorDown(w);
}

void t_ScrollUp(UInt8 w) {
    if (t_Window* win = TextWin("t_ScrollUp", w)) Scroll(w, *win, true);
}

void t_ScrollDown(UInt8 w) {
    if (t_Window* win = TextWin("t_ScrollDown", w)) Scroll(w, *win, false);
}

void t_ClearEndOfLine(UInt8 w) {
    if (t_Window* win = TextWin("t_ClearEndOfLine", w))
        BlankLine(w, *win, win->TextVpos, win->TextHpos, win->TextLastColumn);
}

void t_ClearEndOfWindow(UInt8 w) {
    t_Window* win = TextWin("t_ClearEndOfWindow", w);
    if (!win) return;
    const Int column = win->TextHpos, line = win->TextVpos;
    t_ClearEndOfLine(w);
    for (Int l = line + 1; l <= win->TextLastLine; ++l) BlankLine(w, *win, l, win->TextFirstColumn, win->TextLastColumn);
    win->TextHpos = column;
    win->TextVpos = line;
}

void t_ClearRect(UInt8 w, Int left, Int top, Int right, Int bottom) {
    t_Window* win = TextWin("t_ClearRect", w);
    if (!win || !ValidRect(*win, left, top, right, bottom)) return;
    for (Int l = top; l <= bottom; ++l) BlankLine(w, *win, l, left, right);
}

void t_InvertRect(UInt8 w, Int left, Int top, Int right, Int bottom) {
    t_Window* win = TextWin("t_InvertRect", w);
    if (!win || !ValidRect(*win, left, top, right, bottom)) return;
    const bool inverse = win->TextInverse;
    win->TextInverse = true;
    for (Int l = top; l <= bottom; ++l)
        for (Int c = left; c <= right; ++c) RedrawCell(w, *win, c, l, c, l);
    win->TextInverse = inverse;
}

void t_CursorDraw(UInt8 w) {
    if (t_Window* win = TextWin("t_CursorDraw", w))
        t_InvertRect(w, win->TextHpos, win->TextVpos, win->TextHpos, win->TextVpos);
}

void t_CursorOn(UInt8 w) {
    t_Window* win = TextWin("t_CursorOn", w);
    if (win && win->TextCursorLevel++ == 0) {
        t_CursorDraw(w);
        win->CursorShownAt = win->TextVpos << 16 | win->TextHpos;
    }
}

void t_CursorOff(UInt8 w) {
    t_Window* win = TextWin("t_CursorOff", w);
    if (win && --win->TextCursorLevel == 0) {
        t_CursorDraw(w);
        win->CursorShownAt = 0;
    }
}

void t_SetFocus(UInt8 w, Int firstColumn, Int lastColumn, Int line) {
    if (t_Window* win = TextWin("t_SetFocus", w)) win->FocusAt = lastColumn << 32 | line << 16 | firstColumn;
}

namespace {

// The one intended race of a copy taken while the program draws, which the
// thread sanitizer leaves out.
#define RACY_COPY __attribute__((no_sanitize("thread")))

RACY_COPY void CopyPlane(const UInt8* from, std::vector<UInt8>& to, std::size_t count) {
    to.resize(count);
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
}

}  // namespace

RACY_COPY TextCells t_CopyTextCells(UInt8 w) {
    TextCells cells;
    if (!Runtime().MemoryInitialized || w >= GraphicWindowCount) return cells;
    const t_Window& win = Screen().WindowTable[w];
    if (!win.Initialized) return cells;
    // Read once: the program thread may set the window up again meanwhile,
    // and nothing outside the video memory is ever read.
    const Int start = win.TextMemoryStart, end = win.TextMemoryEnd, width = win.TextWidth, height = win.TextHeight;
    const Int half = (end - start + 1) / 2;
    const std::vector<UInt8>& memory = Screen().VideoMemory;
    if (start < 0 || width <= 0 || height <= 0 || width * height > half ||
        end >= static_cast<Int>(memory.size()))
        return cells;
    const auto count = static_cast<std::size_t>(width * height);
    CopyPlane(memory.data() + start, cells.Codes, count);
    CopyPlane(memory.data() + start + half, cells.Colours, count);
    cells.Width = width;
    cells.Height = height;
    return cells;
}

void t_Inverse(UInt8 w) {
    if (t_Window* win = AnyWin("t_Inverse", w)) win->TextInverse = true;
}

void t_Normal(UInt8 w) {
    if (t_Window* win = AnyWin("t_Normal", w)) win->TextInverse = false;
}

void t_Reverse(UInt8 w) {
    if (t_Window* win = AnyWin("t_Reverse", w)) win->TextInverse = !win->TextInverse;
}

void t_DisplayMode(UInt8 w, Int mode) {
    if (t_Window* win = AnyWin("t_DisplayMode", w)) win->TextDisplayMode = mode;
}

void t_RedirectOutput(UInt8 w, Int target) {
    if (t_Window* win = AnyWin("t_RedirectOutput", w)) win->TextRedirectOutput = target;
}

void t_FullArea(UInt8 w) {
    if (t_Window* win = AnyWin("t_FullArea", w)) {
        win->TextFirstColumn = 1;
        win->TextLastColumn = win->TextWidth;
        win->TextFirstLine = 1;
        win->TextLastLine = win->TextHeight;
    }
}

void t_Area(UInt8 w, Int firstColumn, Int firstLine, Int lastColumn, Int lastLine) {
    t_Window* win = AnyWin("t_Area", w);
    if (!win) return;
    if (firstColumn >= 1 && firstColumn <= lastColumn && lastColumn <= win->TextWidth) {
        win->TextFirstColumn = firstColumn;
        win->TextLastColumn = lastColumn;
    }
    if (firstLine >= 1 && firstLine <= lastLine && lastLine <= win->TextHeight) {
        win->TextFirstLine = firstLine;
        win->TextLastLine = lastLine;
    }
    t_CursorHome(w);
}

DisplayModeResult t_ApplyDisplayMode(UInt8 w, Int code) {
    t_Window* win = TextWin("t_ApplyDisplayMode", w);
    if (!win) return {code, false, 0};
    DisplayModeResult r{code, win->TextInverse, win->TextColor};
    switch (win->TextDisplayMode) {
        case 1:
            if (code >= 32 && code <= 127) r.Code = code + 128;
            break;
        case 2:
            if (code >= 64 && code <= 95) r.Code = code - 64;
            if (code >= 96 && code <= 127) r.Code = code + 32;
            break;
        case 3:
            if (code >= 0 && code <= 31) {
                t_Inverse(w);
                r.Code = code + 64;
            }
            break;
        case 4:
            if (code >= 0 && code <= 31) {
                t_Color(w, 1);
                r.Code = code + 64;
            }
            break;
        case 99:
            if (PerformEscape(w, *win, code, r.Color)) r.Code = -1;
            break;
        default: break;
    }
    return r;
}

void t_PrintControl(UInt8 w, UInt8 code) {
    if (w >= GraphicWindowCount) {
        LogLine("t_PrintControl: Window is not a graphic window.");
        return;
    }
    t_Window& win = Screen().WindowTable[w];
    const bool ready = WindowReady(w) && win.HasText();
    if (!ready || win.TextRedirectOutput != 1) {
        if (win.TextRedirectOutput == 2)
            ConsoleWrite(Utf8(static_cast<char32_t>(code)));
        else if (win.TextRedirectOutput == 1)
            LogLine("t_PrintControl: Window #" + std::to_string(w) + " not initialized.");
        return;
    }
    switch (code) {
        case 7: CurrentPlatform().Bell(); break;
        case 8: t_CursorLeft(w); break;
        case 10: t_CursorDown(w); break;
        case 11: t_ClearEndOfWindow(w); break;
        case 12:
            t_CursorHome(w);
            t_ClearEndOfWindow(w);
            break;
        case 13: t_Cr(w); break;
        case 14: t_Normal(w); break;
        case 15: t_Inverse(w); break;
        case 17: t_Reverse(w); break;
        case 18: t_Htab(w, 1); break;
        case 19: win.TextDisplayMode = 0; break;
        case 20: win.TextDisplayMode = 1; break;
        case 22: t_ScrollDown(w); break;
        case 23: t_ScrollUp(w); break;
        case 25: t_CursorHome(w); break;
        case 26:
            t_Htab(w, 1);
            t_ClearEndOfLine(w);
            break;
        case 27: win.TextDisplayMode = 99; break;
        case 28: t_CursorRight(w); break;
        case 29: t_ClearEndOfLine(w); break;
        case 30: t_CursorUp(w); break;
        case 31: win.TextDisplayMode = 2; break;
        default: break;
    }
}

String t_GetScreen(UInt8 w, const String& separator) {
    const t_Window* win = TextWin("t_GetScreen", w);
    if (!win) return {};
    String screen;
    const UInt8* chars = CharPlane(*win);
    for (Int l = 1; l <= win->TextHeight; ++l) {
        for (Int c = 1; c <= win->TextWidth; ++c) screen += Utf8(static_cast<char32_t>(chars[CellOffset(*win, c, l)]));
        screen += separator;
    }
    if (separator.empty()) return screen;
    // Tidy form: lines cut at carriage returns, trailing blanks and blank
    // last lines removed.
    std::vector<String> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t cr = screen.find('\r', start);
        String line = screen.substr(start, cr == String::npos ? String::npos : cr - start);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(std::move(line));
        if (cr == String::npos) break;
        start = cr + 1;
    }
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    String tidy;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) tidy += '\r';
        tidy += lines[i];
    }
    return tidy;
}

std::pair<Int, Int> t_GetMouseText(UInt8 w) {
    const t_Window* win = TextWin("t_GetMouseText", w);
    t_Event click;
    if (!win || !TakeMouseEvent(w, click)) return {-1, -1};
    return {click.ClickX / win->Font.Width + 1, click.ClickY / win->Font.Height + 1};
}

PauseResult t_CheckPause(Int key, bool wait) {
    if (!EventPendingFlag()) return {false, 0};
    SetEventPendingFromQueue();
    if (KeyQueueLength() == 0) return {false, 0};
    const std::optional<t_Event> newest = NewestKeyEvent();
    if (!newest || newest->Value != key) return {false, 0};
    ClearKeyQueue();
    if (!wait) return {true, 0};
    const std::size_t keys = KeyQueueLength(), menus = MenuQueueLength();
    WaitForInput([keys, menus] { return KeyQueueLength() != keys || MenuQueueLength() != menus; });
    Int resumedBy = 0;
    t_Event event;
    if (KeyQueueLength() > keys && TakeKeyEvent(event)) resumedBy = event.Value;
    SetEventPendingFromQueue();
    return {true, resumedBy};
}
