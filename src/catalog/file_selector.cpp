#include "catalog/file_selector.h"

#include <algorithm>
#include <optional>

#include "catalog/catalog.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "input/events.h"
#include "input/file_events.h"
#include "input/input_line.h"
#include "platform/current_platform.h"
#include "platform/platform.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/key_codes.h"
#include "runtime/program.h"
#include "runtime/text.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

struct SelectorState {
    Int SelTop = 0;
    Int SelBottom = 0;
    Int SelRows = 0;
    Int SelWidth = 60;
    Int SelLeft = 1;
    Int SelFirst = 0;
    Int SelIndex = -1;
    bool SelFolderChoice = false;
    Int LastClickIndex = -1;
    Int LastClickTime = -1;
    std::string DesktopFolder;
};
ProgramState<SelectorState> state;

constexpr Int DoubleClickMilliseconds = 249;
constexpr char32_t Ellipsis = 191;
constexpr Int KeyUp = 11, KeyDown = 10, KeyPageUp = 18, KeyPageDown = 3, KeyHome = 2, KeyEnd = 5, KeyRight = 21,
              KeyLeft = 8, KeyForwardDelete = 7;

SelectorState& S() { return *state; }
CatalogState& C() { return Catalog(); }

Int BoxWidth(Int width) { return width == 40 || width == 80 ? width : 60; }
Int Half(UInt8 w) { return Screen().WindowTable[w].TextWidth / 2; }
Int TextHeight(UInt8 w) { return Screen().WindowTable[w].TextHeight; }
Int LastIndex() { return static_cast<Int>(C().CatList.size()) - 1; }

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}


bool FolderLike(const f_CatItem& item) { return item.KindNum == 2 || item.KindNum == 3; }

void Rows(UInt8 w) {
    SelectorState& s = S();
    t_CursorHome(w);
    for (Int r = 0; r < s.SelRows; ++r) {
        const Int i = s.SelFirst + r;
        if (i > LastIndex()) {
            t_ClearEndOfLine(w);
        } else {
            if (i == s.SelIndex) t_Inverse(w);
            t_Print(w, f_CatStr(C().CatList[static_cast<std::size_t>(i)], s.SelWidth, false));
            t_ClearEndOfLine(w);
            t_Normal(w);
        }
        // A line end after the last row would scroll the list up.
        if (r + 1 < s.SelRows) t_Cr(w);
    }
    t_Normal(w);
}

// The folder line: the folder centred, or its beginning and an ellipsis.
std::string FolderLine(Int width) {
    std::u32string folder = Scalars(t_ConvertUniCode(C().CatFolder).Converted);
    const auto inside = static_cast<std::size_t>(width - 2);
    if (folder.size() > inside) {
        folder.resize(inside - 1);
        folder += Ellipsis;
    }
    const std::size_t front = (inside - folder.size()) / 2;
    std::u32string line(front, U' ');
    line += folder;
    line.resize(inside, U' ');
    return Utf8(line);
}

void BoxContents(UInt8 w) {
    SelectorState& s = S();
    const Int left = Half(w) - s.SelWidth / 2 + 2;
    const Int right = Half(w) + s.SelWidth / 2 - 1;
    t_Area(w, left, s.SelTop + 1, right, s.SelTop + 2 + s.SelRows);
    t_CursorHome(w);
    t_ClearEndOfWindow(w);
    t_Inverse(w);
    t_Print(w, FolderLine(s.SelWidth));
    t_Htab(w, 1);
    t_Vtab(w, s.SelTop + 2);
    t_DialogTitle(w, std::to_string(C().CatCount) + " Objekte", s.SelWidth - 2);
    t_Area(w, left, s.SelTop + 3, right, s.SelTop + 2 + s.SelRows);
    t_CursorHome(w);
    s.SelFirst = 0;
    s.SelIndex = C().CatList.empty() ? -1 : 0;
    t_Normal(w);
    Rows(w);
}

void Reload(UInt8 w, const std::string& folder) {
    const std::string types = C().CatFileTypes;
    ResetCatalog();
    C().CatFolder = folder;
    C().CatFileTypes = types;
    S().SelFirst = 0;
    S().SelIndex = -1;
    const bool volumes = folder == CurrentPlatform().Folder(StandardFolder::Volumes);
    f_CatLoad(folder, false, false, volumes, types);
    // A folder that cannot be read still shows: empty, under its name.
    C().CatFolder = folder;
    C().CatFileTypes = types;
    BoxContents(w);
}

void ReloadParent(UInt8 w) {
    const std::string& folder = C().CatFolder;
    if (folder.size() >= 2) Reload(w, folderofpath(folder.substr(0, folder.size() - 1)));
}

