#include "sheet/recalculation.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <queue>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formula/compiled_formula.h"
#include "formula/parser_state.h"
#include "numbers/number_format.h"
#include "platform/program_state.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"

namespace {

using Program = std::shared_ptr<const FormulaProgram>;

struct RecalculationState {
    // Per cell: the program of its formula (none until compiled), and the
    // number its text stands for (known or not).
    std::vector<Program> Programs;
    std::vector<double> Numbers;
    std::vector<UInt8> NumberKnown;
    // Programs shared by formulas of one shape, by shape key.
    std::unordered_map<std::string, Program> Shapes;

    // The formula cells in the order of a pass, each cell's place in it (-1
    // for no formula), and for each cell the formula cells that name it
    // (Dependents[DependentStart[c]] up to DependentStart[c + 1]).
    bool OrderValid = false;
    std::vector<Int> Order;
    std::vector<Int> Place;
    std::vector<Int> DependentStart;
    std::vector<Int> Dependents;
    std::vector<Int> VolatileCells;  // formulas computed in every pass
    std::vector<UInt8> Due;          // per place, during a pass of changes
    bool OrderMatters = false;

    // Cells changed since the last pass.
    std::vector<Int> Changed;
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
    if (r.Programs.size() == cells) return;
    r.Programs.assign(cells, nullptr);
    r.Numbers.assign(cells, 0);
    r.NumberKnown.assign(cells, 0);
    r.Place.assign(cells, -1);
    r.OrderValid = false;
}

// The program of a cell's formula, compiled when it has none yet; a formula
// of a shape seen before takes that shape's program.
const FormulaProgram& ProgramOf(Int index) {
    RecalculationState& r = R();
    Program& program = r.Programs[At(index)];
    if (program) return *program;
    const TextView formula = C().CellFormula[At(index)];
    std::string key = parser_ShapeKey(formula, index);
    if (const auto found = r.Shapes.find(key); found != r.Shapes.end()) {
        program = found->second;
        return *program;
    }
    auto compiled = std::make_shared<const FormulaProgram>(parser_Compile(formula, index));
    if (compiled->Shareable) r.Shapes.emplace(std::move(key), compiled);
    program = std::move(compiled);
    return *program;
}

bool HasFormula(Int index) { return !C().CellFormula[At(index)].Empty(); }

// --- the order of a pass ------------------------------------------------

struct Graph {
    std::vector<Int> Cells;                  // formula cells of one stage, in cell order
    std::vector<std::vector<Int>> Before;    // for each, the places of the formulas it names
};

// Cells that name each other in a circle, found with Tarjan's algorithm
// (without recursion: a chain may run through the whole sheet). Each cell's
// component number; components come out with the later ones first.
std::vector<Int> Components(const Graph& graph, Int& count) {
    const std::size_t n = graph.Cells.size();
    std::vector<Int> component(n, -1), index(n, -1), low(n, 0);
    std::vector<std::size_t> stack, edge(n, 0);
    std::vector<UInt8> onStack(n, 0);
    Int next = 0;
    count = 0;
    for (std::size_t root = 0; root < n; ++root) {
        if (index[root] >= 0) continue;
        std::vector<std::size_t> path{root};
        index[root] = low[root] = next++;
        stack.push_back(root);
        onStack[root] = 1;
        while (!path.empty()) {
            const std::size_t v = path.back();
            const std::vector<Int>& out = graph.Before[v];
            if (edge[v] < out.size()) {
                const auto w = static_cast<std::size_t>(out[edge[v]++]);
                if (index[w] < 0) {
                    index[w] = low[w] = next++;
                    stack.push_back(w);
                    onStack[w] = 1;
                    path.push_back(w);
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            path.pop_back();
            if (!path.empty()) low[path.back()] = std::min(low[path.back()], low[v]);
            if (low[v] != index[v]) continue;
            for (std::size_t w = n; w != v;) {
                w = stack.back();
                stack.pop_back();
                onStack[w] = 0;
                component[w] = count;
            }
            ++count;
        }
    }
    return component;
}

// The stage's cells in their order: a component once every component it
// names is done, the one with the first cell first; within a component, in
// cell order.
std::vector<Int> StageOrder(const Graph& graph) {
    Int count = 0;
    const std::vector<Int> component = Components(graph, count);
    const std::size_t n = graph.Cells.size();
    std::vector<std::vector<std::size_t>> members(static_cast<std::size_t>(count));
    for (std::size_t v = 0; v < n; ++v) members[static_cast<std::size_t>(component[v])].push_back(v);
    std::vector<std::vector<Int>> after(static_cast<std::size_t>(count));
    std::vector<Int> waiting(static_cast<std::size_t>(count), 0);
    for (std::size_t v = 0; v < n; ++v)
        for (const Int u : graph.Before[v]) {
            const Int from = component[static_cast<std::size_t>(u)], to = component[v];
            if (from == to) continue;
            after[static_cast<std::size_t>(from)].push_back(to);
            ++waiting[static_cast<std::size_t>(to)];
        }
    // By first cell: members are in cell order, so that is their first.
    using Entry = std::pair<std::size_t, Int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> ready;
    for (Int c = 0; c < count; ++c)
        if (waiting[static_cast<std::size_t>(c)] == 0) ready.emplace(members[static_cast<std::size_t>(c)].front(), c);
    std::vector<Int> order;
    order.reserve(n);
    while (!ready.empty()) {
        const Int c = ready.top().second;
        ready.pop();
        for (const std::size_t v : members[static_cast<std::size_t>(c)]) order.push_back(graph.Cells[v]);
        for (const Int d : after[static_cast<std::size_t>(c)])
            if (--waiting[static_cast<std::size_t>(d)] == 0) ready.emplace(members[static_cast<std::size_t>(d)].front(), d);
    }
    return order;
}

// The formulas of one stage and what each names among them.
Graph StageGraph(const std::vector<Int>& cells, const std::vector<Int>& stageOf, Int stage) {
    Graph graph;
    graph.Cells = cells;
    graph.Before.resize(cells.size());
    std::unordered_map<Int, Int> local;
    local.reserve(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) local.emplace(cells[i], static_cast<Int>(i));
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (const Int offset : ProgramOf(cells[i]).References) {
            const Int named = cells[i] + offset;
            if (stageOf[At(named)] != stage) continue;
            graph.Before[i].push_back(local.at(named));
        }
    return graph;
}

void BuildOrder() {
    RecalculationState& r = R();
    const Int cells = static_cast<Int>(CellCount());
    std::vector<Int> stageOf(At(cells), -1);
    std::vector<Int> stages[2];
    r.OrderMatters = false;
    for (Int index = 0; index < cells; ++index) {
        if (!HasFormula(index)) continue;
        const FormulaProgram& program = ProgramOf(index);
        r.OrderMatters = r.OrderMatters || program.OrderMatters;
        const Int stage = program.ReadsAnyCell ? 1 : 0;
        stageOf[At(index)] = stage;
        stages[stage].push_back(index);
    }
    r.Order.clear();
    r.VolatileCells.clear();
    for (Int stage = 0; stage < 2; ++stage) {
        const std::vector<Int> order = StageOrder(StageGraph(stages[stage], stageOf, stage));
        r.Order.insert(r.Order.end(), order.begin(), order.end());
    }
    std::fill(r.Place.begin(), r.Place.end(), -1);
    for (std::size_t i = 0; i < r.Order.size(); ++i) {
        r.Place[At(r.Order[i])] = static_cast<Int>(i);
        if (ProgramOf(r.Order[i]).Volatile) r.VolatileCells.push_back(r.Order[i]);
    }
    r.Due.assign(r.Order.size(), 0);
    // Who names each cell, as one array.
    r.DependentStart.assign(At(cells) + 1, 0);
    for (const Int f : r.Order)
        for (const Int offset : ProgramOf(f).References) ++r.DependentStart[At(f + offset) + 1];
    for (std::size_t c = 0; c < At(cells); ++c) r.DependentStart[c + 1] += r.DependentStart[c];
    r.Dependents.assign(At(r.DependentStart.back()), 0);
    std::vector<Int> fill(r.DependentStart.begin(), r.DependentStart.end() - 1);
    for (const Int f : r.Order)
        for (const Int offset : ProgramOf(f).References) r.Dependents[At(fill[At(f + offset)]++)] = f;
    r.OrderValid = true;
    r.Report.Rebuilt = true;
}

void EnsureOrder() {
    Fit();
    if (!R().OrderValid) BuildOrder();
}

void Finish() {
    RecalculationState& r = R();
    r.Changed.clear();
    r.AllChanged = false;
    r.Report.Programs = static_cast<Int>(r.Shapes.size());
}

}  // namespace

void CellChanging(CellField field, std::size_t index) {
    RecalculationState& r = R();
    if (index == AllCells) {
        r.Programs.clear();
        r.Shapes.clear();
        r.NumberKnown.clear();
        r.OrderValid = false;
        r.AllChanged = true;
        return;
    }
    if (index >= r.Programs.size()) return;  // nothing kept yet
    if (field == CellField::Formula) {
        r.Programs[index].reset();
        r.OrderValid = false;
    } else {
        r.NumberKnown[index] = 0;
    }
    if (r.AllChanged) return;
    r.Changed.push_back(static_cast<Int>(index));
    // More changes than cells: the next pass may as well compute everything.
    if (r.Changed.size() > r.Programs.size()) {
        r.Changed.clear();
        r.AllChanged = true;
    }
}

double CellNumber(Int index) {
    Fit();
    RecalculationState& r = R();
    if (!r.NumberKnown[At(index)]) {
        r.Numbers[At(index)] = TextToNumber(C().CellText[At(index)]);
        r.NumberKnown[At(index)] = 1;
    }
    return r.Numbers[At(index)];
}

void ComputeCell(Int index) {
    CalculationState& c = C();
    if (index < 0 || At(index) >= CellCount() || !HasFormula(index)) return;
    Fit();
    c.ComputingCell = index;
    FormulaOutcome outcome;
    outcome.Value = parser_Run(ProgramOf(index), c.CellFormula[At(index)], index);
    outcome.ErrorCode = Parser().ParserErrorCode;
    outcome.ErrorPosition = Parser().ParserErrorPosition;
    Int& attributes = c.CellAttributes.Computed(At(index));
    SetCellKind(attributes, OutcomeToCellText(outcome, CellKind(attributes), c.CellText.Computed(At(index))));
    // A real's text is its shortest form, which reads back as the real
    // itself: the number is kept without reading the text again.
    RecalculationState& r = R();
    const bool real = outcome.ErrorCode == 0 && outcome.Value.ValueType == ValueTypeReal &&
                      std::isfinite(outcome.Value.ValueNumeric);
    r.Numbers[At(index)] = real ? outcome.Value.ValueNumeric : 0;
    r.NumberKnown[At(index)] = real;
    ++r.Report.Computed;
}

void RecalculateCells() {
    R().Report = {};
    EnsureOrder();
    for (const Int index : R().Order) ComputeCell(index);
    Finish();
}

void RecalculateChanged() {
    R().Report = {};
    EnsureOrder();
    RecalculationState& r = R();
    if (r.AllChanged || r.OrderMatters) return RecalculateCells();
    // What the changed cells reach through the formulas naming them, and the
    // formulas that give another value at each run, in the order of a pass.
    std::vector<Int> places, work;
    const auto reach = [&](Int cell) {
        const Int place = r.Place[At(cell)];
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
        ComputeCell(r.Order[At(place)]);
    }
    Finish();
}

RecalculationReport LastRecalculation() { return R().Report; }
