#include "sheet/main_program.h"
#include "runtime/program.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/log.h"
#include "platform/no_destructor.h"
#include "platform/platform.h"
#include "runtime/dialogs.h"
#include "runtime/event_wait.h"
#include "runtime/events.h"
#include "runtime/file_events.h"
#include "runtime/glyph.h"
#include "runtime/key_codes.h"
#include "runtime/text_output.h"
#include "runtime/window.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/help_texts.h"
#include "sheet/menu_settings.h"

namespace {

constexpr UInt8 W = SheetWindow;
constexpr UInt8 HorizontalRule = 154;  // fills the macro editor's header line

CalculationState& C() { return Calculation(); }

Int GridHeight() { return C().GridBottom - C().GridTop; }

// Column 1 into the cursor, and into view when it is not shown.
void GoToColumnOne() {
    CalculationState& c = C();
    c.CursorColumn = 1;
    if (c.LeftColumn > 1 || c.RightColumn < 1) {
        c.LeftColumn = 1;
        BuildHeaderLine();
        RedrawScreen();
    }
}

void RowUpWithoutScrolling() {
    if (C().CursorRow >= 2)
        --C().CursorRow;
    else
        GoToColumnOne();
}

void RowDown() {
    CalculationState& c = C();
    if (c.CursorRow < c.RowCount) {
        if (++c.CursorRow > c.BottomRow) ++c.TopRow;
        return;
    }
    c.CursorColumn = c.ColumnCount;
    EnsureColumnVisible(c.CursorColumn);
    if (c.CursorRow > c.BottomRow) ++c.TopRow;
}

void ColumnLeft() {
    CalculationState& c = C();
    if (c.CursorColumn < 2) return;
    const Int old = c.CursorColumn--;
    if (old <= c.LeftColumn || c.CursorColumn > c.RightColumn) {
        c.LeftColumn = std::max<Int>(1, c.LeftColumn - 1);
        BuildHeaderLine();
        RedrawScreen();
        EnsureColumnVisible(c.CursorColumn);
    }
}

void ColumnRight() {
    CalculationState& c = C();
    if (c.CursorColumn < c.ColumnCount) {
        ++c.CursorColumn;
        EnsureColumnVisible(c.CursorColumn);
        return;
    }
    if (c.CursorRow >= c.RowCount) return;
    c.CursorColumn = 1;
    RowDown();
    GoToColumnOne();
}

void PageDown() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.CursorRow != c.RowCount) {
        c.CursorRow = std::min(c.CursorRow + h, c.RowCount);
        c.TopRow = std::min(c.TopRow + h, c.RowCount - h + 1);
        return;
    }
    c.CursorColumn = c.ColumnCount;
    EnsureColumnVisible(c.CursorColumn);
}

void PageUp() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.CursorRow == 1) {
        GoToColumnOne();
        return;
    }
    c.CursorRow = std::max<Int>(1, c.CursorRow - h);
    c.TopRow = std::max<Int>(1, c.TopRow - h);
}

void PageRight() {
    CalculationState& c = C();
    const Int n = c.CursorColumn + (c.RightColumn - c.LeftColumn + 1);
    if (n <= c.ColumnCount) {
        c.CursorColumn = n;
        c.LeftColumn = std::min(c.RightColumn + 1, c.ColumnCount);
    } else {
        c.CursorColumn = c.ColumnCount;
    }
    EnsureColumnVisible(c.CursorColumn);
    BuildHeaderLine();
    RedrawScreen();
}

void PageLeft() {
    CalculationState& c = C();
    const Int k = c.RightColumn - c.LeftColumn + 1;
    c.CursorColumn -= k;
    if (c.CursorColumn < 1)
        c.CursorColumn = 1;
    else
        c.LeftColumn = std::max<Int>(1, c.LeftColumn - k);
    EnsureColumnVisible(c.CursorColumn);
    BuildHeaderLine();
    RedrawScreen();
}

void ScrollUp() {
    CalculationState& c = C();
    if (c.TopRow >= 2) {
        --c.TopRow;
        RedrawGrid();
    }
    RowUpWithoutScrolling();
}

void ScrollDown() {
    CalculationState& c = C();
    const Int h = GridHeight();
    if (c.RowCount > h) {
        c.TopRow = std::min(c.TopRow + 1, c.RowCount - h + 1);
        RedrawGrid();
    }
    if (c.CursorRow < c.RowCount) {
        ++c.CursorRow;
    } else {
        c.CursorColumn = c.ColumnCount;
        EnsureColumnVisible(c.CursorColumn);
    }
}

// Enters menu 1-4: its state, its help in help mode 9, the status line.
Int EnterMenu(Int menu, Int key) {
    C().MenuState = menu;
    if (C().GridTop == HelpModeAll) ShowMenuHelp(menu);
    RedrawScreen();
    return key;
}

