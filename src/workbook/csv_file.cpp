#include "workbook/csv_file.h"

#include <iconv.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

#include "files/file_utilities.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// A cell of the row in quotes, its own quotes doubled, where a reader would
// otherwise take it apart: in CSV when it holds a separator of any kind
// (so that one guessing the separator is not misled; what the reader takes
// for a number with its decimal comma excepted), a quote or a line end; in tab text, as in the
// program's exchange text, when it starts with a quote or holds a tab.
std::optional<double> FieldNumber(std::string_view field, char separator);

void AppendField(std::string& out, const std::string& field, char separator) {
    const bool quoted = separator == ';' ? field.find_first_of(";,\t\"\r\n") != std::string::npos &&
                                               !FieldNumber(field, ';')
                                         : field.starts_with('"') || field.find_first_of("\t\r\n") != std::string::npos;
    if (!quoted) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// CSV rows all have as many fields, as spreadsheets write them, so that a
// reader guessing the separator finds ";" in every line; tab text ends a
// row after its last value.
std::string Delimited(const SheetTable& table, char separator, std::string_view lineEnd) {
    Int width = 0;
    if (separator == ';')
        for (const TableCell& cell : table.Cells)
            if (!cell.Shown.Empty()) width = std::max(width, cell.Column);
    std::string out;
    Int row = 1, column = 1;
    const auto endRow = [&] {
        for (; column < width; ++column) out += separator;
        out += lineEnd;
        column = 1;
    };
    for (const TableCell& cell : table.Cells) {
        if (cell.Shown.Empty()) continue;
        for (; row < cell.Row; ++row) endRow();
        for (; column < cell.Column; ++column) out += separator;
        AppendField(out, CalculationFileText(cell.Shown), separator);
    }
    if (!out.empty()) endRow();
    return out;
}

struct IconvClose {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

// Through iconv; false when it cannot convert every byte.
bool Converted(std::string_view bytes, const char* from, std::string& out) {
    const iconv_t handle = iconv_open("UTF-8", from);
    if (handle == reinterpret_cast<iconv_t>(-1)) return false;
    std::unique_ptr<void, IconvClose> closer(handle);
    out.assign(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (iconv(handle, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    return true;
}

// The five bytes Windows-1252 leaves undefined are taken as Latin-1.
std::string FromWindows1252(std::string_view bytes) {
    std::string out;
    if (Converted(bytes, "WINDOWS-1252", out)) return out;
    out.clear();
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = start;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) != 0x81 &&
               static_cast<unsigned char>(bytes[end]) != 0x8D && static_cast<unsigned char>(bytes[end]) != 0x8F &&
               static_cast<unsigned char>(bytes[end]) != 0x90 && static_cast<unsigned char>(bytes[end]) != 0x9D)
            ++end;
        std::string part;
        if (!Converted(bytes.substr(start, end - start), "WINDOWS-1252", part)) part.clear();
        out += part;
        if (end < bytes.size()) AppendUtf8(out, static_cast<unsigned char>(bytes[end]));
        start = end + 1;
    }
    return out;
}

std::optional<double> FieldNumber(std::string_view field, char separator);

// How many fields each of the first lines has with the separator; quoted
// separators and line ends do not count.
std::vector<std::size_t> FieldCounts(std::string_view text, char separator) {
    std::vector<std::size_t> counts{1};
    bool quoted = false;
    for (std::size_t i = 0; i < text.size() && counts.size() <= 20; ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == separator) ++counts.back();
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (i + 1 < text.size()) counts.push_back(1);
        }
    }
    return counts;
}

// Lines whose commas each stand in one number with a decimal comma (or in
// one quoted field): a column of numbers, not cells separated by commas. A
// line without a comma (a text such a column holds) tells nothing.
bool DecimalCommaColumn(std::string_view text) {
    std::size_t start = 0;
    for (int line = 0; line < 20 && start < text.size(); ++line) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view field = text.substr(start, end - start);
        const bool oneQuoted = field.size() > 1 && field.front() == '"' && field.back() == '"';
        if (field.find(',') != std::string_view::npos && !oneQuoted && !FieldNumber(field, ';')) return false;
        start = text.find_first_not_of("\r\n", end);
        if (start == std::string_view::npos) break;
    }
    return true;
}

// Fields a line has with the separator when the first lines all have as
// many, and more than one; else 0.
std::size_t SteadyFields(std::string_view text, char separator) {
    const std::vector<std::size_t> counts = FieldCounts(text, separator);
    const bool steady = std::all_of(counts.begin(), counts.end(), [&](std::size_t n) { return n == counts[0]; });
    return steady && counts[0] > 1 ? counts[0] : 0;
}

