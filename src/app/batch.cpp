#include "app/batch.h"

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
    text = getstringfromfile(path);
    const int error = LastFileError();
    if (error == 0) return true;
    Fail(error == ENOENT                ? path + ": no such file"
         : error == EISDIR              ? path + " is a folder"
         : error == NotRegularFileError ? path + " is not a regular file"
                                        : path + " cannot be read: " + std::strerror(error));
    return false;
}

// Writing OUT over IN would lose IN before it was ever read back.
bool DistinctFiles(const std::string& in, const std::string& out) {
    if (out == "-" || !SameFile(in, out)) return true;
    Fail(out + " is the same file as " + in);
    return false;
}

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
    if (!DistinctFiles(in, out) || !ReadInput(in, file)) return 1;
    if (!IsCalculationText(file)) return Fail(in + " is not a Calculation file");
    CalculationFromText(file);
    // Handed back before the sheet is computed and written, whose texts then
    // reuse its memory instead of touching new pages.
    std::string().swap(file);
    RecalculateCells();
    Calculation().FormulasInsteadOfContents = false;
    return Write(ExportedText(), out);
}

int ImportText(const std::string& in, const std::string& out) {
    Prepare();
    std::string text;
    if (!DistinctFiles(in, out) || !ReadInput(in, text)) return 1;
    if (text.find('\0') != std::string::npos) return Fail(in + " is not a text file");
    const PasteOutcome outcome = PasteCells(text);
    if (outcome.LinesCut > 0)
        return Fail(in + " has " + std::to_string(outcome.LinesCut) + " lines more than the 999 rows of a Calculation");
    return Write(CalculationFileText(CalculationToText()), out);
}
