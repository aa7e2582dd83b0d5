#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace loqa {

// One playback stream of 16-bit signed mono or stereo samples on the desktop's
// sound server. All methods may be called from any thread.
class SoundStream
{
public:
    virtual ~SoundStream();

    // Queues the samples, waiting for room; returns false when `abort` became
    // true or the stream failed. Loquora's own volume is applied here.
    virtual bool write(const int16_t *samples, size_t frames, const std::atomic<bool> &abort) = 0;
    // Starts playback of what is queued even when the pre-buffer is not full.
    virtual void trigger() = 0;
    // Waits until every queued sample has been played (or abort / failure).
    virtual bool drain(const std::atomic<bool> &abort) = 0;
    virtual void setPaused(bool paused) = 0;
    // Discards the audio queued on the server.
    virtual void drop() = 0;
    // Frames heard so far.
    virtual uint64_t playedFrames() = 0;
    // Wakes a thread blocked in write() or drain() so that it looks at its abort flag.
    virtual void wake() = 0;
};

class SoundOutput
{
public:
    // Opens a stream named after the application. Null with `error` set when
    // there is no sound server.
    static std::unique_ptr<SoundStream> openStream(int rate, int channels, bool startPaused, QString *error);
    // Checks that the sound server can be reached (connects once per process).
    static bool available(QString *error);

    // Loquora's own output volume, 0..65535, applied to every stream; full at start.
    static uint16_t volume();
    static void setVolume(uint16_t volume);

    // Plays a WAV file without waiting for it (alarm sounds); false when the file
    // cannot be read or there is no sound server.
    static bool playFileAsync(const QString &path);
};

namespace detail {
extern std::atomic<uint16_t> g_volume;
std::unique_ptr<SoundStream> openPulseStream(int rate, int channels, bool startPaused, QString *error);
bool pulseAvailable(QString *error);
std::unique_ptr<SoundStream> openNullStream(int rate, int channels, bool startPaused);
void applyVolume(int16_t *samples, size_t count);
} // namespace detail

} // namespace loqa
