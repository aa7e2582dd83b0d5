#include "app/cmdline.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

class TestCmdLine : public QObject
{
    Q_OBJECT

private slots:
    void switches_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("value");
        QTest::newRow("default engine") << QStringList{"/tts", "hi"} << "-e" << false << "0";
        QTest::newRow("default speed is empty") << QStringList{"/tts", "hi"} << "-s" << false << "";
        QTest::newRow("default realtime") << QStringList{"/ttw", "hi"} << "-w" << false << "8";
        QTest::newRow("default resample") << QStringList{"/ttm", "hi"} << "-r" << false << "automatic";
        QTest::newRow("default bitrate") << QStringList{"/ttm", "hi"} << "-b" << false << "128";
        QTest::newRow("default mode") << QStringList{"/ttm", "hi"} << "-m" << false << "s";
        QTest::newRow("default quality") << QStringList{"/ttm", "hi"} << "-q" << false << "5";
        QTest::newRow("upper-case switch") << QStringList{"/tts", "hi", "-E", "3"} << "-e" << true << "3";
        QTest::newRow("later wins") << QStringList{"/tts", "hi", "-s", "100", "-s", "200"} << "-s" << true << "200";
        QTest::newRow("last argument") << QStringList{"/ttw", "hi", "-w"} << "-w" << true << "";
        QTest::newRow("switch as value") << QStringList{"/tts", "hi", "-e", "-s", "5"} << "-e" << true << "-s";
        QTest::newRow("and examined too") << QStringList{"/tts", "hi", "-e", "-s", "5"} << "-s" << true << "5";
        QTest::newRow("in position 2") << QStringList{"/tts", "-e", "1", "notes.txt"} << "-e" << true << "1";
    }

    void switches()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, name);
        QFETCH(bool, given);
        QFETCH(QString, value);
        TQMCmdLine cmd(args);
        cmd.ParseSwitches();
        const auto &s = cmd.switchFor(name.toLatin1().constData());
        QCOMPARE(QString::fromLatin1(s.name), name);
        QCOMPARE(s.given, given);
        QCOMPARE(s.value, value);
    }

    // The voice report goes to whoever reads standard output; only output that
    // goes nowhere, on a desktop, makes it a message box.
    void reportSink_followsWhereStandardOutputGoes()
    {
        using Sink = TQMCmdLine::MessageSink;
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        int socketEnds[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM, 0, socketEnds) == 0);
        QTemporaryDir dir;
        const int file =
            ::open(QFile::encodeName(dir.filePath(QStringLiteral("voices.txt"))).constData(), O_WRONLY | O_CREAT, 0600);
        const int null = ::open("/dev/null", O_WRONLY);
        QVERIFY(file >= 0 && null >= 0);
        const auto closeAll = qScopeGuard([&] {
            for (int fd : {pipeEnds[0], pipeEnds[1], socketEnds[0], socketEnds[1], file, null})
                ::close(fd);
        });
        QCOMPARE(TQMCmdLine::ReportSink(pipeEnds[1], true), Sink::StandardOutput);   // loqa /e | less
        QCOMPARE(TQMCmdLine::ReportSink(file, true), Sink::StandardOutput);          // loqa /e > voices.txt
        QCOMPARE(TQMCmdLine::ReportSink(socketEnds[0], true), Sink::StandardOutput); // a program's socket
        QCOMPARE(TQMCmdLine::ReportSink(null, true), Sink::MessageBox);              // a launcher
        const int closed = ::dup(null);
        ::close(closed);
        QCOMPARE(TQMCmdLine::ReportSink(closed, true), Sink::MessageBox);
        // Without a desktop there is no box to show.
        QCOMPARE(TQMCmdLine::ReportSink(null, false), Sink::StandardOutput);
        // A terminal, when this machine can make one.
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            const int terminal = ::open(::ptsname(master), O_WRONLY | O_NOCTTY);
            QVERIFY(terminal >= 0);
            QCOMPARE(TQMCmdLine::ReportSink(terminal, true), Sink::StandardOutput);
            ::close(terminal);
        }
        if (master >= 0)
            ::close(master);
    }

    void outputNames()
    {
        QTemporaryDir dir;
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(notes);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(TQMCmdLine::WavOutputName(notes, QString()), dir.filePath(QStringLiteral("notes.wav")));
        QCOMPARE(TQMCmdLine::WavOutputName(notes, QStringLiteral("out.MP3")), QStringLiteral("out.wav"));
        QCOMPARE(TQMCmdLine::WavOutputName(notes, QStringLiteral("a/out.Wav")), QStringLiteral("a/out.wav"));
        QCOMPARE(TQMCmdLine::WavOutputName(notes, QStringLiteral("out.txt")),
                 dir.filePath(QStringLiteral("notes.wav")));
        QCOMPARE(TQMCmdLine::WavOutputName(QStringLiteral("hello"), QStringLiteral("x.wav")),
                 QStringLiteral("output.wav"));
        QCOMPARE(TQMCmdLine::WavOutputName(QString(), QString()), QStringLiteral("output.wav"));
        QCOMPARE(TQMCmdLine::WavOutputName(dir.path(), QStringLiteral("x.wav")), QStringLiteral("output.wav"));

        QCOMPARE(TQMCmdLine::ConvertedOutputName("talk.wav", "out.txt", ".mp3"), QStringLiteral("talk.mp3"));
        QCOMPARE(TQMCmdLine::ConvertedOutputName("talk.wav", "-b", ".mp3"), QStringLiteral("talk.mp3"));
        QCOMPARE(TQMCmdLine::ConvertedOutputName("talk.mp3", "back.WAV", ".wav"), QStringLiteral("back.WAV"));
        QCOMPARE(TQMCmdLine::ReplaceExtension("dir.v2/file", ".wav"), QStringLiteral("dir.v2/file.wav"));
        QCOMPARE(TQMCmdLine::ReplaceExtension("a/b.c.txt", ".wav"), QStringLiteral("a/b.c.wav"));
    }
};

QTEST_GUILESS_MAIN(TestCmdLine)
#include "tst_cmdline.moc"
