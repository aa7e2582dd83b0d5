// flite's voices beside espeak-ng's: in the one voice list, to WAV and MP3,
// and aloud with the word highlighted, through the speech component.
#include "speech/lexicon.h"
#include "speech/mspeech.h"
#include "sinkrecorder.h"
#include "platform/soundoutput.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kText = QStringLiteral(
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost.");

int fliteIndex(const TMSpeech &s, const QString &voice)
{
    return int(s.Engines().indexOf(QStringLiteral("English (America) %1 (flite)").arg(voice)));
}

// True when every offset is where a word of `text` begins, and they go forward.
bool onWordStarts(const QByteArray &text, const std::vector<uint32_t> &offsets, QByteArray *why)
{
    uint32_t before = 0;
    for (const uint32_t at : offsets) {
        const bool start = at < uint32_t(text.size()) && QChar::isLetterOrNumber(text.at(at)) &&
                           (at == 0 || !QChar::isLetterOrNumber(text.at(at - 1)));
        if (!start || at < before) {
            *why = "offset " + QByteArray::number(at) + " is no word start after " + QByteArray::number(before);
            return false;
        }
        before = at;
    }
    return true;
}

} // namespace

class TestFlite : public QObject
{
    Q_OBJECT

private slots:
    void voices_comeAfterEspeakNgsWhoseNumbersStay()
    {
        TMSpeech espeakOnly(nullptr, speech::CreateEspeakBackend(loqa::SoundOutput::instance()));
        TMSpeech all;
        const QStringList espeak = espeakOnly.Engines();
        QVERIFY(espeak.size() > 100);
        QCOMPARE(all.Engines().mid(0, espeak.size()), espeak);
        const QStringList rest = all.Engines().mid(espeak.size());
        for (const QString voice : {"slt Female", "rms Male", "awb Male", "kal Male", "kal16 Male"})
            QVERIFY2(fliteIndex(all, voice) >= espeak.size(), qPrintable(voice));
        QVERIFY2(!rest.join(u'\n').contains(QStringLiteral("time")), qPrintable(rest.join(u'\n')));
        TMSpeechEngineInfo info;
        QVERIFY(all.GetEngineInfo(rest.first(), info));
        QCOMPARE(info.Language, QStringLiteral("en-us"));
        QVERIFY(info.Product.startsWith(QStringLiteral("flite ")));
    }

