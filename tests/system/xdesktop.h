#pragma once

// The private X desktop as the system tests drive it: xdotool as the user's
// hands, windows found by title or resource name, screenshots when asked for.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTest>

// Runs xdotool (within 15 s) and returns what it printed.
inline QString xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(15000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The first visible window whose title (or, with "--classname", resource name) is
// `name`, waited for up to 10 s; empty when none appeared.
inline QString findWindow(const QString &name, const QString &by = QStringLiteral("--name"))
{
    QString id;
    const bool found = QTest::qWaitFor(
        [&] {
            id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), by,
                          QStringLiteral("^") + name + QStringLiteral("$")})
                     .section(QLatin1Char('\n'), 0, 0);
            return !id.isEmpty();
        },
        10000);
    return found ? id : QString();
}

// Saves a picture of the whole screen as NAME.png in LOQA_SCREENSHOT_DIR, when it is set.
inline void saveScreenshot(const QString &name)
{
    const QString dir = qEnvironmentVariable("LOQA_SCREENSHOT_DIR");
    if (dir.isEmpty() || !QGuiApplication::primaryScreen())
        return;
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
