// The options dialog: its frame, the connections of its controls, and the
// opening, which sets every control from the settings.
#include "ui/options/option.h"

#include "commands/actions.h"
#include "platform/filemanagercommands.h"
#include "settings/global.h"
#include "platform/guarded.h"
#include "ui/options/hotkeyedit.h"
#include "ui/options/spinedit.h"
#include "widgets/tabstripaccessible.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <optional>

using namespace loqa;

namespace {

constexpr QSize kClientSize(446, 368);

} // namespace

TFormOption::TFormOption(loqa::OptionsHost &host, QWidget *parent)
    : TQMForm(parent, Qt::Dialog), FHost(host), FCommands(CreateFileManagerCommands())
{
    setObjectName(QStringLiteral("FormOption"));
    SetBorderIcons(biSystemMenu);
    setWindowTitle(QStringLiteral(" Options"));

    auto *layout = new QVBoxLayout(PanelQMClient);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);
    PageControl1 = new QTabWidget(PanelQMClient);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setUsesScrollButtons(false);
    const std::pair<QWidget *, const char *> pages[] = {{CreateGeneralPage(), "General"},
                                                        {CreateConversionPage(), "Conversion"},
                                                        {CreateInterfacePage(), "User Interface"},
                                                        {CreateClipboardPage(), "Clipboard"},
                                                        {CreateAlarmPage(), "Alarm"},
                                                        {CreateRemindersPage(), "Reminders"}};
    for (const auto &[page, caption] : pages)
        PageControl1->addTab(page, QLatin1String(caption));
    // An invisible seventh page stands for "no page": what a stored page outside
    // the six shows until the user picks one.
    PageControl1->addTab(new QWidget, QString());
    PageControl1->setTabVisible(PageCount, false);
    PageControl1->setAccessibleName(QStringLiteral("Option pages"));
    // The page tabs say they are focused only while the tab row has the focus.
    tabstrip_accessible::Install();
    layout->addWidget(PageControl1, 1);

    ButtonOK = new QPushButton(QStringLiteral("OK"), PanelQMClient);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    layout->addWidget(ButtonOK, 0, Qt::AlignHCenter);

    ConnectControls();

    // Ctrl+Tab and Ctrl+Shift+Tab (Ctrl+PgDn, Ctrl+PgUp) go through the pages from
    // any control; a list box would otherwise take the Tab as a letter to search for.
    const auto step = [this](QKeyCombination keys, int by) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, by] {
            const int at = PageControl1->currentIndex();
            const int from = at >= 0 && at < PageCount ? at : (by > 0 ? -1 : 0);
            ShowPage((from + by + PageCount) % PageCount);
        });
    };
    step(Qt::CTRL | Qt::Key_Tab, 1);
    step(Qt::CTRL | Qt::Key_PageDown, 1);
    step(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1);
    step(Qt::CTRL | Qt::Key_Backtab, -1);
    step(Qt::CTRL | Qt::Key_PageUp, -1);

    // Tab walks each page in reading order: left to right, then down.
    const auto chain = [](std::initializer_list<QWidget *> widgets) {
        for (auto it = widgets.begin(); it + 1 != widgets.end(); ++it)
            setTabOrder(*it, *(it + 1));
    };
    chain({EditTxt, ButtonTxt, EditWav, ButtonWav, EditMp3, ButtonMp3, ComboBoxKHZ, ComboBoxKBPS, ComboBoxRealTime,
           TrackBarPit});
    chain({ComboBoxHotkeys, HotKey1, Button2, CheckBoxGlobalHotkey, Button3, ComboBoxTabPos});
    chain({CheckBoxWatchClipboard, SpinEditIgnoreLen, CheckBoxPrompt, SpinEditPromptDelay, ComboBoxDefAction});

    // The designed size, or more where this desktop's fonts need it (the frame
    // takes 23 pixels of the width and 61 of the height).
    layout->activate();
    resize(kClientSize.expandedTo(layout->totalMinimumSize() + QSize(23, 61)));
}

TFormOption::~TFormOption() = default;

