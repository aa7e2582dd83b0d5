#include "audio/lame.h"

#include <QTest>

class TestLame : public QObject
{
    Q_OBJECT

private slots:
    void command_data()
    {
        QTest::addColumn<bool>("decode");
        QTest::addColumn<QStringList>("in");       // source, dest, resample, bitrate, mode, quality
        QTest::addColumn<QStringList>("expected"); // after the program
        QTest::newRow("encode, defaults") << false << QStringList{"in.wav", "out.mp3", "automatic", "128", "s", "5"}
                                          << QStringList{"-b", "128", "-m", "s", "-q", "5", "in.wav", "out.mp3"};
        QTest::newRow("resample given") << false << QStringList{"in.wav", "out.mp3", "22.05", "64", "j", "2"}
                                        << QStringList{"--resample", "22.05", "-b", "64",     "-m",
                                                       "j",          "-q",    "2",  "in.wav", "out.mp3"};
        QTest::newRow("automatic in any case, or empty")
            << false << QStringList{"a.wav", "b.mp3", "AUTOMATIC", "128", "s", "5"}
            << QStringList{"-b", "128", "-m", "s", "-q", "5", "a.wav", "b.mp3"};
        QTest::newRow("empty resample") << false << QStringList{"a.wav", "b.mp3", "", "128", "s", "5"}
                                        << QStringList{"-b", "128", "-m", "s", "-q", "5", "a.wav", "b.mp3"};
        QTest::newRow("decode") << true << QStringList{"in.mp3", "out.wav", "automatic", "128", "s", "5"}
                                << QStringList{"--decode", "-b", "128", "-m", "s", "-q", "5", "in.mp3", "out.wav"};
        QTest::newRow("spaces and quotes stay whole")
            << false << QStringList{"my talk \"1\".wav", "/tmp/a b/o'ut.mp3", "automatic", "128", "s", "5"}
            << QStringList{"-b", "128", "-m", "s", "-q", "5", "my talk \"1\".wav", "/tmp/a b/o'ut.mp3"};
        QTest::newRow("leading dash is a file")
            << false << QStringList{"-talk.wav", "--out.mp3", "automatic", "128", "s", "5"}
            << QStringList{"-b", "128", "-m", "s", "-q", "5", "./-talk.wav", "./--out.mp3"};
    }

    void command()
    {
        QFETCH(bool, decode);
        QFETCH(QStringList, in);
        QFETCH(QStringList, expected);
        const QStringList argv = loqa::Mp3Command(decode, in[0], in[1], in[2], in[3], in[4], in[5]);
        QVERIFY(argv.first().endsWith(QLatin1String("lame")));
        QCOMPARE(argv.mid(1), expected);
    }

    void missingEncoder_leavesNothingAndRaisesNothing()
    {
        qputenv("PATH", "/nonexistent");
        const loqa::Mp3Result r = loqa::EncodeMp3("/tmp/none.wav", "/tmp/none-out.mp3", "automatic", "128", "s", "5");
        QCOMPARE(r.exitCode, -1);
        QVERIFY(!r.ok());
        QVERIFY(!QFile::exists("/tmp/none-out.mp3"));
    }
};

QTEST_GUILESS_MAIN(TestLame)
#include "tst_lame.moc"
