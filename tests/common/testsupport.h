#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

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
// The same with a program in front of it (prlimit, timeout …), which starts loqa.
RunResult RunLoqaPrefixed(const QStringList &prefix, const QStringList &arguments, const QString &workingDir,
                          int timeoutMs = 120000);
QString LoqaBinary();
// Writes a file whole; false when it could not.
bool WriteFile(const QString &path, const QByteArray &bytes);
// A book of three chapters as Markdown: the source the document tests turn into
// other formats.
extern const char kBookMarkdown[];
// Makes `output` from Markdown with pandoc (the format from its extension, or
// `to`); false, with pandoc's complaint in `error`, when it could not.
bool MakeWithPandoc(const QByteArray &markdown, const QString &output, const QString &to = QString(),
                    QString *error = nullptr);
// "exit 1, err [...]": what a failed run said, for a test's message.
QString Describe(const RunResult &result);
// The duration of an audio file in seconds (soxi), -1 when it cannot be read.
double AudioSeconds(const QString &path);
// True when the test runs inside the private session (sound server present).
bool HaveSoundServer();
bool HaveDisplay();
// True inside the private session with all its parts (LOQA_NO_SKIP=1): there a
// missing part is a broken session, not a reason to skip.
bool SkipsAreFailures();

// Skips the test when a real part it needs is missing, as a developer running one
// test by hand expects; inside the full session the same absence fails it, so
// that a green run means every test ran.
#define LOQA_REQUIRE_OR_SKIP(condition, why)                                                                           \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            if (SkipsAreFailures())                                                                                    \
                QFAIL("LOQA_NO_SKIP=1: " why);                                                                         \
            QSKIP(why);                                                                                                \
        }                                                                                                              \
    } while (false)
