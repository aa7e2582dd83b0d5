#pragma once

#include "speech/speech.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <variant>

enum TSpeechOutput { soFile = 0, soGeneral = 1 };

// The component's own failures; they carry a message only.
class EMSpeechException : public std::runtime_error
{
public:
    explicit EMSpeechException(const QString &message) : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// What is known of one engine mode; the range fields are probed on selection.
struct TMSpeechEngineInfo {
    QString Name;
    QString Language;
    QString Manufacturer;
    QString Product;
    QString ModeID;
    QString EngineID;
    QString Speaker;
    QString Style;
    QString Gender;
    int32_t Age = 0;
    int32_t Features = 0;
    int32_t Interfaces = 0;
    uint16_t MaxPitch = 0;
    uint16_t MinPitch = 0;
    uint32_t MaxRealTime = 0;
    uint32_t MinRealTime = 0;
    uint32_t MaxSpeed = 0;
    uint32_t MinSpeed = 0;
    uint32_t MaxVolume = 0;
    uint32_t MinVolume = 0;
};

class TMSpeech;

// Receives the engine's notifications and hands them to its component.
class TTSNotifySink final : public speech::NotifySink
{
public:
    explicit TTSNotifySink(TMSpeech *owner) : FOwner(owner) {}
    void attribChanged(uint32_t attribute) override;
    void audioStart(uint64_t timeStamp) override;
    void audioStop(uint64_t timeStamp) override;
    void visual(uint64_t timeStamp, char ipaPhoneme, char enginePhoneme, uint32_t hints, const void *mouth) override;
    void error(int32_t code, const QString &message) override;
    void warning(int32_t code, const QString &message) override;
    // The component is gone: nothing reaches it any more.
    void detach() { FOwner = nullptr; }

private:
    TMSpeech *FOwner;
};

class TTSBufNotifySink final : public speech::BufNotifySink
{
public:
    explicit TTSBufNotifySink(TMSpeech *owner) : FOwner(owner) {}
    void textDataStarted(uint64_t) override {}
    void textDataDone(uint64_t, uint32_t) override {}
    void bookMark(uint64_t, uint32_t) override {}
    void wordPosition(uint64_t timeStamp, uint32_t byteOffset) override;
    void detach() { FOwner = nullptr; }

private:
    TMSpeech *FOwner;
};

// The one way the program speaks: lists the engine's voices, selects one on the
// sound output or a WAV file, speaks, pauses, resumes and stops, and reports
// when audio starts and stops and which word is being spoken.
class TMSpeech : public QObject
{
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TMSpeech *sender)>;
    using ErrorEvent = std::function<void(TMSpeech *sender, int32_t code, const QString &message)>;
    using AttribChangedEvent = std::function<void(TMSpeech *sender, uint32_t attribute)>;
    using VisualEvent = std::function<void(TMSpeech *sender, uint32_t hints, const void *mouth)>;
    using Interface = std::variant<std::monostate, std::shared_ptr<speech::AudioDestination>, speech::Central *,
                                   speech::Attributes *, speech::Dialogs *>;

    explicit TMSpeech(QObject *owner = nullptr, std::shared_ptr<speech::Backend> backend = nullptr);
    ~TMSpeech() override;

    bool Enabled = true;
    QString Filename;
    TSpeechOutput Output = soGeneral;
    QStringList Text;
    AttribChangedEvent OnAttribChanged;
    ErrorEvent OnError;
    NotifyEvent OnStart;
    NotifyEvent OnStop;
    // The word being heard changed: WordPosition is where it starts.
    NotifyEvent OnWordPosition;
    ErrorEvent OnWarning;
    VisualEvent OnVisual;

    const QStringList &Engines() const { return FEngines; }
    bool Selected() const { return FSelected; }
    bool Initialized() const { return FInitialized; }
    bool Paused() const { return FPaused; }
    uint32_t WordPosition() const { return FWordPosition; }
    const TMSpeechEngineInfo &EngineInfo() const { return FEngineInfo; }
    QString Version() const { return FVersion; }
    void SetVersion(const QString &value) { FVersionStored = value; } // the read value never changes

    void SelectEngine(const QString &name);
    void GetInterface(int kind, Interface &out) const;
    void SetSpeed(uint32_t value);
    void SetPitch(uint16_t value);
    void Speak();
    void SpeakText(const QString &text);
    void Pause();
    void Resume();
    void Stop();
    bool GetEngineInfo(const QString &name, TMSpeechEngineInfo &info);
    // The text of one of the engine's dialogs, for the caller to show; empty for
    // an unknown kind.
    QString ShowDialog(int kind, uintptr_t owner, const QString &title);

    // Why the last SelectEngine left no engine selected, empty when it selected one.
    // The component swallows that failure; a caller that must say why looks here.
    const QString &LastSelectError() const { return FLastSelectError; }
    // Why the last SpeakText spoke nothing, empty when it was accepted. The
    // component swallows these failures; callers that must report them look here.
    const QString &LastSpeakError() const { return FLastSpeakError; }
    // Why the text now (or last) spoken failed while it ran, empty when it did
    // not: "Sound output unavailable: …", "Cannot write <path>: …". Set before
    // OnError is raised, which comes before the text's OnStop; cleared when a
    // new text starts.
    const QString &RunError() const { return FRunError; }
    // The file destination's real-time factor (8.8 fixed point), when Output was soFile at selection.
    void SetFileRealTime(uint16_t factor);
    // The pronunciation dictionaries the selected engine applies; none before
    // a selection or when the engine keeps its own.
    speech::Lexicon *EngineLexicon() const;
    // The back end this component speaks through, for another component on the same engine.
    const std::shared_ptr<speech::Backend> &Backend() const { return FBackend; }

private:
    friend class TTSNotifySink;
    friend class TTSBufNotifySink;

    void EnumerateEngines();
    int FindEngine(const QString &name) const;
    void PrepareSinks();
    void AttachEngine();
    void LoadEngineInfo();
    static void FillInfo(const speech::ModeInfo &mode, TMSpeechEngineInfo &info);
    // Completes the WAV file; false with the reason when it did not all reach the disk.
    bool FlushFile(QString &reason);
    // A run that Stop ended reports its stop and nothing else.
    bool StoppedRunPending() const { return FRunsStopped > 0; }
    void ReportError(int32_t code, const QString &message);

    std::shared_ptr<speech::Backend> FBackend;
    QStringList FEngines;
    bool FSelected = false;
    bool FInitialized = false;
    bool FPaused = false;
    uint32_t FWordPosition = 0;
    QString FVersion;
    QString FVersionStored;
    QString FLastSpeakError;
    QString FLastSelectError;
    QString FRunError;
    TMSpeechEngineInfo FEngineInfo;
    std::unique_ptr<speech::ModeInfo> FRawDescription;
    std::unique_ptr<speech::Enumerator> FEnumerator;
    std::unique_ptr<speech::Central> FCentral;
    std::shared_ptr<speech::AudioFile> FFileDestination;
    std::shared_ptr<speech::AudioDevice> FDeviceDestination;
    uint32_t FRegistrationKey = 0;
    // Texts of the current engine whose stop has not come yet, and how many of
    // them Stop ended. An engine reports its texts' stops in the order it took them.
    int FRunsUnfinished = 0;
    int FRunsStopped = 0;
    std::shared_ptr<TTSNotifySink> FNotifySink;
    std::shared_ptr<TTSBufNotifySink> FBufNotifySink;
};
