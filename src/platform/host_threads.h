// The threads a front end runs the program on: its GUI thread, which owns
// every window, and the hand-overs to it; the threads the program starts,
// numbered and named; and the clock they pace themselves by. Only the GUI
// thread is the front end's own: the rest has POSIX defaults.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

class HostThreads {
public:
    virtual ~HostThreads() = default;
    HostThreads(const HostThreads&) = delete;
    HostThreads& operator=(const HostThreads&) = delete;

    // --- GUI thread -------------------------------------------------------
    virtual bool IsGuiThread() = 0;
    // Runs work on the GUI thread and returns once it has run.
    virtual void RunOnGui(const std::function<void()>& work) = 0;
    // Queues work for the GUI thread without waiting.
    virtual void PostToGui(std::function<void()> work) = 0;

    // --- threads ------------------------------------------------------------
    // Starts a detached thread with the given stack size. Threads started
    // here are numbered 2, 3, ... in start order; the thread that created the
    // platform is number 1. Returns false when the thread could not start.
    virtual bool StartThread(std::size_t stackSize, std::function<void()> body);
    // The platform's description of the calling thread, in the form
    // "<Thread: 0x...>{number = N, name = NAME}"; threads the platform did
    // not start have no number in it.
    virtual std::string CurrentThreadDescription();
    // Names the calling thread (Linux keeps at most 15 characters).
    virtual void SetCurrentThreadName(const std::string& name);

    // --- clock --------------------------------------------------------------
    // Absolute time in seconds.
    virtual double AbsoluteTime();

protected:
    // The thread that makes the platform becomes thread number 1.
    HostThreads();
};
