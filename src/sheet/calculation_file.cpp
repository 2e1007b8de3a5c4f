#include "sheet/calculation_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/program.h"
#include "sheet/calculation.h"

namespace {

constexpr UInt8 CarriageReturn = 13;
constexpr UInt8 EscapeCode = 27;
constexpr UInt8 EscapeEnd = 29;
constexpr UInt8 Unrepresentable = 127;

bool IsSurrogate(Int value) { return value >= 0xD800 && value <= 0xDFFF; }

// The value of an escape sequence at i (27, four upper-case hexadecimal
// digits, 29), as the program makes them for characters above 255; -1 when
// there is none. Anything else stays as its codes, so that it comes back as
// it went.
Int EscapedCharacter(TextView codes, std::size_t i) {
    if (codes[i] != EscapeCode || i + 5 >= codes.size() || codes[i + 5] != EscapeEnd) return -1;
    Int value = 0;
    for (std::size_t k = 1; k <= 4; ++k) {
        const UInt8 code = codes[i + k];
        const bool digit = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'F');
        if (!digit) return -1;
        value = value * 16 + Tools().HexValueTable[code];
    }
    return value > 255 && !IsSurrogate(value) ? value : -1;
}

TextView Part(TextView line, std::size_t from, std::size_t to) { return line.subspan(from, to - from); }

Text Slice(TextView line, std::size_t from, std::size_t to) {
    const TextView part = Part(line, from, to);
    return Text(CodeBuffer(part.begin(), part.end()));
}

// memchr: the library's search is many times faster over a file's lines.
std::size_t Find(TextView line, UInt8 code) {
    if (line.empty()) return 0;
    const void* found = std::memchr(line.data(), code, line.size());
    return found ? static_cast<std::size_t>(static_cast<const UInt8*>(found) - line.data()) : line.size();
}

// Whether every byte is ASCII, tested eight bytes at a time, the last eight
// overlapping the ones before.
bool IsAscii(std::string_view text) {
    std::uint64_t any = 0, eight = 0;
    if (text.size() < 8) {
        for (const char c : text) any |= static_cast<unsigned char>(c);
        return any < 0x80;
    }
    for (std::size_t i = 0; i + 8 < text.size(); i += 8) {
        std::memcpy(&eight, text.data() + i, 8);
        any |= eight;
    }
    std::memcpy(&eight, text.data() + text.size() - 8, 8);
    return ((any | eight) & 0x8080808080808080) == 0;
}

struct WidthLine {
    Int Column = 0, Width = 0;
};

// "S" column ":" width, with both in range.
std::optional<WidthLine> ParseWidthLine(TextView line, std::size_t colon) {
    const Int column = TextToInteger(Slice(line, 1, colon));
    const Int width = TextToInteger(Slice(line, colon + 1, line.size()));
    if (column < 1 || column > Calculation().ColumnCount || width < 1 || width > MaxColumnWidth) return std::nullopt;
    return WidthLine{column, width};
}

struct CellLine {
    std::size_t At = 0, Mark = 0;  // the cell's index and where ">" stands
};

// "Z" row "S" column ":" attributes ">" entry, for a cell of the sheet.
std::optional<CellLine> ParseCellLine(TextView line, std::size_t colon) {
    const Int index = CellIndexFromAddress(Part(line, 0, colon));
    const std::size_t mark = Find(line, '>');
    if (index < 0 || mark == line.size()) return std::nullopt;
    return CellLine{static_cast<std::size_t>(index), mark};
}

void ReadWidthLine(const WidthLine& width) {
    Calculation().ColumnWidth[static_cast<std::size_t>(width.Column)] = width.Width;
}

void ReadCellLine(TextView line, std::size_t colon, const CellLine& cell) {
    CalculationState& c = Calculation();
    // An attribute field that runs past ">" ends there.
    c.CellAttributes.Set(cell.At, cell.Mark > colon ? HexValue(Part(line, colon + 1, cell.Mark)) : 0);
    // The line is the file's UTF-8; only the entry needs the program's codes.
    // A text's are made in the cell itself: a text moved right after it was
    // written waits for its stores to reach memory.
    const std::string_view entry(reinterpret_cast<const char*>(line.data()) + cell.Mark + 1,
                                 line.size() - cell.Mark - 1);
    if (entry.empty() || entry[0] != '=') {
        AssignCalculationCodes(c.CellText.Edit(cell.At), entry);
        return;
    }
    // ASCII, nearly every formula, is its own codes.
    if (IsAscii(entry)) {
        c.CellFormula.Set(cell.At, TextView(reinterpret_cast<const UInt8*>(entry.data()), entry.size()));
        return;
    }
    thread_local Text formula;
    AssignCalculationCodes(formula, entry);
    c.CellFormula.Set(cell.At, formula);
}

// A line of the file, seen in place: only a cell's entry is copied. False
// for a line the reader does not understand; with `apply` off the line is
// only looked at.
bool ReadLine(TextView line, bool apply) {
    const std::size_t colon = Find(line, ':');
    if (line.empty() || colon == line.size()) return false;
    if (line[0] == 'S') {
        const auto width = ParseWidthLine(line, colon);
        if (width && apply) ReadWidthLine(*width);
        return width.has_value();
    }
    if (line[0] == 'Z') {
        const auto cell = ParseCellLine(line, colon);
        if (cell && apply) ReadCellLine(line, colon, *cell);
        return cell.has_value();
    }
    return false;
}

