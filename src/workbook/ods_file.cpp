#include "workbook/ods_file.h"

#include <charconv>
#include <cmath>
#include <map>
#include <tuple>

#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "workbook/xml_reader.h"
#include "workbook/zip_archive.h"

namespace {

constexpr std::string_view OfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view StyleNs = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view TextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view TableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view FoNs = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view NumberNs = "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0";

constexpr const char* MimeType = "application/vnd.oasis.opendocument.spreadsheet";

// A ods length in the unit the program counts widths in: xlsx's digit
// widths of 7 pixels at 96 pixels an inch.
constexpr double PixelsPerInch = 96.0, PixelsPerDigit = 7.0;

// ---- Writing ---------------------------------------------------------------

void Escaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

// A paragraph's text: runs of blanks and tabs have elements of their own,
// as XML readers fold them otherwise.
void Paragraph(std::string& out, std::string_view text) {
    out += "<text:p>";
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\t') {
            out += "<text:tab/>";
            ++i;
            continue;
        }
        if (text[i] != ' ') {
            const std::size_t end = text.find_first_of(" \t", i);
            Escaped(out, text.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
            i = end == std::string_view::npos ? text.size() : end;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] == ' ') ++end;
        const std::size_t blanks = end - i;
        const bool keepFirst = i > 0;  // one blank between words needs nothing
        if (keepFirst) out += ' ';
        const std::size_t extra = blanks - (keepFirst ? 1 : 0);
        if (extra == 1) out += "<text:s/>";
        if (extra > 1) out += "<text:s text:c=\"" + std::to_string(extra) + "\"/>";
        i = end;
    }
    out += "</text:p>";
}

