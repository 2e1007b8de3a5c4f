#include "sheet/exchange_text.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/selection.h"

namespace {

constexpr UInt8 FormatMark = 3;
constexpr char Tab = 9, LineFeed = 10, CarriageReturn = 13, Quote = '"';

// `scratch` holds a formula written out for the cell.
TextView Entry(const CalculationState& c, std::size_t at, Text& scratch) {
    return c.FormulasInsteadOfContents && !c.CellFormula.Empty(at) ? c.CellFormula.View(at, scratch)
                                                                     : TextView(c.CellText[at]);
}

// An entry that starts with a quote or holds a separator is written in
// quotes, with its own quotes doubled, as spreadsheets do: it then comes
// back as it went, in this program and in others.
void AppendEntry(String& out, TextView entry) {
    // Printable ASCII, nearly every entry, goes as it stands.
    const UInt8* codes = entry.data();
    const std::size_t size = entry.size();
    const auto printable = [](UInt8 code) { return static_cast<UInt8>(code - 0x20) < 0x60; };
    if ((size == 0 || codes[0] != Quote) && std::all_of(codes, codes + size, printable)) {
        out.append(reinterpret_cast<const char*>(codes), size);
        return;
    }
    const auto special = [](UInt8 code) { return code == Tab || code == LineFeed || code == CarriageReturn; };
    const bool quoted = !entry.empty() && (entry[0] == Quote || std::any_of(entry.begin(), entry.end(), special));
    if (!quoted) {
        AppendCalculationFileText(out, entry);
        return;
    }
    Text inner{static_cast<UInt8>(Quote)};
    for (const UInt8 code : entry) {
        if (code == Quote) inner += code;
        inner += code;
    }
    inner += static_cast<UInt8>(Quote);
    AppendCalculationFileText(out, inner);
}

// The separators and the quote are ASCII, which never occurs inside the
// UTF-8 of another character: the paste looks at bytes for them.
// A formula copied as formula goes with the kind of a formula still to be
// computed, so that the paste makes it a formula again also when it does
// not start with "=" (as typing into a formula cell leaves it); the paste
// computes it and gives it its kind.
Int FormulaKept(const CalculationState& c, std::size_t at, Int attributes) {
    if (!c.FormulasInsteadOfContents || c.CellFormula.Empty(at)) return attributes;
    SetCellKind(attributes, CellKindUncomputed);
    return attributes;
}

bool IsLineEnd(char c) { return c == CarriageReturn || c == LineFeed; }
bool EndsField(char c) { return c == Tab || IsLineEnd(c); }

// A quoted cell at `at` ("a<tab>b", "say ""hi"""), as spreadsheets write a
// cell holding a tab, a line end or a quote: its text, and `at` moved to
// its closing quote. A cell merely in quotes ("Hallo") needs none and keeps
// them, so that the program's own copies come back as they went.
std::optional<std::string> Quoted(std::string_view text, std::size_t& at) {
    std::string inner;
    bool needed = false;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] != Quote) {
            needed = needed || EndsField(text[i]);
            inner += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == Quote) {
            needed = true;
            inner += text[i];
            ++i;
            continue;
        }
        // The program's own copies may carry the attribute word after it.
        const bool ends = i + 1 == text.size() || EndsField(text[i + 1]) || text[i + 1] == FormatMark;
        if (!needed || !ends) return std::nullopt;
        at = i;
        return inner;
    }
    return std::nullopt;
}

// Lines of the rest of a paste that hold something.
Int LinesWithText(std::string_view text, std::size_t from) {
    Int lines = 0;
    bool empty = true;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (IsLineEnd(text[i])) {
            lines += empty ? 0 : 1;
            empty = true;
        } else {
            empty = false;
        }
    }
    return lines + (empty ? 0 : 1);
}

class Paster {
public:
    Paster() : c_(Calculation()), row_(c_.CursorRow), column_(c_.CursorColumn), first_(c_.CursorColumn) {}

    PasteOutcome Paste(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (row_ > c_.RowCount) return {LinesWithText(text, i)};
            const char ch = text[i];
            if (ch == Tab) {
                NextColumn();
            } else if (IsLineEnd(ch)) {
                // A carriage return and line feed together end one line.
                if (ch == CarriageReturn && i + 1 < text.size() && text[i + 1] == LineFeed) ++i;
                NextRow();
            } else if (ch == Quote && fieldStart_) {
                const auto quoted = Quoted(text, i);
                AddAll(quoted ? std::string_view(*quoted) : text.substr(i, 1));
                fieldStart_ = false;
            } else {
                // Up to the next separator or quote, in one go.
                std::size_t end = i + 1;
                while (end < text.size() && !EndsField(text[end]) && text[end] != Quote) ++end;
                AddAll(text.substr(i, end - i));
                i = end - 1;
            }
        }
        Store();
        return {};
    }

