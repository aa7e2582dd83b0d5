// The six pages of the options dialog, as designed: every control in the state
// it has before the dialog sets it from the settings.
#include "ui/options/option.h"

#include "ui/options/hotkeyedit.h"
#include "widgets/screenreader.h"
#include "ui/options/spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <climits>

using namespace loqa;

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox *check(QWidget *parent, const char *name, const QString &caption, bool design)
{
    auto *box = named(new QCheckBox(caption, parent), name);
    box->setChecked(design);
    return box;
}

QComboBox *combo(QWidget *parent, const char *name, const QStringList &items, const QString &accessible)
{
    auto *list = named(new QComboBox(parent), name);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setAccessibleName(accessible);
    return list;
}

QLabel *label(QWidget *parent, const QString &text, QWidget *buddy = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

TSpinEdit *spin(QWidget *parent, const char *name, int low, int high, int design, const QString &accessible)
{
    auto *box = named(new TSpinEdit(parent), name);
    box->setRange(low, high);
    box->setValue(design);
    box->setAccessibleName(accessible);
    box->setMinimumWidth(64);
    return box;
}

// A caption with a gap of blanks for a control: the words before the gap and after it.
std::pair<QString, QString> splitAtGap(const QString &caption)
{
    const qsizetype gap = caption.indexOf(QStringLiteral("  "));
    return {caption.left(gap), caption.mid(gap).trimmed()};
}

QGroupBox *group(QWidget *parent, const QString &title)
{
    return new QGroupBox(title, parent);
}

QLineEdit *folderEdit(QWidget *parent, const char *name, const QString &accessible)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    QPalette grey = edit->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edit->setPalette(grey);
    edit->setAccessibleName(accessible);
    return edit;
}

QPushButton *browseButton(QWidget *parent, const char *name, const QString &accessible)
{
    auto *button = named(new QPushButton(QStringLiteral("..."), parent), name);
    button->setAccessibleName(accessible);
    button->setFixedWidth(28);
    return button;
}

} // namespace

QWidget *TFormOption::CreateGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    // Rows as close as the documents' group has them: the page then needs no
    // more height than the tallest of the others.
    layout->setSpacing(2);
    CheckBoxHint = check(page, "CheckBoxHint", QStringLiteral("Show &Tooltips"), true);
    CheckBoxRepeat = check(page, "CheckBoxRepeat", QStringLiteral("Repeating Playlist"), true);
    CheckBoxHighlight = check(page, "CheckBoxHighlight", QStringLiteral("Highlight Reading Word"), true);
    CheckBoxAutoNext = check(page, "CheckBoxAutoNext", QStringLiteral("Automatically Play Next File"), true);
    CheckBoxAutoName = check(page, "CheckBoxAutoName", QStringLiteral("Automatically Name for WAV/MP3 Files"), false);
    CheckBoxContext = check(page, "CheckBoxContext", QStringLiteral("Add Commands to .txt file Context Menus"), true);
    CheckBoxGreeting = check(page, "CheckBoxGreeting", QStringLiteral("Greeting at Startup"), true);
    EditGreetingString = named(new QLineEdit(page), "EditGreetingString");
    EditGreetingString->setAccessibleName(QStringLiteral("Greeting"));
    for (QCheckBox *box :
         {CheckBoxHint, CheckBoxRepeat, CheckBoxHighlight, CheckBoxAutoNext, CheckBoxAutoName, CheckBoxContext})
        layout->addWidget(box);
    auto *greeting = new QHBoxLayout;
    greeting->addWidget(CheckBoxGreeting);
    greeting->addWidget(EditGreetingString, 1);
    layout->addLayout(greeting);

    // How a PDF, e-book, Office file or web page becomes the text that is read;
    // made after the greeting's field, so Tab reaches the group in reading order.
    GroupDocuments =
        named(group(page, QStringLiteral(" Documents (PDF, e-books, Office files, web pages) ")), "GroupDocuments");
    auto *documents = new QVBoxLayout(GroupDocuments);
    documents->setContentsMargins(8, 2, 8, 4);
    documents->setSpacing(2);
    CheckBoxJoinHyphenated =
        check(GroupDocuments, "CheckBoxJoinHyphenated", QStringLiteral("Join words hyphenated at line ends"), true);
    CheckBoxJoinLines =
        check(GroupDocuments, "CheckBoxJoinLines", QStringLiteral("Join lines wrapped inside a paragraph"), true);
    CheckBoxDropRepeated = check(GroupDocuments, "CheckBoxDropRepeated",
                                 QStringLiteral("Leave out page numbers, running headers and footers"), true);
    CheckBoxPlainLetters = check(GroupDocuments, "CheckBoxPlainLetters",
                                 QStringLiteral("Read ligatures and soft hyphens as plain letters"), true);
    for (QCheckBox *box : {CheckBoxJoinHyphenated, CheckBoxJoinLines, CheckBoxDropRepeated, CheckBoxPlainLetters})
        documents->addWidget(box);
    layout->addWidget(GroupDocuments);
    layout->addStretch(1);

    Button7 = named(new QPushButton(QStringLiteral("Pronunciation Manager"), page), "Button7");
    auto *lexicon = new QHBoxLayout;
    lexicon->addWidget(Button7, 0, Qt::AlignTop);
    auto *notes = new QVBoxLayout;
    notes->setSpacing(0);
    QLabel *first =
        named(label(page, QStringLiteral("( You can edit the phonetics of mispronounced words ")), "Label1");
    QLabel *second =
        named(label(page, QStringLiteral("and load or unload personal exception dictionaries. )")), "Label2");
    notes->addWidget(first);
    notes->addWidget(second);
    screenreader::HintsFor(Button7, {first, second});
    lexicon->addLayout(notes, 1);
    layout->addLayout(lexicon);
    return page;
}

