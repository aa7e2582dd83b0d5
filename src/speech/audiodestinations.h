#pragma once

#include "speech/speech.h"
#include "audio/wavfile.h"

#include <atomic>
#include <mutex>

namespace speech {

// One WAV file being rendered, shared by the destination and the job writing it.
struct FileTarget {
    std::mutex writerLock; // guards writer
    loqa::WavWriter writer;
};

// The WAV file destination: Set opens the file for the next text, Flush completes it.
class FileDestination final : public AudioFile
{
public:
    explicit FileDestination(int sampleRate = 22050) : m_rate(sampleRate) {}
    ~FileDestination() override;

    bool set(const QString &fileName) override;
    bool flush(QString *reason) override;
    void realTimeSet(uint16_t factor) override { m_factor = factor; }
    uint16_t realTimeGet() const override { return m_factor; }

    // The file opened by the last set(), handed to the text that will fill it.
    std::shared_ptr<FileTarget> current();

private:
    int m_rate;
    std::atomic<uint16_t> m_factor{256};
    std::mutex m_currentLock; // guards m_current
    std::shared_ptr<FileTarget> m_current;
};

// The sound-output destination: each text opens its own playback stream.
class DeviceDestination final : public AudioDevice
{
};

} // namespace speech
