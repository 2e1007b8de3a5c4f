// The cells a workbook holds as other programs read it: openpyxl (cell by
// cell, with styles and widths) and Gnumeric's ssconvert (values it computes
// itself, formulas included).
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "workbook/workbook_fixture.h"

struct ForeignCell {
    std::string Entry, Value, Font, Fill, Align, NumberFormat;
};

struct ForeignSheet {
    std::map<std::string, ForeignCell> Cells;  // by name, "B2"
    std::map<std::string, double> Widths;      // by column letters
};

inline std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

// openpyxl's view of an xlsx file.
inline ForeignSheet OpenpyxlRead(const std::string& path) {
    const auto [status, output] = WorkbookTest::Run(WorkbookTest::Python() + " " TABRONA_INTEROP " read '" + path + "'");
    EXPECT_EQ(status, 0) << output;
    ForeignSheet sheet;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> f = Fields(output.substr(start, end - start), '\t');
        if (f.size() == 3 && f[0] == "width") sheet.Widths[f[1]] = std::stod(f[2]);
        if (f.size() == 7) sheet.Cells[f[0]] = {f[1], f[2], f[3], f[4], f[5], f[6]};
    }
    return sheet;
}

// The values Gnumeric computes for each cell of the first sheet, by name;
// numbers as it writes them ("5.598472144103956494").
inline std::map<std::string, std::string> GnumericValues(const std::string& path, const std::string& out) {
    const auto [status, output] = WorkbookTest::Run("ssconvert --recalc -T Gnumeric_stf:stf_assistant -O "
                                                    "'separator=\"\t\" format=raw quoting-mode=never' '" +
                                                    path + "' '" + out + "'");
    EXPECT_EQ(status, 0) << output;
    std::map<std::string, std::string> values;
    const std::string text = ReadAll(out);
    int row = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        ++row;
        const std::vector<std::string> f = Fields(text.substr(start, end - start), '\t');
        for (std::size_t c = 0; c < f.size(); ++c)
            if (!f[c].empty()) values[ColumnLetters(static_cast<Int>(c + 1)) + std::to_string(row)] = f[c];
    }
    return values;
}

// Numbers agree to the last few bits (Gnumeric has functions of its own);
// texts agree exactly. Our texts show numbers with a decimal comma.
inline void ExpectSameValue(const std::string& name, const std::string& ours, const std::string& theirs) {
    // A number with a decimal comma or point, all of the text.
    const auto number = [](std::string text) -> std::optional<double> {
        std::replace(text.begin(), text.end(), ',', '.');
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        return !text.empty() && *end == '\0' ? std::optional(value) : std::nullopt;
    };
    const std::optional<double> a = number(ours), b = number(theirs);
    if (a && b)
        EXPECT_NEAR(*a, *b, 1e-12 * std::max(1.0, std::abs(*a))) << name;
    else
        EXPECT_EQ(ours, theirs) << name;
}

// A sheet with a bit of everything that goes across: texts with umlauts and
// a character beyond Latin-1, numbers, formulas with and without a partner
// there, colours, formats and widths.
inline void EnterSample() {
    WorkbookTest::Enter(1, 1, "Grüße aus Köln €");
    WorkbookTest::Enter(1, 2, "2,5");
    WorkbookTest::Enter(1, 3, "=Z1S2*2+Sin(Z1S2)");
    WorkbookTest::Enter(2, 2, "=Round(Z1S2,0)");
    WorkbookTest::Enter(2, 3, "=Z1S1+\"!\"");
    WorkbookTest::Enter(3, 1, "=Z1S2<3");         // no partner: goes as its value
    WorkbookTest::Enter(3, 3, "-1e+20");
    WorkbookTest::Enter(4, 4, "  zwei  Blanks");
    CalculationState& c = Calculation();
    c.ColumnWidth[1] = 20;
    c.ColumnWidth[3] = 4;
    Int attributes = c.CellAttributes[static_cast<std::size_t>(CellIndex(1, 2))];
    SetFontColor(attributes, 1);        // red
    SetBackgroundColor(attributes, 13);  // yellow
    SetDisplayFormat(attributes, DisplayFormatCurrency);
    c.CellAttributes.Set(static_cast<std::size_t>(CellIndex(1, 2)), attributes);
    attributes = c.CellAttributes[static_cast<std::size_t>(CellIndex(1, 1))];
    SetDisplayFormat(attributes, DisplayFormatCentered);
    c.CellAttributes.Set(static_cast<std::size_t>(CellIndex(1, 1)), attributes);
    RecalculateCells();
}