private:
    void AddAll(std::string_view utf8) {
        fieldStart_ = false;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            if (byte < 0x80) {
                field_ += byte;
                ++i;
            } else {
                Add(NextScalar(utf8, i));
            }
        }
    }

    void Add(char32_t ch) {
        fieldStart_ = false;
        if (ch <= 255)
            field_ += static_cast<UInt8>(ch);
        else
            AppendCalculationCode(field_, ch);
    }

    void NextColumn() {
        Store();
        if (++column_ > c_.ColumnCount) {
            column_ = first_;
            ++row_;
        }
    }

    void NextRow() {
        Store();
        column_ = first_;
        ++row_;
    }

    // The field goes into the cell; after byte 3 comes its attribute word.
    void Store() {
        fieldStart_ = true;
        if (row_ <= c_.RowCount) StoreField();
        // The field is kept, emptied, for the next one: a paste of a whole
        // sheet would otherwise allocate a field for every cell.
        field_.Elements.clear();
    }

    void StoreField() {
        const std::size_t mark = Find(field_, FormatMark);
        if (mark < field_.Size()) {
            c_.CellAttributes.Set(static_cast<std::size_t>(CellIndex(row_, column_)),
                                  HexValue(TextView(field_.Elements).subspan(mark + 1)));
            field_.Elements.resize(mark);
            c_.Modified = true;
        }
        EnterCell(row_, column_, field_);
    }

    static std::size_t Find(const Text& text, UInt8 code) {
        for (std::size_t i = 0; i < text.Size(); ++i)
            if (text[i] == code) return i;
        return text.Size();
    }

    CalculationState& c_;
    Int row_, column_, first_;
    Text field_;
    bool fieldStart_ = true;
};

}  // namespace

void CellsAsTextInParts(Int firstRow, Int firstColumn, Int lastRow, Int lastColumn, std::size_t partSize,
                        const std::function<bool(std::string_view)>& take) {
    const CalculationState& c = Calculation();
    String out, waiting;  // separators wait for the next cell written
    Text scratch;
    for (Int row = firstRow; row <= lastRow; ++row) {
        for (Int column = firstColumn; column <= lastColumn; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            const Int attributes = c.CellAttributes[at];
            if (attributes != DefaultCellAttributes) {
                out += waiting;
                waiting.clear();
                AppendEntry(out, Entry(c, at, scratch));
                if (c.CopyFormats) {
                    Text word{FormatMark};
                    AppendHexWord(word, FormulaKept(c, at, attributes));
                    AppendCalculationFileText(out, word);
                }
            }
            if (column != c.ColumnCount) waiting += Tab;
        }
        waiting += CarriageReturn;
        if (out.size() >= partSize) {
            if (!take(out)) return;
            out.clear();
        }
    }
    if (!out.empty()) take(out);
}

String CellsAsText(Int firstRow, Int firstColumn, Int lastRow, Int lastColumn) {
    const CalculationState& c = Calculation();
    // Made once at about its size: growing a large text copies it over
    // and over into memory touched for the first time.
    const std::size_t format = c.CopyFormats ? 17 : 0;  // the mark and sixteen hexadecimal digits
    std::size_t size = 0;
    Text scratch;
    for (Int row = firstRow; row <= lastRow; ++row) {
        for (Int column = firstColumn; column <= lastColumn; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            size += 1 + (c.CellAttributes[at] == DefaultCellAttributes ? 0 : Entry(c, at, scratch).size() + format);
        }
    }
    String text;
    text.reserve(size);
    CellsAsTextInParts(firstRow, firstColumn, lastRow, lastColumn, std::size_t{1} << 16, [&text](std::string_view part) {
        text += part;
        return true;
    });
    return text;
}

String SelectionAsText() {
    if (!SelectionValid()) return {};
    const CalculationState& c = Calculation();
    return CellsAsText(c.SelectionStartRow, c.SelectionStartColumn, c.SelectionEndRow, c.SelectionEndColumn);
}

String SheetAsText() { return CellsAsText(1, 1, Calculation().RowCount, Calculation().ColumnCount); }

// Computed once all is in: a formula comes after the cells it names, pasted
// before or after it.
PasteOutcome PasteCells(const String& text) {
    const PasteOutcome outcome = Paster().Paste(text);
    RecalculateChanged();
    return outcome;
}

PasteOutcome PasteText(const String& text) {
    const PasteOutcome outcome = PasteCells(text);
    RedrawGrid();
    return outcome;
}
