#include "commands/macros.h"

#include <cstdio>
#include <string>

#include "files/file_utilities.h"
#include "platform/platform.h"
#include "platform/program_state.h"
#include "runtime/events.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"

namespace {

ProgramState<MacroState> state;

constexpr UInt8 LineEnd = 13;
constexpr std::size_t NumberAt = 6, TextAt = 12;  // byte offsets in a line

// The hexadecimal pairs as bytes; false for an odd count or a character
// that is no hexadecimal digit.
bool FromHex(TextView digits, Text& bytes) {
    if (digits.size() % 2 != 0) return false;
    const auto& value = Tools().HexValueTable;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const Int high = value[digits[i]], low = value[digits[i + 1]];
        if (high < 0 || low < 0) return false;
        bytes += static_cast<UInt8>(high * 16 + low);
    }
    return true;
}

void ReadMacroLine(TextView line) {
    static constexpr UInt8 Word[] = {'M', 'a', 'c', 'r', 'o'};
    if (line.size() < 5 || !std::equal(Word, Word + 5, line.begin())) return;
    const Int number =
        line.size() > NumberAt ? TextToInteger(Text(std::vector<UInt8>(line.begin() + NumberAt, line.end()))) : 0;
    if (number < 1 || number > MacroCount) return;
    Text bytes;
    if (line.size() <= TextAt || !FromHex(line.subspan(TextAt), bytes)) bytes = Text();
    state->Table[number] = std::move(bytes);
}

}  // namespace

MacroState& Macros() { return *state; }

String DefaultMacroFile() { return CurrentPlatform().Folder(StandardFolder::Preferences) + "Macro.txt"; }

String MacroFileText() {
    const auto& digits = Tools().HexDigitTable;
    String text;
    for (Int i = 1; i <= MacroCount; ++i) {
        char number[4];
        std::snprintf(number, sizeof number, "%03d", static_cast<int>(i));
        text += "Macro " + String(number) + " = ";
        for (const UInt8 code : state->Table[i].Elements) {
            text += static_cast<char>(digits[code >> 4]);
            text += static_cast<char>(digits[code & 0xF]);
        }
        text += static_cast<char>(LineEnd);
    }
    return text;
}

void MacrosFromText(const String& text) {
    const Text codes = EditorResultToText(text);  // above 255: 127
    const TextView all(codes.Elements);
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = start;
        while (end < all.size() && all[end] != LineEnd) ++end;
        ReadMacroLine(all.subspan(start, end - start));
        start = end + 1;
    }
}

void MacroLoad(const String& path) { MacrosFromText(getstringfromfile(path)); }

int MacroSave(const String& path) { return setstringtofile(MacroFileText(), path); }

bool PlayMacro(Int key) {
    if (key < 1 || key > 127) return false;
    const Text& macro = state->Table[key <= MacroCount ? key : key - 32];
    if (macro.Empty()) return true;
    if (KeyQueueLength() + macro.Size() > MaxQueuedMacroKeys) return false;
    t_TypeString(TextToString(macro));
    return true;
}
