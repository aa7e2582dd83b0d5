#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;
class QWidget;

enum TPopupModeItem { pmLeftClick = 0x1, pmRightClick = 0x2, pmLeftDblClick = 0x4, pmRightDblClick = 0x8 };
Q_DECLARE_FLAGS(TPopupMode, TPopupModeItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPopupMode)

// How a popup menu sits against the cursor: its left edge, its right edge or
// its middle at the cursor.
enum TPopupAlignment { paLeft, paRight, paCenter };

// A button went down or was double-clicked on the icon; X and Y are the cursor
// position on the screen when the click was handled.
using TMouseEvent = std::function<void(QObject *Sender, Qt::MouseButton Button, int X, int Y)>;

// The longest tooltip the tray takes, in bytes of UTF-8.
constexpr int MaxHintBytes = 63;

// The text cut to at most `maxBytes` bytes of UTF-8, at the end of a whole
// character (a base letter keeps its accents, a surrogate pair stays whole).
QString CutHint(const QString &text, int maxBytes = MaxHintBytes);

// Where the top-left corner of a menu of `size` goes for a cursor at `cursor`.
QPoint PopupMenuPosition(TPopupAlignment align, QPoint cursor, QSize size);

// One icon in the desktop's notification area, with a tooltip; clicks on it
// open a menu and raise events. Without a tray on the desktop the properties
// still hold their values and the icon appears when a tray does.
class TSysTray : public QObject
{
    Q_OBJECT
public:
    explicit TSysTray(QObject *owner = nullptr);
    ~TSysTray() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    const QIcon &Icon() const { return FIcon; }
    void SetIcon(const QIcon &icon);
    const QString &Hint() const { return FHint; }
    // Longer texts are cut to MaxHintBytes.
    void SetHint(const QString &text);

    // Shows the icon at design time elsewhere; it has no effect in a running program.
    bool ShowDesigning = false;
    // On a tray host that draws menus itself (a StatusNotifierItem host) the
    // host shows this menu, with its own keyboard handling, and the clicks it
    // turns into menus do not reach the component.
    QPointer<QMenu> PopupMenu;
    TPopupMode PopupMode = pmRightClick;
    TPopupAlignment PopupAlign = paRight;
    TMouseEvent OnIconMouseDown;
    TMouseEvent OnIconDoubleClick;

    // Where the tray shows the icon on the screen; empty while it shows none.
    QRect IconGeometry() const;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void Activated(QSystemTrayIcon::ActivationReason reason);
    // A click of `button` that `mode` names; `leftPress` when the toolkit
    // reported it as a plain left press.
    void Clicked(Qt::MouseButton button, TPopupModeItem mode, bool doubleClick, bool leftPress);
    void Modify();
    void BringOwnerToFront();
    // Opens the menu at the cursor with its first entry active, so that the
    // keys work from the start; returns once the menu has closed.
    void ExecMenu(QMenu *menu, QPoint cursor);

    bool FActive = false;
    QIcon FIcon;
    QString FHint = QStringLiteral("Quillmark Software");
    QPointer<QWidget> FOwnerWindow;
    // The icon is an item on the session bus whose host shows the menu.
    bool FMenuOnHost;
    QSystemTrayIcon *FTrayIcon;
    bool FMenuOpen = false;
    // A menu opened and closed after the last press on the icon.
    bool FMenuSincePress = false;
    QElapsedTimer FLastPress;
    QPoint FLastPressPosition;
};