QWidget *TFormOption::CreateConversionPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    auto *folders = group(page, QStringLiteral(" Default File Output Directories "));
    auto *grid = new QGridLayout(folders);
    EditTxt = folderEdit(folders, "EditTxt", QStringLiteral("TXT Files Directory"));
    EditWav = folderEdit(folders, "EditWav", QStringLiteral("WAV Files Directory"));
    EditMp3 = folderEdit(folders, "EditMp3", QStringLiteral("MP3 Files Directory"));
    ButtonTxt = browseButton(folders, "ButtonTxt", QStringLiteral("Choose the TXT files directory"));
    ButtonWav = browseButton(folders, "ButtonWav", QStringLiteral("Choose the WAV files directory"));
    ButtonMp3 = browseButton(folders, "ButtonMp3", QStringLiteral("Choose the MP3 files directory"));
    const struct {
        const char *caption;
        QLineEdit *edit;
        QPushButton *button;
    } rows[] = {{"&TXT Files Directory:", EditTxt, ButtonTxt},
                {"&WAV Files Directory:", EditWav, ButtonWav},
                {"M&P3 Files Directory:", EditMp3, ButtonMp3}};
    int row = 0;
    for (const auto &r : rows) {
        grid->addWidget(label(folders, QLatin1String(r.caption), r.button), row, 0);
        grid->addWidget(r.edit, row, 1);
        grid->addWidget(r.button, row, 2);
        ++row;
    }
    layout->addWidget(folders);

    auto *quality = group(page, QStringLiteral(" MP3 Quality ( advanced users only ) "));
    auto *q = new QHBoxLayout(quality);
    ComboBoxKHZ = combo(quality, "ComboBoxKHZ", FrequencyItems(), QStringLiteral("Resample frequency"));
    ComboBoxKBPS = combo(quality, "ComboBoxKBPS", BitrateItems(), QStringLiteral("Bitrates"));
    q->addWidget(label(quality, QStringLiteral("&Resample frequency :"), ComboBoxKHZ));
    q->addWidget(ComboBoxKHZ);
    q->addWidget(label(quality, QStringLiteral("KHZ")));
    q->addSpacing(8);
    q->addWidget(label(quality, QStringLiteral("&Bitrates:"), ComboBoxKBPS));
    q->addWidget(ComboBoxKBPS);
    q->addWidget(label(quality, QStringLiteral("KBPS")));
    q->addStretch(1);
    layout->addWidget(quality);

    auto *speed = new QHBoxLayout;
    ComboBoxRealTime = combo(page, "ComboBoxRealTime", SpeedItems(), QStringLiteral("Write to File Speed"));
    speed->addWidget(label(page, QStringLiteral("Write to File( WAV/MP3 ) &Speed:"), ComboBoxRealTime));
    speed->addWidget(ComboBoxRealTime);
    speed->addStretch(1);
    layout->addLayout(speed);

    TrackBarPit = named(new QSlider(Qt::Horizontal, page), "TrackBarPit");
    TrackBarPit->setRange(50, 400);
    TrackBarPit->setTickPosition(QSlider::NoTicks);
    TrackBarPit->setValue(50);
    TrackBarPit->setAccessibleName(QStringLiteral("Pitch of Voices"));
    LabelPit = named(label(page, PitchLabelText(50), TrackBarPit), "LabelPit");
    layout->addWidget(LabelPit);
    layout->addWidget(TrackBarPit);
    layout->addStretch(1);
    return page;
}

