// What a terminal types: its bytes turned into the keys a desktop would
// report (libtermkey reads the terminal's sequences by its terminfo entry),
// mouse clicks (xterm's SGR reports) and pasted texts (bracketed paste).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "input/keys.h"

struct TerminalEvent {
    enum class Kind { Key, Click, Paste };
    Kind What = Kind::Key;
    HostKey Key;
    int Row = 0, Column = 0;  // Click: the terminal cell, 0-based
    std::string Text;         // Paste: UTF-8
};

class TerminalInput {
public:
    // For a terminal of that name (TERM). Valid() is false when libtermkey
    // cannot read it.
    explicit TerminalInput(const std::string& term);
    ~TerminalInput();
    TerminalInput(const TerminalInput&) = delete;
    TerminalInput& operator=(const TerminalInput&) = delete;

    bool Valid() const { return keys_ != nullptr; }
    // Bytes as read from the terminal.
    void Push(std::string_view bytes);
    // The events complete so far. With force, what waits for more (a lone
    // Esc, which may begin a sequence) is taken as it is.
    std::vector<TerminalEvent> Take(bool force);
    // Milliseconds to wait for the rest of a sequence before forcing; -1
    // when nothing waits.
    int WaitTime() const;

    static constexpr int EscapeWait = 25;

private:
    struct Closer {
        void operator()(struct TermKey* keys) const;
    };
    void Feed(std::string_view bytes);
    void Drain(bool force);
    // Takes what it can from the front of held_; false when the rest has
    // to wait for more bytes.
    bool Step();
    bool TakeMouseReport();

    std::unique_ptr<struct TermKey, Closer> keys_;
    std::string held_;    // bytes that may begin a paste marker
    bool pasting_ = false;
    std::string paste_;
    bool waiting_ = false;
    std::vector<TerminalEvent> events_;
};
