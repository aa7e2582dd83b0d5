// The espeak-ng back end through the speech component, with real sound.
#include "speech/espeak/espeakengine.h"
#include "speech/lexicon.h"
#include "speech/mspeech.h"
#include "sinkrecorder.h"
#include "platform/soundoutput.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

QString modeFor(const TMSpeech &s, const QString &language)
{
    TMSpeech &speech = const_cast<TMSpeech &>(s);
    for (const QString &name : s.Engines()) {
        TMSpeechEngineInfo info;
        if (speech.GetEngineInfo(name, info) && info.Language == language && info.Gender == QLatin1String("MALE"))
            return name;
    }
    return {};
}

const char *const kProse =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost.";

// A sound output that cannot be reached, or whose stream breaks after a few
// tenths of a second of sound: failures a healthy sound server does not show.
class FailingOutput final : public loqa::SoundOutput
{
public:
    explicit FailingOutput(bool breaksLater) : m_breaksLater(breaksLater) {}

    std::unique_ptr<loqa::SoundStream> openStream(int rate, int, bool, QString *error) override
    {
        if (!m_breaksLater) {
            *error = QStringLiteral("Connection refused");
            return nullptr;
        }
        return std::make_unique<Stream>(rate);
    }
    bool isReal() const override { return false; }

private:
    class Stream final : public loqa::SoundStream
    {
    public:
        explicit Stream(int rate) : m_limit(uint64_t(rate) * 3 / 10) {}
        bool write(const int16_t *, size_t frames, const std::atomic<bool> &) override
        {
            m_written += frames;
            if (m_written > m_limit)
                m_broken = true;
            return !m_broken;
        }
        void trigger() override {}
        bool drain(const std::atomic<bool> &) override { return !m_broken; }
        void setPaused(bool) override {}
        void drop() override {}
        uint64_t playedFrames() override { return m_written; }
        uint64_t waitPlayed(uint64_t, const std::atomic<bool> &) override { return m_written; }
        void wake() override {}
        QString failure() override { return m_broken ? QStringLiteral("Connection terminated") : QString(); }

    private:
        const uint64_t m_limit;
        std::atomic<uint64_t> m_written{0};
        std::atomic<bool> m_broken{false};
    };

    bool m_breaksLater;
};

// A text rendered to WAV by a component whose engine applies `lexicon`, with
// the word positions seen while it rendered (paced, so that each is seen).
struct Rendered {
    QByteArray samples; // the WAV's data, header left out
    double seconds = 0;
    std::vector<uint32_t> words;
};

void render(const std::shared_ptr<speech::Lexicon> &lexicon, const QString &text, Rendered &out)
{
    QTemporaryDir dir;
    TMSpeech s(nullptr, speech::CreateEspeakBackend(loqa::SoundOutput::instance(), lexicon));
    const QString mode = modeFor(s, QStringLiteral("en-gb"));
    QVERIFY(!mode.isEmpty());
    s.Output = soFile;
    s.SelectEngine(mode);
    QCOMPARE(s.EngineLexicon(), lexicon.get());
    s.Filename = dir.filePath(QStringLiteral("rendered.wav"));
    s.SetFileRealTime(256 * 6);
    bool stopped = false;
    s.OnStop = [&](TMSpeech *) { stopped = true; };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (out.words.empty() || out.words.back() != s.WordPosition())
            out.words.push_back(s.WordPosition());
    });
    poll.start(1);
    s.SpeakText(text);
    QVERIFY(s.LastSpeakError().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(stopped, 30000);
    QFile wav(s.Filename);
    QVERIFY(wav.open(QIODevice::ReadOnly));
    const QByteArray bytes = wav.readAll();
    const qsizetype data = bytes.indexOf("data");
    QVERIFY(data > 0);
    out.samples = bytes.mid(data + 8);
    out.seconds = AudioSeconds(s.Filename);
}

