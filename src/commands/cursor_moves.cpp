#include "commands/cursor_moves.h"

#include <algorithm>

#include "runtime/key_codes.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"

namespace {

CalculationState& C() { return Calculation(); }

Int GridHeight() { return C().GridBottom - C().GridTop; }

// Column 1 into the cursor, and into view when it is not shown.
void GoToColumnOne() {
    CalculationState& c = C();
    c.CursorColumn = 1;
    if (c.LeftColumn > 1 || c.RightColumn < 1) {
        c.LeftColumn = 1;
        BuildHeaderLine();
        RedrawScreen();
    }
}

void RowUpWithoutScrolling() {
    if (C().CursorRow >= 2)
        --C().CursorRow;
    else
        GoToColumnOne();
}

void RowDown() {
    CalculationState& c = C();
    if (c.CursorRow < c.RowCount) {
        if (++c.CursorRow > c.BottomRow) ++c.TopRow;
        return;
    }
    c.CursorColumn = c.ColumnCount;
    EnsureColumnVisible(c.CursorColumn);
    if (c.CursorRow > c.BottomRow) ++c.TopRow;
}

void ColumnLeft() {
    CalculationState& c = C();
    if (c.CursorColumn < 2) return;
    const Int old = c.CursorColumn--;
    if (old <= c.LeftColumn || c.CursorColumn > c.RightColumn) {
        c.LeftColumn = std::max<Int>(1, c.LeftColumn - 1);
        BuildHeaderLine();
        RedrawScreen();
        EnsureColumnVisible(c.CursorColumn);
    }
}

void ColumnRight() {
    CalculationState& c = C();
    if (c.CursorColumn < c.ColumnCount) {
        ++c.CursorColumn;
        EnsureColumnVisible(c.CursorColumn);
        return;
    }
    if (c.CursorRow >= c.RowCount) return;
    c.CursorColumn = 1;
    RowDown();
    GoToColumnOne();
}

void PageDown() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.CursorRow != c.RowCount) {
        c.CursorRow = std::min(c.CursorRow + h, c.RowCount);
        c.TopRow = std::min(c.TopRow + h, c.RowCount - h + 1);
        return;
    }
    c.CursorColumn = c.ColumnCount;
    EnsureColumnVisible(c.CursorColumn);
}

void PageUp() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.CursorRow == 1) {
        GoToColumnOne();
        return;
    }
    c.CursorRow = std::max<Int>(1, c.CursorRow - h);
    c.TopRow = std::max<Int>(1, c.TopRow - h);
}

void PageRight() {
    CalculationState& c = C();
    const Int n = c.CursorColumn + (c.RightColumn - c.LeftColumn + 1);
    if (n <= c.ColumnCount) {
        c.CursorColumn = n;
        c.LeftColumn = std::min(c.RightColumn + 1, c.ColumnCount);
    } else {
        c.CursorColumn = c.ColumnCount;
    }
    EnsureColumnVisible(c.CursorColumn);
    BuildHeaderLine();
    RedrawScreen();
}

void PageLeft() {
    CalculationState& c = C();
    const Int k = c.RightColumn - c.LeftColumn + 1;
    c.CursorColumn -= k;
    if (c.CursorColumn < 1)
        c.CursorColumn = 1;
    else
        c.LeftColumn = std::max<Int>(1, c.LeftColumn - k);
    EnsureColumnVisible(c.CursorColumn);
    BuildHeaderLine();
    RedrawScreen();
}

void ScrollUp() {
    CalculationState& c = C();
    if (c.TopRow >= 2) {
        --c.TopRow;
        RedrawGrid();
    }
    RowUpWithoutScrolling();
}

void ScrollDown() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.RowCount > h) {
        c.TopRow = std::min(c.TopRow + 1, c.RowCount - h + 1);
        RedrawGrid();
    }
    if (c.CursorRow < c.RowCount) {
        ++c.CursorRow;
    } else {
        c.CursorColumn = c.ColumnCount;
        EnsureColumnVisible(c.CursorColumn);
    }
}

void GoToTop() {
    C().TopRow = 1;
    C().CursorRow = 1;
    GoToColumnOne();
}

void GoToLastCell() {
    CalculationState& c = C();
    c.CursorRow = c.RowCount;
    c.TopRow = std::max<Int>(1, c.RowCount - GridHeight() + 1);
    c.CursorColumn = c.ColumnCount;
    EnsureColumnVisible(c.CursorColumn);
}

void GoToLastColumn() {
    C().CursorColumn = C().ColumnCount;
    EnsureColumnVisible(C().CursorColumn);
}

void RowUp() {
    RowUpWithoutScrolling();
    if (C().CursorRow < C().TopRow) --C().TopRow;
}

struct Movement {
    Int Key;
    void (*Move)();
};

// Each movement key and its move; the grid is redrawn after each.
constexpr Movement Movements[] = {
    {CtrlA, GoToColumnOne},
    {CtrlB, GoToTop},
    {CtrlC, PageDown},
    {CtrlD, PageRight},
    {CtrlE, GoToLastCell},
    {CtrlF, GoToLastColumn},
    {CtrlH, ColumnLeft},
    {CtrlT, ColumnLeft},
    {BackspaceKey, ColumnLeft},
    {TabKey, ColumnRight},
    {CtrlU, ColumnRight},
    {CtrlJ, RowDown},
    {CtrlK, RowUp},
    {CtrlR, PageUp},
    {CtrlS, PageLeft},
    {CtrlW, ScrollUp},
    {CtrlY, ScrollDown},
};

}  // namespace

bool MoveCursor(Int key) {
    for (const Movement& movement : Movements) {
        if (movement.Key != key) continue;
        movement.Move();
        RedrawGrid();
        return true;
    }
    return false;
}
