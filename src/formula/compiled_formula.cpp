#include "formula/compiled_formula.h"

#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <utility>

#include "formula/builtins.h"
#include "formula/cell_source.h"
#include "formula/evaluation.h"
#include "formula/grammar.h"
#include "formula/lexical.h"
#include "formula/operations.h"
#include "formula/parser_state.h"
#include "formula/variables.h"

namespace {

// The formula's text, which a run reads only for a name that is no cell's
// number: a cell's formula is asked of the sheet then, not at every run.
class FormulaText {
public:
    explicit FormulaText(TextView text) : text_(text), known_(true) {}
    explicit FormulaText(Int cell) : cell_(cell) {}
    // The name a step reads. Positions count in the formula without its
    // "=", the formula's first byte.
    TextView Name(const FormulaStep& step) const {
        if (!known_) {
            text_ = FormulaTextOf(cell_);
            known_ = true;
        }
        return text_.subspan(static_cast<std::size_t>(step.First), static_cast<std::size_t>(step.Second - step.First));
    }

private:
    mutable TextView text_;
    mutable bool known_ = false;
    Int cell_ = -1;
};

// The tokens of the functions whose value is not fixed by their arguments.
constexpr Int UniqueIdToken = 19, RandomToken = 20, ResultToken = 26, VarToken = 45, IndCellToken = 51;

// Writes down what the evaluator would compute, step by step.
class CompileMode {
public:
    // What a level gave; a slot left as it was built stands for arguments
    // never read (a call without its "("), which are no values.
    struct Slot {
        bool Read = false;
    };

    CompileMode(FormulaProgram& formula, Int self) : formula_(formula), self_(self) {}

    Slot Number(double number) { return Add({StepKind::Number, 0, false, 0, 0, 0, -1, number}); }
    Slot Literal(TextView bytes) {
        formula_.Literals.emplace_back(CodeBuffer(bytes.begin(), bytes.end()));
        return Add({StepKind::Literal, 0, false, 0, static_cast<Int>(formula_.Literals.size()) - 1});
    }
    Slot Nothing() { return Add({StepKind::Nothing}); }
    void Raise(Int code, Int position) { Add({StepKind::Raise, 0, false, position, code}); }
    Slot Name(Int start, Int end, bool dollar) {
        const Int cell = dollar ? -1 : FormulaCellIndex(grammar::View(start, end));
        if (cell >= 0) formula_.References.push_back(cell - self_);
        const UInt8 addresses = cell >= 0 ? 1 : 0;
        return Add({StepKind::Name, addresses, dollar, start, start, end, cell >= 0 ? cell - self_ : 0});
    }
    Slot Call(Int position, Int token, std::span<Slot> arguments) {
        for (const Slot& argument : arguments)
            if (!argument.Read) Add({StepKind::Nothing});
        formula_.ReadsAnyCell = formula_.ReadsAnyCell || token == IndCellToken;
        formula_.Volatile = formula_.Volatile || token == UniqueIdToken || token == RandomToken || token == IndCellToken;
        formula_.OrderMatters = formula_.OrderMatters || token == VarToken || token == ResultToken;
        return Add({StepKind::Call, 0, false, position, token, static_cast<Int>(arguments.size())});
    }
    void Sign(UInt8 sign, Slot&, Int position) { Add({StepKind::Sign, sign, false, position}); }
    void Power(Slot&, const Slot&, Int position) { Add({StepKind::Power, '^', false, position}); }
    void Multiplicative(UInt8 op, Slot&, const Slot&, Int position) {
        Add({StepKind::Multiplicative, op, false, position});
    }
    void Additive(UInt8 op, Slot&, const Slot&, Int position) { Add({StepKind::Additive, op, false, position}); }
    void Comparison(const ComparisonOperator& op, Slot&, const Slot&, Int position) {
        Add({StepKind::Comparison, static_cast<UInt8>(op.Meaning), false, position, op.Position});
    }
    void Logical(UInt8 op, bool doubled, Slot&, const Slot&, Int position) {
        Add({StepKind::Logical, op, doubled, position});
    }

private:
    Slot Add(const FormulaStep& step) {
        formula_.Steps.push_back(step);
        return {true};
    }

