#include "text/documentfile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTest>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using loqa::DocumentFile;
using loqa::LineEnd;
using loqa::TextEncoding;

Q_DECLARE_METATYPE(loqa::TextEncoding)
Q_DECLARE_METATYPE(loqa::LineEnd)

namespace {

QByteArray Bytes(const char *s, qsizetype n)
{
    return QByteArray(s, n);
}

QByteArray Utf16(const QString &text, bool little)
{
    QByteArray out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(little ? lo : hi).append(little ? hi : lo);
    }
    return out;
}

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<LineEnd>("lineEnd");
        QTest::addColumn<QString>("text"); // as the editor gets it; null: not checked

        // Every encoding with every line-end style.
        const QString sample = QStringLiteral("Grüße, café € “q”%1zweite Zeile%1%1end");
        const QByteArray cp1252 = "Gr\xFC\xDF"
                                  "e, caf\xE9 \x80 \x93q\x94%1zweite Zeile%1%1end";
        const struct {
            const char *name;
            const char *brk;
            LineEnd style;
        } styles[] = {{"crlf", "\r\n", LineEnd::CrLf}, {"lf", "\n", LineEnd::Lf}, {"cr", "\r", LineEnd::Cr}};
        for (const auto &s : styles) {
            const QString text = sample.arg(QLatin1String(s.brk));
            const QString lfText = sample.arg(QLatin1Char('\n'));
            const QByteArray ansi = QByteArray(cp1252).replace("%1", s.brk);
            QTest::addRow("utf-8 %s", s.name) << text.toUtf8() << TextEncoding::Utf8 << false << s.style << lfText;
            QTest::addRow("utf-8 bom %s", s.name)
                << "\xEF\xBB\xBF" + text.toUtf8() << TextEncoding::Utf8 << true << s.style << lfText;
            QTest::addRow("utf-16le %s", s.name)
                << Utf16(text, true) << TextEncoding::Utf16LE << true << s.style << lfText;
            QTest::addRow("utf-16be %s", s.name)
                << Utf16(text, false) << TextEncoding::Utf16BE << true << s.style << lfText;
            QTest::addRow("windows-1252 %s", s.name) << ansi << TextEncoding::Windows1252 << false << s.style << lfText;
        }
        // uchardet takes this for Central European; read so, it is the same text.
        QTest::newRow("windows-1252 taken for windows-1250")
            << QByteArray("Gr\xFC\xDF"
                          "e, caf\xE9 \x80 \x93q\x94 zweite Zeile, \xE4\xF6\xFC")
            << TextEncoding::Windows1252 << false << LineEnd::Lf
            << QStringLiteral("Grüße, café € “q” zweite Zeile, äöü");
        QTest::newRow("no line end") << QByteArray("one line") << TextEncoding::Utf8 << false << LineEnd::Lf
                                     << QStringLiteral("one line");

        // Files that must come back byte for byte although no single style describes them.
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd\r\n") << TextEncoding::Utf8 << false << LineEnd::CrLf
                               << QStringLiteral("a\nb\nc\nd\n");
        QTest::newRow("mixed, lf first") << QByteArray("a\nb\r\n\r\n") << TextEncoding::Utf8 << false << LineEnd::Lf
                                         << QStringLiteral("a\nb\n\n");
        QTest::newRow("editor paragraph breaks")
            << QByteArray("a\xE2\x80\xA9"
                          "b\r\nc\xEF\xB7\x90"
                          "d\xEF\xB7\x91")
            << TextEncoding::Utf8 << false << LineEnd::CrLf << QStringLiteral("a\nb\nc\nd\n");
        QTest::newRow("breaks only") << QByteArray("\r\n\r\n") << TextEncoding::Utf8 << false << LineEnd::CrLf
                                     << QStringLiteral("\n\n");
        QTest::newRow("nul bytes") << Bytes("a\0b\r\n\0", 6) << TextEncoding::Utf8 << false << LineEnd::CrLf
                                   << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b\n") + QChar(0));
        QTest::newRow("nul in windows-1252") << Bytes("\0\xE9\n", 3) << TextEncoding::Windows1252 << false
                                             << LineEnd::Lf << QString(QChar(0) + QStringLiteral("é\n"));
        QTest::newRow("empty") << QByteArray() << TextEncoding::Utf8 << false << LineEnd::Lf << QString("");
        QTest::newRow("utf-8 bom only") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8 << true << LineEnd::Lf
                                        << QString("");
        QTest::newRow("utf-16le bom only")
            << QByteArray("\xFF\xFE") << TextEncoding::Utf16LE << true << LineEnd::Lf << QString("");
        QTest::newRow("two boms") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << TextEncoding::Utf8 << true
                                  << LineEnd::Lf << QStringLiteral("\uFEFFx");
        QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBE") << TextEncoding::Utf8 << false << LineEnd::Lf
                                      << QStringLiteral("\uFFFE");
        QTest::newRow("truncated utf-8") << QByteArray("ab\xC3") << TextEncoding::Windows1252 << false << LineEnd::Lf
                                         << QStringLiteral("abÃ");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << TextEncoding::Windows1252 << false
                                           << LineEnd::Lf << QStringLiteral("í\u00A0\u20AC");
        QTest::newRow("utf-8 bom, then invalid") << QByteArray("\xEF\xBB\xBF\xE9") << TextEncoding::Windows1252 << false
                                                 << LineEnd::Lf << QStringLiteral("ï»¿é");
        QTest::newRow("undefined windows-1252 bytes")
            << QByteArray("\x81\x8D\x8F\x90\x9D\x9F") << TextEncoding::Windows1252 << false << LineEnd::Lf
            << QStringLiteral("\u0081\u008D\u008F\u0090\u009D\u0178");
        QByteArray every(256, '\0');
        for (int i = 0; i < 256; ++i)
            every[i] = char(i);
        QTest::newRow("every byte") << every << TextEncoding::Windows1252 << false << LineEnd::Lf << QString();
        QTest::newRow("utf-16 of odd length")
            << QByteArray("\xFF\xFEx") << TextEncoding::Windows1252 << false << LineEnd::Lf << QStringLiteral("ÿþx");
        QTest::newRow("utf-16 lone surrogate") << Bytes("\xFF\xFE\x00\xD8x\x00\r\x00", 8) << TextEncoding::Utf16LE
                                               << true << LineEnd::Cr << QString(QChar(0xD800) + QStringLiteral("x\n"));
    }

    // Opened and saved unchanged, straight and through the editor the window uses.
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        TempHome home;
        QVERIFY(home.write("doc.txt", bytes));
        DocumentFile doc;
        QString error;
        QVERIFY2(doc.load(home.file("doc.txt"), &error), qPrintable(error));
        QTEST(doc.encoding(), "encoding");
        QTEST(doc.hasBom(), "bom");
        QTEST(doc.lineEnd(), "lineEnd");
        QFETCH(QString, text);
        if (!text.isNull())
            QCOMPARE(doc.text(), text);

        QString notice = QStringLiteral("stale");
        QVERIFY2(doc.save(home.file("copy.txt"), doc.text(), &error, &notice), qPrintable(error));
        QCOMPARE(home.read("copy.txt"), bytes);
        QVERIFY(notice.isEmpty());

        QPlainTextEdit editor;
        editor.setPlainText(doc.takeText());
        QVERIFY(doc.save(home.file("doc.txt"), editor.document()->toRawText(), &error));
        QCOMPARE(home.read("doc.txt"), bytes);
    }

    // Texts in the code pages uchardet recognises: read in them, written back byte
    // for byte, edited in their own script still in them, and as UTF-8 with a
    // notice once they hold a character the code page has not.
    void legacyCodePages_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("edited");
        QTest::newRow("cyrillic") << QStringLiteral("windows-1251")
                                  << QStringLiteral("Съешь же ещё этих мягких французских булок,\nда выпей чаю.\n")
                                  << QStringLiteral("Съешь же ещё этих булок.\nИ чаю — «горячего»!\n");
        QTest::newRow("greek") << QStringLiteral("ISO-8859-7")
                               << QStringLiteral("Ξεσκεπάζω την ψυχοφθόρα βδελυγμία.\nΗ γλώσσα μου έδωσαν ελληνική.\n")
                               << QStringLiteral("Ξεσκεπάζω την ψυχοφθόρα βδελυγμία.\nΤέλος.\n");
        QTest::newRow("japanese") << QStringLiteral("Shift_JIS")
                                  << QStringLiteral("日本語のテキストです。\nこれはテストの文章です。\n")
                                  << QStringLiteral("日本語のテキストです。\n新しい行、漢字とカナ。\n");
    }

    void legacyCodePages()
    {
        QFETCH(QString, codePage);
        QFETCH(QString, text);
        QFETCH(QString, edited);
        const auto encoded = [&](const QString &lf) {
            QStringEncoder encoder(codePage.toLatin1().constData());
            const QByteArray bytes = encoder.encode(QString(lf).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
            return encoder.hasError() ? QByteArray() : bytes;
        };
        const QByteArray bytes = encoded(text);
        QVERIFY(!bytes.isEmpty());
        TempHome home;
        const QString path = home.file("doc.txt");
        QVERIFY(home.write("doc.txt", bytes));
        DocumentFile doc;
        QVERIFY(doc.load(path));
        QCOMPARE(doc.encoding(), TextEncoding::Legacy);
        QCOMPARE(doc.encodingName(), codePage);
        QCOMPARE(doc.lineEnd(), LineEnd::CrLf);
        QCOMPARE(doc.text(), text);

        QString notice = QStringLiteral("stale");
        QVERIFY(doc.save(path, doc.text(), nullptr, &notice));
        QCOMPARE(home.read("doc.txt"), bytes);
        QVERIFY(notice.isEmpty());
        QVERIFY(doc.save(path, edited, nullptr, &notice));
        QCOMPARE(home.read("doc.txt"), encoded(edited));
        QVERIFY(notice.isEmpty());
        DocumentFile again;
        QVERIFY(again.load(path));
        QCOMPARE(again.encodingName(), codePage);
        QCOMPARE(again.text(), edited);

        const QString beyond = edited + QStringLiteral("😀\n");
        TextEncoding written = TextEncoding::Legacy;
        QCOMPARE(doc.toBytes(beyond, &written), beyond.toUtf8().replace("\n", "\r\n"));
        QCOMPARE(written, TextEncoding::Utf8);
        QVERIFY(doc.save(path, beyond, nullptr, &notice));
        QVERIFY2(notice.contains(path) && notice.contains("UTF-8") && notice.contains(codePage), qPrintable(notice));
        QCOMPARE(doc.encodingName(), QStringLiteral("UTF-8"));
    }

    void editedText_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("windows-1252 crlf")
            << QByteArray("caf\xE9\r\nx") << QStringLiteral("café\n€ neu\n") << QByteArray("caf\xE9\r\n\x80 neu\r\n");
        QTest::newRow("undefined byte kept")
            << QByteArray("\x81\xE9") << QStringLiteral("\u0081é!") << QByteArray("\x81\xE9!");
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFold") << QStringLiteral("neu ü")
                                   << QByteArray("\xEF\xBB\xBFneu \xC3\xBC");
        QTest::newRow("utf-16be cr") << Bytes("\xFE\xFF\0a\0\r", 6) << QStringLiteral("a\nb")
                                     << Bytes("\xFE\xFF\0a\0\r\0b", 8);
        QTest::newRow("mixed becomes uniform")
            << QByteArray("a\r\nb\nc") << QStringLiteral("a\nb\nc!") << QByteArray("a\r\nb\r\nc!");
        QTest::newRow("editor's raw text")
            << QByteArray("x\r\ny") << QStringLiteral("x\u2029y\u2029z") << QByteArray("x\r\ny\r\nz");
        QTest::newRow("pasted line ends") << QByteArray("x\ny") << QStringLiteral("a\r\nb\rc") << QByteArray("a\nb\nc");
    }

    void editedText()
    {
        QFETCH(QByteArray, original);
        QFETCH(QString, edited);
        TempHome home;
        QVERIFY(home.write("doc.txt", original));
        DocumentFile doc;
        QVERIFY(doc.load(home.file("doc.txt")));
        QString notice = QStringLiteral("stale");
        QVERIFY(doc.save(home.file("doc.txt"), edited, nullptr, &notice));
        QTEST(home.read("doc.txt"), "saved");
        QVERIFY(notice.isEmpty());
    }

    void unrepresentableCharacter_data()
    {
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("chinese") << QStringLiteral("café 中\n") << QByteArray("caf\xC3\xA9 \xE4\xB8\xAD\r\n");
        // 0x80 is the euro sign there, so U+0080 has no byte.
        QTest::newRow("c1 control") << QStringLiteral("\u0080\n") << QByteArray("\xC2\x80\r\n");
    }

    void unrepresentableCharacter()
    {
        QFETCH(QString, edited);
        TempHome home;
        const QString path = home.file("doc.txt");
        QVERIFY(home.write("doc.txt", "caf\xE9\r\n"));
        DocumentFile doc;
        QVERIFY(doc.load(path));
        TextEncoding written = TextEncoding::Windows1252;
        QTEST(doc.toBytes(edited, &written), "saved");
        QCOMPARE(written, TextEncoding::Utf8);
        QCOMPARE(doc.encoding(), TextEncoding::Windows1252);

        QString notice;
        QVERIFY(doc.save(path, edited, nullptr, &notice));
        QTEST(home.read("doc.txt"), "saved");
        QVERIFY2(notice.contains(path) && notice.contains("UTF-8") && notice.contains("Windows-1252"),
                 qPrintable(notice));
        QCOMPARE(doc.encoding(), TextEncoding::Utf8);
        QVERIFY(doc.save(path, edited, nullptr, &notice));
        QVERIFY(notice.isEmpty());
        DocumentFile again;
        QVERIFY(again.load(path));
        QCOMPARE(again.encoding(), TextEncoding::Utf8);
        QCOMPARE(again.lineEnd(), LineEnd::CrLf);
    }

    void newDocuments()
    {
        TempHome home;
        DocumentFile doc;
        QVERIFY(doc.save(home.file("new.txt"), u"ä\r\nb"));
        QCOMPARE(home.read("new.txt"), QByteArray("\xC3\xA4\nb"));

        QVERIFY(home.write("old.txt", Bytes("\xFF\xFEx\0", 4)));
        QVERIFY(doc.load(home.file("old.txt")));
        QVERIFY(doc.createEmpty(home.file("untitled1.txt")));
        QVERIFY(QFileInfo::exists(home.file("untitled1.txt")));
        QCOMPARE(home.read("untitled1.txt"), QByteArray());
        QCOMPARE(doc.encoding(), TextEncoding::Utf8);
        QVERIFY(doc.save(home.file("untitled1.txt"), u"é"));
        QCOMPARE(home.read("untitled1.txt"), QByteArray("\xC3\xA9"));

        QVERIFY(doc.createWelcome(home.file("gone.txt")));
        QCOMPARE(home.read("gone.txt"), QByteArray("Welcome to Loquora!"));
        QCOMPARE(doc.text(), QStringLiteral("Welcome to Loquora!"));

        QString error;
        const QString lost = home.file("missing/gone.txt");
        QVERIFY(!doc.createWelcome(lost, &error));
        QVERIFY2(error.contains(lost), qPrintable(error));
        QCOMPARE(doc.text(), QStringLiteral("Welcome to Loquora!"));
    }

    void permissionsAndLinks()
    {
        TempHome home;
        const QString path = home.file("private.txt");
        QVERIFY(home.write("private.txt", "old"));
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(path, mode));
        DocumentFile doc;
        QVERIFY(doc.load(path));
        QVERIFY(doc.save(path, u"new"));
        QCOMPARE(home.read("private.txt"), QByteArray("new"));
        QCOMPARE(QFileInfo(path).permissions() & QFile::Permissions(0x7077), mode);
        if (geteuid() == 0) { // and the owner, where the saving user may set it
            QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
            QVERIFY(doc.save(path, u"newer"));
            QCOMPARE(QFileInfo(path).ownerId(), 65534u);
            QCOMPARE(QFileInfo(path).groupId(), 65534u);
        }

        QVERIFY(QDir(home.path()).mkdir("real"));
        QVERIFY(home.write("real/target.txt", "old"));
        QVERIFY(QFile::link("real/target.txt", home.file("link.txt")));
        QVERIFY(doc.load(home.file("link.txt")));
        QVERIFY(doc.save(home.file("link.txt"), u"through the link"));
        QVERIFY(QFileInfo(home.file("link.txt")).isSymLink());
        QCOMPARE(QFileInfo(home.file("link.txt")).symLinkTarget(), home.file("real/target.txt"));
        QCOMPARE(home.read("real/target.txt"), QByteArray("through the link"));
        QCOMPARE(QDir(home.file("real")).entryList(QDir::Files), QStringList{"target.txt"});
    }

    void failures()
    {
        TempHome home;
        DocumentFile doc;
        QString error;
        const QString nowhere = home.file("missing/doc.txt");
        QVERIFY(!doc.load(nowhere, &error));
        QVERIFY2(error.contains(nowhere) && error.contains("No such file"), qPrintable(error));
        QVERIFY(!doc.save(nowhere, u"text", &error));
        QVERIFY2(error.contains(nowhere), qPrintable(error));
        QVERIFY(!QFileInfo::exists(home.file("missing")));

        // A place nobody can create files in, not even root; the file there stays as it was.
        const QString comm = QStringLiteral("/proc/self/comm");
        QFile before(comm);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray name = before.readAll();
        QVERIFY(!doc.save(comm, u"renamed", &error));
        const QString prefix = QStringLiteral("Cannot save \"/proc/self/comm\": ");
        QVERIFY2(error.startsWith(prefix) && error.size() > prefix.size(), qPrintable(error));
        QFile after(comm);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), name);
    }

    // The disk fills up in the middle of a save: the old document stays whole and
    // no temporary file is left behind.
    void writeFailsMidway()
    {
        TempHome home;
        const QString path = home.file("doc.txt");
        QVERIFY(home.write("doc.txt", "old text\n"));
        DocumentFile doc;
        QVERIFY(doc.load(path));
        const QString big(1 << 20, QLatin1Char('x'));

        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        QString error;
        const bool ok = doc.save(path, big, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!ok);
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(home.read("doc.txt"), QByteArray("old text\n"));
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList{"doc.txt"});
    }
};

QTEST_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
