#include "app/batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
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
#include "sheet/recalculation.h"
#include "workbook/csv_file.h"
#include "workbook/workbook_files.h"

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

bool ReadFailed(const std::string& path) {
    const int error = LastFileError();
    if (error == 0) return false;
    Fail(error == ENOENT                ? path + ": no such file"
         : error == EISDIR              ? path + " is a folder"
         : error == NotRegularFileError ? path + " is not a regular file"
         : error == EFBIG               ? path + " is too large to be read"
                                        : path + " cannot be read: " + std::strerror(error));
    return true;
}

// The whole of a file that must exist and be readable; false with a message.
bool ReadInput(const std::string& path, std::string& text) {
    text = getstringfromfile(path);
    return !ReadFailed(path);
}

// The file's bytes, at most `limit` of them; false with a message.
bool ReadBytes(const std::string& path, std::uint64_t limit, std::string& bytes) {
    bytes = getbytesfromfile(path, limit);
    return !ReadFailed(path);
}

// What did not go across whole: a large sheet's cut, formulas as values.
void Notes(const std::string& file, const SheetTable& table, const std::vector<std::pair<Int, Int>>& valuesOnly) {
    if (table.CellsLeftOut > 0)
        std::fprintf(stderr, "tabrona: %s: %lld cells beyond 999 rows x 100 columns were left out (up to row %lld, "
                     "column %lld)\n", file.c_str(), static_cast<long long>(table.CellsLeftOut),
                     static_cast<long long>(std::max<Int>(table.LastRow, 1)),
                     static_cast<long long>(std::max<Int>(table.LastColumn, 1)));
    if (!valuesOnly.empty())
        std::fprintf(stderr, "tabrona: %s: %zu formulas went across as their values, as the other side cannot "
                     "compute them alike: %s\n", file.c_str(), valuesOnly.size(), ValuesOnlyText(valuesOnly).c_str());
}

// Writing OUT over IN would lose IN before it was ever read back.
bool DistinctFiles(const std::string& in, const std::string& out) {
    if (out == "-" || !SameFile(in, out)) return true;
    Fail(out + " is the same file as " + in);
    return false;
}

// The text, made in parts, to the file or to standard output ("-").
int Write(const TextParts& parts, const std::string& out) {
    if (out == "-") {
        bool written = true;
        parts([&written](std::string_view part) {
            return written = std::fwrite(part.data(), 1, part.size(), stdout) == part.size();
        });
        if (!written || std::fflush(stdout) != 0)
            return Fail(std::string("cannot write to standard output: ") + std::strerror(errno));
        return 0;
    }
    const int error = setpartstofile(parts, out);
    return error == 0 ? 0 : Fail("cannot write " + out + ": " + std::strerror(error));
}

int Write(const std::string& text, const std::string& out) { return Write(WholeText(text), out); }

// The Calculation file into the sheet; false with a message. A UTF-8 file,
// nearly every one, is read in blocks, line by line, so that it is never
// held whole on top of the sheet made of it. Any other (Mac OS Roman, one
// that cannot be read) is read again whole, which gives its message.
bool ReadCalculation(const std::string& path) {
    CalculationReader reader(ValidUtf8);
    bool known = false, calculation = false;
    if (ReadTextBlocks(path, std::size_t{1} << 16, [&](std::string_view block) { reader.Add(block); })) {
        reader.Finish();
        known = !reader.Stopped();
        calculation = reader.IsCalculation();
    }
    if (!known) {
        ClearCalculation();
        std::string file;
        if (!ReadInput(path, file)) return false;
        calculation = IsCalculationText(file);
        if (calculation) CalculationFromText(file);
    }
    if (!calculation) Fail(path + " is not a Calculation file");
    return calculation;
}

}  // namespace

int ExportCalculation(const std::string& in, const std::string& out) {
    Prepare();
    if (!DistinctFiles(in, out) || !ReadCalculation(in)) return 1;
    RecalculateCells();
    // Standard output gets tab-separated text, as a .txt file does; any
    // other name than the formats' keeps the exchange text of the file menu.
    const WorkbookFormat format = out == "-" ? WorkbookFormat::TabText : FormatOfPath(out);
    if (format == WorkbookFormat::None) {
        // The texts are all this needs: what passes keep goes, and the text
        // is written in parts as it is made, never held whole. (A workbook
        // reads the kept numbers.)
        ForgetRecalculation();
        Calculation().FormulasInsteadOfContents = false;
        return Write(ExportedTextInParts, out);
    }
    std::vector<std::pair<Int, Int>> valuesOnly;
    std::string error;
    const std::optional<std::string> bytes = WorkbookBytes(format, TableFromCalculation(), valuesOnly, error);
    if (!bytes) return Fail("cannot make " + out + ": " + error);
    const int status = Write(*bytes, out);
    if (status == 0) Notes(out, SheetTable(), valuesOnly);
    return status;
}

namespace {

// A file of another spreadsheet into the empty Calculation.
int ImportWorkbook(const std::string& in, WorkbookFormat format, const std::string& out) {
    std::string bytes;
    if (!DistinctFiles(in, out) || !ReadBytes(in, MaxWorkbookFileBytes, bytes)) return 1;
    SheetTable table;
    std::string error;
    if (!ReadWorkbookBytes(format, bytes, table, error)) return Fail(in + ": " + error);
    std::string().swap(bytes);
    PutTable(table);
    const int status = Write(CalculationFileText(CalculationToText()), out);
    if (status == 0) Notes(in, table, table.ValuesOnly);
    return status;
}

}  // namespace

int ImportText(const std::string& in, const std::string& out) {
    Prepare();
    const WorkbookFormat format = FormatOfPath(in);
    if (format == WorkbookFormat::Xlsx || format == WorkbookFormat::Ods || format == WorkbookFormat::Csv)
        return ImportWorkbook(in, format, out);
    std::string bytes;
    if (!DistinctFiles(in, out) || !ReadBytes(in, MaxTextFileBytes, bytes)) return 1;
    if (bytes.find('\0') != std::string::npos) return Fail(in + " is not a text file");
    // A byte-order mark is no cell's, and a text that is no UTF-8 comes from
    // Windows far more often than from an old Mac.
    std::string encoding;
    const std::string text = DecodedText(bytes, encoding);
    std::string().swap(bytes);
    const PasteOutcome outcome = PasteCells(text);
    if (outcome.LinesCut > 0)
        return Fail(in + " has " + std::to_string(outcome.LinesCut) + " lines more than the 999 rows of a Calculation");
    return Write(CalculationFileText(CalculationToText()), out);
}