const f_CatItem* Selected() {
    const Int i = S().SelIndex;
    return C().CatStatus == CatLoaded && i >= 0 && i <= LastIndex() ? &C().CatList[static_cast<std::size_t>(i)]
                                                                    : nullptr;
}

void OpenSelected(UInt8 w) {
    const f_CatItem* item = Selected();
    if (item && FolderLike(*item)) Reload(w, C().CatFolder + item->Name + "/");
}

void SelectLetter(UInt8 w, char32_t letter) {
    SelectorState& s = S();
    for (Int i = 0; i <= LastIndex(); ++i) {
        const std::u32string name = Scalars(C().CatList[static_cast<std::size_t>(i)].Name);
        const char32_t first = name.empty() ? 0 : name[0] <= 255 ? LowerCaseBytes[name[0]] : name[0];
        if (first < letter) continue;
        s.SelIndex = i;
        s.SelFirst = std::min(i, std::max<Int>(0, LastIndex() - s.SelRows + 1));
        Rows(w);
        return;
    }
    s.SelFirst = std::max<Int>(0, LastIndex() - s.SelRows + 1);
    s.SelIndex = LastIndex();
    Rows(w);
}

struct FolderKey {
    Int Key;
    StandardFolder Folder;
};

// The named folders of the list keys; Ctrl-A lists the program's own folder
// in place of an application bundle's.
constexpr FolderKey FolderKeys[] = {
    {TabKey, StandardFolder::Volumes},    {BackspaceKey, StandardFolder::Home},
    {CtrlA, StandardFolder::Application}, {CtrlF, StandardFolder::Documents},
    {CtrlL, StandardFolder::Downloads},   {CtrlP, StandardFolder::Pictures},
    {CtrlS, StandardFolder::Music},       {CtrlV, StandardFolder::Movies},
};

std::optional<std::string> FolderForKey(Int key) {
    if (key == CtrlD || key == CtrlN) return DesktopFolder();
    for (const FolderKey& entry : FolderKeys)
        if (entry.Key == key) return CurrentPlatform().Folder(entry.Folder);
    return std::nullopt;
}

// One key of the list: 13 or 27 when the selector ends, 0 when the key was
// used, else the key.
Int ListKey(UInt8 w, Int key) {
    SelectorState& s = S();
    const Int last = LastIndex();
    switch (key) {
        case KeyUp:
            if (s.SelIndex > 0) {
                const Int old = s.SelIndex--;
                if (old <= s.SelFirst) s.SelFirst = s.SelIndex;
                Rows(w);
            }
            return 0;
        case KeyDown:
            if (s.SelIndex < last) {
                if (++s.SelIndex > s.SelFirst + s.SelRows - 1) ++s.SelFirst;
                Rows(w);
            }
            return 0;
        case KeyPageUp:
            if (s.SelIndex > 0) {
                s.SelIndex = std::max<Int>(0, s.SelIndex - s.SelRows);
                s.SelFirst = std::max<Int>(0, s.SelFirst - s.SelRows);
                Rows(w);
            }
            return 0;
        case KeyPageDown:
            if (s.SelIndex < last) {
                s.SelIndex = std::min(last, s.SelIndex + s.SelRows);
                s.SelFirst += s.SelRows;
                if (last < s.SelFirst + s.SelRows) s.SelFirst = std::max<Int>(0, last - s.SelRows + 1);
                Rows(w);
            }
            return 0;
        case KeyHome:
            if (s.SelIndex > 0) {
                s.SelIndex = s.SelFirst = 0;
                Rows(w);
            }
            return 0;
        case KeyEnd:
            if (s.SelIndex < last) {
                s.SelFirst = std::max<Int>(0, last - s.SelRows + 1);
                s.SelIndex = last;
                Rows(w);
            }
            return 0;
        case ReturnKey: {
            const f_CatItem* item = Selected();
            if (!item) return 0;
            if (!FolderLike(*item) || s.SelFolderChoice) return ReturnKey;
            OpenSelected(w);
            return 0;
        }
        case KeyRight: OpenSelected(w); return 0;
        case KeyLeft: ReloadParent(w); return 0;
        case EscapeKey: s.SelIndex = -1; return EscapeKey;
        default: break;
    }
    if (const std::optional<std::string> folder = FolderForKey(key)) {
        Reload(w, *folder);
        return 0;
    }
    const char32_t lower = key >= 0 && key <= 255 ? LowerCaseBytes[key] : 0;
    if (lower >= 'a' && lower <= 'z') {
        SelectLetter(w, lower);
        return 0;
    }
    return key;
}

