#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace loqa {

namespace {

QString lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

} // namespace

QString InstanceFileName(const QString &name, const QString &suffix)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    // In the shared temporary folder each user gets a name of their own.
    if (qEnvironmentVariable("XDG_RUNTIME_DIR").isEmpty())
        safe += QStringLiteral(" (uid %1)").arg(::getuid());
    return lockFolder() + QLatin1Char('/') + safe + suffix;
}

bool AcquireInstanceLock(const QString &name)
{
    const QByteArray path = QFile::encodeName(InstanceFileName(name, QStringLiteral(".lock")));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return false; // ours now; the descriptor stays open until the process ends
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace loqa
