#include "input/input_line.h"

#include <algorithm>
#include <cstdio>

#include "input/events.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "runtime/key_codes.h"
#include "runtime/pasteboard.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

constexpr char32_t EscapeStart = 27;
constexpr char32_t EscapeEnd = 29;

t_Window* Field(const char* op, UInt8 w) {
    if (w >= GraphicWindowCount) {
        LogLine(std::string(op) + ": Window is not a graphic window.");
        return nullptr;
    }
    t_Window& win = Screen().WindowTable[w];
    if (!WindowReady(w) || !win.HasText()) {
        LogLine(std::string(op) + ": Window #" + std::to_string(w) + " not initialized.");
        return nullptr;
    }
    return &win;
}

int HexValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

// Prints the field from its start in display mode 4, then `spaces` blanks.
void Redraw(UInt8 w, t_Window& win, Int spaces) {
    win.TextHpos = win.InputHpos;
    win.TextVpos = win.InputVpos;
    t_DisplayMode(w, 4);
    t_Print(w, win.InputString);
    t_DisplayMode(w, 0);
    t_PrintSpc(w, spaces);
}

void PlaceCursor(t_Window& win) {
    win.TextVpos = win.InputVpos;
    win.TextHpos = win.InputHpos + win.InputCursorPos;
}

// Whether the field's mode lets c in at the cursor; may replace c.
bool Accepts(const t_Window& win, const std::u32string& text, char32_t& c) {
    const Int cursor = win.InputCursorPos;
    const bool hasComma = text.find(U',') != std::u32string::npos;
    switch (win.InputMode) {
        case InputInteger: return IsDigit(c) || (c == '-' && cursor == 0);
        case InputDecimal:
            if (IsDigit(c)) return true;
            if (c == '.' || c == ',') {
                c = ',';
                return !hasComma;
            }
            if (c == '-') return cursor == 0 || text[static_cast<std::size_t>(cursor - 1)] == U'e';
            if (c == 'e' || c == 'E') {
                c = 'e';
                return text.find(U'e') == std::u32string::npos;
            }
            return false;
        case InputRange:
            return IsDigit(c) || (c == '-' && cursor != 0 && text.find(U'-') == std::u32string::npos);
        default: return c != 0;
    }
}

// Reads up to three digits typed after the code-entry key.
void CodeEntry(UInt8 w, t_Window& win) {
    Int number = 0;
    for (int i = 0; i < 3; ++i) {
        const std::u32string key = Scalars(t_WaitKey(w));
        const char32_t c = key.empty() ? 0 : key[0];
        if (!IsDigit(c)) {
            if (i == 0) return;
            break;
        }
        number = number * 10 + (c - '0');
    }
    const Int lowest = win.InputMode == InputAnyWithControls ? 1 : 32;
    if (number >= lowest && number <= 255) t_InputInsert(w, number);
}

// The clipboard's first line, typed into the field like keys.
void Paste() {
    String text = PasteboardString();
    text = text.substr(0, text.find_first_of("\r\n"));
    t_TypeString(text);
}

// Moves the cursor a word: one step, then on until a blank or the end.
void WordMove(t_Window& win, const std::u32string& text, int step) {
    const Int length = static_cast<Int>(text.size());
    Int pos = win.InputCursorPos + step;
    while (pos > 0 && pos < length && text[static_cast<std::size_t>(pos)] != U' ') pos += step;
    win.InputCursorPos = pos;
}

void EditKey(UInt8 w, t_Window& win, Int key) {
    std::u32string text = Scalars(win.InputString);
    const Int length = static_cast<Int>(text.size());
    Int& cursor = win.InputCursorPos;
    switch (key) {
        case BackspaceKey:
            if (cursor > 0) {
                text.erase(static_cast<std::size_t>(cursor - 1), 1);
                win.InputString = Utf8(text);
                --cursor;
                Redraw(w, win, 1);
            }
            break;
        case 0:  // no key: draw the field again
            Redraw(w, win, 0);
            break;
        case CtrlA:
        case CtrlB:
        case CtrlK:
        case CtrlR: cursor = 0; break;
        case CtrlC:
        case CtrlE:
        case CtrlF:
        case CtrlJ: cursor = length; break;
        case CtrlD: WordMove(win, text, 1); break;
        case CtrlG:
            if (cursor < length) {
                text.erase(static_cast<std::size_t>(cursor), 1);
                win.InputString = Utf8(text);
                Redraw(w, win, 1);
            }
            break;
        case CtrlH: --cursor; break;
        case CtrlL: {
            SetPasteboardString(UnescapeWideCharacters(win.InputString));
            break;
        }
        case ReturnKey: win.InputFinished = true; break;
        case CtrlS: WordMove(win, text, -1); break;
        case CtrlU: ++cursor; break;
        case CtrlV: Paste(); break;
        case CtrlX:
            text.erase(0, static_cast<std::size_t>(std::clamp<Int>(cursor, 0, length)));
            win.InputString = Utf8(text);
            cursor = 0;
            Redraw(w, win, length - static_cast<Int>(text.size()));
            break;
        case CtrlZ:
        case EscapeKey:
            win.InputString.clear();
            cursor = 0;
            if (key == EscapeKey) win.InputFinished = false;
            win.TextHpos = win.InputHpos;
            t_PrintSpc(w, length);
            break;
        case CtrlCaret: CodeEntry(w, win); break;
        default:
            if ((key >= 32 && key <= 126) || key >= 128) t_InputInsert(w, key);
            break;
    }
    cursor = std::clamp<Int>(cursor, 0, static_cast<Int>(ScalarCount(win.InputString)));
    if (key == 0 || key == CtrlUnderscore) PlaceCursor(win);
}