std::shared_ptr<speech::Lexicon> lexiconWith(const QTemporaryDir &dir, const QByteArray &lines)
{
    const QString path = speech::OwnLexiconPath(dir.path());
    QFile f(path);
    if (!lines.isEmpty() && (!f.open(QIODevice::WriteOnly) || f.write(lines) != lines.size()))
        return nullptr;
    f.close();
    auto lexicon = std::make_shared<speech::Lexicon>();
    lexicon->setFiles(path, {});
    return lexicon;
}

} // namespace

class TestEspeak : public QObject
{
    Q_OBJECT

private slots:
    // First, so that the engine starts here: while it sets espeak-ng up and
    // speaks, another thread sees the environment as it was all along, and
    // espeak-ng reaches for no sound server of its own (the one it would find
    // is this socket).
    void engineStart_leavesTheEnvironmentAndTheSoundServerAlone()
    {
        QTemporaryDir dir;
        QLocalServer probe;
        QVERIFY(probe.listen(dir.filePath(QStringLiteral("probe"))));
        const char *const variable = "PULSE_SERVER";
        const bool had = qEnvironmentVariableIsSet(variable);
        const QByteArray saved = qgetenv(variable);
        const QByteArray server = "unix:" + QFile::encodeName(probe.fullServerName());
        qputenv(variable, server);
        std::atomic<bool> done{false};
        std::atomic<int> changes{0};
        std::thread watcher([&] {
            while (!done) {
                if (qgetenv(variable) != server)
                    ++changes;
                std::this_thread::yield();
            }
        });
        Rendered out;
        render(lexiconWith(dir, {}), QStringLiteral("Nothing but the words."), out);
        done = true;
        watcher.join();
        QCoreApplication::processEvents();
        if (had)
            qputenv(variable, saved);
        else
            qunsetenv(variable);
        QVERIFY(!out.samples.isEmpty());
        QCOMPARE(changes.load(), 0);
        QVERIFY2(!probe.hasPendingConnections(), "espeak-ng connected to a sound server");
    }

    void modes_comeInMaleAndFemaleFormsWithStableIds()
    {
        TMSpeech a, b;
        QVERIFY(a.Initialized());
        QVERIFY(a.Engines().size() > 100);
        QCOMPARE(a.Engines(), b.Engines());
        QVERIFY(a.Engines().at(0).endsWith(QLatin1String(" Male")));
        QVERIFY(a.Engines().at(1).endsWith(QLatin1String(" Female")));
        TMSpeechEngineInfo i0, i1, again;
        QVERIFY(a.GetEngineInfo(a.Engines().at(0), i0));
        QVERIFY(a.GetEngineInfo(a.Engines().at(1), i1));
        QVERIFY(b.GetEngineInfo(b.Engines().at(0), again));
        QCOMPARE(i0.Gender, QStringLiteral("MALE"));
        QCOMPARE(i1.Gender, QStringLiteral("FEMALE"));
        QCOMPARE(i0.ModeID, again.ModeID);
        QVERIFY(i0.ModeID != i1.ModeID);
        QCOMPARE(i0.EngineID, i1.EngineID);
        QCOMPARE(i0.ModeID.size(), 38);
        // The C locale speaks English first.
        QVERIFY(i0.Language.startsWith(QLatin1String("en")));
    }

