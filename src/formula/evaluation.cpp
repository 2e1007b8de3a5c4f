#include "formula/evaluation.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "formula/cell_source.h"
#include "formula/parser_state.h"

std::optional<parser_UniversalType> CellValue(Int index) {
    const FormulaCell cell = ReadFormulaCell(index);
    if (!cell.Contents) return std::nullopt;
    if (cell.IsText) return parser_UniversalType{ValueTypeText, 0.0, *cell.Contents};
    return parser_UniversalType{ValueTypeReal, cell.Number, Text()};
}

void parser_SetText(TextView formula) {
    ParserState& parser = Parser();
    // Copied into the kept buffer, which a pass over the sheet then reuses;
    // assign takes a part of that buffer itself as well.
    parser.ParserText.Elements.assign(formula.begin(), formula.end());
    parser.ParserTextEnd = static_cast<Int>(parser.ParserText.Size());
}

void parser_StartEvaluation() {
    ParserState& parser = Parser();
    parser.ParserErrorCode = 0;
    parser.ParserErrorPosition = 0;
    parser.ParserErrorCount = 0;
}

void parser_RaiseError(Int code, Int position) {
    ParserState& parser = Parser();
    if (parser.ParserErrorCode == 0) {
        parser.ParserErrorCode = code;
        parser.ParserErrorPosition = position;
    }
    ++parser.ParserErrorCount;
}

Int parser_ToInteger(double value) {
    // 2^63, the first magnitude beyond the signed 64-bit range.
    constexpr double Limit = 9223372036854775808.0;
    if (std::isnan(value) || value >= Limit || value <= -Limit) return std::numeric_limits<Int>::min();
    return static_cast<Int>(value);
}