// A pasted character above 255 arrives as the keys 27, four hexadecimal
// digits and 29. Taken as one unit it goes into the field whole instead of
// its 27 acting as Escape. False when the keys after 27 are no such tail.
bool TakeWideCharacter(UInt8 w, t_Window& win) {
    const std::vector<t_Event> tail = PeekKeyEvents(5);
    if (tail.size() < 5 || tail[4].Value != static_cast<Int>(EscapeEnd)) return false;
    for (int i = 0; i < 4; ++i)
        if (tail[static_cast<std::size_t>(i)].Value > 255 ||
            HexValue(static_cast<char32_t>(tail[static_cast<std::size_t>(i)].Value)) < 0)
            return false;
    t_Event taken;
    for (int i = 0; i < 5; ++i) TakeKeyEvent(taken);
    const Int length = static_cast<Int>(ScalarCount(win.InputString));
    const bool textMode = win.InputMode != InputInteger && win.InputMode != InputDecimal && win.InputMode != InputRange;
    const bool room = win.InputHpos + length + 5 < win.TextLastColumn && length + 6 <= win.InputMaxCharacters;
    if (!textMode || !room) return true;  // a character the field cannot take is dropped whole
    t_InputInsert(w, EscapeStart);
    for (int i = 0; i < 4; ++i) t_InputInsert(w, tail[static_cast<std::size_t>(i)].Value);
    t_InputInsert(w, EscapeEnd);
    return true;
}

}  // namespace

String EscapeWideCharacters(const String& text) {
    String out;
    for (char32_t c : Scalars(text)) {
        if (c < 256) {
            out += Utf8(c);
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c & 0xFFFF));
        out += Utf8(EscapeStart) + hex + Utf8(EscapeEnd);
    }
    return out;
}

String UnescapeWideCharacters(const String& text) {
    const std::u32string s = Scalars(text);
    std::u32string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == EscapeStart && i + 5 < s.size() && s[i + 5] == EscapeEnd) {
            int value = 0;
            bool hex = true;
            for (std::size_t k = 1; k <= 4; ++k) {
                const int digit = HexValue(s[i + k]);
                hex = hex && digit >= 0;
                value = value * 16 + std::max(digit, 0);
            }
            if (hex) {
                out += static_cast<char32_t>(value);
                i += 5;
                continue;
            }
        }
        out += s[i];
    }
    return Utf8(out);
}

String t_InputForm(UInt8 w, const String& prompt, const String& initial, bool displayOnly, Int mode,
                   Int maxCharacters) {
    t_Window* win = Field("t_InputForm", w);
    if (!win) return {};
    t_DisplayMode(w, 4);
    t_Print(w, prompt);
    t_DisplayMode(w, 0);
    win->InputHpos = win->TextHpos;
    win->InputVpos = win->TextVpos;
    win->InputMode = mode;
    win->InputMaxCharacters = maxCharacters;
    std::u32string text = maxCharacters < 1 ? std::u32string() : Scalars(initial);
    if (static_cast<Int>(text.size()) > maxCharacters) text.resize(static_cast<std::size_t>(maxCharacters));
    win->InputString = Utf8(text);
    win->InputFinished = false;
    win->InputCursorPos = static_cast<Int>(text.size());
    Redraw(w, *win, 0);
    if (!displayOnly) {
        char32_t c = 0;
        do {
            t_InputEdit(w, 31);
            const std::u32string key = Scalars(t_WaitKey(w));
            c = key.empty() ? 0 : key[0];
            if (c == EscapeStart && TakeWideCharacter(w, *win)) {
                c = 0;
                continue;
            }
            t_InputEdit(w, static_cast<Int>(c));
        } while (c != 13 && c != 27);
        t_Cr(w);
    }
    return win->InputString;
}

void t_InputEdit(UInt8 w, Int key) {
    t_Window* win = Field("t_InputEdit", w);
    if (!win) return;
    PlaceCursor(*win);
    EditKey(w, *win, key);
}

void t_InputInsert(UInt8 w, Int code) {
    t_Window* win = Field("t_InputInsert", w);
    if (!win || code <= 0) return;
    std::u32string text = Scalars(win->InputString);
    const Int length = static_cast<Int>(text.size());
    if (win->InputHpos + length >= win->TextLastColumn || length >= win->InputMaxCharacters) return;
    char32_t c = static_cast<char32_t>(code);
    if (!Accepts(*win, text, c)) return;
    const Int cursor = std::clamp<Int>(win->InputCursorPos, 0, length);
    text.insert(static_cast<std::size_t>(cursor), 1, c);
    win->InputString = Utf8(text);
    win->InputCursorPos = cursor + 1;
    Redraw(w, *win, 0);
}

String t_InputGetString(UInt8 w) {
    const t_Window* win = Field("t_InputGetString", w);
    return win ? win->InputString : String();
}

void t_InputSetString(UInt8 w, const String& text) {
    if (t_Window* win = Field("t_InputSetString", w)) win->InputString = text;
}

Int t_InputGetMaxCharacters(UInt8 w) {
    const t_Window* win = Field("t_InputGetMaxCharacters", w);
    return win ? win->InputMaxCharacters : 0;
}
