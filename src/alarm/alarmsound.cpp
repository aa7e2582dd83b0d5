#include "alarm/alarmsound.h"

#include "platform/soundoutput.h"
#include "audio/wavfile.h"

#include <QDataStream>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace loqa {

namespace {

constexpr int kToneRate = 22050;

bool playFile(const QString &path)
{
    return SoundOutput::instance()->playFileAsync(path);
}

} // namespace

QByteArray AlarmToneWav()
{
    // Two beeps of 880 Hz, 150 ms each with a short fade at both ends, 100 ms apart.
    constexpr int beep = kToneRate * 150 / 1000, gap = kToneRate * 100 / 1000, fade = kToneRate * 10 / 1000;
    QByteArray pcm;
    QDataStream samples(&pcm, QIODevice::WriteOnly);
    samples.setByteOrder(QDataStream::LittleEndian);
    for (int b = 0; b < 2; ++b) {
        for (int i = 0; i < beep; ++i) {
            const double envelope = std::min({1.0, double(i) / fade, double(beep - i) / fade});
            samples << qint16(std::lround(16000 * envelope * std::sin(2 * std::numbers::pi * 880 * i / kToneRate)));
        }
        for (int i = 0; i < gap; ++i)
            samples << qint16(0);
    }
    return WavBytes(pcm, kToneRate, 1);
}

void PlayAlarmSound(const QString &path)
{
    if (!path.isEmpty() && playFile(path))
        return;
    // The player reads the whole file before it returns, so the file can go at once.
    QTemporaryFile tone;
    if (tone.open() && tone.write(AlarmToneWav()) > 0 && tone.flush())
        playFile(tone.fileName());
}

} // namespace loqa
