// CellChanging, declared with the arrays in cell_array.h and defined here,
// above the modules it tells, which include the arrays themselves.
#include "sheet/cell_array.h"

#include "sheet/history.h"
#include "sheet/recalculation.h"

void CellChanging(CellField field, std::size_t index) {
    HistoryCellChanging(field, index);
    RecalculationCellChanging(field, index);
}
