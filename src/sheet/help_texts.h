// The help texts of the six menus and the short word tables the grid
// display prints values with. Pure data: one row per entry.
#pragma once

#include <array>
#include <string_view>

#include "runtime/types.h"
#include "sheet/calculation.h"

inline constexpr Int MenuCount = MacroMenu + 1;  // main, Ablage/Format, Auswahl, Suchen, Drucken, Macro
inline constexpr Int HelpLineCount = 7;  // screen lines 2-8; the second one is the title
inline constexpr Int FirstHelpLine = 2;
inline constexpr Int HelpTitleLine = 3;
inline constexpr Int WideHelpWidth = 120;
inline constexpr Int NarrowHelpWidth = 80;

// UTF-8 lines, printed as they are: trailing blanks belong to them. A line
// is either the full width or a short prefix that live values follow.
using MenuHelpLines = std::array<std::string_view, HelpLineCount>;
using MenuHelpTable = std::array<MenuHelpLines, MenuCount>;

// The texts used when ColorMode is set (120 characters) and otherwise (80).
extern const MenuHelpTable WideMenuHelp;
extern const MenuHelpTable NarrowMenuHelp;

// Boolean settings, indexed by the flag (0 = off).
inline constexpr std::array<std::string_view, 2> OnOffWords = {"aus", "ein"};
// AutoRecalculate.
inline constexpr std::array<std::string_view, 2> CalculationWords = {"man.", "auto"};
// The paper setting of printing: endless or single sheets.
inline constexpr std::array<std::string_view, 2> PaperWords = {"endlos", "einzel"};

// The names of DisplayFormat 0-4.
inline constexpr std::array<std::string_view, 5> DisplayFormatNames = {
    "Standard",
    "Linksbündig",
    "Zentriert",
    "Rechtsbündig",
    "Währung",
};

// Status-line letter of CellKind 0-3; any other kind shows UnknownCellKindLetter.
inline constexpr std::array<std::string_view, 4> CellKindLetters = {" ", "f", "T", "Z"};
inline constexpr std::string_view UnknownCellKindLetter = "?";

// Status-line indicator of MenuState 1-5 (index 0 is unused: the main menu
// shows the cell kind instead).
inline constexpr std::array<std::string_view, MenuCount> MenuIndicators = {"", "^Q ", "^O ", "^Z ", "^P ", "^Ö "};
// After the cell-kind letter in the main menu: Modified set / not set.
inline constexpr std::string_view ModifiedMark = ": ";
inline constexpr std::string_view UnmodifiedMark = "· ";

// The function overview.
inline constexpr std::string_view FunctionsHeading = "Eingebaute Funktionen:";
inline constexpr std::string_view OperatorsHeading = "Eingebaute Operatoren:";
inline constexpr std::string_view OperatorLine =
    "&  |  ~  &&  ||  ~~  <  >  <=  !>  >=  !<  =  ==  !#  #  <>  !=  +  -  *  /  \\  %  <<  >>  ^  -  !";
