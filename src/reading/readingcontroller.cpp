#include "reading/readingcontroller.h"

#include "reading/doclist.h"
#include "settings/settings.h"
#include "audio/mp3step.h"
#include "speech/mspeech.h"
#include "text/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <climits>
#include <memory>

namespace loqa {

namespace {

QString documentPath(const QStringList &documents, int index)
{
    return index >= 0 && index < documents.size() ? documents.at(index) : QString();
}

} // namespace

ReadingController::ReadingController(TMSpeech *speech, ReadingHost *host, Settings &settings, QObject *parent)
    : QObject(parent), FSpeech(speech), FHost(host), FSettings(settings)
{
    // The controller outlives every notification of its component: it owns it.
    FSpeech->setParent(this);
    FSpeech->OnStart = [this](TMSpeech *) { SpeechStarted(); };
    FSpeech->OnStop = [this](TMSpeech *) { SpeechStopped(); };
    // The highlight follows each word as it is heard; the timer keeps the gauge going.
    FSpeech->OnWordPosition = [this](TMSpeech *) {
        if (FPhase == Phase::Speaking && FSettings.general.Highlight && DocumentRun())
            emit WordHeard(EditorPosition(FSpeech->WordPosition()));
    };
    FWordTimer.setInterval(100);
    connect(&FWordTimer, &QTimer::timeout, this, &ReadingController::WordTimer);
}

ReadingController::~ReadingController()
{
    FSpeech->OnStart = nullptr;
    FSpeech->OnStop = nullptr;
    FSpeech->OnWordPosition = nullptr;
    if (FEncoder) {
        // An encoding still running ends with the window; its WAV stays.
        FCancelEncoder = true;
        FEncoder->wait();
        delete FEncoder;
    }
}

QString ReadingController::OutputName(bool mp3) const
{
    return RunOutputName(ReadState, documentPath(FSettings.lists.DocumentList, FSettings.automatic.PlayIndex),
                         mp3 ? FSettings.convert.DefMp3Path : FSettings.convert.DefWavPath, mp3);
}

int ReadingController::SpokenLength() const
{
    return int(std::min<qsizetype>(FSpokenUtf8.size(), INT_MAX));
}

void ReadingController::Fail(const QString &message, bool report, const QString &reason)
{
    emit Notice(QStringLiteral(" ") + message + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    if (report)
        emit ErrorRaised(message);
}

void ReadingController::ReadText(const QString &text, bool report)
{
    emit ModeCaptionsChanged(FSettings.automatic.ConvertMode);
    if (FSettings.automatic.ConvertMode < cmAloud || FSettings.automatic.ConvertMode > cmMp3)
        return;
    if (Converting()) {
        // The WAV being encoded and the walk through the documents come first.
        Fail(QStringLiteral("An MP3 file is being made; try again when it is done."), report);
        return;
    }
    FReport = report;
    QString freshWav; // an intermediate WAV made for this run, gone again if nothing is spoken
    try {
        const QStringList &engines = FSpeech->Engines();
        if (engines.isEmpty())
            throw EMSpeechException(QStringLiteral("Specified Speech Engine not found"));
        if (FSettings.automatic.EngineIndex < 0 || FSettings.automatic.EngineIndex >= engines.size())
            throw EMSpeechException(
                QStringLiteral("List index out of bounds (%1)").arg(FSettings.automatic.EngineIndex));
        FSpeech->Output = FSettings.automatic.ConvertMode == cmAloud ? soGeneral : soFile;
        FSpeech->SelectEngine(engines.at(0));
        FSpeech->SelectEngine(engines.at(FSettings.automatic.EngineIndex));
        // A voice that cannot make files says so in place of the generic "not selected".
        if (!FSpeech->Selected() && FSpeech->Output == soFile &&
            FSpeech->LastSelectError() == speech::FileOutputRefusalText(engines.at(FSettings.automatic.EngineIndex)))
            throw EMSpeechException(FSpeech->LastSelectError());
        if (FSettings.automatic.ConvertMode != cmAloud) {
            QString name = OutputName(false);
            if (FSettings.automatic.ConvertMode == cmWav && !FSettings.general.AutoName) {
                const QString chosen = FHost->AskSaveName(false, FSettings.convert.DefWavPath, name);
                if (!chosen.isEmpty())
                    name = chosen;
            }
            QDir().mkpath(QFileInfo(name).absolutePath());
            if (FSettings.automatic.ConvertMode == cmMp3) {
                // The WAV is only the way to the MP3: one the user made keeps its name.
                const QString wanted = name;
                name = IntermediateWavName(wanted);
                if (name != wanted)
                    freshWav = name;
            }
            FSpeech->Filename = name;
            FSpeech->SetFileRealTime(uint16_t(std::clamp(FSettings.convert.RealTime, 0, 0xFFFF)));
        }
        FSpeech->Text = SplitTextLines(text);
        FSpeech->SetSpeed(uint32_t(FSettings.automatic.Spd));
        FSpeech->SetPitch(uint16_t(FSettings.convert.Pit));
        QByteArray spoken;
        for (const QString &line : FSpeech->Text)
            spoken += line.toUtf8() + "\r\n";
        FSpokenUtf8 = spoken;
        FPhase = Phase::Starting;
        FSpeech->Speak();
        if (!FSpeech->LastSpeakError().isEmpty())
            throw EMSpeechException(FSpeech->LastSpeakError());
    } catch (const std::exception &error) {
        // Nothing was spoken: no start or stop follows, so the controller goes back to idle here.
        FPhase = Phase::Idle;
        ReadState = rsNone;
        if (!freshWav.isEmpty())
            QFile::remove(freshWav);
        UpdateStatus();
        const auto *speechError = dynamic_cast<const EMSpeechException *>(&error);
        const QString message = speechError ? speechError->message() : QString::fromLocal8Bit(error.what());
        // A selection that failed said nothing; why it failed is told beside the error.
        const bool unselected = !FSpeech->Selected() && message == QLatin1String("Speech Engine not selected");
        Fail(message, report, unselected ? FSpeech->LastSelectError() : QString());
    }
}

void ReadingController::ReadClipboard(const QString &text)
{
    ReadAloud(rsClipboard, text);
}

void ReadingController::Announce(const QString &text)
{
    ReadAloud(rsNone, text);
}

void ReadingController::ReadAloud(TReadState state, const QString &text)
{
    if (FHoldFreeTexts) {
        // The window is busy with the encoder: the text waits for it, and the
        // run being encoded keeps its state meanwhile.
        FWaiting.append({state, text});
        return;
    }
    FSettings.automatic.ConvertMode = cmAloud; // aloud, and aloud it stays
    ReadState = state;
    ReadText(text, false);
}

bool ReadingController::ReadWaitingTexts()
{
    FHoldFreeTexts = false;
    if (FWaiting.isEmpty())
        return false;
    // Each one gives way to the next, as when they come during a reading.
    const QList<std::pair<TReadState, QString>> waiting = std::exchange(FWaiting, {});
    for (const auto &[state, text] : waiting)
        ReadAloud(state, text);
    return true;
}

void ReadingController::ReadDocument(TConvertMode mode)
{
    if (Converting())
        return;
    FSettings.automatic.ConvertMode = mode;
    ReadState = rsDocument;
    ReadText(FHost->EditorText());
}

void ReadingController::ReadFromCursor()
{
    if (Converting())
        return;
    ReadState = rsPart;
    PartStart = FHost->EditorCursor();
    ReadText(FHost->EditorText().mid(PartStart));
}

void ReadingController::ReadSelected()
{
    if (Converting())
        return;
    int start = 0;
    const QString selected = FHost->EditorSelection(&start);
    ReadState = rsPart;
    PartStart = start;
    ReadText(selected);
}

void ReadingController::PauseResume()
{
    if (Converting())
        return;
    try {
        if (FSpeech->Paused()) {
            // Back to the paused document if another one is shown (still paused,
            // that restarts nothing). The one paused keeps its editor text as it
            // is, so the run's offsets still point into it.
            if (FHost->CurrentTab() != PauseTab)
                FHost->ShowDocument(PauseTab);
            FSpeech->Resume();
            FPhase = Phase::Speaking;
            FWordTimer.start();
        } else {
            FSpeech->Pause();
            FPhase = Phase::Paused;
            FWordTimer.stop();
            emit HighlightAt(-1);
            PauseTab = FHost->CurrentTab();
        }
    } catch (const EMSpeechException &error) {
        Fail(error.message(), true);
    }
    UpdateStatus();
}

void ReadingController::Stop()
{
    ReadState = rsNone;
    if (Converting()) {
        // Stop ends the encoder too; the WAV it was reading stays.
        FCancelEncoder = true;
        return;
    }
    try {
        if (FSpeech->Paused())
            FSpeech->Resume();
        FSpeech->Stop();
    } catch (const EMSpeechException &) {
        // Nothing was selected, so nothing is running.
    }
}

void ReadingController::Prev()
{
    if (Converting())
        return;
    const int index = FHost->CurrentTab();
    int target = index;
    if (index > 0)
        target = index - 1;
    else if (FSettings.general.Repeat)
        target = FHost->TabCount() - 1;
    FHost->ShowDocument(target);
}

void ReadingController::Next()
{
    if (Converting())
        return;
    const int index = FHost->CurrentTab();
    int target = index;
    if (index < FHost->TabCount() - 1)
        target = index + 1;
    else if (FSettings.general.Repeat)
        target = 0;
    FHost->ShowDocument(target);
}

void ReadingController::DocumentShown()
{
    if (ReadState != rsDocument || FSpeech->Paused() || Converting())
        return;
    const int mode = FSettings.automatic.ConvertMode;
    Stop();
    if (mode >= cmAloud && mode <= cmMp3)
        ReadDocument(TConvertMode(mode));
}

bool ReadingController::SelectedEnabled(int selectionLength) const
{
    return SelectedTextEnabled(selectionLength, ReadState) && !Converting();
}

void ReadingController::UpdateStatus()
{
    const int index = FHost->CurrentTab();
    const QString caption = index >= 0 ? FHost->TabCaption(index) : QString();
    const QString status = RunStatusText(ReadState, FSettings.automatic.ConvertMode, caption);
    const bool running = FPhase == Phase::Speaking || FPhase == Phase::Paused || FPhase == Phase::Converting;
    emit StatusChanged(status, TrayHintText(status, running, FSpeech->Paused()));
    // A run starting counts as one going on, so that the walk's next document
    // follows the last without a "Stopped" between. A free text read with no
    // state of its own (the alarm, a reminder, the greeting) is heard, not told.
    const bool told = FPhase != Phase::Idle && ReadState != rsNone;
    const QString spoken = RunAnnouncement(status, told, FSpeech->Paused(), FToldRunning);
    FToldRunning = told;
    emit Announcement(spoken);
}

void ReadingController::SpeechStarted()
{
    FPhase = Phase::Speaking;
    const bool documentRun = DocumentRun();
    if (documentRun) {
        FSettings.automatic.PlayIndex = std::max(0, FHost->CurrentTab());
        emit ReadCommandsEnabled(false);
    }
    emit Started(documentRun);
    emit RunningChanged(true);
    const int maximum = SpokenLength();
    emit GaugeChanged(0, maximum);
    FSpokenPosition.reset(FSpokenUtf8);
    FWordTimer.start();
    UpdateStatus();
}

void ReadingController::WordTimer()
{
    const int maximum = SpokenLength();
    const uint32_t word = FSpeech->WordPosition();
    emit GaugeChanged(int(std::min<uint32_t>(word, uint32_t(maximum))), maximum);
    if (FSettings.general.Highlight && DocumentRun())
        emit HighlightAt(EditorPosition(word));
}

int ReadingController::EditorPosition(uint32_t word)
{
    return FSpokenPosition.charPosition(word) + (ReadState == rsPart ? PartStart : 0);
}

void ReadingController::SpeechStopped()
{
    if (FSpeech->Paused()) {
        UpdateStatus();
        return;
    }
    FWordTimer.stop();
    FPhase = Phase::Idle;
    emit Stopped();
    emit RunningChanged(false);
    emit GaugeChanged(0, SpokenLength());
    const QString runError = FSpeech->RunError();
    if (!runError.isEmpty()) {
        // The run broke off: nothing is encoded or deleted, and the walk ends here.
        ReadState = rsNone;
        emit ReadCommandsEnabled(true);
        UpdateStatus();
        Fail(runError, FReport);
        return;
    }
    if (FSettings.automatic.ConvertMode == cmMp3 && FSpeech->Output == soFile) {
        BeginMp3Step();
        return;
    }
    emit ReadCommandsEnabled(true);
    Continue();
}

void ReadingController::BeginMp3Step()
{
    FPhase = Phase::Converting;
    FHoldFreeTexts = true;
    FCancelEncoder = false;
    emit ConvertingChanged(true);
    emit ReadCommandsEnabled(false);
    emit Notice(QStringLiteral("Converting..."));

    // Everything the step needs is taken now, before a dialog can run other events.
    auto step = std::make_shared<Mp3Step>();
    step->wav = FSpeech->Filename;
    step->mp3 = OutputName(true);
    step->resample = FSettings.convert.KHZ;
    step->bitrate = FSettings.convert.KBPS;
    step->retryAutomatic = true;
    step->limits.cancel = &FCancelEncoder;
    step->encoder = Encoder;
    if (!FSettings.general.AutoName) {
        const QString chosen = FHost->AskSaveName(true, FSettings.convert.DefMp3Path, step->mp3);
        if (!chosen.isEmpty())
            step->mp3 = chosen;
    }
    QDir().mkpath(QFileInfo(step->mp3).absolutePath());

    // The encoder runs beside the window, which stays responsive; what follows
    // waits for it: WAV complete, encode, delete the WAV, then the continuation.
    auto result = std::make_shared<Mp3StepResult>();
    FEncoder = QThread::create([step, result] { *result = RunMp3Step(*step); });
    connect(FEncoder, &QThread::finished, this, [this, step, result] {
        Mp3StepEnded(result->ok(), result->outcome == Mp3StepResult::Cancelled, result->reason, step->wav);
    });
    FEncoder->start();
}

void ReadingController::Mp3StepEnded(bool ok, bool cancelled, const QString &reason, const QString &wav)
{
    FEncoder->wait();
    FEncoder->deleteLater();
    FEncoder = nullptr;
    FPhase = Phase::Idle;
    emit ConvertingChanged(false);
    emit ReadCommandsEnabled(true);
    if (!ok) {
        // The rendering is the user's finished work: it stays, and the walk ends.
        // Texts that come while an error box is open still wait behind the others.
        ReadState = rsNone;
        UpdateStatus();
        if (cancelled)
            emit Notice(QStringLiteral(" MP3 conversion stopped; the speech is kept in ") + wav);
        else
            Fail(reason + QStringLiteral("; the speech is kept in ") + wav, FReport);
        ReadWaitingTexts();
        return;
    }
    // A text that waited is read now; like one that comes during a reading, it
    // takes the place of the walk's next document.
    if (!ReadWaitingTexts())
        Continue();
}

void ReadingController::Continue()
{
    if (!FSettings.general.AutoNext) {
        ReadState = rsNone;
    } else if (ReadState == rsDocument) {
        if (FHost->TabCount() > 0 &&
            docs::NavigationFor(FHost->CurrentTab(), FHost->TabCount(), FSettings.general.Repeat).next)
            Next();
        else
            ReadState = rsNone;
    } else {
        ReadState = rsNone;
    }
    UpdateStatus();
}

} // namespace loqa
