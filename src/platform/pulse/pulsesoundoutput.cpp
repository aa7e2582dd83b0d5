#include "platform/apppath.h"
#include "platform/soundoutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace loqa {

namespace {

// How long a connection or a new stream may take before the sound output counts as unavailable.
constexpr pa_usec_t kConnectTimeout = 2 * PA_USEC_PER_SEC;

class Locker
{
public:
    explicit Locker(pa_threaded_mainloop *loop) : m_loop(loop) { pa_threaded_mainloop_lock(loop); }
    ~Locker() { pa_threaded_mainloop_unlock(m_loop); }
    Locker(const Locker &) = delete;
    Locker &operator=(const Locker &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

// A limit on a wait inside the sound thread: when it passes, `expired` is set
// and the waiting thread is woken. Construct and destroy with the loop locked.
class Deadline
{
public:
    Deadline(pa_threaded_mainloop *loop, pa_context *context, pa_usec_t timeout) : m_loop(loop)
    {
        m_event = pa_context_rttime_new(context, pa_rtclock_now() + timeout, &Deadline::fire, this);
    }
    ~Deadline()
    {
        if (m_event)
            pa_threaded_mainloop_get_api(m_loop)->time_free(m_event);
    }
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

    bool expired = false;

private:
    static void fire(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
    {
        auto *d = static_cast<Deadline *>(self);
        d->expired = true;
        pa_threaded_mainloop_signal(d->m_loop, 0);
    }

    pa_threaded_mainloop *m_loop;
    pa_time_event *m_event = nullptr;
};

// One connection to the sound server with its own sound thread. Streams share
// it; it ends when the last of them and the output let go of it.
class PulseConnection
{
public:
    PulseConnection() = default;
    ~PulseConnection()
    {
        if (m_loop)
            pa_threaded_mainloop_stop(m_loop);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_threaded_mainloop_free(m_loop);
    }
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connects within the time limit; false with the reason otherwise.
    bool connect(const QString &server, QString *reason)
    {
        m_loop = pa_threaded_mainloop_new();
        if (!m_loop)
            return fail(reason, QStringLiteral("cannot create the sound thread"));
        pa_proplist *props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, ApplicationTitle().toUtf8().constData());
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "loqa");
        m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), nullptr, props);
        pa_proplist_free(props);
        if (!m_context)
            return fail(reason, QStringLiteral("cannot create a sound server context"));
        pa_context_set_state_callback(
            m_context,
            [](pa_context *, void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); },
            m_loop);
        const QByteArray address = server.toUtf8();
        if (pa_context_connect(m_context, address.isEmpty() ? nullptr : address.constData(), PA_CONTEXT_NOAUTOSPAWN,
                               nullptr) < 0)
            return fail(reason, QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
        if (pa_threaded_mainloop_start(m_loop) < 0)
            return fail(reason, QStringLiteral("cannot start the sound thread"));
        Locker lock(m_loop);
        Deadline deadline(m_loop, m_context, kConnectTimeout);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(m_context);
            if (state == PA_CONTEXT_READY)
                return true;
            if (!PA_CONTEXT_IS_GOOD(state))
                return fail(reason, QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
            if (deadline.expired)
                return fail(reason, QStringLiteral("timed out"));
            pa_threaded_mainloop_wait(m_loop);
        }
    }

    // False once the server went away or the connection broke.
    bool good()
    {
        Locker lock(m_loop);
        return pa_context_get_state(m_context) == PA_CONTEXT_READY;
    }

    pa_threaded_mainloop *loop() const { return m_loop; }
    pa_context *context() const { return m_context; }

private:
    static bool fail(QString *reason, const QString &text)
    {
        if (reason)
            *reason = text;
        return false;
    }

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
};

class PulseStream final : public SoundStream
{
public:
    PulseStream(std::shared_ptr<PulseConnection> pulse, int rate, int channels)
        : m_pulse(std::move(pulse)), m_loop(m_pulse->loop()), m_rate(rate), m_channels(channels)
    {}

