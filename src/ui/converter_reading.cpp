// Reading aloud and converting: the runs of the speech component, the highlight,
// the gauge and the status.
#include "converter.h"

#include "global.h"
#include "lame.h"
#include "mspeech.h"
#include "qmutils.h"
#include "readingrules.h"
#include "systray.h"
#include "textfile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTabBar>
#include <QThread>
#include <QTimer>
#include <QToolButton>

using namespace loqa;

namespace {

QString documentPath(int index)
{
    return index >= 0 && index < DocumentList.size() ? DocumentList.at(index) : QString();
}

QString askFile(QWidget *parent, const QString &title, const QString &folder, const QString &suffix,
                const QString &filter, const QString &suggested)
{
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(suggested);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().first();
    return {};
}

} // namespace

QString TFormCvt::OutputName(bool mp3) const
{
    return RunOutputName(ReadState, documentPath(PlayIndex), mp3 ? DefMp3Path : DefWavPath, mp3);
}

void TFormCvt::ReadText(const QString &text)
{
    UpdateModeCaptions();
    if (ConvertMode < 0 || ConvertMode > 2)
        return;
    try {
        const QStringList &engines = MSpeech1->Engines();
        if (engines.isEmpty())
            throw EMSpeechException(QStringLiteral("Specified Speech Engine not found"));
        if (EngineIndex < 0 || EngineIndex >= engines.size())
            throw EMSpeechException(QStringLiteral("List index out of bounds (%1)").arg(EngineIndex));
        MSpeech1->Output = ConvertMode == 0 ? soGeneral : soFile;
        MSpeech1->SelectEngine(engines.at(0));
        MSpeech1->SelectEngine(engines.at(EngineIndex));
        if (ConvertMode != 0) {
            QString name = OutputName(false);
            if (ConvertMode == 1 && !AutoName) {
                const QString chosen = askFile(this, QStringLiteral("Convert into Wav File"), DefWavPath,
                                               QStringLiteral("wav"), QStringLiteral("Wav Files(*.wav)"), name);
                if (!chosen.isEmpty())
                    name = chosen;
            }
            QDir().mkpath(QFileInfo(name).absolutePath());
            MSpeech1->Filename = name;
            MSpeech1->SetFileRealTime(uint16_t(std::clamp(RealTime, 0, 0xFFFF)));
        }
        MSpeech1->Text = SplitTextLines(text);
        MSpeech1->SetSpeed(uint32_t(Spd));
        MSpeech1->SetPitch(uint16_t(Pit));
        QByteArray spoken;
        for (const QString &line : MSpeech1->Text)
            spoken += line.toUtf8() + "\r\n";
        FSpokenUtf8 = spoken;
        MSpeech1->Speak();
        if (!MSpeech1->LastSpeakError().isEmpty())
            throw EMSpeechException(MSpeech1->LastSpeakError());
    } catch (const std::exception &error) {
        // Nothing was spoken: no start or stop follows, so the controller goes back to idle here.
        ReadState = 0;
        UpdateStatus();
        const auto *speechError = dynamic_cast<const EMSpeechException *>(&error);
        ShowError(speechError ? speechError->message() : QString::fromLocal8Bit(error.what()));
    }
}

void TFormCvt::ActionTTSExecute()
{
    ConvertMode = 0;
    ReadState = 1;
    ReadText(Memo1->toPlainText());
}

void TFormCvt::ActionTTWExecute()
{
    ConvertMode = 1;
    ReadState = 1;
    ReadText(Memo1->toPlainText());
}

void TFormCvt::ActionTTMExecute()
{
    ConvertMode = 2;
    ReadState = 1;
    ReadText(Memo1->toPlainText());
}

void TFormCvt::ActionTTXCursorExecute()
{
    ReadState = 2;
    PartStart = Memo1->textCursor().position();
    ReadText(Memo1->toPlainText().mid(PartStart));
}

void TFormCvt::ActionTTXSelectedExecute()
{
    const QTextCursor cursor = Memo1->textCursor();
    ReadState = 2;
    PartStart = cursor.selectionStart();
    // The editor separates paragraphs of a selection with U+2029.
    QString selected = cursor.selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    ReadText(selected);
}

void TFormCvt::ActionPauseExecute()
{
    if (MSpeech1->Paused()) {
        FSilentTabs = true;
        TabControl1->setCurrentIndex(PauseTab);
        FSilentTabs = false;
        ShowCurrentDocument(); // still paused: reloads, restarts nothing
        MSpeech1->Resume();
        TimerWordPosition->start();
    } else {
        MSpeech1->Pause();
        TimerWordPosition->stop();
        QTextCursor cursor = Memo1->textCursor();
        cursor.clearSelection();
        Memo1->setTextCursor(cursor);
        PauseTab = TabControl1->currentIndex();
    }
    UpdateStatus();
}

void TFormCvt::ActionStopExecute()
{
    ReadState = 0;
    try {
        if (MSpeech1->Paused())
            MSpeech1->Resume();
        MSpeech1->Stop();
    } catch (const EMSpeechException &) {
        // Nothing was selected, so nothing is running.
    }
}

void TFormCvt::ActionPrevExecute()
{
    const int index = TabControl1->currentIndex();
    FSilentTabs = true;
    if (index > 0)
        TabControl1->setCurrentIndex(index - 1);
    else if (Repeat)
        TabControl1->setCurrentIndex(TabControl1->count() - 1);
    FSilentTabs = false;
    ShowCurrentDocument();
}

void TFormCvt::ActionNextExecute()
{
    const int index = TabControl1->currentIndex();
    FSilentTabs = true;
    if (index < TabControl1->count() - 1)
        TabControl1->setCurrentIndex(index + 1);
    else if (Repeat)
        TabControl1->setCurrentIndex(0);
    FSilentTabs = false;
    ShowCurrentDocument();
}

