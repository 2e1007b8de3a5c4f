#include "sheet/help_texts.h"

namespace {

// The empty lines of the print and macro menus still overwrite the whole line.
constexpr std::string_view WideBlankLine =
    "                                                                                                                        ";
constexpr std::string_view NarrowBlankLine =
    "                                                                                ";

}  // namespace

const MenuHelpTable WideMenuHelp = {{
    // 0: Hauptmenü
    {{
        "^Q = Ablage/Format      ^O = Auswahl            ^Z = Suchen            ^P = Drucken             ^Ö = Macro              ",
        " Hauptmenü:                                                     Esc = Hilfstexte & Statuszeilen ausblenden & einblenden ",
        "^V = Einfügen           ^L = Alles kopieren     ^^ = Neuberechnung     ^N = Weitersuchen        ^_ = Demodaten einfügen ",
        "^I = Spalte einfügen    ^H = Spalte links       ^K = Zeile oben        ^A = Zeilenafang         ^R = Seite nach oben    ",
        "^G = Spalte löschen     ^U = Spalte rechts      ^W = Oben scrollen     ^F = Zeilenende          ^C = Seite nach unten   ",
        "^T = Zeile einfügen     ^M = Feld bearbeiten    ^J = Zeile unten       ^B = Tabellenanfang      ^S = Seite nach links   ",
        "^X = Zeile löschen      Del= Feld löschen       ^Y = Unten scrollen    ^E = Tabellenende        ^D = Seite nach rechts  ",
    }},
    // 1: Ablage/Format
    {{
        "Datei = ",
        " Ablage/Format Menü:                                        Ü = Über Tabrona                            Esc = Hauptmenü ",
        "N = Neue Calculation          O = Calculation öffnen        S = Calculation sichern       U = Calculation Sichern unter ",
        "I = Text einfügen             J = Datenbank importieren     * = Formate kopieren (   )    # = Formeln statt Inhalt (   )",
        "C = Catalog zeigen            X = Datei löschen            -/+= Datei ent-/schützen       D = Datei umbenennen          ",
        "B = Spaltenbreite:            Z = Schrift:                  H = Hintergrund:              A = Ausrichtung:              ",
        "Q = Tabrona beenden           E = Text exportieren          F = Formeln berechnen (    )  ? = Hilfe anzeigen            ",
    }},
    // 2: Auswahl
    {{
        "Auswahl = ",
        " Auswahl Menü:                                                                                          Esc = Hauptmenü ",
        "A = Auswahlanfang             E = Auswahlende               T = Alles auswählen           O = Nichts auswählen          ",
        "C = Kopieren                  X = Ausschneiden              V = Einsetzen                 B = Löschen                   ",
        "L = Linksbündig               Z = Zentriert                 R = Rechtsbündig              N = Normal                    ",
        "K = Kleinbuchstaben           G = Großbuchstaben            M = Erster Buchstabe groß     W = Währung                   ",
        "S = Alles kopieren            U = Ablage löschen            D = Formate löschen           ? = Hilfe anzeigen            ",
    }},
    // 3: Suchen
    {{
        "Marker: ",
        " Suchen Menü:                                                                                           Esc = Hauptmenü ",
        "F = Suchen: ",
        "C = Ändern: ",
        "S = Suchen                    E = Ändern                    A = Alles ändern              Ä = Ändern & Suchen           ",
        "G = Groß/klein (   )          T = Teilsuche (   )           M = Marker setzen            0-9= Marker anzeigen           ",
        "Z = Zeile:                    P = Spalte:                   # = Seite:                    ? = Hilfe anzeigen            ",
    }},
    // 4: Drucken
    {{
        "Druckbereich: ",
        " Drucken Menü                                                                                           Esc = Hauptmenü ",
        WideBlankLine,
        WideBlankLine,
        "Z = Zeilen/Blatt:             L = Rand links:               T = Rand oben:                B = Blatt-Breite:             ",
        "F = Line-Feed (   )           R = Papier (      )           D = Druckerwahl ( )           K = Funktionen zeigen         ",
        "P = Drucken                   A = Druckanfang               E = Druckende                 ? = Hilfe anzeigen            ",
    }},
    // 5: Macro
    {{
        "^^ = Sonderzeichen mit nachfolgendem dreistelligen Character-Code (000 - 255) eingeben                                  ",
        " Macro Menü                                                                                             Esc = Hauptmenü ",
        "^K = Zeile oben               ^W = Oben scrollen            ^R = Seite oben               ^B = Macro-Anfang             ",
        "^J = Zeile unten              ^Y = Unten scrollen           ^C = Seite unten              ^E = Macro-Ende               ",
        WideBlankLine,
        "^L = Macros laden             ^S = Macros sichern           ^I = Macros importieren       ^U = Macros sichern unter     ",
        "^M = Macro Bearbeiten        DEL = Macro löschen            ^X = Alle Macros löschen       ? = Hilfe anzeigen           ",
    }},
}};