QWidget *TFormOption::CreateInterfacePage()
{
    auto *page = new QWidget;
    auto *layout = new QGridLayout(page);

    auto *hotkeys = group(page, QStringLiteral(" Hotkeys "));
    auto *h = new QGridLayout(hotkeys);
    ComboBoxHotkeys = named(new QComboBox(hotkeys), "ComboBoxHotkeys");
    ComboBoxHotkeys->setAccessibleName(QStringLiteral("Command"));
    ComboBoxHotkeys->setMaxVisibleItems(16);
    HotKey1 = named(new THotKeyEdit(hotkeys), "HotKey1");
    HotKey1->setAccessibleName(QStringLiteral("Shortcut"));
    Button2 = named(new QPushButton(QStringLiteral("&Update"), hotkeys), "Button2");
    Button3 = named(new QPushButton(QStringLiteral("Reset &ALL"), hotkeys), "Button3");
    CheckBoxGlobalHotkey =
        check(hotkeys, "CheckBoxGlobalHotkey", QStringLiteral("Global Hotkey (need restart Loquora)"), false);
    h->addWidget(ComboBoxHotkeys, 0, 0);
    h->addWidget(HotKey1, 0, 1);
    h->addWidget(Button2, 0, 2);
    h->addWidget(CheckBoxGlobalHotkey, 1, 0, 1, 2);
    h->addWidget(Button3, 1, 2);
    h->setColumnStretch(0, 3);
    h->setColumnStretch(1, 2);
    layout->addWidget(hotkeys, 0, 0, 1, 2);

    auto *tabs = group(page, QStringLiteral(" Playlist Tabs "));
    auto *t = new QGridLayout(tabs);
    ComboBoxTabPos =
        combo(tabs, "ComboBoxTabPos",
              {QStringLiteral("Top"), QStringLiteral("Bottom"), QStringLiteral("Left"), QStringLiteral("Right")},
              QStringLiteral("Tab position"));
    ComboBoxTabStyle = combo(tabs, "ComboBoxTabStyle",
                             {QStringLiteral("Tabs"), QStringLiteral("Buttons"), QStringLiteral("FlatButtons")},
                             QStringLiteral("Tab style"));
    t->addWidget(label(tabs, QStringLiteral("&Position:"), ComboBoxTabPos), 0, 0);
    t->addWidget(ComboBoxTabPos, 0, 1);
    t->addWidget(label(tabs, QStringLiteral("St&yle:"), ComboBoxTabStyle), 1, 0);
    t->addWidget(ComboBoxTabStyle, 1, 1);
    t->setColumnStretch(1, 1);

    auto *editor = group(page, QStringLiteral(" Editor "));
    auto *e = new QGridLayout(editor);
    Button4 = named(new QPushButton(QStringLiteral("Set &Font"), editor), "Button4");
    Button5 = named(new QPushButton(QStringLiteral("Set &BackColor"), editor), "Button5");
    ComboBoxScrollBars = combo(
        editor, "ComboBoxScrollBars",
        {QStringLiteral("None"), QStringLiteral("Horizontal"), QStringLiteral("Vertical"), QStringLiteral("Both")},
        QStringLiteral("ScrollBars"));
    CheckBoxWordWrap = check(editor, "CheckBoxWordWrap", QStringLiteral("Automatically Wrap Text "), true);
    e->addWidget(Button4, 0, 0);
    e->addWidget(Button5, 0, 1);
    e->addWidget(label(editor, QStringLiteral("S&crollBars:"), ComboBoxScrollBars), 1, 0);
    e->addWidget(ComboBoxScrollBars, 1, 1);
    e->addWidget(CheckBoxWordWrap, 2, 0, 1, 2);

    auto *left = new QVBoxLayout;
    left->addWidget(tabs);
    left->addWidget(editor);
    left->addStretch(1);
    layout->addLayout(left, 1, 0);

    auto *window = new QVBoxLayout;
    CheckBoxStayOnTop = check(page, "CheckBoxStayOnTop", QStringLiteral("Stay o&n Top"), false);
    CheckBoxShowToolBar = check(page, "CheckBoxShowToolBar", QStringLiteral("Display T&oolBar"), true);
    CheckBoxShowStatusBar = check(page, "CheckBoxShowStatusBar", QStringLiteral("Display StatusBar"), true);
    CheckBoxShowMainMenus = check(page, "CheckBoxShowMainMenus", QStringLiteral("Display Main Menus"), true);
    CheckBoxTray = check(page, "CheckBoxTray", QStringLiteral("System Tray"), true);
    CheckBoxTray->setToolTip(QStringLiteral("A icon displayed in system tray area"));
    CheckBoxMiniStartup = check(page, "CheckBoxMiniStartup", QStringLiteral("Minimize at Startup"), false);
    CheckBoxMiniStartup->setToolTip(QStringLiteral("Minimize at Startup"));
    CheckBoxMiniToTray = check(page, "CheckBoxMiniToTray", QStringLiteral("Minimize to System Tray"), true);
    CheckBoxMiniToTray->setToolTip(QStringLiteral("Minimize to System Tray"));
    window->addSpacing(6);
    for (QCheckBox *box :
         {CheckBoxStayOnTop, CheckBoxShowToolBar, CheckBoxShowStatusBar, CheckBoxShowMainMenus, CheckBoxTray})
        window->addWidget(box);
    for (QCheckBox *box : {CheckBoxMiniStartup, CheckBoxMiniToTray}) {
        auto *indented = new QHBoxLayout;
        indented->addSpacing(16);
        indented->addWidget(box);
        window->addLayout(indented);
    }
    window->addStretch(1);
    layout->addLayout(window, 1, 1);
    return page;
}

