#include "ui/options/hotkeyedit.h"

#include "platform/shortcut.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

using namespace loqa;

namespace {

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_Super_L || key == Qt::Key_Super_R || key == Qt::Key_unknown;
}

// Ctrl or Alt make a chord a shortcut; Shift alone does not.
bool isChord(const QKeyEvent *event)
{
    return event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
}

} // namespace

THotKeyEdit::THotKeyEdit(QWidget *parent) : QLineEdit(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
}

void THotKeyEdit::SetShortcut(const QString &shortcut)
{
    const QKeyCombination chord = TextToShortcut(shortcut);
    setText(IsEmptyShortcut(chord) ? QString() : ShortcutToText(chord));
}

bool THotKeyEdit::event(QEvent *event)
{
    // A chord typed here is meant for the field, not for the dialog's mnemonics.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isChord(key)) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void THotKeyEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (isModifierKey(key)) {
        event->accept();
        return;
    }
    if (!isChord(event)) {
        const bool dialogKey = key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
                               key == Qt::Key_Enter || key == Qt::Key_Escape;
        if (dialogKey && !(event->modifiers() & Qt::ShiftModifier && key != Qt::Key_Backtab)) {
            event->ignore();
            return;
        }
        clear(); // marked invalid, with no modifier put in its place
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // Shift turns Tab into Backtab; the shortcut names the key itself.
    const Qt::Key named = key == Qt::Key_Backtab ? Qt::Key_Tab : Qt::Key(key);
    setText(ShortcutToText(QKeyCombination(modifiers, named)));
    event->accept();
}

void THotKeyEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void THotKeyEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The line edit would insert the X selection here.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void THotKeyEdit::dragEnterEvent(QDragEnterEvent *event)
{
    event->ignore();
}

void THotKeyEdit::dragMoveEvent(QDragMoveEvent *event)
{
    event->ignore();
}

void THotKeyEdit::dropEvent(QDropEvent *event)
{
    event->ignore();
}
