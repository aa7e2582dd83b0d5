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

} // namespace loqa
