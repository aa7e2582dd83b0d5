// The options dialog: its frame, the connections of its controls, and the
// opening, which sets every control from the settings.
#include "ui/options/option.h"

#include "commands/actions.h"
#include "platform/filemanagercommands.h"
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
    : TQMForm(parent, Qt::Dialog), FHost(host), FSettings(host.settings()), FCommands(CreateFileManagerCommands())
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
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < PageCount)
            FSettings.automatic.LastOptionPage = index;
    });

    // What a change shows in the main window: the group it belongs to.
    using Shown = loqa::SettingsGroup;
    const auto applier = [this](std::optional<Shown> group) -> std::function<void()> {
        if (!group)
            return {};
        const loqa::Settings *settings = &FSettings;
        return [settings, shown = *group] { settings->Changed(shown); };
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
    setting(CheckBoxHint, FSettings.general.ShowHint, Shown::Hints);
    setting(CheckBoxRepeat, FSettings.general.Repeat, Shown::Navigation); // Prev and Next follow the new value
    setting(CheckBoxHighlight, FSettings.general.Highlight);
    setting(CheckBoxAutoNext, FSettings.general.AutoNext);
    setting(CheckBoxAutoName, FSettings.general.AutoName);
    connect(CheckBoxContext, &QCheckBox::toggled, this, &TFormOption::CheckBoxContextClick);
    setting(CheckBoxGreeting, FSettings.general.Greeting);
    connect(CheckBoxGreeting, &QCheckBox::toggled, EditGreetingString, &QWidget::setEnabled);
    text(EditGreetingString, FSettings.general.GreetingString);
    connect(Button7, &QPushButton::clicked, this, [this] { ShowLexicon(); });
    // The document loader takes the rules when a document is opened: a change
    // counts for the documents opened after it, one already shown stays as read.
    setting(CheckBoxJoinHyphenated, FSettings.documents.JoinHyphenated);
    setting(CheckBoxJoinLines, FSettings.documents.JoinLines);
    setting(CheckBoxDropRepeated, FSettings.documents.DropRepeated);
    setting(CheckBoxPlainLetters, FSettings.documents.PlainLetters);

    // Conversion
    for (const auto &[edit, button, value] : {std::tuple{EditTxt, ButtonTxt, &FSettings.convert.DefTxtPath},
                                              std::tuple{EditWav, ButtonWav, &FSettings.convert.DefWavPath},
                                              std::tuple{EditMp3, ButtonMp3, &FSettings.convert.DefMp3Path}}) {
        QLineEdit *e = edit;
        QString *v = value;
        connect(e, &QLineEdit::textChanged, this, [this, e, v] { FolderChanged(e, *v); });
        connect(button, &QPushButton::clicked, this, [this, e] { PickFolder(e); });
    }
    connect(ComboBoxKHZ, &QComboBox::activated, this, &TFormOption::ComboBoxKHZChange);
    connect(ComboBoxKBPS, &QComboBox::activated, this, &TFormOption::ComboBoxKBPSChange);
    connect(ComboBoxRealTime, &QComboBox::activated, this,
            [this] { FSettings.convert.RealTime = RealTimeFromItem(ComboBoxRealTime->currentText()); });
    connect(TrackBarPit, &QSlider::valueChanged, this, [this](int position) {
        FSettings.convert.Pit = position;
        LabelPit->setText(PitchLabelText(position));
    });

    // User Interface
    connect(ComboBoxHotkeys, &QComboBox::activated, this, &TFormOption::ShowHotkey);
    connect(Button2, &QPushButton::clicked, this, &TFormOption::UpdateHotkey);
    connect(Button3, &QPushButton::clicked, this, &TFormOption::ResetHotkeys);
    connect(CheckBoxGlobalHotkey, &QCheckBox::toggled, this, &TFormOption::CheckBoxGlobalHotkeyClick);
    item(ComboBoxTabPos, FSettings.ui.TabPos, Shown::Tabs);
    item(ComboBoxTabStyle, FSettings.ui.TabStyle, Shown::Tabs);
    connect(Button4, &QPushButton::clicked, this, &TFormOption::SetEditorFont);
    connect(Button5, &QPushButton::clicked, this, &TFormOption::SetEditorColour);
    item(ComboBoxScrollBars, FSettings.ui.MemoScrollBars, Shown::ScrollBarsAndWrap);
    setting(CheckBoxWordWrap, FSettings.ui.MemoWordWrap, Shown::ScrollBarsAndWrap);
    setting(CheckBoxStayOnTop, FSettings.ui.StayOnTop, Shown::StayOnTop);
    setting(CheckBoxShowToolBar, FSettings.ui.ShowToolbar, Shown::ToolBar);
    setting(CheckBoxShowStatusBar, FSettings.ui.ShowStatusBar, Shown::StatusBar);
    setting(CheckBoxShowMainMenus, FSettings.ui.ShowMainMenus, Shown::Menus);
    connect(CheckBoxTray, &QCheckBox::toggled, this, &TFormOption::CheckBoxTrayClick);
    setting(CheckBoxMiniStartup, FSettings.ui.MiniStartup);
    setting(CheckBoxMiniToTray, FSettings.ui.MiniToTray);

    // Clipboard
    setting(CheckBoxWatchClipboard, FSettings.clipboard.WatchClipboard);
    connect(CheckBoxWatchClipboard, &QCheckBox::toggled, GroupClipboard, &QWidget::setEnabled);
    number(SpinEditIgnoreLen, FSettings.clipboard.IgnoreLen, 0);
    setting(CheckBoxPrompt, FSettings.clipboard.ShowPrompt);
    connect(CheckBoxPrompt, &QCheckBox::toggled, SpinEditPromptDelay, &QWidget::setEnabled);
    number(SpinEditPromptDelay, FSettings.clipboard.PromptDelay, 1);
    item(ComboBoxDefAction, FSettings.clipboard.DefAction);

    // Alarm
    setting(CheckBoxAlarm, FSettings.alarm.Alarm, Shown::Timers);
    connect(CheckBoxAlarm, &QCheckBox::toggled, GroupAlarm, &QWidget::setEnabled);
    number(SpinEditAlarmInterval, FSettings.alarm.AlarmInterval, 1);
    text(EditAlarmBefore, FSettings.alarm.AlarmBefore);
    item(ComboBoxAlarmStyle, FSettings.alarm.AlarmStyle);
    connect(ComboBoxAlarmStyle, &QComboBox::activated, PageControlAlarm, &QStackedWidget::setCurrentIndex);
    setting(CheckBoxAlarmDate, FSettings.alarm.AlarmDate);
    text(EditAlarmTxtFile, FSettings.alarm.AlarmTxtFile);
    text(EditAlarmWavFile, FSettings.alarm.AlarmWavFile);
    connect(ButtonAlarmTxt, &QPushButton::clicked, this,
            [this] { PickAlarmFile(EditAlarmTxtFile, QStringLiteral("Text Files(*.txt)"), QStringLiteral("txt")); });
    connect(ButtonAlarmWav, &QPushButton::clicked, this,
            [this] { PickAlarmFile(EditAlarmWavFile, QStringLiteral("Wav Files(*.wav)"), QStringLiteral("wav")); });
    text(EditAlarmAfter, FSettings.alarm.AlarmAfter);
    setting(CheckBoxAlarmMsgBox, FSettings.alarm.AlarmMsgBox);

    // Reminders
    setting(CheckBoxReminder, FSettings.reminder.Reminder, Shown::Timers);
    connect(CheckBoxReminder, &QCheckBox::toggled, GroupReminder, &QWidget::setEnabled);
    connect(ListViewReminderList, &QTreeWidget::itemSelectionChanged, this, &TFormOption::ReminderSelected);
    connect(ListViewReminderList, &QTreeWidget::itemDoubleClicked, this, &TFormOption::DeleteReminder);
    connect(Button1, &QPushButton::clicked, this, &TFormOption::AddReminder);
    connect(Button6, &QPushButton::clicked, this, &TFormOption::UpdateReminder);
    connect(ButtonDel, &QPushButton::clicked, this, &TFormOption::DeleteReminder);
    setting(CheckBoxReminderMsgBox, FSettings.reminder.ReminderMsgBox);
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
    guarded([&] { ShowPage(ListIndexFor(FSettings.automatic.LastOptionPage, PageCount)); });
    guarded([&] {
        CheckBoxHint->setChecked(FSettings.general.ShowHint);
        CheckBoxRepeat->setChecked(FSettings.general.Repeat);
        CheckBoxHighlight->setChecked(FSettings.general.Highlight);
        CheckBoxAutoNext->setChecked(FSettings.general.AutoNext);
        CheckBoxAutoName->setChecked(FSettings.general.AutoName);
    });
    CheckBoxContext->setChecked(ContextCommandsPresent());
    guarded([&] {
        CheckBoxGreeting->setChecked(FSettings.general.Greeting);
        EditGreetingString->setText(FSettings.general.GreetingString);
    });
    guarded([&] {
        CheckBoxJoinHyphenated->setChecked(FSettings.documents.JoinHyphenated);
        CheckBoxJoinLines->setChecked(FSettings.documents.JoinLines);
        CheckBoxDropRepeated->setChecked(FSettings.documents.DropRepeated);
        CheckBoxPlainLetters->setChecked(FSettings.documents.PlainLetters);
    });
    guarded([&] {
        EditTxt->setText(FSettings.convert.DefTxtPath);
        EditWav->setText(FSettings.convert.DefWavPath);
        EditMp3->setText(FSettings.convert.DefMp3Path);
    });
    guarded([&] {
        select(ComboBoxKHZ, ItemIndexOf(FrequencyItems(), FSettings.convert.KHZ));
        select(ComboBoxKBPS, ItemIndexOf(BitrateItems(), FSettings.convert.KBPS));
        select(ComboBoxRealTime, ItemIndexOf(SpeedItems(), SpeedItemText(FSettings.convert.RealTime)));
    });
    guarded([&] {
        const ClampedNumber pit =
            ClampForControl(FSettings.convert.Pit, TrackBarPit->minimum(), TrackBarPit->maximum(), 50);
        const QSignalBlocker quiet(TrackBarPit);
        TrackBarPit->setValue(pit.shown);
        if (pit.stored) {
            FSettings.convert.Pit = *pit.stored;
            LabelPit->setText(PitchLabelText(FSettings.convert.Pit));
        }
    });
    guarded([&] {
        for (int i = 0; i < ActionCount; ++i)
            ComboBoxHotkeys->addItem(QString::fromLatin1(kActions[size_t(i)].caption));
        select(ComboBoxHotkeys, 0);
        ShowHotkey(0);
    });
    guarded([&] {
        select(ComboBoxTabPos, ListIndexFor(FSettings.ui.TabPos, ComboBoxTabPos->count()));
        select(ComboBoxTabStyle, ListIndexFor(FSettings.ui.TabStyle, ComboBoxTabStyle->count()));
    });
    guarded([&] {
        select(ComboBoxScrollBars, ListIndexFor(FSettings.ui.MemoScrollBars, ComboBoxScrollBars->count()));
        CheckBoxWordWrap->setChecked(FSettings.ui.MemoWordWrap);
    });
    guarded([&] {
        CheckBoxStayOnTop->setChecked(FSettings.ui.StayOnTop);
        CheckBoxShowToolBar->setChecked(FSettings.ui.ShowToolbar);
        CheckBoxShowStatusBar->setChecked(FSettings.ui.ShowStatusBar);
        CheckBoxShowMainMenus->setChecked(FSettings.ui.ShowMainMenus);
        CheckBoxTray->setChecked(FSettings.ui.Tray);
        CheckBoxMiniStartup->setChecked(FSettings.ui.MiniStartup);
        CheckBoxMiniToTray->setChecked(FSettings.ui.MiniToTray);
    });
    const auto bounded = [](QSpinBox *spin, qint32 &value, int design) {
        const ClampedNumber n = ClampForControl(value, spin->minimum(), spin->maximum(), design);
        const QSignalBlocker quiet(spin);
        spin->setValue(n.shown);
        if (n.stored)
            value = *n.stored;
    };
    guarded([&] {
        CheckBoxWatchClipboard->setChecked(FSettings.clipboard.WatchClipboard);
        bounded(SpinEditIgnoreLen, FSettings.clipboard.IgnoreLen, 10);
        CheckBoxPrompt->setChecked(FSettings.clipboard.ShowPrompt);
        bounded(SpinEditPromptDelay, FSettings.clipboard.PromptDelay, 2);
        select(ComboBoxDefAction, ListIndexFor(FSettings.clipboard.DefAction, ComboBoxDefAction->count()));
    });
    guarded([&] {
        CheckBoxAlarm->setChecked(FSettings.alarm.Alarm);
        GroupAlarm->setEnabled(FSettings.alarm.Alarm);
        bounded(SpinEditAlarmInterval, FSettings.alarm.AlarmInterval, 60);
        EditAlarmBefore->setText(FSettings.alarm.AlarmBefore);
        const int style = ListIndexFor(FSettings.alarm.AlarmStyle, ComboBoxAlarmStyle->count());
        select(ComboBoxAlarmStyle, style);
        if (style >= 0)
            PageControlAlarm->setCurrentIndex(style);
        CheckBoxAlarmDate->setChecked(FSettings.alarm.AlarmDate);
        EditAlarmTxtFile->setText(FSettings.alarm.AlarmTxtFile);
        EditAlarmWavFile->setText(FSettings.alarm.AlarmWavFile);
        EditAlarmAfter->setText(FSettings.alarm.AlarmAfter);
        CheckBoxAlarmMsgBox->setChecked(FSettings.alarm.AlarmMsgBox);
    });
    guarded([&] {
        CheckBoxReminder->setChecked(FSettings.reminder.Reminder);
        GroupReminder->setEnabled(FSettings.reminder.Reminder);
        if (!FillReminders())
            return; // a reminder line that names no moment ends the step there
        DatePicker->setDate(QDate::currentDate());
        TimePicker->setTime(QTime::currentTime());
        CheckBoxReminderMsgBox->setChecked(FSettings.reminder.ReminderMsgBox);
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
