#include "app/batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "commands/text_files.h"
#include "files/file_utilities.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/exchange_text.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "tabrona: %s\n", message.c_str());
    return 1;
}

// The sheet's machinery without a screen; the file layer's error lines go
// to standard error, everything else of the log nowhere.
void Prepare() {
    SetLogToStdout(false);
    SetLogSink([](std::string_view line) {
        if (line.find(": Error #") != std::string_view::npos) std::fwrite(line.data(), 1, line.size(), stderr);
    });
    initoxtools();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    ClearCalculation();
}

// The whole of a file that must exist and be readable; false with a message.
bool ReadInput(const std::string& path, std::string& text) {
    const int kind = filekind(path);
    if (kind != KindFile) {
        Fail(path + (kind == KindFolder ? " is a folder" : ": no such file"));
        return false;
    }
    text = getstringfromfile(path);
    if (text.empty() && LastFileEncoding() == "Error: Unknown Encoding") {
        Fail(path + " cannot be read");
        return false;
    }
    return true;
}

// True when the sheet is as empty as a new one: no line of the file was
// understood.
bool NothingRead() {
    const CalculationState& c = Calculation();
    const auto custom = [](Int attributes) { return attributes != DefaultCellAttributes; };
    const auto wide = [](Int width) { return width != DefaultColumnWidth; };
    return std::none_of(c.CellAttributes.begin(), c.CellAttributes.end(), custom) &&
           std::none_of(c.ColumnWidth.begin() + 1, c.ColumnWidth.end(), wide);
}

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

int Write(const std::string& text, const std::string& out) {
    if (out == "-") {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            return Fail(std::string("cannot write to standard output: ") + std::strerror(errno));
        return 0;
    }
    const int error = setstringtofile(text, out);
    return error == 0 ? 0 : Fail("cannot write " + out + ": " + std::strerror(error));
}

}  // namespace

int ExportCalculation(const std::string& in, const std::string& out) {
    Prepare();
    std::string file;
    if (!ReadInput(in, file)) return 1;
    const bool blank = Blank(file);
    CalculationFromText(file);
    // Handed back before the sheet is computed and written, whose texts then
    // reuse its memory instead of touching new pages.
    std::string().swap(file);
    if (!blank && NothingRead()) return Fail(in + " is not a Calculation file");
    RecalculateCells();
    Calculation().FormulasInsteadOfContents = false;
    return Write(ExportedText(), out);
}

int ImportText(const std::string& in, const std::string& out) {
    Prepare();
    std::string text;
    if (!ReadInput(in, text)) return 1;
    if (text.find('\0') != std::string::npos) return Fail(in + " is not a text file");
    const PasteOutcome outcome = PasteCells(text);
    if (outcome.LinesCut > 0)
        return Fail(in + " has " + std::to_string(outcome.LinesCut) + " lines more than the 999 rows of a Calculation");
    return Write(CalculationFileText(CalculationToText()), out);
}