// One formula for each pair and each expression that stands for one of
// ours, in row 3 on; the cells they name in row 1.
inline const std::vector<std::string>& PairFormulas() {
    static const std::vector<std::string> formulas = {
        "=Abs(Z1S1)", "=Sin(Z1S1)", "=Cos(Z1S1)", "=Tan(Z1S1)", "=ArcTan(Z1S1)", "=ArcCos(Z1S4)", "=ArcSin(Z1S4)",
        "=Ln(Z1S3)", "=Exp(Z1S1)", "=Sqrt(Z1S3)", "=Trunc(Z1S1)", "=Int(Z1S1)", "=Len(Z1S2)", "=Left$(Z1S2,2)",
        "=Right$(Z1S2,3)", "=Mid$(Z1S2,2,2)", "=Repeat$(\"ab\",3)", "=Sqr(Z1S1)", "=Log(1000)", "=Exp10(Z1S1)",
        "=e", "=Sgn(Z1S1)", "=Sgn(-0.5)", "=Round(Z1S1,0)", "=Round(Z1S3,2)", "=Round(-1.2,0)", "=Round(1234.5,-2)",
        "=Min(Z1S1,Z1S3)", "=Max(Z1S1,Z5S5)", "=Frac(Z1S1)", "=Sum(1,2,Z1S1,Z1S3)", "=7\\2", "=-7\\2",
        "=\xc3\xb0*2", "=Z1S2+\"!\"", "=-Z1S1^2", "=2^3^2", "=1-(2-3)", "=Z1S3/Z1S4"};
    return formulas;
}

inline void EnterPairFormulas() {
    WorkbookTest::Enter(1, 1, "-2,5");
    WorkbookTest::Enter(1, 2, "Grüße");
    WorkbookTest::Enter(1, 3, "2,345");
    WorkbookTest::Enter(1, 4, "0,5");
    const std::vector<std::string>& formulas = PairFormulas();
    for (std::size_t i = 0; i < formulas.size(); ++i)
        WorkbookTest::Enter(3 + static_cast<Int>(i) / 10, 1 + static_cast<Int>(i) % 10, formulas[i]);
    RecalculateCells();
}

// Every cell of the Calculation with a value, by its name there.
inline std::map<std::string, std::string> OurValues() {
    std::map<std::string, std::string> values;
    for (Int row = 1; row <= SheetRowCount; ++row)
        for (Int column = 1; column <= SheetColumnCount; ++column)
            if (CellKind(WorkbookTest::AttributesAt(row, column)) != CellKindEmpty)
                values[ColumnLetters(column) + std::to_string(row)] = WorkbookTest::Shown(row, column);
    return values;
}

// The sample out and back in whole; the formula without a partner (Z3S1) as its value.
inline void ExpectRoundTrip(const WorkbookTest& test, const std::string& name) {
    EnterSample();
    const CalculationState before = Calculation();
    std::vector<std::pair<Int, Int>> valuesOnly;
    const std::string path = test.Export(name, &valuesOnly);
    EXPECT_EQ(valuesOnly, (std::vector<std::pair<Int, Int>>{{3, 1}}));
    std::string error;
    SheetTable read;
    ASSERT_TRUE(WorkbookTest::Import(path, error, &read)) << error;
    EXPECT_TRUE(read.ValuesOnly.empty());
    const CalculationState& after = Calculation();
    EXPECT_EQ(after.ColumnWidth, before.ColumnWidth);
    for (Int row = 1; row <= 4; ++row)
        for (Int column = 1; column <= 4; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            EXPECT_EQ(after.CellText[at], before.CellText[at]) << row << "," << column;
            EXPECT_EQ(after.CellAttributes[at], before.CellAttributes[at]) << row << "," << column;
            const Text formula = row == 3 && column == 1 ? Text{} : before.CellFormula.Get(at);
            EXPECT_EQ(after.CellFormula.Get(at), formula) << row << "," << column;
        }
    EXPECT_EQ(WorkbookTest::Shown(3, 1), "1");
}