// The separator that splits the first lines alike into more than one
// field: ";" or tab (the one giving more fields) before "," (which German
// numbers hold); else the one the first line has most of.
char DetectSeparator(std::string_view text) {
    const std::size_t semicolons = SteadyFields(text, ';'), tabs = SteadyFields(text, '\t');
    char chosen = tabs > semicolons ? '\t' : semicolons > 0 ? ';' : SteadyFields(text, ',') > 0 ? ',' : 0;
    if (!chosen) {
        std::size_t most = 1;
        chosen = ';';
        for (const char separator : {';', '\t', ','}) {
            const std::size_t count = FieldCounts(text, separator)[0];
            if (count > most) {
                most = count;
                chosen = separator;
            }
        }
    }
    return chosen == ',' && DecimalCommaColumn(text) ? ';' : chosen;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// "1234,5", "-1.234,50", "1,5e-05" with a decimal comma ("1.5" too, when it
// cannot be a group); with a decimal point when "," separates the cells.
// A leading zero before further digits keeps a postal code a text.
std::optional<double> FieldNumber(std::string_view field, char separator) {
    std::string_view s = field;
    std::string plain;
    if (!s.empty() && s[0] == '-') {
        plain += '-';
        s.remove_prefix(1);
    }
    std::string_view exponent;  // with its sign
    const std::size_t e = s.find_first_of("eE");
    if (e != std::string_view::npos) {
        exponent = s.substr(e + 1);
        s = s.substr(0, e);
        const std::string_view digits = exponent.substr(!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-'));
        if (!AllDigits(digits)) return std::nullopt;
    }
    const char decimal = separator == ',' ? '.' : ',';
    const std::size_t mark = s.find(decimal);
    std::string_view whole = s.substr(0, mark), fraction = mark == std::string_view::npos ? "" : s.substr(mark + 1);
    if (mark != std::string_view::npos && !AllDigits(fraction)) return std::nullopt;
    std::string digits;
    if (separator != ',' && whole.find('.') != std::string_view::npos) {
        // Groups of three ("1.234.567"), or else a decimal point ("1.5").
        const std::size_t first = whole.find('.');
        bool groups = mark == std::string_view::npos || !fraction.empty();
        groups = groups && first >= 1 && first <= 3 && (whole.size() - first) % 4 == 0;
        for (std::size_t i = first; groups && i < whole.size(); i += 4)
            groups = whole[i] == '.' && AllDigits(whole.substr(i + 1, 3));
        if (groups) {
            for (const char c : whole)
                if (c != '.') digits += c;
        } else if (mark == std::string_view::npos && whole.find('.', first + 1) == std::string_view::npos) {
            digits = std::string(whole.substr(0, first));
            fraction = whole.substr(first + 1);
            if (!AllDigits(fraction)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    } else {
        digits = std::string(whole);
    }
    if (!AllDigits(digits) || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    plain += digits;
    if (!fraction.empty()) plain += "." + std::string(fraction);
    if (e != std::string_view::npos) plain += "e" + std::string(exponent[0] == '+' ? exponent.substr(1) : exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

void AddField(SheetTable& table, Int row, Int column, const std::string& field, char separator) {
    if (field.empty()) return;
    TableCell cell;
    cell.Row = row;
    cell.Column = column;
    if (const std::optional<double> number = FieldNumber(field, separator)) {
        cell.Kind = CellKindNumber;
        cell.Number = *number;
        cell.Shown = NumberShown(*number);
    } else {
        cell.Kind = CellKindText;
        cell.Shown = WithoutLineEnds(CalculationCodes(field));
    }
    table.Add(std::move(cell));
}

}  // namespace

std::string CsvFromTable(const SheetTable& table) { return std::string(ByteOrderMark) + Delimited(table, ';', "\r\n"); }

std::string TabTextFromTable(const SheetTable& table) { return Delimited(table, '\t', "\n"); }

std::string DecodedText(std::string_view bytes, std::string& encoding) {
    if (bytes.starts_with(ByteOrderMark)) bytes.remove_prefix(ByteOrderMark.size());
    std::string out;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        encoding = "UTF-16";
        if (Converted(bytes, "UTF-16", out)) {
            if (out.starts_with(ByteOrderMark)) out.erase(0, ByteOrderMark.size());
            std::erase(out, '\0');  // no cell holds one
            return out;
        }
    }
    if (ValidUtf8(bytes)) {
        encoding = "UTF-8";
        return std::string(bytes);
    }
    encoding = "Windows-1252";
    return FromWindows1252(bytes);
}

bool CsvToTable(std::string_view bytes, SheetTable& table, std::string& error) {
    std::string encoding;
    const std::string text = DecodedText(bytes, encoding);
    // Looked for after decoding: UTF-16 holds zero bytes, and one that is
    // not (a byte-order mark before an odd count of bytes) is no text.
    if (text.find('\0') != std::string::npos) {
        error = "not a text file";
        return false;
    }
    const char separator = DetectSeparator(text);
    Int row = 1, column = 1;
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
            continue;
        }
        if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == separator || c == '\r' || c == '\n') {
            AddField(table, row, column, field, separator);
            field.clear();
            wasQuoted = false;
            if (c == separator) {
                ++column;
                continue;
            }
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++row;
            column = 1;
        } else {
            field += c;
        }
    }
    AddField(table, row, column, field, separator);
    return true;
}
