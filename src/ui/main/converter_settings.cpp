// The settings applied to the live window, one group each. A group is shown
// when the settings tell of its change: creation tells of every group in turn,
// the options dialog of the group of a control that changed.
#include "ui/main/converter.h"

#include "widgets/clipmon.h"
#include "widgets/contrast.h"
#include "platform/qmutils.h"
#include "platform/shortcut.h"
#include "widgets/systray.h"
#include "widgets/tabstrip.h"
#include "commands/commandrules.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
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
        const QKeyCombination shortcut = TextToShortcut(FSettings.lists.HotkeyList[size_t(i)]);
        action(ActionIndex(i))->setShortcut(IsEmptyShortcut(shortcut) ? QKeySequence() : QKeySequence(shortcut));
        if (FSettings.lists.GlobalHotkeyIDList[size_t(i)] != 0) {
            FSettings.lists.GlobalHotkeyIDList[size_t(i)] = RegisterGlobalHotKey(this, shortcut);
            FGrabbedHotkeys[size_t(i)] = FSettings.lists.GlobalHotkeyIDList[size_t(i)];
        }
    }
}

void TFormCvt::ShowSettings(SettingsGroup group)
{
    using Shown = SettingsGroup;
    switch (group) {
    case Shown::Hints:
        return ApplyHints();
    case Shown::Navigation:
        return UpdateNavigation();
    case Shown::Tabs:
        return ApplyTabSettings();
    case Shown::ScrollBarsAndWrap:
        return ApplyScrollBarsAndWrap();
    case Shown::StayOnTop:
        return ApplyStayOnTop();
    case Shown::ToolBar:
        return ApplyToolBar();
    case Shown::StatusBar:
        return ApplyStatusBar();
    case Shown::Menus:
        return ApplyMenus();
    case Shown::Timers:
        return ApplyTimers();
    case Shown::EditorFont:
        return ApplyEditorFont();
    case Shown::EditorColours:
        return ApplyEditorColours();
    case Shown::Tray:
        return ApplyTray();
    case Shown::Shortcuts:
        return ApplyShortcuts();
    }
}

QFont TFormCvt::EditorFont() const
{
    return Memo1->font();
}

QColor TFormCvt::EditorTextColour() const
{
    return Memo1->palette().color(QPalette::Text);
}

QColor TFormCvt::EditorBackColour() const
{
    return Memo1->palette().color(QPalette::Base);
}

void TFormCvt::SetActionShortcut(int index, const QString &text)
{
    const size_t i = size_t(index);
    FSettings.lists.HotkeyList[i] = text;
    const QKeyCombination shortcut = TextToShortcut(text);
    action(ActionIndex(index))->setShortcut(IsEmptyShortcut(shortcut) ? QKeySequence() : QKeySequence(shortcut));
    if (FGrabbedHotkeys[i] != 0 && FGrabbedHotkeys[i] == FSettings.lists.GlobalHotkeyIDList[i]) {
        UnregisterGlobalHotKey(FGrabbedHotkeys[i]);
        FGrabbedHotkeys[i] = FSettings.lists.GlobalHotkeyIDList[i] = 0;
        if (!IsEmptyShortcut(shortcut))
            FGrabbedHotkeys[i] = FSettings.lists.GlobalHotkeyIDList[i] = RegisterGlobalHotKey(this, shortcut);
        if (FSettings.lists.GlobalHotkeyIDList[i] == 0)
            FSettings.lists.GlobalHotkeyIDList[i] = 1; // still system-wide at the next start
    }
}

int TFormCvt::GrabGlobalHotkey(int index)
{
    const size_t i = size_t(index);
    const int id = RegisterGlobalHotKey(this, TextToShortcut(FSettings.lists.HotkeyList[i]));
    if (id != 0) {
        if (FGrabbedHotkeys[i] != 0)
            UnregisterGlobalHotKey(FGrabbedHotkeys[i]);
        FGrabbedHotkeys[i] = id;
    }
    return id;
}

void TFormCvt::ReleaseGlobalHotkey(int index, int id)
{
    // Only a grab this window made is released: a stored mark of an earlier run
    // is no registration, and its number may belong to another one.
    const size_t i = size_t(index);
    if (id != 0 && FGrabbedHotkeys[i] == id) {
        UnregisterGlobalHotKey(id);
        FGrabbedHotkeys[i] = 0;
    }
}

