#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

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
    // Waits until `frames` frames have been heard (or abort / failure), sleeping
    // meanwhile, through a pause too; returns the frames heard.
    virtual uint64_t waitPlayed(uint64_t frames, const std::atomic<bool> &abort) = 0;
    // Wakes a thread blocked in write(), drain() or waitPlayed() so that it looks at its abort flag.
    virtual void wake() = 0;
    // Why the stream stopped working ("Connection terminated"), empty while it works.
    virtual QString failure() = 0;
};

// Where Loquora's sound goes. One instance per process, made on first use: the
// PulseAudio one, or (with LOQA_PLATFORM=null or LOQA_SOUND=null) one that plays
// nothing at the speed of real time. The speech back end is handed one, so a
// test can give it another. A subclass's destructor calls stopFiles(): the
// file threads open their streams through it.
class SoundOutput : public std::enable_shared_from_this<SoundOutput>
{
public:
    static std::shared_ptr<SoundOutput> instance();
    virtual ~SoundOutput();

    // Opens a stream named after the application, connecting to the sound server
    // when there is no working connection. Waits at most about two seconds for
    // the server; null with `error` set to the reason ("Connection refused",
    // "timed out") when it cannot be had. Never call it on the GUI thread.
    virtual std::unique_ptr<SoundStream> openStream(int rate, int channels, bool startPaused, QString *error) = 0;
    virtual bool isReal() const = 0;

    // Loquora's own output volume, 0..65535, applied to every stream; full at start.
    static uint16_t volume();
    static void setVolume(uint16_t volume);
    // Scales samples by the volume.
    static void applyVolume(int16_t *samples, size_t count);

    // Plays a WAV file without waiting for it (alarm sounds); false when the file
    // cannot be read. The stream is opened off the calling thread, on a thread
    // of this output's that stopFiles() ends.
    bool playFileAsync(const QString &path);
    // Silences the files playing and waits for their threads to end.
    void stopFiles();

protected:
    SoundOutput();

private:
    struct FilePlayback;
    // The files playing, or played and not yet joined.
    std::mutex m_filesLock; // guards m_files
    std::vector<std::unique_ptr<FilePlayback>> m_files;
};

// `server` is a PulseAudio server address ("unix:/run/…/native"); empty for the desktop's own.
std::shared_ptr<SoundOutput> CreatePulseSoundOutput(const QString &server = QString());
std::shared_ptr<SoundOutput> CreateNullSoundOutput();

} // namespace loqa
