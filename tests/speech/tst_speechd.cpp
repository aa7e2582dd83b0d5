// The speech-dispatcher back end through the speech component, against a
// daemon of the test's own that plays into the private session's null sink.
#include "speech/lexicon.h"
#include "speech/mspeech.h"
#include "speech/speechd/speechdbackend.h"
#include "speech/speechd/speechdsession.h"
#include "sinkrecorder.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

#include <algorithm>
#include <vector>

namespace {

const char *const kProse =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost.";

const char *const kModeSuffix = " (speech-dispatcher espeak-ng)";

// A speech-dispatcher of the test's own: its configuration and socket in a
// private folder, espeak-ng as its module, its sound on the session's sound
// server. The client side finds it through SPEECHD_ADDRESS.
class PrivateDispatcher
{
public:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")); }

    ~PrivateDispatcher()
    {
        if (m_process.state() != QProcess::NotRunning) {
            setStopped(false);
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                kill();
        }
        if (m_hadAddress)
            qputenv("SPEECHD_ADDRESS", m_savedAddress);
        else
            qunsetenv("SPEECHD_ADDRESS");
    }

    QString socketPath() const { return m_dir.filePath(QStringLiteral("run/speechd.sock")); }

    bool start(QString *why)
    {
        const QString config = m_dir.filePath(QStringLiteral("config/speech-dispatcher"));
        const QString run = m_dir.filePath(QStringLiteral("run"));
        if (!QDir().mkpath(config + QStringLiteral("/modules")) || !QDir().mkpath(run) ||
            !QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
            *why = QStringLiteral("cannot make the daemon's folders");
            return false;
        }
        if (!WriteFile(config + QStringLiteral("/speechd.conf"),
                       "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                       "DefaultModule espeak-ng\n"
                       "AudioOutputMethod \"pulse\"\n"
                       "LogLevel 3\n") ||
            !WriteFile(config + QStringLiteral("/modules/espeak-ng.conf"), "EspeakIndexing 1\n")) {
            *why = QStringLiteral("cannot write the daemon's configuration");
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The session's sound server is found where its runtime folder says, which the daemon's own replaces.
        const QString runtime = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
        if (!env.contains(QStringLiteral("PULSE_SERVER")) && !runtime.isEmpty())
            env.insert(QStringLiteral("PULSE_SERVER"),
                       QStringLiteral("unix:") + runtime + QStringLiteral("/pulse/native"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
        env.remove(QStringLiteral("SPEECHD_ADDRESS"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("daemon.out")));
        m_process.start(program(),
                        {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0"), QStringLiteral("-c"),
                         QStringLiteral("unix_socket"), QStringLiteral("-S"), socketPath(), QStringLiteral("-C"),
                         config, QStringLiteral("-L"), m_dir.filePath(QStringLiteral("log"))});
        if (!m_process.waitForStarted(5000)) {
            *why = QStringLiteral("the daemon did not start: ") + m_process.errorString();
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo(socketPath()).exists()) {
            if (m_process.state() != QProcess::Running || clock.elapsed() > 15000) {
                *why = QStringLiteral("the daemon did not listen: ") + log();
                return false;
            }
            QTest::qWait(50);
        }
        m_hadAddress = qEnvironmentVariableIsSet("SPEECHD_ADDRESS");
        m_savedAddress = qgetenv("SPEECHD_ADDRESS");
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + QFile::encodeName(socketPath()));
        return true;
    }

    // Ends the daemon at once, as a crash would.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        // Its module processes end when they read the end of their pipe.
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Stops the daemon as a debugger or a hung machine would, or lets it go on.
    void setStopped(bool stopped)
    {
        if (m_process.state() != QProcess::NotRunning)
            ::kill(pid_t(m_process.processId()), stopped ? SIGSTOP : SIGCONT);
    }

    QString log() const
    {
        QFile f(m_dir.filePath(QStringLiteral("daemon.out")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(2000)) : QString();
    }

private:
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/sd-XXXXXX")};
    QProcess m_process;
    bool m_hadAddress = false;
    QByteArray m_savedAddress;
};

std::shared_ptr<speech::Backend> newBackend()
{
    return speech::speechd::CreateBackend(std::make_shared<speech::Lexicon>());
}

// The British English voice without a variant.
QString britishVoice(TMSpeech &s)
{
    for (const QString &name : s.Engines()) {
        TMSpeechEngineInfo info;
        if (s.GetEngineInfo(name, info) && info.Language.compare(QLatin1String("en-GB"), Qt::CaseInsensitive) == 0 &&
            !name.contains(QLatin1Char('+')))
            return name;
    }
    return {};
}

} // namespace

class TestSpeechd : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        LOQA_REQUIRE_OR_SKIP(!PrivateDispatcher::program().isEmpty(), "needs the speech-dispatcher program");
    }

