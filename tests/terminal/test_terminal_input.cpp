// A terminal's bytes as keys, clicks and pastes: what xterm-like terminals
// send for the program's keys, split anywhere across reads.
#include "terminal/terminal_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Shown(const TerminalEvent& e) {
    if (e.What == TerminalEvent::Kind::Click) return "click " + std::to_string(e.Row) + "," + std::to_string(e.Column);
    if (e.What == TerminalEvent::Kind::Paste) return "paste " + e.Text;
    const HostKey& k = e.Key;
    std::string text = std::to_string(static_cast<int>(k.Name)) + ":" + std::to_string(static_cast<unsigned>(k.Symbol));
    if (k.Name == HostKeyName::Function) text += ":F" + std::to_string(k.FunctionNumber);
    text += (k.Modifiers.Control ? "C" : "") + std::string(k.Modifiers.Alt ? "A" : "") + (k.Modifiers.Shift ? "S" : "");
    return text + (k.Text.empty() ? "" : "'" + k.Text + "'");
}

std::vector<std::string> Events(TerminalInput& input, bool force) {
    std::vector<std::string> shown;
    for (const TerminalEvent& e : input.Take(force)) shown.push_back(Shown(e));
    return shown;
}

TEST(TerminalInputTest, BytesBecomeTheKeysADesktopReports) {
    TerminalInput input("xterm-256color");
    ASSERT_TRUE(input.Valid());
    const std::string ctrlA = "0:65C";
    struct Case {
        std::string bytes;
        std::vector<std::string> events;
    } cases[] = {
        {"\x01", {ctrlA}},                                  // ^A
        {"\x1c\x1d\x1e\x1f", {"0:92C", "0:93C", "0:94C", "0:95C"}},  // ^\ (^Ö), ^] (undo), ^^, ^_
        {"\x1b\x1d", {"0:93CS"}},                           // Alt-^]: redo
        {"a\xc3\xb6", {"0:65'a'", "0:214'ö'"}},
        {"\x1bx", {"0:88A'x'"}},                            // Alt-x: the macro of x
        {"\r\t\x7f\x08", {"1:0", "3:0", "5:0", "0:72C"}},   // Return, Tab, Backspace, ^H
        {"\x1b[A\x1b[6~\x1b[3~\x1bOP", {"12:0", "17:0", "6:0", "18:0:F1"}},
        {"\x1b[Z", {"4:0S"}},                               // Shift-Tab
        {"\x1b[<0;5;3M\x1b[<0;5;3m", {"click 2,4"}},        // a press; the release is no click
        {"\x1b[200~a\tb\r\n\x1b[201~x", {"paste a\tb\r\n", "0:88'x'"}},
    };
    for (const Case& c : cases) {
        // Whole, and one byte at a time.
        input.Push(c.bytes);
        EXPECT_EQ(Events(input, true), c.events) << c.bytes;
        for (const char b : c.bytes) input.Push(std::string(1, b));
        EXPECT_EQ(Events(input, true), c.events) << "bytewise " << c.bytes;
    }
    // A lone Esc waits for what may follow, and is Esc once forced.
    input.Push("\x1b");
    EXPECT_TRUE(Events(input, false).empty());
    EXPECT_EQ(input.WaitTime(), TerminalInput::EscapeWait);
    EXPECT_EQ(Events(input, true), std::vector<std::string>{"7:0"});
    EXPECT_EQ(input.WaitTime(), -1);
}

}  // namespace
