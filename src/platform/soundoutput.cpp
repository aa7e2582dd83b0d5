#include "soundoutput.h"

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
    // Plain PCM WAV: find "fmt " and "data".
    auto u16 = [&](qsizetype at) { return quint16(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8); };
    auto u32 = [&](qsizetype at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;
    int channels = 0, rate = 0, bits = 0;
    qsizetype dataAt = -1, dataSize = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = u32(at + 4);
        if (id == "fmt " && at + 24 <= bytes.size()) {
            channels = u16(at + 10);
            rate = int(u32(at + 12));
            bits = u16(at + 22);
        } else if (id == "data") {
            dataAt = at + 8;
            dataSize = std::min(size, bytes.size() - dataAt);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (dataAt < 0 || bits != 16 || channels < 1 || channels > 2 || rate <= 0)
        return false;
    std::vector<int16_t> samples(size_t(dataSize / 2));
    memcpy(samples.data(), bytes.constData() + dataAt, samples.size() * 2);
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
