#include "speech/espeak/espeakengine.h"

#include "speech/audiodestinations.h"
#include "platform/soundoutput.h"
#include "text/textoffsets.h"

#include <QLocale>
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

using Clock = std::chrono::steady_clock;

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

// The state of the job now being synthesised; only the synthesis thread touches it.
struct Running {
    Job *job = nullptr;
    int rate = 22050;
    loqa::SoundStream *stream = nullptr;
    uint64_t frames = 0;
    loqa::TextOffsetMap cursor;                      // the engine's character positions in job->text
    std::deque<std::pair<uint64_t, uint32_t>> words; // (sample, byte offset) not yet heard
    Clock::time_point start;
    Clock::duration paused{};
    bool streamFailed = false;
    bool fileFailed = false;
};
thread_local Running *t_running = nullptr;

bool waitWhilePaused(Running &r)
{
    if (!r.job->state->paused())
        return !r.job->abort;
    const auto before = Clock::now();
    const bool going = r.job->state->waitWhilePaused(*r.job);
    r.paused += Clock::now() - before;
    return going;
}

void deliverHeard(Running &r)
{
    if (r.words.empty() || !r.stream)
        return;
    const uint64_t played = r.stream->playedFrames();
    int64_t latest = -1;
    while (!r.words.empty() && r.words.front().first <= played) {
        latest = r.words.front().second;
        r.words.pop_front();
    }
    if (latest >= 0)
        r.job->state->wordPosition(r.job->bufSink, uint32_t(latest));
}

// Plays samples in pieces of 10 ms: the server takes each as it makes room
// by playing, and the words heard meanwhile go out between them.
bool play(Running &r, const short *wav, size_t count)
{
    const size_t piece = size_t(std::max(1, r.rate / 100));
    while (count > 0) {
        const size_t n = std::min(count, piece);
        if (!r.stream->write(wav, n, r.job->abort))
            return false;
        wav += n;
        count -= n;
        r.frames += uint64_t(n);
        deliverHeard(r);
    }
    return true;
}

int synthCallback(short *wav, int count, espeak_EVENT *events)
{
    Running *r = t_running;
    if (!r || !r->job || r->job->abort)
        return 1;
    Job &job = *r->job;
    for (espeak_EVENT *e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        // A word of no length marks a clause end somewhere behind; it is no word to show.
        if (e->type != espeakEVENT_WORD || e->text_position < 1 || e->length <= 0)
            continue;
        uint32_t offset = uint32_t(r->cursor.byteOfCharacter(job.text, qsizetype(e->text_position) - 1));
        if (job.map)
            offset = job.map->toOriginal(offset);
        if (job.device)
            r->words.emplace_back(uint64_t(std::max(e->sample, 0)), offset);
        else
            job.state->wordPosition(job.bufSink, offset, true);
    }
    if (count > 0 && wav) {
        if (job.device) {
            if (!play(*r, wav, size_t(count))) {
                r->streamFailed = !job.abort;
                return 1;
            }
        } else {
            if (!waitWhilePaused(*r))
                return 1;
            {
                std::lock_guard lock(job.file->writerLock);
                if (!job.file->writer.write(wav, size_t(count))) {
                    // A full disk or a size limit: the text ends here, reported once.
                    r->fileFailed = true;
                    return 1;
                }
            }
            r->frames += uint64_t(count);
            if (job.realTime > 0) {
                // Rendering takes no less than the speech's duration x 256 / factor.
                const double seconds = double(r->frames) / r->rate * 256.0 / job.realTime;
                const auto due = r->start + r->paused +
                                 std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
                if (!job.state->waitUntil(job, due))
                    return 1;
            }
        }
    }
    return job.abort ? 1 : 0;
}

// What espeak-ng offers, found when it is set up.
struct Library {
    bool ready = false;
    QString error;
    std::vector<Mode> modes;
    int rate = 22050;
    QString version;
    QString dataPath;
};

// espeak-ng is set up once and never ended (it holds no device), so what it
// offers lives as long as the process, past the static destructors.
Library &library()
{
    static Library *const lib = new Library;
    return *lib;
}
std::once_flag g_libraryOnce;
// espeak-ng's process-wide state: an engine's thread holds it from its start to
// its end, so that a new engine waits for the thread of the one before.
std::mutex g_espeakLock;

} // namespace

int EspeakPitch(int pitch)
{
    pitch = std::clamp(pitch, Engine::kMinPitch, Engine::kMaxPitch);
    if (pitch <= Engine::kDefaultPitch)
        return pitch;
    return 50 + (pitch - 50) * 50 / (Engine::kMaxPitch - 50);
}

std::shared_ptr<Engine> Engine::acquire()
{
    static std::mutex lock; // guards current
    static std::weak_ptr<Engine> current;
    std::lock_guard guard(lock);
    std::shared_ptr<Engine> engine = current.lock();
    if (!engine) {
        engine.reset(new Engine);
        current = engine;
    }
    return engine;
}

Engine::Engine()
{
    m_thread = std::thread([this] { run(); });
    std::unique_lock lock(m_startLock);
    m_startChanged.wait(lock, [this] { return m_started; });
}

