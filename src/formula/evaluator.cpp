#include "formula/evaluator.h"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <span>

#include "formula/builtins.h"
#include "formula/cell_source.h"
#include "formula/grammar.h"
#include "formula/operations.h"
#include "formula/parser_state.h"

namespace {

// Computes each value as soon as it is read.
struct EvaluateMode {
    using Slot = Value;
    Slot Number(double number) { return Real(number); }
    Slot Literal(TextView bytes) { return TextValue(Text(std::vector<UInt8>(bytes.begin(), bytes.end()))); }
    Slot Nothing() { return Value{}; }
    void Raise(Int code, Int position) { parser_RaiseError(code, position); }
    Slot Name(Int start, Int end, bool dollar) {
        const TextView name = grammar::View(start, end);
        return NamedValue(name, dollar, dollar ? -1 : FormulaCellIndex(name), start);
    }
    Slot Call(Int position, Int token, std::span<Slot> arguments) { return parser_CallBuiltin(position, token, arguments); }
    void Sign(UInt8 sign, Slot& value, Int position) { ApplySign(sign, value, position); }
    void Power(Slot& value, const Slot& right, Int position) { ApplyPower(value, right, position); }
    void Multiplicative(UInt8 op, Slot& value, const Slot& right, Int position) {
        ApplyMultiplicative(op, value, right, position);
    }
    void Additive(UInt8 op, Slot& value, const Slot& right, Int position) { ApplyAdditive(op, value, right, position); }
    void Comparison(const ComparisonOperator& op, Slot& value, const Slot& right, Int position) {
        ApplyComparison(op, value, right, position);
    }
    void Logical(UInt8 op, bool doubled, Slot& value, const Slot& right, Int position) {
        ApplyLogical(op, doubled, value, right, position);
    }
};

}  // namespace

std::optional<parser_UniversalType> CellValue(Int index) {
    const FormulaCell cell = ReadFormulaCell(index);
    if (!cell.Contents) return std::nullopt;
    return cell.IsText ? TextValue(*cell.Contents) : Real(cell.Number);
}

void parser_SetText(TextView formula) {
    ParserState& parser = Parser();
    std::vector<UInt8>& text = parser.ParserText.Elements;
    // Copied into the kept buffer, which a pass over the sheet then reuses;
    // a part of that buffer itself goes through a copy first.
    const std::less<const UInt8*> before;
    if (!formula.empty() && !before(formula.data(), text.data()) && before(formula.data(), text.data() + text.size())) {
        text = std::vector<UInt8>(formula.begin(), formula.end());
    } else {
        text.assign(formula.begin(), formula.end());
    }
    parser.ParserTextEnd = static_cast<Int>(parser.ParserText.Size());
}

void parser_StartEvaluation() {
    ParserState& parser = Parser();
    parser.ParserErrorCode = 0;
    parser.ParserErrorPosition = 0;
    parser.ParserErrorCount = 0;
}

parser_UniversalType parser_Evaluate(TextView formula) {
    parser_SetText(formula);
    parser_StartEvaluation();
    EvaluateMode mode;
    Parser().ParserResult = grammar::Formula(mode);
    return Parser().ParserResult;
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