// " Macro Editor " centred in the header line, filled with rules.
Text MacroHeaderLine() {
    const String title = " Macro Editor ";
    const Int width = C().ScreenColumns;
    const Int length = static_cast<Int>(title.size());
    Text line;
    const Int front = width - length >= 2 ? (width - length) / 2 : 0;
    line.Elements.assign(static_cast<std::size_t>(front), HorizontalRule);
    line += Text::FromBytes(title);
    line.Elements.resize(static_cast<std::size_t>(width), HorizontalRule);
    return line;
}

Int EnterMacroMenu(Int key) {
    CalculationState& c = C();
    c.MenuState = MacroMenu;
    c.HeaderLine = MacroHeaderLine();
    if (c.GridTop == HelpModeAll) ShowMenuHelp(MacroMenu);
    RedrawScreen();
    return key;
}

// A key of a menu and what it does: 0 when the key was consumed, else the
// key, which then moves the cursor.
struct MenuCommand {
    Int Key;
    Int (*Run)(Int key);
};

template <void (*Command)()>
Int Consumes(Int) {
    Command();
    return 0;
}

Int EditCursorCell(Int) {
    EditCell(C().CursorRow, C().CursorColumn, Text(), true);
    RedrawGrid();
    return 0;
}

Int NextHelpMode(Int key) {
    CycleHelpMode();
    ReturnToMainMenu();
    return key;
}

void Nothing() {}

// The main menu's keys. The pasteboard and search come with their own
// work; their keys are consumed meanwhile.
constexpr MenuCommand MainMenuCommands[] = {
    {CtrlG, Consumes<DeleteCellInRow>},
    {TabKey, Consumes<InsertCellInRow>},
    {ReturnKey, EditCursorCell},
    {CtrlT, Consumes<InsertCellInColumn>},
    {CtrlX, Consumes<DeleteCellInColumn>},
    {CtrlCaret, Consumes<RecalculateAll>},
    {CtrlUnderscore, Consumes<InsertDemoData>},
    {BackspaceKey, Consumes<ClearCell>},
    {CtrlL, Consumes<Nothing>},
    {CtrlN, Consumes<Nothing>},
    {CtrlV, Consumes<Nothing>},
    {CtrlO, [](Int key) { return EnterMenu(SelectionMenu, key); }},
    {CtrlP, [](Int key) { return EnterMenu(PrintMenu, key); }},
    {CtrlQ, [](Int key) { return EnterMenu(FileMenu, key); }},
    {CtrlZ, [](Int key) { return EnterMenu(SearchMenu, key); }},
    {EscapeKey, NextHelpMode},
    {CtrlOUmlaut, EnterMacroMenu},
};

// Each menu's key handler, by menu state. The commands of the other menus
// come with later work; until then those menus only lead back.
constexpr Int (*MenuHandlers[])(Int key) = {MainMenuKey, PlainMenuKey, PlainMenuKey,
                                            PlainMenuKey, PlainMenuKey, PlainMenuKey};
static_assert(std::size(MenuHandlers) == MenuCount);

Int HandleMenuKey(Int key) {
    const Int menu = C().MenuState;
    return (menu >= 0 && menu < MenuCount ? MenuHandlers[static_cast<std::size_t>(menu)] : PlainMenuKey)(key);
}

void SetProgramTitle() { t_WindowTitle(W, String("Tabrona ") + ProductInformation); }

void EnsurePreferencesFolder() {
    const std::string folder = CurrentPlatform().Folder(StandardFolder::Preferences);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) LogLine("createdirectory: Error #" + std::to_string(error.value()) + " " + error.message() + ": " + folder);
}

void StartSettings() {
    CalculationState& c = C();
    c.GridTop = HelpModeAll;
    Printing() = PrintSettings{};
    Search() = SearchSettings{};
}

void OpenRequestedFile() {
    t_Event request;
    if (TakeFileEvent(request)) OpenCalculationHook()(request.Description);
}

// Waits for a key or a file-open request; the key's code, or -1 when a
// file-open request came first.
Int NextKey() {
    WaitForInput([] { return KeyQueueLength() > 0 || FileEventPendingFlag(); });
    t_Event event;
    if (!TakeKeyEvent(event)) return -1;
    Int key = event.Value;
    // Command with a key selects a macro; the macros come with their menu.
    if (key > 0 && key <= 127 && event.CommandPressed) key = 0;
    return key;
}

