#include "commands/actions.h"
#include "commands/trayrules.h"
#include "ui/main/uitexts.h"

#include <QSet>
#include <QTest>

#include <limits>

using namespace loqa;

// The main window's texts and pictures, decided without a window.
class TestUiRules : public QObject
{
    Q_OBJECT

private slots:
    void statusTexts_data()
    {
        QTest::addColumn<bool>("volume");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("volume half") << true << 32768 << " Volume: 50% [32768] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("volume full") << true << 65535 << " Volume: 100% [65535] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("volume none") << true << 0 << " Volume: 0% [0] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed lowest") << false << 50 << " Speed: 0% [50] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed half") << false << 275 << " Speed: 50% [275] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed top") << false << 500 << " Speed: 100% [500] -- Left/Right arrow key to Fine-tune";
    }

    void statusTexts()
    {
        QFETCH(bool, volume);
        QFETCH(int, position);
        QFETCH(QString, text);
        QCOMPARE(volume ? VolumeStatusText(position) : SpeedStatusText(position), text);
    }

    void documentStatus()
    {
        QCOMPARE(DocumentStatusText("/home/u/txt/notes.txt", "1234"),
                 QStringLiteral(" /home/u/txt/notes.txt [1234 Bytes]"));
    }

    // Each caption of a menu gets its own key: word starts first, then any free
    // letter; a mnemonic already given keeps its letter, "&&" stays a plain '&'.
    void menuMnemonics()
    {
        QCOMPARE(WithMnemonics({"New", "Open...", "Save", "Save As...", "Close", "Close All", "Exit"}),
                 QStringList({"&New", "&Open...", "&Save", "Save &As...", "&Close", "C&lose All", "&Exit"}));
        QCOMPARE(WithMnemonics({"Pause", "&Play", "R&&D", "PP", "2 Voices"}),
                 QStringList({"P&ause", "&Play", "&R&&D", "PP", "&2 Voices"}));
    }

    void engineImages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("image");
        QTest::newRow("male") << "English (America) Male" << 0;
        QTest::newRow("female only") << "English (America) Female" << 1;
        QTest::newRow("male and mary") << "Mary Male" << 0;
        QTest::newRow("mike") << "Mike voice" << 2;
        QTest::newRow("mary") << "Mary" << 3;
        QTest::newRow("robosoft") << "RoboSoft One" << 4;
        QTest::newRow("case matters") << "english male" << 5;
    }

    void engineImages()
    {
        QFETCH(QString, name);
        QFETCH(int, image);
        QCOMPARE(EngineImageIndex(name), image);
    }

    // With the window shown or hidden, every command of the tray menu gets a
    // letter of its own, so that one key press runs any of them.
    void trayMenu_everyEntryHasItsOwnLetter()
    {
        for (bool visible : {true, false}) {
            QStringList captions;
            for (int entry : TrayMenuEntries()) {
                if (entry >= 0)
                    captions << (entry == ActionShowMain ? ShowMainCaption(visible)
                                                         : QString::fromLatin1(kActions[size_t(entry)].caption));
            }
            QCOMPARE(captions.size(), 11);
            QSet<QChar> letters;
            for (const QString &caption : WithMnemonics(captions)) {
                const qsizetype at = caption.indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < caption.size(), qPrintable(caption));
                letters.insert(caption[at + 1].toLower());
            }
            QCOMPARE(letters.size(), captions.size());
        }
    }
};

QTEST_GUILESS_MAIN(TestUiRules)
#include "tst_uirules.moc"