    // Every voice of the module is listed, named after it, with the same ids
    // each time; a second list comes from the cache at once.
    void voices_areListedWithTheModuleName()
    {
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        QElapsedTimer clock;
        clock.start();
        auto backend = newBackend();
        TMSpeech first(nullptr, backend);
        const qint64 firstMs = clock.elapsed();
        clock.restart();
        TMSpeech second(nullptr, newBackend());
        const qint64 secondMs = clock.elapsed();
        qInfo("%lld voices: the first list took %lld ms, the next %lld ms", qlonglong(first.Engines().size()),
              qlonglong(firstMs), qlonglong(secondMs));
        QVERIFY2(first.Engines().size() > 100, qPrintable(daemon.log()));
        // The list is kept for the next start of the program, which offers it at once.
        const QDir kept(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        QStringLiteral("/loqa"));
        const QStringList files = kept.entryList({QStringLiteral("speech-dispatcher-voices-*")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QFile list(kept.filePath(files.first()));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll().count('\n'), first.Engines().size());
        QCOMPARE(second.Engines(), first.Engines());
        QVERIFY(secondMs < 1000);
        for (const QString &name : first.Engines())
            QVERIFY2(name.endsWith(QLatin1String(kModeSuffix)), qPrintable(name));
        const QString british = britishVoice(first);
        QVERIFY(!british.isEmpty());
        TMSpeechEngineInfo info, again;
        QVERIFY(first.GetEngineInfo(british, info));
        QVERIFY(second.GetEngineInfo(british, again));
        QCOMPARE(info.Manufacturer, QStringLiteral("speech-dispatcher"));
        QCOMPARE(info.Product, QStringLiteral("speech-dispatcher espeak-ng"));
        QCOMPARE(info.ModeID, again.ModeID);
        QCOMPARE(info.EngineID, again.EngineID);
        QCOMPARE(info.Features & int32_t(speech::FeatureFileOutput), 0);
        QVERIFY(info.Features & int32_t(speech::FeatureWordPosition));
        TMSpeechEngineInfo other;
        QVERIFY(first.GetEngineInfo(first.Engines().at(0), other));
        QVERIFY(other.ModeID != info.ModeID);
        QCOMPARE(other.EngineID, info.EngineID);
    }

    // A book goes to the daemon a piece at a time: in one message it kept the
    // daemon silent. Pieces end at a sentence's end, within the limit.
    void longText_isHeardAtOnceInPieces()
    {
        speech::speechd::Utterance u;
        for (int i = 0; i < 400; ++i)
            u.text += i % 7 == 6 ? "end. " : "word ";
        for (uint32_t at = 0; at < u.text.size(); at += 5)
            u.words.emplace_back(at, at);
        size_t from = 0, pieces = 0;
        while (from < u.words.size()) {
            const size_t to = speech::speechd::PieceEnd(u, from);
            QVERIFY(to > from);
            const size_t end = to < u.words.size() ? u.words[to].first : u.text.size();
            QVERIFY(end - u.words[from].first <= 2000);
            if (to < u.words.size())
                QVERIFY2(u.text.compare(u.words[to].first - 5, 5, "end. ") == 0, u.text.substr(0, end).c_str());
            from = to;
            ++pieces;
        }
        QCOMPARE(pieces, size_t(1)); // 2,000 bytes: one piece
        u.text += u.text;
        for (uint32_t at = 2000; at < u.text.size(); at += 5)
            u.words.emplace_back(at, at);
        QVERIFY(speech::speechd::PieceEnd(u, 0) < u.words.size());

        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        SinkRecorder rec;
        QVERIFY(rec.start());
        TMSpeech s(nullptr, newBackend());
        s.SelectEngine(britishVoice(s));
        QVERIFY2(s.Selected(), qPrintable(s.LastSelectError()));
        QString book;
        while (book.size() < 1000000)
            book += QStringLiteral("It was a bright cold day in April, and the clocks were striking thirteen. ");
        s.Text = QStringList{book};
        s.Speak();
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5 && s.WordPosition() > 0), 5000);
        s.Stop();
    }

