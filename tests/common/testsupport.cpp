#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QFileInfo>
#include <QProcessEnvironment>

TempHome::TempHome()
{
    m_dir.setAutoRemove(true);
}

bool TempHome::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    QDir().mkpath(QFileInfo(f).absolutePath());
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray TempHome::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString LoqaBinary()
{
    return qEnvironmentVariable("LOQA_BIN");
}

namespace {

// Waits for a started process within the limit (then ends it) and takes what it said.
RunResult Finish(QProcess &p, int timeoutMs)
{
    RunResult result;
    result.finished = p.waitForFinished(timeoutMs);
    if (!result.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    result.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    result.out = p.readAllStandardOutput();
    result.err = p.readAllStandardError();
    return result;
}

} // namespace

RunResult RunLoqa(const QStringList &arguments, const QString &workingDir, int timeoutMs,
                  const QStringList &extraEnvironment)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : extraEnvironment) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq > 0)
            env.insert(kv.left(eq), kv.mid(eq + 1));
        else
            env.remove(kv);
    }
    p.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(LoqaBinary(), arguments);
    return Finish(p, timeoutMs);
}

RunResult RunLoqaPrefixed(const QStringList &prefix, const QStringList &arguments, const QString &workingDir,
                          int timeoutMs)
{
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.start(prefix.first(), prefix.mid(1) + QStringList{LoqaBinary()} + arguments);
    return Finish(p, timeoutMs);
}

bool HaveSoundServer()
{
    return !qEnvironmentVariableIsEmpty("LOQA_TEST_MONITOR");
}

bool HaveDisplay()
{
    return !qEnvironmentVariableIsEmpty("LOQA_TEST_DISPLAY");
}

bool SkipsAreFailures()
{
    return qEnvironmentVariable("LOQA_NO_SKIP") == QLatin1String("1");
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const char kBookMarkdown[] = "# Chapter One\n\n"
                             "The quick brown fox jumps over the lazy dog. It ran into the *deep* wood.\n\n"
                             "# Chapter Two\n\n"
                             "A journey of a thousand miles begins with a single step.[^1] Then it went on.\n\n"
                             "## A Short Rest\n\n"
                             "All that glitters is not gold.\n\n"
                             "# Chapter Three\n\n"
                             "Every cloud has a silver lining.\n\n"
                             "[^1]: An old saying.\n";

bool MakeWithPandoc(const QByteArray &markdown, const QString &output, const QString &to, QString *error)
{
    QProcess pandoc;
    QStringList arguments{QStringLiteral("--from=markdown"), QStringLiteral("--standalone"),
                          QStringLiteral("--metadata=title:The Long Book"), QStringLiteral("-o"), output};
    if (!to.isEmpty())
        arguments << QStringLiteral("--to=") + to;
    pandoc.start(QStringLiteral("pandoc"), arguments);
    if (!pandoc.waitForStarted(10000)) {
        if (error)
            *error = pandoc.errorString();
        return false;
    }
    pandoc.write(markdown);
    pandoc.closeWriteChannel();
    const bool ok = pandoc.waitForFinished(60000) && pandoc.exitStatus() == QProcess::NormalExit &&
                    pandoc.exitCode() == 0 && QFileInfo(output).size() > 0;
    if (!ok && error)
        *error = QString::fromLocal8Bit(pandoc.readAllStandardError());
    return ok;
}

QString Describe(const RunResult &result)
{
    return QStringLiteral("exit %1, out [%2], err [%3]")
        .arg(result.exitCode)
        .arg(QString::fromUtf8(result.out.left(300)), QString::fromUtf8(result.err.left(400)));
}

double AudioSeconds(const QString &path)
{
    QProcess soxi;
    soxi.start(QStringLiteral("soxi"), {QStringLiteral("-D"), path});
    soxi.waitForFinished();
    return soxi.exitCode() == 0 ? soxi.readAllStandardOutput().trimmed().toDouble() : -1;
}
