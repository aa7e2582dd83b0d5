#include "wavwriter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {
quint32 u32(const uint8_t *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint64 u64(const uint8_t *p)
{
    return quint64(u32(p)) | quint64(u32(p + 4)) << 32;
}
} // namespace

class TestWavWriter : public QObject
{
    Q_OBJECT
private slots:
    void smallFile_isPlainRiff()
    {
        uint8_t h[speech::WavWriter::kHeaderSize];
        speech::WavWriter::header(h, 1000, 22050, 1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h), 4), QByteArray("RIFF"));
        QCOMPARE(u32(h + 4), 72u + 1000u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h + 8), 8), QByteArray("WAVEJUNK"));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h + 48), 4), QByteArray("fmt "));
        QCOMPARE(u32(h + 60), 22050u);
        QCOMPARE(u32(h + 64), 44100u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h + 72), 4), QByteArray("data"));
        QCOMPARE(u32(h + 76), 1000u);
    }

    void largeFile_isRf64WithTrueSizes()
    {
        const quint64 data = 5'000'000'000ull; // more than a RIFF header can count
        uint8_t h[speech::WavWriter::kHeaderSize];
        speech::WavWriter::header(h, data, 22050, 1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h), 4), QByteArray("RF64"));
        QCOMPARE(u32(h + 4), 0xFFFFFFFFu);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h + 12), 4), QByteArray("ds64"));
        QCOMPARE(u64(h + 20), data + 72);
        QCOMPARE(u64(h + 28), data);
        QCOMPARE(u64(h + 36), data / 2);
        QCOMPARE(u32(h + 76), 0xFFFFFFFFu);
        // Just below the limit stays RIFF.
        speech::WavWriter::header(h, 0xFFFFFFFFull - 72 - 1, 22050, 1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h), 4), QByteArray("RIFF"));
    }

    void writtenFiles_readByOtherTools_data()
    {
        QTest::addColumn<bool>("rf64");
        QTest::newRow("riff") << false;
        QTest::newRow("rf64") << true;
    }

    void writtenFiles_readByOtherTools()
    {
        QFETCH(bool, rf64);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("tone.wav"));
        speech::WavWriter w;
        w.setForceRf64(rf64);
        QVERIFY(w.open(name, 22050, 1));
        std::vector<int16_t> tone(22050);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = int16_t((i % 50) * 500 - 12000);
        QVERIFY(w.write(tone.data(), tone.size()));
        QVERIFY(w.write(tone.data(), 11025));
        QVERIFY(w.finish());
        QProcess soxi;
        soxi.start(QStringLiteral("soxi"), {QStringLiteral("-s"), name});
        QVERIFY(soxi.waitForFinished());
        QCOMPARE(soxi.readAllStandardOutput().trimmed(), QByteArray("33075"));
    }

    void unwritableFolder_failsToOpen()
    {
        speech::WavWriter w;
        QVERIFY(!w.open(QStringLiteral("/nonexistent-folder/x.wav"), 22050, 1));
        QVERIFY(!w.write(nullptr, 0));
    }
};

QTEST_GUILESS_MAIN(TestWavWriter)
#include "tst_wavwriter.moc"
