#include "host/key_events.h"

namespace {

struct NamedKey {
    int QtKey;
    HostKeyName Name;
};

// Keys told apart by what they are; everything else types text.
constexpr NamedKey NamedKeys[] = {
    {Qt::Key_Return, HostKeyName::Return},
    {Qt::Key_Enter, HostKeyName::Enter},
    {Qt::Key_Tab, HostKeyName::Tab},
    {Qt::Key_Backtab, HostKeyName::Backtab},
    {Qt::Key_Backspace, HostKeyName::Backspace},
    {Qt::Key_Delete, HostKeyName::Delete},
    {Qt::Key_Escape, HostKeyName::Escape},
    {Qt::Key_Clear, HostKeyName::Clear},
    {Qt::Key_Insert, HostKeyName::Insert},
    {Qt::Key_Left, HostKeyName::Left},
    {Qt::Key_Right, HostKeyName::Right},
    {Qt::Key_Up, HostKeyName::Up},
    {Qt::Key_Down, HostKeyName::Down},
    {Qt::Key_Home, HostKeyName::Home},
    {Qt::Key_End, HostKeyName::End},
    {Qt::Key_PageUp, HostKeyName::PageUp},
    {Qt::Key_PageDown, HostKeyName::PageDown},
    {Qt::Key_Dead_Circumflex, HostKeyName::DeadCircumflex},
    {Qt::Key_Dead_Acute, HostKeyName::DeadAcute},
    {Qt::Key_Dead_Grave, HostKeyName::DeadGrave},
    {Qt::Key_Dead_Diaeresis, HostKeyName::DeadDiaeresis},
    {Qt::Key_Dead_Tilde, HostKeyName::DeadTilde},
    {Qt::Key_Shift, HostKeyName::None},
    {Qt::Key_Control, HostKeyName::None},
    {Qt::Key_Alt, HostKeyName::None},
    {Qt::Key_AltGr, HostKeyName::None},
    {Qt::Key_Meta, HostKeyName::None},
    {Qt::Key_Super_L, HostKeyName::None},
    {Qt::Key_Super_R, HostKeyName::None},
    {Qt::Key_CapsLock, HostKeyName::None},
    {Qt::Key_NumLock, HostKeyName::None},
    {Qt::Key_ScrollLock, HostKeyName::None},
};

HostKeyName NameOf(int key) {
    for (const NamedKey& named : NamedKeys)
        if (named.QtKey == key) return named.Name;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return HostKeyName::Function;
    if (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay) return HostKeyName::DeadOther;
    // Media, volume and other special keys sit above the Unicode range.
    if (key > 0x10FFFF) return HostKeyName::None;
    return HostKeyName::Character;
}

}  // namespace

HostModifiers ModifiersOf(Qt::KeyboardModifiers modifiers) {
    HostModifiers m;
    m.Shift = modifiers.testFlag(Qt::ShiftModifier);
    m.Control = modifiers.testFlag(Qt::ControlModifier);
    m.Alt = modifiers.testFlag(Qt::AltModifier);
    m.AltGr = modifiers.testFlag(Qt::GroupSwitchModifier);
    m.Keypad = modifiers.testFlag(Qt::KeypadModifier);
    return m;
}

HostKey HostKeyOf(const QKeyEvent& event, Int time) {
    HostKey key;
    key.Name = NameOf(event.key());
    if (key.Name == HostKeyName::Character) key.Symbol = static_cast<char32_t>(event.key());
    if (key.Name == HostKeyName::Function) key.FunctionNumber = event.key() - Qt::Key_F1 + 1;
    key.Text = event.text().toStdString();
    key.Modifiers = ModifiersOf(event.modifiers());
    key.Code = event.nativeScanCode() != 0 ? static_cast<Int>(event.nativeScanCode()) : event.key();
    key.Time = time;
    return key;
}

HostKey ComposedKey(const QString& text, Int time) {
    HostKey key;
    const std::u32string scalars = text.toStdU32String();
    key.Symbol = scalars.empty() ? 0 : scalars.front();
    key.Text = text.toStdString();
    key.Time = time;
    return key;
}
