// The windowed program on a native Wayland session (a headless sway, which
// offers the data-control protocol): the window watches the clipboard through
// it, and text copied with wl-copy is read aloud, heard at the private sound
// server. (Headless sway has no keyboard, so the focus cannot be taken from the
// window here; that copies are heard without it is the watcher's own test.)
#include "sinkrecorder.h"
#include "swaysession.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

namespace {

bool wlCopy(const QString &socket, const QByteArray &text)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    p.setProcessEnvironment(env);
    // wl-copy stays behind to serve the copy: it must not hold our pipes.
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("wl-copy"), {});
    if (!p.waitForStarted(10000))
        return false;
    p.write(text);
    p.closeWriteChannel();
    return p.waitForFinished(15000) && p.exitCode() == 0;
}

// The command lines of the process's children.
QStringList childCommands(qint64 pid)
{
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    QStringList commands;
    if (!children.open(QIODevice::ReadOnly))
        return commands;
    for (const QByteArray &child : children.readAll().split(' ')) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(child.trimmed())));
        if (!child.trimmed().isEmpty() && cmdline.open(QIODevice::ReadOnly))
            commands << QString::fromLocal8Bit(cmdline.readAll().replace('\0', ' ').trimmed());
    }
    return commands;
}

constexpr int kQuietMs = 2500;

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
private slots:
    void copiedElsewhere_isReadAloud()
    {
        if (!HaveSoundServer())
            QSKIP("needs the private sound server");
        LOQA_REQUIRE_OR_SKIP(SwaySession::available() && !QStandardPaths::findExecutable("wl-copy").isEmpty(),
                             "needs sway and wl-clipboard");
        SwaySession sway;
        QString why;
        QVERIFY2(sway.start(&why), qPrintable(why));

        TempHome home;
        QVERIFY(
            home.write(QStringLiteral("loqa.ini"),
                       "[General]\r\nGreeting=0\r\n[Clipboard]\r\nShowPrompt=0\r\nDefAction=0\r\nIgnoreLen=10\r\n"));
        QProcess loqa;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LOQA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), sway.socket);
        env.remove(QStringLiteral("DISPLAY"));
        loqa.setProcessEnvironment(env);
        loqa.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        loqa.start(LoqaBinary(), {});
        QVERIFY(loqa.waitForStarted());
        const auto ended = qScopeGuard([&loqa] {
            loqa.kill();
            loqa.waitForFinished();
        });
        // The window is up once it takes commands.
        QTRY_VERIFY_WITH_TIMEOUT(RunLoqa({QStringLiteral("--command"), QStringLiteral("show")}).exitCode == 0, 20000);
        // The window watches the clipboard through the compositor's data-control
        // protocol: wl-paste runs under it.
        QTRY_VERIFY_WITH_TIMEOUT(childCommands(loqa.processId())
                                         .filter(QRegularExpression(QStringLiteral("^(\\S*/)?wl-paste .*--watch")))
                                         .size() == 1,
                                 10000);

        SinkRecorder rec;
        QVERIFY(rec.start());
        QVERIFY(wlCopy(sway.socket, "Nine char"));
        QTest::qWait(kQuietMs);
        rec.poll();
        QCOMPARE(rec.analyse().heardSeconds, 0.0);
        const double copied = rec.elapsedMs() / 1000.0;
        QVERIFY(wlCopy(sway.socket, "Twelve chars"));
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse(copied).heardSeconds > 0.3), 10000);

        QCOMPARE(RunLoqa({QStringLiteral("--command"), QStringLiteral("exit")}).exitCode, 0);
        QVERIFY(loqa.waitForFinished(15000));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestWayland test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_wayland.moc"
