#include "workbook/sheet_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numbers/number_format.h"
#include "screen/font.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/history.h"
#include "sheet/recalculation.h"

SheetTable::SheetTable() : Widths(static_cast<std::size_t>(SheetColumnCount + 1), DefaultColumnWidth) {}

void SheetTable::Add(TableCell cell) {
    if (cell.Row >= 1 && cell.Row <= SheetRowCount && cell.Column >= 1 && cell.Column <= SheetColumnCount) {
        Cells.push_back(std::move(cell));
        return;
    }
    if (cell.Kind == CellKindEmpty) return;
    ++CellsLeftOut;
    LastRow = std::max(LastRow, cell.Row);
    LastColumn = std::max(LastColumn, cell.Column);
}

Text NumberShown(double value) { return FormulaNumberText(value); }

// "-", digits, one decimal comma or point, an exponent: all of it a number.
bool IsNumberText(TextView text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        return i > start;
    };
    if (i < text.size() && text[i] == '-') ++i;
    bool mantissa = digits();
    if (i < text.size() && (text[i] == ',' || text[i] == '.')) {
        ++i;
        mantissa = digits() || mantissa;
    }
    if (!mantissa) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (!digits()) return false;
    }
    return i == text.size();
}

SheetTable TableFromCalculation() {
    const CalculationState& c = Calculation();
    SheetTable table;
    for (Int column = 1; column <= c.ColumnCount; ++column)
        table.Widths[static_cast<std::size_t>(column)] = c.ColumnWidth[static_cast<std::size_t>(column)];
    for (Int row = 1; row <= c.RowCount; ++row) {
        for (Int column = 1; column <= c.ColumnCount; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            const Int attributes = c.CellAttributes[at];
            if (attributes == DefaultCellAttributes) continue;
            TableCell cell;
            cell.Row = row;
            cell.Column = column;
            cell.Shown = c.CellText[at];
            cell.Formula = c.CellFormula.Get(at);
            const Int kind = CellKind(attributes);
            // A number shown as anything else (an error) goes as a text.
            cell.Kind = kind == CellKindEmpty && cell.Formula.Empty() ? CellKindEmpty
                        : kind == CellKindNumber && IsNumberText(cell.Shown) ? CellKindNumber
                                                                             : CellKindText;
            if (cell.Kind == CellKindNumber) cell.Number = CellNumber(CellIndex(row, column));
            cell.FontColor = FontColor(attributes);
            cell.BackgroundColor = BackgroundColor(attributes);
            cell.Format = DisplayFormat(attributes);
            table.Cells.push_back(std::move(cell));
        }
    }
    return table;
}

std::vector<Int> TableKinds(const SheetTable& table) {
    std::vector<Int> kinds(static_cast<std::size_t>(SheetRowCount * SheetColumnCount), CellKindEmpty);
    for (const TableCell& cell : table.Cells) kinds[static_cast<std::size_t>(CellIndex(cell.Row, cell.Column))] = cell.Kind;
    return kinds;
}

void TranslateForeignFormulas(SheetTable& table, FormulaDialect dialect) {
    const std::vector<Int> kinds = TableKinds(table);
    const CellKindLookup kindOf = [&kinds](Int row, Int column) {
        return kinds[static_cast<std::size_t>(CellIndex(row, column))];
    };
    for (TableCell& cell : table.Cells) {
        if (cell.Foreign.empty()) continue;
        std::optional<Text> ours = FormulaFromForeign(cell.Foreign, dialect, kindOf, cell.Shift[0], cell.Shift[1]);
        if (ours)
            cell.Formula = std::move(*ours);
        else
            table.ValuesOnly.emplace_back(cell.Row, cell.Column);
        std::string().swap(cell.Foreign);
    }
}

