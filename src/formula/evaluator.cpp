#include "formula/evaluator.h"

#include <span>
#include <vector>

#include "formula/builtins.h"
#include "formula/cell_source.h"
#include "formula/evaluation.h"
#include "formula/grammar.h"
#include "formula/operations.h"
#include "formula/parser_state.h"

namespace {

// Computes each value as soon as it is read.
struct EvaluateMode {
    using Slot = Value;
    Slot Number(double number) { return Real(number); }
    Slot Literal(TextView bytes) { return TextValue(Text(CodeBuffer(bytes.begin(), bytes.end()))); }
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

parser_UniversalType parser_Evaluate(TextView formula) {
    parser_SetText(formula);
    parser_StartEvaluation();
    EvaluateMode mode;
    Parser().ParserResult = grammar::Formula(mode);
    return Parser().ParserResult;
}