    FormulaProgram& formula_;
    Int self_;
};

bool IsNameByte(UInt8 code) { return parser_IsNameCharacter(code); }

// Every name of the formula that addresses a cell, as the parser reads names.
// Only a name starting with "Z" can: the scan stops at those alone.
void FindAddressNames(TextView formula, std::vector<FormulaAddress>& names) {
    names.clear();
    for (std::size_t i = 1; i < formula.size(); ++i) {
        if ((formula[i] != 'Z' && formula[i] != 'z') || IsNameByte(formula[i - 1])) continue;
        std::size_t end = i + 1;
        while (end < formula.size() && IsNameByte(formula[end])) ++end;
        if (const Int cell = FormulaCellIndex(formula.subspan(i, end - i)); cell >= 0) names.push_back({i, end, cell});
        i = end - 1;
    }
}

std::vector<FormulaAddress> AddressNames(TextView formula) {
    std::vector<FormulaAddress> names;
    FindAddressNames(formula, names);
    return names;
}

// The addresses the key found are exactly the names the program reads as
// cells (a name in quotes, or one the parser reads otherwise, is not).
bool KeyHolds(const FormulaProgram& program, const std::vector<FormulaAddress>& names) {
    std::size_t next = 0;
    for (const FormulaStep& step : program.Steps) {
        if (step.Kind != StepKind::Name || step.Operator == 0) continue;
        if (next == names.size() || static_cast<std::size_t>(step.First) != names[next].Start ||
            static_cast<std::size_t>(step.Second) != names[next].End)
            return false;
        ++next;
    }
    return next == names.size();
}

// Whether the steps only compute numbers from numbers and cells, with no
// more than ArithmeticDepth values at once.
bool IsArithmetic(const FormulaProgram& program) {
    int depth = 0;
    for (const FormulaStep& step : program.Steps) {
        switch (step.Kind) {
        case StepKind::Number: ++depth; break;
        case StepKind::Name:
            if (step.Operator == 0 || step.Flag) return false;
            ++depth;
            break;
        case StepKind::Sign:
            if (step.Operator != '-') return false;
            break;
        case StepKind::Multiplicative:
            if (step.Operator != '*' && step.Operator != '/') return false;
            --depth;
            break;
        case StepKind::Additive:
        case StepKind::Power: --depth; break;
        default: return false;
        }
        if (depth > ArithmeticDepth || depth < 1) return false;
    }
    return depth == 1;
}

// An arithmetic program on plain numbers. Where the full run could raise an
// error (a cell that holds text or is no cell, a division by zero) this
// gives up, and the full run computes the formula with its error: what
// comes out of here is what the full run would give.
bool RunOnNumbers(const FormulaProgram& program, const FormulaText& formula, Int self, double& result) {
    const ParserState& parser = Parser();
    if (!parser.CellReferencesEnabled) return false;
    std::array<double, ArithmeticDepth> stack;
    std::size_t top = 0;
    for (const FormulaStep& step : program.Steps) {
        switch (step.Kind) {
        case StepKind::Number: stack[top++] = step.Number; break;
        case StepKind::Name: {
            // A variable of the name comes before the cell, as in NamedValue.
            if (parser.NumericVariableCount > 0) {
                if (const Int found = parser_FindNumericVariable(formula.Name(step)); found > 0) {
                    stack[top++] = parser.NumericVariables[static_cast<std::size_t>(found)].Value;
                    break;
                }
            }
            if (!ReadFormulaNumber(self + step.Cell, stack[top])) return false;
            ++top;
            break;
        }
        case StepKind::Sign: stack[top - 1] = -stack[top - 1]; break;
        default: {
            const double y = stack[--top];
            double& x = stack[top - 1];
            if (step.Kind == StepKind::Power) {
                x = std::pow(x, y);
            } else if (step.Kind == StepKind::Additive) {
                x = step.Operator == '+' ? x + y : x - y;
            } else if (step.Operator == '*') {
                x = x * y;
            } else {
                if (y == 0) return false;
                x = x / y;
            }
        }
        }
    }
    result = stack[0];
    return true;
}

// The value stack of runs, kept between them so that a pass over the sheet
// allocates nothing for it.
std::vector<Value>& Stack() {
    thread_local std::vector<Value> stack;
    return stack;
}

// A real on top of the stack, made in its place (its text is new, so empty:
// SetReal's clearing it again shows in a run of a hundred thousand formulas).
void PushReal(std::vector<Value>& stack, double number) {
    Value& top = stack.emplace_back();
    top.ValueType = ValueTypeReal;
    top.ValueNumeric = number;
}

// Takes the right operand off the stack; the left one, below it, takes the
// result.
template <typename Apply>
void Binary(std::vector<Value>& stack, Apply apply) {
    Value right = std::move(stack.back());
    stack.pop_back();
    apply(stack.back(), right);
}

void RunStep(const FormulaProgram& program, const FormulaText& formula, Int self, const FormulaStep& step,
             std::vector<Value>& stack) {
    const Int at = step.Position;
    switch (step.Kind) {
    case StepKind::Number: PushReal(stack, step.Number); break;
    case StepKind::Literal: stack.push_back(TextValue(program.Literals[static_cast<std::size_t>(step.First)])); break;
    case StepKind::Nothing: stack.emplace_back(); break;
    case StepKind::Raise: parser_RaiseError(step.First, at); break;
    case StepKind::Name: {
        // A cell's number goes straight onto the stack where no variable
        // can take the name; a text, or no cell, as NamedValue finds it.
        const ParserState& parser = Parser();
        if (double number = 0; step.Operator && !step.Flag && parser.NumericVariableCount == 0 &&
                               parser.CellReferencesEnabled && ReadFormulaNumber(self + step.Cell, number)) {
            PushReal(stack, number);
            break;
        }
        stack.push_back(NamedValue(formula.Name(step), step.Flag, step.Operator ? self + step.Cell : -1, step.First));
        break;
    }
    case StepKind::Call: {
        const auto count = static_cast<std::size_t>(step.Second);
        const std::span<const Value> arguments(stack.data() + stack.size() - count, count);
        // The result takes the first argument's place.
        const auto place = [&stack, count]() -> Value& {
            if (count == 0) stack.emplace_back();
            else stack.resize(stack.size() - count + 1);
            return stack.back();
        };
        // A function of reals on reals gives its number without a value built.
        const BuiltinFunction* row = BuiltinFunctionByToken(step.First);
        if (double number = 0; row != nullptr && CallOnReals(*row, arguments, number)) {
            SetReal(place(), number);
            break;
        }
        Value result = parser_CallBuiltin(at, step.First, arguments);
        place() = std::move(result);
        break;
    }
    case StepKind::Sign: ApplySign(step.Operator, stack.back(), at); break;
    case StepKind::Power: Binary(stack, [&](Value& v, const Value& r) { ApplyPower(v, r, at); }); break;
    case StepKind::Multiplicative:
        Binary(stack, [&](Value& v, const Value& r) { ApplyMultiplicative(step.Operator, v, r, at); });
        break;
    case StepKind::Additive: Binary(stack, [&](Value& v, const Value& r) { ApplyAdditive(step.Operator, v, r, at); }); break;
    case StepKind::Comparison: {
        const ComparisonOperator op{static_cast<Relation>(step.Operator), step.First, 0};
        Binary(stack, [&](Value& v, const Value& r) { ApplyComparison(op, v, r, at); });
        break;
    }
    case StepKind::Logical:
        Binary(stack, [&](Value& v, const Value& r) { ApplyLogical(step.Operator, step.Flag, v, r, at); });
        break;
    }
}

std::uint64_t Word(const UInt8* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

constexpr std::uint64_t EachByte = 0x0101010101010101u;
constexpr std::uint64_t HighBits = EachByte * 0x80;

// 0x80 in each byte of `word` that is not 0, else 0.
std::uint64_t NonZeroBytes(std::uint64_t word) { return (((word & ~HighBits) + ~HighBits) | word) & HighBits; }

// 0x80 in each byte that is no digit, else 0: "0" to "9" become 0 to 9,
// and all else has a high nibble or a low one of 10 or more.
std::uint64_t NonDigitBytes(std::uint64_t word) {
    const std::uint64_t t = word ^ (EachByte * '0');
    return NonZeroBytes((t & (EachByte * 0xF0)) | (((t & (EachByte * 0x0F)) + EachByte * 6) & (EachByte * 0x10)));
}

// Whether eight bytes of two texts differ only where both hold a digit and
// `names` holds 0xFF.
[[gnu::always_inline]] inline bool DifferOnlyInNameDigits(std::uint64_t now, std::uint64_t was,
                                                          std::uint64_t names) {
    if (now == was) return true;
    const std::uint64_t differ = NonZeroBytes(now ^ was);
    return (differ & ~names) == 0 && (differ & (NonDigitBytes(now) | NonDigitBytes(was))) == 0;
}

// Two runs of a name's length, four to eight bytes ("Z999S100") but for an
// odd one.
bool EqualBytes(const UInt8* a, const UInt8* b, std::size_t n) {
    if (n < 4 || n > 8) return std::memcmp(a, b, n) == 0;
    const auto half = [](const UInt8* at) {
        std::uint32_t word = 0;
        std::memcpy(&word, at, sizeof word);
        return word;
    };
    return half(a) == half(b) && half(a + n - 4) == half(b + n - 4);
}

// The shape key of the formula whose addresses are `names`.
void KeyOfNames(TextView formula, Int self, const std::vector<FormulaAddress>& names, std::string& key) {
    // Fixed-size records of the addresses first, then the text with them
    // blanked: two keys are equal only for texts equal outside addresses.
    key.clear();
    const auto append = [&key](auto number) { key.append(reinterpret_cast<const char*>(&number), sizeof number); };
    append(static_cast<std::uint32_t>(names.size()));
    for (const FormulaAddress& name : names) {
        append(static_cast<std::uint32_t>(name.Start));
        append(static_cast<std::uint32_t>(name.End));
        append(name.Cell - self);
    }
    const std::size_t text = key.size();
    key.append(reinterpret_cast<const char*>(formula.data()), formula.size());
    for (const FormulaAddress& name : names) std::memset(key.data() + text + name.Start, 0, name.End - name.Start);
}

}  // namespace

void parser_ShapeKey(TextView formula, Int self, std::string& key) {
    thread_local std::vector<FormulaAddress> names;
    FindAddressNames(formula, names);
    KeyOfNames(formula, self, names, key);
}

void ShapeMemo::Key(TextView formula, Int self, std::string& key) {
    FindAddressNames(formula, names_);
    KeyOfNames(formula, self, names_, key);
    text_.assign(formula.begin(), formula.end());
    nameBytes_.assign(formula.size(), 0);
    for (const FormulaAddress& name : names_)
        std::memset(nameBytes_.data() + name.Start, 0xFF, name.End - name.Start);
    self_ = self;
}

bool ShapeMemo::SameShape(TextView formula, Int self) const {
    const std::size_t n = formula.size();
    if (self_ < 0 || n != text_.size() || n == 0) return false;
    const UInt8* now = formula.data();
    const UInt8* was = text_.data();
    // Where the texts differ, both hold a digit inside a name: every byte
    // is a name byte in both or in neither, so both have the same names at
    // the same places, and a name that reads alike addresses the same cell
    // in both. Eight bytes at a time, the last eight overlapping.
    if (n < 8) {
        std::uint64_t words[3] = {};
        std::memcpy(&words[0], now, n);
        std::memcpy(&words[1], was, n);
        std::memcpy(&words[2], nameBytes_.data(), n);
        if (!DifferOnlyInNameDigits(words[0], words[1], words[2])) return false;
    }
    for (std::size_t at = 0; n >= 8; at += 8) {
        const std::size_t o = std::min(at, n - 8);
        if (!DifferOnlyInNameDigits(Word(now + o), Word(was + o), Word(nameBytes_.data() + o))) return false;
        if (o == n - 8) break;
    }
    const FormulaAddress* read = nullptr;  // the name read last, right
    for (const FormulaAddress& name : names_) {
        // A cell named again ("=Round(Z1S1)+Z1S1") is read once.
        const std::size_t length = name.End - name.Start;
        if (read && read->End - read->Start == length && read->Cell == name.Cell &&
            EqualBytes(now + read->Start, now + name.Start, length))
            continue;
        const Int cell = FormulaCellIndex(formula.subspan(name.Start, length));
        if (cell < 0 || cell - self != name.Cell - self_) return false;
        read = &name;
    }
    return true;
}

std::string parser_ShapeKey(TextView formula, Int self) {
    std::string key;
    parser_ShapeKey(formula, self, key);
    return key;
}

FormulaProgram parser_Compile(TextView formula, Int self) {
    FormulaProgram program;
    parser_SetText(formula.empty() ? TextView() : formula.subspan(1));
    CompileMode mode(program, self);
    grammar::Formula(mode);
    program.Shareable = KeyHolds(program, AddressNames(formula));
    program.Arithmetic = IsArithmetic(program);
    return program;
}

namespace {

const parser_UniversalType& Run(const FormulaProgram& program, const FormulaText& formula, Int self) {
    parser_StartEvaluation();
    if (double number = 0; program.Arithmetic && RunOnNumbers(program, formula, self, number)) {
        SetReal(Parser().ParserResult, number);
        return Parser().ParserResult;
    }
    std::vector<Value>& stack = Stack();
    stack.clear();
    for (const FormulaStep& step : program.Steps) RunStep(program, formula, self, step, stack);
    ParserState& parser = Parser();
    parser.ParserResult = stack.empty() ? Value{} : std::move(stack.back());
    return parser.ParserResult;
}

}  // namespace

const parser_UniversalType& parser_Run(const FormulaProgram& program, TextView formula, Int self) {
    return Run(program, FormulaText(formula), self);
}

const parser_UniversalType& parser_RunCell(const FormulaProgram& program, Int self) {
    return Run(program, FormulaText(self), self);
}