QWidget *TFormOption::CreateClipboardPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    CheckBoxWatchClipboard = check(page, "CheckBoxWatchClipboard", QStringLiteral("Watch Clipboard"), true);
    layout->addWidget(CheckBoxWatchClipboard);

    GroupClipboard = named(new QWidget(page), "GroupClipboard");
    auto *g = new QGridLayout(GroupClipboard);
    g->setContentsMargins(20, 0, 0, 0);
    SpinEditIgnoreLen = spin(GroupClipboard, "SpinEditIgnoreLen", INT_MIN, INT_MAX, 10,
                             QStringLiteral("Ignore clipboard text shorter than, characters"));
    SpinEditPromptDelay =
        spin(GroupClipboard, "SpinEditPromptDelay", 1, 999, 2, QStringLiteral("Prompt dialog time, seconds"));
    const auto [ignoreLeft, ignoreRight] =
        splitAtGap(QStringLiteral("Ignore Clipboard Text Less Than                  Characters"));
    const auto [promptLeft, promptRight] =
        splitAtGap(QStringLiteral("Display Prompt Dialog for                        Seconds"));
    CheckBoxPrompt = check(GroupClipboard, "CheckBoxPrompt", promptLeft, true);
    g->addWidget(label(GroupClipboard, QStringLiteral("&") + ignoreLeft, SpinEditIgnoreLen), 0, 0);
    g->addWidget(SpinEditIgnoreLen, 0, 1);
    g->addWidget(label(GroupClipboard, ignoreRight), 0, 2);
    g->addWidget(CheckBoxPrompt, 1, 0);
    g->addWidget(SpinEditPromptDelay, 1, 1);
    g->addWidget(label(GroupClipboard, promptRight), 1, 2);
    ComboBoxDefAction =
        combo(GroupClipboard, "ComboBoxDefAction",
              {QStringLiteral("Read Now!"), QStringLiteral("New"), QStringLiteral("Append"), QStringLiteral("Cancel")},
              QStringLiteral("Default Action"));
    g->addWidget(label(GroupClipboard, QStringLiteral("&Default Action:"), ComboBoxDefAction), 2, 0);
    g->addWidget(ComboBoxDefAction, 2, 1, 1, 2, Qt::AlignLeft);
    g->setColumnStretch(3, 1);
    layout->addWidget(GroupClipboard);
    layout->addStretch(1);
    return page;
}