    // The same speech as the flite program makes of the text, words on their
    // starts, and speed taking effect.
    void toWav_speaksWhatFliteSpeaks()
    {
        const QString flite = QStandardPaths::findExecutable(QStringLiteral("flite"));
        LOQA_REQUIRE_OR_SKIP(!flite.isEmpty(), "no flite program");
        QTemporaryDir dir;
        const QString textFile = dir.filePath(QStringLiteral("text.txt"));
        QVERIFY(WriteFile(textFile, kText.toUtf8()));
        QProcess program;
        program.start(flite, {QStringLiteral("-voice"), QStringLiteral("slt"), QStringLiteral("-t"), kText,
                              QStringLiteral("-o"), dir.filePath(QStringLiteral("program.wav"))});
        QVERIFY(program.waitForFinished(30000) && program.exitCode() == 0);
        const double reference = AudioSeconds(dir.filePath(QStringLiteral("program.wav")));
        QVERIFY(reference > 5);

        TMSpeech s;
        s.Output = soFile;
        const QString slt = s.Engines().value(fliteIndex(s, QStringLiteral("slt Female")));
        QVERIFY(!slt.isEmpty());
        double seconds[2] = {0, 0};
        for (const int speed : {175, 350}) {
            s.SelectEngine(slt);
            QVERIFY2(s.Selected(), qPrintable(s.LastSelectError()));
            s.SetSpeed(uint32_t(speed));
            s.Filename = dir.filePath(QStringLiteral("speed%1.wav").arg(speed));
            s.SetFileRealTime(256 * 4);
            bool stopped = false;
            std::vector<uint32_t> words;
            s.OnStop = [&](TMSpeech *) { stopped = true; };
            s.OnWordPosition = [&](TMSpeech *sender) {
                if (words.empty() || words.back() != sender->WordPosition())
                    words.push_back(sender->WordPosition());
            };
            s.SpeakText(kText);
            QVERIFY(s.LastSpeakError().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(stopped, 30000);
            QVERIFY(s.RunError().isEmpty());
            seconds[speed == 350] = AudioSeconds(s.Filename);
            QByteArray why;
            QVERIFY2(words.size() > 5, QByteArray::number(qulonglong(words.size())).constData());
            QVERIFY2(onWordStarts(kText.toUtf8(), words, &why), why.constData());
        }
        QVERIFY2(std::abs(seconds[0] - reference) < 0.02 * reference,
                 qPrintable(QStringLiteral("%1 s against the program's %2 s").arg(seconds[0]).arg(reference)));
        QVERIFY2(seconds[1] > 0.4 * seconds[0] && seconds[1] < 0.65 * seconds[0],
                 qPrintable(QStringLiteral("%1 s at double speed, %2 s at normal").arg(seconds[1]).arg(seconds[0])));
    }

    // The dictionaries apply to flite's voices: an abbreviation is spoken in
    // full with the highlight on it, and an entry spoken as phonemes (which
    // flite cannot read) is left out rather than read out as symbols.
    void dictionary_wordEntriesApplyPhonemeEntriesDoNot()
    {
        const QString text = QStringLiteral("The BBC said tomato twice.");
        double seconds[3] = {0, 0, 0};
        std::vector<uint32_t> words[3];
        const QByteArray lexicons[3] = {"", "BBC\tBritish Broadcasting Corporation\n",
                                        "BBC\tBritish Broadcasting Corporation\ntomato\t[[t@mA:toU]]\n"};
        for (int i = 0; i < 3; ++i) {
            QTemporaryDir dir;
            const QString own = speech::OwnLexiconPath(dir.path());
            QVERIFY(WriteFile(own, lexicons[i]));
            auto lexicon = std::make_shared<speech::Lexicon>();
            lexicon->setFiles(own, {});
            TMSpeech s(nullptr, speech::CreateFliteBackend(loqa::SoundOutput::instance(), lexicon));
            s.Output = soFile;
            s.SelectEngine(QStringLiteral("English (America) slt Female (flite)"));
            QVERIFY2(s.Selected(), qPrintable(s.LastSelectError()));
            s.Filename = dir.filePath(QStringLiteral("d.wav"));
            s.SetFileRealTime(256 * 2);
            bool stopped = false;
            s.OnStop = [&](TMSpeech *) { stopped = true; };
            s.OnWordPosition = [&](TMSpeech *sender) { words[i].push_back(sender->WordPosition()); };
            s.SpeakText(text);
            QTRY_VERIFY_WITH_TIMEOUT(stopped, 20000);
            seconds[i] = AudioSeconds(s.Filename);
        }
        QVERIFY2(seconds[1] > seconds[0] + 0.8, qPrintable(QStringLiteral("%1 %2").arg(seconds[0]).arg(seconds[1])));
        QCOMPARE(seconds[2], seconds[1]);
        QByteArray why;
        QVERIFY2(onWordStarts(text.toUtf8(), words[1], &why), why.constData());
        QVERIFY(std::find(words[1].begin(), words[1].end(), uint32_t(text.indexOf(QLatin1String("BBC")))) !=
                words[1].end());
    }

    // Heard at the sink, the highlight moving forward over word starts as it
    // is heard, and Stop silencing it at once.
    void aloud_isHeardHighlightedAndStops()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "no private sound server");
        SinkRecorder rec;
        QVERIFY(rec.start());
        TMSpeech s;
        s.SelectEngine(s.Engines().value(fliteIndex(s, QStringLiteral("rms Male"))));
        QVERIFY2(s.Selected(), qPrintable(s.LastSelectError()));
        int stops = 0;
        std::vector<uint32_t> words;
        s.OnStop = [&](TMSpeech *) { ++stops; };
        s.OnWordPosition = [&](TMSpeech *sender) { words.push_back(sender->WordPosition()); };
        const QString text = kText + u' ' + kText + u' ' + kText;
        s.Text = QStringList{text};
        s.Speak();
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 2.0 && words.size() >= 4), 20000);
        QByteArray why;
        QVERIFY2(onWordStarts(text.toUtf8(), words, &why), why.constData());
        // Heard, not made: the highlight is still within the first third of the text.
        QVERIFY2(words.back() < uint32_t(kText.size()), QByteArray::number(words.back()).constData());
        s.Stop();
        rec.poll();
        const double stoppedAt = rec.recordedSeconds();
        QTRY_COMPARE_WITH_TIMEOUT(stops, 1, 2000);
        QTest::qWait(800);
        rec.poll();
        QCOMPARE(rec.analyse(stoppedAt + 0.15, 1e9).heardSeconds, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestFlite)
#include "tst_flite.moc"
