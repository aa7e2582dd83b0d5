#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace loqa {

// Loquora's one WAV codec: every WAV file it writes (speech rendered to a file,
// the built-in alarm tone) has the header below, and every one it plays is read
// by ReadWav.

// Streams 16-bit PCM into a WAV file. The header keeps room for the RF64
// extension: a file whose audio outgrows what a RIFF header can count
// (4 GB) is completed as RF64, every smaller one as plain RIFF WAV.
class WavWriter
{
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;

    bool open(const QString &fileName, int sampleRate, int channels);
    bool write(const int16_t *samples, size_t count);
    // Writes the final header and closes the file; true when all went to disk.
    bool finish();
    bool isOpen() const { return m_file != nullptr; }
    // The rate the final header names, when the samples turn out to have another than open() was told.
    void setSampleRate(int sampleRate) { m_rate = sampleRate; }
    // Why the first failed call failed ("No space left on device"), empty while all went well.
    const QString &errorString() const { return m_error; }
    uint64_t dataBytes() const { return m_dataBytes; }
    const QString &fileName() const { return m_fileName; }

    static constexpr size_t kHeaderSize = 80;
    // The header for a given amount of audio; RF64 when `forceRf64` or when it must be.
    static void header(uint8_t out[kHeaderSize], uint64_t dataBytes, int sampleRate, int channels,
                       bool forceRf64 = false);
    // For tests: complete as RF64 whatever the size.
    void setForceRf64(bool force) { m_forceRf64 = force; }

private:
    void failed();

    std::FILE *m_file = nullptr;
    QString m_fileName;
    int m_rate = 0;
    int m_channels = 1;
    uint64_t m_dataBytes = 0;
    bool m_failed = false;
    QString m_error;
    bool m_forceRf64 = false;
};

// A whole WAV file in memory: the header above, then `pcm` (16-bit little-endian samples).
QByteArray WavBytes(QByteArrayView pcm, int sampleRate, int channels);

// The audio of a plain RIFF WAV file (RF64 is only written): where its samples
// are in `bytes` and how they are laid out.
struct WavAudio {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    qsizetype dataAt = 0;
    qsizetype dataSize = 0; // cut to what the bytes hold when the header promises more
};

// The audio of `bytes` when they are a RIFF WAV file with a format and a data
// chunk; nothing otherwise. The format is given as written, not checked.
std::optional<WavAudio> ReadWav(QByteArrayView bytes);

} // namespace loqa
