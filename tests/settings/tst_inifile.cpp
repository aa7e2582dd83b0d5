#include "settings/inifile.h"

#include <QTest>

#include <limits>

using loqa::IniFile;

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void integers_data();
    void integers();
    void linesAreClassifiedAfterTrimming();
    void lastOfRepeatedKeysIsReadAndReplaced();
    void repeatedSectionContinues();
    void writesAppendAndReplaceInPlace();
    void erasedSectionMovesToTheEnd();
    void lineEndings_data();
    void lineEndings();
    void outputIsStableUnderReparsing();
    void lineBreaksInWrittenTextBecomeBlanks();
    void textThatIsNotUtf8();
    void badInput_data();
    void badInput();
    void fiftyMegabytes();
};

void TestIniFile::integers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << QByteArray("150") << true << 150;
    QTest::newRow("negative") << QByteArray("-1") << true << -1;
    QTest::newRow("plus") << QByteArray("+7") << true << 7;
    QTest::newRow("leading zeros") << QByteArray("007") << true << 7;
    QTest::newRow("0x") << QByteArray("0x96") << true << 150;
    QTest::newRow("0X") << QByteArray("0X96") << true << 150;
    QTest::newRow("dollar") << QByteArray("$96") << true << 150;
    QTest::newRow("hex letters either case") << QByteArray("0xfFfFfF") << true << 0xFFFFFF;
    QTest::newRow("hex all bits") << QByteArray("$FFFFFFFF") << true << -1;
    QTest::newRow("int max") << QByteArray("2147483647") << true << std::numeric_limits<int>::max();
    QTest::newRow("int min") << QByteArray("-2147483648") << true << std::numeric_limits<int>::min();
    QTest::newRow("above int max") << QByteArray("2147483648") << false << 0;
    QTest::newRow("below int min") << QByteArray("-2147483649") << false << 0;
    QTest::newRow("hex above 32 bits") << QByteArray("0x100000000") << false << 0;
    QTest::newRow("many digits") << QByteArray(4096, '9') << false << 0;
    QTest::newRow("empty") << QByteArray("") << false << 0;
    QTest::newRow("letters") << QByteArray("abc") << false << 0;
    QTest::newRow("bare 0x") << QByteArray("0x") << false << 0;
    QTest::newRow("bare dollar") << QByteArray("$") << false << 0;
    QTest::newRow("bare sign") << QByteArray("-") << false << 0;
    QTest::newRow("signed hex") << QByteArray("-0x10") << false << 0;
    QTest::newRow("exponent") << QByteArray("1e3") << false << 0;
    QTest::newRow("fraction") << QByteArray("1.5") << false << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << false << 0;
    QTest::newRow("bad hex digit") << QByteArray("0x9G") << false << 0;
}

void TestIniFile::integers()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const std::optional<qint32> parsed = IniFile::parseInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);

    // Through a file: an unreadable number gives the default, a boolean is any non-zero number.
    IniFile ini;
    QVERIFY(ini.parse("[S]\r\nN=" + text + "\r\n"));
    QCOMPARE(ini.readInteger(u"S", u"N", 4242), valid ? value : 4242);
    QCOMPARE(ini.readBool(u"S", u"N", true), valid ? value != 0 : true);
    QCOMPARE(ini.readBool(u"S", u"N", false), valid ? value != 0 : false);
}

void TestIniFile::linesAreClassifiedAfterTrimming()
{
    IniFile ini;
    QVERIFY(ini.parse("Early=1\r\n"
                      "; a comment\r\n"
                      " \t[ First Section ] \t\r\n"
                      "  Key One  =  value with  inner blanks \t\r\n"
                      "   ; indented comment=with equals\r\n"
                      "\t\r\n"
                      "  a line without equals  \r\n"
                      "Empty=\r\n"
                      "=no key\r\n"
                      "Eq=a=b\r\n"
                      "[]\r\n"
                      "Nameless=yes\r\n"
                      "[a]b]\r\n"
                      "[not a header\r\n"));

    QCOMPARE(ini.sectionNames(), QStringList({"First Section", "", "a]b"}));
    QVERIFY(!ini.value(u"First Section", u"Early"));
    QCOMPARE(ini.readString(u"first section", u"KEY ONE", "x"), QString("value with  inner blanks"));
    QVERIFY(ini.value(u"First Section", u"Empty") == QByteArray());
    QCOMPARE(ini.readString(u"First Section", u"Empty", "default"), QString());
    QCOMPARE(ini.readString(u"First Section", u"", "x"), QString("no key"));
    QCOMPARE(ini.readString(u"First Section", u"Eq", "x"), QString("a=b"));
    QCOMPARE(ini.readString(u"", u"Nameless", "x"), QString("yes"));
    QCOMPARE(ini.readString(u"a]b", u"[not a header", "x"), QString("x"));
    QCOMPARE(
        ini.readSectionLines(u"First Section"),
        QStringList({"Key One=value with  inner blanks", "  a line without equals  ", "Empty=", "=no key", "Eq=a=b"}));
    QCOMPARE(ini.readSectionLines(u"a]b"), QStringList({"[not a header"}));
    QVERIFY(ini.readSectionLines(u"Missing").isEmpty());

    // Comments, empty lines and what stood before the first section are gone; the
    // rest comes back trimmed, lines without "=" exactly as they stood.
    QCOMPARE(ini.toBytes(), QByteArray("[First Section]\r\n"
                                       "Key One=value with  inner blanks\r\n"
                                       "  a line without equals  \r\n"
                                       "Empty=\r\n"
                                       "=no key\r\n"
                                       "Eq=a=b\r\n"
                                       "\r\n"
                                       "[]\r\n"
                                       "Nameless=yes\r\n"
                                       "\r\n"
                                       "[a]b]\r\n"
                                       "[not a header\r\n"
                                       "\r\n"));
}

