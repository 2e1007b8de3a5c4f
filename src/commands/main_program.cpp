#include "commands/main_program.h"

#include <filesystem>
#include <system_error>

#include "commands/cursor_moves.h"
#include "commands/macros.h"
#include "commands/menus.h"
#include "commands/open_calculation.h"
#include "commands/product.h"
#include "commands/recovery.h"
#include "commands/undo.h"
#include "commands/workbook_exchange.h"
#include "dialogs/dialogs.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "input/events.h"
#include "input/file_events.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/event_wait.h"
#include "runtime/key_codes.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"
#include "sheet/menu_settings.h"

namespace {

constexpr UInt8 W = SheetWindow;

CalculationState& C() { return Calculation(); }

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
    if (!TakeFileEvent(request)) return;
    if (request.Index == ExportFileEventType)
        ExportWorkbookBeside(FormatOfPath(request.Description));
    else
        OpenCalculation(request.Description);
}

void TellTooManyKeys() {
    TellUser("Macro", "Zu viele Tasten warten noch:", "Das Macro wurde nicht abgespielt.");
    RedrawAroundCursor();
}

bool InputWaiting() { return KeyQueueLength() > 0 || FileEventPendingFlag() || QuitRequestPending(); }

// Waits for a key, a file-open request or the host's quit request; the
// key's code, or -1 when something else came first. While nothing waits,
// the recovery copy is kept up to date.
// The next key; shifted tells whether Shift was held.
Int NextKey(bool& shifted) {
    while (!InputWaiting()) {
        WaitForInput([] { return InputWaiting() || RecoveryDue(); });
        if (!InputWaiting() && RecoveryDue()) UpdateRecoveryCopy();
    }
    if (QuitRequestPending()) return -1;
    t_Event event;
    if (!TakeKeyEvent(event)) return -1;
    Int key = event.Value;
    shifted = event.ShiftPressed;
    // Command with a key plays its macro into the keyboard input.
    if (key > 0 && key <= 127 && event.CommandPressed) {
        if (!PlayMacro(key)) TellTooManyKeys();
        key = 0;
    }
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
    ProgramBanner() = {"Tabrona", ProductVersion, "Calculation", ProductInformation};
    t_CursorHome(W);
    t_ClearEndOfWindow(W);
    t_ProgramBanner(W);
    SetProgramTitle();
    EnsurePreferencesFolder();
    StartSettings();
    parser_InitFunctions();
    Macros().LastLine = t_WindowPos(W, 7);
    LoadDefaultMacros();
    Parser().CellReferencesEnabled = true;
    InstallGridDisplay();
    // The menu's paste types ^V, which the main menu's paste key takes.
    SetPasteHook([] { t_TypeString(String(1, static_cast<char>(CtrlV))); });
    // An empty sheet first, so that a file that cannot be read leaves a
    // usable Calculation rather than none.
    ClearCalculation();
    const bool restored = OfferRecovery();
    if (FileEventPendingFlag()) {
        OpenRequestedFile();
    } else if (!restored) {
        t_CursorHome(W);
        t_ClearEndOfWindow(W);
        t_ProgramBanner(W);
        t_Cr(W);
        t_Print(W, String("Bitte irgendeine Taste drücken "));
        t_WaitKey(W);
    }
    ReturnToMainMenu();
    EnableHistory(true);
    StartHistory();
    Runtime().StartedUp = true;
}

}  // namespace

void MainProgram() {
    StartUp();
    CalculationState& c = C();
    while (!c.QuitRequested) {
        StatusColors();
        Runtime().WaitingAtMainMenu = c.MenuState == MainMenu;
        bool shifted = false;
        Int key = NextKey(shifted);
        Runtime().WaitingAtMainMenu = false;
        if (TakeQuitRequest()) {
            QuitProgramCommand();
            if (c.QuitRequested) break;
            Runtime().QuitDeclined = true;
            ReturnToMainMenu();
            continue;
        }
        if (FileEventPendingFlag()) OpenRequestedFile();
        NormalColors();
        SetStatusNote({});
        // Undo and redo work in every menu but the macro editor's, whose
        // keys are what a macro holds.
        if (key == CtrlBracket && c.MenuState != MacroMenu) {
            UndoCommand(shifted);
            key = 0;
        } else {
            BeginStep(StepName(c.MenuState, key));
            key = HandleMenuKey(key);
            EndStep();
        }
        if (key != 0 && c.MenuState == MacroMenu) DrawMacroList();
        if (key != 0 && c.MenuState != MacroMenu) {
            MoveCursor(key);
            RedrawScreen();
        }
        Runtime().UnsavedWork = c.Modified;
        NoteRecoveryChange();
        if (c.QuitRequested) break;
        DrawStatusLine();
    }
    RemoveRecoveryCopy();
    SetProgramTitle();
    SaveMacrosAtEnd();
    t_QuitProgram(W);
}