    // An MBROLA voice is offered only where espeak-ng will find its data (and
    // the mbrola program, which this machine has not: none is listed here).
    void mbrolaVoices_onlyWithTheirData()
    {
        const QString voiceFile = QStringLiteral(ESPEAK_VOICES "/mb/mb-en1");
        QVERIFY2(QFile::exists(voiceFile), qPrintable(voiceFile));
        QCOMPARE(speech::espeak::MbrolaDataName(voiceFile), QStringLiteral("en1"));
        QTemporaryDir folder;
        QVERIFY(!speech::espeak::MbrolaVoiceInstalled(voiceFile, {folder.path()}));
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("voices")));
        QVERIFY(WriteFile(folder.filePath(QStringLiteral("voices/en1")), QByteArray()));
        QVERIFY(!speech::espeak::MbrolaVoiceInstalled(voiceFile, {folder.path()})); // empty: no data
        QVERIFY(WriteFile(folder.filePath(QStringLiteral("voices/en1")), QByteArray(64, 'x')));
        QVERIFY(speech::espeak::MbrolaVoiceInstalled(voiceFile, {folder.path()}));
        QVERIFY(!speech::espeak::MbrolaVoiceInstalled(voiceFile, {}));

        QVERIFY(speech::espeak::MbrolaFolders().isEmpty());
        TMSpeech s(nullptr, speech::CreateEspeakBackend(loqa::SoundOutput::instance()));
        QVERIFY(!s.Engines().join(u'\n').contains(QLatin1String("mb-")));
    }

    void selection_probesTheEnginesRealLimits()
    {
        TMSpeech s;
        s.Output = soFile;
        s.SelectEngine(s.Engines().at(0));
        QVERIFY(s.Selected());
        QCOMPARE(s.EngineInfo().MinSpeed, 80u);
        QCOMPARE(s.EngineInfo().MaxSpeed, 450u);
        QCOMPARE(s.EngineInfo().MinPitch, uint16_t(0));
        QCOMPARE(s.EngineInfo().MaxPitch, uint16_t(400));
        QCOMPARE(s.EngineInfo().MaxRealTime, 65535u);
    }

    void fileOutput_wordPositionsLandOnWordStarts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("english") << "en-gb" << QString::fromLatin1(kProse);
        QTest::newRow("german") << "de" << QStringLiteral("Grüße aus der Straße über den Flüssen, schöne Bäume.");
        QTest::newRow("russian") << "ru" << QStringLiteral("Привет, мир! Съешь же ещё этих мягких булок.");
    }

    void fileOutput_wordPositionsLandOnWordStarts()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QTemporaryDir dir;
        TMSpeech s;
        const QString mode = modeFor(s, language);
        QVERIFY2(!mode.isEmpty(), qPrintable(language));
        s.Output = soFile;
        s.SelectEngine(mode);
        s.Filename = dir.filePath(QStringLiteral("words.wav"));
        s.SetFileRealTime(256 * 6); // paced, so that the poll sees each word
        const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
        std::vector<uint32_t> seen;
        bool stopped = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (seen.empty() || seen.back() != s.WordPosition())
                seen.push_back(s.WordPosition());
        });
        poll.start(1);
        s.OnStop = [&](TMSpeech *) { stopped = true; };
        s.Text = QStringList{text};
        s.Speak();
        QVERIFY(s.LastSpeakError().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(stopped, 30000);
        QVERIFY(seen.size() >= 3);
        for (size_t i = 1; i < seen.size(); ++i) {
            const uint32_t at = seen[i];
            QVERIFY2(at > seen[i - 1], qPrintable(QStringLiteral("%1 after %2").arg(at).arg(seen[i - 1])));
            QVERIFY(at < uint32_t(bytes.size()));
            // A word start: a letter after a space or punctuation, at a character boundary.
            QVERIFY2((uchar(bytes[at]) & 0xC0) != 0x80, "inside a character");
            QVERIFY2(at == 0 || bytes[at - 1] == ' ', qPrintable(QString::fromUtf8(bytes.mid(at, 10))));
        }
        QVERIFY(QFile(s.Filename).size() > 20000);
    }

    void filePacing_followsTheFactor()
    {
        QTemporaryDir dir;
        TMSpeech s;
        s.Output = soFile;
        s.SelectEngine(s.Engines().at(0));
        bool stopped = false;
        s.OnStop = [&](TMSpeech *) { stopped = true; };
        s.Filename = dir.filePath(QStringLiteral("paced.wav"));
        s.SetFileRealTime(256 * 4);
        s.Text = QStringList{QString::fromLatin1(kProse)};
        QElapsedTimer clock;
        clock.start();
        s.Speak();
        QTRY_VERIFY_WITH_TIMEOUT(stopped, 30000);
        const double seconds = double(QFile(s.Filename).size() - 80) / 2 / 22050;
        const double elapsed = clock.elapsed() / 1000.0;
        // Never faster than the factor allows, which no load can break. How close it
        // keeps to the factor is a figure of the benchmarks (pacing_w8).
        const QString took = QStringLiteral("%1 s for %2 s of speech").arg(elapsed).arg(seconds);
        QVERIFY2(elapsed >= seconds / 4 * 0.95, qPrintable(took));
    }

    void unwritableFile_isReportedAndSpeaksNothing()
    {
        TMSpeech s;
        s.Output = soFile;
        s.SelectEngine(s.Engines().at(0));
        bool stopped = false;
        s.OnStop = [&](TMSpeech *) { stopped = true; };
        s.Filename = QStringLiteral("/nonexistent-folder/out.wav");
        s.SpeakText(QStringLiteral("hello"));
        QVERIFY(s.LastSpeakError().startsWith(QLatin1String("Can not open file")));
        QTest::qWait(200);
        QVERIFY(!stopped);
    }

    void device_failingSoundOutput_isReportedBeforeTheOneStop_data()
    {
        QTest::addColumn<bool>("breaksLater");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("cannot connect") << false
                                        << QStringList{"error:Sound output unavailable: Connection refused", "stop"};
        QTest::newRow("goes away") << true
                                   << QStringList{"start", "error:Sound output unavailable: Connection terminated",
                                                  "stop"};
    }

    void device_failingSoundOutput_isReportedBeforeTheOneStop()
    {
        QFETCH(bool, breaksLater);
        QFETCH(QStringList, events);
        TMSpeech s(nullptr, speech::CreateEspeakBackend(std::make_shared<FailingOutput>(breaksLater)));
        QStringList seen;
        QString errorAtStop;
        s.OnStart = [&](TMSpeech *) { seen << QStringLiteral("start"); };
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { seen << QStringLiteral("error:") + m; };
        s.OnStop = [&](TMSpeech *sender) {
            seen << QStringLiteral("stop");
            errorAtStop = sender->RunError();
        };
        s.SelectEngine(s.Engines().at(0));
        QVERIFY(s.Selected()); // selecting never waits for the sound output
        s.SpeakText(QString::fromLatin1(kProse));
        QVERIFY(s.LastSpeakError().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(seen.contains(QStringLiteral("stop")), 20000);
        QTest::qWait(200);
        QCOMPARE(seen, events);
        QCOMPARE(errorAtStop, events.at(events.size() - 2).mid(6));
        // The next text starts clean.
        s.SpeakText(QString());
        QVERIFY(s.RunError().isEmpty());
    }

    void stopHandlerSelectingAnotherEngine_goesOnSafely()
    {
        // Auto-next: the handler of one text's stop selects an engine (ending the
        // one that reported the stop) and speaks the next text.
        QTemporaryDir dir;
        TMSpeech s;
        s.Output = soFile;
        QStringList files{dir.filePath(QStringLiteral("one.wav")), dir.filePath(QStringLiteral("two.wav")),
                          dir.filePath(QStringLiteral("three.wav"))};
        int stops = 0;
        s.OnStop = [&](TMSpeech *sender) {
            ++stops;
            QVERIFY(sender->RunError().isEmpty());
            if (stops >= files.size())
                return;
            sender->SelectEngine(sender->Engines().at(stops % 2));
            sender->SetFileRealTime(0);
            sender->Filename = files.at(stops);
            sender->SpeakText(QString::fromLatin1(kProse));
        };
        s.SelectEngine(s.Engines().at(0));
        s.SetFileRealTime(0);
        s.Filename = files.at(0);
        s.SpeakText(QString::fromLatin1(kProse));
        QTRY_COMPARE_WITH_TIMEOUT(stops, 3, 30000);
        QTest::qWait(200);
        QCOMPARE(stops, 3);
        for (const QString &f : files)
            QVERIFY2(AudioSeconds(f) > 3, qPrintable(f));
    }

    // Pause brings silence that lasts until Resume, and Stop ends the sound. The
    // recording is read on its own time line, so a slow machine only waits longer;
    // how soon the silence comes is a figure of the benchmarks (bench_speechtiming).
    void device_speaksPausesResumesAndStops()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        SinkRecorder rec;
        QVERIFY(rec.start());
        TMSpeech s;
        int starts = 0, stops = 0;
        s.OnStart = [&](TMSpeech *) { ++starts; };
        s.OnStop = [&](TMSpeech *) { ++stops; };
        s.SelectEngine(s.Engines().at(0));
        QVERIFY(s.Selected());
        s.Text = QStringList{QString::fromLatin1(kProse) + QStringLiteral(" ") + QString::fromLatin1(kProse)};
        s.Speak();
        QTRY_COMPARE_WITH_TIMEOUT(starts, 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5 && s.WordPosition() > 0), 20000);
        // The newest `seconds` of the recording since `from` are silent.
        const auto silentSince = [&rec](double from, double seconds) {
            rec.poll();
            const double end = rec.recordedSeconds();
            return end - from >= seconds && rec.analyse(end - seconds, end).heardSeconds == 0;
        };
        constexpr double kSilence = 0.8; // longer than any pause within the speech

        s.Pause();
        rec.poll();
        const double pausedAt = rec.recordedSeconds();
        QTRY_VERIFY_WITH_TIMEOUT(silentSince(pausedAt, kSilence), 20000);
        const double silentFrom = rec.recordedSeconds() - kSilence;
        // Well before the text could have ended by itself (the recording lags a little).
        QVERIFY2(rec.analyse(pausedAt, silentFrom).heardSeconds < 1.0, "the sound went on after Pause");
        const uint32_t whilePaused = s.WordPosition();
        QTest::qWait(500);
        QCOMPARE(s.WordPosition(), whilePaused);
        rec.poll();
        QCOMPARE(rec.analyse(silentFrom, 1e9).heardSeconds, 0.0); // still silent

        s.Resume();
        rec.poll();
        const double resumedAt = rec.recordedSeconds();
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse(resumedAt).heardSeconds > 0.5), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(s.WordPosition() > whilePaused, 20000); // on from where it paused

        s.Stop();
        rec.poll();
        const double stoppedAt = rec.recordedSeconds();
        QTRY_COMPARE_WITH_TIMEOUT(stops, 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(silentSince(stoppedAt, kSilence), 20000);
        const double quietFrom = rec.recordedSeconds() - kSilence;
        QVERIFY2(rec.analyse(stoppedAt, quietFrom).heardSeconds < 1.0, "the sound went on after Stop");
        QTest::qWait(500);
        rec.stop();
        QCOMPARE(rec.analyse(quietFrom, 1e9).heardSeconds, 0.0); // and no sound comes back
        QCOMPARE(starts, 1);
        QCOMPARE(stops, 1);
    }

    void device_destroyedWhileSpeaking_isSilenced()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        SinkRecorder rec;
        QVERIFY(rec.start());
        int stops = 0;
        double destroyedAt = 0;
        {
            TMSpeech s;
            s.OnStop = [&](TMSpeech *) { ++stops; };
            s.SelectEngine(s.Engines().at(0));
            s.Text = QStringList{QString::fromLatin1(kProse)};
            s.Speak();
            QTest::qWait(800);
            destroyedAt = rec.elapsedMs() / 1000.0;
        }
        QTest::qWait(800);
        rec.stop();
        QCOMPARE(stops, 0);
        QVERIFY(rec.analyse(0, destroyedAt).heardSeconds > 0.2);
        QCOMPARE(rec.analyse(destroyedAt + 0.15, 1e9).heardSeconds, 0.0);
    }

    // An abbreviation spoken in full: the audio is longer by the words it adds,
    // and the highlight stays on the text as it was given: on "BBC" while its
    // replacement is spoken, then on the words after it.
    void dictionary_abbreviationRendersInFullAndPositionsStayOnTheText()
    {
        QTemporaryDir plainDir, fullDir;
        const auto plain = lexiconWith(plainDir, {});
        const auto full = lexiconWith(fullDir, "BBC\tBritish Broadcasting Corporation\n");
        QVERIFY(plain && full);
        const QString text = QStringLiteral("The BBC reports news today.");
        Rendered without, with;
        render(plain, text, without);
        if (QTest::currentTestFailed())
            return;
        render(full, text, with);
        if (QTest::currentTestFailed())
            return;
        const QString durations = QStringLiteral("%1 s with, %2 s without").arg(with.seconds).arg(without.seconds);
        QVERIFY2(with.seconds > without.seconds + 1.0, qPrintable(durations));
        const std::vector<uint32_t> wordStarts{0, 4, 8, 16, 21};
        for (const uint32_t at : with.words)
            QVERIFY2(std::find(wordStarts.begin(), wordStarts.end(), at) != wordStarts.end(),
                     qPrintable(QStringLiteral("position %1 is no word of the text").arg(at)));
        for (const uint32_t at : {4u, 8u, 16u})
            QVERIFY2(std::find(with.words.begin(), with.words.end(), at) != with.words.end(),
                     qPrintable(QStringLiteral("position %1 never seen").arg(at)));
    }

    // A phoneme entry is read as phonemes: "zork" given as [[h@l'oU]] sounds as
    // "hello" does, within a few samples, and neither as "zork" nor as the
    // mnemonics read out as text.
    void dictionary_phonemeEntryChangesTheAudio()
    {
        QTemporaryDir plainDir, phonemeDir;
        const auto plain = lexiconWith(plainDir, {});
        const auto phonemes = lexiconWith(phonemeDir, "zork\t[[h@l'oU]]\n");
        QVERIFY(plain && phonemes);
        Rendered zork, hello, literal, replaced;
        render(plain, QStringLiteral("The zork is here."), zork);
        render(plain, QStringLiteral("The hello is here."), hello);
        render(plain, QStringLiteral("The h@l'oU is here."), literal);
        render(phonemes, QStringLiteral("The zork is here."), replaced);
        if (QTest::currentTestFailed())
            return;
        const QString sizes = QStringLiteral("replaced %1, hello %2, zork %3, mnemonics as text %4 bytes")
                                  .arg(replaced.samples.size())
                                  .arg(hello.samples.size())
                                  .arg(zork.samples.size())
                                  .arg(literal.samples.size());
        qInfo("%s", qPrintable(sizes));
        QVERIFY2(!replaced.samples.isEmpty(), qPrintable(sizes));
        QVERIFY2(replaced.samples != zork.samples, qPrintable(sizes));
        QVERIFY2(std::abs(replaced.samples.size() - hello.samples.size()) < hello.samples.size() / 50,
                 qPrintable(sizes));
        QVERIFY2(literal.samples.size() > hello.samples.size() * 5 / 4, qPrintable(sizes));
    }

    void device_wholeTextIsHeardBeforeTheStop()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        SinkRecorder rec;
        QVERIFY(rec.start());
        TMSpeech s;
        double stoppedAt = -1;
        s.OnStop = [&](TMSpeech *) { stoppedAt = rec.elapsedMs() / 1000.0; };
        s.SelectEngine(s.Engines().at(0));
        s.Text = QStringList{QStringLiteral("One short sentence to hear.")};
        s.Speak();
        QTRY_VERIFY_WITH_TIMEOUT(stoppedAt > 0, 20000);
        QTest::qWait(500);
        rec.stop();
        const auto a = rec.analyse();
        QVERIFY(a.heardSeconds > 0.8);
        // The stop comes once the sound has been played out, not while it is still
        // being written: the recording shows no sound long after it. How closely the
        // stop follows the last sound is a figure of the benchmarks (bench_speechtiming).
        QVERIFY2(a.lastSound <= stoppedAt + 0.5, qPrintable(QStringLiteral("%1 %2").arg(a.lastSound).arg(stoppedAt)));
    }
};

QTEST_GUILESS_MAIN(TestEspeak)
#include "tst_espeak.moc"
