#include "workbook/xlsx_file.h"

#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "files/file_utilities.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "workbook/xml_reader.h"
#include "workbook/zip_archive.h"

namespace {

// ---- Writing ---------------------------------------------------------------

struct WorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// A folder of our own for the library's files, removed with all in it.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tabrona-xlsx-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        if (path_.empty()) return;
        unlink(File().c_str());
        rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    bool Made() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    std::string File() const { return path_ + "/book.xlsx"; }

private:
    std::string path_;
};

using StyleKey = std::tuple<Int, Int, Int>;  // font colour, background, display format

class FormatCache {
public:
    explicit FormatCache(lxw_workbook* workbook) : workbook_(workbook) {}
    lxw_format* For(const TableCell& cell) {
        const StyleKey key{cell.FontColor, cell.BackgroundColor, cell.Format};
        if (key == StyleKey{0, 15, DisplayFormatStandard}) return nullptr;
        const auto found = formats_.find(key);
        if (found != formats_.end()) return found->second;
        lxw_format* format = workbook_add_format(workbook_);
        if (cell.FontColor != 0) format_set_font_color(format, Rgb(cell.FontColor));
        if (cell.BackgroundColor != 15) format_set_bg_color(format, Rgb(cell.BackgroundColor));
        switch (cell.Format) {
            case DisplayFormatLeft: format_set_align(format, LXW_ALIGN_LEFT); break;
            case DisplayFormatCentered: format_set_align(format, LXW_ALIGN_CENTER); break;
            case DisplayFormatRight: format_set_align(format, LXW_ALIGN_RIGHT); break;
            case DisplayFormatCurrency:
                format_set_num_format(format, "0.00");
                format_set_align(format, LXW_ALIGN_RIGHT);
                break;
            default: break;
        }
        formats_[key] = format;
        return format;
    }

private:
    static lxw_color_t Rgb(Int index) { return static_cast<lxw_color_t>(std::stoul(PaletteHex(index), nullptr, 16)); }
    lxw_workbook* workbook_;
    std::map<StyleKey, lxw_format*> formats_;
};

lxw_error WriteCell(lxw_worksheet* sheet, const TableCell& cell, lxw_format* format,
                    const std::optional<std::string>& formula) {
    const auto row = static_cast<lxw_row_t>(cell.Row - 1);
    const auto column = static_cast<lxw_col_t>(cell.Column - 1);
    const std::string shown = CalculationFileText(cell.Shown);
    if (formula && cell.Kind == CellKindNumber)
        return worksheet_write_formula_num(sheet, row, column, formula->c_str(), format, cell.Number);
    if (formula) return worksheet_write_formula_str(sheet, row, column, formula->c_str(), format, shown.c_str());
    if (cell.Kind == CellKindNumber) return worksheet_write_number(sheet, row, column, cell.Number, format);
    if (cell.Kind == CellKindText && !shown.empty())
        return worksheet_write_string(sheet, row, column, shown.c_str(), format);
    return format ? worksheet_write_blank(sheet, row, column, format) : LXW_NO_ERROR;
}

// ---- Reading ---------------------------------------------------------------

// Excel writes characters XML cannot hold as _xHHHH_.
std::string WithoutEscapes(std::string text) {
    std::size_t at = text.find("_x");
    if (at == std::string::npos) return text;
    std::string out;
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find("_x", at + 1)) {
        unsigned value = 0;
        if (at + 7 > text.size() || text[at + 6] != '_') continue;
        const auto result = std::from_chars(text.data() + at + 2, text.data() + at + 6, value, 16);
        if (result.ptr != text.data() + at + 6) continue;
        out.append(text, from, at - from);
        AppendUtf8(out, value);
        from = at + 7;
        at += 6;
    }
    return out + text.substr(from);
}

Text CellCodes(const std::string& utf8) { return WithoutLineEnds(CalculationCodes(WithoutEscapes(utf8))); }

