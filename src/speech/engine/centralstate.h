#pragma once

#include "speech/engine/synthesizer.h"
#include "speech/lexicon.h"
#include "speech/speech.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QObject;

namespace loqa {
class SoundOutput;
class SoundStream;
} // namespace loqa

namespace speech {

class CentralState;
struct FileTarget;

// One text on its way through an engine.
struct Job {
    std::shared_ptr<CentralState> state;
    std::shared_ptr<BufNotifySink> bufSink;
    std::string text;
    // Word positions in `text` back to the text the job was given, when a
    // dictionary rewrote it; with `phonemes` the engine reads "[[ ]]" as phonemes.
    std::optional<OffsetMap> map;
    bool phonemes = false;
    Mode mode;
    int rate = kDefaultRate;
    int pitch = kDefaultPitch;
    bool device = true;
    std::shared_ptr<loqa::SoundOutput> output; // where a device job plays
    std::shared_ptr<FileTarget> file;
    uint16_t realTime = 256;
    uint64_t generation = 0;
    std::atomic<bool> abort{false};
};

// What one central shares with the synthesis thread, and the one road its
// notifications travel. The synthesis thread makes one call per event; each is
// delivered on the central's thread through its event loop, to the sinks
// registered then, and only while the central lives. Deliveries hold shared
// ownership of this state, so a handler may destroy the central (selecting
// another engine from inside an audio stop) without pulling it from under them.
class CentralState : public std::enable_shared_from_this<CentralState>
{
public:
    // Made on the central's thread, which is where deliveries run.
    static std::shared_ptr<CentralState> create();
    ~CentralState();
    CentralState(const CentralState &) = delete;
    CentralState &operator=(const CentralState &) = delete;

    // On the central's thread.
    uint32_t registerSink(std::shared_ptr<NotifySink> sink);
    void unregisterSink(uint32_t key);
    // The central is going: nothing is delivered from now on, not even what is on its way.
    void detach();

    // From any thread.
    void audioStart(const std::shared_ptr<BufNotifySink> &sink);
    // The last word position goes first, so that the stop sees it.
    void audioStop(const std::shared_ptr<BufNotifySink> &sink);
    // The newest offset waits here with at most one delivery on its way; with
    // `throttle` (words written to a file come faster than anyone reads them)
    // deliveries come no closer than 20 ms apart.
    void wordPosition(const std::shared_ptr<BufNotifySink> &sink, uint32_t byteOffset, bool throttle = false);
    void error(int32_t code, const QString &message);

    // What plays: guards `stream`, `running` and `generation`.
    std::mutex playLock;
    loqa::SoundStream *stream = nullptr; // the stream now playing, if any
    Job *running = nullptr;              // the job now on the synthesis thread, if it is ours
    uint64_t generation = 0;             // raised by every reset; older jobs are abandoned

    bool paused() const { return m_paused; }
    // Pauses or resumes; a text written to a file waiting in its pause goes on.
    void setPaused(bool paused);
    // On the synthesis thread, for a text written to a file: sleeps while paused,
    // then until `due`; false when `job` was abandoned meanwhile.
    bool waitWhilePaused(const Job &job);
    bool waitUntil(const Job &job, std::chrono::steady_clock::time_point due);

    // With `playLock` held: abandons the running job.
    void abortRunning();
    // With `playLock` held: makes `s` the playing stream, paused or not as the
    // last pause or resume (which may have come while it was opened) says.
    void publishStream(loqa::SoundStream *s);

private:
    class Mailbox;
    using Delivery = std::function<void(CentralState &)>;

    CentralState() = default;
    // Queues a delivery and makes sure the central's thread will look at the queue.
    void post(Delivery fn);
    // On the central's thread: runs what is queued, in order, while the central lives.
    void deliver();
    void forEachSink(const std::function<void(NotifySink &)> &fn);

    // The deliveries travel in this queue; the event that wakes the central's
    // thread carries nothing, so no data crosses threads outside our locks.
    std::mutex m_deliveryLock;    // guards m_queue, m_wakePosted, m_mailbox and m_attached
    std::deque<Delivery> m_queue; // guarded by m_deliveryLock
    bool m_wakePosted = false;    // guarded by m_deliveryLock
    QObject *m_mailbox = nullptr; // lives on the central's thread; guarded by m_deliveryLock
    bool m_attached = true;       // guarded by m_deliveryLock; written on the central's thread only
    // The pause; its changes and an abandoned job wake the waits of a file's writing.
    std::mutex m_pauseLock; // guards the changes of m_paused, so that no wake-up is missed
    std::condition_variable m_pauseChanged;
    std::atomic<bool> m_paused{false};
    int m_delivering = 0;                                    // central's thread only
    std::map<uint32_t, std::shared_ptr<NotifySink>> m_sinks; // central's thread only
    uint32_t m_nextKey = 1;
    std::atomic<int64_t> m_pendingWord{-1};
    std::atomic<bool> m_wordPostQueued{false};
    std::atomic<int64_t> m_lastWordPost{0}; // milliseconds on the steady clock
};

} // namespace speech
