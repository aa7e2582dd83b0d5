#include "audio/wavfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace loqa {

namespace {

void put16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t *p, uint32_t v)
{
    put16(p, uint16_t(v));
    put16(p + 2, uint16_t(v >> 16));
}

void put64(uint8_t *p, uint64_t v)
{
    put32(p, uint32_t(v));
    put32(p + 4, uint32_t(v >> 32));
}

constexpr uint64_t kRiffLimit = 0xFFFFFFFFull;

uint16_t get16(QByteArrayView bytes, qsizetype at)
{
    return uint16_t(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8);
}

uint32_t get32(QByteArrayView bytes, qsizetype at)
{
    return uint32_t(get16(bytes, at)) | uint32_t(get16(bytes, at + 2)) << 16;
}

} // namespace

void WavWriter::header(uint8_t out[kHeaderSize], uint64_t dataBytes, int sampleRate, int channels, bool forceRf64)
{
    std::memset(out, 0, kHeaderSize);
    const uint64_t riffSize = kHeaderSize - 8 + dataBytes + (dataBytes & 1);
    const bool rf64 = forceRf64 || riffSize > kRiffLimit;
    std::memcpy(out, rf64 ? "RF64" : "RIFF", 4);
    put32(out + 4, rf64 ? 0xFFFFFFFFu : uint32_t(riffSize));
    std::memcpy(out + 8, "WAVE", 4);
    // 36 bytes that are a JUNK chunk in a RIFF file and the ds64 chunk in an RF64 one.
    std::memcpy(out + 12, rf64 ? "ds64" : "JUNK", 4);
    put32(out + 16, 28);
    if (rf64) {
        put64(out + 20, riffSize);
        put64(out + 28, dataBytes);
        put64(out + 36, dataBytes / uint64_t(2 * channels));
        put32(out + 44, 0); // no table
    }
    std::memcpy(out + 48, "fmt ", 4);
    put32(out + 52, 16);
    put16(out + 56, 1); // PCM
    put16(out + 58, uint16_t(channels));
    put32(out + 60, uint32_t(sampleRate));
    put32(out + 64, uint32_t(sampleRate * channels * 2));
    put16(out + 68, uint16_t(channels * 2));
    put16(out + 70, 16);
    std::memcpy(out + 72, "data", 4);
    put32(out + 76, rf64 ? 0xFFFFFFFFu : uint32_t(dataBytes));
}

void WavWriter::failed()
{
    if (!m_failed)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
    m_failed = true;
}

WavWriter::~WavWriter()
{
    finish();
}

bool WavWriter::open(const QString &fileName, int sampleRate, int channels)
{
    finish();
    m_fileName = fileName;
    m_rate = sampleRate;
    m_channels = channels;
    m_dataBytes = 0;
    m_failed = false;
    m_error.clear();
    m_file = std::fopen(QFile::encodeName(fileName).constData(), "wb");
    if (!m_file) {
        failed();
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    uint8_t head[kHeaderSize];
    header(head, 0, m_rate, m_channels);
    if (std::fwrite(head, 1, kHeaderSize, m_file) != kHeaderSize)
        failed();
    return true;
}

bool WavWriter::write(const int16_t *samples, size_t count)
{
    if (!m_file || m_failed)
        return false;
    // The file holds little-endian samples; so does every machine this builds for.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (std::fwrite(samples, sizeof(int16_t), count, m_file) != count) {
        failed();
        return false;
    }
    m_dataBytes += count * sizeof(int16_t);
    return true;
}

bool WavWriter::finish()
{
    if (!m_file)
        return !m_failed;
    if ((m_dataBytes & 1) && std::fputc(0, m_file) == EOF)
        failed();
    uint8_t head[kHeaderSize];
    header(head, m_dataBytes, m_rate, m_channels, m_forceRf64);
    // The buffered audio goes to disk before the header is rewritten, so a disk that
    // is full shows here and not as a silently shorter file.
    if (std::fflush(m_file) != 0)
        failed();
    if (std::fseek(m_file, 0, SEEK_SET) != 0 || std::fwrite(head, 1, kHeaderSize, m_file) != kHeaderSize)
        failed();
    if (std::fclose(m_file) != 0)
        failed();
    m_file = nullptr;
    return !m_failed;
}

QByteArray WavBytes(QByteArrayView pcm, int sampleRate, int channels)
{
    uint8_t head[WavWriter::kHeaderSize];
    WavWriter::header(head, uint64_t(pcm.size()), sampleRate, channels);
    QByteArray wav(reinterpret_cast<const char *>(head), qsizetype(WavWriter::kHeaderSize));
    wav.append(pcm);
    if (pcm.size() & 1)
        wav.append('\0');
    return wav;
}

std::optional<WavAudio> ReadWav(QByteArrayView bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.sliced(8, 4) != "WAVE")
        return std::nullopt;
    WavAudio audio;
    bool format = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArrayView id = bytes.sliced(at, 4);
        const qsizetype size = get32(bytes, at + 4);
        if (id == "fmt " && at + 24 <= bytes.size()) {
            audio.channels = get16(bytes, at + 10);
            audio.sampleRate = int(get32(bytes, at + 12));
            audio.bitsPerSample = get16(bytes, at + 22);
            format = true;
        } else if (id == "data") {
            audio.dataAt = at + 8;
            audio.dataSize = std::min(size, bytes.size() - audio.dataAt);
            if (!format)
                return std::nullopt;
            return audio;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace loqa
