#include "screen/window.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/memory.h"
#include "screen/pixels.h"

namespace {

// Meant as it stands: it clears the low ten bits and bit 11 as well (not
// bit 10), as the original allocator did; window addresses, and the log
// lines that show them, depend on it.
constexpr std::uint32_t BlockMask = 0xFFFFF400;

std::string Hex8(Int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return text;
}

// Kilobyte figures in the memory messages: shortest exact digits, decimal comma.
std::string KiloText(Int bytes) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(bytes) / 1024.0,
                                      std::chars_format::fixed);
    std::string s(text, result.ptr);
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

std::string Prefix(UInt8 w) { return "t_InitWindow: GraphicWindow #" + std::to_string(w); }

// Start of a block of the given size ending at high, aligned down.
Int BlockStart(Int high, Int size) { return static_cast<Int>(static_cast<std::uint32_t>(high - size + 1) & BlockMask); }

// Moves the bytes [start, end] up by shift; memmove copes with the overlap.
// The moved windows' pictures stay as they were: their pixels only move.
void MoveBlockUp(Int start, Int end, Int shift) {
    UInt8* memory = Screen().VideoMemory.data();
    std::memmove(memory + start + shift, memory + start, static_cast<std::size_t>(end - start + 1));
}

// Initialised windows whose graphic block lies below address, highest first.
std::vector<int> WindowsBelow(Int address) {
    const t_Window* table = Screen().WindowTable;
    std::vector<int> windows;
    for (int k = 0; k < GraphicWindowCount; ++k)
        if (table[k].Initialized && table[k].MemoryStart < address) windows.push_back(k);
    std::stable_sort(windows.begin(), windows.end(),
                     [table](int a, int b) { return table[a].MemoryStart > table[b].MemoryStart; });
    return windows;
}

// Frees the window's blocks and closes the gap by moving the blocks of the
// windows allocated after it up.
void ReleaseBlocks(UInt8 w) {
    WindowMemory& screen = Screen();
    t_Window& win = screen.WindowTable[w];
    const std::string p = Prefix(w);
    const Int start = win.MemoryStart;
    const Int end = win.MemoryEnd;
    Int shift = end - start + 1;
    LogLine(p + " high memory = $" + Hex8(end) + ", graphic block size to delete = $" + Hex8(shift) + ".");
    if (win.HasText()) {
        const Int textSize = win.TextMemoryEnd - win.TextMemoryStart + 1;
        LogLine(p + " high memory = $" + Hex8(end) + ", text block size to delete = $" + Hex8(textSize) + ".");
        shift += textSize;
    }
    // Highest blocks first: a block moved up may land where a higher block
    // of another window still is, so that one has to move before.
    for (int k : WindowsBelow(end)) {
        t_Window& other = screen.WindowTable[k];
        LogLine(p + " moving graphic block for win #" + std::to_string(k) + "$" + Hex8(other.MemoryStart) + "..." +
                Hex8(other.MemoryEnd) + " to" + "$" + Hex8(other.MemoryStart + shift) + "..." +
                Hex8(other.MemoryEnd + shift));
        MoveBlockUp(other.MemoryStart, other.MemoryEnd, shift);
        if (other.TextMemoryStart >= 0 && other.TextMemoryStart < end) {
            LogLine(p + " moving text block for win #" + std::to_string(k) + "$" + Hex8(other.TextMemoryStart) +
                    "..." + Hex8(other.TextMemoryEnd) + " to" + "$" + Hex8(other.TextMemoryStart + shift) + "..." +
                    Hex8(other.TextMemoryEnd + shift));
            MoveBlockUp(other.TextMemoryStart, other.TextMemoryEnd, shift);
        }
        other.MemoryStart = other.MemoryStart + shift;
        other.MemoryEnd = other.MemoryEnd + shift;
        // A window without text keeps -1: shifting it would invent a text block.
        if (other.TextMemoryStart >= 0) {
            other.TextMemoryStart += shift;
            other.TextMemoryEnd += shift;
        }
    }
    screen.HighMemory += shift;
    // The freed addresses belong to other windows now.
    win.MemoryStart = -1;
    win.MemoryEnd = -1;
    win.TextMemoryStart = -1;
    win.TextMemoryEnd = -1;
}

