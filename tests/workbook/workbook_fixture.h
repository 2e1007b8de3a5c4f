// Shared by the workbook tests: the sheet's machinery without a screen, a
// folder of the test's own, and the other programs the files are checked
// with (openpyxl, Gnumeric's ssconvert).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "process_support.h"

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/recalculation.h"
#include "workbook/sheet_table.h"
#include "workbook/workbook_files.h"

namespace fs = std::filesystem;

class WorkbookTest : public ::testing::Test {
public:
    void SetUp() override {
        SetLogToStdout(false);
        initoxtools();
        parser_InitFunctions();
        Parser().CellReferencesEnabled = true;
        ClearCalculation();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("tabrona-wb-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Entries as typed; computed once all are in.
    static void Enter(Int row, Int column, const std::string& entry) { EnterCell(row, column, CalculationCodes(entry)); }
    static std::string Shown(Int row, Int column) {
        return CalculationFileText(Calculation().CellText[static_cast<std::size_t>(CellIndex(row, column))]);
    }
    static std::string FormulaAt(Int row, Int column) {
        return CalculationFileText(Calculation().CellFormula.Get(static_cast<std::size_t>(CellIndex(row, column))));
    }
    static Int AttributesAt(Int row, Int column) {
        return Calculation().CellAttributes[static_cast<std::size_t>(CellIndex(row, column))];
    }

    // The Calculation written as the name's format, into the test's folder.
    std::string Export(const std::string& name, std::vector<std::pair<Int, Int>>* valuesOnly = nullptr) const {
        std::vector<std::pair<Int, Int>> cells;
        std::string error;
        const std::optional<std::string> bytes = WorkbookBytes(FormatOfPath(name), TableFromCalculation(), cells, error);
        EXPECT_TRUE(bytes) << error;
        if (valuesOnly) *valuesOnly = cells;
        return Put(name, bytes.value_or(""));
    }
    // The file into a new Calculation, as its extension says; false and why.
    static bool Import(const std::string& path, std::string& error, SheetTable* read = nullptr) {
        SheetTable table;
        if (!ReadWorkbookBytes(FormatOfPath(path), ReadAll(path), table, error)) return false;
        ClearCalculation();
        PutTable(table);
        if (read) *read = table;
        return true;
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return Path(name);
    }
    static std::pair<int, std::string> Run(const std::string& command) { return RunCommand(command, false); }
    // Debian's python3 (a python of its own on PATH may lack openpyxl).
    static std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }
    static bool HaveOpenpyxl() { return Run(Python() + " -c 'import openpyxl'").first == 0; }
    static bool HaveSsconvert() { return Run("command -v ssconvert").first == 0; }

    fs::path dir;
};

#define SKIP_WITHOUT(condition, tool) \
    if (!(condition)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh test installs it)"
