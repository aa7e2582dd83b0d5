#include "speech/engine/synthengine.h"

#include "speech/audiodestinations.h"
#include "platform/soundoutput.h"

#include <algorithm>
#include <chrono>
#include <map>

namespace speech {

namespace {

using Clock = std::chrono::steady_clock;

// The job now being spoken, as its synthesiser sees it: samples go to the
// sound output or the file, words go out as they are heard or written.
class JobSink final : public SynthSink
{
public:
    JobSink(Job &job, loqa::SoundStream *stream) : m_job(job), m_stream(stream), m_start(Clock::now()) {}

    bool samples(const short *wav, size_t count) override;
    void word(uint64_t sample, uint32_t byteOffset) override;
    bool stopped() const override { return m_job.abort; }

    // After the last samples: hands out the words as they are heard (or the
    // last word written), then waits for the last sample to be heard.
    void finishPlaying();

    bool streamFailed = false;
    bool fileFailed = false;

private:
    bool play(const short *wav, size_t count);
    void deliverHeard();
    // A file's words go out as their samples are written.
    void deliverWritten();
    bool waitWhilePaused();

    Job &m_job;
    loqa::SoundStream *m_stream;
    uint64_t m_frames = 0;
    std::deque<std::pair<uint64_t, uint32_t>> m_words; // (sample, byte offset) not yet heard
    Clock::time_point m_start;
    Clock::duration m_paused{};
};

bool JobSink::waitWhilePaused()
{
    if (!m_job.state->paused())
        return !m_job.abort;
    const auto before = Clock::now();
    const bool going = m_job.state->waitWhilePaused(m_job);
    m_paused += Clock::now() - before;
    return going;
}

void JobSink::word(uint64_t sample, uint32_t byteOffset)
{
    if (m_job.map)
        byteOffset = m_job.map->toOriginal(byteOffset);
    m_words.emplace_back(sample, byteOffset);
}

void JobSink::deliverWritten()
{
    int64_t latest = -1;
    while (!m_words.empty() && m_words.front().first <= m_frames) {
        latest = m_words.front().second;
        m_words.pop_front();
    }
    if (latest >= 0)
        m_job.state->wordPosition(m_job.bufSink, uint32_t(latest), true);
}

void JobSink::deliverHeard()
{
    if (m_words.empty() || !m_stream)
        return;
    const uint64_t played = m_stream->playedFrames();
    int64_t latest = -1;
    while (!m_words.empty() && m_words.front().first <= played) {
        latest = m_words.front().second;
        m_words.pop_front();
    }
    if (latest >= 0)
        m_job.state->wordPosition(m_job.bufSink, uint32_t(latest));
}

// Plays samples in pieces of 10 ms: the server takes each as it makes room
// by playing, and the words heard meanwhile go out between them.
bool JobSink::play(const short *wav, size_t count)
{
    const size_t piece = size_t(std::max(1, m_job.mode.sampleRate / 100));
    while (count > 0) {
        const size_t n = std::min(count, piece);
        if (!m_stream->write(wav, n, m_job.abort))
            return false;
        wav += n;
        count -= n;
        m_frames += uint64_t(n);
        deliverHeard();
    }
    return true;
}

bool JobSink::samples(const short *wav, size_t count)
{
    if (m_job.abort)
        return false;
    if (count == 0 || !wav)
        return true;
    if (m_job.device) {
        if (!play(wav, count)) {
            streamFailed = !m_job.abort;
            return false;
        }
        return !m_job.abort;
    }
    if (!waitWhilePaused())
        return false;
    {
        std::lock_guard lock(m_job.file->writerLock);
        if (!m_job.file->writer.write(wav, count)) {
            // A full disk or a size limit: the text ends here, reported once.
            fileFailed = true;
            return false;
        }
    }
    m_frames += uint64_t(count);
    deliverWritten();
    if (m_job.realTime > 0) {
        // Rendering takes no less than the speech's duration x 256 / factor.
        const double seconds = double(m_frames) / m_job.mode.sampleRate * 256.0 / m_job.realTime;
        const auto due =
            m_start + m_paused + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        if (!m_job.state->waitUntil(m_job, due))
            return false;
    }
    return !m_job.abort;
}

void JobSink::finishPlaying()
{
    if (!m_job.device && !m_job.abort && !fileFailed && !m_words.empty())
        m_job.state->wordPosition(m_job.bufSink, m_words.back().second, true);
    if (!m_stream || m_job.abort || streamFailed)
        return;
    m_stream->trigger();
    while (!m_job.abort && !m_words.empty()) {
        const uint64_t heard = m_stream->waitPlayed(std::min(m_words.front().first, m_frames), m_job.abort);
        if (!m_stream->failure().isEmpty()) {
            streamFailed = true;
            break;
        }
        if (heard >= m_frames)
            break;
        deliverHeard();
    }
    if (!streamFailed && !m_stream->drain(m_job.abort) && !m_job.abort)
        streamFailed = true;
    if (!m_job.abort && !streamFailed && !m_words.empty())
        m_job.state->wordPosition(m_job.bufSink, m_words.back().second);
}

} // namespace

int PitchPercent(int pitch)
{
    pitch = std::clamp(pitch, kMinPitch, kMaxPitch);
    if (pitch <= kDefaultPitch)
        return pitch;
    return 50 + (pitch - 50) * 50 / (kMaxPitch - 50);
}

std::shared_ptr<SynthEngine> SynthEngine::acquire(EngineLibrary &library)
{
    static std::mutex lock; // guards current
    static std::map<EngineLibrary *, std::weak_ptr<SynthEngine>> current;
    std::lock_guard guard(lock);
    std::shared_ptr<SynthEngine> engine = current[&library].lock();
    if (!engine) {
        engine.reset(new SynthEngine(library));
        current[&library] = engine;
    }
    return engine;
}

SynthEngine::SynthEngine(EngineLibrary &library) : m_library(library)
{
    m_thread = std::thread([this] { run(); });
    std::unique_lock lock(m_startLock);
    m_startChanged.wait(lock, [this] { return m_started; });
}

SynthEngine::~SynthEngine()
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

void SynthEngine::run()
{
    std::lock_guard hold(m_library.threadLock);
    std::call_once(m_library.once, [this] {
        m_library.error = m_library.synth->start(m_library.modes);
        m_library.ready = m_library.error.isEmpty();
    });
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

void SynthEngine::submit(std::shared_ptr<Job> job)
{
    {
        std::lock_guard lock(m_queueLock);
        m_queue.push_back(std::move(job));
    }
    m_queueChanged.notify_all();
}

std::vector<std::shared_ptr<Job>> SynthEngine::cancelQueued(const CentralState *state)
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

void SynthEngine::runJob(const std::shared_ptr<Job> &job)
{
    CentralState &state = *job->state;
    std::unique_ptr<loqa::SoundStream> stream;
    bool failed = false;
    {
        std::lock_guard lock(state.playLock);
        state.running = job.get();
        if (job->generation != state.generation)
            job->abort = true;
    }
    if (job->device && !job->abort) {
        QString reason;
        stream = job->output->openStream(job->mode.sampleRate, 1, state.paused(), &reason);
        if (!stream) {
            state.error(2, SoundUnavailableText(reason));
            failed = true;
        } else {
            std::lock_guard lock(state.playLock);
            state.publishStream(stream.get());
        }
    } else if (!job->device) {
        std::lock_guard lock(job->file->writerLock);
        job->file->writer.setSampleRate(job->mode.sampleRate);
    }
    JobSink sink(*job, stream.get());
    // A text reset before it began ends with its stop alone.
    if (!failed && !job->abort) {
        state.audioStart(job->bufSink);
        const SpeakRequest request{job->text, job->mode, std::clamp(job->rate, kMinRate, kMaxRate),
                                   std::clamp(job->pitch, kMinPitch, kMaxPitch), job->phonemes};
        const QString error = m_library.synth->speak(request, sink);
        if (!error.isEmpty())
            state.error(1, error);
        else
            sink.finishPlaying();
    }
    if (sink.streamFailed) {
        const QString reason = stream->failure();
        state.error(3, SoundUnavailableText(reason.isEmpty() ? QStringLiteral("the stream stopped") : reason));
    }
    if (sink.fileFailed) {
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

} // namespace speech
