#include "runtime/program.h"

#include <time.h>

#include <charconv>
#include <cstdlib>
#include <mutex>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/runtime_state.h"

namespace {

struct ProgramStartSlot {
    std::mutex Mutex;
    std::function<void()> Entry;
    Int StackSize = 0;
    SharedValue<bool> Busy = false;
};

// A program thread may be starting while a test resets; the slot outlives
// resets.
ProgramState<ProgramStartSlot> slot{KeptThroughResets};

ProgramStartSlot& StartSlot() { return *slot; }

// Body of a program thread: take the waiting entry, free the slot, run it.
void RunProgramThread() {
    ProgramStartSlot& slot = StartSlot();
    std::function<void()> entry;
    {
        std::lock_guard lock(slot.Mutex);
        entry = std::move(slot.Entry);
        slot.Entry = nullptr;
    }
    slot.Busy = false;
    if (entry) entry();
}

}  // namespace

namespace {
// Built once by initoxtools and only read after that.
ProgramState<ToolTables> tables{KeptThroughResets};
}  // namespace

ToolTables& Tools() { return *tables; }

void initoxtools() {
    LogLine("initoxtools: Start.");
    ToolTables& t = Tools();
    for (int i = 0; i < 256; ++i) {
        t.UpperCaseTable[i] = UpperCaseBytes[static_cast<std::size_t>(i)];
        t.LowerCaseTable[i] = LowerCaseBytes[static_cast<std::size_t>(i)];
        t.HexValueTable[i] = -1;
    }
    for (int d = 0; d < 16; ++d) {
        const UInt8 digit = static_cast<UInt8>(d <= 9 ? '0' + d : 'A' + (d - 10));
        t.HexDigitTable[d] = digit;
        t.HexValueTable[t.UpperCaseTable[digit]] = d;
        t.HexValueTable[t.LowerCaseTable[digit]] = d;
    }
    std::srand(static_cast<unsigned>(::time(nullptr)));
    t.ToolsReady = true;
    LogLine("initoxtools: End.");
}

void startprocess(std::function<void()> entry, Int stackSize) {
    ProgramStartSlot& slot = StartSlot();
    // Claim the slot; a start still waiting for its thread keeps it busy.
    while (true) {
        {
            std::lock_guard lock(slot.Mutex);
            if (!slot.Busy) {
                slot.Busy = true;
                slot.StackSize = stackSize;
                slot.Entry = std::move(entry);
                break;
            }
        }
        SleepMilliseconds(1);
    }
    SleepMilliseconds(10);
    Platform& platform = CurrentPlatform();
    auto create = [&platform, stackSize] {
        if (!platform.StartThread(static_cast<std::size_t>(stackSize), RunProgramThread)) {
            LogLine("startprocess: Thread could not be started.");
            StartSlot().Busy = false;
        }
    };
    if (platform.IsGuiThread())
        create();
    else
        platform.RunOnGui(create);
}

Int ThreadNumberFromDescription(const std::string& description) {
    const std::string marker = "number = ";
    const std::size_t at = description.find(marker);
    if (at == std::string::npos) return 0;
    const std::size_t from = at + marker.size();
    const std::size_t comma = description.find(',', from);
    if (comma == std::string::npos) return 0;
    // Blanks may come first; then the whole rest up to the comma must be the number.
    const char* first = description.data() + description.find_first_not_of(' ', from);
    const char* end = description.data() + comma;
    Int value = 0;
    const auto [stop, error] = std::from_chars(first, end, value);
    return error == std::errc() && stop == end ? value : 0;
}

Int currentthreadnumber() {
    return ThreadNumberFromDescription(CurrentPlatform().CurrentThreadDescription());
}

void SleepMilliseconds(long ms) {
    const timespec pause{ms / 1000, (ms % 1000) * 1'000'000};
    nanosleep(&pause, nullptr);
}

Int NowMilliseconds() { return static_cast<Int>(CurrentPlatform().AbsoluteTime() * 1000.0); }

void ApplicationWillFinishLaunching() {
    LogLine("applicationWillFinishLaunching: Called.");
    if (currentthreadnumber() == 1) CurrentPlatform().SetCurrentThreadName("AppDelegate");
}

void ApplicationDidFinishLaunching(std::function<void()> mainProgram) {
    LogLine("applicationDidFinishLaunching: Start.");
    initoxtools();
    Platform& platform = CurrentPlatform();
    const double frame = platform.WindowFrame(8).Height;
    const double scroll = platform.ScrollViewFrame(8).Height;
    Runtime().TitleBarHeight = static_cast<Int>(frame - scroll - 20);
    LogLine("Program: Start.");
    startprocess(std::move(mainProgram), ProgramStackSize);
    LogLine("applicationDidFinishLaunching: End.");
}

void ApplicationWillTerminate() { LogLine("applicationWillTerminate: Called."); }

void WindowDidResize(int window) {
    Platform& p = CurrentPlatform();
    if (window < 8 || window > 10 || !p.HasWindow(window)) return;
    const HostRect frame = p.WindowFrame(window);
    const double width = frame.Width, height = frame.Height, title = static_cast<double>(Runtime().TitleBarHeight);
    if (window == 8) {
        p.SetScrollViewFrame(window, {10, 10, width - 20, height - 20 - title});
        return;
    }
    p.SetScrollViewFrame(window, {20, 20, width - 40, height - 40 - title - 15});
    p.SetRulerSize(window, width - 48, 19);
}
