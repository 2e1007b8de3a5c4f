#include "sheet/recalculation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <queue>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formula/cell_source.h"
#include "formula/compiled_formula.h"
#include "formula/parser_state.h"
#include "numbers/number_format.h"
#include "platform/program_state.h"
#include "sheet/calculation.h"

namespace {

// A cell index; the arrays of a pass hold them by the hundred thousand.
using Cell = std::int32_t;
template <typename T>
using PerCell = std::vector<T>;

// How much is known of a cell's number: nothing, the number its text
// stands for, or besides the real its formula computed last, whose text the
// cell shows since. Any change to the cell's text or attributes forgets it.
enum class Known : UInt8 { Nothing, Number, ShownReal };

// What is kept of each cell, in 16 bytes: the number its text stands for
// (when known) and the program of its formula (an index into Owned; -1
// until compiled).
struct CellState {
    double Number = 0;
    Cell Program = -1;
    Known NumberKnown = Known::Nothing;
};

struct RecalculationState {
    PerCell<CellState> Cells;
    // Every program, and those shared by formulas of one shape by shape key.
    std::vector<std::unique_ptr<const FormulaProgram>> Owned;
    std::unordered_map<std::string, Cell> Shapes;
    // The formula keyed last and its program when that is shared (-1 when
    // not): the next formula of its shape takes it without a key.
    ShapeMemo LastShape;
    Cell LastShared = -1;
    // A shared program found for a formula whose names (of the sheet's
    // formula store) are just its addresses, and that formula's stamp: the
    // stamp's other formulas have its shape where their names still
    // address cells, written without leading zeros.
    std::uint64_t StampShared = 0;
    Cell StampProgram = -1;

    // The formula cells in the order of a pass, each cell's place in it (-1
    // for no formula; while the order is found, its node), and for each
    // cell the formula cells that name it (Dependents[DependentStart[c]] up
    // to DependentStart[c + 1]), found at the first pass of changes only:
    // loading, ^^ and --export never need them.
    bool OrderValid = false;
    PerCell<Cell> Order;
    // The order is cell order, and Order is left empty until an edit needs
    // it: a sheet computed once (an export) keeps the memory.
    bool CellOrder = false;
    PerCell<Cell> Places;
    bool DependentsFound = false;
    PerCell<Cell> DependentStart;
    PerCell<Cell> Dependents;
    std::vector<Cell> VolatileCells;  // formulas computed in every pass
    std::vector<UInt8> Due;          // per place, during a pass of changes
    bool OrderMatters = false;

