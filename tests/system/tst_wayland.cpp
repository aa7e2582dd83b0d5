// The windowed program on a native Wayland session (a headless sway, which
// offers the data-control protocol): text copied with wl-copy while Loquora has
// no keyboard focus is read aloud, heard at the private sound server.
#include "sinkrecorder.h"
#include "swaysession.h"
#include "testsupport.h"

#include <QDir>
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

// swaymsg on sway's own IPC socket.
QString swaymsg(const SwaySession &sway, const QStringList &args)
{
    const QStringList sockets = QDir(sway.dir.path()).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
    if (sockets.isEmpty())
        return {};
    QProcess p;
    p.start(QStringLiteral("swaymsg"), QStringList{QStringLiteral("-s"), sway.dir.filePath(sockets.first())} + args);
    p.waitForFinished(15000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

constexpr int kQuietMs = 2500;

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
private slots:
    void copiedElsewhere_withoutTheFocus_isReadAloud()
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
        QTRY_VERIFY_WITH_TIMEOUT(
            swaymsg(sway, {QStringLiteral("-t"), QStringLiteral("get_tree")}).contains(QLatin1String("Loquora")),
            10000);
        // Another workspace takes the keyboard from the window: what it hears now
        // comes through the compositor's data-control protocol.
        swaymsg(sway, {QStringLiteral("workspace"), QStringLiteral("2")});
        QTRY_VERIFY_WITH_TIMEOUT(swaymsg(sway, {QStringLiteral("-t"), QStringLiteral("get_workspaces")})
                                     .contains(QLatin1String("\"name\": \"2\"")),
                                 5000);

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
