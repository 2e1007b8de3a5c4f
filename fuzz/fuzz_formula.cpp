// Hostile formulas: every input must be evaluated to the end without a crash,
// leak, hang or touching memory it does not own, and must leave an error code
// and position that the cell display can show; compiled, it must give the
// same value, errors and variables as read while computed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "formula/builtins.h"
#include "formula/compiled_formula.h"
#include "formula/evaluation.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "sheet/calculation.h"

namespace {

struct Sheet {
    std::vector<parser_VariableNumeric> NumericVariables;
    Int NumericVariableCount = 0;
    std::vector<parser_VariableText> TextVariables;
    Int TextVariableCount = 0;
};

void SetCell(Int row, Int column, std::string_view text, Int kind, std::string_view formula = {}) {
    CalculationState& calc = Calculation();
    const auto index = static_cast<std::size_t>(CellIndex(row, column));
    calc.CellText.Set(index, Text::FromBytes(text));
    calc.CellFormula.Set(index, Text::FromBytes(formula));
    SetCellKind(calc.CellAttributes.Edit(index), kind);
}

// Number, text, formula and empty cells, including the last cell, and a few
// variables of both kinds.
Sheet Setup() {
    SetLogToStdout(false);
    initoxtools();
    ResetProgramState();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    SetCell(1, 1, "2,5", CellKindNumber);
    SetCell(1, 2, "abc", CellKindText);
    SetCell(1, 3, "", CellKindUncomputed, "=Z1S1*2");
    SetCell(1, 4, "5", CellKindNumber, "=2+3");
    SetCell(2, 1, "-1e300", CellKindNumber);
    SetCell(2, 2, "Mid$(\"x\",1,1)", CellKindText);
    SetCell(2, 3, "nan", CellKindNumber);
    SetCell(3, 1, "(ERR#8@3)", CellKindText, "=1 )");
    SetCell(SheetRowCount, SheetColumnCount, "0x10", CellKindNumber);
    parser_StoreNumericVariable(Text::FromBytes("Price"), 5);
    parser_StoreNumericVariable(Text::FromBytes("Big"), 1e300);
    parser_StoreTextVariable(Text::FromBytes("Name"), Text::FromBytes("Otto"));
    const ParserState& parser = Parser();
    return {parser.NumericVariables, parser.NumericVariableCount, parser.TextVariables, parser.TextVariableCount};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Sheet sheet = Setup();
    // Var may change the variables; each input starts from the same ones so
    // that a finding reproduces from its input alone.
    ParserState& parser = Parser();
    const auto start = [&] {
        parser.NumericVariables = sheet.NumericVariables;
        parser.NumericVariableCount = sheet.NumericVariableCount;
        parser.TextVariables = sheet.TextVariables;
        parser.TextVariableCount = sheet.TextVariableCount;
        parser.ParserResult = parser_UniversalType{};
        parser_SeedRandom(size);
    };
    start();
    const Text formula(CodeBuffer(data, data + size));
    const parser_UniversalType value = parser_Evaluate(formula);
    const Int code = parser.ParserErrorCode, position = parser.ParserErrorPosition, count = parser.ParserErrorCount;
    const auto numeric = parser.NumericVariables;
    const auto texts = parser.TextVariables;
    start();
    Text stored = Text::FromBytes("=");
    stored += formula;
    const Int self = static_cast<Int>(size % 99'900);
    const parser_UniversalType compiled = parser_Run(parser_Compile(stored, self), stored, self);
    const bool same = compiled.ValueType == value.ValueType && compiled.ValueText == value.ValueText &&
                      std::memcmp(&compiled.ValueNumeric, &value.ValueNumeric, sizeof(double)) == 0 &&
                      parser.ParserErrorCode == code && parser.ParserErrorPosition == position &&
                      parser.ParserErrorCount == count;
    if (!same || parser.NumericVariables.size() != numeric.size() || parser.TextVariables.size() != texts.size())
        std::abort();

    const Int end = static_cast<Int>(size) + 1;
    const bool failed = parser.ParserErrorCode != 0;
    if (failed != (parser.ParserErrorCount > 0)) std::abort();
    if (failed && (parser.ParserErrorCode < 1 || parser.ParserErrorCode > 22)) std::abort();
    if (failed && (parser.ParserErrorPosition < 1 || parser.ParserErrorPosition > end)) std::abort();
    if (value.ValueType != ValueTypeNone && value.ValueType != ValueTypeText && value.ValueType != ValueTypeReal) {
        std::abort();
    }
    if (value.ValueText.Size() > static_cast<std::size_t>(MaxTextLength)) std::abort();
    return 0;
}
