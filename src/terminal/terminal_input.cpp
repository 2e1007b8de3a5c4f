#include "terminal/terminal_input.h"

#include <termkey.h>

#include <utility>

#include "runtime/program.h"
#include "runtime/text.h"

namespace {

// Bracketed paste wraps what is pasted in these two markers.
constexpr std::string_view PasteStart = "\x1b[200~";
constexpr std::string_view PasteEnd = "\x1b[201~";
// xterm's SGR mouse report: this, then button;column;line and M (press) or
// m (release). Read here: terminfo entries that name its start as the
// mouse key make libtermkey read the old three-byte report instead.
constexpr std::string_view MouseStart = "\x1b[<";

struct MouseReport {
    std::size_t Length = 0;  // 0: not complete yet; npos: no report after all
    int Button = 0, Column = 0, Line = 0;
    bool Press = false;
};

MouseReport ReadMouseReport(std::string_view text) {
    MouseReport report;
    int* fields[3] = {&report.Button, &report.Column, &report.Line};
    std::size_t at = MouseStart.size();
    for (int field = 0; field < 3; ++field) {
        if (at < text.size() && (text[at] < '0' || text[at] > '9')) return {std::string_view::npos};
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && *fields[field] < 100000)
            *fields[field] = *fields[field] * 10 + (text[at++] - '0');
        if (at >= text.size()) return report;
        const char end = text[at++];
        if (field < 2 ? end != ';' : end != 'M' && end != 'm') return {std::string_view::npos};
        report.Press = end == 'M';
    }
    report.Length = at;
    return report;
}

char32_t UpperSymbol(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    return c;
}

// How many bytes at the end of text could begin marker.
std::size_t PartialMarker(std::string_view text, std::string_view marker) {
    for (std::size_t n = std::min(text.size(), marker.size() - 1); n > 0; --n)
        if (text.substr(text.size() - n) == marker.substr(0, n)) return n;
    return 0;
}

HostKey Named(HostKeyName name, bool shift = false) {
    HostKey key;
    key.Name = name;
    key.Modifiers.Shift = shift;
    return key;
}

HostKey Character(char32_t c, int modifiers) {
    HostKey key;
    key.Symbol = UpperSymbol(c);
    key.Modifiers.Alt = (modifiers & TERMKEY_KEYMOD_ALT) != 0;
    key.Modifiers.Shift = (modifiers & TERMKEY_KEYMOD_SHIFT) != 0;
    if (modifiers & TERMKEY_KEYMOD_CTRL) {
        key.Modifiers.Control = true;
        // A terminal cannot send Ctrl-Shift-] for redo: Alt with ^] stands
        // for it.
        if (c == U']' && key.Modifiers.Alt) key.Modifiers.Alt = false, key.Modifiers.Shift = true;
        return key;
    }
    key.Text = Utf8(c);
    return key;
}

std::optional<HostKey> Keysym(TermKeySym sym, int modifiers) {
    const bool shift = (modifiers & TERMKEY_KEYMOD_SHIFT) != 0;
    switch (sym) {
        case TERMKEY_SYM_ENTER:
        case TERMKEY_SYM_KPENTER: return Named(HostKeyName::Return);
        case TERMKEY_SYM_TAB: return shift ? Named(HostKeyName::Backtab, true) : Named(HostKeyName::Tab);
        // The Backspace key, as terminfo names it; BS comes as Ctrl-H.
        case TERMKEY_SYM_DEL:
        case TERMKEY_SYM_BACKSPACE: return Named(HostKeyName::Backspace);
        case TERMKEY_SYM_DELETE: return Named(HostKeyName::Delete);
        case TERMKEY_SYM_ESCAPE: return Named(HostKeyName::Escape);
        case TERMKEY_SYM_SPACE: return Character(U' ', modifiers);
        case TERMKEY_SYM_UP: return Named(HostKeyName::Up);
        case TERMKEY_SYM_DOWN: return Named(HostKeyName::Down);
        case TERMKEY_SYM_LEFT: return Named(HostKeyName::Left);
        case TERMKEY_SYM_RIGHT: return Named(HostKeyName::Right);
        case TERMKEY_SYM_HOME:
        case TERMKEY_SYM_FIND: return Named(HostKeyName::Home);
        case TERMKEY_SYM_END:
        case TERMKEY_SYM_SELECT: return Named(HostKeyName::End);
        case TERMKEY_SYM_PAGEUP: return Named(HostKeyName::PageUp);
        case TERMKEY_SYM_PAGEDOWN: return Named(HostKeyName::PageDown);
        case TERMKEY_SYM_INSERT: return Named(HostKeyName::Insert);
        default: return std::nullopt;
    }
}

}  // namespace

