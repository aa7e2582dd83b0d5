#include "espeakcentral.h"

#include "audiodestinations.h"
#include "soundoutput.h"

#include <QRegularExpression>

#include <algorithm>
#include <chrono>

namespace speech::espeak {

namespace {

class EspeakEnumerator final : public Enumerator
{
public:
    EspeakEnumerator()
    {
        if (!Engine::instance().ready())
            throw SpeechError(Engine::instance().error().toStdString());
    }

    void reset() override { m_position = 0; }

    void skip(size_t n) override
    {
        const size_t count = Engine::instance().modes().size();
        if (m_position + n > count) {
            m_position = count;
            throw SpeechError("not that many voices");
        }
        m_position += n;
    }

    bool next(ModeInfo &info) override
    {
        const auto &modes = Engine::instance().modes();
        if (m_position >= modes.size())
            return false;
        info = modes[m_position++].info;
        return true;
    }

    std::unique_ptr<Central> select(const QUuid &modeId, std::shared_ptr<AudioDestination> destination) override
    {
        if (!destination)
            throw SpeechError("no audio destination");
        for (const Mode &mode : Engine::instance().modes()) {
            if (mode.info.modeId == modeId)
                return std::make_unique<EspeakCentral>(mode, std::move(destination));
        }
        throw SpeechError("no such voice");
    }

private:
    size_t m_position = 0;
};

class EspeakBackend final : public Backend
{
public:
    std::unique_ptr<Enumerator> createEnumerator() override { return std::make_unique<EspeakEnumerator>(); }

    std::shared_ptr<AudioDevice> createDeviceDestination() override
    {
        QString error;
        if (!loqa::SoundOutput::available(&error))
            throw SpeechError(error.toStdString());
        return std::make_shared<DeviceDestination>();
    }

    std::shared_ptr<AudioFile> createFileDestination() override
    {
        return std::make_shared<FileDestination>(Engine::instance().sampleRate());
    }
};

} // namespace

std::shared_ptr<Backend> CreateBackend()
{
    return std::make_shared<EspeakBackend>();
}

void EspeakAttributes::pitchSet(uint16_t pitch)
{
    m_pitch = std::clamp<int>(pitch, Engine::kMinPitch, Engine::kMaxPitch);
}

void EspeakAttributes::realTimeSet(uint32_t realTime)
{
    m_realTime = std::clamp<uint32_t>(realTime, 0, 0xFFFF);
}

void EspeakAttributes::speedSet(uint32_t speed)
{
    m_speed = int(std::clamp<uint32_t>(speed, Engine::kMinRate, Engine::kMaxRate));
}

EspeakCentral::EspeakCentral(const Mode &mode, std::shared_ptr<AudioDestination> destination)
    : m_mode(mode), m_destination(std::move(destination)), m_state(std::make_shared<CentralState>())
{
    m_state->context = &m_context;
    m_state->owner = this;
}

EspeakCentral::~EspeakCentral()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->context = nullptr;
        m_state->owner = nullptr;
    }
    // Destroying a speaking engine silences it.
    audioReset();
}

uint32_t EspeakCentral::registerSink(std::shared_ptr<NotifySink> sink)
{
    const uint32_t key = m_nextKey++;
    m_sinks[key] = std::move(sink);
    return key;
}

void EspeakCentral::unregisterSink(uint32_t key)
{
    m_sinks.erase(key);
}

void EspeakCentral::textData(const std::string &utf8, std::shared_ptr<BufNotifySink> sink)
{
    auto job = std::make_shared<Job>();
    job->state = m_state;
    job->bufSink = std::move(sink);
    job->text = utf8;
    // The engine reads up to the first NUL byte; a space keeps every offset in place.
    std::replace(job->text.begin(), job->text.end(), '\0', ' ');
    job->voice = m_mode.voice;
    job->rate = int(m_attributes.speedGet());
    job->pitch = m_attributes.pitchGet();
    {
        std::lock_guard lock(m_state->mutex);
        job->generation = m_state->generation;
    }
    if (m_destination->kind() == AudioDestination::File) {
        auto *file = static_cast<FileDestination *>(m_destination.get());
        job->device = false;
        job->file = file->current();
        job->realTime = file->realTimeGet();
        if (!job->file || !job->file->writer.isOpen())
            throw SpeechError("no file is open for the speech");
    }
    Engine::instance().submit(std::move(job));
}

