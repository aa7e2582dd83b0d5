// The window's side of reading: what the reading controller asks of the window,
// and what the window shows of a run.
#include "converter.h"
#include "statuspanel.h"

#include "global.h"
#include "mspeech.h"
#include "readingcontroller.h"
#include "systray.h"
#include "textfile.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include "tabstrip.h"
#include <QToolButton>

using namespace loqa;

QString TFormCvt::EditorText() const
{
    return Memo1->toPlainText();
}

int TFormCvt::EditorCursor() const
{
    return Memo1->textCursor().position();
}

QString TFormCvt::EditorSelection(int *start) const
{
    const QTextCursor cursor = Memo1->textCursor();
    *start = cursor.selectionStart();
    // The editor separates paragraphs of a selection with U+2029.
    QString selected = cursor.selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return selected;
}

int TFormCvt::CurrentTab() const
{
    return TabControl1->currentIndex();
}

int TFormCvt::TabCount() const
{
    return TabControl1->count();
}

QString TFormCvt::TabCaption(int index) const
{
    return TabControl1->tabText(index);
}

void TFormCvt::ShowDocument(int index)
{
    FSilentTabs = true;
    if (index >= 0 && index < TabControl1->count())
        TabControl1->setCurrentIndex(index);
    FSilentTabs = false;
    ShowCurrentDocument();
}

QString TFormCvt::AskSaveName(bool mp3, const QString &folder, const QString &suggested)
{
    const bool restore = QApplication::overrideCursor() != nullptr;
    if (restore)
        QApplication::restoreOverrideCursor();
    QFileDialog dialog(this, mp3 ? QStringLiteral("Convert into Mp3 File") : QStringLiteral("Convert into Wav File"),
                       folder, mp3 ? QStringLiteral("Mp3 Files(*.mp3)") : QStringLiteral("Wav Files(*.wav)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(mp3 ? QStringLiteral("mp3") : QStringLiteral("wav"));
    dialog.selectFile(suggested);
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = dialog.selectedFiles().first();
    if (restore)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    return chosen;
}

void TFormCvt::ConnectReading()
{
    ReadingController *r = Reading;
    connect(r, &ReadingController::ReadCommandsEnabled, this, [this](bool enabled) {
        for (ActionIndex a : {ActionTTS, ActionTTW, ActionTTM, ActionTTXCursor, ActionTTXSelected})
            action(a)->setEnabled(enabled);
    });
    connect(r, &ReadingController::Started, this, &TFormCvt::MSpeech1Start);
    connect(r, &ReadingController::Stopped, this, &TFormCvt::MSpeech1Stop);
    connect(r, &ReadingController::RunningChanged, this, [this](bool running) {
        action(ActionPause)->setEnabled(running);
        action(ActionStop)->setEnabled(running);
        ComboBoxExEngines->setEnabled(!running);
        TrackBarSpd->setEnabled(!running);
    });
    connect(r, &ReadingController::ConvertingChanged, this, [this](bool converting) {
        // While the MP3 is made, document switches wait; Stop ends the encoder.
        if (converting)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        TabControl1->setEnabled(!converting);
        action(ActionStop)->setEnabled(converting);
        if (converting) {
            action(ActionPrev)->setEnabled(false);
            action(ActionNext)->setEnabled(false);
        } else {
            UpdateNavigation();
        }
    });
    connect(r, &ReadingController::GaugeChanged, this, [this](int value, int maximum) {
        GaugeWordPosition->setMaximum(maximum);
        GaugeWordPosition->setValue(value);
    });
    connect(r, &ReadingController::HighlightAt, this, &TFormCvt::TimerWordPositionTimer);
    connect(r, &ReadingController::StatusChanged, this, [this](const QString &status, const QString &hint) {
        PanelStatus->Announce(status);
        SysTray1->SetHint(hint);
    });
    connect(r, &ReadingController::Notice, PanelStatus, &TStatusPanel::Announce);
    connect(r, &ReadingController::ModeCaptionsChanged, this, &TFormCvt::UpdateModeCaptions);
    connect(r, &ReadingController::ErrorRaised, this, &TFormCvt::ShowError);
}

void TFormCvt::ReadText(const QString &text)
{
    Reading->ReadText(text);
}

void TFormCvt::MSpeech1Start(bool documentRun)
{
    if (!documentRun)
        return;
    if (Highlight && isVisible()) {
        Memo1->setReadOnly(false);
        Memo1->setFocus();
    }
    Memo1->setReadOnly(true);
    ApplyReadingTint();
}

void TFormCvt::TimerWordPositionTimer(int position)
{
    QTextCursor cursor = Memo1->textCursor();
    if (position < 0) {
        cursor.clearSelection();
        Memo1->setTextCursor(cursor);
        return;
    }
    const int at = std::min(position, Memo1->document()->characterCount() - 1);
    cursor.setPosition(at);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    Memo1->setTextCursor(cursor);
    PanelStatus->setText(QStringLiteral("Word Position: %1").arg(at));
}

void TFormCvt::MSpeech1Stop()
{
    ApplyEditorColours(); // MemoBGColor again
    Memo1->setReadOnly(false);
    QTextCursor cursor = Memo1->textCursor();
    cursor.clearSelection();
    Memo1->setTextCursor(cursor);
}

void TFormCvt::UpdateModeCaptions()
{
    static const ActionIndex reads[3] = {ActionTTS, ActionTTW, ActionTTM};
    const int mode = std::clamp(int(ConvertMode), 0, 2);
    ToolButtonTTX->setDefaultAction(action(reads[mode]));
    action(ActionTTXCursor)->setText(CursorCaption(mode));
    action(ActionTTXSelected)->setText(SelectedCaption(mode));
}

void TFormCvt::UpdateStatus()
{
    Reading->UpdateStatus();
}

void TFormCvt::UpdateSelectedEnabling()
{
    action(ActionTTXSelected)->setEnabled(Reading->SelectedEnabled(int(Memo1->textCursor().selectedText().size())));
}
