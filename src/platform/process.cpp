#include "process.h"

#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
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

} // namespace

int RunAndWait(const QStringList &argv, int showCommand, QString *errorLine)
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
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (errorLine && !errorPath.isEmpty())
        *errorLine = lastLine(errors.fileName());
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

} // namespace loqa
