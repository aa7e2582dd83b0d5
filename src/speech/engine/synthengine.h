#pragma once

#include "speech/engine/centralstate.h"
#include "speech/engine/synthesizer.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace speech {

// One engine's process-wide part: the synthesiser, set up once and never
// ended, what it offers, and the lock its one thread holds from start to end,
// so that a new engine's thread waits for the one before.
struct EngineLibrary {
    explicit EngineLibrary(std::unique_ptr<Synthesizer> s) : synth(std::move(s)) {}
    std::unique_ptr<Synthesizer> synth;
    std::once_flag once;
    std::mutex threadLock;
    bool ready = false;
    QString error;
    std::vector<Mode> modes;
};

// The thread that speaks an engine's texts, one after the other. Its holders
// (back ends, voice lists, centrals) share it; the last to let go ends and
// joins it.
class SynthEngine
{
public:
    // The engine of `library`, started when nobody holds one.
    static std::shared_ptr<SynthEngine> acquire(EngineLibrary &library);
    ~SynthEngine();
    SynthEngine(const SynthEngine &) = delete;
    SynthEngine &operator=(const SynthEngine &) = delete;

    bool ready() const { return m_library.ready; }
    const QString &error() const { return m_library.error; }
    const std::vector<Mode> &modes() const { return m_library.modes; }
    const Synthesizer &synthesizer() const { return *m_library.synth; }

    void submit(std::shared_ptr<Job> job);
    // Takes the jobs of `state` that have not started yet off the queue.
    std::vector<std::shared_ptr<Job>> cancelQueued(const CentralState *state);

private:
    explicit SynthEngine(EngineLibrary &library);
    void run();
    void runJob(const std::shared_ptr<Job> &job);

    EngineLibrary &m_library;
    std::thread m_thread;
    std::mutex m_queueLock; // guards m_queue and m_quit
    std::condition_variable m_queueChanged;
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_quit = false;
    std::mutex m_startLock; // guards m_started
    std::condition_variable m_startChanged;
    bool m_started = false; // the synthesiser is set up and this engine's thread holds it
};

} // namespace speech