// Calls read for each line, up to the first for which it gives true.
template <typename Read>
bool AnyLine(std::string_view text, Read read) {
    // Line ends, addresses and attribute words are ASCII, which UTF-8 never
    // uses inside another character: the lines are read as they stand.
    const TextView all(reinterpret_cast<const UInt8*>(text.data()), text.size());
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t end = start + Find(all.subspan(start), CarriageReturn);
        if (read(all.subspan(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

Text CalculationToText() {
    const CalculationState& c = Calculation();
    Text out, formula;
    for (Int column = 1; column <= c.ColumnCount; ++column) {
        const Int width = c.ColumnWidth[static_cast<std::size_t>(column)];
        if (width == DefaultColumnWidth) continue;
        out += 'S';
        out += IntegerToText(column);
        out += ':';
        out += IntegerToText(width);
        out += CarriageReturn;
    }
    for (Int row = 1; row <= c.RowCount; ++row) {
        for (Int column = 1; column <= c.ColumnCount; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            if (c.CellAttributes[at] == DefaultCellAttributes) continue;
            out += 'Z';
            out += IntegerToText(row);
            out += 'S';
            out += IntegerToText(column);
            out += ':';
            AppendHexWord(out, c.CellAttributes[at]);
            out += '>';
            const std::size_t entry = out.Size();
            const TextView stored = c.CellFormula.Empty(at) ? TextView(c.CellText[at]) : c.CellFormula.View(at, formula);
            out.Elements.insert(out.Elements.end(), stored.begin(), stored.end());
            // Entries come without line ends; one that slipped in still
            // cannot break its line.
            std::replace(out.Elements.begin() + static_cast<std::ptrdiff_t>(entry), out.Elements.end(), CarriageReturn,
                         UInt8{' '});
            out += CarriageReturn;
        }
    }
    return out;
}

void CalculationFromText(const String& text) {
    AnyLine(text, [](TextView line) {
        ReadLine(line, true);
        return false;
    });
}

void CalculationReader::Line(std::string_view line) {
    blank_ = blank_ && line.find_first_not_of(" \t\n") == std::string_view::npos;
    understood_ = ReadLine(TextView(reinterpret_cast<const UInt8*>(line.data()), line.size()), true) || understood_;
}

// Whole lines, shown to `accept` at once: checking a run of them costs
// less than checking each one.
void CalculationReader::Lines(std::string_view lines) {
    if (stopped_ || !accept_(lines)) {
        stopped_ = true;
        return;
    }
    for (std::size_t start = 0;;) {
        const std::size_t end = lines.find(static_cast<char>(CarriageReturn), start);
        Line(lines.substr(start, end - start));
        if (end == std::string_view::npos) return;
        start = end + 1;
    }
}

void CalculationReader::Add(std::string_view part) {
    if (stopped_) return;
    const std::size_t last = part.rfind(static_cast<char>(CarriageReturn));
    if (last == std::string_view::npos) {
        rest_.append(part);
        return;
    }
    // Whole lines up to the last line end; the first one may have begun in
    // the part before.
    std::string_view lines = part.substr(0, last);
    bool more = true;
    if (!rest_.empty()) {
        const std::size_t end = lines.find(static_cast<char>(CarriageReturn));
        rest_.append(lines.substr(0, end));
        Lines(rest_);
        more = end != std::string_view::npos;
        if (more) lines.remove_prefix(end + 1);
    }
    if (more) Lines(lines);
    rest_.assign(part.substr(last + 1));
}

void CalculationReader::Finish() {
    Lines(rest_);
    String().swap(rest_);
}

bool IsCalculationText(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return true;
    return AnyLine(text, [](TextView line) { return ReadLine(line, false); });
}

String CalculationFileText(const Text& codes) {
    String text;
    text.reserve(codes.Size() + codes.Size() / 8);
    AppendCalculationFileText(text, codes);
    return text;
}

void AppendCalculationFileText(String& text, TextView codes) {
    const UInt8* data = codes.data();
    const std::size_t size = codes.size();
    for (std::size_t i = 0; i < size;) {
        // Runs of ASCII, most of a file, are appended whole.
        std::size_t end = i;
        while (end < size && data[end] < 0x80 && data[end] != EscapeCode) ++end;
        if (end > i) {
            text.append(reinterpret_cast<const char*>(data + i), end - i);
            i = end;
            continue;
        }
        const Int escaped = EscapedCharacter(codes, i);
        AppendUtf8(text, escaped < 0 ? char32_t{data[i]} : static_cast<char32_t>(escaped));
        i += escaped < 0 ? 1 : 6;
    }
}

void AppendCalculationCode(Text& codes, char32_t s) {
    if (s <= 255) {
        codes += static_cast<UInt8>(s);
    } else if (s <= 0xFFFF && !IsSurrogate(static_cast<Int>(s))) {
        // The program keeps such a character as 27, its four hexadecimal
        // digits and 29, as typing it does: it comes back as it went.
        codes += EscapeCode;
        for (int shift = 12; shift >= 0; shift -= 4) codes += Tools().HexDigitTable[(s >> shift) & 0xF];
        codes += EscapeEnd;
    } else {
        codes += Unrepresentable;
    }
}

Text CalculationCodes(std::string_view text) {
    Text codes;
    AssignCalculationCodes(codes, text);
    return codes;
}

void AssignCalculationCodes(Text& codes, std::string_view text) {
    if (IsAscii(text)) {  // nearly every entry, copied whole
        const auto* bytes = reinterpret_cast<const UInt8*>(text.data());
        codes.Elements.assign(bytes, bytes + text.size());
        return;
    }
    codes.Elements.clear();
    codes.Elements.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // Runs of ASCII, nearly all of a file, are copied as they are.
        std::size_t end = i;
        while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
        codes.Elements.insert(codes.Elements.end(), text.begin() + static_cast<std::ptrdiff_t>(i),
                              text.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
        if (i < text.size()) AppendCalculationCode(codes, NextScalar(text, i));
    }
}