void Click(UInt8 w, Int column, Int line, Int time) {
    SelectorState& s = S();
    if (line == s.SelTop + 1) {
        if (C().CatFolder == "/")
            Reload(w, CurrentPlatform().Folder(StandardFolder::Volumes));
        else
            ReloadParent(w);
        return;
    }
    if (line <= s.SelTop + 2 || column - s.SelLeft < 1 || column - s.SelLeft > s.SelWidth - 2) return;
    const Int i = line - s.SelTop - 3 + s.SelFirst;
    if (i > LastIndex()) return;
    if (i != s.LastClickIndex || time - s.LastClickTime > DoubleClickMilliseconds) {
        s.LastClickIndex = i;
        s.LastClickTime = time;
        s.SelIndex = i;
        Rows(w);
        return;
    }
    OpenSelected(w);
}

// A host request to open a path: its folder is shown and the file selected.
void ShowRequested(UInt8 w, const std::string& path) {
    const int kind = filekind(path);
    if (path.empty() || kind <= 0) return;
    const std::string folder = folderofpath(path);
    if (folder != C().CatFolder) Reload(w, folder);
    if (kind != KindFile) return;
    const Int index = CatIndexOfName(nameofpath(path));
    if (index < 0) return;
    S().SelIndex = index;
    Rows(w);
}

// Waits for the next key, handling clicks and open requests meanwhile; the
// key's event is then CurrentEvent().
t_Event NextKey(UInt8 w) {
    for (;;) {
        WaitForInput([] { return KeyQueueLength() > 0 || MouseEventPendingFlag() || FileEventPendingFlag(); });
        // Clicks that came before a key are dealt with before it.
        while (MouseEventPendingFlag()) {
            const auto [column, line] = t_GetMouseText(w);
            if (column < 0) break;
            Click(w, column, line, CurrentMouseEvent().Time);
        }
        t_Event request;
        if (FileEventPendingFlag() && TakeFileEvent(request)) ShowRequested(w, request.Description);
        t_Event key;
        if (TakeKeyEvent(key) && key.Value != -1) return key;
    }
}

void ClearBox(UInt8 w, Int width, Int top, Int bottom) {
    t_ClearRect(w, Half(w) - width / 2 + 1, top, Half(w) + width / 2, bottom);
    t_FullArea(w);
}

std::string Result() {
    const f_CatItem* item = Selected();
    if (!item) return {};
    return item->Path + item->Name + (FolderLike(*item) ? "/" : "");
}

void SetUpBox(UInt8 w, Int top, Int rows, Int width) {
    SelectorState& s = S();
    s.SelTop = top;
    s.SelBottom = std::min(top + 3 + rows, TextHeight(w));
    s.SelRows = s.SelBottom - top - 3;
    s.SelWidth = BoxWidth(width);
    s.SelLeft = Half(w) - s.SelWidth / 2 + 1;
}

}  // namespace

std::string OpenFileSelector(UInt8 w, const std::string& startFolder, const std::string& title,
                             const std::string& types, Int top, Int rows, Int width, bool folderChoice, bool drawOnly) {
    SelectorState& s = S();
    s.LastClickIndex = s.LastClickTime = -1;
    ResetCatalog();
    s.SelFirst = 0;
    s.SelIndex = -1;
    const std::string folder =
        startFolder.empty() || filekind(startFolder) != KindFolder ? DesktopFolder() : WithSlash(startFolder);
    s.SelFolderChoice = folderChoice;
    f_CatLoad(folder, false, false, false, types);
    C().CatFolder = folder;
    C().CatFileTypes = types;
    SetUpBox(w, top, rows, width);
    t_FullArea(w);
    t_Dialog(w, title, s.SelLeft, s.SelTop, Half(w) + s.SelWidth / 2, s.SelBottom);
    BoxContents(w);
    if (drawOnly) return {};
    for (;;) {
        const Int result = ListKey(w, NextKey(w).Value);
        if (result == ReturnKey || result == EscapeKey) break;
    }
    ClearBox(w, s.SelWidth, s.SelTop, s.SelBottom);
    return Result();
}