void PutTable(const SheetTable& table) {
    CalculationState& c = Calculation();
    for (Int column = 1; column <= c.ColumnCount; ++column) {
        const Int width = table.Widths[static_cast<std::size_t>(column)];
        if (width == c.ColumnWidth[static_cast<std::size_t>(column)] || width < 1 || width > MaxColumnWidth) continue;
        NoteWidthChanging(column);
        c.ColumnWidth[static_cast<std::size_t>(column)] = width;
    }
    for (const TableCell& cell : table.Cells) {
        const auto at = static_cast<std::size_t>(CellIndex(cell.Row, cell.Column));
        Int attributes = DefaultCellAttributes;
        // A formula counts as still to be computed until the pass below.
        SetCellKind(attributes, !cell.Formula.Empty() ? CellKindUncomputed : cell.Kind);
        SetFontColor(attributes, cell.FontColor);
        SetBackgroundColor(attributes, cell.BackgroundColor);
        SetDisplayFormat(attributes, cell.Format);
        if (attributes == DefaultCellAttributes) continue;
        // A text starting with "=" would come back from the Calculation file
        // as a formula.
        if (cell.Formula.Empty() && !cell.Shown.Empty() && cell.Shown[0] == '=')
            c.CellText.Set(at, Text{' '} + cell.Shown);
        else
            c.CellText.Set(at, cell.Shown);
        if (!cell.Formula.Empty()) c.CellFormula.Set(at, cell.Formula);
        c.CellAttributes.Set(at, attributes);
    }
    RecalculateCells();
}

Int PaletteIndexOf(UInt8 red, UInt8 green, UInt8 blue) {
    for (Int i = 0; i < PaletteSize; ++i) {
        const t_RGBColor color = PaletteColor(i);
        if (color.Red == red && color.Green == green && color.Blue == blue) return i;
    }
    return -1;
}

std::string PaletteHex(Int index) {
    const t_RGBColor color = PaletteColor(index);
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", color.Red, color.Green, color.Blue);
    return hex;
}

namespace {

std::string Address(Int row, Int column) { return "Z" + std::to_string(row) + "S" + std::to_string(column); }

}  // namespace

std::string LeftOutText(const SheetTable& table) {
    if (table.CellsLeftOut == 0) return {};
    std::string text = std::to_string(table.CellsLeftOut) + (table.CellsLeftOut == 1 ? " Zelle" : " Zellen") +
                       " weggelassen (bis";
    if (table.LastRow > SheetRowCount) text += " Zeile " + std::to_string(table.LastRow);
    if (table.LastRow > SheetRowCount && table.LastColumn > SheetColumnCount) text += ",";
    if (table.LastColumn > SheetColumnCount) text += " Spalte " + std::to_string(table.LastColumn);
    return text + ")";
}

// Runs of cells next to each other in a row are named by their ends.
std::string ValuesOnlyText(const std::vector<std::pair<Int, Int>>& cells, std::size_t limit) {
    std::string text;
    std::size_t runs = 0;
    for (std::size_t i = 0; i < cells.size();) {
        std::size_t j = i;
        while (j + 1 < cells.size() && cells[j + 1].first == cells[i].first &&
               cells[j + 1].second == cells[j].second + 1)
            ++j;
        if (runs == limit) return text + " und weitere, " + std::to_string(cells.size()) + " Zellen in allen";
        text += (text.empty() ? "" : ", ") + Address(cells[i].first, cells[i].second);
        if (j > i) text += ".." + Address(cells[j].first, cells[j].second);
        ++runs;
        i = j + 1;
    }
    return text;
}

// The standard font's digits are 7 pixels wide, and a cell has 5 pixels of
// padding: the unit of xlsx files, which ods files write as a length.
double ForeignColumnWidth(Int characters) { return (7.0 * static_cast<double>(characters) + 5.0) / 7.0; }

Int ColumnWidthFromForeign(double width) {
    if (!std::isfinite(width)) return DefaultColumnWidth;
    const double characters = std::round(width - 5.0 / 7.0);
    return static_cast<Int>(std::clamp(characters, 1.0, static_cast<double>(MaxColumnWidth)));
}
