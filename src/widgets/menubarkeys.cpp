#include "widgets/menubarkeys.h"

#include <algorithm>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace {

// How long a menu opened from the keys has the focus before its first command.
constexpr int kMenuNamedFor = 250;

class Watcher : public QObject
{
public:
    explicit Watcher(QMenuBar *bar) : QObject(bar), FBar(bar) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride: // a chord that a shortcut may take before it is pressed
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            break;
        case QEvent::FocusIn:
            // Where Escape takes the keyboard back to from the menus.
            if (FBar && watched != FBar && watched->isWidgetType() &&
                static_cast<QWidget *>(watched)->window() == FBar->window())
                FReturnTo = static_cast<QWidget *>(watched);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::WindowDeactivate:
            FAlt.Reset();
            return false;
        default:
            return false;
        }
        if (!FBar || !watched->isWidgetType())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::KeyPress && (StepToNeighbour(watched, key) || LeaveMenus(watched, key)))
            return true;
        if (static_cast<QWidget *>(watched)->window() != FBar->window())
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            FAlt.Pressed(key->key(), key->isAutoRepeat());
            // F10 is the menu bar's unless a command of the window has it as its shortcut.
            if (IsF10(key) && F10IsFree()) {
                key->accept();
                return true;
            }
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            FAlt.Pressed(key->key(), key->isAutoRepeat());
            if (IsF10(key) && F10IsFree()) {
                menubar_keys::OpenFirstMenu(FBar);
                return true;
            }
            return false;
        }
        if (FAlt.Released(key->key()) && FBar->isVisible()) {
            menubar_keys::OpenFirstMenu(FBar);
            return true;
        }
        return false;
    }

private:
    // Left and Right in one of the bar's open menus open the menu beside it,
    // however the menu was opened (the bar does so itself only for menus it
    // opened from its own keys or the mouse).
    bool StepToNeighbour(QObject *watched, const QKeyEvent *key)
    {
        if ((key->key() != Qt::Key_Left && key->key() != Qt::Key_Right) || key->modifiers() != Qt::NoModifier)
            return false;
        const QList<QAction *> titles = FBar->actions();
        const qsizetype at = TitleOf(watched);
        if (at < 0)
            return false;
        const QAction *active = titles[at]->menu()->activeAction();
        if (key->key() == Qt::Key_Right && active && active->menu())
            return false; // Right opens the submenu
        const int step = key->key() == Qt::Key_Right ? 1 : -1;
        for (qsizetype n = 1; n < titles.size(); ++n) {
            QAction *next = titles[(at + step * n + titles.size() * n) % titles.size()];
            if (next->menu() && next->isVisible() && next->isEnabled()) {
                menubar_keys::OpenMenu(FBar, next);
                return true;
            }
        }
        return false;
    }

    // The bar's index of the menu `watched`, -1 when it is none of the bar's.
    qsizetype TitleOf(QObject *watched) const
    {
        const QList<QAction *> titles = FBar->actions();
        for (qsizetype i = 0; i < titles.size(); ++i) {
            if (titles[i]->menu() == watched)
                return i;
        }
        return -1;
    }

    // Escape in one of the bar's menus closes it and goes back to the control
    // the user was on, rather than leaving the keyboard on the bar.
    bool LeaveMenus(QObject *watched, const QKeyEvent *key)
    {
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || TitleOf(watched) < 0)
            return false;
        static_cast<QWidget *>(watched)->hide();
        if (!FReturnTo)
            return true;
        if (FReturnTo->hasFocus()) {
            // The control kept the focus under the menu: assistive tools are
            // told it is back, as they are when the focus moves.
            QAccessibleEvent back(FReturnTo, QAccessible::Focus);
            QAccessible::updateAccessibility(&back);
        } else {
            FReturnTo->setFocus(Qt::PopupFocusReason);
        }
        return true;
    }

    bool F10IsFree() const
    {
        if (!FBar->isVisible())
            return false;
        const QKeySequence f10(Qt::Key_F10);
        const QList<QAction *> commands = FBar->window()->findChildren<QAction *>();
        return std::none_of(commands.begin(), commands.end(),
                            [&](const QAction *command) { return command->shortcuts().contains(f10); });
    }

    static bool IsF10(const QKeyEvent *key) { return key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier; }

    QPointer<QMenuBar> FBar;
    QPointer<QWidget> FReturnTo;
    menubar_keys::AltAlone FAlt;
};

} // namespace

namespace menubar_keys {

void AltAlone::Pressed(int key, bool autoRepeat)
{
    if (key == Qt::Key_Alt)
        FArmed = FArmed || !autoRepeat;
    else
        FArmed = false;
}

bool AltAlone::Released(int key)
{
    const bool alone = key == Qt::Key_Alt && FArmed;
    FArmed = false;
    return alone;
}

void Install(QMenuBar *bar)
{
    qApp->installEventFilter(new Watcher(bar));
}

void OpenMenu(QMenuBar *bar, QAction *title)
{
    bar->setActiveAction(title);
    QPointer<QMenu> menu = title->menu();
    const auto highlightFirst = [menu] {
        if (!menu || !menu->isVisible() || menu->activeAction())
            return; // closed, or the user has moved in it already
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator() && item->isVisible() && item->isEnabled()) {
                menu->setActiveAction(item);
                return;
            }
        }
    };
    if (!QAccessible::isActive() || !menu->isVisible()) {
        highlightFirst();
        return;
    }
    // The menu has the focus first, and its first command a moment later: a
    // screen reader drops a focus that is followed at once by another, and
    // would then say the command without the menu it is in.
    QAccessibleEvent opened(menu, QAccessible::Focus);
    QAccessible::updateAccessibility(&opened);
    QTimer::singleShot(kMenuNamedFor, menu, highlightFirst);
}

void OpenFirstMenu(QMenuBar *bar)
{
    for (QAction *title : bar->actions()) {
        if (title->menu() && title->isVisible() && title->isEnabled()) {
            OpenMenu(bar, title);
            return;
        }
    }
}

} // namespace menubar_keys