void TFormCvt::ApplyTabSettings()
{
    // Position first, then look; a stored value outside its list ends the step
    // there, and the setting keeps its value.
    if (!IsTabPosition(FSettings.ui.TabPos))
        return;
    static const QBoxLayout::Direction directions[4] = {QBoxLayout::TopToBottom, QBoxLayout::BottomToTop,
                                                        QBoxLayout::LeftToRight, QBoxLayout::RightToLeft};
    TabControl1->setPosition(TTabStrip::Position(FSettings.ui.TabPos));
    static_cast<QBoxLayout *>(TabControl1->parentWidget()->layout())->setDirection(directions[FSettings.ui.TabPos]);
    if (!IsTabStyle(FSettings.ui.TabStyle))
        return;
    TabControl1->setTabStyle(TTabStrip::Style(FSettings.ui.TabStyle));
}

void TFormCvt::ApplyEditorColours()
{
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Base, fromBgr(FSettings.ui.MemoBGColor));
    p.setColor(QPalette::Text, fromBgr(FSettings.ui.MemoFontColor));
    Memo1->setPalette(p);
}

void TFormCvt::ApplyReadingTint()
{
    QPalette p = Memo1->palette();
    if (IsHighContrast(palette())) {
        // The desktop's own pair, whatever the stored editor colours are.
        p.setColor(QPalette::Base, palette().color(QPalette::Window));
        p.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    } else {
        p.setColor(QPalette::Base, palette().color(QPalette::Button));
    }
    Memo1->setPalette(p);
}

void TFormCvt::ApplyGaugeColours()
{
    QPalette gauge;
    gauge.setColor(QPalette::Highlight,
                   IsHighContrast(palette()) ? palette().color(QPalette::Highlight) : QColor(0x44, 0x77, 0xAA));
    gauge.setColor(QPalette::Base, palette().color(QPalette::Button));
    GaugeWordPosition->setPalette(gauge);
}

void TFormCvt::FormPaletteChange()
{
    if (!GaugeWordPosition) // still being made
        return;
    ApplyGaugeColours();
    // A reading run keeps its tint; otherwise the stored colours stay as they are.
    if (Memo1->isReadOnly()) {
        ApplyEditorColours();
        ApplyReadingTint();
    }
}

void TFormCvt::ApplyEditorFont()
{
    QFont font(FSettings.ui.MemoFontName);
    if (FSettings.ui.MemoFontName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        font.setStyleHint(QFont::Monospace); // the font the desktop has for it
    if (FSettings.ui.MemoFontSize > 0)
        font.setPointSize(FSettings.ui.MemoFontSize);
    font.setBold(FSettings.ui.MemoFontBold);
    font.setItalic(FSettings.ui.MemoFontItalic);
    font.setUnderline(FSettings.ui.MemoFontUnderline);
    font.setStrikeOut(FSettings.ui.MemoFontStrikeOut);
    Memo1->setFont(font);
}

void TFormCvt::ApplyScrollBarsAndWrap()
{
    Memo1->setLineWrapMode(FSettings.ui.MemoWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(FSettings.ui.MemoScrollBars & 1 ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(FSettings.ui.MemoScrollBars & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TFormCvt::ApplyToolBar()
{
    ToolBar->setVisible(FSettings.ui.ShowToolbar);
}

void TFormCvt::ApplyStatusBar()
{
    PanelBottom->setVisible(FSettings.ui.ShowStatusBar);
}

void TFormCvt::ApplyMenus()
{
    MainMenus->setVisible(FSettings.ui.ShowMainMenus);
}

void TFormCvt::ApplyStayOnTop()
{
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == FSettings.ui.StayOnTop)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, FSettings.ui.StayOnTop);
    if (shown)
        show(); // changing the flag hides a shown window
}

void TFormCvt::ApplyTray()
{
    SysTray1->SetActive(FSettings.ui.Tray);
}

void TFormCvt::ApplyHints()
{
    // Hints (tool tips and the status panel's texts) of all of Loquora's windows, or none.
    if (!FSettings.general.ShowHint && !FHintFilter)
        QCoreApplication::instance()->installEventFilter(this);
    else if (FSettings.general.ShowHint && FHintFilter)
        QCoreApplication::instance()->removeEventFilter(this);
    FHintFilter = !FSettings.general.ShowHint;
}

void TFormCvt::ApplyTimers()
{
    StartAandRTimer(FSettings.alarm.Alarm || FSettings.reminder.Reminder);
}