bool EspeakCentral::inject(const std::string &tag)
{
    static const QRegularExpression pattern(QStringLiteral("^\\\\(spd|pit)=(\\d{1,10})\\\\$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromStdString(tag));
    if (!match.hasMatch())
        return false;
    const qulonglong value = std::min<qulonglong>(match.captured(2).toULongLong(), 0xFFFFFFFFull);
    if (match.captured(1).compare(QLatin1String("spd"), Qt::CaseInsensitive) == 0)
        m_attributes.speedSet(uint32_t(value));
    else
        m_attributes.pitchSet(uint16_t(std::min<qulonglong>(value, 0xFFFF)));
    return true;
}

void EspeakCentral::audioPause()
{
    m_state->paused = true;
    std::lock_guard lock(m_state->mutex);
    if (m_state->stream)
        m_state->stream->setPaused(true);
}

void EspeakCentral::audioResume()
{
    m_state->paused = false;
    std::lock_guard lock(m_state->mutex);
    if (m_state->stream)
        m_state->stream->setPaused(false);
}

void EspeakCentral::audioReset()
{
    // Texts that have not begun end here; the one playing stops and reports its own stop.
    for (const auto &job : Engine::instance().cancelQueued(m_state.get()))
        postAudioStop(*m_state, job->bufSink);
    m_state->paused = false;
    std::lock_guard lock(m_state->mutex);
    ++m_state->generation;
    if (m_state->stream) {
        m_state->stream->drop();
        m_state->stream->setPaused(false);
    }
    m_state->abortRunning();
}

template <typename Fn>
void EspeakCentral::forEachSink(Fn fn)
{
    // A copy: a handler may register or unregister sinks.
    const auto sinks = m_sinks;
    for (const auto &[key, sink] : sinks)
        fn(*sink);
}

void EspeakCentral::postAudioStart(CentralState &state, std::shared_ptr<BufNotifySink> sink)
{
    state.post([&state, sink] {
        if (!state.owner)
            return;
        if (sink)
            sink->textDataStarted(0);
        state.owner->forEachSink([](NotifySink &s) { s.audioStart(0); });
    });
}

void EspeakCentral::postAudioStop(CentralState &state, std::shared_ptr<BufNotifySink> sink)
{
    state.post([&state, sink] {
        // The last word position goes first so that the stop sees it.
        const int64_t word = state.pendingWord.exchange(-1);
        if (!state.owner)
            return;
        if (word >= 0 && sink)
            sink->wordPosition(0, uint32_t(word));
        if (sink)
            sink->textDataDone(0, 0);
        state.owner->forEachSink([](NotifySink &s) { s.audioStop(0); });
    });
}

void EspeakCentral::postWordPosition(CentralState &state, std::shared_ptr<BufNotifySink> sink, uint32_t byteOffset,
                                     bool throttle)
{
    // The newest offset waits here and at most one delivery is on its way. Words
    // written to a file come faster than anyone reads them: their deliveries come
    // no closer than 20 ms apart (the next word or the stop carries the newest).
    state.pendingWord.store(byteOffset);
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    if (state.wordPostQueued.load() || (throttle && now - state.lastWordPost.load() < 20))
        return;
    state.wordPostQueued.store(true);
    state.lastWordPost.store(now);
    state.post([&state, sink] {
        state.wordPostQueued.store(false);
        const int64_t word = state.pendingWord.exchange(-1);
        if (word >= 0 && state.owner && sink)
            sink->wordPosition(0, uint32_t(word));
    });
}

void EspeakCentral::postError(CentralState &state, int32_t code, const QString &message)
{
    state.post([&state, code, message] {
        if (state.owner)
            state.owner->forEachSink([&](NotifySink &s) { s.error(code, message); });
    });
}

} // namespace speech::espeak