void StartUp() {
    CalculationState& c = C();
    SetFileEventLog(true);
    ConnectDocumentRequests();
    c.ColorMode = true;
    c.ScreenColumns = 121;
    c.GridBottom = t_WindowPos(W, 16) > 1400 ? 80 : 50;
    t_InitWindow(W, 24, c.ScreenColumns, c.GridBottom, 8, DefaultFontName);
    t_Color(W, 0, 15);
    t_InitWindow(1, 4, true, 200, 368, 16, 16, EmptyFont(), true);
    t_WindowCenter(W);
    t_WindowFront(W);
    t_WindowVisible(W, true);
    ProgramBanner() = {"Tabrona", 144, "Calculation", ProductInformation};
    t_CursorHome(W);
    t_ClearEndOfWindow(W);
    t_ProgramBanner(W);
    SetProgramTitle();
    EnsurePreferencesFolder();
    StartSettings();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    InstallGridDisplay();
    if (FileEventPendingFlag()) {
        // An empty sheet first, so that a file that cannot be read leaves
        // a usable Calculation rather than none.
        ClearCalculation();
        OpenRequestedFile();
    } else {
        t_Cr(W);
        t_Print(W, String("Bitte irgendeine Taste drücken "));
        t_WaitKey(W);
        ClearCalculation();
    }
    ReturnToMainMenu();
}

}  // namespace

std::function<void(const String& path)>& OpenCalculationHook() {
    static NoDestructor<std::function<void(const String&)>> hook(
        [](const String& path) { LogLine("MainProgram: Opening Calculation files is not built yet: " + path); });
    return *hook;
}

void CycleHelpMode() {
    CalculationState& c = C();
    switch (c.GridTop) {
        case HelpModeAll:
            c.GridTop = HelpModeStatusAndHeader;
            c.RowNumberWidth = 4;
            break;
        case HelpModeStatusAndHeader:
            c.GridTop = HelpModeStatusOnly;
            c.RowNumberWidth = 0;
            break;
        case HelpModeStatusOnly:
            c.GridTop = HelpModeGridOnly;
            c.RowNumberWidth = 0;
            break;
        default:
            c.GridTop = HelpModeAll;
            c.RowNumberWidth = 4;
            // The grid gives its top lines back to the help: the cursor row stays on screen.
            if (c.CursorRow > c.BottomRow - HelpModeAll) c.TopRow += c.CursorRow - c.BottomRow + HelpModeAll;
            break;
    }
}

void ReturnToMainMenu() {
    NormalColors();
    CalculationState& c = C();
    c.MenuState = MainMenu;
    if (c.GridTop == HelpModeAll) ShowMenuHelp(MainMenu);
    EnsureColumnVisible(c.CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
}

Int MainMenuKey(Int key) {
    for (const MenuCommand& command : MainMenuCommands)
        if (command.Key == key) return command.Run(key);
    if (key < 32) return key;
    // Key codes are 8-bit; anything wider could not be a cell character.
    EditCell(C().CursorRow, C().CursorColumn, Text{static_cast<UInt8>(key <= 255 ? key : 127)}, true);
    RedrawGrid();
    return key;
}

Int PlainMenuKey(Int key) {
    if (key != 0 && key != ReturnKey && key != EscapeKey) return key;
    // The macro menu replaced the header line with its own.
    if (C().MenuState == MacroMenu) BuildHeaderLine();
    ReturnToMainMenu();
    return 0;
}

bool MoveCursor(Int key) {
    CalculationState& c = C();
    switch (key) {
        case CtrlA: GoToColumnOne(); break;
        case CtrlB:
            c.TopRow = 1;
            c.CursorRow = 1;
            GoToColumnOne();
            break;
        case CtrlC: PageDown(); break;
        case CtrlD: PageRight(); break;
        case CtrlE:
            c.CursorRow = c.RowCount;
            c.TopRow = std::max<Int>(1, c.RowCount - GridHeight() + 1);
            c.CursorColumn = c.ColumnCount;
            EnsureColumnVisible(c.CursorColumn);
            break;
        case CtrlF:
            c.CursorColumn = c.ColumnCount;
            EnsureColumnVisible(c.CursorColumn);
            break;
        case CtrlH:
        case CtrlT:
        case BackspaceKey: ColumnLeft(); break;
        case TabKey:
        case CtrlU: ColumnRight(); break;
        case CtrlJ: RowDown(); break;
        case CtrlK:
            RowUpWithoutScrolling();
            if (c.CursorRow < c.TopRow) --c.TopRow;
            break;
        case CtrlR: PageUp(); break;
        case CtrlS: PageLeft(); break;
        case CtrlW: ScrollUp(); break;
        case CtrlY: ScrollDown(); break;
        default: return false;
    }
    RedrawGrid();
    return true;
}

void MainProgram() {
    StartUp();
    CalculationState& c = C();
    while (!c.QuitRequested) {
        StatusColors();
        Int key = NextKey();
        if (FileEventPendingFlag()) OpenRequestedFile();
        NormalColors();
        key = HandleMenuKey(key);
        if (key != 0 && c.MenuState != MacroMenu) {
            MoveCursor(key);
            RedrawScreen();
        }
        if (c.QuitRequested) break;
        DrawStatusLine();
    }
    SetProgramTitle();
    t_QuitProgram(W);
}