std::string NumberAttribute(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

using StyleKey = std::tuple<Int, Int, Int>;

std::string CellStyleXml(const std::string& name, const StyleKey& key) {
    const auto [font, background, format] = key;
    std::string xml = "<style:style style:name=\"" + name + "\" style:family=\"table-cell\"";
    if (format == DisplayFormatCurrency) xml += " style:data-style-name=\"N2\"";
    xml += ">";
    if (background != 15) xml += "<style:table-cell-properties fo:background-color=\"#" + PaletteHex(background) + "\"/>";
    const char* align = format == DisplayFormatLeft       ? "start"
                        : format == DisplayFormatCentered ? "center"
                        : format == DisplayFormatRight || format == DisplayFormatCurrency ? "end"
                                                                                          : nullptr;
    if (align) xml += std::string("<style:paragraph-properties fo:text-align=\"") + align + "\"/>";
    if (font != 0) xml += "<style:text-properties fo:color=\"#" + PaletteHex(font) + "\"/>";
    return xml + "</style:style>";
}

class ContentWriter {
public:
    ContentWriter(const SheetTable& table, std::vector<std::pair<Int, Int>>& valuesOnly)
        : table_(table), valuesOnly_(valuesOnly), kinds_(TableKinds(table)) {}

    std::string Content() {
        std::string body;
        Columns(body);
        Rows(body);
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content"
            " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
            " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
            " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
            " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
            " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
            " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\""
            " xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\">"
            "<office:automatic-styles>"
            "<number:number-style style:name=\"N2\"><number:number number:decimal-places=\"2\""
            " number:min-decimal-places=\"2\" number:min-integer-digits=\"1\"/></number:number-style>";
        xml += styles_;
        xml += "</office:automatic-styles><office:body><office:spreadsheet><table:table table:name=\"Tabelle1\">";
        xml += body;
        return xml + "</table:table></office:spreadsheet></office:body></office:document-content>";
    }

private:
    void Columns(std::string& body) {
        std::map<Int, std::string> names;
        for (Int column = 1; column <= SheetColumnCount;) {
            const Int width = table_.Widths[static_cast<std::size_t>(column)];
            Int repeat = 1;
            while (column + repeat <= SheetColumnCount && table_.Widths[static_cast<std::size_t>(column + repeat)] == width)
                ++repeat;
            if (!names.count(width)) {
                const std::string name = "co" + std::to_string(names.size() + 1);
                names[width] = name;
                char inches[32];
                std::snprintf(inches, sizeof inches, "%.4fin",
                              ForeignColumnWidth(width) * PixelsPerDigit / PixelsPerInch);
                styles_ += "<style:style style:name=\"" + name + "\" style:family=\"table-column\">"
                           "<style:table-column-properties style:column-width=\"" + inches + "\"/></style:style>";
            }
            body += "<table:table-column table:style-name=\"" + names[width] + "\"";
            if (repeat > 1) body += " table:number-columns-repeated=\"" + std::to_string(repeat) + "\"";
            body += "/>";
            column += repeat;
        }
    }

    void Rows(std::string& body) {
        Int row = 1;
        for (std::size_t i = 0; i < table_.Cells.size();) {
            const Int cellRow = table_.Cells[i].Row;
            if (cellRow > row) {
                body += "<table:table-row";
                if (cellRow - row > 1) body += " table:number-rows-repeated=\"" + std::to_string(cellRow - row) + "\"";
                body += "><table:table-cell/></table:table-row>";
            }
            body += "<table:table-row>";
            Int column = 1;
            for (; i < table_.Cells.size() && table_.Cells[i].Row == cellRow; ++i) {
                const TableCell& cell = table_.Cells[i];
                if (cell.Column > column) {
                    body += "<table:table-cell";
                    if (cell.Column - column > 1)
                        body += " table:number-columns-repeated=\"" + std::to_string(cell.Column - column) + "\"";
                    body += "/>";
                }
                Cell(body, cell);
                column = cell.Column + 1;
            }
            body += "</table:table-row>";
            row = cellRow + 1;
        }
    }

    void Cell(std::string& body, const TableCell& cell) {
        body += "<table:table-cell";
        const std::string style = StyleName(cell);
        if (!style.empty()) body += " table:style-name=\"" + style + "\"";
        if (!cell.Formula.Empty()) {
            const CellKindLookup kindOf = [this](Int row, Int column) {
                return kinds_[static_cast<std::size_t>(CellIndex(row, column))];
            };
            const std::optional<std::string> formula = FormulaToForeign(cell.Formula, FormulaDialect::OpenDocument, kindOf);
            if (formula) {
                body += " table:formula=\"";
                Escaped(body, *formula);
                body += "\"";
            } else {
                valuesOnly_.emplace_back(cell.Row, cell.Column);
            }
        }
        const std::string shown = CalculationFileText(cell.Shown);
        if (cell.Kind == CellKindNumber)
            body += " office:value-type=\"float\" office:value=\"" + NumberAttribute(cell.Number) + "\"";
        else if (cell.Kind == CellKindText)
            body += " office:value-type=\"string\"";
        body += ">";
        if (cell.Kind != CellKindEmpty) Paragraph(body, shown);
        body += "</table:table-cell>";
    }

    std::string StyleName(const TableCell& cell) {
        const StyleKey key{cell.FontColor, cell.BackgroundColor, cell.Format};
        if (key == StyleKey{0, 15, DisplayFormatStandard}) return {};
        const auto found = cellStyles_.find(key);
        if (found != cellStyles_.end()) return found->second;
        const std::string name = "ce" + std::to_string(cellStyles_.size() + 1);
        cellStyles_[key] = name;
        styles_ += CellStyleXml(name, key);
        return name;
    }

    const SheetTable& table_;
    std::vector<std::pair<Int, Int>>& valuesOnly_;
    std::vector<Int> kinds_;
    std::string styles_;
    std::map<StyleKey, std::string> cellStyles_;
};

constexpr const char* Manifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\""
    " manifest:version=\"1.2\">"
    "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\""
    " manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>";

constexpr const char* Styles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-styles xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " office:version=\"1.2\"><office:styles/></office:document-styles>";

// ---- Reading ---------------------------------------------------------------

struct OdsStyle {
    Int FontColor = 0, BackgroundColor = 15, Format = DisplayFormatStandard;
    std::string DataStyle;
};

Int ColorOf(std::optional<std::string_view> hex, Int fallback) {
    if (!hex || hex->size() != 7 || (*hex)[0] != '#') return fallback;
    unsigned value = 0;
    const auto result = std::from_chars(hex->data() + 1, hex->data() + 7, value, 16);
    if (result.ptr != hex->data() + 7) return fallback;
    const Int index =
        PaletteIndexOf(static_cast<UInt8>(value >> 16), static_cast<UInt8>(value >> 8), static_cast<UInt8>(value));
    return index < 0 ? fallback : index;
}

// "2.258cm", "0.889in", "64.01pt", "24mm" in inches.
std::optional<double> Inches(std::string_view length) {
    double value = 0;
    const auto result = std::from_chars(length.data(), length.data() + length.size(), value);
    if (result.ec != std::errc()) return std::nullopt;
    const std::string_view unit(result.ptr, static_cast<std::size_t>(length.data() + length.size() - result.ptr));
    if (unit == "in") return value;
    if (unit == "cm") return value / 2.54;
    if (unit == "mm") return value / 25.4;
    if (unit == "pt") return value / 72.0;
    if (unit == "pc") return value / 6.0;
    return std::nullopt;
}

Int RepeatOf(const XmlAttributes& attributes, std::string_view name) {
    const auto text = attributes.Find(TableNs, name);
    Int value = 1;
    if (text) std::from_chars(text->data(), text->data() + text->size(), value);
    return std::max<Int>(value, 1);
}

struct PendingCell {
    Int Column = 0, Repeat = 1;
    TableCell Cell;
};

class ContentHandler : public XmlHandler {
public:
    explicit ContentHandler(SheetTable& table) : table_(table) {}

    bool Done() const override { return tableEnded_; }

    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.Space == StyleNs && name.Local == "style") return StartStyle(attributes);
        if (name.Space == NumberNs && (name.Local == "number-style" || name.Local == "currency-style")) {
            dataStyle_ = std::string(attributes.Find(StyleNs, "name").value_or(""));
            return;
        }
        if (name.Space == NumberNs && name.Local == "number" && !dataStyle_.empty()) {
            if (attributes.Find(NumberNs, "decimal-places") == std::optional<std::string_view>("2"))
                twoDecimals_[dataStyle_] = true;
            return;
        }
        if (name.Space == StyleNs) return StyleProperties(name, attributes);
        if (name.Space == TableNs) return TableElement(name, attributes);
        if (inCell_ && name.Space == TextNs) TextElement(name, attributes);
    }

    void End(const XmlName& name) override {
        if (name.Space == NumberNs && (name.Local == "number-style" || name.Local == "currency-style")) dataStyle_.clear();
        if (name.Space == StyleNs && name.Local == "style") style_.clear();
        if (name.Space == TextNs && name.Local == "p") --paragraph_;
        if (name.Space != TableNs) return;
        if (name.Local == "table" && inTable_) tableEnded_ = true;
        if (name.Local == "table-cell" || name.Local == "covered-table-cell") EndCell();
        if (name.Local == "table-row") EndRow();
    }

    void Characters(std::string_view text) override {
        if (inCell_ && paragraph_ > 0) text_ += text;
    }

