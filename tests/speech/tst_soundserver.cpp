// The speech component on a real PulseAudio server that this test starts,
// stops and starts again: a later run finds the server again, and a server
// that goes away in the middle of a run ends that run with a report.
#include "speech/mspeech.h"
#include "platform/soundoutput.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A private PulseAudio server with a null sink on a socket of its own.
class PrivateServer
{
public:
    PrivateServer() { QDir().mkpath(m_dir.filePath(QStringLiteral("run"))); }
    ~PrivateServer() { stop(); }

    QString address() const { return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native")); }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("HOME"), m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--system=no"), QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--disable-shm=yes"),
                        QStringLiteral("--log-target=file:") + m_dir.filePath(QStringLiteral("pulse.log")),
                        QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") +
                            m_dir.filePath(QStringLiteral("native")),
                        QStringLiteral("--load=module-null-sink sink_name=private_null rate=22050 channels=1"),
                        QStringLiteral("--load=module-always-sink")});
        if (!m_server.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QProcess info;
            info.start(QStringLiteral("pactl"), {QStringLiteral("-s"), address(), QStringLiteral("info")});
            if (info.waitForFinished(5000) && info.exitCode() == 0)
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    // Ends the server the hard way, as a crash or a restart by the desktop would.
    void stop()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.kill();
        m_server.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
};

const char *const kShort = "A short sentence.";
const char *const kLong =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost. "
    "The quick brown fox jumps over the lazy dog again, and once more after that.";

// What one text did, in order: "start", "error:<message>", "stop".
struct Run {
    QStringList events;
    QString runError;
    uint32_t lastWord = 0;
    int stops() const { return int(events.count(QStringLiteral("stop"))); }
};

class Recorder
{
public:
    explicit Recorder(TMSpeech &speech) : m_speech(speech)
    {
        speech.OnStart = [this](TMSpeech *) { run.events << QStringLiteral("start"); };
        speech.OnStop = [this](TMSpeech *s) {
            run.events << QStringLiteral("stop");
            run.runError = s->RunError();
            run.lastWord = s->WordPosition();
        };
        speech.OnError = [this](TMSpeech *, int32_t, const QString &m) { run.events << QStringLiteral("error:") + m; };
    }
    void speak(const char *text)
    {
        run = Run();
        m_speech.SpeakText(QString::fromLatin1(text));
    }
    Run run;

private:
    TMSpeech &m_speech;
};

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

private slots:
    void restartedServer_isFoundByTheNextRun()
    {
        PrivateServer server;
        QVERIFY(server.start());
        TMSpeech s(nullptr, speech::CreateEspeakBackend(loqa::CreatePulseSoundOutput(server.address())));
        s.SelectEngine(s.Engines().at(0));
        QVERIFY(s.Selected());
        Recorder rec(s);

        rec.speak(kShort);
        QTRY_COMPARE_WITH_TIMEOUT(rec.run.stops(), 1, 20000);
        QCOMPARE(rec.run.events, QStringList({"start", "stop"}));
        QVERIFY(rec.run.lastWord > 0);

        server.stop();
        rec.speak(kShort);
        QTRY_COMPARE_WITH_TIMEOUT(rec.run.stops(), 1, 20000);
        QCOMPARE(rec.run.events.size(), 2);
        QVERIFY2(rec.run.events.at(0).startsWith(QLatin1String("error:Sound output unavailable: ")),
                 qPrintable(rec.run.events.join(QLatin1Char('|'))));
        QCOMPARE(rec.run.runError, rec.run.events.at(0).mid(6));

        QVERIFY(server.start());
        rec.speak(kShort);
        QTRY_COMPARE_WITH_TIMEOUT(rec.run.stops(), 1, 20000);
        QCOMPARE(rec.run.events, QStringList({"start", "stop"}));
        QVERIFY(rec.run.runError.isEmpty());
        QVERIFY(rec.run.lastWord > 0); // the words were heard, so the sound went out
    }

    void serverGoingAwayDuringARun_endsItWithAReport()
    {
        PrivateServer server;
        QVERIFY(server.start());
        TMSpeech s(nullptr, speech::CreateEspeakBackend(loqa::CreatePulseSoundOutput(server.address())));
        s.SelectEngine(s.Engines().at(0));
        Recorder rec(s);
        rec.speak(kLong);
        QTRY_VERIFY_WITH_TIMEOUT(s.WordPosition() > 0, 20000); // playing
        server.stop();
        QTRY_COMPARE_WITH_TIMEOUT(rec.run.stops(), 1, 20000);
        QTest::qWait(200);
        QCOMPARE(rec.run.events.size(), 3);
        QCOMPARE(rec.run.events.at(0), QStringLiteral("start"));
        QVERIFY2(rec.run.events.at(1).startsWith(QLatin1String("error:Sound output unavailable: ")),
                 qPrintable(rec.run.events.join(QLatin1Char('|'))));
        QCOMPARE(rec.run.events.at(2), QStringLiteral("stop"));
        QVERIFY(rec.run.runError.startsWith(QLatin1String("Sound output unavailable: ")));
    }
};

QTEST_GUILESS_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
