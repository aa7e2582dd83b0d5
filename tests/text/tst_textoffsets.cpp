// Offsets in the UTF-8 text a speech engine is given, mapped to positions in the
// text it came from and back.
#include "text/textoffsets.h"

#include <QTest>

class TestTextOffsets : public QObject
{
    Q_OBJECT

private slots:
    // Every character of valid text, asked for in any order, maps as Qt's own
    // decoding counts: the engine's character index, the byte, the UTF-16 position.
    void validText_mapsAllThreeWays()
    {
        const QString text = QStringLiteral("Grüße 😀 x\r\nПривет €");
        const QByteArray utf8 = text.toUtf8();
        const QList<uint> codes = text.toUcs4();
        loqa::TextOffsetMap map;
        for (const bool backwards : {false, true}) {
            for (qsizetype n = 0; n <= codes.size(); ++n) {
                const qsizetype k = backwards ? codes.size() - n : n;
                const QString before = QString::fromUcs4(reinterpret_cast<const char32_t *>(codes.constData()), k);
                const qsizetype byte = before.toUtf8().size();
                QCOMPARE(map.byteOfCharacter(utf8, k), byte);
                QCOMPARE(map.positionOfByte(utf8, byte), before.size());
                QCOMPARE(map.byteOfPosition(utf8, before.size()), byte);
            }
        }
        const qsizetype emoji = text.indexOf(QStringLiteral("😀"));
        QCOMPARE(map.byteOfPosition(utf8, emoji + 1), qsizetype(utf8.indexOf("\xF0\x9F\x98\x80"))); // its low half
        QCOMPARE(map.positionOfByte(utf8, utf8.indexOf("\xF0\x9F\x98\x80") + 1), emoji + 2);        // inside: after it
        QCOMPARE(map.byteOfCharacter(utf8, 1000), utf8.size());
        QCOMPARE(map.positionOfByte(utf8, 1000), text.size());
        QCOMPARE(loqa::Utf8ToText(utf8), text);
    }

    // An editor's LF is the engine's CR LF: one position, and an offset between
    // the two gives the position after the line end.
    void lineEnds_countOnceWhenAsked()
    {
        const QByteArray utf8("ab\r\ncd\r\n\r\ne");
        loqa::TextOffsetMap editor(true);
        QCOMPARE(editor.positionOfByte(utf8, 4), 3);
        QCOMPARE(editor.positionOfByte(utf8, 3), 3);
        QCOMPARE(editor.positionOfByte(utf8, 10), 7);
        QCOMPARE(editor.byteOfPosition(utf8, 7), 10);
        QCOMPARE(editor.byteOfCharacter(utf8, 4), 5); // characters count the pair once too
        loqa::TextOffsetMap engine;
        QCOMPARE(engine.positionOfByte(utf8, 10), 10);
        QCOMPARE(engine.byteOfCharacter(utf8, 4), 4);
    }

    // A byte that begins no valid sequence is one character of its own, read as
    // U+FFFD: a stray continuation, a cut sequence, an overlong form, a surrogate.
    void invalidBytes_areOneCharacterEach()
    {
        const QByteArray utf8("a\x80"
                              "b\xC3(\xC0\xAF\xED\xA0\x80\xF0\x9F\x98",
                              13);
        const QString text = loqa::Utf8ToText(utf8);
        QCOMPARE(text, QStringLiteral("a\uFFFDb\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"));
        loqa::TextOffsetMap map;
        for (qsizetype k = 0; k <= utf8.size(); ++k) {
            QCOMPARE(map.byteOfCharacter(utf8, k), k);
            QCOMPARE(map.positionOfByte(utf8, k), k);
        }
    }
};

QTEST_GUILESS_MAIN(TestTextOffsets)
#include "tst_textoffsets.moc"
