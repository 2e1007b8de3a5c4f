#include "sheet/search.h"

#include <algorithm>
#include <cstddef>

#include "runtime/charset.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/menu_settings.h"

namespace {

// Compares codes as the search's case switch says, without copying the
// cell texts it looks at.
struct SameCode {
    bool IgnoreCase;
    bool operator()(UInt8 a, UInt8 b) const { return a == b || (IgnoreCase && LowerCaseBytes[a] == LowerCaseBytes[b]); }
};

// Where the search text first stands in the text; the text's size when it
// does not.
std::size_t FirstOccurrence(const Text& text) {
    const SearchSettings& s = Search();
    const auto& codes = text.Elements;
    const auto found = std::search(codes.begin(), codes.end(), s.SearchText.Elements.begin(),
                                   s.SearchText.Elements.end(), SameCode{s.IgnoreCase});
    return static_cast<std::size_t>(found - codes.begin());
}

bool Matches(const Text& text) {
    const SearchSettings& s = Search();
    if (s.PartialMatch) return FirstOccurrence(text) < text.Size();
    return std::equal(text.Elements.begin(), text.Elements.end(), s.SearchText.Elements.begin(),
                      s.SearchText.Elements.end(), SameCode{s.IgnoreCase});
}

}  // namespace

bool FindNext() {
    CalculationState& c = Calculation();
    c.SearchRow = c.SearchColumn = 0;
    if (Search().SearchText.Empty()) return false;
    // The rest of the cursor's row, then every later row whole.
    for (Int row = c.CursorRow; row <= c.RowCount; ++row) {
        for (Int column = row == c.CursorRow ? c.CursorColumn + 1 : 1; column <= c.ColumnCount; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            if (CellKind(c.CellAttributes[at]) == 0 || !Matches(c.CellText[at])) continue;
            c.CursorRow = c.SearchRow = row;
            c.CursorColumn = c.SearchColumn = column;
            return true;
        }
    }
    return false;
}

bool ReplaceAtCursor() {
    CalculationState& c = Calculation();
    if (c.SearchRow != c.CursorRow || c.SearchColumn != c.CursorColumn || c.SearchRow == 0) return false;
    const Int index = CellIndex(c.CursorRow, c.CursorColumn);
    const Text& text = c.CellText[static_cast<std::size_t>(index)];
    const SearchSettings& s = Search();
    Text replaced = s.ReplaceText;
    if (s.PartialMatch) {
        replaced = text;
        const std::size_t from = FirstOccurrence(text);
        if (from < text.Size()) {
            auto& codes = replaced.Elements;
            const auto start = codes.begin() + static_cast<std::ptrdiff_t>(from);
            codes.erase(start, start + static_cast<std::ptrdiff_t>(s.SearchText.Size()));
            codes.insert(codes.begin() + static_cast<std::ptrdiff_t>(from), s.ReplaceText.Elements.begin(),
                         s.ReplaceText.Elements.end());
        }
    }
    c.SearchRow = c.SearchColumn = 0;
    replaced = WithoutLineEnds(replaced);
    if (replaced == text) return true;
    const auto at = static_cast<std::size_t>(index);
    c.Modified = true;
    // A plain cell's text that now starts with "=" is what a saved file
    // gives back as a formula: it becomes one now, not after the next open.
    if (c.CellFormula.Empty(at) && !replaced.Empty() && replaced[0] == '=') {
        c.CellFormula.Set(at, std::move(replaced));
        c.CellText.Set(at, Text());
        ComputeCell(index);
        return true;
    }
    c.CellText.Set(at, std::move(replaced));
    return true;
}

void GoToPage(Int page) {
    CalculationState& c = Calculation();
    const Int lines = Printing().PrintLinesPerSheet;
    if (lines <= 0 || page < 1 || page > c.RowCount / lines + 1) return;
    c.CursorRow = std::min(lines * (page - 1) + 1, c.RowCount);
    c.CursorColumn = 1;
    EnsureCursorRowVisible();
    EnsureColumnVisible(1);
    RedrawGrid();
}