void LogGraphicShortage(UInt8 w, Int freeBytes, Int width, Int height, Int depth, Int need) {
    LogLine(Prefix(w) + " has not enough graphic-video-memory (" + std::to_string(freeBytes / 1024) +
            "K available).");
    std::string kind = " pixel x " + std::to_string(depth) + " bit needs ";
    LogLine("t_InitWindow: Displaying " + std::to_string(width) + " x " + std::to_string(height) + kind +
            KiloText(need) + "K video-memory.");
}

// Graphic need in bytes for a depth; adjusts the width where the depth packs
// several pixels into a byte. Returns -1 for an unsupported depth.
Int GraphicNeed(UInt8 w, Int depth, Int& width, Int height) {
    const std::string p = Prefix(w);
    if (!SupportedDepth(depth)) {
        LogLine(p + " unsupported " + std::to_string(depth) + " bit depth.");
        return -1;
    }
    if (depth == 4 && width % 4 != 0) {
        LogLine(p + " width with 4 bit depth must be a multiple of 4.");
        width = ((width + 1) / 4) * 4;
    }
    if (depth == 1 && width % 8 != 0) {
        LogLine(p + " width with 1 bit depth must be a multiple of 8.");
        width = ((width + 7) / 8) * 8;
    }
    return height * GraphicRowBytes(depth, width);
}

bool UsableFont(const t_Font& font) { return font.HasGlyphs() && font.Width > 0 && font.Height > 0; }

void StartAutoUpdate() {
    WindowMemory& screen = Screen();
    if (screen.AutoUpdateStarted) return;
    // Marked here already so that a second window does not start a second
    // thread; the start is logged here too, so that it always comes before
    // the lines of the window that started it.
    screen.AutoUpdateStarted = true;
    LogLine("t_WindowAutoUpdateProcess: Start.");
    if (!CurrentPlatform().StartThread(0, AutoUpdateLoop)) screen.AutoUpdateStarted = false;
}

std::string WindowTitleFor(const t_Window& win) {
    std::string name = CurrentPlatform().ApplicationName();
    if (name.size() >= 4 && strncasecmp(name.c_str() + name.size() - 4, ".app", 4) == 0)
        name.resize(name.size() - 4);
    if (!win.HasText()) name += "-Grafik";
    return name;
}

void NotExist(const char* operation) { LogLine(std::string(operation) + ": Window does not exist."); }

bool HostWindowExists(UInt8 w) {
    bool exists = false;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] { exists = p.HasWindow(w); });
    return exists;
}

}  // namespace



void t_InitWindow(UInt8 w, Int bitDepth, Int columns, Int lines, Int border, const std::string& fontName) {
    const t_Font font = t_LoadFontResource(fontName);
    if (!UsableFont(font)) {
        LogLine("t_InitWindow: Font '" + fontName + "' not found.");
        return;
    }
    t_InitWindow(w, bitDepth, true, columns * font.Width, lines * font.Height, border, border, font, true);
}

