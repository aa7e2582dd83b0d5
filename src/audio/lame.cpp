#include "audio/lame.h"

#include "platform/apppath.h"
#include "platform/process.h"

#include <QFileInfo>

namespace loqa {

namespace {

// A path that begins with "-" would be read by the encoder as an option.
QString asFileArgument(const QString &path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

Mp3Result run(bool decode, const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
              const QString &mode, const QString &quality, const RunLimits &limits, const QString &encoder)
{
    Mp3Result result;
    QStringList argv = Mp3Command(decode, source, dest, resample, bitrate, mode, quality);
    if (!encoder.isEmpty())
        argv.first() = encoder;
    result.exitCode = RunAndWait(argv, 0, &result.message, limits);
    return result;
}

} // namespace

QString Mp3Encoder()
{
    const QString beside = ExecutableDir() + QStringLiteral("lame");
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return beside;
    return QStringLiteral("lame");
}

QStringList Mp3Command(bool decode, const QString &source, const QString &dest, const QString &resample,
                       const QString &bitrate, const QString &mode, const QString &quality)
{
    QStringList argv{Mp3Encoder()};
    if (decode)
        argv << QStringLiteral("--decode");
    // The encoder refuses "automatic"; leaving the option out lets it choose.
    const QString rate = resample.trimmed();
    if (!rate.isEmpty() && rate.compare(QLatin1String("automatic"), Qt::CaseInsensitive) != 0)
        argv << QStringLiteral("--resample") << resample;
    argv << QStringLiteral("-b") << bitrate << QStringLiteral("-m") << mode << QStringLiteral("-q") << quality;
    argv << asFileArgument(source) << asFileArgument(dest);
    return argv;
}

Mp3Result EncodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality, const RunLimits &limits, const QString &encoder)
{
    return run(false, source, dest, resample, bitrate, mode, quality, limits, encoder);
}

Mp3Result DecodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality, const RunLimits &limits, const QString &encoder)
{
    return run(true, source, dest, resample, bitrate, mode, quality, limits, encoder);
}

QString Mp3FailureText(const Mp3Result &result, const QString &dest)
{
    switch (result.exitCode) {
    case 0:
        break;
    case RunNotStarted:
        return QStringLiteral("the MP3 encoder (lame) could not be started");
    case RunCancelled:
        return QStringLiteral("the MP3 encoder was stopped before it finished %1").arg(dest);
    case RunTimedOut:
        return QStringLiteral("the MP3 encoder took too long and was stopped writing %1").arg(dest);
    default:
        return QStringLiteral("the MP3 encoder failed (exit status %1) writing %2%3")
            .arg(result.exitCode)
            .arg(dest, result.message.isEmpty() ? QString() : QStringLiteral(": ") + result.message);
    }
    const QFileInfo out(dest);
    if (!out.isFile() || out.size() == 0)
        return QStringLiteral("the MP3 encoder left no file at %1").arg(dest);
    return {};
}

} // namespace loqa