QWidget *TFormOption::CreateAlarmPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    CheckBoxAlarm = check(page, "CheckBoxAlarm", QStringLiteral("&Enable Alarm"), false);
    layout->addWidget(CheckBoxAlarm);

    GroupAlarm = named(new QWidget(page), "GroupAlarm");
    auto *g = new QGridLayout(GroupAlarm);
    g->setContentsMargins(20, 0, 0, 0);
    SpinEditAlarmInterval = spin(GroupAlarm, "SpinEditAlarmInterval", 1, 60, 60, QStringLiteral("Every, minutes"));
    const auto [everyLeft, everyRight] = splitAtGap(QStringLiteral("Every                  min"));
    auto *every = new QHBoxLayout;
    every->addWidget(label(GroupAlarm, QStringLiteral("E&") + everyLeft.mid(1), SpinEditAlarmInterval));
    every->addWidget(SpinEditAlarmInterval);
    every->addWidget(label(GroupAlarm, everyRight));
    every->addStretch(1);
    g->addLayout(every, 0, 0, 1, 3);

    EditAlarmBefore = named(new QLineEdit(GroupAlarm), "EditAlarmBefore");
    EditAlarmBefore->setAccessibleName(QStringLiteral("Say Before the Alarm"));
    g->addWidget(label(GroupAlarm, QStringLiteral("Say &Before the Alarm:"), EditAlarmBefore), 1, 0);
    g->addWidget(EditAlarmBefore, 1, 1, 1, 2);

    ComboBoxAlarmStyle =
        combo(GroupAlarm, "ComboBoxAlarmStyle",
              {QStringLiteral("Say the Time"), QStringLiteral("Read Text File"), QStringLiteral("Play Sound")},
              QStringLiteral("Alarm Style"));
    g->addWidget(label(GroupAlarm, QStringLiteral("Alarm &Style:"), ComboBoxAlarmStyle), 2, 0);
    g->addWidget(ComboBoxAlarmStyle, 2, 1);

    PageControlAlarm = named(new QStackedWidget(GroupAlarm), "PageControlAlarm");
    auto *datePage = named(new QWidget, "TabSheetDate");
    auto *d = new QHBoxLayout(datePage);
    d->setContentsMargins(0, 0, 0, 0);
    CheckBoxAlarmDate = check(datePage, "CheckBoxAlarmDate", QStringLiteral("And the Date"), false);
    d->addWidget(CheckBoxAlarmDate);
    auto *textPage = named(new QWidget, "TabSheetText");
    auto *t = new QHBoxLayout(textPage);
    t->setContentsMargins(0, 0, 0, 0);
    EditAlarmTxtFile = folderEdit(textPage, "EditAlarmTxtFile", QStringLiteral("Text file to read"));
    ButtonAlarmTxt = browseButton(textPage, "ButtonAlarmTxt", QStringLiteral("Choose the text file"));
    t->addWidget(EditAlarmTxtFile, 1);
    t->addWidget(ButtonAlarmTxt);
    auto *soundPage = named(new QWidget, "TabSheetSound");
    auto *s = new QHBoxLayout(soundPage);
    s->setContentsMargins(0, 0, 0, 0);
    EditAlarmWavFile = folderEdit(soundPage, "EditAlarmWavFile", QStringLiteral("Sound file to play"));
    ButtonAlarmWav = browseButton(soundPage, "ButtonAlarmWav", QStringLiteral("Choose the sound file"));
    s->addWidget(EditAlarmWavFile, 1);
    s->addWidget(ButtonAlarmWav);
    PageControlAlarm->addWidget(datePage);
    PageControlAlarm->addWidget(textPage);
    PageControlAlarm->addWidget(soundPage);
    g->addWidget(PageControlAlarm, 3, 1, 1, 2);

    EditAlarmAfter = named(new QLineEdit(GroupAlarm), "EditAlarmAfter");
    EditAlarmAfter->setAccessibleName(QStringLiteral("Say After the Alarm"));
    g->addWidget(label(GroupAlarm, QStringLiteral("Say &After the Alarm:"), EditAlarmAfter), 4, 0);
    g->addWidget(EditAlarmAfter, 4, 1, 1, 2);
    CheckBoxAlarmMsgBox = check(GroupAlarm, "CheckBoxAlarmMsgBox", QStringLiteral("Alarm with Message Box"), false);
    g->addWidget(CheckBoxAlarmMsgBox, 5, 0, 1, 3);
    g->setColumnStretch(2, 1);
    layout->addWidget(GroupAlarm);
    layout->addStretch(1);
    return page;
}

