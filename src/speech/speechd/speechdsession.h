#pragma once

#include "speech/engine/centralstate.h"
#include "speech/speech.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <speech-dispatcher/libspeechd.h>

namespace speech::speechd {

// A voice of one of the daemon's output modules.
struct Voice {
    ModeInfo info;
    std::string module;
    std::string name; // the daemon's name of the voice
    std::string language;
    std::string variant;
};
using VoiceList = std::vector<Voice>;

// What one central shares with the texts it queued.
struct Channel {
    std::shared_ptr<CentralState> state;
    std::atomic<bool> paused{false};
};

// One text on its way through the daemon.
struct Utterance {
    std::shared_ptr<Channel> channel;
    std::shared_ptr<BufNotifySink> sink;
    std::string module;
    std::string voice;
    int rate = 0;  // the daemon's -100..100
    int pitch = 0; // the daemon's -100..100
    std::string text;
    // Each word of `text`: where it starts there, and the offset reported for it.
    std::vector<std::pair<uint32_t, uint32_t>> words;

    // The session's, under its lock.
    size_t from = 0;        // the word the next say starts with
    bool cancelled = false; // a reset asked for its end
    // The session's thread only.
    int msgId = -1;
    size_t to = 0;        // the word after the piece being said
    size_t heard = 0;     // the word whose mark came last
    bool started = false; // its audio start went out

    std::atomic<bool> finished{false}; // its stop went out
};

struct SynthesisVoice {
    std::string name;
    std::string language;
    std::string variant; // empty for none
};
// The voices of the daemon's reply to LIST SYNTHESIS_VOICES.
std::vector<SynthesisVoice> ParseVoiceList(std::string_view reply);

// The length of the UTF-8 sequence at `at`, 0 when none starts there.
size_t Utf8Length(const std::string &text, size_t at);
// The SSML the daemon is given for `u` from its word `from` to before its word
// `to`: a mark named after each word's reported offset goes before it.
std::string Markup(const Utterance &u, size_t from, size_t to);
// Where the piece of `u` that begins at word `from` ends: at a sentence's or a
// line's end within a couple of thousand bytes (at the limit for none).
size_t PieceEnd(const Utterance &u, size_t from);
// The daemon's rate and pitch (-100..100, 0 natural) for a speed in words per
// minute (80..450, 175 natural) and a pitch of 0..400 (50 natural).
int DaemonRate(int wordsPerMinute);
int DaemonPitch(int pitch);

// One connection to a running speech-dispatcher and the thread that makes
// every libspeechd call on it. It never starts a daemon. A call the daemon
// leaves unanswered for longer than kCallLimit ends the session, as a
// connection that breaks does: its texts end with an error and their stops,
// and a new session takes the next text. The thread holds the session, so a
// thread stuck in a daemon that hangs outlives its owner harmlessly.
class Session : public std::enable_shared_from_this<Session>
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kCallLimit{2000};

    // Connects on the session's thread and lists the voices there.
    static std::shared_ptr<Session> start();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // The voices, waiting for them until `deadline`; empty when none came in time.
    std::shared_ptr<const VoiceList> voices(Clock::time_point deadline);
    bool dead() const { return m_dead.load(); }

    void submit(std::shared_ptr<Utterance> u);
    // The channel's pause flag changed.
    void pauseChanged();
    // Ends the channel's texts: those waiting at once, the one speaking once the daemon stopped it.
    void cancel(const Channel *channel);
    // Ends the thread, waiting for it a little; a thread stuck in the daemon is left behind.
    void close();

    // From libspeechd's event thread.
    void event(int kind, size_t msgId, const char *mark);

private:
    enum Phase { Idle, Speaking, Stopping, Parking };
    struct Event {
        int kind;
        int msgId;
        std::string mark;
    };

    Session();
    void run();
    bool connect();
    // The daemon's id of this client, -1 when it did not say.
    int clientId();
    void listVoices();
    void loop();
    void speak(const std::shared_ptr<Utterance> &u);
    void handle(const Event &e);
    void endCurrent(const QString &error);
    void lost(const QString &reason);
    void finish(const std::shared_ptr<Utterance> &u, const QString &error);
    void markDead();
    void failAll(const QString &reason);
    bool hungUp() const;
    void wake();
    void watch();
    // Runs one libspeechd call under the watch: one that takes longer than `limit` ends the session.
    template <typename F> auto watched(F &&call, std::chrono::milliseconds limit = kCallLimit);

    mutable std::mutex m_lock; // guards the members up to m_voicesReady
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Utterance>> m_queue;
    std::shared_ptr<Utterance> m_current;
    std::deque<Event> m_events;
    bool m_quit = false;
    bool m_threadDone = false;
    std::shared_ptr<const VoiceList> m_voices;
    bool m_voicesReady = false;

    std::atomic<bool> m_dead{false};
    int m_wakeFd = -1; // an eventfd: the thread's poll wakes on it
    // A second descriptor of the connection's socket: its hang-up is seen on it, and
    // shutting it down unblocks a call the daemon does not answer.
    std::atomic<int> m_socketDup{-1};
    SPDConnection *m_connection = nullptr; // the session's thread only
    int m_clientId = -1;
    Phase m_phase = Idle;                // the session's thread only
    Clock::time_point m_phaseDeadline{}; // the session's thread only
    Clock::time_point m_lastHeard{};     // the session's thread only: the last news of the text
    std::string m_module;                // the output module last set
    std::string m_address;               // what the voice cache is keyed by

    std::mutex m_watchLock; // guards m_callStarted, m_callLimit and m_watchQuit
    std::condition_variable m_watchChanged;
    Clock::time_point m_callStarted{}; // zero while no call is in progress
    std::chrono::milliseconds m_callLimit = kCallLimit;
    uint64_t m_callCount = 0;
    bool m_watchQuit = false;
    std::thread m_watchdog;
};

} // namespace speech::speechd
