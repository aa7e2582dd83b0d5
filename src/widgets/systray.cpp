#include "widgets/systray.h"

#include "platform/sessionbus.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace {

// Makes a menu's first enabled entry active each time the menu shows, so that
// its keys work from the start. The toolkit clears the active entry as the
// menu opens, and an opening effect may show it a moment after exec begins:
// the entry is set just after the menu has shown.
class FirstEntryOnShow : public QObject
{
public:
    explicit FirstEntryOnShow(QMenu *menu) { menu->installEventFilter(this); }

private:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *menu = static_cast<QMenu *>(watched);
            QTimer::singleShot(0, menu, [menu] {
                if (!menu->isVisible() || menu->activeAction())
                    return;
                for (QAction *entry : menu->actions()) {
                    if (!entry->isSeparator() && entry->isVisible() && entry->isEnabled()) {
                        menu->setActiveAction(entry);
                        return;
                    }
                }
            });
        }
        return false;
    }
};

} // namespace

QString CutHint(const QString &text, int maxBytes)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype bytes = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next >= 0; next = graphemes.toNextBoundary()) {
        bytes += QStringView(text).mid(kept, next - kept).toUtf8().size();
        if (bytes > maxBytes)
            break;
        kept = next;
    }
    return text.left(kept);
}

QPoint PopupMenuPosition(TPopupAlignment align, QPoint cursor, QSize size)
{
    switch (align) {
    case paLeft:
        return cursor;
    case paRight:
        return {cursor.x() - size.width(), cursor.y()};
    case paCenter:
        return {cursor.x() - size.width() / 2, cursor.y()};
    }
    return cursor;
}

TSysTray::TSysTray(QObject *owner)
    // Asked just before the toolkit makes its icon and asks the same.
    : QObject(owner), FMenuOnHost(loqa::StatusNotifierHostRegistered()), FTrayIcon(new QSystemTrayIcon(this))
{
    if (auto *widget = qobject_cast<QWidget *>(owner))
        FOwnerWindow = widget->window();
    // Handled after the tray's own mouse handling has returned, so that a menu
    // command may even destroy the icon.
    connect(FTrayIcon, &QSystemTrayIcon::activated, this, &TSysTray::Activated, Qt::QueuedConnection);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
    Modify();
}

TSysTray::~TSysTray()
{
    if (FActive)
        FTrayIcon->hide();
}

void TSysTray::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    Modify();
    FTrayIcon->setVisible(FActive);
}

void TSysTray::SetIcon(const QIcon &icon)
{
    FIcon = icon;
    Modify();
}

void TSysTray::SetHint(const QString &text)
{
    FHint = CutHint(text);
    Modify();
}

QRect TSysTray::IconGeometry() const
{
    return FActive ? FTrayIcon->geometry() : QRect();
}

void TSysTray::Modify()
{
    if (FIcon.isNull()) {
        // An empty picture still takes its place in the tray.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        FTrayIcon->setIcon(QIcon(blank));
    } else {
        FTrayIcon->setIcon(FIcon);
    }
    // Only a host that draws the menu gets it: the XEmbed icon would open it
    // on a right click of its own, beside the menu this component opens.
    if (FMenuOnHost && FTrayIcon->contextMenu() != PopupMenu)
        FTrayIcon->setContextMenu(PopupMenu);
    const QString previous = FTrayIcon->toolTip();
    FTrayIcon->setToolTip(FHint);
    // A tooltip on show for the icon takes the new text at once.
    if (FActive && previous != FHint && QToolTip::isVisible() && QToolTip::text() == previous &&
        FTrayIcon->geometry().contains(QCursor::pos()))
        QToolTip::showText(QCursor::pos(), FHint);
}

void TSysTray::BringOwnerToFront()
{
    if (FOwnerWindow && FOwnerWindow->isVisible() && !FOwnerWindow->isMinimized()) {
        FOwnerWindow->raise();
        FOwnerWindow->activateWindow();
    }
}

void TSysTray::Activated(QSystemTrayIcon::ActivationReason reason)
{
    Qt::MouseButton button;
    TPopupModeItem mode;
    bool doubleClick = false;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        button = Qt::LeftButton;
        mode = pmLeftClick;
        break;
    case QSystemTrayIcon::Context:
        button = Qt::RightButton;
        mode = pmRightClick;
        break;
    case QSystemTrayIcon::DoubleClick:
        button = Qt::LeftButton;
        mode = pmLeftDblClick;
        doubleClick = true;
        break;
    default:
        return;
    }
    Clicked(button, mode, doubleClick, reason == QSystemTrayIcon::Trigger);
}

bool TSysTray::eventFilter(QObject *watched, QEvent *event)
{
    // The toolkit's own tray icon window reports no right double click: it is
    // taken from that window's mouse events.
    if (event->type() == QEvent::MouseButtonDblClick && FActive && watched->isWidgetType() &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton &&
        qstrcmp(watched->metaObject()->className(), "QSystemTrayIconSys") == 0) {
        auto *icon = static_cast<QWidget *>(watched);
        if (QRect(icon->mapToGlobal(QPoint(0, 0)), icon->size()) == FTrayIcon->geometry())
            QMetaObject::invokeMethod(
                this, [this] { Clicked(Qt::RightButton, pmRightDblClick, true, false); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void TSysTray::Clicked(Qt::MouseButton button, TPopupModeItem mode, bool doubleClick, bool leftPress)
{
    // While the menu is open, clicks belong to the menu.
    if (FMenuOpen)
        return;
    const QPoint cursor = QCursor::pos();
    // Whether this press is the second of a double click of the same button.
    const auto secondPress = [&](QElapsedTimer &last, QPoint &where) {
        const QStyleHints *hints = QGuiApplication::styleHints();
        const bool second = last.isValid() && last.elapsed() < hints->mouseDoubleClickInterval() &&
                            (cursor - where).manhattanLength() <= hints->mouseDoubleClickDistance();
        if (second) {
            last.invalidate();
        } else {
            last.start();
            where = cursor;
        }
        return second;
    };
    // A second click that comes soon after a click whose menu has opened and
    // closed is a click of its own: the toolkit counts it as a double click,
    // but the first click was already answered, and the user clicked again to
    // open the menu again.
    if (doubleClick && FMenuSincePress) {
        doubleClick = false;
        mode = button == Qt::LeftButton ? pmLeftClick : pmRightClick;
        leftPress = button == Qt::LeftButton;
    }
    if (!doubleClick)
        FMenuSincePress = false;
    // The toolkit reports the second left press of a double click as a press of
    // its own, before the double click; it is part of the double click.
    if (leftPress && secondPress(FLastPress, FLastPressPosition))
        return;
    QPointer<TSysTray> self(this);
    QPointer<QMenu> menu = PopupMenu;
    if (menu && PopupMode.testFlag(mode)) {
        BringOwnerToFront();
        FMenuOpen = true;
        ExecMenu(menu, cursor);
        if (!self)
            return;
        FMenuOpen = false;
        FMenuSincePress = true;
        FLastPress.invalidate();
    }
    // Menu first, event second.
    const TMouseEvent handler = doubleClick ? OnIconDoubleClick : OnIconMouseDown;
    if (handler) {
        BringOwnerToFront();
        handler(this, button, cursor.x(), cursor.y());
    }
}

void TSysTray::ExecMenu(QMenu *menu, QPoint cursor)
{
    FirstEntryOnShow firstEntry(menu);
    menu->exec(PopupMenuPosition(PopupAlign, cursor, menu->sizeHint()));
}