    // Sound at the null sink, the words as they are heard, a pause that brings
    // silence and a resume that goes on from the word it paused on, then two
    // texts in a row, each with its start and its stop.
    void device_isHeardWithWordPositionsPauseAndResume()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        SinkRecorder rec;
        QVERIFY(rec.start());
        TMSpeech s(nullptr, newBackend());
        const QString voice = britishVoice(s);
        QVERIFY2(!voice.isEmpty(), qPrintable(daemon.log()));
        s.SelectEngine(voice);
        QVERIFY2(s.Selected(), qPrintable(s.LastSelectError()));

        QStringList events;
        std::vector<uint32_t> words;
        std::vector<double> wordAt; // seconds on the recording's clock
        double spokenAt = 0;
        s.OnStart = [&](TMSpeech *) { events << QStringLiteral("start"); };
        s.OnStop = [&](TMSpeech *) { events << QStringLiteral("stop"); };
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { events << QStringLiteral("error:") + m; };
        s.OnWordPosition = [&](TMSpeech *sender) {
            if (words.empty() || words.back() != sender->WordPosition()) {
                words.push_back(sender->WordPosition());
                wordAt.push_back(rec.elapsedMs() / 1000.0);
            }
        };
        const QString text = QString::fromLatin1(kProse) + QStringLiteral(" ") + QString::fromLatin1(kProse);
        const QByteArray bytes = text.toUtf8();
        spokenAt = rec.elapsedMs() / 1000.0;
        s.SpeakText(text);
        QVERIFY(s.LastSpeakError().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 1.0 && words.size() >= 4), 20000);
        const double firstWordDelay = wordAt.front() - spokenAt;

        // Pause: silence comes and lasts, and the words stand still.
        s.Pause();
        rec.poll();
        const double pausedAt = rec.recordedSeconds();
        const auto silentSince = [&rec](double from, double seconds) {
            rec.poll();
            const double end = rec.recordedSeconds();
            return end - from >= seconds && rec.analyse(end - seconds, end).heardSeconds == 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(silentSince(pausedAt, 0.8), 20000);
        const double pauseSound = rec.analyse(pausedAt, rec.recordedSeconds() - 0.8).heardSeconds;
        // Well before the text could have ended by itself (the recording lags a little).
        QVERIFY2(pauseSound < 0.5, qPrintable(QStringLiteral("%1 s of sound after Pause").arg(pauseSound)));
        const uint32_t pausedOn = words.back();
        QTest::qWait(500);
        QCOMPARE(words.back(), pausedOn);

        // Resume: on from the word it paused on, not from the start.
        s.Resume();
        rec.poll();
        const double resumedAt = rec.recordedSeconds();
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse(resumedAt).heardSeconds > 0.5), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(events.count(QStringLiteral("stop")), 1, 60000);
        rec.poll();
        QCOMPARE(events, (QStringList{"start", "stop"}));
        QVERIFY(s.RunError().isEmpty());
        QVERIFY2(words.size() >= 30, qPrintable(QString::number(words.size())));
        for (size_t i = 0; i < words.size(); ++i) {
            const uint32_t at = words[i];
            QVERIFY(at < uint32_t(bytes.size()));
            QVERIFY2(at == 0 || bytes[at - 1] == ' ', qPrintable(QString::fromUtf8(bytes.mid(at, 12))));
            if (i > 0)
                QVERIFY2(at > words[i - 1], qPrintable(QStringLiteral("%1 after %2").arg(at).arg(words[i - 1])));
        }
        QCOMPARE(words.back(), uint32_t(bytes.lastIndexOf(' ') + 1));
        // Each word is delivered about when it is heard: the first after the sound began.
        const auto whole = rec.analyse();
        qInfo("textData to the first word %.0f ms; sound began %.0f ms after textData, the first word %.0f ms after "
              "the sound; %.2f s of sound after Pause",
              firstWordDelay * 1000, (whole.firstSound - spokenAt) * 1000, (wordAt.front() - whole.firstSound) * 1000,
              pauseSound);

        // Two texts queued at once: spoken in order, each with its own start and
        // stop, every word seen. Three times, for the delay to the first word.
        std::vector<qint64> delays;
        for (int round = 0; round < 3; ++round) {
            events.clear();
            words.clear();
            QElapsedTimer sinceText;
            sinceText.start();
            qint64 firstWord = -1;
            s.OnWordPosition = [&](TMSpeech *sender) {
                if (firstWord < 0)
                    firstWord = sinceText.elapsed();
                if (words.empty() || words.back() != sender->WordPosition())
                    words.push_back(sender->WordPosition());
            };
            s.SpeakText(QStringLiteral("First of two."));
            s.SpeakText(QStringLiteral("And the second one."));
            QTRY_COMPARE_WITH_TIMEOUT(events.count(QStringLiteral("stop")), 2, 30000);
            QTest::qWait(200);
            QCOMPARE(events, (QStringList{"start", "stop", "start", "stop"}));
            QCOMPARE(words, (std::vector<uint32_t>{0, 6, 9, 0, 4, 8, 15}));
            delays.push_back(firstWord);
        }
        std::sort(delays.begin(), delays.end());
        qInfo("textData to the first word position: median %lld ms of %lld, %lld, %lld", qlonglong(delays[1]),
              qlonglong(delays[0]), qlonglong(delays[1]), qlonglong(delays[2]));

        // A dictionary's abbreviation is spoken in full (the text takes longer),
        // and the words stay on the text as it was given: on "BBC" while its
        // replacement is spoken.
        {
            QTemporaryDir dir;
            const QString path = speech::OwnLexiconPath(dir.path());
            QVERIFY(WriteFile(path, "BBC\tBritish Broadcasting Corporation\n"));
            auto lexicon = std::make_shared<speech::Lexicon>();
            lexicon->setFiles(path, {});
            TMSpeech dict(nullptr, speech::speechd::CreateBackend(lexicon));
            dict.SelectEngine(voice);
            QVERIFY(dict.Selected());
            const QString abbreviated = QStringLiteral("The BBC reports news today.");
            const auto speakTimed = [&](TMSpeech &component, std::vector<uint32_t> &seen) {
                QElapsedTimer clock;
                qint64 startMs = -1, stopMs = -1;
                component.OnWordPosition = [&](TMSpeech *sender) {
                    if (seen.empty() || seen.back() != sender->WordPosition())
                        seen.push_back(sender->WordPosition());
                };
                component.OnStart = [&](TMSpeech *) { startMs = clock.elapsed(); };
                component.OnStop = [&](TMSpeech *) { stopMs = clock.elapsed(); };
                clock.start();
                component.SpeakText(abbreviated);
                if (!QTest::qWaitFor([&] { return stopMs >= 0; }, 30000) || startMs < 0)
                    return qint64(-1);
                return stopMs - startMs;
            };
            std::vector<uint32_t> plainWords, fullWords;
            const qint64 plainMs = speakTimed(s, plainWords);
            const qint64 fullMs = speakTimed(dict, fullWords);
            qInfo("\"%s\": %lld ms as written, %lld ms with the abbreviation in full", qPrintable(abbreviated),
                  qlonglong(plainMs), qlonglong(fullMs));
            QVERIFY(plainMs > 0);
            QVERIFY2(fullMs > plainMs + 600, qPrintable(QString::number(fullMs)));
            QCOMPARE(plainWords, (std::vector<uint32_t>{0, 4, 8, 16, 21}));
            QCOMPARE(fullWords, plainWords);
        }

        // A component that goes while it speaks leaves silence behind.
        double destroyedAt = 0;
        {
            TMSpeech going(nullptr, s.Backend());
            going.SelectEngine(voice);
            QVERIFY(going.Selected());
            rec.poll();
            const double from = rec.recordedSeconds();
            going.SpeakText(text);
            QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse(from).heardSeconds > 0.5), 20000);
            destroyedAt = rec.elapsedMs() / 1000.0;
        }
        QTest::qWait(1000);
        rec.stop();
        const double after = rec.analyse(destroyedAt + 0.2, 1e9).heardSeconds;
        QVERIFY2(after == 0, qPrintable(QStringLiteral("%1 s of sound after the component went").arg(after)));
    }

    // The daemon plays on its own sound output: a voice selected for a file is
    // refused with the reason, and the component selects nothing.
    void fileOutput_isRefusedWithItsReason()
    {
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        const auto backend = newBackend();
        const auto voices = backend->createEnumerator();
        speech::ModeInfo mode;
        QVERIFY2(voices->next(mode), qPrintable(daemon.log()));
        QString refusal;
        try {
            voices->select(mode.modeId, backend->createFileDestination());
        } catch (const speech::SpeechError &e) {
            refusal = QString::fromStdString(e.what());
        }
        QCOMPARE(refusal, QStringLiteral("speech-dispatcher voices cannot be written to a file"));
        QVERIFY(voices->select(mode.modeId, backend->createDeviceDestination()));

        TMSpeech s(nullptr, backend);
        s.Output = soFile;
        s.SelectEngine(s.Engines().at(0));
        QVERIFY(!s.Selected());
        QCOMPARE(s.LastSelectError(), speech::FileOutputRefusalText(s.Engines().at(0)));

        // The command line lists the daemon's voices after flite's, and refuses
        // one of them for a WAV in one line, writing nothing. (The thread
        // sanitizer's build makes no program; the other builds check this.)
        if (!QFileInfo::exists(LoqaBinary()))
            return;
        QTemporaryDir dir;
        RunResult r = RunLoqa({QStringLiteral("/e")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.replace('\r', "").split('\n');
        qsizetype flite = -1, first = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i).endsWith("(flite)"))
                flite = i;
            if (first < 0 && lines.at(i).endsWith(kModeSuffix))
                first = i;
        }
        QVERIFY2(flite > 100 && first == flite + 1, r.out.right(2000).constData());
        const QByteArray number = lines.at(first).left(lines.at(first).indexOf('.'));
        r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("Hello there."), QStringLiteral("out.wav"),
                     QStringLiteral("-e"), QString::fromLatin1(number)},
                    dir.path());
        QVERIFY2(r.exitCode == 1, qPrintable(Describe(r)));
        QVERIFY2(r.err.count('\n') == 1 && r.err.contains("cannot be written to a file"), r.err.constData());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out.wav"))));
    }

    // A daemon that dies while a text speaks ends that text with an error and
    // its stop; the next text ends the same way at once, and a back end made
    // without a daemon lists no voices, without waiting long.
    void daemonGone_endsTheTextAndListsNothing()
    {
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        TMSpeech s(nullptr, newBackend());
        const QString voice = britishVoice(s);
        QVERIFY2(!voice.isEmpty(), qPrintable(daemon.log()));
        s.SelectEngine(voice);
        QVERIFY(s.Selected());
        QStringList events;
        QString errorAtStop;
        s.OnStart = [&](TMSpeech *) { events << QStringLiteral("start"); };
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { events << QStringLiteral("error:") + m; };
        s.OnStop = [&](TMSpeech *sender) {
            events << QStringLiteral("stop");
            errorAtStop = sender->RunError();
        };
        s.SpeakText(QString::fromLatin1(kProse) + QStringLiteral(" ") + QString::fromLatin1(kProse));
        QTRY_VERIFY_WITH_TIMEOUT(s.WordPosition() > 0, 20000);
        QElapsedTimer clock;
        clock.start();
        daemon.kill();
        QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("stop")), 5000);
        qInfo("the stop came %lld ms after the daemon was killed", qlonglong(clock.elapsed()));
        QCOMPARE(events, (QStringList{"start", "error:speech-dispatcher went away", "stop"}));
        QCOMPARE(errorAtStop, QStringLiteral("speech-dispatcher went away"));

        events.clear();
        s.SpeakText(QStringLiteral("Nobody hears this."));
        QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("stop")), 5000);
        QCOMPARE(events.size(), 2);
        QVERIFY2(events.at(0).startsWith(QLatin1String("error:")), qPrintable(events.join(QLatin1Char('|'))));

        clock.restart();
        TMSpeech none(nullptr, newBackend());
        const qint64 took = clock.elapsed();
        QVERIFY(none.Engines().isEmpty());
        QVERIFY2(took < 2500, qPrintable(QString::number(took)));
    }

    // A daemon that stops answering (stopped, not gone) ends the text it speaks
    // with an error and its stop, and a back end made meanwhile lists no voices
    // after its wait of about two seconds.
    void daemonHanging_endsTheTextAndListsNothing()
    {
        PrivateDispatcher daemon;
        QString why;
        QVERIFY2(daemon.start(&why), qPrintable(why));
        TMSpeech s(nullptr, newBackend());
        const QString voice = britishVoice(s);
        QVERIFY2(!voice.isEmpty(), qPrintable(daemon.log()));
        s.SelectEngine(voice);
        QVERIFY(s.Selected());
        QStringList events;
        s.OnStart = [&](TMSpeech *) { events << QStringLiteral("start"); };
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { events << QStringLiteral("error:") + m; };
        s.OnStop = [&](TMSpeech *) { events << QStringLiteral("stop"); };
        s.SpeakText(QString::fromLatin1(kProse) + QStringLiteral(" ") + QString::fromLatin1(kProse));
        QTRY_VERIFY_WITH_TIMEOUT(s.WordPosition() > 0, 20000);
        QElapsedTimer clock;
        clock.start();
        daemon.setStopped(true);
        QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("stop")), 10000);
        const qint64 stopMs = clock.elapsed();
        QCOMPARE(events, (QStringList{"start", "error:speech-dispatcher does not answer", "stop"}));

        clock.restart();
        TMSpeech none(nullptr, newBackend());
        const qint64 listMs = clock.elapsed();
        qInfo("the stop came %lld ms after the daemon stopped; a voice list waited %lld ms", qlonglong(stopMs),
              qlonglong(listMs));
        QVERIFY(none.Engines().isEmpty());
        QVERIFY2(listMs < 3000, qPrintable(QString::number(listMs)));
        daemon.setStopped(false);
    }
};

QTEST_GUILESS_MAIN(TestSpeechd)
#include "tst_speechd.moc"
