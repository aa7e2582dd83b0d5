// The window's side of reading: what the reading controller asks of the window,
// and what the window shows of a run.
#include "ui/main/converter.h"
#include "widgets/statuspanel.h"

#include "speech/mspeech.h"
#include "reading/readingcontroller.h"
#include "widgets/systray.h"
#include "text/textfile.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QProgressBar>
#include <QSlider>
#include "widgets/tabstrip.h"
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
    connect(r, &ReadingController::WordHeard, this, &TFormCvt::PaintHeardWord);
    // A word shown belongs to the text it was spoken from: another text loaded
    // (the next document, the one resumed) shows none until its own comes.
    connect(Memo1->document(), &QTextDocument::contentsChange, this, [this] {
        if (!Memo1->extraSelections().isEmpty())
            Memo1->setExtraSelections({});
    });
    connect(r, &ReadingController::StatusChanged, this, [this](const QString &status, const QString &hint) {
        PanelStatus->setText(status);
        SysTray1->SetHint(hint);
    });
    connect(r, &ReadingController::Announcement, PanelStatus, &TStatusPanel::Tell);
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
    if (FSettings.general.Highlight && isVisible()) {
        Memo1->setReadOnly(false);
        Memo1->setFocus();
    }
    Memo1->setReadOnly(true);
    ApplyReadingTint();
}

void TFormCvt::TimerWordPositionTimer(int position)
{
    PaintHeardWord(position);
    if (position >= 0)
        PanelStatus->setText(QStringLiteral("Word Position: %1").arg(HighlightedWord()));
}

void TFormCvt::PaintHeardWord(int position)
{
    // The spoken word is painted over the text, not selected: the user's caret
    // and selection stay where they were, and assistive tools see no
    // selection come and go at every word.
    if (position < 0) {
        Memo1->setExtraSelections({});
        return;
    }
    const int at = std::clamp(position, 0, std::max(0, Memo1->document()->characterCount() - 1));
    QTextEdit::ExtraSelection word;
    word.cursor = QTextCursor(Memo1->document());
    word.cursor.setPosition(at);
    word.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    const QPalette &colours = Memo1->palette();
    word.format.setBackground(colours.brush(QPalette::Active, QPalette::Highlight));
    word.format.setForeground(colours.brush(QPalette::Active, QPalette::HighlightedText));
    Memo1->setExtraSelections({word});
    ScrollToWord(word.cursor);
}

int TFormCvt::HighlightedWord() const
{
    const QList<QTextEdit::ExtraSelection> shown = Memo1->extraSelections();
    return shown.isEmpty() ? -1 : shown.first().cursor.selectionStart();
}

void TFormCvt::ScrollToWord(const QTextCursor &word)
{
    // The editor scrolls by lines: the word's line comes into view, at the top
    // when it lies above, at the bottom when below, as the caret would bring it.
    const QRect view = Memo1->viewport()->rect();
    const QRect shown = Memo1->cursorRect(word);
    if (shown.top() < view.top() || shown.bottom() > view.bottom()) {
        const QTextBlock block = word.block();
        int line = block.firstLineNumber();
        if (const QTextLayout *layout = block.layout()) {
            const QTextLine inBlock = layout->lineForTextPosition(word.selectionStart() - block.position());
            if (inBlock.isValid())
                line += inBlock.lineNumber();
        }
        const int lines = std::max(1, view.height() / std::max(1, Memo1->fontMetrics().lineSpacing()));
        Memo1->verticalScrollBar()->setValue(shown.top() < view.top() ? line : line - lines + 1);
    }
    if (shown.left() < view.left() || shown.right() > view.right()) {
        QScrollBar *across = Memo1->horizontalScrollBar();
        across->setValue(across->value() + shown.left() - view.width() / 2);
    }
}

void TFormCvt::MSpeech1Stop()
{
    ApplyEditorColours(); // MemoBGColor again
    Memo1->setReadOnly(false);
    Memo1->setExtraSelections({});
}

void TFormCvt::UpdateModeCaptions()
{
    static const ActionIndex reads[3] = {ActionTTS, ActionTTW, ActionTTM};
    const int mode = std::clamp(int(FSettings.automatic.ConvertMode), 0, 2);
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
