#include "commands/printing.h"

#include <algorithm>
#include <string>

#include "commands/menus.h"
#include "dialogs/dialogs.h"
#include "input/events.h"
#include "runtime/key_codes.h"
#include "runtime/printer.h"
#include "screen/glyph.h"
#include "screen/graphics.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/menu_settings.h"

namespace {

constexpr UInt8 PreviewWindow = 1;
constexpr UInt8 LineEnd = 13;

// --- the preview -----------------------------------------------------------

void Stroke(Int x1, Int y1, Int x2, Int y2) { g_Line(PreviewWindow, x1, y1, x2, y2); }
void Dot(Int x, Int y) { g_Plot(PreviewWindow, x, y); }

bool IsBlock(UInt8 code) {
    const bool letter = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
    const bool digit = code >= '0' && code <= '9';
    return letter || digit || code >= 127 || code == '#' || code == '$' || code == '%' || code == '&' || code == '@';
}

// The miniature of one character in the 2 x 4 pixels from (x, y) on.
void DrawShape(UInt8 code, Int x, Int y) {
    if (IsBlock(code)) {
        Stroke(x, y, x + 1, y);
        g_LineTo(PreviewWindow, x + 1, y + 3);
        g_LineTo(PreviewWindow, x, y + 3);
        g_LineTo(PreviewWindow, x, y);
        return;
    }
    switch (code) {
        case '!': Stroke(x, y, x, y + 1), Dot(x, y + 3); break;
        case '"':
        case '^': Stroke(x, y, x + 1, y); break;
        case '\'':
        case '`': Dot(x, y); break;
        case '(': Dot(x + 1, y), Stroke(x, y + 1, x, y + 2), Dot(x + 1, y + 3); break;
        case ')': Dot(x, y), Stroke(x + 1, y + 1, x + 1, y + 2), Dot(x, y + 3); break;
        case '*': Stroke(x, y, x + 1, y), Stroke(x, y + 1, x + 1, y + 1); break;
        case '+': Stroke(x, y + 1, x + 1, y + 1), Stroke(x, y + 2, x + 1, y + 2); break;
        case ',':
        case '.': Dot(x, y + 3); break;
        case '-':
        case '~': Stroke(x, y + 2, x + 1, y + 2); break;
        case '/': Stroke(x + 1, y, x, y + 4); break;
        case '\\': Stroke(x, y, x + 1, y + 4); break;
        case ':':
        case ';': Dot(x, y + 1), Dot(x, y + 3); break;
        case '<': Dot(x, y + 2), Dot(x + 1, y + 1), Dot(x + 1, y + 3); break;
        case '=': Stroke(x, y + 1, x + 1, y + 1), Stroke(x, y + 3, x + 1, y + 3); break;
        case '>': Dot(x, y + 1), Dot(x, y + 3), Dot(x + 1, y + 2); break;
        case '?': Dot(x, y), Dot(x + 1, y + 1), Dot(x, y + 2), Dot(x, y + 3); break;
        case '[':
        case '{': Stroke(x, y, x + 1, y), Stroke(x, y + 3, x + 1, y + 3), Dot(x, y + 1), Dot(x, y + 2); break;
        case ']':
        case '}': Stroke(x, y, x + 1, y), Stroke(x, y + 3, x + 1, y + 3), Dot(x + 1, y + 1), Dot(x + 1, y + 2); break;
        case '_': Stroke(x, y + 3, x + 1, y + 3); break;
        case '|': Stroke(x, y, x, y + 3); break;
        default: break;
    }
}

// The preview's message between pages; the key that closed it.
Int PageDialog(const String& line) {
    t_MessageBox(SheetWindow, "Druckvorschau", line, "", "Bitte irgendeine Taste drücken", "!");
    const std::u32string key = Scalars(t_WaitKey(SheetWindow));
    return key.empty() ? 0 : static_cast<Int>(key[0]);
}

void StartPreviewPage(Int page) {
    g_ClearScreen(PreviewWindow, 15, 0);
    t_WindowTitle(PreviewWindow, "Druckvorschau - Seite " + std::to_string(page));
}

// --- the printer -------------------------------------------------------------

// The mark between two pages: 80 characters, the words in the middle.
String PageBreakMark() { return "<" + String(31, '-') + " Seitenumbruch " + String(32, '-') + ">"; }

class PageWriter {
public:
    explicit PageWriter(const std::function<void(const String&, bool)>& done) : done_(done) {
        const PrintSettings& p = Printing();
        lineEnd_ = p.PrintLineFeed ? "\r\n" : "\r";
        StartPage();
    }