const MenuHelpTable NarrowMenuHelp = {{
    // 0: Hauptmenü
    {{
        "^Q = Ablage/Format    ^O = Auswahl    ^Z = Suchen    ^P = Drucken    ^Ö = Macro ",
        " Hauptmenü:             Esc = Hilfstexte & Statuszeilen ausblenden & einblenden ",
        "^V = Einfügen   ^L = Alles kop. ^^ = Neuberech.^N = Weitersuch. ^_ = Demodaten  ",
        "^I = Sp. einf.  ^H = Sp. links  ^K = Zl. oben  ^A = Zeilenafang ^R = Seite oben ",
        "^G = Sp. lösch. ^U = Sp. rechts ^W = Oben scr. ^F = Zeilenende  ^C = Seite unten",
        "^T = Zl. einf.  ^M = Bearbeiten ^J = Zl. unten ^B = Textanfang  ^S = Seite links",
        "^X = Zl. lösch. Del= Feld lösch.^Y = Unten scr.^E = Textende    ^D = Seite rech.",
    }},
    // 1: Ablage/Format
    {{
        "Datei = ",
        " Ablage/Format Menü:                    Ü = Über Tabrona        Esc = Hauptmenü ",
        "N = Neue Calculat.  O = Calc. öffnen    S = Calc. sichern   U = Sichern unter   ",
        "I = Text einfügen   J = Datenbank impt. * = Formate (   )   # = Formeln (   )   ",
        "C = Catalog zeigen  X = Datei löschen  -/+= Ent-/schützen   D = Datei Umbenennen",
        "B = Sp.-Breite:     Z = Sch:            H = Htg:            A = A:              ",
        "Q = Tabrona beenden E = Text exportier. F = Formeln (    )  ? = Hilfe anzeigen  ",
    }},
    // 2: Auswahl
    {{
        "Auswahl = ",
        " Auswahl Menü:                                                  Esc = Hauptmenü ",
        "A = Auswahlanfang   E = Auswahlende     T = Alles auswählen O = Nichts auswählen",
        "C = Kopieren        X = Ausschneiden    V = Einsetzen       B = Löschen         ",
        "L = Linksbündig     Z = Zentriert       R = Rechtsbündig    N = Normal          ",
        "K = Kleinbuchstaben G = Großbuchstaben  M = Erster B. groß  W = Währung         ",
        "S = Alles kopieren  U = Ablage löschen  D = Formate löschen ? = Hilfe anzeigen  ",
    }},
    // 3: Suchen
    {{
        "Marker: ",
        " Suchen Menü:                                                   Esc = Hauptmenü ",
        "F = Suchen: ",
        "C = Ändern: ",
        "S = Suchen          E = Ändern          A = Alles ändern    Ä = Ändern & Suchen ",
        "G = Gr./klein (   ) T = Teilsuche (   ) M = Marker setzen  0-9= Marker anzeigen ",
        "Z = Zeile:          P = Spalte:         # = Seite:          ? = Hilfe anzeigen  ",
    }},
    // 4: Drucken
    {{
        "Druckbereich: ",
        " Drucken Menü                                                   Esc = Hauptmenü ",
        NarrowBlankLine,
        NarrowBlankLine,
        "Z = Z./Blatt:       L = Rand links:     T = Rand oben:      B = Breite:         ",
        "F = Line-Feed (   ) R = Papier (      ) D = Druckerwahl ( ) K = Funktionen zeig.",
        "P = Drucken         A = Druckanfang     E = Druckende       ? = Hilfe anzeigen  ",
    }},
    // 5: Macro
    {{
        "^^ = Sonderzeichen mit nachfolgendem 3-stelligen Char-Code (000 - 255) eingeben ",
        " Macro Menü                                                     Esc = Hauptmenü ",
        "^K = Zeile oben    ^W = Oben scrollen  ^R = Seite oben     ^B = Macro-Anfang    ",
        "^J = Zeile unten   ^Y = Unten scrollen ^C = Seite unten    ^E = Macro-Ende      ",
        NarrowBlankLine,
        "^L = Macros laden  ^S = Macros sichern ^I = Importieren    ^U = Sichern unter   ",
        "^M = Bearbeiten   DEL = Macro löschen  ^X = Alle löschen    ? = Hilfe anzeigen  ",
    }},
}};