void TFormCvt::SetReadingLocked(bool locked)
{
    for (ActionIndex a : {ActionTTS, ActionTTW, ActionTTM, ActionTTXCursor, ActionTTXSelected})
        action(a)->setEnabled(!locked);
}

void TFormCvt::MSpeech1Start()
{
    if (ReadState == 1 || ReadState == 2) {
        PlayIndex = std::max(0, TabControl1->currentIndex());
        SetReadingLocked(true);
        if (Highlight && isVisible()) {
            Memo1->setReadOnly(false);
            Memo1->setFocus();
        }
        QPalette p = Memo1->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Button));
        Memo1->setPalette(p);
        Memo1->setReadOnly(true);
    }
    action(ActionPause)->setEnabled(true);
    action(ActionStop)->setEnabled(true);
    ComboBoxExEngines->setEnabled(false);
    TrackBarSpd->setEnabled(false);
    GaugeWordPosition->setMaximum(int(std::min<qsizetype>(FSpokenUtf8.size(), INT_MAX)));
    GaugeWordPosition->setValue(0);
    FSpokenPosition.reset(FSpokenUtf8);
    TimerWordPosition->start();
    UpdateStatus();
}

void TFormCvt::TimerWordPositionTimer()
{
    const uint32_t word = MSpeech1->WordPosition();
    GaugeWordPosition->setValue(int(std::min<uint32_t>(word, uint32_t(GaugeWordPosition->maximum()))));
    if (Highlight && (ReadState == 1 || ReadState == 2)) {
        const int at = FSpokenPosition.charPosition(word) + (ReadState == 2 ? PartStart : 0);
        QTextCursor cursor = Memo1->textCursor();
        cursor.setPosition(std::min(at, Memo1->document()->characterCount() - 1));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        Memo1->setTextCursor(cursor);
        PanelStatus->setText(QStringLiteral("Word Position: %1").arg(cursor.position()));
    }
}

void TFormCvt::MSpeech1Stop()
{
    if (MSpeech1->Paused()) {
        UpdateStatus();
        return;
    }
    SetReadingLocked(false);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Base, QColor(MemoBGColor & 0xFF, (MemoBGColor >> 8) & 0xFF, (MemoBGColor >> 16) & 0xFF));
    Memo1->setPalette(p);
    Memo1->setReadOnly(false);
    QTextCursor cursor = Memo1->textCursor();
    cursor.clearSelection();
    Memo1->setTextCursor(cursor);
    action(ActionPause)->setEnabled(false);
    action(ActionStop)->setEnabled(false);
    ComboBoxExEngines->setEnabled(true);
    TrackBarSpd->setEnabled(true);
    GaugeWordPosition->setValue(0);
    TimerWordPosition->stop();

    if (ConvertMode == 2) {
        PanelStatus->setText(QStringLiteral("Converting..."));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QString mp3;
        if (!AutoName) {
            QApplication::restoreOverrideCursor();
            mp3 = askFile(this, QStringLiteral("Convert into Mp3 File"), DefMp3Path, QStringLiteral("mp3"),
                          QStringLiteral("Mp3 Files(*.mp3)"), OutputName(true));
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (mp3.isEmpty())
            mp3 = OutputName(true);
        QDir().mkpath(QFileInfo(mp3).absolutePath());
        const QString wav = MSpeech1->Filename;
        // The encoder runs beside the window, which stays responsive; what follows
        // waits for it: WAV complete, encode, delete the WAV, then the continuation.
        FConverting = true;
        SetReadingLocked(true);
        QThread *worker = QThread::create([wav, mp3, khz = KHZ, kbps = KBPS] {
            try {
                EncodeMp3(wav, mp3, khz, kbps, QStringLiteral("s"), QStringLiteral("5"));
            } catch (...) {
                EncodeMp3(wav, mp3, QStringLiteral("automatic"), QStringLiteral("128"), QStringLiteral("s"),
                          QStringLiteral("5"));
            }
        });
        connect(worker, &QThread::finished, this, [this, worker, wav] {
            worker->deleteLater();
            QFile::remove(wav);
            QApplication::restoreOverrideCursor();
            FConverting = false;
            SetReadingLocked(false);
            ContinueAfterRun();
        });
        worker->start();
        return;
    }
    ContinueAfterRun();
}

void TFormCvt::ContinueAfterRun()
{
    if (!AutoNext) {
        ReadState = 0;
    } else if (ReadState == 1) {
        if (action(ActionNext)->isEnabled())
            action(ActionNext)->trigger();
        else
            ReadState = 0;
    } else {
        ReadState = 0;
    }
    UpdateStatus();
}

void TFormCvt::UpdateModeCaptions()
{
    static const ActionIndex reads[3] = {ActionTTS, ActionTTW, ActionTTM};
    const int mode = std::clamp(ConvertMode, 0, 2);
    ToolButtonTTX->setDefaultAction(action(reads[mode]));
    action(ActionTTXCursor)->setText(CursorCaption(mode));
    action(ActionTTXSelected)->setText(SelectedCaption(mode));
}

void TFormCvt::UpdateStatus()
{
    const int index = TabControl1->currentIndex();
    const QString caption = index >= 0 ? TabControl1->tabText(index) : QString();
    const QString status = RunStatusText(ReadState, ConvertMode, caption);
    PanelStatus->setText(status);
    SysTray1->SetHint(TrayHintText(status, action(ActionStop)->isEnabled(), MSpeech1->Paused()));
}

void TFormCvt::UpdateSelectedEnabling()
{
    action(ActionTTXSelected)->setEnabled(
        SelectedTextEnabled(int(Memo1->textCursor().selectedText().size()), ReadState) && !FConverting);
}
