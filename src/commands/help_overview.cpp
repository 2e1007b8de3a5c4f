#include "commands/help_overview.h"

#include <array>
#include <string_view>

#include "formula/function_table.h"
#include "runtime/text.h"
#include "sheet/help_texts.h"

namespace {

constexpr std::array<std::string_view, MenuCount> Titles = {
    "Hauptmenü", "Ablage/Format (^Q)", "Auswahl (^O)", "Suchen (^Z)", "Drucken (^P)", "Macro (^Ö)",
};

std::string_view Trimmed(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// Keys the help lines have no room for.
constexpr std::string_view UndoKeys =
    "^] = Rückgängig (Strg + +)    Umschalt ^] = Wiederherstellen (Strg + *)   in jedem Menü außer dem Macro-Editor\n";

constexpr std::string_view PrimerText =
    "Rechnen mit Tabrona\n"
    "\n"
    "Ein Feld wird bearbeitet, indem man einfach lostippt (oder ^M drückt);\n"
    "Return übernimmt den Eintrag.\n"
    "\n"
    "Zahlen tippt man mit Dezimalkomma: 12,50 (ein Punkt geht auch).\n"
    "Ein Eintrag, der mit = beginnt, ist eine Formel: =Z2S1+Z3S1\n"
    "\n"
    "Feldbezüge: Z<Zeile>S<Spalte>, also Z2S1 = Zeile 2, Spalte 1.\n"
    "In Formeln schreibt man Zahlen mit Dezimalpunkt (0.19), denn das Komma\n"
    "trennt die Argumente einer Funktion: =Round(Z2S2/Z6S2*100,1)\n"
    "Zeichenketten stehen in Anführungszeichen: =Left$(\"Umsatz\",3)\n"
    "Operatoren: + - * / ^ ( ) und Vergleiche wie < > = <>\n"
    "\n"
    "Beispiel:\n"
    "  Z1S1 Miete       Z1S2 800\n"
    "  Z2S1 Strom       Z2S2 75,50\n"
    "  Z3S1 Summe       Z3S2 =Z1S2+Z2S2\n"
    "  Z4S1 Anteil      Z4S2 =Round(Z2S2/Z3S2*100,1)\n"
    "\n"
    "^^ rechnet alles neu; ^Q F schaltet das automatische Rechnen.\n"
    "^P K zeigt die Funktionen auch im Programm.\n"
    "\n"
    "Eingebaute Funktionen (A, B, ... sind die Argumente):\n";

constexpr Int ListWidth = 20;
constexpr Int ListColumns = 4;

}  // namespace

std::string MenuOverviewTitle(Int menu) {
    if (menu < 0 || menu >= MenuCount) return {};
    return std::string(Titles[static_cast<std::size_t>(menu)]);
}

std::string MenuKeyOverview(Int menu) {
    if (menu < 0 || menu >= MenuCount) return {};
    const MenuHelpLines& lines = WideMenuHelp[static_cast<std::size_t>(menu)];
    std::string overview(Trimmed(lines[HelpTitleLine - FirstHelpLine]));
    overview += "\n\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == HelpTitleLine - FirstHelpLine) continue;
        // A short first line only leads the live values the status shows.
        if (i == 0 && lines[i].size() < WideHelpWidth) continue;
        const std::string_view line = Trimmed(lines[i]);
        if (!line.empty()) overview.append(line).append("\n");
    }
    if (menu == MainMenu) overview.append(UndoKeys);
    return overview;
}

std::string FormulaPrimer() {
    std::string primer(PrimerText);
    const String list = TextToString(parser_FunctionList(ListWidth));
    const std::size_t entries = list.size() / ListWidth;
    for (std::size_t i = 0; i < entries; ++i) {
        const bool lineEnd = (i + 1) % ListColumns == 0 || i + 1 == entries;
        std::string_view entry(list.data() + i * ListWidth, ListWidth);
        if (lineEnd) entry = Trimmed(entry);
        primer.append("  ").append(entry);
        if (lineEnd) primer += '\n';
    }
    return primer;
}
