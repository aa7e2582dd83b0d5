#pragma once

#include <QKeyCombination>
#include <QString>

// Shortcut texts as they are stored and shown: "Shift+", "Ctrl+", "Alt+" in this
// order, then the key's name ("Ctrl+Alt+F2", "Alt+Left", "F3", "Ctrl+BkSp").
namespace loqa {

QString ShortcutToText(QKeyCombination shortcut);

// A text that does not parse as a shortcut gives the empty combination
// (key 0, no modifiers), which means "no shortcut".
QKeyCombination TextToShortcut(const QString &text);

inline bool IsEmptyShortcut(QKeyCombination shortcut)
{
    return shortcut.key() == Qt::Key(0) || shortcut.key() == Qt::Key_unknown;
}

// Ctrl+Alt+F1..F12, without Shift: the chords that switch virtual consoles. The
// X server and Wayland compositors act on them before any program, so a hotkey
// on one of them would never fire.
bool IsSystemReservedChord(Qt::KeyboardModifiers modifiers, Qt::Key key);

} // namespace loqa