void t_InitWindow(UInt8 w, Int bitDepth, bool autoUpdate, Int width, Int height, Int borderWidth,
                  Int borderHeight, const t_Font& font, bool titleVisible) {
    if (w >= GraphicWindowCount) {
        LogLine("t_InitWindow: Window is not a graphic window.");
        return;
    }
    const std::string p = Prefix(w);
    LogLine(p + " Start.");
    t_CheckMemory();
    WindowMemory& screen = Screen();
    if (screen.DefaultWindow == NoWindow) screen.DefaultWindow = w;
    StartAutoUpdate();

    t_Window& win = screen.WindowTable[w];
    if (win.Initialized) {
        win.Initialized = false;
        ReleaseBlocks(w);
    }
    const Int freeBytes = screen.HighMemory - ReservedLowMemory;

    if (width < 32 || width > 8192) {
        LogLine(p + " cannot display " + std::to_string(width) + " horizontal pixel.");
        width = 1280;
    }
    if (height < 32 || height > 8192) {
        LogLine(p + " cannot display " + std::to_string(height) + " vertical pixel.");
        height = 800;
    }
    const Int graphicNeed = GraphicNeed(w, bitDepth, width, height);
    if (graphicNeed < 0) return;
    if (graphicNeed > freeBytes) {
        LogGraphicShortage(w, freeBytes, width, height, bitDepth, graphicNeed);
        return;
    }
    if (!titleVisible) {
        t_WindowTitleVisible(w, false);
        LogLine(p + " title will be invisible.");
    }
    if (borderWidth < 0) borderWidth = t_WindowPos(w, 15) - width;
    if (borderHeight < 0) borderHeight = t_WindowPos(w, 16) - height;

    const bool hasFont = UsableFont(font);
    const Int columns = hasFont ? width / font.Width : -1;
    const Int lines = hasFont ? height / font.Height : -1;
    const Int textNeed = hasFont ? columns * lines * 2 : 0;
    if (textNeed > freeBytes) {
        LogLine(p + " has not enough text-video-memory (" + std::to_string(freeBytes / 1024) + "K available).");
        LogLine("t_InitWindow: Displaying " + std::to_string(columns) + " x " + std::to_string(lines) +
                " characters needs " + KiloText(textNeed) + "K text-video-memory.");
        return;
    }
    // Each need alone fits; both blocks together (with their alignment) must
    // too, or the text block would reach into the reserved low memory.
    const Int graphicStart = BlockStart(screen.HighMemory, graphicNeed);
    const Int lowest = textNeed > 0 ? BlockStart(graphicStart - 1, textNeed) : graphicStart;
    if (lowest < ReservedLowMemory) {
        LogGraphicShortage(w, freeBytes, width, height, bitDepth, graphicNeed + textNeed);
        return;
    }

    win.UpdateStarted = 0;
    win.UpdateFinished = 0;
    win.VerticalBlank = true;
    win.IgnoreEvents = false;
    win.RefreshRate = 30;
    win.AutoUpdate = autoUpdate;
    win.QuickUpdate = true;
    win.ScrollLock = false;
    win.BitDepth = bitDepth;
    win.Width = width;
    win.Height = height;
    win.BorderWidth = borderWidth;
    win.BorderHeight = borderHeight;
    win.TitleHeight = titleVisible ? Runtime().TitleBarHeight.Load() : 0;
    win.RGBColor = PaletteColor(0);
    win.RGBColorBorder = PaletteColor(5);
    win.DrawingMode = 0;
    win.PositionX = 0;
    win.PositionY = 0;

    win.MemoryStart = graphicStart;
    ForgetDrawnCells(win);
    win.MemoryEnd = screen.HighMemory;
    screen.HighMemory = graphicStart - 1;
    LogLine(p + " = " + std::to_string(width) + " x " + std::to_string(height) + " pixel x " +
            std::to_string(bitDepth) + " bit = " + KiloText(graphicNeed) + "K video-memory = $" +
            Hex8(graphicStart) + ".");

    win.TextWidth = columns;
    win.TextHeight = lines;
    win.TextFirstColumn = 1;
    win.TextLastColumn = columns;
    win.TextFirstLine = 1;
    win.TextLastLine = lines;
    win.TextHpos = 1;
    win.TextVpos = 1;
    win.TextColor = 0xC0;
    win.LoResOffsetX = 0;
    win.LoResOffsetY = 0;
    win.LoResMode = 0;
    if (textNeed == 0) {
        win.TextMemoryStart = -1;
        win.TextMemoryEnd = -1;
    } else {
        win.TextMemoryStart = BlockStart(screen.HighMemory, textNeed);
        win.TextMemoryEnd = screen.HighMemory;
        screen.HighMemory = win.TextMemoryStart - 1;
    }

    const HostRef view = t_WindowView(w);
    if (view == NoHostRef) {
        win.Initialized = false;
        win.Font = EmptyFont();
        LogLine(p + " could not be initialized, resource undefined.");
        LogLine(p + " End.");
        return;
    }
    win.View = view;
    win.Window = t_WindowHost(w);
    win.Font = font;
    win.Initialized = true;
    t_ClearWindowMemory(w);
    t_WindowTitle(w, WindowTitleFor(win));
    t_WindowSize(w, -1, -1, width, height);
    t_ColorBorder(w, 5);
    LogLine(p + " End.");
}

