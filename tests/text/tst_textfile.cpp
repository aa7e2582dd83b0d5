// The text files the command line reads aloud: decoded as documents are, split
// into the lines the speech component takes.
#include "text/textfile.h"

#include <QTemporaryDir>
#include <QTest>

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void textDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                             "e")
                               << QStringLiteral("Grüße");
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFok") << QStringLiteral("ok");
        QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFEh\0i\0", 6) << QStringLiteral("hi");
        QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF\0h\0i", 6) << QStringLiteral("hi");
        QTest::newRow("windows-1252") << QByteArray("caf\xE9 \x80 \x93q\x94") << QStringLiteral("café € “q”");
        QTest::newRow("windows-1251") << QByteArray(
                                             "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! \xca\xe0\xea \xe4\xe5\xeb\xe0?")
                                      << QStringLiteral("Привет, мир! Как дела?");
        QTest::newRow("nul kept") << QByteArray("a\0b", 3)
                                  << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    }

    void textDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(loqa::DecodeText(bytes), text);
    }

    void lineSplitting()
    {
        QCOMPARE(loqa::SplitTextLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(loqa::SplitTextLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
        QCOMPARE(loqa::SplitTextLines(QString()), QStringList());
    }

    void loadTextLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xFEo\0n\0e\0\r\0\n\0t\0w\0o\0", 18);
        f.close();
        QStringList lines;
        QVERIFY(loqa::LoadTextLines(path, lines));
        QCOMPARE(lines, (QStringList{"one", "two"}));
        QString error;
        QVERIFY(!loqa::LoadTextLines(dir.filePath(QStringLiteral("missing.txt")), lines, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(lines, (QStringList{"one", "two"})); // untouched on failure
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
