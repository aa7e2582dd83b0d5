#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder, set as LOQA_HOME for the processes a test starts.
class TempHome
{
public:
    TempHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    bool write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

struct RunResult {
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
};

// Runs the loqa executable (LOQA_BIN) with the arguments in `workingDir`.
RunResult RunLoqa(const QStringList &arguments, const QString &workingDir = QString(), int timeoutMs = 60000,
                  const QStringList &extraEnvironment = {});
QString LoqaBinary();
// Writes a file whole; false when it could not.
bool WriteFile(const QString &path, const QByteArray &bytes);
// "exit 1, err [...]": what a failed run said, for a test's message.
QString Describe(const RunResult &result);
// The duration of an audio file in seconds (soxi), -1 when it cannot be read.
double AudioSeconds(const QString &path);
// True when the test runs inside the private session (sound server present).
bool HaveSoundServer();
bool HaveDisplay();