void t_ClearWindowMemory(UInt8 w) {
    if (!WindowReady(w)) return;
    WindowMemory& screen = Screen();
    t_Window& win = screen.WindowTable[w];
    UInt8* memory = screen.VideoMemory.data();
    const Int start = win.MemoryStart;
    const Int end = win.MemoryEnd;
    ForgetDrawnCells(win);
    if (start >= 0 && end >= start) {
        std::memset(memory + start, 0, static_cast<std::size_t>(end - start + 1));
        if (win.BitDepth == 32) {
            const Int pixels = win.Width * win.Height;
            for (Int i = 0; i < pixels; ++i) memory[start + 4 * i] = 0xFF;
        }
    }
    if (win.HasText()) {
        const Int half = (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
        std::memset(memory + win.TextMemoryStart, 0x20, static_cast<std::size_t>(half));
        std::memset(memory + win.TextMemoryStart + half, win.TextColor, static_cast<std::size_t>(half));
    }
}

namespace {

struct HostGeometry {
    bool Exists = false;
    HostRect Frame;
    HostRect Screen;
};

HostGeometry ReadHostGeometry(UInt8 w) {
    HostGeometry g;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        g.Exists = p.HasWindow(w);
        if (!g.Exists) return;
        g.Frame = p.WindowFrame(w);
        g.Screen = p.ScreenFrame(w);
    });
    return g;
}

bool NeedsHost(Int selector) { return selector == 13 || selector == 14 || selector == 15 || selector == 16 || selector == 20; }

Int HostSelector(const HostGeometry& g, Int ow, Int oh, Int selector) {
    switch (selector) {
        case 13: return static_cast<Int>(g.Frame.X);
        case 14: return static_cast<Int>(g.Screen.Height - g.Frame.Y - static_cast<double>(oh));
        case 15: return static_cast<Int>(g.Screen.Width);
        case 16: return static_cast<Int>(g.Screen.Height);
        case 20: return static_cast<Int>(g.Frame.Y);
        default: (void)ow; return 0;
    }
}

Int GraphicWindowPos(UInt8 w, Int selector) {
    const t_Window& win = Screen().WindowTable[w];
    const Int ow = win.Width + 2 * win.BorderWidth;
    const Int oh = win.Height + 2 * win.BorderHeight + win.TitleHeight;
    switch (selector) {
        case 0: return win.TextFirstColumn;
        case 1: return win.TextFirstLine;
        case 2: return win.TextLastColumn;
        case 3: return win.TextLastLine;
        case 4: return win.TextLastColumn - win.TextFirstColumn + 1;
        case 5: return win.TextLastLine - win.TextFirstLine + 1;
        case 6: return win.TextWidth;
        case 7: return win.TextHeight;
        case 8: return ow - 2 * win.BorderWidth;
        case 9: return oh - win.TitleHeight - 2 * win.BorderHeight;
        case 10: return ow;
        case 11: return oh - win.TitleHeight;
        case 12: return oh;
        case 17: return win.TitleHeight;
        case 18: return win.BorderWidth;
        case 19: return win.BorderHeight;
        default: break;
    }
    if (!NeedsHost(selector)) return 0;
    const HostGeometry g = ReadHostGeometry(w);
    if (!g.Exists) {
        NotExist("t_WindowPos");
        return 0;
    }
    return HostSelector(g, ow, oh, selector);
}

Int HostWindowPos(UInt8 w, Int selector) {
    const HostGeometry g = ReadHostGeometry(w);
    if (!g.Exists) {
        NotExist("t_WindowPos");
        return 0;
    }
    const Int ow = static_cast<Int>(g.Frame.Width);
    const Int oh = static_cast<Int>(g.Frame.Height);
    const Int titleBar = Runtime().TitleBarHeight;
    switch (selector) {
        case 2: return ow - 1;
        case 3: return oh - 1;
        case 4:
        case 6:
        case 8:
        case 10: return ow;
        case 5:
        case 7:
        case 12: return oh;
        case 9:
        case 11: return oh - titleBar;
        case 17: return titleBar;
        default: return HostSelector(g, ow, oh, selector);
    }
}

}  // namespace