    ~PulseStream() override
    {
        Locker lock(m_loop);
        if (m_stream) {
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
    }

    bool open(bool paused, QString *error)
    {
        Locker lock(m_loop);
        m_corked = paused;
        const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(m_rate), uint8_t(m_channels)};
        m_stream = pa_stream_new(m_pulse->context(), ApplicationTitle().toUtf8().constData(), &spec, nullptr);
        if (!m_stream)
            return fail(error);
        pa_stream_set_state_callback(m_stream, &PulseStream::signal, this);
        pa_stream_set_write_callback(
            m_stream, [](pa_stream *, size_t, void *self) { signal(nullptr, self); }, this);
        // A short buffer keeps pause, stop and the word highlight close to what is heard.
        const uint32_t frameBytes = uint32_t(2 * m_channels);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(m_rate / 10) * frameBytes; // 100 ms
        attr.prebuf = uint32_t(m_rate / 50) * frameBytes;  // 20 ms
        attr.minreq = uint32_t(m_rate / 100) * frameBytes; // 10 ms
        attr.fragsize = uint32_t(-1);
        const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                             PA_STREAM_ADJUST_LATENCY | (paused ? PA_STREAM_START_CORKED : 0));
        if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
            return fail(error);
        Deadline deadline(m_loop, m_pulse->context(), kConnectTimeout);
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(m_stream);
            if (state == PA_STREAM_READY)
                return true;
            if (!PA_STREAM_IS_GOOD(state))
                return fail(error);
            if (deadline.expired) {
                if (error)
                    *error = QStringLiteral("timed out");
                return false;
            }
            pa_threaded_mainloop_wait(m_loop);
        }
    }

    bool write(const int16_t *samples, size_t frames, const std::atomic<bool> &abort) override
    {
        const size_t frameBytes = size_t(2 * m_channels);
        std::vector<int16_t> scaled;
        Locker lock(m_loop);
        while (frames > 0) {
            if (abort || !good())
                return false;
            size_t room = pa_stream_writable_size(m_stream);
            if (room == size_t(-1))
                return false;
            if (room < frameBytes) {
                pa_threaded_mainloop_wait(m_loop);
                continue;
            }
            const size_t n = std::min(frames, room / frameBytes);
            scaled.assign(samples, samples + n * size_t(m_channels));
            SoundOutput::applyVolume(scaled.data(), scaled.size());
            if (pa_stream_write(m_stream, scaled.data(), n * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                return false;
            samples += n * size_t(m_channels);
            frames -= n;
        }
        return true;
    }

    void trigger() override
    {
        Locker lock(m_loop);
        if (good())
            if (pa_operation *op = pa_stream_trigger(m_stream, nullptr, nullptr))
                pa_operation_unref(op);
    }

    bool drain(const std::atomic<bool> &abort) override
    {
        Locker lock(m_loop);
        if (!good())
            return false;
        m_drained = false;
        pa_operation *op = pa_stream_drain(
            m_stream,
            [](pa_stream *, int, void *self) {
                static_cast<PulseStream *>(self)->m_drained = true;
                signal(nullptr, self);
            },
            this);
        if (!op)
            return false;
        while (!m_drained && !abort && good())
            pa_threaded_mainloop_wait(m_loop);
        if (!m_drained)
            pa_operation_cancel(op);
        pa_operation_unref(op);
        return m_drained;
    }

    void setPaused(bool paused) override
    {
        Locker lock(m_loop);
        m_corked = paused;
        if (good())
            if (pa_operation *op = pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr))
                pa_operation_unref(op);
        // A waitPlayed() sleeping through the pause looks at the clock again.
        pa_threaded_mainloop_signal(m_loop, 0);
    }

    void drop() override
    {
        Locker lock(m_loop);
        if (good())
            if (pa_operation *op = pa_stream_flush(m_stream, nullptr, nullptr))
                pa_operation_unref(op);
    }

    uint64_t playedFrames() override
    {
        Locker lock(m_loop);
        return playedLocked();
    }

    uint64_t waitPlayed(uint64_t frames, const std::atomic<bool> &abort) override
    {
        Locker lock(m_loop);
        for (;;) {
            const uint64_t played = playedLocked();
            if (played >= frames || abort || !good())
                return played;
            if (m_corked) {
                // Paused: the clock stands until a resume, which signals.
                pa_threaded_mainloop_wait(m_loop);
                continue;
            }
            // Woken when the server's clock should have reached `frames` (a
            // millisecond at least, so that a late clock is not spun on), or
            // earlier by the server's requests for data and by wake().
            const pa_usec_t ahead = pa_usec_t((frames - played) * 1000000u / uint64_t(m_rate));
            Deadline deadline(m_loop, m_pulse->context(), std::max<pa_usec_t>(ahead, 1000));
            pa_threaded_mainloop_wait(m_loop);
        }
    }

    void wake() override
    {
        Locker lock(m_loop);
        pa_threaded_mainloop_signal(m_loop, 0);
    }

    QString failure() override
    {
        Locker lock(m_loop);
        if (good())
            return {};
        return QString::fromUtf8(pa_strerror(pa_context_errno(m_pulse->context())));
    }

private:
    static void signal(pa_stream *, void *self)
    {
        pa_threaded_mainloop_signal(static_cast<PulseStream *>(self)->m_loop, 0);
    }

    bool good() const { return m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY; }

    // With the loop locked.
    uint64_t playedLocked()
    {
        pa_usec_t usec = 0;
        if (!good() || pa_stream_get_time(m_stream, &usec) < 0)
            return m_lastPlayed;
        m_lastPlayed = std::max(m_lastPlayed, uint64_t(usec) * uint64_t(m_rate) / 1000000u);
        return m_lastPlayed;
    }

    bool fail(QString *error)
    {
        if (error)
            *error = QString::fromUtf8(pa_strerror(pa_context_errno(m_pulse->context())));
        return false;
    }

    const std::shared_ptr<PulseConnection> m_pulse;
    pa_threaded_mainloop *const m_loop;
    const int m_rate;
    const int m_channels;
    pa_stream *m_stream = nullptr;
    bool m_drained = false;
    bool m_corked = false; // paused by setPaused()
    uint64_t m_lastPlayed = 0;
};

