#pragma once

// A headless sway (a wlroots compositor, which offers the data-control
// protocol) on a runtime folder of its own. sway will not run as root: under
// root it runs as nobody, and root's clients reach its socket all the same.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

struct SwaySession {
    QTemporaryDir dir;
    QProcess sway;
    // WAYLAND_DISPLAY for the clients: the socket's absolute path.
    QString socket;

    static bool available() { return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty(); }

    // False (with the reason in `why`) when sway did not come up within 20 s.
    bool start(QString *why)
    {
        const QString config = dir.path() + QStringLiteral("/config");
        QFile file(config);
        if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
            file.write("output HEADLESS-1 resolution 1024x768\n") < 0) {
            *why = QStringLiteral("cannot write sway's configuration");
            return false;
        }
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SWAYSOCK"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        sway.setProcessEnvironment(env);
        sway.setStandardOutputFile(dir.path() + QStringLiteral("/sway.log"));
        sway.setStandardErrorFile(dir.path() + QStringLiteral("/sway.log"));
        if (::geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            if (::chown(QFile::encodeName(dir.path()).constData(), nobody, nobody) != 0) {
                *why = QStringLiteral("cannot hand sway's folder to nobody");
                return false;
            }
            sway.start(QStringLiteral("setpriv"),
                       {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                        QStringLiteral("--clear-groups"), QStringLiteral("sway"), QStringLiteral("-c"), config});
        } else {
            sway.start(QStringLiteral("sway"), {QStringLiteral("-c"), config});
        }
        socket = dir.path() + QStringLiteral("/wayland-1");
        const bool up =
            sway.waitForStarted(10000) &&
            QTest::qWaitFor([&] { return QFileInfo(socket).exists() || sway.state() != QProcess::Running; }, 20000) &&
            sway.state() == QProcess::Running;
        if (!up) {
            QFile log(dir.path() + QStringLiteral("/sway.log"));
            log.open(QIODevice::ReadOnly);
            *why = QStringLiteral("sway did not start: ") + QString::fromLocal8Bit(log.readAll().right(600));
        }
        return up;
    }

    ~SwaySession()
    {
        if (sway.state() != QProcess::NotRunning) {
            sway.terminate();
            if (!sway.waitForFinished(5000))
                sway.kill();
            sway.waitForFinished(2000);
        }
    }
};