Engine::~Engine()
{
    {
        std::lock_guard lock(m_queueLock);
        m_quit = true;
        for (const auto &job : m_queue)
            job->abort = true;
    }
    m_queueChanged.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool Engine::ready() const
{
    return library().ready;
}

const QString &Engine::error() const
{
    return library().error;
}

const std::vector<Mode> &Engine::modes() const
{
    return library().modes;
}

int Engine::sampleRate() const
{
    return library().rate;
}

QString Engine::version() const
{
    return library().version;
}

QString Engine::dataPath() const
{
    return library().dataPath;
}

namespace {

void initialiseLibrary(Library &lib)
{
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    if (status != ENS_OK) {
        char message[512] = {};
        espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
        lib.error = QStringLiteral("the speech engine cannot start: ") + QString::fromUtf8(message);
        espeak_ng_ClearErrorContext(&context);
        return;
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 50, nullptr) != ENS_OK) {
        lib.error = QStringLiteral("the speech engine cannot produce sound");
        return;
    }
    espeak_SetSynthCallback(synthCallback);
    lib.rate = espeak_ng_GetSampleRate();
    const char *path = nullptr;
    lib.version = QString::fromUtf8(espeak_Info(&path));
    lib.dataPath = QString::fromUtf8(path ? path : "");

    const QString tag = localeTag();
    std::vector<Candidate> candidates;
    for (const espeak_VOICE **v = espeak_ListVoices(nullptr); v && *v; ++v) {
        if (std::strncmp((*v)->identifier, "mb/", 3) == 0)
            continue; // MBROLA voices need data Loquora does not ship
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
            info.product = "eSpeak NG " + lib.version.toStdString();
            info.modeId = nameUuid(QString::fromStdString(identifier) + (female ? "+female" : "+male"));
            info.engineId = engineId;
            info.speaker = c.name.toStdString();
            info.style = "Normal";
            info.gender = female ? GenderFemale : GenderMale;
            info.age = uint16_t(c.voice->age);
            info.features = FeaturePitch | FeatureSpeed | FeatureWordPosition | FeatureFileOutput;
            info.interfaces = InterfaceCentral | InterfaceAttributes | InterfaceDialogs;
            mode.voice = female ? identifier + "+f3" : identifier;
            lib.modes.push_back(std::move(mode));
        }
    }
    lib.ready = true;
}

} // namespace

void Engine::run()
{
    std::lock_guard espeak(g_espeakLock);
    std::call_once(g_libraryOnce, [] { initialiseLibrary(library()); });
    {
        std::lock_guard lock(m_startLock);
        m_started = true;
    }
    m_startChanged.notify_all();
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_queueLock);
            m_queueChanged.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_quit)
                break;
            job = m_queue.front();
            m_queue.pop_front();
        }
        runJob(job);
    }
}

void Engine::submit(std::shared_ptr<Job> job)
{
    {
        std::lock_guard lock(m_queueLock);
        m_queue.push_back(std::move(job));
    }
    m_queueChanged.notify_all();
}

std::vector<std::shared_ptr<Job>> Engine::cancelQueued(const CentralState *state)
{
    std::vector<std::shared_ptr<Job>> removed;
    std::lock_guard lock(m_queueLock);
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if ((*it)->state.get() == state) {
            removed.push_back(*it);
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
    return removed;
}

void Engine::runJob(const std::shared_ptr<Job> &job)
{
    CentralState &state = *job->state;
    Running running;
    running.job = job.get();
    running.rate = sampleRate();
    running.start = Clock::now();
    std::unique_ptr<loqa::SoundStream> stream;
    bool failed = false;
    {
        std::lock_guard lock(state.playLock);
        state.running = job.get();
        if (job->generation != state.generation)
            job->abort = true;
    }

    if (espeak_SetVoiceByName(job->voice.c_str()) != EE_OK) {
        state.error(1, QStringLiteral("The voice %1 cannot be loaded").arg(QString::fromStdString(job->voice)));
        failed = true;
    }
    espeak_SetParameter(espeakRATE, std::clamp(job->rate, kMinRate, kMaxRate), 0);
    espeak_SetParameter(espeakPITCH, EspeakPitch(job->pitch), 0);

    if (!failed && job->device && !job->abort) {
        QString reason;
        stream = job->output->openStream(running.rate, 1, state.paused(), &reason);
        if (!stream) {
            state.error(2, SoundUnavailableText(reason));
            failed = true;
        } else {
            std::lock_guard lock(state.playLock);
            state.publishStream(stream.get());
        }
        running.stream = stream.get();
    }
    // A text reset before it began ends with its stop alone.
    if (!failed && !job->abort)
        state.audioStart(job->bufSink);

    if (!failed && !job->abort) {
        t_running = &running;
        const unsigned flags = espeakCHARS_UTF8 | (job->phonemes ? espeakPHONEMES : 0);
        espeak_Synth(job->text.c_str(), job->text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
        t_running = nullptr;
    }
    if (stream && !job->abort && !running.streamFailed) {
        stream->trigger();
        // Hand out the word positions as their sound is heard, then wait for the last sample.
        while (!job->abort && !running.words.empty()) {
            const uint64_t heard =
                stream->waitPlayed(std::min(running.words.front().first, running.frames), job->abort);
            if (!stream->failure().isEmpty()) {
                running.streamFailed = true;
                break;
            }
            if (heard >= running.frames)
                break;
            deliverHeard(running);
        }
        if (!running.streamFailed && !stream->drain(job->abort) && !job->abort)
            running.streamFailed = true;
        if (!job->abort && !running.streamFailed && !running.words.empty())
            state.wordPosition(job->bufSink, running.words.back().second);
    }
    if (running.streamFailed) {
        const QString reason = stream->failure();
        state.error(3, SoundUnavailableText(reason.isEmpty() ? QStringLiteral("the stream stopped") : reason));
    }
    if (running.fileFailed) {
        std::lock_guard lock(job->file->writerLock);
        state.error(4, WriteFailureText(job->file->writer.fileName(), job->file->writer.errorString()));
    }
    {
        std::lock_guard lock(state.playLock);
        state.stream = nullptr;
        state.running = nullptr;
    }
    stream.reset();
    state.audioStop(job->bufSink);
}

} // namespace speech::espeak