class PulseSoundOutput final : public SoundOutput
{
public:
    explicit PulseSoundOutput(QString server) : m_server(std::move(server)) {}
    ~PulseSoundOutput() override { stopFiles(); }

    std::unique_ptr<SoundStream> openStream(int rate, int channels, bool startPaused, QString *error) override
    {
        const std::shared_ptr<PulseConnection> pulse = connection(error);
        if (!pulse)
            return nullptr;
        auto stream = std::make_unique<PulseStream>(pulse, rate, channels);
        if (!stream->open(startPaused, error))
            return nullptr;
        return stream;
    }

    bool isReal() const override { return true; }

private:
    // The working connection, made anew when there is none or the server went away.
    std::shared_ptr<PulseConnection> connection(QString *error)
    {
        std::lock_guard lock(m_connectionLock);
        if (m_connection && m_connection->good())
            return m_connection;
        m_connection.reset();
        auto made = std::make_shared<PulseConnection>();
        if (!made->connect(m_server, error))
            return nullptr;
        m_connection = made;
        return m_connection;
    }

    const QString m_server;
    std::mutex m_connectionLock; // guards m_connection
    std::shared_ptr<PulseConnection> m_connection;
};

} // namespace

std::shared_ptr<SoundOutput> CreatePulseSoundOutput(const QString &server)
{
    return std::make_shared<PulseSoundOutput>(server);
}

} // namespace loqa
