#include "workbook/workbook_files.h"

#include <mutex>

#include "platform/program_modules.h"
#include "workbook/csv_file.h"
#include "workbook/workbook_codecs.h"

// Weak: present where the formats are linked in, null in the program.
extern "C" __attribute__((weak)) const WorkbookCodecs* TabronaWorkbookCodecs();

namespace {

// The formats linked in, or those of the module, loaded at the first call
// and kept; nullptr and why when the module cannot be loaded.
const WorkbookCodecs* Codecs(std::string& error) {
    if (TabronaWorkbookCodecs) return TabronaWorkbookCodecs();
    static std::mutex loading;
    static const WorkbookCodecs* loaded = nullptr;
    const std::lock_guard<std::mutex> lock(loading);
    if (!loaded) {
        const auto entry =
            reinterpret_cast<WorkbookCodecsEntry>(ProgramModuleEntry(WorkbookModuleFile, WorkbookCodecsName, error));
        if (!entry) {
            error = "the module for Excel and OpenDocument files could not be loaded (" + error + ")";
            return nullptr;
        }
        loaded = entry();
    }
    return loaded;
}

bool EndsWith(std::string_view path, std::string_view extension) {
    if (path.size() < extension.size()) return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] + 32) : end[i];
        if (c != extension[i]) return false;
    }
    return true;
}

}  // namespace

WorkbookFormat FormatOfPath(std::string_view path) {
    if (EndsWith(path, ".xlsx")) return WorkbookFormat::Xlsx;
    if (EndsWith(path, ".ods")) return WorkbookFormat::Ods;
    if (EndsWith(path, ".csv")) return WorkbookFormat::Csv;
    if (EndsWith(path, ".txt") || EndsWith(path, ".tsv")) return WorkbookFormat::TabText;
    return WorkbookFormat::None;
}

const char* FormatExtension(WorkbookFormat format) {
    switch (format) {
        case WorkbookFormat::Xlsx: return ".xlsx";
        case WorkbookFormat::Ods: return ".ods";
        case WorkbookFormat::Csv: return ".csv";
        case WorkbookFormat::TabText: return ".txt";
        case WorkbookFormat::None: break;
    }
    return "";
}

std::optional<std::string> WorkbookBytes(WorkbookFormat format, const SheetTable& table,
                                         std::vector<std::pair<Int, Int>>& valuesOnly, std::string& error) {
    switch (format) {
        case WorkbookFormat::Xlsx:
        case WorkbookFormat::Ods: {
            const WorkbookCodecs* codecs = Codecs(error);
            if (!codecs) return std::nullopt;
            return format == WorkbookFormat::Xlsx ? codecs->XlsxFromTable(table, valuesOnly, error)
                                                  : codecs->OdsFromTable(table, valuesOnly, error);
        }
        case WorkbookFormat::Csv: return CsvFromTable(table);
        case WorkbookFormat::TabText: return TabTextFromTable(table);
        case WorkbookFormat::None: break;
    }
    error = "no format of another spreadsheet";
    return std::nullopt;
}

bool ReadWorkbookBytes(WorkbookFormat format, std::string_view bytes, SheetTable& table, std::string& error) {
    switch (format) {
        case WorkbookFormat::Xlsx:
        case WorkbookFormat::Ods: {
            const WorkbookCodecs* codecs = Codecs(error);
            if (!codecs) return false;
            return format == WorkbookFormat::Xlsx ? codecs->XlsxToTable(bytes, table, error)
                                                  : codecs->OdsToTable(bytes, table, error);
        }
        case WorkbookFormat::Csv:
        case WorkbookFormat::TabText: return CsvToTable(bytes, table, error);
        case WorkbookFormat::None: break;
    }
    error = "no format of another spreadsheet";
    return false;
}