void TFormOption::ConnectControls()
{
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(PageControl1, &QTabWidget::currentChanged, this, [](int index) {
        if (index >= 0 && index < PageCount)
            LastOptionPage = index;
    });

    // What a change shows in the main window: the group it belongs to.
    using Shown = loqa::OptionsHost::Shown;
    const auto applier = [this](std::optional<Shown> group) -> std::function<void()> {
        if (!group)
            return {};
        loqa::OptionsHost *host = &FHost;
        return [host, shown = *group] { host->ShowSettings(shown); };
    };
    const auto setting = [this, applier](QCheckBox *box, bool &value, std::optional<Shown> group = std::nullopt) {
        connect(box, &QCheckBox::toggled, this, [target = &value, then = applier(group)](bool checked) {
            *target = checked;
            if (then)
                then();
        });
    };
    const auto text = [this](QLineEdit *edit, QString &value) {
        connect(edit, &QLineEdit::textChanged, this, [target = &value](const QString &t) { *target = t; });
    };
    const auto number = [this](TSpinEdit *spin, qint32 &value, int fallback) {
        connect(spin, &QSpinBox::textChanged, this,
                [spin, target = &value, fallback] { *target = SpinNumber(spin->cleanText(), fallback); });
        // Left after typing, the field holds its clamped number: stored again.
        connect(spin, &TSpinEdit::Left, this, [target = &value](int number) { *target = number; });
    };
    const auto item = [this, applier](QComboBox *list, qint32 &value, std::optional<Shown> group = std::nullopt) {
        connect(list, &QComboBox::activated, this, [target = &value, then = applier(group)](int index) {
            *target = index;
            if (then)
                then();
        });
    };

    // General
    setting(CheckBoxHint, ShowHint, Shown::Hints);
    setting(CheckBoxRepeat, Repeat, Shown::Navigation); // Prev and Next follow the new value
    setting(CheckBoxHighlight, Highlight);
    setting(CheckBoxAutoNext, AutoNext);
    setting(CheckBoxAutoName, AutoName);
    connect(CheckBoxContext, &QCheckBox::toggled, this, &TFormOption::CheckBoxContextClick);
    setting(CheckBoxGreeting, Greeting);
    connect(CheckBoxGreeting, &QCheckBox::toggled, EditGreetingString, &QWidget::setEnabled);
    text(EditGreetingString, GreetingString);
    connect(Button7, &QPushButton::clicked, this, [this] { ShowLexicon(); });

    // Conversion
    for (const auto &[edit, button, value] :
         {std::tuple{EditTxt, ButtonTxt, &DefTxtPath}, std::tuple{EditWav, ButtonWav, &DefWavPath},
          std::tuple{EditMp3, ButtonMp3, &DefMp3Path}}) {
        QLineEdit *e = edit;
        QString *v = value;
        connect(e, &QLineEdit::textChanged, this, [this, e, v] { FolderChanged(e, *v); });
        connect(button, &QPushButton::clicked, this, [this, e] { PickFolder(e); });
    }
    connect(ComboBoxKHZ, &QComboBox::activated, this, &TFormOption::ComboBoxKHZChange);
    connect(ComboBoxKBPS, &QComboBox::activated, this, &TFormOption::ComboBoxKBPSChange);
    connect(ComboBoxRealTime, &QComboBox::activated, this,
            [this] { RealTime = RealTimeFromItem(ComboBoxRealTime->currentText()); });
    connect(TrackBarPit, &QSlider::valueChanged, this, [this](int position) {
        Pit = position;
        LabelPit->setText(PitchLabelText(position));
    });

    // User Interface
    connect(ComboBoxHotkeys, &QComboBox::activated, this, &TFormOption::ShowHotkey);
    connect(Button2, &QPushButton::clicked, this, &TFormOption::UpdateHotkey);
    connect(Button3, &QPushButton::clicked, this, &TFormOption::ResetHotkeys);
    connect(CheckBoxGlobalHotkey, &QCheckBox::toggled, this, &TFormOption::CheckBoxGlobalHotkeyClick);
    item(ComboBoxTabPos, TabPos, Shown::Tabs);
    item(ComboBoxTabStyle, TabStyle, Shown::Tabs);
    connect(Button4, &QPushButton::clicked, this, &TFormOption::SetEditorFont);
    connect(Button5, &QPushButton::clicked, this, &TFormOption::SetEditorColour);
    item(ComboBoxScrollBars, MemoScrollBars, Shown::ScrollBarsAndWrap);
    setting(CheckBoxWordWrap, MemoWordWrap, Shown::ScrollBarsAndWrap);
    setting(CheckBoxStayOnTop, StayOnTop, Shown::StayOnTop);
    setting(CheckBoxShowToolBar, ShowToolbar, Shown::ToolBar);
    setting(CheckBoxShowStatusBar, ShowStatusBar, Shown::StatusBar);
    setting(CheckBoxShowMainMenus, ShowMainMenus, Shown::Menus);
    connect(CheckBoxTray, &QCheckBox::toggled, this, &TFormOption::CheckBoxTrayClick);
    setting(CheckBoxMiniStartup, MiniStartup);
    setting(CheckBoxMiniToTray, MiniToTray);

    // Clipboard
    setting(CheckBoxWatchClipboard, WatchClipboard);
    connect(CheckBoxWatchClipboard, &QCheckBox::toggled, GroupClipboard, &QWidget::setEnabled);
    number(SpinEditIgnoreLen, IgnoreLen, 0);
    setting(CheckBoxPrompt, ShowPrompt);
    connect(CheckBoxPrompt, &QCheckBox::toggled, SpinEditPromptDelay, &QWidget::setEnabled);
    number(SpinEditPromptDelay, PromptDelay, 1);
    item(ComboBoxDefAction, DefAction);

    // Alarm
    setting(CheckBoxAlarm, Alarm, Shown::Timers);
    connect(CheckBoxAlarm, &QCheckBox::toggled, GroupAlarm, &QWidget::setEnabled);
    number(SpinEditAlarmInterval, AlarmInterval, 1);
    text(EditAlarmBefore, AlarmBefore);
    item(ComboBoxAlarmStyle, AlarmStyle);
    connect(ComboBoxAlarmStyle, &QComboBox::activated, PageControlAlarm, &QStackedWidget::setCurrentIndex);
    setting(CheckBoxAlarmDate, AlarmDate);
    text(EditAlarmTxtFile, AlarmTxtFile);
    text(EditAlarmWavFile, AlarmWavFile);
    connect(ButtonAlarmTxt, &QPushButton::clicked, this,
            [this] { PickAlarmFile(EditAlarmTxtFile, QStringLiteral("Text Files(*.txt)"), QStringLiteral("txt")); });
    connect(ButtonAlarmWav, &QPushButton::clicked, this,
            [this] { PickAlarmFile(EditAlarmWavFile, QStringLiteral("Wav Files(*.wav)"), QStringLiteral("wav")); });
    text(EditAlarmAfter, AlarmAfter);
    setting(CheckBoxAlarmMsgBox, AlarmMsgBox);

    // Reminders
    setting(CheckBoxReminder, Reminder, Shown::Timers);
    connect(CheckBoxReminder, &QCheckBox::toggled, GroupReminder, &QWidget::setEnabled);
    connect(ListViewReminderList, &QTreeWidget::itemSelectionChanged, this, &TFormOption::ReminderSelected);
    connect(ListViewReminderList, &QTreeWidget::itemDoubleClicked, this, &TFormOption::DeleteReminder);
    connect(Button1, &QPushButton::clicked, this, &TFormOption::AddReminder);
    connect(Button6, &QPushButton::clicked, this, &TFormOption::UpdateReminder);
    connect(ButtonDel, &QPushButton::clicked, this, &TFormOption::DeleteReminder);
    setting(CheckBoxReminderMsgBox, ReminderMsgBox);
}

