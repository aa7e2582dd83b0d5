#include "speech/espeak/espeakengine.h"

#include "speech/engine/synthcentral.h"
#include "text/textoffsets.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QUuid>

#include <espeak-ng/espeak_ng.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

// espeak-ng asks its audio library for a sound device whenever its output is
// set up, in synchronous mode too, where it never plays through it. Finding
// one connects to the sound server: it waits without a limit of ours for a
// server that hangs (30 s) and starts one when there is none. Loquora plays
// through its own sound output, so the program answers that request itself,
// ahead of the audio library: there is no device, and espeak-ng opens none.
extern "C" {
struct audio_object;
__attribute__((visibility("default"))) audio_object *
create_audio_device_object(const char *device, const char *application, const char *description);
audio_object *create_audio_device_object(const char *, const char *, const char *)
{
    return nullptr;
}
}

namespace speech::espeak {

namespace {

const QUuid kNamespace(QStringLiteral("{6f1c8f52-3b0e-4a55-9d41-5e0b7c2a9e13}"));

QUuid nameUuid(const QString &name)
{
    return QUuid::createUuidV5(kNamespace, name);
}

// The locale's language tag in the engine's spelling ("en-us"); English for the C locale.
QString localeTag()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return QStringLiteral("en");
    return locale.name().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
}

struct Candidate {
    const espeak_VOICE *voice;
    int rank;
    int priority;
    QString name;
};

Candidate rate(const espeak_VOICE *voice, const QString &tag)
{
    const QString base = tag.section(QLatin1Char('-'), 0, 0);
    Candidate c{voice, 2, 99, QString::fromUtf8(voice->name).trimmed()};
    // languages: a priority byte, then a zero-terminated tag, repeated; ends with a zero byte.
    for (const char *p = voice->languages; p && *p; p += std::strlen(p + 1) + 2) {
        const int priority = static_cast<unsigned char>(*p);
        const QString lang = QString::fromUtf8(p + 1).toLower();
        int rank = 2;
        if (lang == tag)
            rank = 0;
        else if (lang == base || lang.startsWith(base + QLatin1Char('-')))
            rank = 1;
        if (rank < c.rank || (rank == c.rank && priority < c.priority)) {
            c.rank = rank;
            c.priority = priority;
        }
    }
    return c;
}

} // namespace

QString MbrolaDataName(const QString &voiceFile)
{
    QFile file(voiceFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    while (!file.atEnd()) {
        const QList<QByteArray> words = file.readLine(4096).simplified().split(' ');
        if (words.size() >= 2 && words.at(0) == "mbrola")
            return QString::fromUtf8(words.at(1));
    }
    return {};
}

QStringList MbrolaFolders()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mbrola")).isEmpty())
        return {};
    return {QStringLiteral("/usr/share/mbrola")};
}

bool MbrolaVoiceInstalled(const QString &voiceFile, const QStringList &folders)
{
    const QString name = MbrolaDataName(voiceFile);
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    // Where espeak-ng looks for the data: <folder>/xx, <folder>/xx/xx, <folder>/voices/xx.
    for (const QString &folder : folders) {
        for (const QString &path :
             {folder + u'/' + name, folder + u'/' + name + u'/' + name, folder + QStringLiteral("/voices/") + name}) {
            const QFileInfo data(path);
            if (data.isFile() && data.size() > 0)
                return true;
        }
    }
    return false;
}

