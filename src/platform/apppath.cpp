#include "platform/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

#ifndef LOQA_DATA_DIR
#define LOQA_DATA_DIR "/usr/local/share/loqa"
#endif

namespace loqa {

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString executablePath()
{
    // Works before any application object exists.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return target;
    return QCoreApplication::applicationFilePath();
}

} // namespace

QString ApplicationTitleFor(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString ApplicationTitle()
{
    static const QString title = ApplicationTitleFor(executablePath());
    return title;
}

QString ExecutableDir()
{
    return withSlash(QFileInfo(executablePath()).absolutePath());
}

namespace {

// An installed program finds its data in share/loqa beside its bin/ folder,
// wherever the tree was installed to.
QString InstalledBesideBin()
{
    const QString relative = QDir::cleanPath(ExecutableDir() + QStringLiteral("../share/loqa"));
    return QFileInfo(relative).isDir() ? withSlash(relative) : QString();
}

QString InstalledDataDir()
{
    const QString relative = InstalledBesideBin();
    if (!relative.isEmpty())
        return relative;
    const QString configured = QStringLiteral(LOQA_DATA_DIR);
    return QFileInfo(configured).isDir() ? withSlash(configured) : QString();
}

} // namespace

QString AppPath()
{
    const QString home = qEnvironmentVariable("LOQA_HOME");
    if (!home.isEmpty())
        return withSlash(QDir::cleanPath(QDir(home).absolutePath()));
    // A portable copy keeps its files beside itself; an installed one never writes there.
    const QString exeDir = ExecutableDir();
    if (InstalledBesideBin().isEmpty() && ::access(QFile::encodeName(exeDir).constData(), W_OK) == 0)
        return exeDir;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(data) + QStringLiteral("loqa/");
}

QString CompanionFile(const QString &name)
{
    const QString beside = ExecutableDir() + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString data = InstalledDataDir();
    if (!data.isEmpty() && QFileInfo::exists(data + name))
        return data + name;
    return {};
}

} // namespace loqa
