// Process-wide state has one shape: each module keeps its state in one struct
// held by a ProgramState at namespace scope and reached through an accessor.
// A ProgramState is built before main and never destroyed, so that threads
// still running at exit never see it torn down, and ResetProgramState() puts
// every one back to its start.
#pragma once

#include <cstddef>
#include <new>

// Puts a value back to its start: a fresh value by default.
template <typename T>
void FreshValue(T& value) {
    value = T{};
}

// Runs before any value is reset, for every state that has one: stops the
// threads and hooks that could use the value while it is reset.
using QuiesceFunction = void (*)();

// Registers a state's reset; ProgramState does it.
void RegisterProgramState(void (*reset)(void* value), void* value, QuiesceFunction quiesce);

// The reset of a state that survives resets: the process's set-up
// (platform, log, threads) and its hooks.
inline constexpr std::nullptr_t KeptThroughResets = nullptr;

template <typename T>
class ProgramState {
public:
    // `reset` puts the value back to its start; KeptThroughResets keeps it.
    explicit ProgramState(void (*reset)(T&) = FreshValue<T>, QuiesceFunction quiesce = nullptr) : reset_(reset) {
        new (storage_) T();
        if (reset_ != nullptr)
            RegisterProgramState([](void* self) { static_cast<ProgramState*>(self)->Reset(); }, this, quiesce);
    }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    T& operator*() { return *Get(); }
    T* operator->() { return Get(); }
    T* Get() { return std::launder(reinterpret_cast<T*>(storage_)); }

private:
    void Reset() { reset_(*Get()); }

    alignas(T) unsigned char storage_[sizeof(T)];
    void (*reset_)(T&);
};

// Returns every ProgramState with a reset to its start: first all quiesce
// functions run, then all resets. Each reset touches only its own value, so
// their order does not matter. For tests, between cases.
void ResetProgramState();
