// A fresh program state with the main screen open, for the benchmarks.
#pragma once

#include <memory>
#include <string>

#include "platform/current_platform.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/runtime_state.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"

inline void OpenMainScreen(Int lines) {
    ResetProgramState();
    auto platform = std::make_unique<HeadlessPlatform>();
    platform->SetResourceFolder(TABRONA_BENCH_RESOURCES);
    InstallPlatform(std::move(platform));
    SetLogToStdout(false);
    t_InitWindow(0, 24, 121, lines, 8, DefaultFontName);
    t_WindowVisible(0, true);
}

enum class Filling { PlusOne, Functions, Texts };

inline std::string Below(Int row, Int column) {
    return "Z" + std::to_string(row - 1) + "S" + std::to_string(column);
}

inline std::string FormulaFor(Filling filling, Int row, Int column) {
    const std::string above = Below(row, column);
    if (filling == Filling::PlusOne) return "=" + above + "+1";
    return "=Round(Sin(" + above + "),2)+Sqrt(Abs(" + above + "))+Val(Str$(" + above + "))/2";
}

// Filled in reading order, as typing or loading a file would, into the empty
// sheet that OpenMainScreen leaves.
inline void FillSheet(Filling filling) {
    CalculationState& calc = Calculation();
    for (Int column = 1; column <= calc.ColumnCount; ++column) {
        const auto first = static_cast<std::size_t>(CellIndex(1, column));
        calc.CellText.Set(first, Text::FromBytes(std::to_string(column) + ",25"));
        SetCellKind(calc.CellAttributes.Edit(first), CellKindNumber);
    }
    for (Int row = 2; row <= calc.RowCount; ++row) {
        for (Int column = 1; column <= calc.ColumnCount; ++column) {
            const auto index = static_cast<std::size_t>(CellIndex(row, column));
            if (filling == Filling::Texts) {
                calc.CellText.Set(index, Text::FromBytes("Text " + Below(row, column)));
                SetCellKind(calc.CellAttributes.Edit(index), CellKindText);
            } else {
                calc.CellFormula.Set(index, Text::FromBytes(FormulaFor(filling, row, column)));
                SetCellKind(calc.CellAttributes.Edit(index), CellKindUncomputed);
            }
        }
    }
}

