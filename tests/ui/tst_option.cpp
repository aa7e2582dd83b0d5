// The options dialog over the real main window (offscreen): what opening it on
// a given loqa.ini does to the window and the settings, and what its controls
// change at once.
#include "alarm/alarmrules.h"
#include "ui/main/converter.h"
#include "settings/settings.h"
#include "ui/options/hotkeyedit.h"
#include "ui/options/option.h"
#include "ui/options/spinedit.h"
#include "widgets/systray.h"
#include "widgets/tabstrip.h"
#include "testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTimeEdit>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

using namespace loqa;

namespace {

QString plain(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

} // namespace

class TestOption : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempHome> home;
    std::unique_ptr<TFormCvt> form;
    std::unique_ptr<TFormOption> dialog;
    QStringList boxes; // "text" of every message box answered

    // The main window on a home with two documents, then `more`, and these loqa.ini lines.
    void start(const QByteArray &ini = QByteArray(), const QStringList &more = {})
    {
        dialog.reset();
        form.reset();
        home = std::make_unique<TempHome>();
        qputenv("LOQA_HOME", home->path().toUtf8());
        QByteArray apl;
        for (const char *name : {"a.txt", "b.txt"}) {
            QVERIFY(home->write(QStringLiteral("txt/") + QLatin1String(name), "Some text."));
            apl += home->file(QStringLiteral("txt/") + QLatin1String(name)).toUtf8() + "\r\n";
        }
        for (const QString &path : more)
            apl += path.toUtf8() + "\r\n";
        QVERIFY(home->write(QStringLiteral("loqa.apl"), apl));
        QVERIFY(home->write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n" + ini));
        form = std::make_unique<TFormCvt>(QSize(1280, 800));
        form->show();
    }

    void open()
    {
        dialog = std::make_unique<TFormOption>(*form, form.get());
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    // The next message box gets `button`; its text is kept in `boxes`.
    void answerNextBox(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, this, [this, button] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->button(button)->click();
            }
        });
    }

