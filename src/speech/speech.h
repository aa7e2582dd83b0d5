#pragma once

// The speech layer: the small set of engine operations the speech component
// needs. Back ends implement it; the component never sees a back end's own API.

#include <QString>
#include <QUuid>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace loqa {
class SoundOutput;
}

namespace speech {

class Lexicon;

// A failed engine call; its message is shown to whoever catches it.
class SpeechError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum Gender : uint16_t { GenderNeutral = 0, GenderFemale = 1, GenderMale = 2 };

// Feature and interface bits of a mode.
enum : uint32_t {
    FeaturePitch = 0x0001,
    FeatureSpeed = 0x0002,
    FeatureWordPosition = 0x0004,
    FeatureFileOutput = 0x0008,
    FeatureMultiLingual = 0x0010,
};
enum : uint32_t {
    InterfaceCentral = 0x0001,
    InterfaceAttributes = 0x0002,
    InterfaceDialogs = 0x0004,
};

// The description of one engine mode (voice).
struct ModeInfo {
    std::string modeName;
    std::string language; // the dialect text
    std::string manufacturer;
    std::string product;
    QUuid modeId;
    QUuid engineId;
    std::string speaker;
    std::string style;
    uint16_t gender = GenderNeutral;
    uint16_t age = 0;
    uint32_t features = 0;
    uint32_t interfaces = 0;
};

// Engine notifications. They arrive on the thread that selected the engine,
// through its event loop. A text that fails while it is spoken (the sound
// output cannot be had or goes away, the WAV file cannot be written) reports
// error() with one of the texts below, then its audio stop.
class NotifySink
{
public:
    virtual ~NotifySink() = default;
    virtual void attribChanged(uint32_t attribute) = 0;
    virtual void audioStart(uint64_t timeStamp) = 0;
    virtual void audioStop(uint64_t timeStamp) = 0;
    virtual void visual(uint64_t timeStamp, char ipaPhoneme, char enginePhoneme, uint32_t hints, const void *mouth) = 0;
    virtual void error(int32_t code, const QString &message) = 0;
    virtual void warning(int32_t code, const QString &message) = 0;
};

// Notifications about one queued text.
class BufNotifySink
{
public:
    virtual ~BufNotifySink() = default;
    virtual void textDataStarted(uint64_t timeStamp) = 0;
    virtual void textDataDone(uint64_t timeStamp, uint32_t flags) = 0;
    virtual void bookMark(uint64_t timeStamp, uint32_t mark) = 0;
    // `byteOffset` counts bytes of the UTF-8 text handed to textData().
    virtual void wordPosition(uint64_t timeStamp, uint32_t byteOffset) = 0;
};

class AudioDestination
{
public:
    enum Kind { Device, File };
    virtual ~AudioDestination() = default;
    virtual Kind kind() const = 0;
};

// Writes the speech of the next text into a WAV file.
class AudioFile : public AudioDestination
{
public:
    Kind kind() const override { return File; }
    // Opens (creates) the file for the next text; false when it cannot be opened.
    virtual bool set(const QString &fileName) = 0;
    // Completes the file: header, sizes, closing. False, with the reason
    // ("No space left on device") in `reason`, when not all of it reached the disk.
    virtual bool flush(QString *reason) = 0;
    // 8.8 fixed point: 256 renders at real time, 2048 eight times faster, 0 without pacing.
    virtual void realTimeSet(uint16_t factor) = 0;
    virtual uint16_t realTimeGet() const = 0;
};

// Plays the speech on the desktop's sound output.
class AudioDevice : public AudioDestination
{
public:
    Kind kind() const override { return Device; }
};

class Attributes
{
public:
    virtual ~Attributes() = default;
    // Set values outside the engine's range are clamped; reading gives the limit.
    virtual uint16_t pitchGet() const = 0;
    virtual void pitchSet(uint16_t pitch) = 0;
    virtual uint32_t realTimeGet() const = 0;
    virtual void realTimeSet(uint32_t realTime) = 0;
    virtual uint32_t speedGet() const = 0;
    virtual void speedSet(uint32_t speed) = 0;
};

// The engine's own dialogs. The speech layer shows no window: each dialog hands
// back its text, and the window that asked shows it.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // `owner` is the native window of the dialog's owner, 0 for none.
    virtual QString aboutDlg(uintptr_t owner, const QString &title) = 0;
    virtual QString generalDlg(uintptr_t owner, const QString &title) = 0;
    virtual QString lexiconDlg(uintptr_t owner, const QString &title) = 0;
    virtual QString translateDlg(uintptr_t owner, const QString &title) = 0;
    // The pronunciation dictionaries the engine applies, for a window to edit
    // in place of lexiconDlg's text; none when the engine keeps its own.
    virtual Lexicon *lexicon() { return nullptr; }
};

