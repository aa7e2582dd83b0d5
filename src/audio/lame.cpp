#include "lame.h"

#include "apppath.h"
#include "process.h"

#include <QFileInfo>

namespace loqa {

namespace {

// A path that begins with "-" would be read by the encoder as an option.
QString asFileArgument(const QString &path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

Mp3Result run(bool decode, const QString &source, const QString &dest, const QString &resample,
              const QString &bitrate, const QString &mode, const QString &quality)
{
    Mp3Result result;
    try {
        result.exitCode = RunAndWait(Mp3Command(decode, source, dest, resample, bitrate, mode, quality), 0,
                                     &result.message);
    } catch (...) {
        try {
            result.exitCode = RunAndWait(Mp3Command(decode, source, dest, resample, bitrate, mode, quality, true),
                                         0, &result.message);
        } catch (...) {
            result.exitCode = -1;
        }
    }
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
                       const QString &bitrate, const QString &mode, const QString &quality, bool shortForm)
{
    QStringList argv{Mp3Encoder()};
    if (decode)
        argv << QStringLiteral("--decode");
    if (!shortForm) {
        // The encoder refuses "automatic"; leaving the option out lets it choose.
        const QString rate = resample.trimmed();
        if (!rate.isEmpty() && rate.compare(QLatin1String("automatic"), Qt::CaseInsensitive) != 0)
            argv << QStringLiteral("--resample") << resample;
        argv << QStringLiteral("-b") << bitrate << QStringLiteral("-m") << mode << QStringLiteral("-q") << quality;
    }
    argv << asFileArgument(source) << asFileArgument(dest);
    return argv;
}

Mp3Result EncodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality)
{
    return run(false, source, dest, resample, bitrate, mode, quality);
}

Mp3Result DecodeMp3(const QString &source, const QString &dest, const QString &resample, const QString &bitrate,
                    const QString &mode, const QString &quality)
{
    return run(true, source, dest, resample, bitrate, mode, quality);
}

} // namespace loqa
