// The espeak-ng back end through the speech component, with real sound.
#include "mspeech.h"
#include "sinkrecorder.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

} // namespace

class TestEspeak : public QObject
{
    Q_OBJECT

private slots:
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
        // Never faster than the factor allows. How close it keeps to the factor is a
        // figure of the benchmarks (pacing_w8); here only a broken pacing fails:
        // four times real time taking as long as the speech itself.
        const QString took = QStringLiteral("%1 s for %2 s of speech").arg(elapsed).arg(seconds);
        QVERIFY2(elapsed >= seconds / 4 * 0.95, qPrintable(took));
        QVERIFY2(elapsed < seconds, qPrintable(took));
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
        QTRY_COMPARE(starts, 1);
        QTest::qWait(1500);
        QVERIFY(s.WordPosition() > 0);
        s.Pause();
        const double pausedAt = rec.elapsedMs() / 1000.0;
        QTest::qWait(200);
        const uint32_t beforePause = s.WordPosition();
        QTest::qWait(800);
        QCOMPARE(s.WordPosition(), beforePause);
        s.Resume();
        QTest::qWait(1200);
        QVERIFY(s.WordPosition() > beforePause); // on from where it paused
        s.Stop();
        const double stoppedAt = rec.elapsedMs() / 1000.0;
        QTRY_COMPARE(stops, 1);
        QTest::qWait(600);
        rec.stop();
        const auto spoken = rec.analyse(0, pausedAt);
        const auto paused = rec.analyse(pausedAt + 0.15, pausedAt + 0.9);
        const auto after = rec.analyse(stoppedAt + 0.15, 1e9);
        QVERIFY2(spoken.heardSeconds > 0.5, qPrintable(QString::number(spoken.heardSeconds)));
        QVERIFY2(paused.heardSeconds == 0, qPrintable(QString::number(paused.heardSeconds)));
        QVERIFY2(after.heardSeconds == 0, qPrintable(QString::number(after.heardSeconds)));
        QCOMPARE(starts, 1);
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
        QTRY_VERIFY_WITH_TIMEOUT(stoppedAt > 0, 10000);
        QTest::qWait(500);
        rec.stop();
        const auto a = rec.analyse();
        QVERIFY(a.heardSeconds > 0.8);
        // The stop comes after the last sound, not before it.
        QVERIFY2(a.lastSound <= stoppedAt + 0.05, qPrintable(QStringLiteral("%1 %2").arg(a.lastSound).arg(stoppedAt)));
    }
};

QTEST_GUILESS_MAIN(TestEspeak)
#include "tst_espeak.moc"