// One engine instance bound to one audio destination.
class Central
{
public:
    virtual ~Central() = default;
    virtual Attributes &attributes() = 0;
    virtual Dialogs &dialogs() = 0;
    // Returns the registration key (never 0).
    virtual uint32_t registerSink(std::shared_ptr<NotifySink> sink) = 0;
    virtual void unregisterSink(uint32_t key) = 0;
    // Queues UTF-8 text; speaking goes on in the engine. Throws SpeechError.
    virtual void textData(const std::string &utf8, std::shared_ptr<BufNotifySink> sink) = 0;
    // Applies a control tag such as "\Spd=200\" at once; false when not understood.
    virtual bool inject(const std::string &tag) = 0;
    virtual void audioPause() = 0;
    virtual void audioResume() = 0;
    // Discards queued text and stops the audio; an audio stop is reported afterwards.
    virtual void audioReset() = 0;
};

class Enumerator
{
public:
    virtual ~Enumerator() = default;
    virtual void reset() = 0;
    // Throws SpeechError when fewer than n modes remain.
    virtual void skip(size_t n) = 0;
    // False at the end of the list.
    virtual bool next(ModeInfo &info) = 0;
    virtual std::unique_ptr<Central> select(const QUuid &modeId, std::shared_ptr<AudioDestination> destination) = 0;
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual std::unique_ptr<Enumerator> createEnumerator() = 0;
    virtual std::shared_ptr<AudioDevice> createDeviceDestination() = 0;
    virtual std::shared_ptr<AudioFile> createFileDestination() = 0;
};

// "Sound output unavailable: <reason>".
QString SoundUnavailableText(const QString &reason);
// Why a voice whose engine cannot render into a file makes no WAV or MP3.
QString FileOutputRefusalText(const QString &voice);
// "Cannot write <path>: <reason>".
QString WriteFailureText(const QString &path, const QString &reason);

// The espeak-ng back end, playing through `output`, applying `lexicon` (none: DefaultLexicon()).
std::shared_ptr<Backend> CreateEspeakBackend(std::shared_ptr<loqa::SoundOutput> output,
                                             std::shared_ptr<Lexicon> lexicon = nullptr);

// The flite back end (its US English voices), the same way.
std::shared_ptr<Backend> CreateFliteBackend(std::shared_ptr<loqa::SoundOutput> output,
                                            std::shared_ptr<Lexicon> lexicon = nullptr);
// One list of the voices of `engines`, each engine's after the one before's.
// The list fails when the first engine cannot start; a later one lends no voices then.
std::shared_ptr<Backend> CreateEngineList(std::vector<std::shared_ptr<Backend>> engines);
// Every engine Loquora drives: espeak-ng's voices first, then flite's, then
// those of the desktop's speech service when it runs.
std::shared_ptr<Backend> CreateAllEnginesBackend(std::shared_ptr<loqa::SoundOutput> output,
                                                 std::shared_ptr<Lexicon> lexicon = nullptr);

// The back end the program speaks with (every engine on the process's sound
// output), or the one a test put in its place.
std::shared_ptr<Backend> DefaultBackend();
void SetDefaultBackend(std::shared_ptr<Backend> backend);

} // namespace speech