void TFormOption::FormShow()
{
    TQMForm::FormShow();
    SetSizeable(false);
    SetControlsFromSettings();
    FocusShownPage();
}

void TFormOption::SetControlsFromSettings()
{
    // Each control is set as the user would set it: its change handling runs
    // when the setting differs from the state it was designed with. Selecting a
    // list item runs nothing.
    const auto select = [](QComboBox *list, int index) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
    };
    guarded([&] { ShowPage(ListIndexFor(LastOptionPage, PageCount)); });
    guarded([&] {
        CheckBoxHint->setChecked(ShowHint);
        CheckBoxRepeat->setChecked(Repeat);
        CheckBoxHighlight->setChecked(Highlight);
        CheckBoxAutoNext->setChecked(AutoNext);
        CheckBoxAutoName->setChecked(AutoName);
    });
    CheckBoxContext->setChecked(ContextCommandsPresent());
    guarded([&] {
        CheckBoxGreeting->setChecked(Greeting);
        EditGreetingString->setText(GreetingString);
    });
    guarded([&] {
        EditTxt->setText(DefTxtPath);
        EditWav->setText(DefWavPath);
        EditMp3->setText(DefMp3Path);
    });
    guarded([&] {
        select(ComboBoxKHZ, ItemIndexOf(FrequencyItems(), KHZ));
        select(ComboBoxKBPS, ItemIndexOf(BitrateItems(), KBPS));
        select(ComboBoxRealTime, ItemIndexOf(SpeedItems(), SpeedItemText(RealTime)));
    });
    guarded([&] {
        const ClampedNumber pit = ClampForControl(Pit, TrackBarPit->minimum(), TrackBarPit->maximum(), 50);
        const QSignalBlocker quiet(TrackBarPit);
        TrackBarPit->setValue(pit.shown);
        if (pit.stored) {
            Pit = *pit.stored;
            LabelPit->setText(PitchLabelText(Pit));
        }
    });
    guarded([&] {
        for (int i = 0; i < ActionCount; ++i)
            ComboBoxHotkeys->addItem(QString::fromLatin1(kActions[size_t(i)].caption));
        select(ComboBoxHotkeys, 0);
        ShowHotkey(0);
    });
    guarded([&] {
        select(ComboBoxTabPos, ListIndexFor(TabPos, ComboBoxTabPos->count()));
        select(ComboBoxTabStyle, ListIndexFor(TabStyle, ComboBoxTabStyle->count()));
    });
    guarded([&] {
        select(ComboBoxScrollBars, ListIndexFor(MemoScrollBars, ComboBoxScrollBars->count()));
        CheckBoxWordWrap->setChecked(MemoWordWrap);
    });
    guarded([&] {
        CheckBoxStayOnTop->setChecked(StayOnTop);
        CheckBoxShowToolBar->setChecked(ShowToolbar);
        CheckBoxShowStatusBar->setChecked(ShowStatusBar);
        CheckBoxShowMainMenus->setChecked(ShowMainMenus);
        CheckBoxTray->setChecked(Tray);
        CheckBoxMiniStartup->setChecked(MiniStartup);
        CheckBoxMiniToTray->setChecked(MiniToTray);
    });
    const auto bounded = [](QSpinBox *spin, qint32 &value, int design) {
        const ClampedNumber n = ClampForControl(value, spin->minimum(), spin->maximum(), design);
        const QSignalBlocker quiet(spin);
        spin->setValue(n.shown);
        if (n.stored)
            value = *n.stored;
    };
    guarded([&] {
        CheckBoxWatchClipboard->setChecked(WatchClipboard);
        bounded(SpinEditIgnoreLen, IgnoreLen, 10);
        CheckBoxPrompt->setChecked(ShowPrompt);
        bounded(SpinEditPromptDelay, PromptDelay, 2);
        select(ComboBoxDefAction, ListIndexFor(DefAction, ComboBoxDefAction->count()));
    });
    guarded([&] {
        CheckBoxAlarm->setChecked(Alarm);
        GroupAlarm->setEnabled(Alarm);
        bounded(SpinEditAlarmInterval, AlarmInterval, 60);
        EditAlarmBefore->setText(AlarmBefore);
        const int style = ListIndexFor(AlarmStyle, ComboBoxAlarmStyle->count());
        select(ComboBoxAlarmStyle, style);
        if (style >= 0)
            PageControlAlarm->setCurrentIndex(style);
        CheckBoxAlarmDate->setChecked(AlarmDate);
        EditAlarmTxtFile->setText(AlarmTxtFile);
        EditAlarmWavFile->setText(AlarmWavFile);
        EditAlarmAfter->setText(AlarmAfter);
        CheckBoxAlarmMsgBox->setChecked(AlarmMsgBox);
    });
    guarded([&] {
        CheckBoxReminder->setChecked(Reminder);
        GroupReminder->setEnabled(Reminder);
        if (!FillReminders())
            return; // a reminder line that names no moment ends the step there
        DatePicker->setDate(QDate::currentDate());
        TimePicker->setTime(QTime::currentTime());
        CheckBoxReminderMsgBox->setChecked(ReminderMsgBox);
    });
}

void ShowOptionDialog(loqa::OptionsHost &host, QWidget *window)
{
    auto dialog = std::make_unique<TFormOption>(host, window);
    if (QScreen *screen = window ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                     area.y() + (area.height() - dialog->height()) / 2);
    }
    dialog->exec();
}