namespace {

// The text now being spoken; only the synthesis thread touches it.
struct Speaking {
    const SpeakRequest *request = nullptr;
    SynthSink *sink = nullptr;
    loqa::TextOffsetMap cursor; // the engine's character positions in the text
    bool ended = false;
};
thread_local Speaking *t_speaking = nullptr;

int synthCallback(short *wav, int count, espeak_EVENT *events)
{
    Speaking *s = t_speaking;
    if (!s || s->ended || s->sink->stopped())
        return 1;
    for (espeak_EVENT *e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        // A word of no length marks a clause end somewhere behind; it is no word to show.
        if (e->type != espeakEVENT_WORD || e->text_position < 1 || e->length <= 0)
            continue;
        const auto offset = uint32_t(s->cursor.byteOfCharacter(s->request->text, qsizetype(e->text_position) - 1));
        s->sink->word(uint64_t(std::max(e->sample, 0)), offset);
    }
    if (count > 0 && wav && !s->sink->samples(wav, size_t(count))) {
        s->ended = true;
        return 1;
    }
    return 0;
}

class EspeakSynthesizer final : public Synthesizer
{
public:
    QString name() const override { return QStringLiteral("eSpeak NG"); }
    QString start(std::vector<Mode> &modes) override;
    QString speak(const SpeakRequest &request, SynthSink &sink) override;
    bool readsPhonemes() const override { return true; }
    QString aboutText(size_t voices) const override
    {
        return QStringLiteral("eSpeak NG text-to-speech engine\nVersion %1\nVoice data: %2\nVoices: %3")
            .arg(m_version, m_dataPath)
            .arg(voices / 2);
    }
    QString lexiconText() const override
    {
        return QStringLiteral("Pronunciations come from the engine's dictionaries in\n%1").arg(m_dataPath);
    }

private:
    int m_rate = 22050;
    QString m_version;
    QString m_dataPath;
};

QString EspeakSynthesizer::start(std::vector<Mode> &modes)
{
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    if (status != ENS_OK) {
        char message[512] = {};
        espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
        espeak_ng_ClearErrorContext(&context);
        return QStringLiteral("the speech engine cannot start: ") + QString::fromUtf8(message);
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 50, nullptr) != ENS_OK) {
        return QStringLiteral("the speech engine cannot produce sound");
    }
    espeak_SetSynthCallback(synthCallback);
    m_rate = espeak_ng_GetSampleRate();
    const char *path = nullptr;
    m_version = QString::fromUtf8(espeak_Info(&path));
    m_dataPath = QString::fromUtf8(path ? path : "");

    const QString tag = localeTag();
    std::vector<Candidate> candidates;
    for (const espeak_VOICE **v = espeak_ListVoices(nullptr); v && *v; ++v) {
        // An MBROLA voice speaks only when the mbrola program and its voice data are installed.
        if (std::strncmp((*v)->identifier, "mb/", 3) == 0 &&
            !MbrolaVoiceInstalled(m_dataPath + QStringLiteral("/voices/") + QString::fromUtf8((*v)->identifier),
                                  MbrolaFolders()))
            continue;
        candidates.push_back(rate(*v, tag));
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.rank < 2 && a.priority != b.priority)
            return a.priority < b.priority;
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    const QUuid engineId = nameUuid(QStringLiteral("espeak-ng"));
    for (const Candidate &c : candidates) {
        const std::string identifier = c.voice->identifier;
        const char *languages = c.voice->languages;
        const std::string language = languages && *languages ? std::string(languages + 1) : std::string();
        for (const bool female : {false, true}) {
            Mode mode;
            ModeInfo &info = mode.info;
            info.modeName = (c.name + (female ? QStringLiteral(" Female") : QStringLiteral(" Male"))).toStdString();
            info.language = language;
            info.manufacturer = "eSpeak NG contributors";
            info.product = "eSpeak NG " + m_version.toStdString();
            info.modeId = nameUuid(QString::fromStdString(identifier) + (female ? "+female" : "+male"));
            info.engineId = engineId;
            info.speaker = c.name.toStdString();
            info.style = "Normal";
            info.gender = female ? GenderFemale : GenderMale;
            info.age = uint16_t(c.voice->age);
            mode.sampleRate = m_rate;
            info.features = FeaturePitch | FeatureSpeed | FeatureWordPosition | FeatureFileOutput;
            info.interfaces = InterfaceCentral | InterfaceAttributes | InterfaceDialogs;
            mode.voice = female ? identifier + "+f3" : identifier;
            modes.push_back(std::move(mode));
        }
    }
    return {};
}

QString EspeakSynthesizer::speak(const SpeakRequest &request, SynthSink &sink)
{
    if (espeak_SetVoiceByName(request.mode.voice.c_str()) != EE_OK)
        return QStringLiteral("The voice %1 cannot be loaded").arg(QString::fromStdString(request.mode.voice));
    espeak_SetParameter(espeakRATE, request.rate, 0);
    espeak_SetParameter(espeakPITCH, PitchPercent(request.pitch), 0);
    Speaking speaking;
    speaking.request = &request;
    speaking.sink = &sink;
    t_speaking = &speaking;
    const unsigned flags = espeakCHARS_UTF8 | (request.phonemes ? espeakPHONEMES : 0);
    espeak_Synth(request.text.c_str(), request.text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
    t_speaking = nullptr;
    return {};
}

} // namespace

EngineLibrary &Library()
{
    // Set up once and never ended (it holds no device): it lives as long as the
    // process, past the static destructors.
    static EngineLibrary *const library = new EngineLibrary(std::make_unique<EspeakSynthesizer>());
    return *library;
}

std::shared_ptr<Backend> CreateBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon)
{
    return CreateSynthBackend(Library(), std::move(output), std::move(lexicon));
}

} // namespace speech::espeak
