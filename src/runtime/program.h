// Program start: the tool tables, the program thread, thread numbers and
// the launch sequence that a desktop host (or the headless runner) follows.
#pragma once

#include <functional>
#include <string>

#include "runtime/shared_value.h"
#include "runtime/types.h"

struct ToolTables {
    UInt8 UpperCaseTable[256] = {};
    UInt8 LowerCaseTable[256] = {};
    UInt8 HexDigitTable[16] = {};
    Int HexValueTable[256] = {};
    SharedValue<bool> ToolsReady = false;
};

ToolTables& Tools();

// Builds the tool tables and seeds the random generator.
void initoxtools();

// The program thread gets a stack of 1 GiB.
inline constexpr Int ProgramStackSize = Int{1} << 30;

// Starts a program thread running entry. Starts are serialised: a second
// call waits until the thread of the first has taken its entry.
void startprocess(std::function<void()> entry, Int stackSize);

// The number the platform gives the calling thread (1 for the GUI thread),
// read from its description; 0 when the description carries none.
Int currentthreadnumber();

// The program's waits are polls: sleeps of a few milliseconds.
void SleepMilliseconds(long ms);

// The platform clock in whole milliseconds.
Int NowMilliseconds();
Int ThreadNumberFromDescription(const std::string& description);

// Launch steps, called by the host on its GUI thread.
void ApplicationWillFinishLaunching();
void ApplicationDidFinishLaunching(std::function<void()> mainProgram);
void ApplicationWillTerminate();
// The layout of a text window (8-10) after its frame changed: its scroll
// view and ruler follow the frame. Other windows are left as they are.
void WindowDidResize(int window);
