#include "platform/shortcut.h"

#include <QKeySequence>

#include <array>

namespace loqa {

namespace {

struct NamedKey {
    Qt::Key key;
    const char *name;
};

// Keys whose stored names differ from the toolkit's own texts.
constexpr std::array kNamedKeys{
    NamedKey{Qt::Key_Backspace, "BkSp"}, NamedKey{Qt::Key_Tab, "Tab"},       NamedKey{Qt::Key_Escape, "Esc"},
    NamedKey{Qt::Key_Return, "Enter"},   NamedKey{Qt::Key_Enter, "Enter"},   NamedKey{Qt::Key_Space, "Space"},
    NamedKey{Qt::Key_PageUp, "PgUp"},    NamedKey{Qt::Key_PageDown, "PgDn"}, NamedKey{Qt::Key_End, "End"},
    NamedKey{Qt::Key_Home, "Home"},      NamedKey{Qt::Key_Left, "Left"},     NamedKey{Qt::Key_Up, "Up"},
    NamedKey{Qt::Key_Right, "Right"},    NamedKey{Qt::Key_Down, "Down"},     NamedKey{Qt::Key_Insert, "Ins"},
    NamedKey{Qt::Key_Delete, "Del"},
};

QString keyName(Qt::Key key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return QString(QChar(char16_t(key)));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return QStringLiteral("F%1").arg(int(key - Qt::Key_F1) + 1);
    for (const NamedKey &named : kNamedKeys) {
        if (named.key == key)
            return QString::fromLatin1(named.name);
    }
    return QKeySequence(key).toString(QKeySequence::PortableText);
}

Qt::Key keyFromName(const QString &name)
{
    if (name.isEmpty())
        return Qt::Key(0);
    if (name.size() == 1) {
        const QChar c = name.at(0).toUpper();
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return Qt::Key(c.unicode());
    }
    if ((name.at(0) == QLatin1Char('F') || name.at(0) == QLatin1Char('f')) && name.size() <= 3) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 24 && !name.mid(1).startsWith(QLatin1Char('0')))
            return Qt::Key(Qt::Key_F1 + n - 1);
    }
    for (const NamedKey &named : kNamedKeys) {
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.key;
    }
    // Other keys by the toolkit's name for them, when that name is the whole text.
    const QKeySequence seq = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0].keyboardModifiers() != Qt::NoModifier)
        return Qt::Key(0);
    const Qt::Key key = seq[0].key();
    if (key == Qt::Key_unknown || (key >= Qt::Key_F25 && key <= Qt::Key_F35))
        return Qt::Key(0);
    return keyName(key).compare(name, Qt::CaseInsensitive) == 0 ? key : Qt::Key(0);
}

} // namespace

QString ShortcutToText(QKeyCombination shortcut)
{
    if (IsEmptyShortcut(shortcut))
        return {};
    QString text;
    const Qt::KeyboardModifiers mods = shortcut.keyboardModifiers();
    if (mods & Qt::ShiftModifier)
        text += QStringLiteral("Shift+");
    if (mods & Qt::ControlModifier)
        text += QStringLiteral("Ctrl+");
    if (mods & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    return text + keyName(shortcut.key());
}

QKeyCombination TextToShortcut(const QString &text)
{
    static const std::array<std::pair<QLatin1String, Qt::KeyboardModifier>, 3> prefixes{{
        {QLatin1String("Shift+"), Qt::ShiftModifier},
        {QLatin1String("Ctrl+"), Qt::ControlModifier},
        {QLatin1String("Alt+"), Qt::AltModifier},
    }};
    QString rest = text.trimmed();
    Qt::KeyboardModifiers mods;
    bool found = true;
    while (found && rest.size() > 1) {
        found = false;
        for (const auto &[prefix, modifier] : prefixes) {
            if (rest.startsWith(prefix, Qt::CaseInsensitive) && rest.size() > prefix.size()) {
                mods |= modifier;
                rest = rest.mid(prefix.size());
                found = true;
            }
        }
    }
    const Qt::Key key = keyFromName(rest);
    if (key == Qt::Key(0))
        return QKeyCombination(Qt::NoModifier, Qt::Key(0));
    return QKeyCombination(mods, key);
}

bool IsSystemReservedChord(Qt::KeyboardModifiers modifiers, Qt::Key key)
{
    // The Windows key is not part of a stored shortcut, and the console switch
    // ignores it; Shift is what sets a chord free.
    const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return held == (Qt::ControlModifier | Qt::AltModifier) && key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

} // namespace loqa
