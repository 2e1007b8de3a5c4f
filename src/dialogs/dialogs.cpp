#include "dialogs/dialogs.h"

#include <pthread.h>

#include <cstdio>

#include "input/events.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

// Frame glyphs, typed in display mode 2.
constexpr char LeftEdge = 'k';    // 139
constexpr char RightEdge = 'j';   // 138
constexpr char BottomEdge = 'l';  // 140
constexpr UInt8 TopEdge = 159;
constexpr UInt8 TitleLeft = 18;
constexpr UInt8 TitleRight = 19;

String Repeat(const String& s, Int count) {
    String out;
    for (Int i = 0; i < count; ++i) out += s;
    return out;
}

String FirstCharacters(const String& s, Int count) {
    const std::u32string scalars = Scalars(s);
    if (count <= 0) return {};
    return Utf8(std::u32string_view(scalars).substr(0, static_cast<std::size_t>(count)));
}

Int Length(const String& s) { return static_cast<Int>(ScalarCount(s)); }

void PrintAt(UInt8 w, Int column, Int line, const String& s) {
    t_Vtab(w, line);
    t_Htab(w, column);
    t_Print(w, s);
}

void PrintGlyphAndStep(UInt8 w, UInt8 glyph) {
    t_PrintSymbol(w, glyph);
    t_CursorRight(w);
}

}  // namespace

void t_DialogTitle(UInt8 w, const String& title, Int width) {
    const String s = " " + FirstCharacters(title, width - 4) + " ";
    const Int n = width - Length(s);
    const Int left = (n - 2) / 2;
    const Int right = n - 2 - left;
    t_Normal(w);
    t_Print(w, Text(CodeBuffer(static_cast<std::size_t>(std::max<Int>(left, 0)), TopEdge)));
    PrintGlyphAndStep(w, TitleLeft);
    t_Inverse(w);
    t_Print(w, s);
    t_Normal(w);
    PrintGlyphAndStep(w, TitleRight);
    t_Print(w, Text(CodeBuffer(static_cast<std::size_t>(std::max<Int>(right, 0)), TopEdge)));
}

void t_Dialog(UInt8 w, const String& title, Int left, Int top, Int right, Int bottom) {
    if (w >= GraphicWindowCount) {
        LogLine("t_Dialog: Window is not a graphic window.");
        return;
    }
    t_Window& win = Screen().WindowTable[w];
    if (!WindowReady(w) || !win.HasText()) {
        LogLine("t_Dialog: Window #" + std::to_string(w) + " not initialized.");
        return;
    }
    const Int mode = win.TextDisplayMode;
    t_FullArea(w);
    t_DisplayMode(w, 2);
    PrintAt(w, left, top, String(1, LeftEdge));
    t_DisplayMode(w, 0);
    t_DialogTitle(w, title, right - left - 1);
    t_DisplayMode(w, 2);
    t_Print(w, String(1, RightEdge));
    for (Int line = top + 1; line < bottom; ++line) {
        PrintAt(w, left, line, String(1, LeftEdge));
        PrintAt(w, right, line, String(1, RightEdge));
    }
    PrintAt(w, left + 1, bottom, Repeat(String(1, BottomEdge), right - left - 1));
    t_DisplayMode(w, 0);
    t_Area(w, left + 1, top + 1, right - 1, bottom - 1);
    t_ClearEndOfWindow(w);
    t_DisplayMode(w, mode);
}

void t_MessageBox(UInt8 w, const String& title, const String& line1, const String& line2, const String& line3,
                  const String& mark) {
    const Int width = t_WindowPos(w, 4);
    const Int left = (width - 60) / 2;
    t_FullArea(w);
    t_Dialog(w, title, left, 12, t_WindowPos(w, 4) - left, 16);
    const String on = "\x0F", off = "\x0E";
    t_Print(w, on + "     " + off + " " + FirstCharacters(line1, 52));
    t_Cr(w);
    t_Print(w, on + "  " + off + FirstCharacters(mark, 2) + on + "  " + off + " " + FirstCharacters(line2, 52));
    t_Cr(w);
    t_Print(w, on + "     " + off + " " + FirstCharacters(line3, 52));
    t_Vtab(w, 14);
    t_Htab(w, 3);
    t_FullArea(w);
}

Int t_AskYesNo(UInt8 w, const String& title, const String& line1, const String& line2) {
    t_MessageBox(w, title, line1, line2, "Ja [Return], Nein, Abbrechen [Esc]", "?");
    Int answer = -1;
    while (answer < 0) {
        const std::u32string key = Scalars(t_WaitKey(w));
        const char32_t c = key.empty() ? 0 : key[0];
        if (c == 'j' || c == 'J' || c == 13 || c == ' ')
            answer = 1;
        else if (c == 'n' || c == 'N')
            answer = 2;
        else if (c == 'a' || c == 'A' || c == 27)
            answer = 0;
    }
    t_FullArea(w);
    t_ClearRect(w, 18, 12, t_WindowPos(w, 4) - 18, 16);
    return answer;
}

void t_TitleBox(UInt8 w, const String& first, const String& second, bool inverse) {
    t_CursorHome(w);
    t_ClearEndOfWindow(w);
    if (inverse) t_Inverse(w);
    const Int width = t_WindowPos(w, 4);
    const Int rightBorder = t_WindowPos(w, 2) - 9;
    t_Print(w, Repeat("*", width + 10));
    for (int i = 0; i < 4; ++i) {
        t_ClearEndOfLine(w);
        t_Htab(w, rightBorder);
        t_Print(w, Repeat("*", 20));
    }
    t_ClearEndOfLine(w);
    t_Htab(w, rightBorder);
    t_Print(w, Repeat("*", width + 10));
    const Int top = t_WindowPos(w, 1);
    PrintAt(w, width / 2 - Length(first) / 2, top + 2, first);
    PrintAt(w, width / 2 - Length(second) / 2, top + 4, second);
    if (inverse) t_Normal(w);
    t_Vtab(w, top + 6);
    t_Cr(w);
}

namespace {
ProgramState<ProgramBannerSettings> banner;
}  // namespace

ProgramBannerSettings& ProgramBanner() { return *banner; }

void t_ProgramBanner(UInt8 w) {
    const ProgramBannerSettings& s = ProgramBanner();
    String name;
    for (char32_t c : Scalars(s.Name)) name += Utf8(c) + " ";
    char version[32];
    std::snprintf(version, sizeof version, "%.2f", static_cast<double>(s.Version) / 100.0);
    t_TitleBox(w, name + "  " + version, s.Text1 + " " + s.Text2, false);
}

void t_QuitProgram(UInt8 w) {
    // The log line is written in one piece at the end, so that lines of
    // other threads cannot land inside it.
    String line = "t_QuitProgram: Quitting current thread";
    if (t_WindowHost(w) != NoHostRef && WindowReady(w)) {
        t_FullArea(w);
        t_CursorEnd(w);
        t_Htab(w, 1);
        t_DisplayMode(w, 0);
        t_Normal(w);
        t_Color(w, 1);
        t_Print(w, String("(Programm Ende)"));
        t_WindowUpdate(w, false);
        SleepMilliseconds(100);
        line += " with message in window #" + std::to_string(w);
    }
    LogLine(line);
    Runtime().ProgramEnded = true;
    pthread_exit(nullptr);
}
