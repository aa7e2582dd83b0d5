#pragma once

#include "platform/process.h"

#include <QString>
#include <QStringList>

// The bridge to the external MP3 encoder: WAV to MP3 and back, through `lame`
// run as its own process. Both routines return when the encoder has ended.
namespace loqa {

struct Mp3Result {
    int exitCode = -1; // the encoder's exit status; RunNotStarted, RunCancelled or RunTimedOut otherwise
    QString message;   // the encoder's last word on its error output
    bool ok() const { return exitCode == 0; }
};

// Why a conversion into `dest` failed, one line; empty when it succeeded: the
// encoder could not be started, exited non-zero, was ended, or left no file.
QString Mp3FailureText(const Mp3Result &result, const QString &dest);

// The encoder: `lame` beside the executable when it is there, else `lame` on PATH.
QString Mp3Encoder();

// The encoder's argument vector, program first. It is started as one vector,
// never through a shell or a line of limited length, so no shorter form of the
// command could succeed where this one fails to start: there is no retry.
QStringList Mp3Command(bool decode, const QString &source, const QString &dest, const QString &resample,
                       const QString &bitrate, const QString &mode, const QString &quality);

// `encoder` empty: Mp3Encoder().
Mp3Result EncodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality, const RunLimits &limits = {},
                    const QString &encoder = {});
Mp3Result DecodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality, const RunLimits &limits = {},
                    const QString &encoder = {});

} // namespace loqa
