#pragma once

#include "ui/options/optionrules.h"
#include "ui/options/optionshost.h"
#include "widgets/qmform.h"

#include <QList>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTabWidget;
class QTimeEdit;
class QTreeWidget;
class THotKeyEdit;
class TSpinEdit;

namespace loqa {
class FileManagerCommands;
}

// The options: six pages of settings that take effect the moment a control
// changes (there is nothing to cancel), the shortcuts of the main window's
// commands, the reminders and the file-manager commands.
class TFormOption : public TQMForm
{
    Q_OBJECT
public:
    TFormOption(loqa::OptionsHost &host, QWidget *parent = nullptr);
    ~TFormOption() override;

    static constexpr int PageCount = 6;

    QTabWidget *PageControl1;
    QPushButton *ButtonOK;

    // "General"
    QCheckBox *CheckBoxHint, *CheckBoxRepeat, *CheckBoxHighlight, *CheckBoxAutoNext, *CheckBoxAutoName;
    QCheckBox *CheckBoxContext, *CheckBoxGreeting;
    QLineEdit *EditGreetingString;
    // The cleaning rules for documents that are not plain text (PDF, EPUB, ...).
    QGroupBox *GroupDocuments;
    QCheckBox *CheckBoxJoinHyphenated, *CheckBoxJoinLines, *CheckBoxDropRepeated, *CheckBoxPlainLetters;
    QPushButton *Button7;
    // "Conversion"
    QLineEdit *EditTxt, *EditWav, *EditMp3;
    QPushButton *ButtonTxt, *ButtonWav, *ButtonMp3;
    QComboBox *ComboBoxKHZ, *ComboBoxKBPS, *ComboBoxRealTime;
    QSlider *TrackBarPit;
    QLabel *LabelPit;
    // "User Interface"
    QComboBox *ComboBoxHotkeys;
    THotKeyEdit *HotKey1;
    QPushButton *Button2, *Button3;
    QCheckBox *CheckBoxGlobalHotkey;
    QComboBox *ComboBoxTabPos, *ComboBoxTabStyle, *ComboBoxScrollBars;
    QPushButton *Button4, *Button5;
    QCheckBox *CheckBoxWordWrap, *CheckBoxStayOnTop, *CheckBoxShowToolBar, *CheckBoxShowStatusBar;
    QCheckBox *CheckBoxShowMainMenus, *CheckBoxTray, *CheckBoxMiniStartup, *CheckBoxMiniToTray;
    // "Clipboard"
    QCheckBox *CheckBoxWatchClipboard, *CheckBoxPrompt;
    QWidget *GroupClipboard;
    TSpinEdit *SpinEditIgnoreLen, *SpinEditPromptDelay;
    QComboBox *ComboBoxDefAction;
    // "Alarm"
    QCheckBox *CheckBoxAlarm, *CheckBoxAlarmDate, *CheckBoxAlarmMsgBox;
    QWidget *GroupAlarm;
    TSpinEdit *SpinEditAlarmInterval;
    QLineEdit *EditAlarmBefore, *EditAlarmTxtFile, *EditAlarmWavFile, *EditAlarmAfter;
    QPushButton *ButtonAlarmTxt, *ButtonAlarmWav;
    QComboBox *ComboBoxAlarmStyle;
    QStackedWidget *PageControlAlarm;
    // "Reminders"
    QCheckBox *CheckBoxReminder, *CheckBoxReminderMsgBox;
    QWidget *GroupReminder;
    QTreeWidget *ListViewReminderList;
    QDateEdit *DatePicker;
    QTimeEdit *TimePicker;
    QPlainTextEdit *MemoReminder;
    QPushButton *Button1, *Button6, *ButtonDel;

    // The rows the reminder list shows, in its order.
    const QList<loqa::ReminderRow> &ReminderRows() const { return FReminderRows; }

protected:
    void FormShow() override;

private:
    QWidget *CreateGeneralPage();
    QWidget *CreateConversionPage();
    QWidget *CreateInterfacePage();
    QWidget *CreateClipboardPage();
    QWidget *CreateAlarmPage();
    QWidget *CreateRemindersPage();
    void ConnectControls();
    void SetControlsFromSettings();

    // Handlers (option_handlers.cpp).
    void ShowPage(int index);
    // The focus on the shown page's first control (on the page tabs when no page is shown).
    void FocusShownPage();
    void PickFolder(QLineEdit *edit);
    void FolderChanged(QLineEdit *edit, QString &setting);
    void ComboBoxKHZChange();
    void ComboBoxKBPSChange();
    void ShowHotkey(int index);
    void UpdateHotkey();
    void ResetHotkeys();
    void CheckBoxGlobalHotkeyClick(bool checked);
    void CheckBoxContextClick(bool checked);
    bool ContextCommandsPresent();
    void ShowLexicon();
    void SetEditorFont();
    void SetEditorColour();
    void CheckBoxTrayClick(bool checked);
    void PickAlarmFile(QLineEdit *edit, const QString &filter, const QString &suffix);
    bool FillReminders();
    void ShowReminderRows(int select);
    void ReminderSelected();
    void AddReminder();
    void UpdateReminder();
    void DeleteReminder();
    void RebuildReminderList();
    int SelectedReminder() const;

    loqa::OptionsHost &FHost;
    loqa::Settings &FSettings; // the host's
    std::unique_ptr<loqa::FileManagerCommands> FCommands;
    QList<loqa::ReminderRow> FReminderRows;
};

// The Options command: one dialog, shown modally over `window`, then gone.
void ShowOptionDialog(loqa::OptionsHost &host, QWidget *window);