Int t_WindowPos(UInt8 w, Int selector) {
    if (w >= HostWindowCount) return 0;
    if (w < GraphicWindowCount && MemoryReady()) return GraphicWindowPos(w, selector);
    return HostWindowPos(w, selector);
}

namespace {

// Graphic windows are left alone until the runtime is initialised.
bool GraphicBeforeInit(UInt8 w) { return w < GraphicWindowCount && !MemoryReady(); }

// Runs work on the GUI thread if host window w exists; logs otherwise.
void OnHostWindow(const char* operation, UInt8 w, const std::function<void(Platform&)>& work) {
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (w >= HostWindowCount || !p.HasWindow(w)) {
            NotExist(operation);
            return;
        }
        work(p);
    });
}

}  // namespace

void t_WindowSize(UInt8 w, Int x, Int y, Int width, Int height) {
    OnHostWindow("t_WindowSize", w, [&](Platform& p) {
        const Int argWidth = width;
        const Int argHeight = height;
        if (x == -1) x = t_WindowPos(w, 13);
        if (y == -1) y = t_WindowPos(w, 20);
        if (width == -1) width = t_WindowPos(w, 8);
        if (height == -1) height = t_WindowPos(w, 9);
        const auto d = [](Int v) { return static_cast<double>(v); };
        const Int titleBar = Runtime().TitleBarHeight;
        if (w < GraphicWindowCount) {
            if (!WindowReady(w)) {
                LogLine("t_WindowSize: Window #" + std::to_string(w) + " not initialized.");
                return;
            }
            const t_Window& win = Screen().WindowTable[w];
            p.SetWindowFrame(w, {d(x), d(y), d(width + 2 * win.BorderWidth),
                                 d(height + win.TitleHeight + 2 * win.BorderHeight)});
            p.SetViewFrame(w, {d(win.BorderWidth), d(win.BorderHeight), d(width), d(height)});
        } else if (w <= 10) {
            height += titleBar;
            if (p.IsWindowVisible(w)) p.OrderFront(w);
            p.SetWindowFrame(w, {d(x), d(y), d(width), d(height)});
            const HostRect scroll = p.ScrollViewFrame(w);
            const double frameWidth = argWidth > 0 ? d(width) : scroll.Width + 40;
            const double frameHeight = argHeight > 0 ? d(height) : scroll.Height + 77;
            p.SetScrollViewFrame(w, {scroll.X, scroll.Y, frameWidth - 40, frameHeight - 77});
        } else {
            p.SetWindowFrame(w, {d(x), d(y), d(width), d(height + titleBar)});
        }
    });
}

void t_WindowTitle(UInt8 w, const std::string& title) {
    if (GraphicBeforeInit(w)) return;
    Platform& p = CurrentPlatform();
    auto apply = [&p, w, title] {
        if (w >= HostWindowCount || !p.HasWindow(w)) {
            NotExist("t_WindowTitle");
            return;
        }
        p.SetWindowTitle(w, title);
    };
    if (p.IsGuiThread())
        apply();
    else
        p.PostToGui(apply);
}

void t_WindowTitleVisible(UInt8 w, bool visible) {
    if (GraphicBeforeInit(w)) return;
    if (w >= HostWindowCount || !HostWindowExists(w)) {
        NotExist("t_WindowTitleVisible");
        return;
    }
    if (w < GraphicWindowCount && MemoryReady())
        Screen().WindowTable[w].TitleHeight = visible ? Runtime().TitleBarHeight.Load() : 0;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] { p.SetWindowStyle(w, visible ? 7u : 0u); });
}

void t_WindowCenter(UInt8 w) {
    if (GraphicBeforeInit(w)) return;
    OnHostWindow("t_WindowCenter", w, [w](Platform& p) { p.CenterWindow(w); });
}

