#include "sheet/history.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "platform/program_state.h"
#include "sheet/calculation.h"

namespace {

// Cells as they were, their texts one after another in one buffer: a step
// of a hundred thousand cells makes three allocations, not three hundred
// thousand.
struct CellRecord {
    std::uint32_t Index = 0;
    std::uint32_t Offset = 0;  // of the text in Bytes; the formula follows it
    std::uint32_t TextSize = 0;
    std::uint32_t FormulaSize = 0;
    Int Attributes = 0;
};

struct CellSet {
    std::vector<CellRecord> Records;
    std::vector<UInt8> Bytes;

    void Add(std::size_t index) {
        const CalculationState& c = Calculation();
        const Text& text = c.CellText[index];
        thread_local Text scratch;
        const TextView formula = c.CellFormula.View(index, scratch);
        Records.push_back({static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(Bytes.size()),
                           static_cast<std::uint32_t>(text.Size()), static_cast<std::uint32_t>(formula.size()),
                           c.CellAttributes[index]});
        Bytes.insert(Bytes.end(), text.Elements.begin(), text.Elements.end());
        Bytes.insert(Bytes.end(), formula.begin(), formula.end());
    }
    // Puts every cell back as recorded. What is already so is left alone,
    // so that the recalculation keeps what it knows of it; the rest is
    // written into the cells' own buffers.
    void Restore() const {
        CalculationState& c = Calculation();
        for (const CellRecord& record : Records) {
            const auto text = Bytes.begin() + record.Offset, formula = text + record.TextSize;
            PutBack(c.CellText, record.Index, text, formula);
            PutBackFormula(record.Index, TextView(Bytes).subspan(record.Offset + record.TextSize, record.FormulaSize));
            if (c.CellAttributes[record.Index] != record.Attributes) c.CellAttributes.Set(record.Index, record.Attributes);
        }
    }
    static void PutBack(CellArray<Text>& cells, std::size_t index, std::vector<UInt8>::const_iterator from,
                        std::vector<UInt8>::const_iterator to) {
        const CodeBuffer& now = cells[index].Elements;
        if (!std::equal(now.begin(), now.end(), from, to)) cells.Edit(index).Elements.assign(from, to);
    }
    static void PutBackFormula(std::size_t index, TextView formula) {
        FormulaArray& formulas = Calculation().CellFormula;
        thread_local Text scratch;
        const TextView now = formulas.View(index, scratch);
        if (!std::equal(now.begin(), now.end(), formula.begin(), formula.end())) formulas.Set(index, formula);
    }
    bool Empty() const { return Records.empty(); }
    std::size_t Memory() const { return Records.capacity() * sizeof(CellRecord) + Bytes.capacity(); }
    // In cell order, which a command that walks the sheet by columns does
    // not leave them in: putting back runs through memory in order.
    void Fit() {
        const auto byIndex = [](const CellRecord& a, const CellRecord& b) { return a.Index < b.Index; };
        if (!std::is_sorted(Records.begin(), Records.end(), byIndex)) std::sort(Records.begin(), Records.end(), byIndex);
        Records.shrink_to_fit();
        Bytes.shrink_to_fit();
    }
};

// What a step puts back: with WholeSheet, every cell and width as Whole and
// WholeWidths hold them (cells not held are empty); then the single cells
// and widths, which hold what they were before a whole-sheet change came in
// the same step.
struct Snapshot {
    bool WholeSheet = false;
    CellSet Whole;
    std::vector<Int> WholeWidths;
    CellSet Cells;
    std::vector<std::pair<Int, Int>> Widths;  // column, width