void TestIniFile::lastOfRepeatedKeysIsReadAndReplaced()
{
    IniFile ini;
    QVERIFY(ini.parse("[S]\r\nk=1\r\nOther=x\r\nK=2\r\nk=3\r\nTail=y\r\n"));
    QCOMPARE(ini.readInteger(u"s", u"K", 0), 3);

    ini.writeInteger(u"S", u"K", 9);
    QCOMPARE(ini.toBytes(), QByteArray("[S]\r\nk=1\r\nOther=x\r\nK=2\r\nK=9\r\nTail=y\r\n\r\n"));
    QCOMPARE(ini.readInteger(u"S", u"k", 0), 9);
}

void TestIniFile::repeatedSectionContinues()
{
    IniFile ini;
    QVERIFY(ini.parse("[A]\r\nx=1\r\ny=1\r\n[B]\r\nz=1\r\n[a]\r\nx=2\r\nw=2\r\n"));
    QCOMPARE(ini.sectionNames(), QStringList({"A", "B"}));
    QCOMPARE(ini.readInteger(u"A", u"x", 0), 2);
    QCOMPARE(ini.readSectionLines(u"A"), QStringList({"x=1", "y=1", "x=2", "w=2"}));
    ini.eraseSection(u"A");
    QCOMPARE(ini.toBytes(), QByteArray("[B]\r\nz=1\r\n\r\n"));
}

void TestIniFile::writesAppendAndReplaceInPlace()
{
    IniFile ini;
    QVERIFY(ini.parse("[one]\r\nKeep=me\r\nb=old\r\n[Two]\r\nc=3\r\n"));
    ini.writeString(u"ONE", u"B", u"new");
    ini.writeString(u"One", u"Added", u"  kept as written  ");
    ini.writeInteger(u"Three", u"N", -5);
    ini.writeBool(u"Two", u"Flag", true);
    ini.writeBool(u"Three", u"Off", false);
    ini.appendLine(u"Three", u"  free text  ");
    QCOMPARE(ini.toBytes(), QByteArray("[one]\r\nKeep=me\r\nB=new\r\nAdded=  kept as written  \r\n\r\n"
                                       "[Two]\r\nc=3\r\nFlag=1\r\n\r\n"
                                       "[Three]\r\nN=-5\r\nOff=0\r\n  free text  \r\n\r\n"));
    IniFile reread;
    QVERIFY(reread.parse(ini.toBytes()));
    QCOMPARE(reread.readString(u"one", u"added", "x"), QString("kept as written"));
}

void TestIniFile::erasedSectionMovesToTheEnd()
{
    IniFile ini;
    QVERIFY(ini.parse("[List]\r\n1=a\r\n[Other]\r\nx=1\r\n"));
    ini.eraseSection(u"list");
    ini.eraseSection(u"Never There");
    QVERIFY(!ini.hasSection(u"List"));
    ini.writeString(u"List", u"1", u"b");
    QCOMPARE(ini.toBytes(), QByteArray("[Other]\r\nx=1\r\n\r\n[List]\r\n1=b\r\n\r\n"));
}

void TestIniFile::lineEndings_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("CR LF") << QByteArray("[S]\r\na=1\r\nb=2\r\n");
    QTest::newRow("LF") << QByteArray("[S]\na=1\nb=2\n");
    QTest::newRow("CR") << QByteArray("[S]\ra=1\rb=2\r");
    QTest::newRow("mixed, no last end") << QByteArray("[S]\n\ra=1\r\r\nb=2");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[S]\r\na=1\r\nb=2\r\n");
}

void TestIniFile::lineEndings()
{
    QFETCH(QByteArray, text);
    IniFile ini;
    QVERIFY(ini.parse(text));
    QCOMPARE(ini.toBytes(), QByteArray("[S]\r\na=1\r\nb=2\r\n\r\n"));
}

void TestIniFile::outputIsStableUnderReparsing()
{
    const QByteArray messy = "x=1\n;c\n[ A ]\n k = v \n raw \n[b]\n[[c]]\n=\n[a]\nk=w\n\xEF\xBB\xBF=bom\n";
    IniFile first;
    QVERIFY(first.parse(messy));
    const QByteArray once = first.toBytes();
    IniFile second;
    QVERIFY(second.parse(once));
    QCOMPARE(second.toBytes(), once);
    QCOMPARE(second.sectionNames(), QStringList({"A", "b", "[c]"}));
}