void t_WindowFront(UInt8 w) {
    if (GraphicBeforeInit(w)) return;
    OnHostWindow("t_WindowFront", w, [w](Platform& p) { p.MakeKeyAndFront(w); });
}

namespace {

const char* TextWindowName(UInt8 w) {
    switch (w) {
        case 8: return "Pasteboard window";
        case 9: return "Virtual printer window";
        default: return "System console window";
    }
}

void ShowTextWindow(Platform& p, UInt8 w, bool visible) {
    if (!p.HasTextView(w)) {
        LogLine(std::string("t_WindowVisible: ") + TextWindowName(w) + " is nil, resource undefined.");
        return;
    }
    if (!visible) {
        p.OrderOut(w);
        return;
    }
    if (w == 8) p.SetTextViewString(8, p.ClipboardString().value_or(""));
    p.OrderFront(w);
}

}  // namespace

void t_WindowVisible(UInt8 w, bool visible) {
    if (GraphicBeforeInit(w)) return;
    OnHostWindow("t_WindowVisible", w, [&](Platform& p) {
        if (w >= 8 && w <= 10) {
            ShowTextWindow(p, w, visible);
            return;
        }
        if (visible)
            p.OrderFront(w);
        else
            p.OrderOut(w);
        if (w < GraphicWindowCount) {
            t_Window& win = Screen().WindowTable[w];
            win.Visible = visible;
            if (!visible) win.UpdateDuration = 0;
        }
    });
}

void t_WindowUpdate(UInt8 w, bool deferred) {
    if (w >= GraphicWindowCount) {
        LogLine("t_WindowUpdate: Window is not a graphic window.");
        return;
    }
    if (!MemoryReady()) return;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (!p.HasView(w)) {
            LogLine("t_WindowUpdate: Window #" + std::to_string(w) + " view is nil, resource undefined.");
            return;
        }
        if (deferred)
            p.SetNeedsDisplay(w);
        else
            p.DisplayNow(w);
    });
}

HostRef t_WindowView(UInt8 w) {
    HostRef view = NoHostRef;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (w < GraphicWindowCount && p.HasView(w)) view = w;
    });
    return view;
}

HostRef t_WindowHost(UInt8 w) {
    HostRef host = NoHostRef;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (w < HostWindowCount && p.HasWindow(w)) host = w;
    });
    return host;
}

void t_WindowAutoUpdateProcess() {
    LogLine("t_WindowAutoUpdateProcess: Start.");
    AutoUpdateLoop();
}



void AutoUpdateLoop() {
    Platform& p = CurrentPlatform();
    if (currentthreadnumber() > 2) p.SetCurrentThreadName("t_WindowAutoUpdate");
    WindowMemory& screen = Screen();
    screen.AutoUpdateStarted = true;
    while (MemoryReady() && screen.AutoUpdateStarted) {
        screen.AutoUpdatePasses = screen.AutoUpdatePasses + 1;
        bool anyDue = false;
        for (UInt8 k = 0; k < GraphicWindowCount; ++k) {
            t_Window& win = screen.WindowTable[k];
            const Int rate = win.RefreshRate;
            // A rate of 0 would divide by zero: such a window is never due.
            if (!win.Initialized || !win.AutoUpdate || !win.VerticalBlank || rate <= 0) continue;
            // Nothing changed since the last picture: nothing to show anew.
            const Int changes = win.PixelChanges;
            if (changes == win.PictureAsked) continue;
            const Int now = NowMilliseconds();
            if (now - win.UpdateStarted < 1000 / rate) continue;
            if (t_WindowView(k) == NoHostRef) {
                LogLine("t_WindowAutoUpdateProcess: Window #" + std::to_string(k) +
                        " view is nil, resource undefined.");
                continue;
            }
            anyDue = true;
            win.UpdateStarted = now;
            win.PictureAsked = changes;
            p.RunOnGui([&p, k] { p.SetNeedsDisplay(k); });
        }
        if (anyDue) continue;
        WaitForPixelChanges();
    }
    screen.AutoUpdateStarted = false;
    LogLine("t_WindowAutoUpdateProcess: End.");
}