    bool Empty() const { return !WholeSheet && Cells.Empty() && Widths.empty(); }
};

struct Step {
    std::string Name;
    Snapshot Before;
    std::uint64_t Id = 0;
    std::size_t Memory = 0;
};

constexpr std::uint64_t NoState = ~std::uint64_t{0};

struct HistoryState {
    bool Enabled = false;
    std::deque<Step> Undo;    // oldest first
    std::vector<Step> Redo;   // the next to redo last
    std::size_t Memory = 0;
    std::size_t Budget = DefaultHistoryBudget;
    std::uint64_t NextId = 1;
    std::uint64_t BaseId = 0;       // the state before the oldest step kept
    std::uint64_t SavedId = 0;      // the state last saved or opened; NoState when none can be reached
    // The step under way.
    bool Open = false;
    // A new history began: nothing is recorded until the next command.
    bool Dropped = false;
    // The saved state of the new history is taken once its load is done.
    bool Settle = false;
    bool Applying = false;    // an undo or redo is putting cells back
    bool WasModified = false;
    Step Current;
    // Touched[i] == Serial: cell i is recorded in the step under way.
    std::vector<std::uint32_t> Touched;
    std::uint32_t Serial = 0;
};
ProgramState<HistoryState> state;

HistoryState& H() { return *state; }

std::uint64_t Position() {
    const HistoryState& h = H();
    return h.Undo.empty() ? h.BaseId : h.Undo.back().Id;
}

bool Recording() {
    const HistoryState& h = H();
    return h.Enabled && !h.Applying && !h.Dropped;
}

// The new history's start is the saved state unless the Calculation it
// began with is modified (a restored copy, a database import).
void SettleStart() {
    HistoryState& h = H();
    if (!h.Settle) return;
    h.Settle = false;
    h.SavedId = Calculation().Modified ? NoState : h.BaseId;
}

void OpenStep(std::string name) {
    HistoryState& h = H();
    SettleStart();
    h.Open = true;
    h.Dropped = false;
    h.WasModified = Calculation().Modified;
    h.Current = Step{};
    h.Current.Name = std::move(name);
    if (++h.Serial == 0) {
        std::fill(h.Touched.begin(), h.Touched.end(), 0);
        h.Serial = 1;
    }
}

CellSet CaptureWhole() {
    const CalculationState& c = Calculation();
    CellSet whole;
    whole.Records.reserve(c.CellText.size());
    for (std::size_t i = 0; i < c.CellText.size(); ++i)
        if (!c.CellText[i].Empty() || !c.CellFormula.Empty(i) || c.CellAttributes[i] != DefaultCellAttributes)
            whole.Add(i);
    return whole;
}

// What the cells and widths the snapshot names hold now.
Snapshot Capture(const Snapshot& names) {
    Snapshot now;
    if (names.WholeSheet) {
        now.WholeSheet = true;
        now.Whole = CaptureWhole();
        now.WholeWidths = Calculation().ColumnWidth;
        return now;
    }
    now.Cells.Records.reserve(names.Cells.Records.size());
    now.Cells.Bytes.reserve(names.Cells.Bytes.size());
    for (const CellRecord& record : names.Cells.Records) now.Cells.Add(record.Index);
    for (const auto& [column, width] : names.Widths)
        now.Widths.emplace_back(column, Calculation().ColumnWidth[static_cast<std::size_t>(column)]);
    return now;
}

void Restore(const Snapshot& snapshot) {
    CalculationState& c = Calculation();
    if (snapshot.WholeSheet) {
        c.CellText.Reset(c.CellText.size(), Text());
        c.CellFormula.Reset(c.CellFormula.size(), static_cast<std::size_t>(c.ColumnCount));
        c.CellAttributes.Reset(c.CellAttributes.size(), DefaultCellAttributes);
        snapshot.Whole.Restore();
        c.ColumnWidth = snapshot.WholeWidths;
    }
    snapshot.Cells.Restore();
    for (const auto& [column, width] : snapshot.Widths) c.ColumnWidth[static_cast<std::size_t>(column)] = width;
}

std::size_t MemoryOf(Step& step) {
    Snapshot& s = step.Before;
    s.Whole.Fit();
    s.Cells.Fit();
    s.WholeWidths.shrink_to_fit();
    s.Widths.shrink_to_fit();
    return sizeof(Step) + step.Name.capacity() + s.Whole.Memory() + s.Cells.Memory() +
           s.WholeWidths.capacity() * sizeof(Int) + s.Widths.capacity() * sizeof(std::pair<Int, Int>);
}

// The oldest steps go while the history holds too much; the newest stays.
void KeepWithinBudget() {
    HistoryState& h = H();
    while (h.Undo.size() + h.Redo.size() > 1 && (h.Memory > h.Budget || h.Undo.size() > MaxHistorySteps)) {
        if (!h.Undo.empty() && (h.Undo.size() > 1 || h.Redo.empty())) {
            h.Memory -= h.Undo.front().Memory;
            h.BaseId = h.Undo.front().Id;
            h.Undo.pop_front();
        } else {
            h.Memory -= h.Redo.front().Memory;
            h.Redo.erase(h.Redo.begin());
        }
    }
}

void DropRedo() {
    HistoryState& h = H();
    for (const Step& step : h.Redo) {
        if (step.Id == h.SavedId) h.SavedId = NoState;
        h.Memory -= step.Memory;
    }
    h.Redo.clear();
}

void CloseStep() {
    HistoryState& h = H();
    SettleStart();
    if (!h.Open) return;
    h.Open = false;
    const bool modified = !h.WasModified && Calculation().Modified;
    Step step = std::move(h.Current);
    h.Current = Step{};
    if (h.Dropped) return;
    if (step.Before.Empty()) {
        // Something no step can take back made the Calculation modified.
        if (modified) h.SavedId = NoState;
        return;
    }
    DropRedo();
    step.Id = h.NextId++;
    step.Memory = MemoryOf(step);
    h.Memory += step.Memory;
    h.Undo.push_back(std::move(step));
    KeepWithinBudget();
}

StepSummary Summary(const Step& step) {
    StepSummary summary;
    summary.Name = step.Name;
    const Snapshot& s = step.Before;
    summary.WholeSheet = s.WholeSheet;
    const Int columns = Calculation().ColumnCount;
    Int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    for (const CellRecord& record : s.Cells.Records) {
        const Int row = static_cast<Int>(record.Index) / columns + 1;
        const Int column = static_cast<Int>(record.Index) % columns + 1;
        if (firstRow == 0) {
            firstRow = lastRow = row;
            firstColumn = lastColumn = column;
        }
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
        firstColumn = std::min(firstColumn, column);
        lastColumn = std::max(lastColumn, column);
    }
    summary.FirstRow = firstRow;
    summary.LastRow = lastRow;
    summary.FirstColumn = firstColumn;
    summary.LastColumn = lastColumn;
    for (const auto& [column, width] : s.Widths) {
        summary.FirstWidth = summary.FirstWidth == 0 ? column : std::min(summary.FirstWidth, column);
        summary.LastWidth = std::max(summary.LastWidth, column);
    }
    return summary;
}

// Moves the newest step of `from` to `to`, putting its cells back.
template <typename From, typename To>
std::optional<StepSummary> Move(From& from, To& to) {
    HistoryState& h = H();
    CloseStep();
    if (from.empty()) return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    h.Memory -= step.Memory;
    h.Applying = true;
    Snapshot replaced = Capture(step.Before);
    Restore(step.Before);
    h.Applying = false;
    StepSummary summary = Summary(step);
    step.Before = std::move(replaced);
    step.Memory = MemoryOf(step);
    h.Memory += step.Memory;
    to.push_back(std::move(step));
    KeepWithinBudget();
    Calculation().Modified = Position() != h.SavedId;
    return summary;
}

}  // namespace