void TestIniFile::lineBreaksInWrittenTextBecomeBlanks()
{
    IniFile ini;
    ini.writeString(u"S", u"Text", u"one\r\n[Injected]\nkey=value\rend");
    ini.writeString(u"S", u"Two\nLines", u"v");
    ini.appendLine(u"S", u"free\r\n[Also]");
    const QByteArray bytes = ini.toBytes();
    QCOMPARE(bytes, QByteArray("[S]\r\nText=one [Injected] key=value end\r\nTwo Lines=v\r\nfree [Also]\r\n\r\n"));

    IniFile again;
    QVERIFY(again.parse(bytes));
    QCOMPARE(again.sectionNames(), QStringList({"S"}));
}

void TestIniFile::textThatIsNotUtf8()
{
    const QByteArray bytes = "[S]\r\nLatin=Caf\xE9\r\nGood=Caf\xC3\xA9\r\nUnknown\xFF=\xFE\xFF\r\n\xC0\xAF raw\r\n"
                             "Mark=\xEF\xBB\xBFx\r\n";
    IniFile ini;
    QVERIFY(ini.parse(bytes));
    QCOMPARE(ini.readString(u"S", u"Latin", "default"), QString("default"));
    QCOMPARE(ini.readString(u"S", u"Good", "default"), QString::fromUtf8("Caf\xC3\xA9"));
    // U+FEFF inside the file is a character like any other, not a byte order mark.
    QCOMPARE(ini.readString(u"S", u"Mark", "default"), QString(QChar(0xFEFF)) + "x");
    QCOMPARE(ini.readSectionLines(u"S").size(), 5);
    QCOMPARE(ini.readSectionLines(u"S").at(0), QString::fromUtf8("Latin=Caf\xEF\xBF\xBD"));
    // What the program does not read survives byte for byte.
    ini.writeString(u"S", u"Good", u"x");
    QCOMPARE(ini.toBytes(), "[S]\r\nLatin=Caf\xE9\r\nGood=x\r\nUnknown\xFF=\xFE\xFF\r\n\xC0\xAF raw\r\n"
                            "Mark=\xEF\xBB\xBFx\r\n\r\n");
}

void TestIniFile::badInput_data()
{
    QTest::addColumn<QByteArray>("text");

    QByteArray binary(1 << 20, '\0');
    quint32 seed = 12345;
    for (char &c : binary) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    QTest::newRow("binary") << binary;
    static const char nul[] = "[S\0]\r\n\0=\0\r\nK=1\0 2\r\nN=7\0\r\n";
    QTest::newRow("NUL bytes") << QByteArray(nul, sizeof nul - 1);
    QTest::newRow("megabyte line") << "[S]\r\nK=" + QByteArray(1 << 20, 'x') + "\r\nN=7\r\n";
    QTest::newRow("megabyte header") << "[" + QByteArray(1 << 20, 'S') + "]\r\n[S]\r\nN=7\r\n";
    QByteArray sections = "[S]\r\nN=7\r\n";
    for (int i = 0; i < 200000; ++i)
        sections += "[s" + QByteArray::number(i) + "]\r\n";
    QTest::newRow("many sections") << sections;
    QTest::newRow("many keys") << QByteArray("[S]\r\n") + QByteArray("k=v\r\n").repeated(200000) + "N=7\r\n";
}

void TestIniFile::badInput()
{
    QFETCH(QByteArray, text);
    IniFile ini;
    QVERIFY(ini.parse(text));
    if (QTest::currentDataTag() != QByteArray("binary")) {
        QCOMPARE(ini.readInteger(u"S", u"N", 0), 7);
        QCOMPARE(ini.readInteger(u"S", u"K", -3), -3);
    }
    ini.writeInteger(u"S", u"N", 8);
    IniFile again;
    QVERIFY(again.parse(ini.toBytes()));
    QCOMPARE(again.readInteger(u"S", u"N", 0), 8);
    QCOMPARE(again.toBytes(), ini.toBytes());
}

void TestIniFile::fiftyMegabytes()
{
    // 50 MB of short key lines in one section, with the value that counts at the end.
    QByteArray text = QByteArray("[S]\r\n");
    text.reserve(50 * 1024 * 1024 + 64);
    for (int i = 0; text.size() < 50 * 1024 * 1024; ++i)
        text += "k" + QByteArray::number(i % 1000000) + "=v\r\n";
    text += "N=0x20\r\n";
    IniFile ini;
    QVERIFY(ini.parse(text));
    QCOMPARE(ini.readInteger(u"S", u"N", 0), 32);
    QCOMPARE(ini.readString(u"S", u"K999999", "x"), QString("v"));
    ini.writeInteger(u"S", u"N", 33);
    const QByteArray saved = ini.toBytes();
    QCOMPARE(saved.size(), text.size());
    QVERIFY(saved.endsWith("=v\r\nN=33\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