std::optional<double> NumberOf(std::string_view text) {
    double value = 0;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

Int IntegerOf(std::optional<std::string_view> text, Int fallback) {
    if (!text) return fallback;
    Int value = fallback;
    std::from_chars(text->data(), text->data() + text->size(), value);
    return value;
}

// "C12" to (12, 3); (0, 0) when it is no cell name.
std::pair<Int, Int> CellPosition(std::string_view name) {
    std::size_t i = 0;
    while (i < name.size() && name[i] >= 'A' && name[i] <= 'Z') ++i;
    const Int column = ColumnFromLetters(name.substr(0, i));
    Int row = 0;
    const auto result = std::from_chars(name.data() + i, name.data() + name.size(), row);
    if (column == 0 || i == name.size() || result.ptr != name.data() + name.size() || row < 1) return {0, 0};
    return {row, column};
}

std::optional<std::string_view> Attribute(const XmlAttributes& attributes, std::string_view local) {
    return attributes.Find({}, local);
}

// The first sheet's member, from the workbook and its relationships.
class WorkbookHandler : public XmlHandler {
public:
    std::string FirstSheetId;
    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.Local != "sheet" || !FirstSheetId.empty()) return;
        for (const char* space : {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
                                  "http://purl.oclc.org/ooxml/officeDocument/relationships"})
            if (const auto id = attributes.Find(space, "id")) FirstSheetId = *id;
    }
    void End(const XmlName&) override {}
    void Characters(std::string_view) override {}
    bool Done() const override { return !FirstSheetId.empty(); }
};

class RelationsHandler : public XmlHandler {
public:
    std::map<std::string, std::string> Targets;  // by id
    std::string SharedStrings, Styles;
    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.Local != "Relationship") return;
        const auto id = Attribute(attributes, "Id");
        const auto target = Attribute(attributes, "Target");
        const auto type = Attribute(attributes, "Type");
        if (!id || !target || !type) return;
        Targets[std::string(*id)] = *target;
        if (type->ends_with("/sharedStrings")) SharedStrings = *target;
        if (type->ends_with("/styles")) Styles = *target;
    }
    void End(const XmlName&) override {}
    void Characters(std::string_view) override {}
};

class SharedStringsHandler : public XmlHandler {
public:
    std::vector<Text> Strings;
    void Start(const XmlName& name, const XmlAttributes&) override {
        if (name.Local == "si") current_.clear();
        if (name.Local == "rPh") ++phonetic_;
        if (name.Local == "t" && phonetic_ == 0) inText_ = true;
    }
    void End(const XmlName& name) override {
        if (name.Local == "t") inText_ = false;
        if (name.Local == "rPh") --phonetic_;
        if (name.Local == "si") Strings.push_back(CellCodes(current_));
    }
    void Characters(std::string_view text) override {
        if (inText_) current_ += text;
    }

private:
    std::string current_;
    bool inText_ = false;
    int phonetic_ = 0;
};

struct CellStyle {
    Int FontColor = 0, BackgroundColor = 15, Format = DisplayFormatStandard;
};

// A number format showing exactly two decimals ("0.00", "#,##0.00 €").
bool TwoDecimals(std::string_view code) {
    code = code.substr(0, code.find(';'));
    std::string plain;
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] == '"') {
            i = code.find('"', i + 1);
            if (i == std::string_view::npos) break;
        } else if (code[i] == '[') {
            i = code.find(']', i + 1);
            if (i == std::string_view::npos) break;
        } else if (code[i] == '\\') {
            ++i;
        } else {
            plain += code[i];
        }
    }
    if (plain.find_first_of("yYmMdDhHsS%@eE/") != std::string::npos) return false;
    const std::size_t point = plain.find('.');
    if (point == std::string::npos) return false;
    std::size_t places = 0;
    while (point + 1 + places < plain.size() && (plain[point + 1 + places] == '0' || plain[point + 1 + places] == '#'))
        ++places;
    return places == 2;
}

Int ColorIndex(std::optional<std::string_view> argb, Int fallback) {
    if (!argb || (argb->size() != 8 && argb->size() != 6)) return fallback;
    unsigned value = 0;
    const auto result = std::from_chars(argb->data(), argb->data() + argb->size(), value, 16);
    if (result.ptr != argb->data() + argb->size()) return fallback;
    const Int index = PaletteIndexOf(static_cast<UInt8>(value >> 16), static_cast<UInt8>(value >> 8),
                                     static_cast<UInt8>(value));
    return index < 0 ? fallback : index;
}