    void Put(UInt8 code) {
        const PrintSettings& p = Printing();
        if (code == LineEnd) return EndLine(lineEnd_);
        if (code < 32) return;
        // A line that would run past the sheet's width goes on in the next.
        if (width_ >= p.PrintSheetWidth) EndLine("\r");
        if (width_ == 0) page_.append(static_cast<std::size_t>(std::max<Int>(p.PrintLeftMargin, 0)), ' ');
        AppendUtf8(page_, code);
        ++width_;
    }

    void Finish() { done_(page_, false); }

private:
    void StartPage() {
        page_.clear();
        for (Int i = 0; i < Printing().PrintTopMargin; ++i) page_ += lineEnd_;
        lines_ = width_ = 0;
    }

    void EndLine(const String& end) {
        page_ += end;
        width_ = 0;
        if (++lines_ < Printing().PrintLinesPerSheet) return;
        page_ += PageBreakMark() + lineEnd_;
        done_(page_, true);
        StartPage();
    }

    const std::function<void(const String&, bool)>& done_;
    String lineEnd_;
    String page_;
    Int lines_ = 0;
    Int width_ = 0;
};

}  // namespace

Text BuildPrintText() {
    const CalculationState& c = Calculation();
    Text text;
    for (Int row = c.PrintStartRow; row <= c.PrintEndRow; ++row) {
        for (Int column = c.PrintStartColumn; column <= c.PrintEndColumn; ++column) text += CellPiece(row, column);
        text += LineEnd;
    }
    return text;
}

void PrinterPages(const Text& printText, const std::function<void(const String& page, bool broken)>& page) {
    PageWriter writer(page);
    for (const UInt8 code : printText.Elements) writer.Put(code);
    writer.Finish();
}

void PrintPreview() {
    const PrintSettings& p = Printing();
    const Text text = BuildPrintText();
    // Only characters whose miniature falls inside the window are drawn: a
    // page of many thousand lines costs no more than what shows.
    const Int width = t_WindowPos(PreviewWindow, 8), height = t_WindowPos(PreviewWindow, 9);
    Int page = 1, x = p.PrintLeftMargin, y = p.PrintTopMargin, lines = 0;
    t_ColorBorder(PreviewWindow, 0);
    StartPreviewPage(page);
    t_WindowVisible(PreviewWindow, true);
    t_Color(PreviewWindow, 0);
    bool ended = false;
    for (const UInt8 code : text.Elements) {
        if (code > 32) {
            if (2 * x + 1 < width && 4 * y + 3 < height) DrawShape(code, 2 * x, 4 * y);
            ++x;
        } else if (code != LineEnd) {
            ++x;
        } else if (++lines < p.PrintLinesPerSheet) {
            ++y;
            x = p.PrintLeftMargin;
        } else {
            t_WindowUpdate(PreviewWindow, false);
            // Esc ends the preview here: no walk through hundreds of pages.
            if (PageDialog("Nächste Seite anzeigen.") == EscapeKey) {
                ended = true;
                break;
            }
            StartPreviewPage(++page);
            x = p.PrintLeftMargin, y = p.PrintTopMargin, lines = 0;
        }
    }
    t_WindowUpdate(PreviewWindow, false);
    if (!ended) PageDialog("Druckvorschau fertig.");
    g_ClearScreen(PreviewWindow, 15, 0);
    t_WindowVisible(PreviewWindow, false);
}

void PrintToPrinter() {
    PrinterPages(BuildPrintText(), [](const String& page, bool broken) {
        p_AppendPrinter(page);
        if (broken && Printing().PrintPaper) TellUser("Drucken", "Bitte neues Blatt einlegen.", "");
    });
}
