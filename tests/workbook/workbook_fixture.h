// Shared by the workbook tests: the sheet's machinery without a screen, a
// folder of the test's own, and the other programs the files are checked
// with (openpyxl, Gnumeric's ssconvert).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/recalculation.h"

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
        return CalculationFileText(Calculation().CellFormula[static_cast<std::size_t>(CellIndex(row, column))]);
    }
    static Int AttributesAt(Int row, Int column) {
        return Calculation().CellAttributes[static_cast<std::size_t>(CellIndex(row, column))];
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static std::pair<int, std::string> Run(const std::string& command) {
        std::string output;
        FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
        if (!pipe) return {-1, ""};
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), output};
    }
    // Debian's python3 (a python of its own on PATH may lack openpyxl).
    static std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }
    static bool HaveOpenpyxl() { return Run(Python() + " -c 'import openpyxl'").first == 0; }
    static bool HaveSsconvert() { return Run("command -v ssconvert").first == 0; }

    fs::path dir;
};

#define SKIP_WITHOUT(condition, tool) \
    if (!(condition)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh test installs it)"
