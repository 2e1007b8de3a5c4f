#include "app/key_script.h"

#include <cstdlib>
#include <utility>

namespace {

struct NamedKey {
    const char* name;
    HostKeyName key;
    bool shift;
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

bool ParseInt(const std::string& text, Int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') return false;
    value = v;
    return true;
}

// The step of a {Name argument} group; false when it is unknown.
bool BraceStep(const std::string& inner, ScriptStep& step) {
    const std::size_t space = inner.find(' ');
    const std::string name = inner.substr(0, space);
    const std::string argument = space == std::string::npos ? std::string() : inner.substr(space + 1);
    for (const NamedKey& k : NamedKeys) {
        if (inner != k.name) continue;
        HostKey key;
        key.Name = k.key;
        key.Modifiers.Shift = k.shift;
        step = KeyStep(key);
        return true;
    }
    if (inner.size() >= 2 && inner[0] == 'F') {
        Int number = 0;
        if (ParseInt(inner.substr(1), number) && number >= 1 && number <= 12) {
            HostKey key;
            key.Name = HostKeyName::Function;
            key.FunctionNumber = static_cast<int>(number);
            step = KeyStep(key);
            return true;
        }
    }
    if (name.rfind("Cmd-", 0) == 0 && argument.empty()) {
        const std::u32string c = Scalars(name.substr(4));
        if (c.size() != 1) return false;
        HostKey key = CharacterKey(c[0]);
        key.Modifiers.Alt = true;
        step = KeyStep(key);
        return true;
    }
    if (name == "Click") {
        const std::size_t comma = argument.find(',');
        step.Action = ScriptStep::Kind::Click;
        return comma != std::string::npos && ParseInt(argument.substr(0, comma), step.Column) &&
               ParseInt(argument.substr(comma + 1), step.Line);
    }
    if (name == "Wait") {
        step.Action = ScriptStep::Kind::Wait;
        return ParseInt(argument, step.Milliseconds) && step.Milliseconds >= 0;
    }
    const std::pair<const char*, ScriptStep::Kind> paths[] = {
        {"Open", ScriptStep::Kind::Open}, {"Screen", ScriptStep::Kind::Screen},
        {"Screenshot", ScriptStep::Kind::Screenshot}};
    for (const auto& [word, kind] : paths) {
        if (name != word || argument.empty()) continue;
        step.Action = kind;
        step.Path = argument;
        return true;
    }
    return false;
}

}  // namespace

ParsedScript ParseKeyScript(std::string_view script) {
    ParsedScript parsed;
    const std::u32string s = Scalars(script);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        if (c == '\n' || c == '\r') continue;
        if (c == '^') {
            if (i + 1 >= s.size()) {
                parsed.Error = "a ^ at the end of the script";
                break;
            }
            parsed.Steps.push_back(KeyStep(ControlKey(s[++i])));
            continue;
        }
        if (c != '{') {
            parsed.Steps.push_back(KeyStep(CharacterKey(c)));
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '{') {
            parsed.Steps.push_back(KeyStep(CharacterKey('{')));
            ++i;
            continue;
        }
        const std::size_t close = s.find('}', i);
        if (close == std::u32string::npos) {
            parsed.Error = "a { without its }";
            break;
        }
        const std::string inner = Utf8(std::u32string_view(s).substr(i + 1, close - i - 1));
        i = close;
        if (inner == "^") {
            parsed.Steps.push_back(KeyStep(CharacterKey('^')));
            continue;
        }
        ScriptStep step;
        if (!BraceStep(inner, step)) {
            parsed.Error = "unknown {" + inner + "}";
            break;
        }
        parsed.Steps.push_back(step);
    }
    return parsed;
}