private slots:
    void init() { boxes.clear(); }

    // Default settings: the dialog shows them, and the one box whose design state
    // differs ("Repeating Playlist", designed checked) runs its handling, which
    // leaves the shown document as it is.
    void defaults_openOnFirstPage_andRunTheTabChange()
    {
        start();
        QVERIFY(!form->settings().general.Repeat);
        form->PanelStatus->setText(QStringLiteral("marker"));
        // The user's place in the document, and an edit not saved yet.
        QTextCursor caret = form->Memo1->textCursor();
        caret.setPosition(5);
        caret.insertText(QStringLiteral("new "));
        form->Memo1->setTextCursor(caret);
        form->action(ActionPrev)->setEnabled(true);
        open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral(" Options"));
        QCOMPARE(dialog->size(), dialog->size().expandedTo(QSize(446, 368)));
        QVERIFY(!dialog->Sizeable());
        QStringList pages;
        for (int i = 0; i < TFormOption::PageCount; ++i)
            pages << dialog->PageControl1->tabText(i);
        QCOMPARE(pages, (QStringList{"General", "Conversion", "User Interface", "Clipboard", "Alarm", "Reminders"}));
        QCOMPARE(dialog->PageControl1->currentIndex(), 0);
        // Prev and Next followed the unchecked box; the document was left alone:
        // its text, the caret and the status are as the user left them.
        QVERIFY(!dialog->CheckBoxRepeat->isChecked());
        QVERIFY(!form->action(ActionPrev)->isEnabled());
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Some new text."));
        QCOMPARE(form->Memo1->textCursor().position(), 9);
        QCOMPARE(form->PanelStatus->text(), QStringLiteral("marker"));
        // Greeting=0: its text field is off.
        QVERIFY(!dialog->EditGreetingString->isEnabled());
        // No file-manager commands under the null platform: the box is unchecked.
        QVERIFY(!dialog->CheckBoxContext->isChecked());
        QCOMPARE(dialog->EditTxt->text(), form->settings().convert.DefTxtPath);
        QVERIFY(form->settings().convert.DefTxtPath.endsWith(QLatin1String("/txt/")));
        QCOMPARE(dialog->ComboBoxKHZ->currentText(), QStringLiteral("22.05"));
        QCOMPARE(dialog->ComboBoxKBPS->currentText(), QStringLiteral("128"));
        QCOMPARE(dialog->ComboBoxRealTime->currentText(), QStringLiteral("8 X"));
        QCOMPARE(dialog->LabelPit->text(), QStringLiteral("Pitch of Voices: 0% [50]"));
        QCOMPARE(dialog->ComboBoxHotkeys->count(), ActionCount);
        QCOMPARE(dialog->ComboBoxHotkeys->itemText(21), QStringLiteral("Read Aloud"));
        QCOMPARE(dialog->HotKey1->Shortcut(), QStringLiteral("Ctrl+N"));
        QVERIFY(dialog->CheckBoxGlobalHotkey->isEnabled());
        QVERIFY(!dialog->CheckBoxGlobalHotkey->isChecked());
        QCOMPARE(dialog->CheckBoxGlobalHotkey->text(), QStringLiteral("Global Hotkey (need restart Loquora)"));
        QCOMPARE(plain(dialog->Button3->text()), QStringLiteral("Reset ALL"));
        QCOMPARE(dialog->CheckBoxWordWrap->text(), QStringLiteral("Automatically Wrap Text "));
        QCOMPARE(plain(dialog->ButtonDel->text()), QStringLiteral("Del"));
        QCOMPARE(dialog->ComboBoxTabPos->currentText(), QStringLiteral("Top"));
        QCOMPARE(dialog->ComboBoxScrollBars->currentText(), QStringLiteral("Vertical"));
        QCOMPARE(dialog->SpinEditPromptDelay->value(), 2);
        QCOMPARE(dialog->ComboBoxDefAction->currentText(), QStringLiteral("Read Now!"));
        QVERIFY(!dialog->GroupAlarm->isEnabled());
        QCOMPARE(dialog->SpinEditAlarmInterval->value(), 60);
        QVERIFY(!dialog->GroupReminder->isEnabled());
        QCOMPARE(dialog->DatePicker->date(), QDate::currentDate());
        // Tab walks a page in reading order.
        dialog->PageControl1->setCurrentIndex(1);
        QList<QWidget *> order{dialog->EditTxt};
        for (int i = 0; i < 5; ++i)
            order << order.last()->nextInFocusChain();
        QCOMPARE(order, (QList<QWidget *>{dialog->EditTxt, dialog->ButtonTxt, dialog->EditWav, dialog->ButtonWav,
                                          dialog->EditMp3, dialog->ButtonMp3}));

        // Every page as drawn, for a look by eye, when LOQA_SHOTS names a folder.
        const QString shots = qEnvironmentVariable("LOQA_SHOTS");
        for (int i = 0; !shots.isEmpty() && i < TFormOption::PageCount; ++i) {
            QVERIFY(QDir().mkpath(shots));
            dialog->PageControl1->setCurrentIndex(i);
            QVERIFY(dialog->grab().save(QStringLiteral("%1/page%2.png").arg(shots).arg(i)));
        }
    }

    // What a screen reader is told: the dialog opens on the page's first control;
    // each list box is named by its label and valued by its item; the pages are
    // named by their tabs, the stack holding them says nothing; a field entered
    // with Tab has no selection to announce, nor to announce as gone on leaving.
    void screenReader_namesAndQuietFields()
    {
        start();
        open();
        QCOMPARE(QApplication::focusWidget(), dialog->CheckBoxHint);
        for (QComboBox *list : dialog->findChildren<QComboBox *>()) {
            QAccessibleInterface *box = QAccessible::queryAccessibleInterface(list);
            QVERIFY2(!box->text(QAccessible::Name).isEmpty() && box->text(QAccessible::Name) != list->currentText(),
                     qPrintable(list->objectName()));
            QCOMPARE(box->text(QAccessible::Value), list->currentText());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog->ComboBoxDefAction)->text(QAccessible::Name),
                 QStringLiteral("Default Action"));
        QAccessibleInterface *page = QAccessible::queryAccessibleInterface(dialog->PageControl1->widget(3));
        QCOMPARE(page->text(QAccessible::Name), QStringLiteral("Clipboard"));
        QVERIFY(page->parent()->role() != QAccessible::LayeredPane);
        // The lexicon's hint is the button's description, and no loose label.
        QVERIFY(QAccessible::queryAccessibleInterface(dialog->Button7)
                    ->text(QAccessible::Description)
                    .contains(QStringLiteral("phonetics of mispronounced words and load")));
        for (const char *hint : {"Label1", "Label2"})
            QCOMPARE(QAccessible::queryAccessibleInterface(dialog->findChild<QLabel *>(QLatin1String(hint)))->role(),
                     QAccessible::Note);
        // The hidden "no page" tab is none of the tab row's.
        QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(dialog->PageControl1->tabBar());
        QCOMPARE(tabs->childCount(), int(TFormOption::PageCount));
        QCOMPARE(tabs->child(TFormOption::PageCount - 1)->text(QAccessible::Name), QStringLiteral("Reminders"));
        dialog->PageControl1->setCurrentIndex(3);
        dialog->SpinEditIgnoreLen->setFocus(Qt::BacktabFocusReason);
        QVERIFY(!dialog->SpinEditIgnoreLen->findChild<QLineEdit *>()->hasSelectedText());
    }

    // Stored values outside their controls: no page, no selection, clamped
    // values stored only where they differ from the design value, and a reminder
    // line naming no moment ends the reminders' step.
    void storedValuesOutsideTheControls()
    {
        start("[Auto]\r\nLastOptionPage=7\r\n[Convert]\r\nRealTime=1000\r\nPit=10\r\nKHZ=50\r\n"
              "[UI]\r\nTabStyle=5\r\n[Clipboard]\r\nPromptDelay=0\r\n[Alarm]\r\nAlarmInterval=75\r\n"
              "[Reminder]\r\nReminderMsgBox=0\r\n[ReminderList]\r\nsomeday=Dentist\r\n");
        open();
        QCOMPARE(dialog->PageControl1->currentIndex(), TFormOption::PageCount); // the blank, hidden one
        QVERIFY(!dialog->PageControl1->isTabVisible(TFormOption::PageCount));
        QCOMPARE(form->settings().automatic.LastOptionPage, 7);
        QCOMPARE(dialog->ComboBoxRealTime->currentIndex(), -1);
        QCOMPARE(dialog->ComboBoxKHZ->currentIndex(), -1);
        QCOMPARE(dialog->ComboBoxTabStyle->currentIndex(), -1);
        QCOMPARE(form->settings().ui.TabStyle, 5);
        QCOMPARE(dialog->TrackBarPit->value(), 50);
        QCOMPARE(form->settings().convert.Pit, 10); // shown as 50, the design value: not stored
        QCOMPARE(dialog->SpinEditPromptDelay->value(), 1);
        QCOMPARE(form->settings().clipboard.PromptDelay, 1); // 1 differs from the design value 2: stored
        QCOMPARE(dialog->SpinEditAlarmInterval->value(), 60);
        QCOMPARE(form->settings().alarm.AlarmInterval, 75);
        QCOMPARE(dialog->ListViewReminderList->topLevelItemCount(), 1);
        QCOMPARE(dialog->ListViewReminderList->topLevelItem(0)->text(0), QString());
        QVERIFY(dialog->CheckBoxReminderMsgBox->isChecked()); // not reached: keeps its design state
        // With no frequency, a bitrate is checked by the 32..48 kHz rule.
        dialog->ComboBoxKBPS->setCurrentIndex(dialog->ComboBoxKBPS->findText(QStringLiteral("144")));
        answerNextBox(QMessageBox::Ok);
        emit dialog->ComboBoxKBPS->activated(dialog->ComboBoxKBPS->currentIndex());
        QCOMPARE(boxes, QStringList{"Only for 8KHZ~24KHZ Mode."});
        QCOMPARE(form->settings().convert.KBPS, QStringLiteral("128"));
        QCOMPARE(dialog->ComboBoxKBPS->currentText(), QStringLiteral("128"));
        // Picking a page stores it; Ctrl+Tab goes on to the next one.
        dialog->PageControl1->setCurrentIndex(2);
        QCOMPARE(form->settings().automatic.LastOptionPage, 2);
        QTest::keyClick(dialog->CheckBoxStayOnTop, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(dialog->PageControl1->currentIndex(), 3);
        QCOMPARE(form->settings().automatic.LastOptionPage, 3);
        dialog->PageControl1->setCurrentIndex(1);
        dialog->ComboBoxRealTime->setFocus();
        QTest::keyClick(dialog->ComboBoxRealTime, Qt::Key_Down);
        // A list box takes Tab as a letter to search for; Ctrl+Tab still turns the page.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog->ComboBoxRealTime, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(form->TabControl1->currentIndex(), 0); // the main window's own Ctrl+Tab is not run
        QCOMPARE(dialog->PageControl1->currentIndex(), 2);
    }

    // The window follows the controls at once.
    void controls_changeTheWindowAtOnce()
    {
        start("[UI]\r\nMiniStartup=1\r\n");
        open();
        // The tab strip moves with the position list (the keyboard picks "Bottom").
        dialog->ComboBoxTabPos->setFocus();
        QTest::keyClick(dialog->ComboBoxTabPos, Qt::Key_Down);
        QCOMPARE(form->settings().ui.TabPos, 1);
        QCOMPARE(form->TabControl1->position(), TTabStrip::Bottom);
        // Unchecking System Tray unchecks and disables both minimise boxes.
        QVERIFY(dialog->CheckBoxMiniStartup->isChecked());
        QVERIFY(form->SysTray1->Active());
        QTest::keyClick(dialog->CheckBoxTray, Qt::Key_Space);
        QVERIFY(!form->settings().ui.Tray);
        QVERIFY(!form->SysTray1->Active());
        for (QCheckBox *box : {dialog->CheckBoxMiniStartup, dialog->CheckBoxMiniToTray}) {
            QVERIFY(!box->isChecked());
            QVERIFY(!box->isEnabled());
        }
        QVERIFY(!form->settings().ui.MiniStartup);
        QVERIFY(!form->settings().ui.MiniToTray);
        QTest::keyClick(dialog->CheckBoxTray, Qt::Key_Space);
        QVERIFY(form->settings().ui.Tray);
        for (QCheckBox *box : {dialog->CheckBoxMiniStartup, dialog->CheckBoxMiniToTray}) {
            QVERIFY(!box->isChecked());
            QVERIFY(box->isEnabled());
        }
        // Stay on Top re-makes the main window; the dialog stays up over it.
        QTest::keyClick(dialog->CheckBoxStayOnTop, Qt::Key_Space);
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form->isVisible());
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog->CheckBoxShowToolBar, Qt::Key_Space);
        QVERIFY(!form->settings().ui.ShowToolbar);
        QVERIFY(form->ToolBar->isHidden());
        QTest::keyClick(dialog->CheckBoxWordWrap, Qt::Key_Space);
        QCOMPARE(form->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QTest::keyClick(dialog->CheckBoxAlarm, Qt::Key_Space);
        QVERIFY(dialog->GroupAlarm->isEnabled());
        QVERIFY(form->TimerAandR->isActive());
        // 44.1 kHz while 96 is the bitrate: 128 and both stored; then 144 is refused, 320 taken.
        dialog->ComboBoxKBPS->setCurrentIndex(dialog->ComboBoxKBPS->findText(QStringLiteral("96")));
        emit dialog->ComboBoxKBPS->activated(dialog->ComboBoxKBPS->currentIndex());
        QCOMPARE(form->settings().convert.KBPS, QStringLiteral("96"));
        dialog->ComboBoxKHZ->setCurrentIndex(dialog->ComboBoxKHZ->findText(QStringLiteral("44.1")));
        emit dialog->ComboBoxKHZ->activated(dialog->ComboBoxKHZ->currentIndex());
        QCOMPARE(form->settings().convert.KHZ, QStringLiteral("44.1"));
        QCOMPARE(form->settings().convert.KBPS, QStringLiteral("128"));
        QCOMPARE(dialog->ComboBoxKBPS->currentText(), QStringLiteral("128"));
        for (const char *rate : {"144", "320"}) {
            dialog->ComboBoxKBPS->setCurrentIndex(dialog->ComboBoxKBPS->findText(QLatin1String(rate)));
            answerNextBox(QMessageBox::Ok);
            emit dialog->ComboBoxKBPS->activated(dialog->ComboBoxKBPS->currentIndex());
            QCoreApplication::processEvents(); // an accepted rate leaves the timer no box
        }
        QCOMPARE(boxes, QStringList{"Only for 8KHZ~24KHZ Mode."});
        QCOMPARE(form->settings().convert.KBPS, QStringLiteral("320"));
        // The pitch bar.
        dialog->TrackBarPit->setValue(225);
        QCOMPARE(form->settings().convert.Pit, 225);
        QCOMPARE(dialog->LabelPit->text(), QStringLiteral("Pitch of Voices: 50% [225]"));
    }

    // Shortcuts: a clash and a system chord are refused, a new chord works in
    // the window at once, a global box makes it system-wide at once, and Reset
    // ALL survives a save and a load.
    void hotkeys_updateGlobalAndReset()
    {
        start();
        open();
        QComboBox *list = dialog->ComboBoxHotkeys;
        list->setCurrentIndex(ActionTTS);
        emit list->activated(ActionTTS);
        QCOMPARE(dialog->HotKey1->Shortcut(), QStringLiteral("Shift+Ctrl+Alt+F2"));
        QVERIFY(dialog->CheckBoxGlobalHotkey->isChecked());

        QTest::keyClick(dialog->HotKey1, Qt::Key_F6, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(dialog->HotKey1->Shortcut(), QStringLiteral("Shift+Ctrl+Alt+F6")); // Stop's
        answerNextBox(QMessageBox::Ok);
        dialog->Button2->click();
        QTest::keyClick(dialog->HotKey1, Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        answerNextBox(QMessageBox::Ok);
        dialog->Button2->click();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(0), QStringLiteral("This Hotkey already exists!"));
        QVERIFY2(boxes.at(1).contains(QLatin1String("kept by the system")), qPrintable(boxes.at(1)));
        QCOMPARE(dialog->HotKey1->Shortcut(), QStringLiteral("Shift+Ctrl+Alt+F2")); // the display restored
        QCOMPARE(form->settings().lists.HotkeyList[ActionTTS], QStringLiteral("Shift+Ctrl+Alt+F2"));

        // A plain key and a Shift-only chord are no shortcut.
        QTest::keyClick(dialog->HotKey1, Qt::Key_K);
        QCOMPARE(dialog->HotKey1->Shortcut(), QString());
        QTest::keyClick(dialog->HotKey1, Qt::Key_K, Qt::ShiftModifier);
        QCOMPARE(dialog->HotKey1->Shortcut(), QString());

        // New gets Ctrl+Alt+J: the action has it at once, and as a global hotkey
        // the window acts on its press at once.
        list->setCurrentIndex(ActionFileNew);
        emit list->activated(ActionFileNew);
        QTest::keyClick(dialog->HotKey1, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
        dialog->Button2->click();
        QCOMPARE(form->settings().lists.HotkeyList[ActionFileNew], QStringLiteral("Ctrl+Alt+J"));
        QCOMPARE(form->action(ActionFileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
        QVERIFY(!form->HotkeyPressed(Qt::ControlModifier | Qt::AltModifier, Qt::Key_J));
        QTest::keyClick(dialog->CheckBoxGlobalHotkey, Qt::Key_Space);
        QVERIFY(form->settings().lists.GlobalHotkeyIDList[ActionFileNew] != 0);
        const int documents = int(form->settings().lists.DocumentList.size());
        QVERIFY(form->HotkeyPressed(Qt::ControlModifier | Qt::AltModifier, Qt::Key_J));
        QCOMPARE(int(form->settings().lists.DocumentList.size()), documents + 1);
        QTest::keyClick(dialog->CheckBoxGlobalHotkey, Qt::Key_Space);
        QCOMPARE(form->settings().lists.GlobalHotkeyIDList[ActionFileNew], 0);

        // Reset ALL asks first; Cancel keeps everything.
        answerNextBox(QMessageBox::Cancel);
        dialog->Button3->click();
        QCOMPARE(boxes.last(), QStringLiteral("Are you sure?"));
        QCOMPARE(form->settings().lists.HotkeyList[ActionFileNew], QStringLiteral("Ctrl+Alt+J"));
        answerNextBox(QMessageBox::Ok);
        dialog->Button3->click();
        QCOMPARE(form->settings().lists.HotkeyList, DefaultHotkeys());
        QCOMPARE(dialog->HotKey1->Shortcut(), QStringLiteral("Ctrl+N"));
        QCOMPARE(form->action(ActionFileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));

        // Saved at the end and read back, the defaults stay.
        dialog.reset();
        form->FormDestroy();
        form->settings().lists.HotkeyList.fill(QString());
        form->settings().Load(QSize(1280, 800));
        QCOMPARE(form->settings().lists.HotkeyList, DefaultHotkeys());
        QVERIFY(home->read(QStringLiteral("loqa.ini")).contains("0=Ctrl+N"));
    }

    // A reminder added in the dialog is a ReminderList line keyed by the moment
    // text the reminder timer compares with; Update and Del rebuild the list.
    void reminders_addUpdateDelete()
    {
        start("[Reminder]\r\nReminder=1\r\n");
        open();
        QVERIFY(dialog->GroupReminder->isEnabled());
        const QDate day(2031, 5, 17);
        const QTime time(7, 45, 30);
        dialog->DatePicker->setDate(day);
        dialog->TimePicker->setTime(time);
        dialog->MemoReminder->setPlainText(QStringLiteral("Water the plants"));
        dialog->Button1->click();
        dialog->Button1->click(); // the same moment twice: two rows
        QCOMPARE(form->settings().lists.ReminderList,
                 (QStringList{MomentText(day, time) + QStringLiteral("=Water the plants"),
                              MomentText(day, time) + QStringLiteral("=Water the plants")}));
        QCOMPARE(dialog->ListViewReminderList->topLevelItemCount(), 2);
        QCOMPARE(DueReminders(form->settings().lists.ReminderList, MomentText(day, time)).size(), 2);

        dialog->ListViewReminderList->setCurrentItem(dialog->ListViewReminderList->topLevelItem(0));
        QCOMPARE(dialog->DatePicker->date(), day);
        QCOMPARE(dialog->TimePicker->time(), time);
        dialog->MemoReminder->setPlainText(QStringLiteral("Feed the cat"));
        dialog->Button6->click();
        QCOMPARE(form->settings().lists.ReminderList.size(), 2);
        QVERIFY(form->settings().lists.ReminderList.contains(MomentText(day, time) + QStringLiteral("=Feed the cat")));
        dialog->ButtonDel->click();
        QCOMPARE(form->settings().lists.ReminderList.size(), 1);
        QCOMPARE(dialog->ListViewReminderList->topLevelItemCount(), 1);
    }

    // "Set Font" gives the text its colour too: a colour dialog follows the font
    // dialog, the editor shows the colour at once, and loqa.ini keeps it.
    void setFont_givesTheTextItsColour()
    {
        start("[UI]\r\nMemoBGColor=0\r\n");
        open();
        const QColor chosen(0x11, 0x22, 0x33);
        QStringList seen;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *font = qobject_cast<QFontDialog *>(modal)) {
                seen << QStringLiteral("font");
                font->accept();
            } else if (auto *colour = qobject_cast<QColorDialog *>(modal)) {
                seen << QStringLiteral("colour");
                colour->setCurrentColor(chosen);
                colour->accept();
            }
        });
        answer.start(20);
        dialog->Button4->click();
        answer.stop();
        QCOMPARE(seen, (QStringList{"font", "colour"}));
        QCOMPARE(form->settings().ui.MemoFontColor, 0x332211);
        QCOMPARE(form->Memo1->palette().color(QPalette::Text), chosen);
        QCOMPARE(form->Memo1->palette().color(QPalette::Base), QColor(Qt::black));
        dialog.reset();
        form->FormDestroy();
        QVERIFY(home->read(QStringLiteral("loqa.ini")).contains("\r\nMemoFontColor=3351057\r\n"));
    }

    // A number typed outside a spin box's bounds is clamped when the field is
    // left, and stored so; a field only passed through stores nothing.
    void spinBoxes_clampWhatIsTypedOnLeaving()
    {
        start("[Alarm]\r\nAlarm=1\r\nAlarmInterval=75\r\n");
        open();
        const auto type = [this](int page, QSpinBox *spin, const char *text) {
            dialog->PageControl1->setCurrentIndex(page);
            spin->setFocus();
            QVERIFY(spin->hasFocus());
            if (text) {
                spin->selectAll();
                QTest::keyClick(spin, Qt::Key_Backspace);
                QTest::keyClicks(spin, QLatin1String(text));
            }
            dialog->ButtonOK->setFocus();
            QVERIFY(!spin->hasFocus());
        };
        type(4, dialog->SpinEditAlarmInterval, nullptr);
        QCOMPARE(form->settings().alarm.AlarmInterval, 75); // shown as 60, its design value
        type(4, dialog->SpinEditAlarmInterval, "90");
        QCOMPARE(dialog->SpinEditAlarmInterval->value(), 60);
        QCOMPARE(form->settings().alarm.AlarmInterval, 60);
        type(3, dialog->SpinEditPromptDelay, "0");
        QCOMPARE(dialog->SpinEditPromptDelay->value(), 1);
        QCOMPARE(form->settings().clipboard.PromptDelay, 1);
        type(3, dialog->SpinEditPromptDelay, "5000");
        QCOMPARE(dialog->SpinEditPromptDelay->value(), 999);
        QCOMPARE(form->settings().clipboard.PromptDelay, 999);
        type(3, dialog->SpinEditIgnoreLen, "");
        QCOMPARE(dialog->SpinEditIgnoreLen->value(), 0);
        QCOMPARE(form->settings().clipboard.IgnoreLen, 0);
    }

    // "Show Tooltips" off hides the tips of Loquora's windows only: a window the
    // toolkit makes on its own, with no parent, as the tray icon's is, keeps its tip.
    void showTooltipsOff_leavesTheTrayIconsTip()
    {
        start();
        open();
        QWidget other;
        other.setToolTip(QStringLiteral("Loquora"));
        other.resize(24, 24);
        other.show();
        const auto tipShown = [](QWidget *widget) {
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000))
                return false;
            QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), widget->mapToGlobal(QPoint(4, 4)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::isVisible() && QToolTip::text() == widget->toolTip();
        };
        dialog->PageControl1->setCurrentIndex(2);
        QVERIFY(tipShown(dialog->CheckBoxTray));
        QVERIFY(tipShown(&other));
        dialog->PageControl1->setCurrentIndex(0);
        QTest::keyClick(dialog->CheckBoxHint, Qt::Key_Space);
        QVERIFY(!form->settings().general.ShowHint);
        dialog->PageControl1->setCurrentIndex(2);
        QVERIFY(!tipShown(dialog->CheckBoxTray));
        QVERIFY(!tipShown(form->TrackBarVol));
        QVERIFY(tipShown(&other));
    }

    // The document rules on the General page: the boxes show [Documents], a
    // change counts for the next document opened, and loqa.ini keeps it.
    void documentRules_reachTheNextDocumentAndLoqaIni()
    {
        // A PDF with one paragraph wrapped over two lines, the third document.
        const QTemporaryDir dir;
        const QString ps = dir.filePath(QStringLiteral("wrapped.ps"));
        const QString pdf = dir.filePath(QStringLiteral("wrapped.pdf"));
        QVERIFY(WriteFile(ps, "%!PS\n/Helvetica findfont 12 scalefont setfont\n"
                              "72 700 moveto (Alpha bravo charlie delta echo foxtrot golf hotel india juliet) show\n"
                              "72 685 moveto (kilo lima mike november oscar papa quebec romeo.) show\nshowpage\n"));
        QProcess ps2pdf;
        ps2pdf.start(QStringLiteral("ps2pdf"), {ps, pdf});
        QVERIFY(ps2pdf.waitForFinished(60000) && ps2pdf.exitCode() == 0);
        start("[Documents]\r\nDropRepeated=0\r\n", {pdf});
        const auto shownPdf = [this] {
            form->TabControl1->setCurrentIndex(0);
            form->TabControl1->setCurrentIndex(2);
            const bool read = QTest::qWaitFor([this] { return form->Memo1->toPlainText().contains(u"romeo."); });
            return read ? form->Memo1->toPlainText() : QStringLiteral("(not read)");
        };
        QVERIFY2(shownPdf().contains(u"juliet kilo"), qPrintable(form->Memo1->toPlainText()));

        open();
        QWidget *general = dialog->PageControl1->widget(0);
        const QList<QCheckBox *> rules{dialog->CheckBoxJoinHyphenated, dialog->CheckBoxJoinLines,
                                       dialog->CheckBoxDropRepeated, dialog->CheckBoxPlainLetters};
        QList<bool> shown;
        for (QCheckBox *box : rules) {
            shown << box->isChecked();
            QVERIFY(general->isAncestorOf(box));
            QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), box->text());
        }
        QCOMPARE(shown, (QList<bool>{true, true, false, true}));
        QCOMPARE(dialog->CheckBoxJoinLines->text(), QStringLiteral("Join lines wrapped inside a paragraph"));
        // The General page, with the group, is no taller than the tallest other
        // page: the dialog keeps its height.
        int tallest = 0;
        for (int i = 1; i < TFormOption::PageCount; ++i)
            tallest = qMax(tallest, dialog->PageControl1->widget(i)->minimumSizeHint().height());
        QVERIFY2(general->minimumSizeHint().height() <= tallest,
                 qPrintable(QStringLiteral("%1 > %2").arg(general->minimumSizeHint().height()).arg(tallest)));

        dialog->CheckBoxJoinLines->setFocus();
        QTest::keyClick(dialog->CheckBoxJoinLines, Qt::Key_Space);
        QVERIFY(!form->settings().documents.JoinLines);
        QVERIFY(form->settings().documents.JoinHyphenated);
        dialog->ButtonOK->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY2(shownPdf().contains(u"juliet\nkilo"), qPrintable(form->Memo1->toPlainText()));

        dialog.reset();
        form->FormDestroy();
        QVERIFY(home->read(QStringLiteral("loqa.ini"))
                    .contains("[Documents]\r\nJoinHyphenated=1\r\nJoinLines=0\r\nDropRepeated=0\r\nPlainLetters=1"));
    }

    void cleanupTestCase()
    {
        dialog.reset();
        form.reset();
    }
};

QTEST_MAIN(TestOption)
#include "tst_option.moc"