class StylesHandler : public XmlHandler {
public:
    std::vector<CellStyle> Styles;  // by xf index

    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        const std::string_view n = name.Local;
        if (n == "numFmt") {
            const auto code = Attribute(attributes, "formatCode");
            if (code && TwoDecimals(*code)) twoDecimalFormats_.push_back(IntegerOf(Attribute(attributes, "numFmtId"), -1));
        } else if (n == "font") {
            fonts_.push_back(0);
            inFont_ = true;
        } else if (n == "color" && inFont_) {
            fonts_.back() = ColorIndex(Attribute(attributes, "rgb"), 0);
        } else if (n == "fill") {
            fills_.push_back(15);
        } else if (n == "patternFill" && !fills_.empty()) {
            solid_ = Attribute(attributes, "patternType") == std::optional<std::string_view>("solid");
        } else if (n == "fgColor" && solid_ && !fills_.empty()) {
            fills_.back() = ColorIndex(Attribute(attributes, "rgb"), 15);
        } else if (n == "cellXfs") {
            inCellXfs_ = true;
        } else if (n == "xf" && inCellXfs_) {
            Styles.push_back(StyleOf(attributes));
        } else if (n == "alignment" && inCellXfs_ && !Styles.empty() && Styles.back().Format == DisplayFormatStandard) {
            const auto horizontal = Attribute(attributes, "horizontal").value_or("");
            Styles.back().Format = horizontal == "left"     ? DisplayFormatLeft
                                   : horizontal == "center" ? DisplayFormatCentered
                                   : horizontal == "right"  ? DisplayFormatRight
                                                            : DisplayFormatStandard;
        }
    }
    void End(const XmlName& name) override {
        if (name.Local == "font") inFont_ = false;
        if (name.Local == "patternFill") solid_ = false;
        if (name.Local == "cellXfs") inCellXfs_ = false;
    }
    void Characters(std::string_view) override {}

private:
    CellStyle StyleOf(const XmlAttributes& attributes) const {
        CellStyle style;
        const Int font = IntegerOf(Attribute(attributes, "fontId"), 0);
        const Int fill = IntegerOf(Attribute(attributes, "fillId"), 0);
        const Int number = IntegerOf(Attribute(attributes, "numFmtId"), 0);
        if (font >= 0 && static_cast<std::size_t>(font) < fonts_.size()) style.FontColor = fonts_[static_cast<std::size_t>(font)];
        if (fill >= 0 && static_cast<std::size_t>(fill) < fills_.size())
            style.BackgroundColor = fills_[static_cast<std::size_t>(fill)];
        const bool builtIn = number == 2 || number == 4 || number == 7 || number == 8;
        if (builtIn || std::find(twoDecimalFormats_.begin(), twoDecimalFormats_.end(), number) != twoDecimalFormats_.end())
            style.Format = DisplayFormatCurrency;
        return style;
    }

    std::vector<Int> fonts_, fills_, twoDecimalFormats_;
    bool inFont_ = false, solid_ = false, inCellXfs_ = false;
};

class SheetHandler : public XmlHandler {
public:
    SheetHandler(SheetTable& table, const std::vector<Text>& strings, const std::vector<CellStyle>& styles)
        : table_(table), strings_(strings), styles_(styles) {}

    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        const std::string_view n = name.Local;
        if (n == "col") {
            Columns(attributes);
        } else if (n == "row") {
            row_ = IntegerOf(Attribute(attributes, "r"), row_ + 1);
            column_ = 0;
        } else if (n == "c") {
            StartCell(attributes);
        } else if (inCell_ && (n == "v" || n == "t" || n == "f")) {
            text_.clear();
            collecting_ = true;
            if (n == "f") Formula(attributes);
        }
    }

    void End(const XmlName& name) override {
        const std::string_view n = name.Local;
        if (!inCell_) return;
        if (n == "v") value_ = text_;
        if (n == "t") inline_ += text_;
        if (n == "f" && !text_.empty()) {
            cell_.Foreign = "=" + text_;
            if (sharedIndex_ >= 0) shared_[sharedIndex_] = {text_, cell_.Row, cell_.Column};
        }
        if (n == "v" || n == "t" || n == "f") collecting_ = false;
        if (n == "c") EndCell();
    }

    void Characters(std::string_view text) override {
        if (collecting_) text_ += text;
    }

