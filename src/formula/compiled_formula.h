// A formula read once into the steps that compute it, so that computing it
// again never reads its text again. The steps are what the evaluator does
// while it reads (formula/grammar.h writes both), in the same order: a
// compiled formula gives the same value, the same errors at the same
// positions and the same effects (variables, random numbers) as
// parser_Evaluate of its text.
//
// Cells are named relative to the formula's own cell, so that formulas of
// one shape (a column of "=Z1S2+1", "=Z2S2+1", ... below each other) share
// one program: their texts differ only in the cell addresses, which stand at
// the same places, have the same lengths and name cells at the same distance.
#pragma once

#include <string>
#include <vector>

#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"

enum class StepKind : UInt8 {
    Number, Literal, Nothing, Raise, Name, Call, Sign, Power, Multiplicative, Additive, Comparison, Logical
};

struct FormulaStep {
    StepKind Kind = StepKind::Nothing;
    UInt8 Operator = 0;  // the operator or sign; Comparison: its Relation; Name: 1 when it addresses a cell
    bool Flag = false;   // Logical: doubled; Name: a "$" follows
    Int Position = 0;    // where the step's errors are raised
    Int First = 0;       // Raise: the code; Name: the name's start; Call: the token; Literal: its number; Comparison: the operator's position
    Int Second = 0;      // Name: the name's end; Call: how many arguments
    Int Cell = 0;        // Name: the addressed cell's index less the formula's own cell's
    double Number = 0;   // Number
};

struct FormulaProgram {
    std::vector<FormulaStep> Steps;
    std::vector<Text> Literals;
    // The cells the formula names, relative to its own cell (with repeats):
    // what decides the order in which formulas are computed.
    std::vector<Int> References;
    bool ReadsAnyCell = false;  // IndCell: which cell it reads is only known while it runs
    bool Volatile = false;      // another value at each run: Rnd, UniqueID, IndCell
    bool OrderMatters = false;  // Var or Result: depends on the formulas computed before it
    // Every cell address the shape key found is a name the program reads
    // as a cell, and no other: formulas of the same key may share it.
    bool Shareable = false;
    // Only numbers, cell names and arithmetic that cannot fail on numbers
    // (no call, text, comparison or shift), at most ArithmeticDepth deep:
    // such a program mostly computes on plain numbers (see parser_Run).
    bool Arithmetic = false;
};

inline constexpr int ArithmeticDepth = 16;

// A name of a formula that addresses a cell: its place [Start, End) in the
// formula ("=" at 0) and the cell's index.
struct FormulaAddress {
    std::size_t Start = 0, End = 0;
    Int Cell = -1;
};

// The key of the formula's shape for the cell `self`: its text, with each
// name that addresses a cell left out and told by its place, its length and
// the distance of its cell from `self`.
std::string parser_ShapeKey(TextView formula, Int self);
// The same into `key`, whose buffer a pass over the sheet then reuses.
void parser_ShapeKey(TextView formula, Int self, std::string& key);
// The formula keyed last, so that the next formula of its shape (in the
// cell beside or below, its addresses moved along) is known without a key
// of its own, which takes about five times as long: a pass over a sheet
// keys one formula after another.
class ShapeMemo {
public:
    // parser_ShapeKey into `key`, remembering the formula.
    void Key(TextView formula, Int self, std::string& key);
    // True only when the formula of cell `self` has the key of the one
    // remembered: a text of the same length that differs only in digits of
    // its addresses, each naming a cell at the same distance. False also
    // where it cannot tell so quickly; then the key tells.
    bool SameShape(TextView formula, Int self) const;
    // The addresses of the formula remembered, which a formula SameShape
    // claims also has, at the same places.
    const std::vector<FormulaAddress>& Addresses() const { return names_; }

private:
    CodeBuffer text_;
    Int self_ = -1;
    std::vector<FormulaAddress> names_;
    std::vector<UInt8> nameBytes_;  // 0xFF for each byte of text_ in a name, else 0
};

// Reads the formula of cell `self` ("=" first, not part of what is computed).
FormulaProgram parser_Compile(TextView formula, Int self);
// Computes the program for cell `self` whose formula (of the program's
// shape) is `formula`: Parser()'s error record and ParserResult as
// parser_Evaluate of the formula leaves them.
// The value is Parser().ParserResult, which the next evaluation replaces.
const parser_UniversalType& parser_Run(const FormulaProgram& program, TextView formula, Int self);
// The same for the formula of cell `self`, whose text is only asked of the
// sheet (FormulaTextOf) where the program needs it.
const parser_UniversalType& parser_RunCell(const FormulaProgram& program, Int self);
