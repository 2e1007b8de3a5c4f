#include "commands/macros.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "files/file_utilities.h"
#include "input/events.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"

namespace {

ProgramState<MacroState> state;

constexpr UInt8 LineEnd = 13, LineFeed = 10;
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

// False for a line that is no macro line.
bool ReadMacroLine(TextView line) {
    static constexpr UInt8 Word[] = {'M', 'a', 'c', 'r', 'o'};
    if (line.size() < 5 || !std::equal(Word, Word + 5, line.begin())) return false;
    const Int number =
        line.size() > NumberAt ? TextToInteger(Text(CodeBuffer(line.begin() + NumberAt, line.end()))) : 0;
    if (number < 1 || number > MacroCount) return false;
    Text bytes;
    if (line.size() <= TextAt || !FromHex(line.subspan(TextAt), bytes)) bytes = Text();
    state->Table[number] = std::move(bytes);
    return true;
}

bool IsLineEnd(UInt8 code) { return code == LineEnd || code == LineFeed; }

void RememberTable() {
    MacroState& m = *state;
    std::copy(std::begin(m.Table), std::end(m.Table), std::begin(m.Loaded));
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

bool MacrosFromText(const String& text) {
    const Text codes = EditorResultToText(text);  // above 255: 127
    const TextView all(codes.Elements);
    bool whole = true;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = start;
        while (end < all.size() && !IsLineEnd(all[end])) ++end;
        const TextView line = all.subspan(start, end - start);
        if (!ReadMacroLine(line) && !line.empty()) whole = false;
        // A carriage return and line feed together end one line.
        start = end + (end + 1 < all.size() && all[end] == LineEnd && all[end + 1] == LineFeed ? 2 : 1);
    }
    return whole;
}

bool MacroLoad(const String& path) {
    const String text = getstringfromfile(path);
    const int error = LastFileError();
    return MacrosFromText(text) && (error == 0 || error == ENOENT);
}

int MacroSave(const String& path) { return setstringtofile(MacroFileText(), path); }

void LoadDefaultMacros() {
    state->LoadedWhole = MacroLoad(DefaultMacroFile());
    RememberTable();
}

int SaveDefaultMacros() {
    const int error = MacroSave(DefaultMacroFile());
    if (error == 0) {
        state->LoadedWhole = true;
        RememberTable();
    }
    return error;
}

void SaveMacrosAtEnd() {
    const MacroState& m = *state;
    if (!m.LoadedWhole && std::equal(std::begin(m.Table), std::end(m.Table), std::begin(m.Loaded))) {
        LogLine("MacroSave: " + DefaultMacroFile() + " was not read whole and no macro changed; it is kept.");
        return;
    }
    MacroSave(DefaultMacroFile());
}

bool PlayMacro(Int key) {
    if (key < 1 || key > 127) return false;
    const Text& macro = state->Table[key <= MacroCount ? key : key - 32];
    if (macro.Empty()) return true;
    if (KeyQueueLength() + macro.Size() > MaxQueuedMacroKeys) return false;
    t_TypeString(TextToString(macro));
    return true;
}
