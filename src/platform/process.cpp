#include "process.h"

#include <QFile>

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace loqa {

int RunAndWait(const QStringList &argv)
{
    if (argv.isEmpty() || argv.first().isEmpty())
        return -1;
    std::vector<QByteArray> bytes;
    bytes.reserve(argv.size());
    for (const QString &a : argv)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char *> args;
    for (QByteArray &b : bytes)
        args.push_back(b.data());
    args.push_back(nullptr);

    pid_t pid = 0;
    // posix_spawnp looks the program up on PATH when it has no slash.
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

} // namespace loqa