std::string NamePrompt(UInt8 w, const std::string& prompt, const std::string& proposed, Int line, Int width,
                       bool drawOnly) {
    SelectorState& s = S();
    s.SelTop = line;
    s.SelBottom = line + 2;
    width = BoxWidth(width);
    const Int h = Half(w);
    const Int left = h - width / 2 + 1, inside = h - width / 2 + 2;
    t_Normal(w);
    t_FullArea(w);
    // In display mode 2 the letters l, m, k and j draw the frame's edges.
    t_DisplayMode(w, 2);
    const std::string top(static_cast<std::size_t>(width - 2), 'l'), bottom(static_cast<std::size_t>(width - 2), 'm');
    t_Htab(w, inside), t_Vtab(w, line + 2), t_Print(w, bottom);
    for (const Int y : {line, line + 1}) {
        t_Htab(w, left), t_Vtab(w, y), t_Print(w, std::string("k"));
        t_Htab(w, h + width / 2), t_Vtab(w, y), t_Print(w, std::string("j"));
    }
    t_Htab(w, inside), t_Vtab(w, line), t_Print(w, top);
    t_Cr(w);
    t_DisplayMode(w, 0);
    std::u32string cut = Scalars(prompt);
    cut.resize(std::min(cut.size(), static_cast<std::size_t>(width / 3 + 1)));
    const std::string shownPrompt = Utf8(cut);
    std::u32string filled = U" " + cut;
    filled.resize(static_cast<std::size_t>(width - 3), U' ');
    t_Htab(w, inside), t_Vtab(w, line + 1), t_Print(w, Utf8(filled));
    t_Htab(w, inside + 1), t_Vtab(w, line + 1);
    const Int room = width - static_cast<Int>(cut.size()) - 5;
    t_InputForm(w, shownPrompt, proposed, true, InputAny, room);
    if (drawOnly) return {};
    for (;;) {
        t_InputEdit(w, 0);
        t_WaitKey(w);
        const Int key = CurrentEvent().Value;
        if (key == ReturnKey) break;
        if (key == EscapeKey) {
            t_InputSetString(w, "");
            break;
        }
        t_InputEdit(w, key);
    }
    ClearBox(w, width, line, line + 2);
    return t_InputGetString(w);
}

std::string SaveFileSelector(UInt8 w, const std::string& startFolder, const std::string& title,
                             const std::string& prompt, const std::string& proposed, Int top, Int rows, Int width,
                             bool drawOnly) {
    const std::string folder = startFolder.empty() ? DesktopFolder() : startFolder;
    NamePrompt(w, prompt, proposed, top + rows, width, true);
    OpenFileSelector(w, folder, title, "", top, rows - 3, width, false, true);
    SelectorState& s = S();
    s.SelBottom = std::min(top + rows + 2, TextHeight(w));
    const Int listLeft = Half(w) - s.SelWidth / 2 + 2, listRight = Half(w) + s.SelWidth / 2 - 1;
    const auto listArea = [&] { t_Area(w, listLeft, s.SelTop + 3, listRight, s.SelTop + 2 + s.SelRows); };
    if (!drawOnly) {
        for (;;) {
            t_FullArea(w);
            t_InputEdit(w, 0);
            listArea();
            t_CursorOn(w);
            const t_Event event = NextKey(w);
            t_FullArea(w);
            t_InputEdit(w, 0);
            t_CursorOff(w);
            Int key = event.Value;
            if (key == EscapeKey) {
                t_InputSetString(w, "");
                break;
            }
            if (key == ReturnKey) break;
            if (key == KeyForwardDelete && event.OptionPressed) {
                t_InputEdit(w, 26);
                std::u32string name = Scalars(SelectedItemName());
                name.resize(std::min(name.size(), static_cast<std::size_t>(t_InputGetMaxCharacters(w))));
                t_InputSetString(w, Utf8(name));
                t_InputEdit(w, 6);
            } else if ((key < 32 || key == BackspaceKey) && event.OptionPressed) {
                listArea();
                key = ListKey(w, key);
                if (key == ReturnKey) break;
                if (key == EscapeKey) {
                    t_FullArea(w);
                    t_InputSetString(w, "");
                    break;
                }
            } else {
                t_InputEdit(w, key);
            }
            listArea();
        }
    }
    ClearBox(w, s.SelWidth, s.SelTop, s.SelBottom);
    const std::string name = t_InputGetString(w);
    return name.empty() ? std::string() : C().CatFolder + name;
}

std::string DesktopFolder() {
    if (S().DesktopFolder.empty()) S().DesktopFolder = CurrentPlatform().Folder(StandardFolder::Desktop);
    return S().DesktopFolder;
}

std::string SelectedItemName() {
    const f_CatItem* item = Selected();
    return item ? item->Name : std::string();
}

std::string SelectedItemFolder() {
    const f_CatItem* item = Selected();
    return item ? item->Path : std::string();
}

Int CatIndexOfName(const std::string& name) {
    const std::vector<f_CatItem>& list = C().CatList;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].Name == name) return static_cast<Int>(i);
    return -1;
}
