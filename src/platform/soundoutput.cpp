#include "platform/soundoutput.h"

#include "audio/wavfile.h"

#include <QFile>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace loqa {

namespace {

std::atomic<uint16_t> g_volume{65535};

// Plays nothing, at the speed of real time, so that timing behaves as with a device.
class NullStream final : public SoundStream
{
public:
    NullStream(int rate, bool paused) : m_rate(rate), m_paused(paused) {}

    bool write(const int16_t *, size_t frames, const std::atomic<bool> &abort) override
    {
        m_written += frames;
        while (!abort && playedFrames() + uint64_t(m_rate) / 5 < m_written)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !abort;
    }
    void trigger() override {}
    bool drain(const std::atomic<bool> &abort) override
    {
        while (!abort && playedFrames() < m_written)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !abort;
    }
    void setPaused(bool paused) override
    {
        std::lock_guard lock(m_mutex);
        if (paused && !m_paused)
            m_playedBeforePause = playedLocked();
        else if (!paused && m_paused)
            m_resumedAt = Clock::now();
        m_paused = paused;
    }
    void drop() override
    {
        std::lock_guard lock(m_mutex);
        m_written = playedLocked();
    }
    uint64_t playedFrames() override
    {
        std::lock_guard lock(m_mutex);
        return playedLocked();
    }
    void wake() override {}
    QString failure() override { return {}; }

private:
    using Clock = std::chrono::steady_clock;

    uint64_t playedLocked() const
    {
        if (m_paused)
            return m_playedBeforePause;
        const auto since = std::chrono::duration<double>(Clock::now() - m_resumedAt).count();
        return std::min<uint64_t>(m_written, m_playedBeforePause + uint64_t(since * m_rate));
    }

    const int m_rate;
    std::mutex m_mutex;
    bool m_paused;
    std::atomic<uint64_t> m_written{0};
    uint64_t m_playedBeforePause = 0;
    Clock::time_point m_resumedAt = Clock::now();
};

class NullSoundOutput final : public SoundOutput
{
public:
    std::unique_ptr<SoundStream> openStream(int rate, int, bool startPaused, QString *) override
    {
        return std::make_unique<NullStream>(rate, startPaused);
    }
    bool isReal() const override { return false; }
};

} // namespace

SoundStream::~SoundStream() = default;
SoundOutput::~SoundOutput() = default;

std::shared_ptr<SoundOutput> CreateNullSoundOutput()
{
    return std::make_shared<NullSoundOutput>();
}

std::shared_ptr<SoundOutput> SoundOutput::instance()
{
    static const std::shared_ptr<SoundOutput> output = [] {
        const bool forcedNull = qEnvironmentVariable("LOQA_PLATFORM") == QLatin1String("null") ||
                                qEnvironmentVariable("LOQA_SOUND") == QLatin1String("null");
        return forcedNull ? CreateNullSoundOutput() : CreatePulseSoundOutput();
    }();
    return output;
}

uint16_t SoundOutput::volume()
{
    return g_volume.load();
}

void SoundOutput::setVolume(uint16_t volume)
{
    g_volume.store(volume);
}

void SoundOutput::applyVolume(int16_t *samples, size_t count)
{
    const uint32_t volume = g_volume.load();
    if (volume >= 65535)
        return;
    for (size_t i = 0; i < count; ++i)
        samples[i] = int16_t((int32_t(samples[i]) * int32_t(volume)) / 65535);
}

bool SoundOutput::playFileAsync(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // Plain 16-bit PCM WAV, mono or stereo.
    const std::optional<WavAudio> wav = ReadWav(bytes);
    if (!wav || wav->bitsPerSample != 16 || wav->channels < 1 || wav->channels > 2 || wav->sampleRate <= 0)
        return false;
    const int rate = wav->sampleRate, channels = wav->channels;
    std::vector<int16_t> samples(size_t(wav->dataSize / 2));
    memcpy(samples.data(), bytes.constData() + wav->dataAt, samples.size() * 2);
    // Connecting may wait for the sound server: never on the caller's thread.
    std::thread([self = shared_from_this(), samples = std::move(samples), rate, channels] {
        static const std::atomic<bool> never{false};
        QString error;
        const std::unique_ptr<SoundStream> stream = self->openStream(rate, channels, false, &error);
        if (!stream)
            return;
        stream->write(samples.data(), samples.size() / size_t(channels), never);
        stream->trigger();
        stream->drain(never);
    }).detach();
    return true;
}

} // namespace loqa