void TerminalInput::Closer::operator()(TermKey* keys) const { termkey_destroy(keys); }

TerminalInput::TerminalInput(const std::string& term)
    : keys_(termkey_new_abstract(term.c_str(), TERMKEY_FLAG_UTF8 | TERMKEY_FLAG_CONVERTKP | TERMKEY_FLAG_NOTERMIOS)) {
    if (keys_) termkey_set_waittime(keys_.get(), EscapeWait);
}

TerminalInput::~TerminalInput() = default;

void TerminalInput::Feed(std::string_view bytes) {
    if (!bytes.empty()) termkey_push_bytes(keys_.get(), bytes.data(), bytes.size());
    Drain(false);
}

void TerminalInput::Drain(bool force) {
    TermKey* tk = keys_.get();
    TermKeyKey key;
    while (true) {
        const TermKeyResult result = force ? termkey_getkey_force(tk, &key) : termkey_getkey(tk, &key);
        waiting_ = result == TERMKEY_RES_AGAIN;
        if (result != TERMKEY_RES_KEY) return;
        TerminalEvent event;
        if (key.type == TERMKEY_TYPE_UNICODE) {
            event.Key = Character(static_cast<char32_t>(key.code.codepoint), key.modifiers);
        } else if (key.type == TERMKEY_TYPE_KEYSYM) {
            const std::optional<HostKey> named = Keysym(key.code.sym, key.modifiers);
            if (!named) continue;
            event.Key = *named;
        } else if (key.type == TERMKEY_TYPE_FUNCTION) {
            event.Key = Named(HostKeyName::Function);
            event.Key.FunctionNumber = key.code.number;
        } else {
            continue;
        }
        event.Key.Time = NowMilliseconds();
        events_.push_back(std::move(event));
    }
}

// A mouse report at the start of held_: a click when it is the left
// button's press. False while it is not complete.
bool TerminalInput::TakeMouseReport() {
    const MouseReport report = ReadMouseReport(held_);
    if (report.Length == 0) return false;
    if (report.Length == std::string_view::npos) {
        // No report: the bytes are keys after all.
        Feed(std::string_view(held_).substr(0, MouseStart.size()));
        held_.erase(0, MouseStart.size());
        return true;
    }
    if (report.Press && report.Button == 0) {
        TerminalEvent event;
        event.What = TerminalEvent::Kind::Click;
        event.Row = report.Line - 1;
        event.Column = report.Column - 1;
        events_.push_back(std::move(event));
    }
    held_.erase(0, report.Length);
    return true;
}

bool TerminalInput::Step() {
    if (held_.empty()) return false;
    if (pasting_) {
        const std::size_t end = held_.find(PasteEnd);
        const std::size_t upto = end == std::string::npos ? held_.size() - PartialMarker(held_, PasteEnd) : end;
        paste_.append(held_, 0, upto);
        if (end == std::string::npos) {
            held_.erase(0, upto);
            return false;
        }
        TerminalEvent event;
        event.What = TerminalEvent::Kind::Paste;
        event.Text = std::exchange(paste_, {});
        events_.push_back(std::move(event));
        pasting_ = false;
        held_.erase(0, end + PasteEnd.size());
        return true;
    }
    if (held_.starts_with(PasteStart)) {
        held_.erase(0, PasteStart.size());
        pasting_ = true;
        return true;
    }
    if (held_.starts_with(MouseStart)) return TakeMouseReport();
    // Keys up to the next marker; what may begin one waits for more bytes.
    const std::size_t next = std::min(held_.find(PasteStart), held_.find(MouseStart));
    const std::size_t upto = next != std::string::npos
                                 ? next
                                 : held_.size() - std::max(PartialMarker(held_, PasteStart), PartialMarker(held_, MouseStart));
    if (upto == 0) return false;
    Feed(std::string_view(held_).substr(0, upto));
    held_.erase(0, upto);
    return true;
}

void TerminalInput::Push(std::string_view bytes) {
    if (!Valid()) return;
    held_.append(bytes);
    while (Step()) {
    }
}

std::vector<TerminalEvent> TerminalInput::Take(bool force) {
    if (Valid() && force) {
        // What looked like the start of a marker was a key after all.
        if (!pasting_) Feed(std::exchange(held_, {}));
        Drain(true);
    }
    return std::exchange(events_, {});
}

int TerminalInput::WaitTime() const { return waiting_ || (!pasting_ && !held_.empty()) ? EscapeWait : -1; }
