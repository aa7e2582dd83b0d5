#pragma once

#include "audio/lame.h"

#include <QString>

#include <atomic>

// The step that turns freshly rendered speech into an MP3 file, shared by the
// command line and the window: encode, retry when the window asks for it,
// delete the WAV only when the MP3 is there.
namespace loqa {

struct Mp3Step {
    QString wav; // the rendered speech
    QString mp3; // where the MP3 goes
    QString resample;
    QString bitrate;
    QString mode = QStringLiteral("s");
    QString quality = QStringLiteral("5");
    // A failed first call is made again with "automatic" and "128" (the window's rule).
    bool retryAutomatic = false;
    RunLimits limits;
    QString encoder; // empty: Mp3Encoder()
};

struct Mp3StepResult {
    enum Outcome { Encoded, Failed, Cancelled, TimedOut };
    Outcome outcome = Failed;
    bool retried = false;
    QString reason; // one line naming what failed; empty when encoded
    bool ok() const { return outcome == Encoded; }
};

// Runs the step. On success the WAV is deleted; otherwise it is kept (it is the
// user's finished rendering) and whatever partial MP3 the encoder left is removed.
Mp3StepResult RunMp3Step(const Mp3Step &step);

// The WAV an MP3 is made from is the step's own file: `wanted` when no file has
// that name, else a fresh name beside it, made (empty) at once so that nothing
// else takes it. A WAV the user already has is thus never overwritten or removed.
QString IntermediateWavName(const QString &wanted);

// A generous time limit for encoding a WAV file of this size: half a minute,
// plus the speech's own length at the lowest rate Loquora writes.
int Mp3TimeLimitMs(qint64 wavBytes);

} // namespace loqa
