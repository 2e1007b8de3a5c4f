// Waiting for input on the program thread. Every wait of the program for
// keys, menu choices or file-open requests sleeps here; whatever queues an
// event wakes it at once, and a timeout of 10 ms still bounds each sleep as
// the polling loops did before.
//
// A scripted run (or a test) performs its next step only when the program
// is idle: asleep in such a wait, with nothing arrived since that it has
// not looked at.
#pragma once

#include <chrono>
#include <functional>

// Sleeps until ready() holds; ready() is checked on entry, after every
// wake-up and at least every 10 ms.
void WaitForInput(const std::function<bool()>& ready);

// Called after an event has been queued, from any thread.
void WakeProgram();

// Waits until the program is idle or stop() holds, for at most limit.
// False when the time ran out.
bool WaitUntilProgramIdle(const std::function<bool()>& stop, std::chrono::milliseconds limit);
