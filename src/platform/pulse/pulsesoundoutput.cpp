#include "apppath.h"
#include "soundoutput.h"

#include <pulse/pulseaudio.h>

#include <mutex>
#include <vector>

namespace loqa::detail {

namespace {

// One connection to the sound server per process, made on first need and kept.
class PulseContext
{
public:
    static PulseContext *get(QString *error)
    {
        static PulseContext *instance = nullptr;
        static std::mutex guard;
        std::lock_guard lock(guard);
        if (!instance) {
            auto *made = new PulseContext;
            if (!made->connect(error)) {
                delete made;
                return nullptr;
            }
            instance = made; // lives until the process ends
        }
        return instance;
    }

    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;

private:
    bool connect(QString *error)
    {
        loop = pa_threaded_mainloop_new();
        if (!loop)
            return fail(error, QStringLiteral("cannot create the sound thread"));
        pa_proplist *props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, ApplicationTitle().toUtf8().constData());
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "loqa");
        context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), nullptr, props);
        pa_proplist_free(props);
        if (!context)
            return fail(error, QStringLiteral("cannot create a sound server context"));
        pa_context_set_state_callback(context, [](pa_context *, void *loop) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
        }, loop);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return fail(error, QString::fromUtf8(pa_strerror(pa_context_errno(context))));
        pa_threaded_mainloop_lock(loop);
        if (pa_threaded_mainloop_start(loop) < 0) {
            pa_threaded_mainloop_unlock(loop);
            return fail(error, QStringLiteral("cannot start the sound thread"));
        }
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY)
                break;
            if (!PA_CONTEXT_IS_GOOD(state)) {
                const QString reason = QString::fromUtf8(pa_strerror(pa_context_errno(context)));
                pa_threaded_mainloop_unlock(loop);
                pa_threaded_mainloop_stop(loop);
                return fail(error, reason);
            }
            pa_threaded_mainloop_wait(loop);
        }
        pa_threaded_mainloop_unlock(loop);
        return true;
    }

    bool fail(QString *error, const QString &reason)
    {
        if (error)
            *error = QStringLiteral("no sound server: ") + reason;
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        if (loop) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
        return false;
    }
};

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

class PulseStream final : public SoundStream
{
public:
    PulseStream(PulseContext *pulse, int rate, int channels)
        : m_pulse(pulse), m_rate(rate), m_channels(channels)
    {
    }

    ~PulseStream() override
    {
        Locker lock(m_pulse->loop);
        if (m_stream) {
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
    }

    bool open(bool paused, QString *error)
    {
        Locker lock(m_pulse->loop);
        const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(m_rate), uint8_t(m_channels)};
        m_stream = pa_stream_new(m_pulse->context, ApplicationTitle().toUtf8().constData(), &spec, nullptr);
        if (!m_stream)
            return fail(error);
        pa_stream_set_state_callback(m_stream, &PulseStream::signal, this);
        pa_stream_set_write_callback(m_stream, [](pa_stream *, size_t, void *self) {
            signal(nullptr, self);
        }, this);
        // A short buffer keeps pause, stop and the word highlight close to what is heard.
        const uint32_t frameBytes = uint32_t(2 * m_channels);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(m_rate / 10) * frameBytes; // 100 ms
        attr.prebuf = uint32_t(m_rate / 50) * frameBytes;  // 20 ms
        attr.minreq = uint32_t(m_rate / 100) * frameBytes; // 10 ms
        attr.fragsize = uint32_t(-1);
        const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE
                                             | PA_STREAM_ADJUST_LATENCY | (paused ? PA_STREAM_START_CORKED : 0));
        if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
            return fail(error);
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(m_stream);
            if (state == PA_STREAM_READY)
                return true;
            if (!PA_STREAM_IS_GOOD(state))
                return fail(error);
            pa_threaded_mainloop_wait(m_pulse->loop);
        }
    }

    bool write(const int16_t *samples, size_t frames, const std::atomic<bool> &abort) override
    {
        const size_t frameBytes = size_t(2 * m_channels);
        std::vector<int16_t> scaled;
        Locker lock(m_pulse->loop);
        while (frames > 0) {
            if (abort || !good())
                return false;
            size_t room = pa_stream_writable_size(m_stream);
            if (room == size_t(-1))
                return false;
            if (room < frameBytes) {
                pa_threaded_mainloop_wait(m_pulse->loop);
                continue;
            }
            const size_t n = std::min(frames, room / frameBytes);
            scaled.assign(samples, samples + n * size_t(m_channels));
            applyVolume(scaled.data(), scaled.size());
            if (pa_stream_write(m_stream, scaled.data(), n * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                return false;
            samples += n * size_t(m_channels);
            frames -= n;
        }
        return true;
    }

    void trigger() override
    {
        Locker lock(m_pulse->loop);
        if (good())
            if (pa_operation *op = pa_stream_trigger(m_stream, nullptr, nullptr))
                pa_operation_unref(op);
    }

    bool drain(const std::atomic<bool> &abort) override
    {
        Locker lock(m_pulse->loop);
        if (!good())
            return false;
        m_drained = false;
        pa_operation *op = pa_stream_drain(m_stream, [](pa_stream *, int, void *self) {
            static_cast<PulseStream *>(self)->m_drained = true;
            signal(nullptr, self);
        }, this);
        if (!op)
            return false;
        while (!m_drained && !abort && good())
            pa_threaded_mainloop_wait(m_pulse->loop);
        if (!m_drained)
            pa_operation_cancel(op);
        pa_operation_unref(op);
        return m_drained;
    }

    void setPaused(bool paused) override
    {
        Locker lock(m_pulse->loop);
        if (good())
            if (pa_operation *op = pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr))
                pa_operation_unref(op);
    }

    void drop() override
    {
        Locker lock(m_pulse->loop);
        if (good())
            if (pa_operation *op = pa_stream_flush(m_stream, nullptr, nullptr))
                pa_operation_unref(op);
    }

    uint64_t playedFrames() override
    {
        Locker lock(m_pulse->loop);
        pa_usec_t usec = 0;
        if (!good() || pa_stream_get_time(m_stream, &usec) < 0)
            return m_lastPlayed;
        m_lastPlayed = std::max(m_lastPlayed, uint64_t(usec) * uint64_t(m_rate) / 1000000u);
        return m_lastPlayed;
    }

    void wake() override { pa_threaded_mainloop_signal(m_pulse->loop, 0); }

private:
    static void signal(pa_stream *, void *self)
    {
        pa_threaded_mainloop_signal(static_cast<PulseStream *>(self)->m_pulse->loop, 0);
    }

    bool good() const { return m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY; }

    bool fail(QString *error)
    {
        if (error)
            *error = QStringLiteral("sound output failed: ")
                     + QString::fromUtf8(pa_strerror(pa_context_errno(m_pulse->context)));
        return false;
    }

    PulseContext *m_pulse;
    int m_rate;
    int m_channels;
    pa_stream *m_stream = nullptr;
    bool m_drained = false;
    uint64_t m_lastPlayed = 0;
};

} // namespace

bool pulseAvailable(QString *error)
{
    return PulseContext::get(error) != nullptr;
}

std::unique_ptr<SoundStream> openPulseStream(int rate, int channels, bool startPaused, QString *error)
{
    PulseContext *pulse = PulseContext::get(error);
    if (!pulse)
        return nullptr;
    auto stream = std::make_unique<PulseStream>(pulse, rate, channels);
    if (!stream->open(startPaused, error))
        return nullptr;
    return stream;
}

} // namespace loqa::detail
