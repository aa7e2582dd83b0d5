#include "process.h"

#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

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

// Waits for the child without a limit.
bool waitFor(pid_t pid, int *status)
{
    while (::waitpid(pid, status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// Ends a child that outlived its limits: asks first, then insists.
void endChild(pid_t pid, int *status)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, status, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    waitFor(pid, status);
}

// Waits for the child while watching the cancel flag and the clock; returns
// 0 when it ended by itself, else RunCancelled or RunTimedOut.
int waitWithin(pid_t pid, int *status, const RunLimits &limits)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    for (;;) {
        const pid_t done = ::waitpid(pid, status, WNOHANG);
        if (done == pid)
            return 0;
        if (done < 0 && errno != EINTR)
            return RunNotStarted;
        if (limits.cancel && limits.cancel->load()) {
            endChild(pid, status);
            return RunCancelled;
        }
        if (limits.timeoutMs >= 0 && Clock::now() >= deadline) {
            endChild(pid, status);
            return RunTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

int RunAndWait(const QStringList &argv, int showCommand, QString *errorLine, const RunLimits &limits)
{
    if (argv.isEmpty() || argv.first().isEmpty())
        return -1;
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(argv.size()));
    for (const QString &a : argv)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char *> args;
    for (QByteArray &b : bytes)
        args.push_back(b.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    QTemporaryFile errors;
    QByteArray errorPath;
    const bool hidden = showCommand == 0;
    if (hidden) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (errors.open()) {
            errorPath = QFile::encodeName(errors.fileName());
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.constData(), O_WRONLY | O_TRUNC, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        }
    }
    pid_t pid = 0;
    // posix_spawnp looks the program up on PATH when it has no slash.
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (limits.cancel || limits.timeoutMs >= 0) {
        const int ended = waitWithin(pid, &status, limits);
        if (ended != 0)
            return ended;
    } else if (!waitFor(pid, &status)) {
        return RunNotStarted;
    }
    if (errorLine && !errorPath.isEmpty())
        *errorLine = lastLine(errors.fileName());
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

} // namespace loqa
