// The MP3 commands of the executable: a stand-in encoder that records what it is
// given, and the real encoder on real files.
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString soxiField(const QString &path, const QString &field)
{
    QProcess soxi;
    soxi.start(QStringLiteral("soxi"), {field, path});
    soxi.waitForFinished();
    return QString::fromUtf8(soxi.readAllStandardOutput().trimmed());
}

// Renders a WAV of some speech with the real engine.
QString speech(const QTemporaryDir &dir, const QString &name)
{
    const QString text = dir.filePath(name + QStringLiteral(".txt"));
    WriteFile(text, "A few sentences of speech for the encoder. It turns them into an MP3 file and back again.");
    RunLoqa({QStringLiteral("/ttw"), text, QStringLiteral("-w"), QStringLiteral("0")}, dir.path());
    QFile::remove(text);
    return dir.filePath(name + QStringLiteral(".wav"));
}

} // namespace

class TestMp3Commands : public QObject
{
    Q_OBJECT

private slots:
    // The encoder beside the executable is used, and gets exactly the expected vector.
    void standIn_receivesTheExactArguments()
    {
        QTemporaryDir app, work;
        const QString exe = app.filePath(QStringLiteral("loqa"));
        QVERIFY(QFile::copy(LoqaBinary(), exe));
        const QString record = app.filePath(QStringLiteral("args.txt"));
        QVERIFY(WriteFile(app.filePath(QStringLiteral("lame")),
                          QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\n"
                                         "for last in \"$@\"; do :; done\necho made > \"$last\"\n"
                                         "echo \"stand-in says no\" >&2\nexit ${STANDIN_EXIT:-0}\n")
                              .arg(record)
                              .toUtf8()));
        QFile::setPermissions(app.filePath(QStringLiteral("lame")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString input = work.filePath(QStringLiteral("-my \"talk\".wav"));
        QVERIFY(WriteFile(input, "RIFF"));
        auto run = [&](const QStringList &args) {
            QProcess p;
            p.setWorkingDirectory(work.path());
            p.start(exe, args);
            p.waitForFinished(30000);
            QFile f(record);
            f.open(QIODevice::ReadOnly);
            QString recorded = QString::fromUtf8(f.readAll());
            f.close();
            f.remove();
            return std::make_pair(p.exitCode(), recorded.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        };
        auto [status, args] = run({"/wtm", input, "-b", "64"});
        QCOMPARE(status, 0);
        const QString mp3 = work.filePath(QStringLiteral("-my \"talk\".mp3"));
        QCOMPARE(args, (QStringList{"-b", "64", "-m", "s", "-q", "5", input, mp3}));

        std::tie(status, args) = run({"/MTW", input, "back.WAV", "-r", "44.1", "-q", "2", "-m", "j"});
        QCOMPARE(status, 0);
        QCOMPARE(args,
                 (QStringList{"--decode", "--resample", "44.1", "-b", "128", "-m", "j", "-q", "2", input, "back.WAV"}));

        // An encoder that fails is not a success, whatever file it left.
        qputenv("STANDIN_EXIT", "3");
        std::tie(status, args) = run({"/wtm", input});
        qunsetenv("STANDIN_EXIT");
        QCOMPARE(status, 1);
        QCOMPARE(args.size(), 8);

        std::tie(status, args) = run({"/wtm", "-relative.wav"});
        QCOMPARE(status, 1); // no such file: a reason, not a silent success
        QVERIFY(args.isEmpty());
    }

    void ttm_leavesTheMp3AndNoWav()
    {
        QTemporaryDir work, docs;
        const QString notes = docs.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, "These notes become an MP3 file. The WAV in between goes away."));
        RunResult r = RunLoqa({"/ttm", notes, "-w", "0"}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(docs.filePath(QStringLiteral("notes.mp3"))) > 2.0);
        QVERIFY(!QFile::exists(docs.filePath(QStringLiteral("notes.wav"))));

        r = RunLoqa({"/ttm", notes, "out.mp3", "-w", "0"}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("out.mp3"))));
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("out.wav"))));

        r = RunLoqa({"/ttm", "hello", "-w", "0"}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("output.mp3"))));
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("output.wav"))));
    }

    void roundTrip_keepsTheDurationAndTheBitRate()
    {
        QTemporaryDir work;
        const QString wav = speech(work, QStringLiteral("my talk"));
        const double original = AudioSeconds(wav);
        QVERIFY(original > 3.0);
        RunResult r = RunLoqa({"/wtm", wav, "out.txt", "-b", "64"}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        const QString mp3 = work.filePath(QStringLiteral("my talk.mp3"));
        QVERIFY(qAbs(AudioSeconds(mp3) - original) < original * 0.05);
        QCOMPARE(soxiField(mp3, QStringLiteral("-B")), QStringLiteral("64.0k"));

        r = RunLoqa({"/mtw", mp3, "back.WAV"}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(qAbs(AudioSeconds(work.filePath(QStringLiteral("back.WAV"))) - original) < original * 0.05);
    }

    void failures_areReportedAndTheRenderingKept()
    {
        QTemporaryDir work;
        const QString wav = speech(work, QStringLiteral("talk"));
        RunResult r = RunLoqa({"/wtm", wav, "/proc/talk.mp3"}, work.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("/proc/talk.mp3") && r.err.count('\n') == 1, r.err.constData());

        r = RunLoqa({"/mtw", work.filePath(QStringLiteral("missing.mp3"))}, work.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("does not exist"));

        // Without an encoder, /ttm keeps the finished WAV and says where it is.
        const QString notes = work.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, "Kept speech."));
        r = RunLoqa({"/ttm", notes, "-w", "0"}, work.path(), 60000, {QStringLiteral("PATH=/nonexistent")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("could not be started") && r.err.contains("notes.wav"), r.err.constData());
        QVERIFY(AudioSeconds(work.filePath(QStringLiteral("notes.wav"))) > 0.5);
        QFile::remove(work.filePath(QStringLiteral("notes.wav")));

        // An encoder that never ends is ended when its time is up.
        QTemporaryDir app;
        const QString exe = app.filePath(QStringLiteral("loqa"));
        QVERIFY(QFile::copy(LoqaBinary(), exe));
        QVERIFY(WriteFile(app.filePath(QStringLiteral("lame")), "#!/bin/sh\nexec sleep 6123\n"));
        QFile::setPermissions(app.filePath(QStringLiteral("lame")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess hung;
        hung.setWorkingDirectory(work.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LOQA_MP3_TIME_LIMIT_MS"), QStringLiteral("500"));
        hung.setProcessEnvironment(env);
        hung.start(exe, {QStringLiteral("/ttm"), notes, QStringLiteral("-w"), QStringLiteral("0")});
        QVERIFY(hung.waitForFinished(60000));
        const QByteArray err = hung.readAllStandardError();
        QCOMPARE(hung.exitCode(), 1);
        QVERIFY2(err.contains("took too long") && err.contains("notes.wav"), err.constData());
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("notes.wav"))));
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("notes.mp3"))));
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("sleep 6123")});
        QVERIFY(pgrep.waitForFinished(10000));
        QCOMPARE(pgrep.exitCode(), 1); // no encoder left behind
    }
};

QTEST_GUILESS_MAIN(TestMp3Commands)
#include "tst_mp3commands.moc"
