// Window 0 as the main program opens it (121 x 50 cells, 24 bit, the
// committed font), with readers for its character and colour planes.
#pragma once

#include <vector>

#include "input/events.h"
#include "runtime_fixture.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"

class ScreenTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        t_InitWindow(0, 24, 121, 50, 8, DefaultFontName);
        ASSERT_TRUE(Screen().WindowTable[0].Initialized);
    }

    static t_Window& Win(UInt8 w = 0) { return Screen().WindowTable[w]; }

    static UInt8 Char(Int column, Int line, UInt8 w = 0) {
        const t_Window& win = Win(w);
        return Screen().VideoMemory[static_cast<std::size_t>(win.TextMemoryStart + (line - 1) * win.TextWidth + column - 1)];
    }

    static UInt8 Color(Int column, Int line, UInt8 w = 0) {
        const t_Window& win = Win(w);
        const Int half = (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
        return Screen().VideoMemory[static_cast<std::size_t>(win.TextMemoryStart + half + (line - 1) * win.TextWidth +
                                                             column - 1)];
    }

    // The characters of a line from a column on, as bytes.
    static std::string Row(Int line, Int from = 1, Int to = 121, UInt8 w = 0) {
        std::string s;
        for (Int c = from; c <= to; ++c) s += static_cast<char>(Char(c, line, w));
        return s;
    }

    // Queues the keys as typing them would (Option held down when asked).
    static void Keys(const std::vector<Int>& codes, bool option = false) {
        for (const Int code : codes) {
            t_Event e;
            e.Kind = 1, e.Value = code, e.OptionPressed = option;
            e.Description = Utf8(static_cast<char32_t>(code));
            AppendKeyEvent(e);
        }
    }

    static void At(Int column, Int line, UInt8 w = 0) {
        Win(w).TextHpos = column;
        Win(w).TextVpos = line;
    }
};
