#include "app/key_script.h"

#include <charconv>
#include <cstdio>
#include <utility>

namespace {

struct NamedKey {
    const char* Name;
    HostKeyName Key;
    bool Shift;
};

constexpr NamedKey NamedKeys[] = {
    {"Esc", HostKeyName::Escape, false},       {"Return", HostKeyName::Return, false},
    {"Tab", HostKeyName::Tab, false},          {"ShiftTab", HostKeyName::Backtab, true},
    {"Left", HostKeyName::Left, false},        {"Right", HostKeyName::Right, false},
    {"Up", HostKeyName::Up, false},            {"Down", HostKeyName::Down, false},
    {"Home", HostKeyName::Home, false},        {"End", HostKeyName::End, false},
    {"PageUp", HostKeyName::PageUp, false},    {"PageDown", HostKeyName::PageDown, false},
    {"Backspace", HostKeyName::Backspace, false}, {"Delete", HostKeyName::Delete, false},
};

char32_t UpperSymbol(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    return c;
}

// A key that types c, as a desktop reports it.
HostKey CharacterKey(char32_t c) {
    HostKey key;
    key.Name = HostKeyName::Character;
    key.Symbol = UpperSymbol(c);
    key.Text = Utf8(c);
    return key;
}

HostKey ControlKey(char32_t c) {
    HostKey key;
    key.Name = HostKeyName::Character;
    key.Symbol = UpperSymbol(c);
    key.Modifiers.Control = true;
    // Desktops type the control character for ASCII letters only.
    if (key.Symbol >= 'A' && key.Symbol <= 'Z') key.Text = Utf8(key.Symbol - 64);
    return key;
}

ScriptStep KeyStep(HostKey key) {
    ScriptStep step;
    step.Key = std::move(key);
    return step;
}

// A whole decimal number from low to high, nothing else.
bool ParseInt(std::string_view text, Int low, Int high, Int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end && value >= low && value <= high;
}

// The group as it may be shown in a message: control characters and bytes
// that are no UTF-8 are written as \xHH.
std::string Shown(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t from = i;
        const char32_t c = NextScalar(text, i);
        const std::string_view bytes = text.substr(from, i - from);
        const bool printable = c >= 32 && c != 127 && !(c >= 0x80 && c < 0xA0) && c != '\\' && Utf8(c) == bytes;
        if (printable) {
            out += bytes;
            continue;
        }
        for (const char b : bytes) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(b));
            out += escaped;
        }
    }
    return out;
}

// The step of a {Name argument} group; false when it is unknown.
bool BraceStep(std::string_view inner, ScriptStep& step) {
    for (const NamedKey& k : NamedKeys) {
        if (inner != k.Name) continue;
        HostKey key;
        key.Name = k.Key;
        key.Modifiers.Shift = k.Shift;
        step = KeyStep(key);
        return true;
    }
    // Undo is Ctrl-], redo the same with Shift.
    if (inner == "Undo" || inner == "Redo") {
        HostKey key = ControlKey(']');
        key.Modifiers.Shift = inner == "Redo";
        step = KeyStep(key);
        return true;
    }
    Int number = 0;
    if (inner.size() >= 2 && inner[0] == 'F' && ParseInt(inner.substr(1), 1, 12, number)) {
        HostKey key;
        key.Name = HostKeyName::Function;
        key.FunctionNumber = static_cast<int>(number);
        step = KeyStep(key);
        return true;
    }
    // Before the split at the blank: "{Cmd- }" is Alt+Space.
    if (inner.starts_with("Cmd-")) {
        const std::u32string c = Scalars(inner.substr(4));
        if (c.size() != 1) return false;
        HostKey key = CharacterKey(c[0]);
        key.Modifiers.Alt = true;
        step = KeyStep(key);
        return true;
    }
    const std::size_t space = inner.find(' ');
    const std::string_view name = inner.substr(0, space);
    const std::string_view argument = space == std::string_view::npos ? std::string_view() : inner.substr(space + 1);
    if (name == "Click") {
        const std::size_t comma = argument.find(',');
        step.Action = ScriptStep::Kind::Click;
        return comma != std::string_view::npos &&
               ParseInt(argument.substr(0, comma), 1, MaxScreenColumns, step.Column) &&
               ParseInt(argument.substr(comma + 1), 1, MaxScreenLines, step.Line);
    }
    if (name == "Wait") {
        step.Action = ScriptStep::Kind::Wait;
        return ParseInt(argument, 0, MaxWaitMilliseconds, step.Milliseconds);
    }
    const std::pair<std::string_view, ScriptStep::Kind> paths[] = {
        {"Open", ScriptStep::Kind::Open}, {"Export", ScriptStep::Kind::Export}, {"Screen", ScriptStep::Kind::Screen},
        {"Screenshot", ScriptStep::Kind::Screenshot}, {"Preview", ScriptStep::Kind::Preview},
        {"Printer", ScriptStep::Kind::Printer}};
    for (const auto& [word, kind] : paths) {
        if (name != word || argument.empty()) continue;
        step.Action = kind;
        step.Path = argument;
        return true;
    }
    return false;
}

}  // namespace

bool KeyScriptReader::Fail(std::string message) {
    error_ = std::move(message);
    pos_ = script_.size();
    return false;
}

bool KeyScriptReader::Brace(ScriptStep& step) {
    if (pos_ < script_.size() && script_[pos_] == '{') {
        ++pos_;
        step = KeyStep(CharacterKey('{'));
        return true;
    }
    const std::size_t close = script_.find('}', pos_);
    if (close == std::string_view::npos) return Fail("a { without its }");
    const std::string_view inner = script_.substr(pos_, close - pos_);
    pos_ = close + 1;
    if (inner == "^") {
        step = KeyStep(CharacterKey('^'));
        return true;
    }
    step = ScriptStep{};
    if (!BraceStep(inner, step)) return Fail("unknown {" + Shown(inner) + "}");
    return true;
}

bool KeyScriptReader::Next(ScriptStep& step) {
    while (pos_ < script_.size()) {
        const char32_t c = NextScalar(script_, pos_);
        if (c == '\n' || c == '\r') continue;
        if (c == '{') return Brace(step);
        if (c != '^') {
            step = KeyStep(CharacterKey(c));
            return true;
        }
        if (pos_ >= script_.size()) return Fail("a ^ at the end of the script");
        step = KeyStep(ControlKey(NextScalar(script_, pos_)));
        return true;
    }
    return false;
}

std::string CheckKeyScript(std::string_view script) {
    KeyScriptReader reader(script);
    ScriptStep step;
    while (reader.Next(step)) {
    }
    return reader.Error();
}
