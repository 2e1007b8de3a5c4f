// Qt's keyboard events as the runtime's host keys: which key, what it
// typed, which modifiers were held.
#pragma once

#include <QKeyEvent>

#include "input/keys.h"

HostModifiers ModifiersOf(Qt::KeyboardModifiers modifiers);
HostKey HostKeyOf(const QKeyEvent& event, Int time);
// A composed character from an input method (dead keys): a character key
// that typed `text`.
HostKey ComposedKey(const QString& text, Int time);
