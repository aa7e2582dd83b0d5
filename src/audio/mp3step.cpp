#include "audio/mp3step.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace loqa {

namespace {

Mp3StepResult::Outcome outcomeOf(const Mp3Result &result)
{
    switch (result.exitCode) {
    case RunCancelled:
        return Mp3StepResult::Cancelled;
    case RunTimedOut:
        return Mp3StepResult::TimedOut;
    default:
        return Mp3StepResult::Failed;
    }
}

} // namespace

Mp3StepResult RunMp3Step(const Mp3Step &step)
{
    Mp3StepResult out;
    Mp3Result result =
        EncodeMp3(step.wav, step.mp3, step.resample, step.bitrate, step.mode, step.quality, step.limits, step.encoder);
    QString failure = Mp3FailureText(result, step.mp3);
    const bool stopped = result.exitCode == RunCancelled || result.exitCode == RunTimedOut;
    if (!failure.isEmpty() && step.retryAutomatic && !stopped) {
        out.retried = true;
        QFile::remove(step.mp3);
        result = EncodeMp3(step.wav, step.mp3, QStringLiteral("automatic"), QStringLiteral("128"), step.mode,
                           step.quality, step.limits, step.encoder);
        failure = Mp3FailureText(result, step.mp3);
    }
    if (failure.isEmpty()) {
        QFile::remove(step.wav);
        out.outcome = Mp3StepResult::Encoded;
        return out;
    }
    QFile::remove(step.mp3);
    out.outcome = outcomeOf(result);
    out.reason = failure;
    return out;
}

QString IntermediateWavName(const QString &wanted)
{
    const QFileInfo info(wanted);
    if (!info.exists() && !info.isSymLink())
        return wanted;
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.');
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + QString::number(QRandomGenerator::global()->bounded(0x1000000u), 36) + suffix;
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!QFileInfo(name).exists())
            break; // the folder takes no new file: rendering into it says so
    }
    return name;
}

int Mp3TimeLimitMs(qint64 wavBytes)
{
    // 8 kHz 16-bit mono is the slowest byte rate a rendering has: 16,000 bytes a second.
    const qint64 ms = 30000 + std::max<qint64>(wavBytes, 0) / 16;
    return int(std::min<qint64>(ms, std::numeric_limits<int>::max()));
}

} // namespace loqa
