#pragma once

#include "speech/engine/centralstate.h"
#include "speech/lexicon.h"
#include "speech/speech.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace loqa {
class SoundOutput;
}

namespace speech::espeak {

// A voice as the engine offers it, in the male or female form.
struct Mode {
    ModeInfo info;
    std::string voice; // what the engine is given to select it
};

// espeak-ng keeps process-wide state: it is set up once per process, and every
// call into it runs on the synthesis thread of the one engine there is at a
// time. The engine's holders (back ends, voice lists, centrals) share it; the
// last to let go ends and joins its thread.
class Engine
{
public:
    // The engine of the process, started when nobody holds one.
    static std::shared_ptr<Engine> acquire();
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    bool ready() const;
    const QString &error() const;
    const std::vector<Mode> &modes() const;
    int sampleRate() const;
    QString version() const;
    QString dataPath() const;

    void submit(std::shared_ptr<Job> job);
    // Takes the jobs of `state` that have not started yet off the queue.
    std::vector<std::shared_ptr<Job>> cancelQueued(const CentralState *state);

    static constexpr int kMinRate = 80;
    static constexpr int kMaxRate = 450;
    static constexpr int kDefaultRate = 175;
    static constexpr int kMinPitch = 0;
    static constexpr int kMaxPitch = 400;
    static constexpr int kDefaultPitch = 50;

private:
    Engine();
    void run();
    void runJob(const std::shared_ptr<Job> &job);

    std::thread m_thread;
    std::mutex m_queueLock; // guards m_queue and m_quit
    std::condition_variable m_queueChanged;
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_quit = false;
    std::mutex m_startLock; // guards m_started
    std::condition_variable m_startChanged;
    bool m_started = false; // espeak-ng is set up and this engine's thread holds it
};

// The espeak-ng pitch parameter (0..100, 50 natural) for a pitch of 0..400 (50 natural).
int EspeakPitch(int pitch);
// The espeak-ng back end; device destinations play through `output`; texts are
// rewritten with the entries of `lexicon`.
std::shared_ptr<Backend> CreateBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon);

} // namespace speech::espeak
