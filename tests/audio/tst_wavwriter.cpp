#include "audio/wavfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
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
        uint8_t h[loqa::WavWriter::kHeaderSize];
        loqa::WavWriter::header(h, 1000, 22050, 1);
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
        uint8_t h[loqa::WavWriter::kHeaderSize];
        loqa::WavWriter::header(h, data, 22050, 1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h), 4), QByteArray("RF64"));
        QCOMPARE(u32(h + 4), 0xFFFFFFFFu);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(h + 12), 4), QByteArray("ds64"));
        QCOMPARE(u64(h + 20), data + 72);
        QCOMPARE(u64(h + 28), data);
        QCOMPARE(u64(h + 36), data / 2);
        QCOMPARE(u32(h + 76), 0xFFFFFFFFu);
        // Just below the limit stays RIFF.
        loqa::WavWriter::header(h, 0xFFFFFFFFull - 72 - 1, 22050, 1);
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
        loqa::WavWriter w;
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

    // What is written reads back; a file from elsewhere (a 44-byte header, a list
    // chunk before the audio) reads too, and what is not a RIFF WAV does not.
    void filesInMemory_readBack()
    {
        const QByteArray pcm("\x01\x02\x03\x04\x05", 5);
        const QByteArray own = loqa::WavBytes(pcm, 22050, 1);
        QCOMPARE(own.size(), qsizetype(loqa::WavWriter::kHeaderSize) + 6); // padded to an even size
        std::optional<loqa::WavAudio> audio = loqa::ReadWav(own);
        QVERIFY(audio);
        QCOMPARE(audio->sampleRate, 22050);
        QCOMPARE(audio->channels, 1);
        QCOMPARE(audio->bitsPerSample, 16);
        QCOMPARE(own.mid(audio->dataAt, audio->dataSize), pcm);

        QByteArray foreign("RIFF\0\0\0\0WAVELIST\x03\0\0\0abc\0fmt \x10\0\0\0\x01\0\x02\0"
                           "\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data\x08\0\0\0",
                           56);
        foreign.append("ABCD"); // the header promises 8 bytes, there are 4
        audio = loqa::ReadWav(foreign);
        QVERIFY(audio);
        QCOMPARE(audio->sampleRate, 44100);
        QCOMPARE(audio->channels, 2);
        QCOMPARE(audio->dataAt, 56);
        QCOMPARE(audio->dataSize, 4);

        QVERIFY(!loqa::ReadWav(QByteArray("RIFF\0\0\0\0WAVEdata\0\0\0\0", 20))); // no format
        uint8_t rf64[loqa::WavWriter::kHeaderSize];
        loqa::WavWriter::header(rf64, 0, 22050, 1, true);
        QVERIFY(!loqa::ReadWav(QByteArrayView(rf64, qsizetype(sizeof rf64))));
        QVERIFY(!loqa::ReadWav(QByteArrayView("RIFF")));
    }

    void unwritableFolder_failsToOpen()
    {
        loqa::WavWriter w;
        QVERIFY(!w.open(QStringLiteral("/nonexistent-folder/x.wav"), 22050, 1));
        QVERIFY(!w.write(nullptr, 0));
    }
};

QTEST_GUILESS_MAIN(TestWavWriter)
#include "tst_wavwriter.moc"
