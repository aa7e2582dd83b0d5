// The settings applied to the live window, one group each. Creation runs them
// in order; the options dialog runs the group of a control that changed.
#include "converter.h"

#include "clipmon.h"
#include "global.h"
#include "qmutils.h"
#include "shortcut.h"
#include "systray.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

using namespace loqa;

namespace {

QColor fromBgr(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

void TFormCvt::ApplyShortcuts()
{
    // The grabs made before go first, so a changed chord leaves none behind.
    for (int &grabbed : FGrabbedHotkeys) {
        if (grabbed != 0)
            UnregisterGlobalHotKey(grabbed);
        grabbed = 0;
    }
    for (int i = 0; i < ActionCount; ++i) {
        const QKeyCombination shortcut = TextToShortcut(HotkeyList[size_t(i)]);
        action(ActionIndex(i))->setShortcut(IsEmptyShortcut(shortcut) ? QKeySequence() : QKeySequence(shortcut));
        if (GlobalHotkeyIDList[size_t(i)] != 0) {
            GlobalHotkeyIDList[size_t(i)] = RegisterGlobalHotKey(this, shortcut);
            FGrabbedHotkeys[size_t(i)] = GlobalHotkeyIDList[size_t(i)];
        }
    }
}

void TFormCvt::ApplyTabSettings()
{
    // A stored position or look outside its list leaves that part as it is.
    if (TabPos >= 0 && TabPos <= 3) {
        static const QTabBar::Shape shapes[4] = {QTabBar::RoundedNorth, QTabBar::RoundedSouth, QTabBar::RoundedWest,
                                                 QTabBar::RoundedEast};
        static const QBoxLayout::Direction directions[4] = {QBoxLayout::TopToBottom, QBoxLayout::BottomToTop,
                                                            QBoxLayout::LeftToRight, QBoxLayout::RightToLeft};
        TabControl1->setShape(shapes[TabPos]);
        static_cast<QBoxLayout *>(TabControl1->parentWidget()->layout())->setDirection(directions[TabPos]);
    }
    if (TabStyle >= 0 && TabStyle <= 2) {
        // 0 tabs, 1 buttons, 2 flat buttons.
        TabControl1->setDocumentMode(TabStyle == 2);
        TabControl1->setDrawBase(TabStyle == 0);
    }
}

void TFormCvt::ApplyEditorColours()
{
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Base, fromBgr(MemoBGColor));
    p.setColor(QPalette::Text, fromBgr(MemoFontColor));
    Memo1->setPalette(p);
}

void TFormCvt::ApplyEditorFont()
{
    QFont font(MemoFontName);
    if (MemoFontName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        font.setStyleHint(QFont::Monospace); // the font the desktop has for it
    if (MemoFontSize > 0)
        font.setPointSize(MemoFontSize);
    font.setBold(MemoFontBold);
    font.setItalic(MemoFontItalic);
    font.setUnderline(MemoFontUnderline);
    font.setStrikeOut(MemoFontStrikeOut);
    Memo1->setFont(font);
}

void TFormCvt::ApplyScrollBarsAndWrap()
{
    Memo1->setLineWrapMode(MemoWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(MemoScrollBars & 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(MemoScrollBars & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TFormCvt::ApplyToolBar()
{
    ToolBar->setVisible(ShowToolbar);
}

void TFormCvt::ApplyStatusBar()
{
    PanelBottom->setVisible(ShowStatusBar);
}

void TFormCvt::ApplyMenus()
{
    MainMenus->setVisible(ShowMainMenus);
}

void TFormCvt::ApplyStayOnTop()
{
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == StayOnTop)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, StayOnTop);
    if (shown)
        show(); // changing the flag hides a shown window
}

void TFormCvt::ApplyTray()
{
    SysTray1->SetActive(Tray);
}

void TFormCvt::ApplyHints()
{
    // Hints (tool tips and the status panel's texts) for the whole application, or none.
    if (!ShowHint && !FHintFilter)
        QCoreApplication::instance()->installEventFilter(this);
    else if (ShowHint && FHintFilter)
        QCoreApplication::instance()->removeEventFilter(this);
    FHintFilter = !ShowHint;
}

void TFormCvt::ApplyTimers()
{
    StartAandRTimer(Alarm || Reminder);
}