    // Cells changed since the last pass.
    std::vector<Cell> Changed;
    bool AllChanged = true;
    RecalculationReport Report;
};
ProgramState<RecalculationState> state;

RecalculationState& R() { return *state; }
CalculationState& C() { return Calculation(); }
std::size_t At(Int index) { return static_cast<std::size_t>(index); }

std::size_t CellCount() { return C().CellFormula.size(); }

// The arrays follow the sheet's size.
void Fit() {
    RecalculationState& r = R();
    const std::size_t cells = CellCount();
    if (r.Cells.size() == cells) return;
    r.Cells.assign(cells, CellState{});
    r.OrderValid = false;
}

// The places of the cell's names in the formula store.
const std::vector<FormulaArray::NamePlace>& NamePlaces(Int index) {
    thread_local std::vector<FormulaArray::NamePlace> places;
    C().CellFormula.NamesOf(At(index), places);
    return places;
}

// Remembers the program for the stamp of the cell, whose formula has the
// shape of the one keyed last, where the stamp's names are just the
// addresses of that formula.
void RememberStamp(Int index, Cell program) {
    RecalculationState& r = R();
    const std::uint64_t stamp = C().CellFormula.Stamp(At(index));
    if (stamp == r.StampShared) return;
    r.StampShared = 0;
    const std::vector<FormulaAddress>& addresses = r.LastShape.Addresses();
    const std::vector<FormulaArray::NamePlace>& places = NamePlaces(index);
    if (places.size() != addresses.size()) return;
    for (std::size_t k = 0; k < places.size(); ++k)
        if (places[k].Start != addresses[k].Start || places[k].End != addresses[k].End) return;
    r.StampShared = stamp;
    r.StampProgram = program;
}

// The program of a cell's formula, compiled when it has none yet; a formula
// of a shape seen before takes that shape's program.
const FormulaProgram& ProgramOf(Int index) {
    RecalculationState& r = R();
    Cell& program = r.Cells[At(index)].Program;
    if (program >= 0) return *r.Owned[At(program)];
    // A formula filled down or across, as the one before it.
    if (r.StampShared != 0 && C().CellFormula.Stamp(At(index)) == r.StampShared &&
        C().CellFormula.NamesMoveWithin(At(index), C().RowCount, C().ColumnCount)) {
        program = r.StampProgram;
        return *r.Owned[At(program)];
    }
    const TextView formula = FormulaTextOf(index);
    if (r.LastShared >= 0 && r.LastShape.SameShape(formula, index)) {
        program = r.LastShared;
    } else {
        thread_local std::string key;
        r.LastShape.Key(formula, index, key);
        if (const auto found = r.Shapes.find(key); found != r.Shapes.end()) {
            program = found->second;
        } else {
            program = static_cast<Cell>(r.Owned.size());
            r.Owned.push_back(std::make_unique<const FormulaProgram>(parser_Compile(formula, index)));
            if (r.Owned.back()->Shareable) r.Shapes.emplace(key, program);
        }
        r.LastShared = r.Owned[At(program)]->Shareable ? program : -1;
    }
    if (r.LastShared >= 0) RememberStamp(index, r.LastShared);
    return *r.Owned[At(program)];
}

// Equal to the bit, so that 0 and -0 (shown "0" and "-0") differ.
bool SameNumber(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool HasFormula(Int index) { return !C().CellFormula.Empty(At(index)); }

// --- the order of a pass ------------------------------------------------

// A list of lists in two arrays: list i is Items[Start[i]] up to Start[i + 1].
struct Lists {
    std::vector<Cell> Start;
    std::vector<Cell> Items;
    std::size_t Size(std::size_t i) const { return At(Start[i + 1] - Start[i]); }
    const Cell* Begin(std::size_t i) const { return Items.data() + Start[i]; }
};

// Lists of n entries from (list, item) pairs.
Lists Grouped(std::size_t n, const std::vector<std::pair<Int, Int>>& pairs) {
    Lists lists;
    lists.Start.assign(n + 1, 0);
    for (const auto& [list, item] : pairs) ++lists.Start[At(list) + 1];
    for (std::size_t i = 0; i < n; ++i) lists.Start[i + 1] += lists.Start[i];
    lists.Items.resize(pairs.size());
    std::vector<Cell> fill(lists.Start.begin(), lists.Start.end() - 1);
    for (const auto& [list, item] : pairs) lists.Items[At(fill[At(list)]++)] = item;
    return lists;
}

// Cells that name each other in a circle, found with Tarjan's algorithm
// (without recursion: a chain may run through the whole sheet): each node's
// component number and how many there are.
std::vector<Cell> Components(const Lists& before, Int& count) {
    const std::size_t n = before.Start.size() - 1;
    std::vector<Cell> component(n, -1), index(n, -1), low(n, 0), edge(n, 0), stack, path;
    std::vector<UInt8> onStack(n, 0);
    Int next = 0;
    count = 0;
    for (std::size_t root = 0; root < n; ++root) {
        if (index[root] >= 0) continue;
        path.push_back(static_cast<Int>(root));
        index[root] = low[root] = next++;
        stack.push_back(static_cast<Int>(root));
        onStack[root] = 1;
        while (!path.empty()) {
            const auto v = At(path.back());
            if (At(edge[v]) < before.Size(v)) {
                const auto w = At(before.Begin(v)[edge[v]++]);
                if (index[w] < 0) {
                    index[w] = low[w] = next++;
                    stack.push_back(static_cast<Int>(w));
                    onStack[w] = 1;
                    path.push_back(static_cast<Int>(w));
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            path.pop_back();
            if (!path.empty()) low[At(path.back())] = std::min(low[At(path.back())], low[v]);
            if (low[v] != index[v]) continue;
            for (std::size_t w = n; w != v;) {
                w = At(stack.back());
                stack.pop_back();
                onStack[w] = 0;
                component[w] = count;
            }
            ++count;
        }
    }
    return component;
}

// The order of nodes 0 to n - 1 (a stage's formula cells in cell order)
// given what each names among them: a circle once every circle it names is
// done, the one with the first node first; within a circle, node order.
std::vector<Cell> NodeOrder(const Lists& before) {
    const std::size_t n = before.Start.size() - 1;
    Int count = 0;
    const std::vector<Cell> component = Components(before, count);
    std::vector<std::pair<Int, Int>> memberPairs, afterPairs;
    memberPairs.reserve(n);
    for (std::size_t v = 0; v < n; ++v) memberPairs.emplace_back(component[v], static_cast<Int>(v));
    std::vector<Cell> waiting(At(count), 0);
    for (std::size_t v = 0; v < n; ++v)
        for (std::size_t k = 0; k < before.Size(v); ++k) {
            const Int from = component[At(before.Begin(v)[k])], to = component[v];
            if (from == to) continue;
            afterPairs.emplace_back(from, to);
            ++waiting[At(to)];
        }
    const Lists members = Grouped(At(count), memberPairs), after = Grouped(At(count), afterPairs);
    // Members are in node order: a component's first member is its first node.
    using Entry = std::pair<Int, Int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> ready;
    for (Int c = 0; c < count; ++c)
        if (waiting[At(c)] == 0) ready.emplace(members.Begin(At(c))[0], c);
    std::vector<Cell> order;
    order.reserve(n);
    while (!ready.empty()) {
        const auto c = At(ready.top().second);
        ready.pop();
        order.insert(order.end(), members.Begin(c), members.Begin(c) + members.Size(c));
        for (std::size_t k = 0; k < after.Size(c); ++k) {
            const Int d = after.Begin(c)[k];
            if (--waiting[At(d)] == 0) ready.emplace(members.Begin(At(d))[0], d);
        }
    }
    return order;
}

// One stage's formula cells (in cell order) in the order of a pass. Where
// every formula names only earlier formulas of the stage, that is cell
// order itself, found without building anything.
std::vector<Cell> StageOrder(std::vector<Cell> cells, const PerCell<Cell>& nodeOf) {
    // What node i names among the stage's nodes, each in turn.
    const auto forNamed = [&](auto visit) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (const Int offset : ProgramOf(cells[i]).References)
                if (const Int node = nodeOf[At(cells[i] + offset)]; node >= 0) visit(static_cast<Int>(i), node);
    };
    bool backwards = true;
    forNamed([&](Int i, Int node) { backwards = backwards && node < i; });
    if (backwards) return cells;
    std::vector<std::pair<Int, Int>> pairs;
    forNamed([&](Int i, Int node) { pairs.emplace_back(i, node); });
    std::vector<Cell> order = NodeOrder(Grouped(cells.size(), pairs));
    for (Cell& node : order) node = cells[At(node)];
    return order;
}

void BuildOrder() {
    RecalculationState& r = R();
    const Int cells = static_cast<Int>(CellCount());
    std::vector<Cell> stages[2];
    r.OrderMatters = false;
    r.Order.clear();
    r.CellOrder = false;
    r.VolatileCells.clear();
    r.Places.clear();
    r.DependentsFound = false;
    r.OrderValid = true;
    const FormulaArray& formulas = C().CellFormula;
    const std::size_t first = formulas.NextFilled(0);
    // A sheet without formulas needs nothing kept.
    if (first == formulas.size()) return;
    Fit();
    r.Report.Rebuilt = true;
    // Where every formula names only formulas before it, and none reads
    // cells it does not name, the order is cell order: known without lists
    // of a hundred thousand cells.
    bool backwards = true;
    for (std::size_t i = first; i < formulas.size(); i = formulas.NextFilled(i + 1)) {
        const auto index = static_cast<Int>(i);
        const FormulaProgram& program = ProgramOf(index);
        r.OrderMatters = r.OrderMatters || program.OrderMatters;
        if (program.Volatile) r.VolatileCells.push_back(index);
        backwards = backwards && !program.ReadsAnyCell &&
                    std::none_of(program.References.begin(), program.References.end(),
                                 [index](Int offset) { return offset >= 0 && HasFormula(index + offset); });
    }
    if (backwards) {
        r.CellOrder = true;
        return;
    }
    r.VolatileCells.clear();
    for (std::size_t i = first; i < formulas.size(); i = formulas.NextFilled(i + 1))
        stages[ProgramOf(static_cast<Int>(i)).ReadsAnyCell ? 1 : 0].push_back(static_cast<Int>(i));
    // Each stage's node numbers, in Places until the order is known.
    r.Places.assign(At(cells), -1);
    for (std::vector<Cell>& stage : stages) {
        for (std::size_t i = 0; i < stage.size(); ++i) r.Places[At(stage[i])] = static_cast<Cell>(i);
        std::vector<Cell> order = StageOrder(std::move(stage), r.Places);
        for (const Int cell : order) r.Places[At(cell)] = -1;  // the same cells, in order
        if (r.Order.empty()) r.Order = std::move(order);
        else r.Order.insert(r.Order.end(), order.begin(), order.end());
    }
    for (const Int cell : r.Order)
        if (ProgramOf(cell).Volatile) r.VolatileCells.push_back(cell);
    // Each formula cell is in the order once: sorted, it is cell order.
    if (std::is_sorted(r.Order.begin(), r.Order.end())) {
        r.CellOrder = true;
        PerCell<Cell>().swap(r.Order);
    }
    // The places are found again with the dependents, when an edit needs them.
    PerCell<Cell>().swap(r.Places);
}

// Who names each cell: counted, then filled in.
void FindDependents() {
    RecalculationState& r = R();
    const std::size_t cells = CellCount();
    r.Due.assign(r.Order.size(), 0);
    r.Places.assign(cells, -1);
    for (std::size_t i = 0; i < r.Order.size(); ++i) r.Places[At(r.Order[i])] = static_cast<Cell>(i);
    r.DependentStart.assign(cells + 1, 0);
    for (const Int f : r.Order)
        for (const Int offset : ProgramOf(f).References) ++r.DependentStart[At(f + offset) + 1];
    for (std::size_t c = 0; c < cells; ++c) r.DependentStart[c + 1] += r.DependentStart[c];
    r.Dependents.resize(At(r.DependentStart.back()));
    std::vector<Cell> fill(r.DependentStart.begin(), r.DependentStart.end() - 1);
    for (const Int f : r.Order)
        for (const Int offset : ProgramOf(f).References) r.Dependents[At(fill[At(f + offset)]++)] = f;
    r.DependentsFound = true;
}

// The formula cells in the order of a pass, each in turn.
template <typename Visit>
void ForEachInOrder(Visit visit) {
    RecalculationState& r = R();
    if (!r.CellOrder) {
        for (const Int index : r.Order) visit(index);
        return;
    }
    const FormulaArray& formulas = C().CellFormula;
    for (std::size_t i = formulas.NextFilled(0); i < formulas.size(); i = formulas.NextFilled(i + 1))
        visit(static_cast<Int>(i));
}

// Order itself, for a pass of changes that looks places up in it.
void KeepOrder() {
    RecalculationState& r = R();
    if (!r.CellOrder) return;
    ForEachInOrder([&r](Int index) { r.Order.push_back(index); });
    r.CellOrder = false;
}

void EnsureOrder() {
    if (R().Cells.size() != CellCount()) R().OrderValid = false;
    if (!R().OrderValid) BuildOrder();
}

void Finish() {
    RecalculationState& r = R();
    r.Changed.clear();
    r.AllChanged = false;
    r.Report.Programs = static_cast<Int>(r.Shapes.size());
}

}  // namespace

void ForgetRecalculation() { *state = RecalculationState{}; }

void RecalculationCellChanging(CellField field, std::size_t index) {
    RecalculationState& r = R();
    if (index == AllCells) {
        r.Cells.clear();
        r.Shapes.clear();
        r.Owned.clear();
        r.LastShared = -1;
        r.StampShared = 0;
        r.OrderValid = false;
        r.AllChanged = true;
        return;
    }
    // Nothing is kept of a sheet that never had a formula or a number read.
    const bool kept = index < r.Cells.size();
    if (field == CellField::Formula) {
        if (kept) r.Cells[index].Program = -1;
        r.OrderValid = false;
    } else if (kept) {
        r.Cells[index].NumberKnown = Known::Nothing;
    }
    if (r.AllChanged) return;
    r.Changed.push_back(static_cast<Int>(index));
    // More changes than cells: the next pass may as well compute everything.
    if (r.Changed.size() > CellCount()) {
        r.Changed.clear();
        r.AllChanged = true;
    }
}

double CellNumber(Int index) {
    RecalculationState& r = R();
    if (At(index) >= r.Cells.size()) Fit();
    CellState& cell = r.Cells[At(index)];
    if (cell.NumberKnown == Known::Nothing) {
        cell.Number = TextToNumber(C().CellText[At(index)]);
        cell.NumberKnown = Known::Number;
    }
    return cell.Number;
}

namespace {

// ComputeCell of a formula cell of a sheet the kept arrays fit.
void Compute(Int index) {
    CalculationState& c = C();
    c.ComputingCell = index;
    const parser_UniversalType& value = parser_RunCell(ProgramOf(index), index);
    const ParserState& parser = Parser();
    Int& attributes = c.CellAttributes.Computed(At(index));
    Text& text = c.CellText.Computed(At(index));
    const bool real = parser.ParserErrorCode == 0 && value.ValueType == ValueTypeReal;
    CellState& cell = R().Cells[At(index)];
    if (!real) {
        const FormulaOutcome outcome{value, parser.ParserErrorCode, parser.ParserErrorPosition};
        SetCellKind(attributes, OutcomeToCellText(outcome, CellKind(attributes), text));
    } else if (cell.NumberKnown != Known::ShownReal || !SameNumber(cell.Number, value.ValueNumeric) ||
               CellKind(attributes) != CellKindNumber) {
        // Nearly every outcome: written without an outcome copied first,
        // and only when the cell does not show that real already.
        AssignFormulaNumberText(text, value.ValueNumeric);
        SetCellKind(attributes, CellKindNumber);
    }
    // A real's text is its shortest form, which reads back as the real
    // itself: the number is kept without reading the text again.
    const bool kept = real && std::isfinite(value.ValueNumeric);
    cell.Number = kept ? value.ValueNumeric : 0;
    cell.NumberKnown = kept ? Known::ShownReal : Known::Nothing;
    ++R().Report.Computed;
}

}  // namespace

void ComputeCell(Int index) {
    if (index < 0 || At(index) >= CellCount() || !HasFormula(index)) return;
    Fit();
    Compute(index);
}

void RecalculateCells() {
    R().Report = {};
    // With an order of formulas, the kept arrays fit the sheet (EnsureOrder).
    EnsureOrder();
    ForEachInOrder(Compute);
    Finish();
}

void RecalculateChanged() {
    R().Report = {};
    EnsureOrder();
    RecalculationState& r = R();
    if (r.AllChanged || r.OrderMatters) return RecalculateCells();
    KeepOrder();
    if (r.Order.empty()) return Finish();
    if (!r.DependentsFound) FindDependents();
    // What the changed cells reach through the formulas naming them, and the
    // formulas that give another value at each run, in the order of a pass.
    std::vector<Cell> places, work;
    const auto reach = [&](Int cell) {
        const Int place = r.Places[At(cell)];
        if (place >= 0) {
            if (r.Due[At(place)]) return;
            r.Due[At(place)] = 1;
            places.push_back(place);
        }
        work.push_back(cell);
    };
    for (const Int cell : r.Changed) reach(cell);
    for (const Int cell : r.VolatileCells) reach(cell);
    while (!work.empty()) {
        const Int cell = work.back();
        work.pop_back();
        for (Int k = r.DependentStart[At(cell)]; k < r.DependentStart[At(cell) + 1]; ++k) reach(r.Dependents[At(k)]);
    }
    std::sort(places.begin(), places.end());
    for (const Int place : places) {
        r.Due[At(place)] = 0;
        Compute(r.Order[At(place)]);
    }
    Finish();
}

RecalculationReport LastRecalculation() { return R().Report; }

Int OutcomeToCellText(const FormulaOutcome& outcome, Int previousKind, Text& cellText) {
    if (outcome.ErrorCode != 0) {
        cellText = Text::FromBytes("(ERR#") + IntegerText(outcome.ErrorCode, -1, 0, false) + Text::FromBytes("@") +
                   IntegerText(outcome.ErrorPosition, -1, 0, false) + Text::FromBytes(")");
        return previousKind;
    }
    const parser_UniversalType& value = outcome.Value;
    if (value.ValueType == ValueTypeReal) {
        AssignFormulaNumberText(cellText, value.ValueNumeric);
        return CellKindNumber;
    }
    cellText = value.ValueType == ValueTypeText ? value.ValueText : Text::FromBytes("(NAN)");
    return CellKindText;
}

// --- what formulas read -----------------------------------------------------------

namespace {

// Whether formulas may read the cell. The arrays are compared too, so a
// sheet that was never cleared is never read past its end.
bool Readable(const CalculationState& calc, Int index) {
    const auto stored = static_cast<Int>(std::min(calc.CellText.size(), calc.CellAttributes.size()));
    return index >= 0 && index < calc.RowCount * calc.ColumnCount && index < stored;
}

}  // namespace

FormulaCell ReadFormulaCell(Int index) {
    const CalculationState& calc = Calculation();
    if (!Readable(calc, index)) return {};
    const auto i = static_cast<std::size_t>(index);
    const bool text = CellKind(calc.CellAttributes[i]) == CellKindText;
    return {&calc.CellText[i], text, text ? 0 : CellNumber(index)};
}

bool ReadFormulaNumber(Int index, double& number) {
    const CalculationState& calc = Calculation();
    if (!Readable(calc, index) || CellKind(calc.CellAttributes[At(index)]) == CellKindText) return false;
    number = CellNumber(index);
    return true;
}

Int FormulaCellIndex(TextView address) { return CellIndexFromAddress(address); }

TextView FormulaTextOf(Int index) {
    thread_local Text scratch;
    return C().CellFormula.View(At(index), scratch);
}

Int FormulaComputingCell() { return Calculation().ComputingCell; }
