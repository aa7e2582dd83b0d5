// The main window's tray side: the tray menu, showing and hiding the window,
// minimising into the tray and starting there.
#include "ui/main/converter.h"

#include "commands/actions.h"
#include "widgets/systray.h"
#include "ui/main/toolicons.h"
#include "commands/trayrules.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace loqa;

namespace {

bool trayShown()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace

void TFormCvt::CreateTray()
{
    PopupMenuTray = new QMenu(this);
    PopupMenuTray->setObjectName(QStringLiteral("PopupMenuTray"));
    for (int entry : TrayMenuEntries()) {
        if (entry < 0)
            PopupMenuTray->addSeparator();
        else
            PopupMenuTray->addAction(action(ActionIndex(entry)));
    }
    // The caption first, then the keys for the captions as they read now. A
    // tray host that draws the menu itself gets the keys from the start.
    connect(PopupMenuTray, &QMenu::aboutToShow, this, &TFormCvt::PopupMenuTrayPopup);
    connect(PopupMenuTray, &QMenu::aboutToShow, PopupMenuTray, [menu = PopupMenuTray] { GiveMnemonics(menu); });
    PopupMenuTrayPopup();
    GiveMnemonics(PopupMenuTray);
    connect(action(ActionShowMain), &QAction::triggered, this, &TFormCvt::ActionShowMainExecute);

    SysTray1 = new TSysTray(this);
    SysTray1->setObjectName(QStringLiteral("SysTray1"));
    SysTray1->SetIcon(AppIcon());
    SysTray1->SetHint(QStringLiteral("Loquora"));
    SysTray1->PopupMenu = PopupMenuTray;
    SysTray1->PopupMode = TPopupMode(pmLeftClick) | pmRightClick;
    SysTray1->PopupAlign = paRight;
}

void TFormCvt::PopupMenuTrayPopup()
{
    action(ActionShowMain)->setText(ShowMainCaption(isVisible()));
}

void TFormCvt::ActionShowMainExecute()
{
    if (isVisible()) {
        // A hidden window has no taskbar entry: only the tray icon is left.
        hide();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool TFormCvt::StartsHidden() const
{
    return StartHidden(FSettings.ui.Tray, FSettings.ui.MiniStartup, trayShown());
}

void TFormCvt::changeEvent(QEvent *event)
{
    TQMForm::changeEvent(event);
    // However the window went down (its own button, the window manager, a
    // keyboard shortcut), it goes into the tray when the settings say so.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible() &&
        MinimizeHidesWindow(FSettings.ui.Tray, FSettings.ui.MiniToTray, trayShown())) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && isMinimized())
                ActionShowMainExecute();
        });
    }
}