private:
    void StartStyle(const XmlAttributes& attributes) {
        style_ = std::string(attributes.Find(StyleNs, "name").value_or(""));
        OdsStyle& style = styles_[style_];
        style.DataStyle = std::string(attributes.Find(StyleNs, "data-style-name").value_or(""));
    }

    void StyleProperties(const XmlName& name, const XmlAttributes& attributes) {
        if (style_.empty()) return;
        OdsStyle& style = styles_[style_];
        if (name.Local == "table-column-properties") {
            const auto width = attributes.Find(StyleNs, "column-width");
            if (const std::optional<double> inches = width ? Inches(*width) : std::nullopt)
                columnWidths_[style_] = ColumnWidthFromForeign(*inches * PixelsPerInch / PixelsPerDigit);
        } else if (name.Local == "table-cell-properties") {
            style.BackgroundColor = ColorOf(attributes.Find(FoNs, "background-color"), style.BackgroundColor);
        } else if (name.Local == "text-properties") {
            style.FontColor = ColorOf(attributes.Find(FoNs, "color"), style.FontColor);
        } else if (name.Local == "paragraph-properties") {
            const std::string_view align = attributes.Find(FoNs, "text-align").value_or("");
            style.Format = align == "start" || align == "left" ? DisplayFormatLeft
                           : align == "center"                 ? DisplayFormatCentered
                           : align == "end" || align == "right" ? DisplayFormatRight
                                                                : style.Format;
        }
    }

    void TableElement(const XmlName& name, const XmlAttributes& attributes) {
        if (name.Local == "table") {
            inTable_ = true;
        } else if (!inTable_) {
        } else if (name.Local == "table-column") {
            const Int repeat = RepeatOf(attributes, "number-columns-repeated");
            const std::string styleName(attributes.Find(TableNs, "style-name").value_or(""));
            const std::string cellStyle(attributes.Find(TableNs, "default-cell-style-name").value_or(""));
            const auto width = columnWidths_.find(styleName);
            for (Int i = 0; i < repeat && column_ < SheetColumnCount; ++i) {
                ++column_;
                if (width != columnWidths_.end()) table_.Widths[static_cast<std::size_t>(column_)] = width->second;
                columnStyles_[column_] = cellStyle;
            }
        } else if (name.Local == "table-row") {
            rowRepeat_ = RepeatOf(attributes, "number-rows-repeated");
            column_ = 0;
            pending_.clear();
        } else if (name.Local == "table-cell" || name.Local == "covered-table-cell") {
            StartCell(attributes);
        }
    }

    void TextElement(const XmlName& name, const XmlAttributes& attributes) {
        if (name.Local == "p") {
            if (paragraph_ == 0 && paragraphs_++ > 0) text_ += ' ';
            ++paragraph_;
        } else if (name.Local == "s" && paragraph_ > 0) {
            Int count = 1;
            if (const auto c = attributes.Find(TextNs, "c")) std::from_chars(c->data(), c->data() + c->size(), count);
            text_.append(static_cast<std::size_t>(std::clamp<Int>(count, 1, 1000)), ' ');
        } else if ((name.Local == "tab" || name.Local == "line-break") && paragraph_ > 0) {
            text_ += ' ';
        }
    }

    void StartCell(const XmlAttributes& attributes) {
        inCell_ = true;
        paragraphs_ = 0;
        paragraph_ = 0;
        text_.clear();
        PendingCell pending;
        pending.Repeat = RepeatOf(attributes, "number-columns-repeated");
        pending.Column = column_ + 1;
        TableCell& cell = pending.Cell;
        std::string styleName(attributes.Find(TableNs, "style-name").value_or(""));
        if (styleName.empty() && column_ + 1 <= SheetColumnCount) styleName = columnStyles_[column_ + 1];
        const auto style = styles_.find(styleName);
        if (style != styles_.end()) {
            cell.FontColor = style->second.FontColor;
            cell.BackgroundColor = style->second.BackgroundColor;
            cell.Format = twoDecimals_.count(style->second.DataStyle) ? DisplayFormatCurrency : style->second.Format;
        }
        cell.Foreign = std::string(attributes.Find(TableNs, "formula").value_or(""));
        type_ = std::string(attributes.Find(OfficeNs, "value-type").value_or(""));
        value_ = std::string(attributes.Find(OfficeNs, type_ == "boolean" ? "boolean-value" : "value").value_or(""));
        stringValue_ = attributes.Find(OfficeNs, "string-value").has_value();
        if (stringValue_) text_ = *attributes.Find(OfficeNs, "string-value");
        column_ = std::min<Int>(column_ + pending.Repeat, 1 << 30);
        current_ = std::move(pending);
    }

    void EndCell() {
        if (!inCell_) return;
        inCell_ = false;
        TableCell& cell = current_.Cell;
        double number = 0;
        const bool numeric = type_ == "float" || type_ == "percentage" || type_ == "currency";
        if (numeric && std::from_chars(value_.data(), value_.data() + value_.size(), number).ec == std::errc() &&
            std::isfinite(number)) {
            cell.Kind = CellKindNumber;
            cell.Number = number;
            cell.Shown = NumberShown(number);
        } else if (type_ == "boolean") {
            cell.Kind = CellKindNumber;
            cell.Number = value_ == "true" ? 1 : 0;
            cell.Shown = NumberShown(cell.Number);
        } else if (!text_.empty() || !cell.Foreign.empty()) {
            cell.Kind = CellKindText;
            cell.Shown = WithoutLineEnds(CalculationCodes(text_));
        }
        const bool styled = cell.FontColor != 0 || cell.BackgroundColor != 15 || cell.Format != DisplayFormatStandard;
        if (cell.Kind != CellKindEmpty || styled) pending_.push_back(std::move(current_));
    }

    // A row holds its cells once, however often it repeats: a file's
    // million empty rows cost nothing, and those with cells are entered up
    // to the sheet's last row and counted beyond it.
    void EndRow() {
        for (Int r = 0; r < rowRepeat_ && !pending_.empty(); ++r) {
            const Int row = row_ + 1 + r;
            if (row > SheetRowCount) {
                CountBeyond(row, rowRepeat_ - r);
                break;
            }
            for (const PendingCell& pending : pending_) AddRepeated(row, pending);
        }
        row_ = std::min<Int>(row_ + rowRepeat_, Int{1} << 40);
        pending_.clear();
    }

    void AddRepeated(Int row, const PendingCell& pending) {
        for (Int i = 0; i < pending.Repeat; ++i) {
            const Int column = pending.Column + i;
            if (column > SheetColumnCount) {
                if (pending.Cell.Kind == CellKindEmpty) return;
                table_.CellsLeftOut += pending.Repeat - i;
                table_.LastRow = std::max(table_.LastRow, row);
                table_.LastColumn = std::max(table_.LastColumn, pending.Column + pending.Repeat - 1);
                return;
            }
            TableCell cell = pending.Cell;
            cell.Row = row;
            cell.Column = column;
            // A formula repeated along a row or down moves as a copy does.
            cell.Shift[0] = row - (row_ + 1);
            cell.Shift[1] = i;
            table_.Add(std::move(cell));
        }
    }

    void CountBeyond(Int firstRow, Int rows) {
        Int cells = 0;
        for (const PendingCell& pending : pending_)
            if (pending.Cell.Kind != CellKindEmpty) cells += pending.Repeat;
        table_.CellsLeftOut += cells * rows;
        table_.LastRow = std::max(table_.LastRow, firstRow + rows - 1);
        for (const PendingCell& pending : pending_)
            if (pending.Cell.Kind != CellKindEmpty)
                table_.LastColumn = std::max(table_.LastColumn, std::min<Int>(pending.Column + pending.Repeat - 1, SheetColumnCount));
    }

    SheetTable& table_;
    std::map<std::string, OdsStyle> styles_;
    std::map<std::string, Int> columnWidths_;
    std::map<std::string, bool> twoDecimals_;
    std::map<Int, std::string> columnStyles_;
    std::string style_, dataStyle_;
    bool inTable_ = false, tableEnded_ = false, inCell_ = false, stringValue_ = false;
    Int row_ = 0, column_ = 0, rowRepeat_ = 1;
    int paragraph_ = 0, paragraphs_ = 0;
    std::string text_, type_, value_;
    PendingCell current_;
    std::vector<PendingCell> pending_;
};

}  // namespace

std::optional<std::string> OdsFromTable(const SheetTable& table, std::vector<std::pair<Int, Int>>& valuesOnly,
                                        std::string& error) {
    std::vector<ZipMember> members;
    members.push_back({"mimetype", MimeType, true});
    members.push_back({"META-INF/manifest.xml", Manifest, false});
    members.push_back({"styles.xml", Styles, false});
    members.push_back({"content.xml", ContentWriter(table, valuesOnly).Content(), false});
    return WriteZip(members, error);
}

bool OdsToTable(std::string_view bytes, SheetTable& table, std::string& error) {
    std::unique_ptr<ZipReader> zip = ZipReader::Open(bytes, error);
    if (!zip) return false;
    if (!zip->Has("content.xml")) {
        error = "no OpenDocument file (content.xml is missing)";
        return false;
    }
    const std::optional<std::string> content = zip->Read("content.xml", error);
    if (!content) return false;
    ContentHandler handler(table);
    if (!ParseXml(*content, handler, error)) {
        error = "content.xml: " + error;
        return false;
    }
    TranslateForeignFormulas(table, FormulaDialect::OpenDocument);
    return true;
}
