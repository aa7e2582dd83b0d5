#include "mp3step.h"

#include <QFile>
#include <QFileInfo>

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

int Mp3TimeLimitMs(qint64 wavBytes)
{
    // 8 kHz 16-bit mono is the slowest byte rate a rendering has: 16,000 bytes a second.
    const qint64 ms = 30000 + std::max<qint64>(wavBytes, 0) / 16;
    return int(std::min<qint64>(ms, std::numeric_limits<int>::max()));
}

} // namespace loqa
