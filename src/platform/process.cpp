#include "platform/process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

namespace loqa {

namespace {

QString lastLine(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    if (f.size() > 4096)
        f.seek(f.size() - 4096);
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const QByteArray line = it->trimmed();
        if (!line.isEmpty())
            return QString::fromLocal8Bit(line);
    }
    return {};
}

// Ends a program that outlived its limits: asks first, then insists.
void end(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(1000)) {
        process.kill();
        process.waitForFinished(-1);
    }
}

// Waits for the program while watching the cancel flag and the clock; returns
// 0 when it ended by itself, else RunCancelled or RunTimedOut.
int waitWithin(QProcess &process, const RunLimits &limits)
{
    QDeadlineTimer deadline(QDeadlineTimer::Forever);
    if (limits.timeoutMs >= 0)
        deadline.setRemainingTime(limits.timeoutMs);
    for (;;) {
        // The cancel flag is another thread's: it is looked at every 20 ms.
        if (process.waitForFinished(20) || process.state() == QProcess::NotRunning)
            return 0;
        if (limits.cancel && limits.cancel->load()) {
            end(process);
            return RunCancelled;
        }
        if (deadline.hasExpired()) {
            end(process);
            return RunTimedOut;
        }
    }
}

} // namespace

int RunAndWait(const QStringList &argv, int showCommand, QString *errorLine, const RunLimits &limits)
{
    if (argv.isEmpty() || argv.first().isEmpty())
        return RunNotStarted;
    QProcess process;
    // No shell: the program is looked up on PATH when it has no slash.
    process.setProgram(argv.first());
    process.setArguments(argv.mid(1));
    QTemporaryFile errors;
    const bool hidden = showCommand == 0;
    const bool keepErrors = hidden && errors.open();
    if (hidden) {
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(keepErrors ? errors.fileName() : QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
    }
    process.start();
    if (!process.waitForStarted(-1))
        return RunNotStarted;
    if (limits.cancel || limits.timeoutMs >= 0) {
        const int ended = waitWithin(process, limits);
        if (ended != 0)
            return ended;
    } else if (!process.waitForFinished(-1) && process.state() != QProcess::NotRunning) {
        return RunNotStarted;
    }
    if (errorLine && keepErrors)
        *errorLine = lastLine(errors.fileName());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : RunNotStarted;
}

} // namespace loqa
