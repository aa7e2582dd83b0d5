#include "speech/engine/centralstate.h"

#include "platform/soundoutput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <chrono>

namespace speech {

// Receives the wake-up events on the central's thread. A delivery holds the
// state through it, so that what a handler does cannot free it mid-way.
class CentralState::Mailbox final : public QObject
{
public:
    explicit Mailbox(std::weak_ptr<CentralState> state) : m_state(std::move(state)) {}

protected:
    void customEvent(QEvent *) override
    {
        if (const std::shared_ptr<CentralState> state = m_state.lock())
            state->deliver();
    }

private:
    const std::weak_ptr<CentralState> m_state;
};

std::shared_ptr<CentralState> CentralState::create()
{
    std::shared_ptr<CentralState> state(new CentralState);
    state->m_mailbox = new Mailbox(state);
    return state;
}

CentralState::~CentralState()
{
    // detach() normally took it; the last owner may be the synthesis thread.
    if (m_mailbox)
        m_mailbox->deleteLater();
}

uint32_t CentralState::registerSink(std::shared_ptr<NotifySink> sink)
{
    const uint32_t key = m_nextKey++;
    m_sinks[key] = std::move(sink);
    return key;
}

void CentralState::unregisterSink(uint32_t key)
{
    m_sinks.erase(key);
}

void CentralState::detach()
{
    QObject *mailbox = nullptr;
    std::deque<Delivery> dropped;
    {
        std::lock_guard lock(m_deliveryLock);
        m_attached = false;
        mailbox = std::exchange(m_mailbox, nullptr);
        dropped.swap(m_queue);
    }
    m_sinks.clear();
    // From inside a delivery (the mailbox is handling its event) it goes once that is over.
    if (m_delivering > 0)
        mailbox->deleteLater();
    else
        delete mailbox;
}

void CentralState::post(Delivery fn)
{
    std::lock_guard lock(m_deliveryLock);
    if (!m_attached)
        return;
    m_queue.push_back(std::move(fn));
    if (!m_wakePosted) {
        m_wakePosted = true;
        QCoreApplication::postEvent(m_mailbox, new QEvent(QEvent::User));
    }
}

void CentralState::deliver()
{
    std::deque<Delivery> due;
    {
        std::lock_guard lock(m_deliveryLock);
        m_wakePosted = false;
        due.swap(m_queue);
    }
    ++m_delivering;
    for (Delivery &fn : due) {
        if (!m_attached)
            break;
        fn(*this);
    }
    --m_delivering;
}

void CentralState::forEachSink(const std::function<void(NotifySink &)> &fn)
{
    // A copy: a handler may register or unregister sinks, or end the central.
    const auto sinks = m_sinks;
    for (const auto &[key, sink] : sinks) {
        if (!m_attached)
            return;
        fn(*sink);
    }
}

void CentralState::audioStart(const std::shared_ptr<BufNotifySink> &sink)
{
    post([sink](CentralState &state) {
        if (sink)
            sink->textDataStarted(0);
        state.forEachSink([](NotifySink &s) { s.audioStart(0); });
    });
}

void CentralState::audioStop(const std::shared_ptr<BufNotifySink> &sink)
{
    post([sink](CentralState &state) {
        const int64_t word = state.m_pendingWord.exchange(-1);
        if (sink) {
            if (word >= 0)
                sink->wordPosition(0, uint32_t(word));
            sink->textDataDone(0, 0);
        }
        if (state.m_attached)
            state.forEachSink([](NotifySink &s) { s.audioStop(0); });
    });
}

void CentralState::wordPosition(const std::shared_ptr<BufNotifySink> &sink, uint32_t byteOffset, bool throttle)
{
    m_pendingWord.store(byteOffset);
    const int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    if (m_wordPostQueued.load() || (throttle && now - m_lastWordPost.load() < 20))
        return;
    m_wordPostQueued.store(true);
    m_lastWordPost.store(now);
    post([sink](CentralState &state) {
        state.m_wordPostQueued.store(false);
        const int64_t word = state.m_pendingWord.exchange(-1);
        if (word >= 0 && sink)
            sink->wordPosition(0, uint32_t(word));
    });
}

void CentralState::error(int32_t code, const QString &message)
{
    post([code, message](CentralState &state) { state.forEachSink([&](NotifySink &s) { s.error(code, message); }); });
}

void CentralState::setPaused(bool paused)
{
    {
        std::lock_guard lock(m_pauseLock);
        m_paused = paused;
    }
    m_pauseChanged.notify_all();
}

bool CentralState::waitWhilePaused(const Job &job)
{
    std::unique_lock lock(m_pauseLock);
    m_pauseChanged.wait(lock, [&] { return !m_paused || job.abort; });
    return !job.abort;
}

bool CentralState::waitUntil(const Job &job, std::chrono::steady_clock::time_point due)
{
    std::unique_lock lock(m_pauseLock);
    m_pauseChanged.wait_until(lock, due, [&] { return bool(job.abort); });
    return !job.abort;
}

void CentralState::abortRunning()
{
    if (running) {
        {
            // Taken, so that a wait between its look at the flag and its sleep is not missed.
            std::lock_guard lock(m_pauseLock);
            running->abort = true;
        }
        m_pauseChanged.notify_all();
    }
    if (stream)
        stream->wake();
}

void CentralState::publishStream(loqa::SoundStream *s)
{
    stream = s;
    // A pause or resume may have come between opening and now.
    if (s)
        s->setPaused(m_paused);
}

} // namespace speech
