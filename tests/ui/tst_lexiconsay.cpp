// "Say it" with the real engine and the private sound server: the entry's
// phonemes are heard, through a component of the dialog's own, so the window's
// component (which may be reading) hears of no start.
#include "ui/lexicon/lexicondialog.h"
#include "speech/mspeech.h"
#include "sinkrecorder.h"
#include "platform/soundoutput.h"
#include "testsupport.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class TestLexiconSay : public QObject
{
    Q_OBJECT

private slots:
    void sayIt_speaksThePhonemesWithTheCurrentVoice()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        QTemporaryDir dir;
        const QString own = speech::OwnLexiconPath(dir.path());
        QFile f(own);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("WWW\t[[h@l'oU]]\n");
        f.close();
        auto lexicon = std::make_shared<speech::Lexicon>();
        lexicon->setFiles(own, {});
        TMSpeech window(nullptr, speech::CreateEspeakBackend(loqa::SoundOutput::instance(), lexicon));
        window.SelectEngine(window.Engines().value(0));
        QVERIFY(window.Selected());
        int windowStarts = 0;
        window.OnStart = [&](TMSpeech *) { ++windowStarts; };

        SinkRecorder rec;
        QVERIFY(rec.start());
        QStringList dictionaryList;
        loqa::TLexiconDialog dialog(window, *lexicon, dictionaryList, nullptr);
        dialog.ListEntries->setCurrentItem(dialog.ListEntries->topLevelItem(0));
        QVERIFY(dialog.ButtonSay->isEnabled());
        dialog.ButtonSay->click();
        QTest::qWait(2500);
        rec.stop();
        const auto heard = rec.analyse();
        // "hello" is about half a second; "WWW" as it stands (three "double-u"s) or
        // the mnemonics read out as text would take well over one.
        QVERIFY2(heard.heardSeconds > 0.2 && heard.heardSeconds < 0.9, qPrintable(QString::number(heard.heardSeconds)));
        QCOMPARE(windowStarts, 0);
    }
};

QTEST_MAIN(TestLexiconSay)
#include "tst_lexiconsay.moc"