private:
    void Columns(const XmlAttributes& attributes) {
        const Int first = IntegerOf(Attribute(attributes, "min"), 0);
        const Int last = std::min<Int>(IntegerOf(Attribute(attributes, "max"), 0), SheetColumnCount);
        const auto width = Attribute(attributes, "width");
        const std::optional<double> value = width ? NumberOf(*width) : std::nullopt;
        if (!value) return;
        for (Int column = std::max<Int>(first, 1); column <= last; ++column)
            table_.Widths[static_cast<std::size_t>(column)] = ColumnWidthFromForeign(*value);
    }

    void StartCell(const XmlAttributes& attributes) {
        inCell_ = true;
        cell_ = TableCell();
        const auto reference = Attribute(attributes, "r");
        const auto [row, column] = reference ? CellPosition(*reference) : std::pair<Int, Int>{row_, column_ + 1};
        cell_.Row = row > 0 ? row : row_;
        cell_.Column = column > 0 ? column : column_ + 1;
        column_ = cell_.Column;
        type_ = std::string(Attribute(attributes, "t").value_or("n"));
        const Int style = IntegerOf(Attribute(attributes, "s"), 0);
        if (style > 0 && static_cast<std::size_t>(style) < styles_.size()) {
            const CellStyle& s = styles_[static_cast<std::size_t>(style)];
            cell_.FontColor = s.FontColor;
            cell_.BackgroundColor = s.BackgroundColor;
            cell_.Format = s.Format;
        }
        value_.reset();
        inline_.clear();
        sharedIndex_ = -1;
    }

    // A shared formula is written once at its anchor; the others name it.
    void Formula(const XmlAttributes& attributes) {
        if (Attribute(attributes, "t") != std::optional<std::string_view>("shared")) return;
        sharedIndex_ = IntegerOf(Attribute(attributes, "si"), -1);
        const auto anchor = shared_.find(sharedIndex_);
        if (anchor == shared_.end()) return;
        const auto& [text, row, column] = anchor->second;
        cell_.Foreign = "=" + text;
        cell_.Shift[0] = cell_.Row - row;
        cell_.Shift[1] = cell_.Column - column;
    }

    void EndCell() {
        inCell_ = false;
        collecting_ = false;
        if (type_ == "s") {
            const Int index = value_ ? IntegerOf(*value_, -1) : -1;
            if (index >= 0 && static_cast<std::size_t>(index) < strings_.size()) Text(strings_[static_cast<std::size_t>(index)]);
        } else if (type_ == "inlineStr") {
            Text(CellCodes(inline_));
        } else if (type_ == "n" && value_) {
            if (const std::optional<double> number = NumberOf(*value_)) {
                cell_.Kind = CellKindNumber;
                cell_.Number = *number;
                cell_.Shown = NumberShown(*number);
            }
        } else if (type_ == "b" && value_) {
            cell_.Kind = CellKindNumber;
            cell_.Number = *value_ == "1" ? 1 : 0;
            cell_.Shown = NumberShown(cell_.Number);
        } else if (value_) {
            Text(CellCodes(*value_));
        }
        // A formula still to be computed holds at least an empty text.
        if (!cell_.Foreign.empty() && cell_.Kind == CellKindEmpty) cell_.Kind = CellKindText;
        table_.Add(std::move(cell_));
    }

    void Text(::Text shown) {
        cell_.Kind = shown.Empty() && cell_.Foreign.empty() ? CellKindEmpty : CellKindText;
        cell_.Shown = std::move(shown);
    }

    SheetTable& table_;
    const std::vector<::Text>& strings_;
    const std::vector<CellStyle>& styles_;
    Int row_ = 0, column_ = 0;
    bool inCell_ = false, collecting_ = false;
    TableCell cell_;
    std::string type_;
    std::string text_, inline_;
    std::optional<std::string> value_;
    Int sharedIndex_ = -1;
    std::map<Int, std::tuple<std::string, Int, Int>> shared_;
};

bool ParseMember(ZipReader& zip, const std::string& name, XmlHandler& handler, std::string& error) {
    const std::optional<std::string> xml = zip.Read(name, error);
    if (!xml) return false;
    if (ParseXml(*xml, handler, error)) return true;
    error = name + ": " + error;
    return false;
}

}  // namespace

