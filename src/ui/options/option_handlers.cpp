// What the options dialog's controls do when they change: folders, MP3
// quality, hotkeys, the editor's font and colour, the tray, the alarm files and
// the reminder list.
#include "ui/options/option.h"

#include "ui/lexicon/enginedialog.h"
#include "platform/guarded.h"
#include "ui/options/hotkeyedit.h"
#include "widgets/qmshell.h"
#include "ui/folderpicker/shelltree.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>

using namespace loqa;

void TFormOption::ShowPage(int index)
{
    PageControl1->setCurrentIndex(index >= 0 && index < PageCount ? index : PageCount);
}

void TFormOption::FocusShownPage()
{
    QWidget *page = PageControl1->currentWidget();
    for (QWidget *w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isEnabled() &&
            w->isVisibleTo(page)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    PageControl1->tabBar()->setFocus(Qt::OtherFocusReason);
}

void TFormOption::PickFolder(QLineEdit *edit)
{
    // The picker starts at the field's folder; a cancelled pick leaves the field as it is.
    QString picked = edit->text();
    if (SelectFolder(QStringLiteral("Select a folder as the default"), picked, this))
        edit->setText(PickedFolderText(picked));
}

void TFormOption::FolderChanged(QLineEdit *edit, QString &setting)
{
    // The main window's open and save dialogs start in the setting's folder.
    setting = FolderSetting(edit->text());
}

void TFormOption::ComboBoxKHZChange()
{
    const FrequencyChange change = FrequencyChanged(ComboBoxKHZ->currentText());
    {
        const QSignalBlocker quiet(ComboBoxKBPS);
        ComboBoxKBPS->setCurrentIndex(ItemIndexOf(BitrateItems(), change.kbps));
    }
    FSettings.convert.KBPS = change.kbps;
    FSettings.convert.KHZ = change.khz;
}

void TFormOption::ComboBoxKBPSChange()
{
    const BitrateCheck check = CheckBitrate(ComboBoxKHZ->currentIndex(), ComboBoxKBPS->currentText());
    if (!check.message.isEmpty()) {
        {
            const QSignalBlocker quiet(ComboBoxKBPS);
            ComboBoxKBPS->setCurrentIndex(ItemIndexOf(BitrateItems(), check.kbps));
        }
        ShowMessageBox(check.message, MB_ICONINFORMATION);
    }
    FSettings.convert.KBPS = check.kbps;
}

void TFormOption::ShowHotkey(int index)
{
    if (index < 0 || index >= HotkeyCount)
        return;
    HotKey1->SetShortcut(FSettings.lists.HotkeyList[size_t(index)]);
    CheckBoxGlobalHotkey->setChecked(FSettings.lists.GlobalHotkeyIDList[size_t(index)] != 0);
    CheckBoxGlobalHotkey->setEnabled(!HotKey1->Shortcut().isEmpty());
}

void TFormOption::UpdateHotkey()
{
    const int i = ComboBoxHotkeys->currentIndex();
    if (i < 0 || i >= HotkeyCount)
        return;
    const QString entered = HotKey1->Shortcut();
    switch (DecideHotkeyUpdate(FSettings.lists.HotkeyList, i, entered)) {
    case HotkeyUpdate::Unchanged:
        return;
    case HotkeyUpdate::Reserved:
        ShowMessageBox(ReservedChordMessage(entered), MB_ICONINFORMATION);
        ShowHotkey(i);
        return;
    case HotkeyUpdate::Clash:
        ShowMessageBox(QStringLiteral("This Hotkey already exists!"), MB_ICONINFORMATION);
        ShowHotkey(i);
        return;
    case HotkeyUpdate::Accept:
        FHost.SetActionShortcut(i, entered); // works in the main window at once
        CheckBoxGlobalHotkey->setEnabled(!entered.isEmpty());
        return;
    }
}

void TFormOption::ResetHotkeys()
{
    if (!ConfirmBox(QStringLiteral("Are you sure?")))
        return;
    const std::array<QString, HotkeyCount> defaults = DefaultHotkeys();
    for (int i = 0; i < HotkeyCount; ++i)
        FHost.SetActionShortcut(i, defaults[size_t(i)]);
    ShowHotkey(ComboBoxHotkeys->currentIndex());
}

void TFormOption::CheckBoxGlobalHotkeyClick(bool checked)
{
    const int i = ComboBoxHotkeys->currentIndex();
    if (i < 0 || i >= HotkeyCount)
        return;
    qint32 &id = FSettings.lists.GlobalHotkeyIDList[size_t(i)];
    guarded([&] {
        if (checked) {
            // Registered for the main window, which acts on its presses at once.
            if (id == 0 && !FSettings.lists.HotkeyList[size_t(i)].isEmpty())
                id = FHost.GrabGlobalHotkey(i);
        } else if (id != 0) {
            FHost.ReleaseGlobalHotkey(i, id);
            id = 0;
        }
    });
}

void TFormOption::ShowLexicon()
{
    ShowEngineDialog(FHost.Speech(), FSettings.lists.DictionaryList, 2, this);
}

void TFormOption::SetEditorFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, FHost.EditorFont(), this);
    if (!ok)
        return;
    // The desktop's font dialog offers no colour: the colour dialog follows it,
    // starting with the editor's text colour; cancelled, the colour stays.
    const QColor colour = QColorDialog::getColor(FHost.EditorTextColour(), this, QStringLiteral("Font Color"));
    if (colour.isValid())
        FSettings.ui.MemoFontColor = BgrValue(colour);
    FSettings.ui.MemoFontSize = font.pointSize();
    FSettings.ui.MemoFontName = font.family();
    FSettings.ui.MemoFontBold = font.bold();
    FSettings.ui.MemoFontItalic = font.italic();
    FSettings.ui.MemoFontUnderline = font.underline();
    FSettings.ui.MemoFontStrikeOut = font.strikeOut();
    FSettings.Changed(loqa::SettingsGroup::EditorFont);
    FSettings.Changed(loqa::SettingsGroup::EditorColours);
}

