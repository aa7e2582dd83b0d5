#include "platform/soundoutput.h"

#include "audio/wavfile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <thread>

namespace loqa {

namespace {

std::atomic<uint16_t> g_volume{65535};

// Plays nothing, at the speed of real time, so that timing behaves as with a
// device: a writer waits for the clock to make room, as a server would.
class NullStream final : public SoundStream
{
public:
    NullStream(int rate, bool paused) : m_rate(rate), m_paused(paused) {}

    bool write(const int16_t *, size_t frames, const std::atomic<bool> &abort) override
    {
        std::unique_lock lock(m_clockLock);
        m_written += frames;
        // Up to a fifth of a second waits to be played.
        const uint64_t buffered = uint64_t(m_rate) / 5;
        while (!abort && playedLocked() + buffered < m_written)
            waitForLocked(lock, m_written - buffered);
        return !abort;
    }
    void trigger() override {}
    bool drain(const std::atomic<bool> &abort) override
    {
        std::unique_lock lock(m_clockLock);
        while (!abort && playedLocked() < m_written)
            waitForLocked(lock, m_written);
        return !abort;
    }
    void setPaused(bool paused) override
    {
        {
            std::lock_guard lock(m_clockLock);
            if (paused && !m_paused)
                m_playedBeforePause = playedLocked();
            else if (!paused && m_paused)
                m_resumedAt = Clock::now();
            m_paused = paused;
        }
        m_clockChanged.notify_all();
    }
    void drop() override
    {
        {
            std::lock_guard lock(m_clockLock);
            m_written = playedLocked();
        }
        m_clockChanged.notify_all();
    }
    uint64_t playedFrames() override
    {
        std::lock_guard lock(m_clockLock);
        return playedLocked();
    }
    uint64_t waitPlayed(uint64_t frames, const std::atomic<bool> &abort) override
    {
        std::unique_lock lock(m_clockLock);
        frames = std::min(frames, m_written);
        while (!abort && playedLocked() < frames)
            waitForLocked(lock, frames);
        return playedLocked();
    }
    void wake() override
    {
        // Taken, so that a waiter between its look at the abort flag and its wait is not missed.
        {
            std::lock_guard lock(m_clockLock);
        }
        m_clockChanged.notify_all();
    }
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
    // Sleeps until the clock reaches `frames`, or a pause, resume, drop or wake()
    // comes; while paused only those end it.
    void waitForLocked(std::unique_lock<std::mutex> &lock, uint64_t frames)
    {
        if (m_paused) {
            m_clockChanged.wait(lock);
            return;
        }
        const double seconds = double(frames - std::min(frames, m_playedBeforePause)) / m_rate;
        // A frame's worth later, so that the clock has passed it when the wait ends.
        const auto due = m_resumedAt + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(seconds + 1.0 / m_rate));
        m_clockChanged.wait_until(lock, due);
    }

    const int m_rate;
    std::mutex m_clockLock; // guards the clock: m_paused, m_written, m_playedBeforePause, m_resumedAt
    std::condition_variable m_clockChanged;
    bool m_paused;
    uint64_t m_written = 0;
    uint64_t m_playedBeforePause = 0;
    Clock::time_point m_resumedAt = Clock::now();
};

class NullSoundOutput final : public SoundOutput
{
public:
    ~NullSoundOutput() override { stopFiles(); }

    std::unique_ptr<SoundStream> openStream(int rate, int, bool startPaused, QString *) override
    {
        return std::make_unique<NullStream>(rate, startPaused);
    }
    bool isReal() const override { return false; }
};

} // namespace

// A WAV file playing on its own thread; stop ends it.
struct SoundOutput::FilePlayback {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::mutex streamLock;         // guards stream
    SoundStream *stream = nullptr; // while it is open
};

SoundStream::~SoundStream() = default;

SoundOutput::SoundOutput() = default;

SoundOutput::~SoundOutput()
{
    stopFiles();
}

std::shared_ptr<SoundOutput> CreateNullSoundOutput()
{
    return std::make_shared<NullSoundOutput>();
}

std::shared_ptr<SoundOutput> SoundOutput::instance()
{
    static const std::shared_ptr<SoundOutput> output = [] {
        const bool forcedNull = qEnvironmentVariable("LOQA_PLATFORM") == QLatin1String("null") ||
                                qEnvironmentVariable("LOQA_SOUND") == QLatin1String("null");
        // The files playing end with the application, not among the static destructors.
        qAddPostRoutine([] { SoundOutput::instance()->stopFiles(); });
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
    auto playback = std::make_unique<FilePlayback>();
    FilePlayback *const p = playback.get();
    // Connecting may wait for the sound server: never on the caller's thread.
    p->thread = std::thread([this, p, samples = std::move(samples), rate, channels] {
        QString error;
        std::unique_ptr<SoundStream> stream = openStream(rate, channels, false, &error);
        if (stream) {
            {
                std::lock_guard lock(p->streamLock);
                p->stream = stream.get();
            }
            if (stream->write(samples.data(), samples.size() / size_t(channels), p->stop)) {
                stream->trigger();
                stream->drain(p->stop);
            }
            std::lock_guard lock(p->streamLock);
            p->stream = nullptr;
        }
        stream.reset();
        p->done = true;
    });
    std::vector<std::unique_ptr<FilePlayback>> ended;
    {
        std::lock_guard lock(m_filesLock);
        // The files heard to their end are joined here, so that they do not pile up.
        const auto over = std::stable_partition(m_files.begin(), m_files.end(),
                                                [](const std::unique_ptr<FilePlayback> &f) { return !f->done; });
        std::move(over, m_files.end(), std::back_inserter(ended));
        m_files.erase(over, m_files.end());
        m_files.push_back(std::move(playback));
    }
    for (const auto &f : ended)
        f->thread.join();
    return true;
}

void SoundOutput::stopFiles()
{
    std::vector<std::unique_ptr<FilePlayback>> playing;
    {
        std::lock_guard lock(m_filesLock);
        playing.swap(m_files);
    }
    for (const auto &p : playing) {
        p->stop = true;
        std::lock_guard lock(p->streamLock);
        if (p->stream)
            p->stream->wake();
    }
    for (const auto &p : playing)
        p->thread.join();
}

} // namespace loqa
