#pragma once

#include "reading/readingrules.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <utility>

class QThread;
class TMSpeech;

namespace loqa {

class Settings;

// The kind of run in progress (stored as the integer ReadState).
enum TReadState : int { rsNone = 0, rsDocument = 1, rsPart = 2, rsClipboard = 3 };
// How a run speaks (stored as the integer setting ConvertMode).
enum TConvertMode : int { cmAloud = 0, cmWav = 1, cmMp3 = 2 };

// What only the window knows about its documents and its editor.
class ReadingHost
{
public:
    virtual ~ReadingHost() = default;
    // The editor's whole text, its cursor, and its selection with where it starts.
    virtual QString EditorText() const = 0;
    virtual int EditorCursor() const = 0;
    virtual QString EditorSelection(int *start) const = 0;
    // The document tabs.
    virtual int CurrentTab() const = 0;
    virtual int TabCount() const = 0;
    virtual QString TabCaption(int index) const = 0;
    // Selects a tab without its change handling and shows its document.
    virtual void ShowDocument(int index) = 0;
    // A file name from the save dialog; empty when it was cancelled.
    virtual QString AskSaveName(bool mp3, const QString &folder, const QString &suggested) = 0;
};

// The reading and conversion controller: every run of the window's speech
// component goes through here, whoever starts it (the read commands, the
// clipboard, the alarm and reminders, the greeting, hotkeys, the tray menu).
// It owns the run's state and tells the window what to show.
class ReadingController : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Starting, Speaking, Paused, Converting };

    // The settings are read as each run starts; a run changes ConvertMode and PlayIndex.
    ReadingController(TMSpeech *speech, ReadingHost *host, Settings &settings, QObject *parent = nullptr);
    ~ReadingController() override;

    TMSpeech *Speech() const { return FSpeech; }

    // The run in progress: the kind of text, where a part began in the editor,
    // and the tab that was shown when it was paused.
    TReadState CurrentReadState() const { return ReadState; }
    int PartStartPosition() const { return PartStart; }
    int PausedTab() const { return PauseTab; }

    Phase CurrentPhase() const { return FPhase; }
    bool Converting() const { return FPhase == Phase::Converting; }
    // A document run (whole or part) keeps the read commands disabled.
    bool DocumentRun() const { return ReadState == rsDocument || ReadState == rsPart; }

    // The one entry for speaking or converting a text. With `report` false a
    // failure only shows in the status panel (greeting, clipboard, alarm).
    void ReadText(const QString &text, bool report = true);

    // Free texts, always read aloud: the clipboard (ReadState 3), and the alarm
    // and reminders (ReadState 0). While an MP3 file is made they wait, in the
    // order they came, and are read when it is done.
    void ReadClipboard(const QString &text);
    void Announce(const QString &text);

    // The commands.
    void ReadDocument(TConvertMode mode); // Read Aloud, to WAV, to MP3
    void ReadFromCursor();
    void ReadSelected();
    void PauseResume();
    void Stop();
    void Prev();
    void Next();
    // The window showed a document (a tab click, Prev, Next): a whole-document run
    // moves on to it.
    void DocumentShown();

    // Read Selected Text is offered with a selection, unless a document is being read.
    bool SelectedEnabled(int selectionLength) const;
    // The status line and tray hint for the current state.
    void UpdateStatus();

    // The encoder program for MP3 runs; empty: the usual one (tests put a stand-in here).
    void SetEncoder(const QString &program) { Encoder = program; }

signals:
    // A run's audio started; `documentRun` locks the editor.
    void Started(bool documentRun);
    // The audio stopped (not on a pause): the editor unlocks.
    void Stopped();
    // Read Aloud, to WAV, to MP3, from the cursor, the selection.
    void ReadCommandsEnabled(bool enabled);
    // Pause and Stop usable; the voice list and the speed bar are not.
    void RunningChanged(bool running);
    // The MP3 step runs: document switches and read commands wait.
    void ConvertingChanged(bool converting);
    void GaugeChanged(int value, int maximum);
    // The spoken word's character position in the editor; -1 removes the selection.
    void HighlightAt(int position);
    // The word being heard, as it comes: its character position in the editor.
    void WordHeard(int position);
    void StatusChanged(const QString &status, const QString &trayHint);
    // What to tell assistive tools of the state with each status (the same
    // text again is not news to them).
    void Announcement(const QString &spoken);
    // A status text of the moment ("Converting...", a failure's reason).
    void Notice(const QString &text);
    void ModeCaptionsChanged(int convertMode);
    void ErrorRaised(const QString &message);

private:
    void SpeechStarted();
    void SpeechStopped();
    void WordTimer();
    // The editor's character position of the engine's byte offset `word`.
    int EditorPosition(uint32_t word);
    void BeginMp3Step();
    void Mp3StepEnded(bool ok, bool cancelled, const QString &reason, const QString &wav);
    void Continue();
    void ReadAloud(TReadState state, const QString &text);
    // Reads the texts that waited for the MP3 step; false when there were none.
    bool ReadWaitingTexts();
    // The status panel also gets `reason`, when there is one, after the message.
    void Fail(const QString &message, bool report, const QString &reason = {});
    QString OutputName(bool mp3) const;
    // The length of the text as the engine has it: the gauge's maximum.
    int SpokenLength() const;

    TReadState ReadState = rsNone;
    int PartStart = 0;
    int PauseTab = 0;
    QString Encoder;
    TMSpeech *FSpeech;
    ReadingHost *FHost;
    Settings &FSettings;
    Phase FPhase = Phase::Idle;
    bool FReport = true; // the running text's failures go to an error box
    QTimer FWordTimer;
    QByteArray FSpokenUtf8; // the text as the engine has it, for the gauge and highlight
    SpokenPosition FSpokenPosition;
    bool FToldRunning = false; // the last status told was of a run
    QThread *FEncoder = nullptr;
    std::atomic<bool> FCancelEncoder{false};
    // Free texts that came during the MP3 step (until its end is told), in order.
    bool FHoldFreeTexts = false;
    QList<std::pair<TReadState, QString>> FWaiting;
};

} // namespace loqa