QWidget *TFormOption::CreateRemindersPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    CheckBoxReminder = check(page, "CheckBoxReminder", QStringLiteral("&Enable Reminders"), false);
    layout->addWidget(CheckBoxReminder);

    GroupReminder = named(new QWidget(page), "GroupReminder");
    auto *g = new QVBoxLayout(GroupReminder);
    g->setContentsMargins(0, 0, 0, 0);
    ListViewReminderList = named(new QTreeWidget(GroupReminder), "ListViewReminderList");
    ListViewReminderList->setAccessibleName(QStringLiteral("Reminders"));
    ListViewReminderList->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Message")});
    ListViewReminderList->setRootIsDecorated(false);
    ListViewReminderList->setItemsExpandable(false);
    ListViewReminderList->setAllColumnsShowFocus(true);
    ListViewReminderList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewReminderList->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewReminderList->header()->setSectionsClickable(false);
    ListViewReminderList->header()->setStretchLastSection(true);
    ListViewReminderList->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"));
    ListViewReminderList->setColumnWidth(0, 90);
    ListViewReminderList->setColumnWidth(1, 90);
    g->addWidget(ListViewReminderList, 1);

    auto *editorBox = group(GroupReminder, QStringLiteral(" Reminder Editor "));
    auto *e = new QGridLayout(editorBox);
    DatePicker = named(new QDateEdit(editorBox), "DatePicker");
    DatePicker->setCalendarPopup(true);
    DatePicker->setAccessibleName(QStringLiteral("Reminder date"));
    TimePicker = named(new QTimeEdit(editorBox), "TimePicker");
    TimePicker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    TimePicker->setAccessibleName(QStringLiteral("Reminder time"));
    MemoReminder = named(new QPlainTextEdit(editorBox), "MemoReminder");
    MemoReminder->setAccessibleName(QStringLiteral("Reminder message"));
    MemoReminder->setTabChangesFocus(true);
    MemoReminder->setFixedHeight(48);
    Button1 = named(new QPushButton(QStringLiteral("A&dd"), editorBox), "Button1");
    Button6 = named(new QPushButton(QStringLiteral("U&pdate"), editorBox), "Button6");
    ButtonDel = named(new QPushButton(QStringLiteral("D&el"), editorBox), "ButtonDel");
    e->addWidget(DatePicker, 0, 0);
    e->addWidget(TimePicker, 1, 0);
    e->addWidget(MemoReminder, 0, 1, 2, 1);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(Button1);
    buttons->addWidget(Button6);
    buttons->addWidget(ButtonDel);
    e->addLayout(buttons, 0, 2, 2, 1);
    e->setColumnStretch(1, 1);
    g->addWidget(editorBox);
    CheckBoxReminderMsgBox =
        check(GroupReminder, "CheckBoxReminderMsgBox", QStringLiteral("Remind with Message Box"), true);
    g->addWidget(CheckBoxReminderMsgBox);
    layout->addWidget(GroupReminder, 1);
    return page;
}