std::optional<std::string> XlsxFromTable(const SheetTable& table, std::vector<std::pair<Int, Int>>& valuesOnly,
                                         std::string& error) {
    ScratchFolder scratch;
    if (!scratch.Made()) {
        error = "no folder for temporary files";
        return std::nullopt;
    }
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(scratch.Path().c_str());
    std::unique_ptr<lxw_workbook, WorkbookFree> workbook(workbook_new_opt(scratch.File().c_str(), &options));
    lxw_worksheet* sheet = workbook ? workbook_add_worksheet(workbook.get(), "Tabelle1") : nullptr;
    if (!sheet) {
        error = "the workbook could not be started";
        return std::nullopt;
    }
    Int lastColumn = 0;
    for (const TableCell& cell : table.Cells) lastColumn = std::max(lastColumn, cell.Column);
    for (Int column = 1; column <= SheetColumnCount; ++column) {
        const Int width = table.Widths[static_cast<std::size_t>(column)];
        if (column <= lastColumn || width != DefaultColumnWidth)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(column - 1), static_cast<lxw_col_t>(column - 1),
                                 static_cast<double>(width), nullptr);
    }
    const std::vector<Int> kinds = TableKinds(table);
    const CellKindLookup kindOf = [&kinds](Int row, Int column) {
        return kinds[static_cast<std::size_t>(CellIndex(row, column))];
    };
    FormatCache formats(workbook.get());
    for (const TableCell& cell : table.Cells) {
        std::optional<std::string> formula;
        if (!cell.Formula.Empty()) {
            formula = FormulaToForeign(cell.Formula, FormulaDialect::Excel, kindOf);
            if (!formula) valuesOnly.emplace_back(cell.Row, cell.Column);
        }
        if (WriteCell(sheet, cell, formats.For(cell), formula) != LXW_NO_ERROR) {
            error = "cell Z" + std::to_string(cell.Row) + "S" + std::to_string(cell.Column) + " could not be written";
            return std::nullopt;
        }
    }
    const lxw_error closed = workbook_close(workbook.release());
    if (closed != LXW_NO_ERROR) {
        error = lxw_strerror(closed);
        return std::nullopt;
    }
    std::string bytes;
    const std::vector<std::uint8_t> file = getbinaryfromfile(scratch.File());
    if (LastFileError() != 0) {
        error = "the workbook written cannot be read back";
        return std::nullopt;
    }
    bytes.assign(file.begin(), file.end());
    return bytes;
}

bool XlsxToTable(std::string_view bytes, SheetTable& table, std::string& error) {
    std::unique_ptr<ZipReader> zip = ZipReader::Open(bytes, error);
    if (!zip) return false;
    if (!zip->Has("xl/workbook.xml")) {
        error = "no Excel workbook (xl/workbook.xml is missing)";
        return false;
    }
    WorkbookHandler workbook;
    RelationsHandler relations;
    if (!ParseMember(*zip, "xl/workbook.xml", workbook, error) ||
        !ParseMember(*zip, "xl/_rels/workbook.xml.rels", relations, error))
        return false;
    const auto target = relations.Targets.find(workbook.FirstSheetId);
    const std::string sheetPath = target == relations.Targets.end() ? std::string() : ArchivePath("xl/", target->second);
    if (sheetPath.empty()) {
        error = "the workbook names no sheet inside it";
        return false;
    }
    SharedStringsHandler strings;
    const std::string stringsPath = ArchivePath("xl/", relations.SharedStrings);
    if (!relations.SharedStrings.empty() && !stringsPath.empty() && zip->Has(stringsPath) &&
        !ParseMember(*zip, stringsPath, strings, error))
        return false;
    StylesHandler styles;
    const std::string stylesPath = ArchivePath("xl/", relations.Styles);
    if (!relations.Styles.empty() && !stylesPath.empty() && zip->Has(stylesPath) &&
        !ParseMember(*zip, stylesPath, styles, error))
        return false;
    SheetHandler sheet(table, strings.Strings, styles.Styles);
    if (!ParseMember(*zip, sheetPath, sheet, error)) return false;
    TranslateForeignFormulas(table, FormulaDialect::Excel);
    return true;
}