void EnableHistory(bool on) { H().Enabled = on; }

void BeginStep(std::string name) {
    CloseStep();
    if (H().Enabled) OpenStep(std::move(name));
}

void EndStep() { CloseStep(); }

void StartHistory() {
    HistoryState& h = H();
    h.Dropped = true;
    h.Settle = true;
    h.Undo.clear();
    h.Redo.clear();
    h.Memory = 0;
    h.BaseId = h.NextId++;
    h.SavedId = NoState;
}

void NoteSaved() {
    HistoryState& h = H();
    h.Settle = false;
    // Saved in the middle of a command that changed cells already: what
    // came before the save is a step of its own.
    if (h.Open && !h.Dropped && !h.Current.Before.Empty()) {
        std::string name = h.Current.Name;
        CloseStep();
        OpenStep(std::move(name));
    }
    h.SavedId = Position();
}

void NoteWidthChanging(Int column) {
    if (!Recording()) return;
    HistoryState& h = H();
    if (!h.Open) OpenStep("Änderung");
    Snapshot& s = h.Current.Before;
    if (s.WholeSheet) return;
    for (const auto& [recorded, width] : s.Widths)
        if (recorded == column) return;
    s.Widths.emplace_back(column, Calculation().ColumnWidth[static_cast<std::size_t>(column)]);
}

void HistoryCellChanging(CellField, std::size_t index) {
    if (!Recording()) return;
    HistoryState& h = H();
    if (!h.Open) OpenStep("Änderung");
    Snapshot& s = h.Current.Before;
    if (s.WholeSheet) return;
    if (index == AllCells) {
        s.WholeSheet = true;
        s.Whole = CaptureWhole();
        s.WholeWidths = Calculation().ColumnWidth;
        return;
    }
    const std::size_t cells = Calculation().CellText.size();
    if (h.Touched.size() != cells) h.Touched.assign(cells, 0);
    if (index >= cells || h.Touched[index] == h.Serial) return;
    h.Touched[index] = h.Serial;
    s.Cells.Add(index);
}

std::optional<StepSummary> UndoStep() { return Move(H().Undo, H().Redo); }

std::optional<StepSummary> RedoStep() { return Move(H().Redo, H().Undo); }

HistoryFigures CurrentHistory() {
    const HistoryState& h = H();
    return {h.Undo.size(), h.Redo.size(), h.Memory};
}

void SetHistoryBudget(std::size_t bytes) {
    H().Budget = bytes;
    KeepWithinBudget();
}