void TFormOption::SetEditorColour()
{
    const QColor colour = QColorDialog::getColor(FHost.EditorBackColour(), this);
    if (!colour.isValid())
        return;
    FSettings.ui.MemoBGColor = BgrValue(colour);
    FSettings.Changed(loqa::SettingsGroup::EditorColours);
}

void TFormOption::CheckBoxTrayClick(bool checked)
{
    FSettings.ui.Tray = checked;
    FSettings.Changed(loqa::SettingsGroup::Tray);
    if (!checked) {
        CheckBoxMiniStartup->setChecked(false);
        CheckBoxMiniToTray->setChecked(false);
    }
    CheckBoxMiniStartup->setEnabled(checked);
    CheckBoxMiniToTray->setEnabled(checked);
}

void TFormOption::PickAlarmFile(QLineEdit *edit, const QString &filter, const QString &suffix)
{
    QFileDialog dialog(this, QStringLiteral("Open File(s) to Read"), QFileInfo(edit->text()).absolutePath(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    if (!edit->text().isEmpty())
        dialog.selectFile(edit->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edit->setText(dialog.selectedFiles().constFirst());
}

bool TFormOption::FillReminders()
{
    const loqa::ReminderRows filled = ReminderRowsFrom(FSettings.lists.ReminderList);
    FReminderRows = filled.rows;
    SortReminderRows(FReminderRows);
    ShowReminderRows(-1);
    return filled.complete;
}

void TFormOption::ShowReminderRows(int select)
{
    const QSignalBlocker quiet(ListViewReminderList);
    ListViewReminderList->clear();
    for (const ReminderRow &row : FReminderRows)
        ListViewReminderList->addTopLevelItem(new QTreeWidgetItem({row.date, row.time, row.message}));
    if (QTreeWidgetItem *item = ListViewReminderList->topLevelItem(select)) {
        ListViewReminderList->setCurrentItem(item);
        item->setSelected(true);
    }
}

int TFormOption::SelectedReminder() const
{
    const QList<QTreeWidgetItem *> selected = ListViewReminderList->selectedItems();
    return selected.isEmpty() ? -1 : ListViewReminderList->indexOfTopLevelItem(selected.constFirst());
}

void TFormOption::ReminderSelected()
{
    const int i = SelectedReminder();
    if (i < 0)
        return;
    const ReminderRow &row = FReminderRows.at(i);
    const QDateTime moment = ReminderRowMoment(row);
    if (moment.isValid()) {
        DatePicker->setDate(moment.date());
        TimePicker->setTime(moment.time());
    }
    MemoReminder->setPlainText(row.message);
}

void TFormOption::AddReminder()
{
    FReminderRows.append(ReminderRowFor(DatePicker->date(), TimePicker->time(), MemoReminder->toPlainText()));
    ShowReminderRows(SortReminderRows(FReminderRows, int(FReminderRows.size()) - 1));
    RebuildReminderList();
}

void TFormOption::UpdateReminder()
{
    const int i = SelectedReminder();
    if (i < 0)
        return;
    FReminderRows[i] = ReminderRowFor(DatePicker->date(), TimePicker->time(), MemoReminder->toPlainText());
    ShowReminderRows(SortReminderRows(FReminderRows, i));
    RebuildReminderList();
}

void TFormOption::DeleteReminder()
{
    const int i = SelectedReminder();
    if (i >= 0)
        FReminderRows.removeAt(i);
    ShowReminderRows(-1);
    RebuildReminderList();
}

void TFormOption::RebuildReminderList()
{
    FSettings.lists.ReminderList = ReminderListFrom(FReminderRows);
}
