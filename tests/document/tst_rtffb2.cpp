// The RTF and FictionBook readers on files pandoc writes, on hand-made files that
// hold what pandoc never writes (code pages, fallback characters, skipped
// destinations), and on hostile files that must end quickly with a bounded result.
#include "document/document.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>

using loqa::doc::Chapter;
using loqa::doc::Result;

Q_DECLARE_METATYPE(QList<loqa::doc::Chapter>)

namespace {

// A Markdown book through pandoc, to `format` ("rtf", "fb2").
QByteArray Pandoc(const QByteArray &markdown, const QString &format)
{
    QProcess pandoc;
    pandoc.start(QStringLiteral("pandoc"), {QStringLiteral("-f"), QStringLiteral("markdown"), QStringLiteral("-t"),
                                            format, QStringLiteral("-s")});
    if (!pandoc.waitForStarted())
        return {};
    pandoc.write(markdown);
    pandoc.closeWriteChannel();
    if (!pandoc.waitForFinished(60000) || pandoc.exitCode() != 0)
        return {};
    return pandoc.readAllStandardOutput();
}

const QByteArray kBook = "---\ntitle: Das Buch\n---\n\n"
                         "# Café\n\n"
                         "First paragraph, naïve Ωμέγα 日本 😀.\n\n"
                         "## Second level\n\n"
                         "Text with a [link](http://example.org/hidden) and a note[^1].\n\n"
                         "[^1]: Never read aloud.\n\n"
                         "# Last\n\n"
                         "End.\n";

Result Read(const QString &format, const QByteArray &bytes, qsizetype maxText = loqa::doc::Limits{}.maxText)
{
    loqa::doc::Options options;
    options.limits.maxText = maxText;
    return format == u"rtf" ? loqa::doc::ReadRtf(bytes, options) : loqa::doc::ReadFb2(bytes, options);
}

} // namespace

class TestRtfFb2 : public QObject
{
    Q_OBJECT

private slots:
    // One book written by pandoc in both formats reads as the same text and chapters.
    void pandocBook_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Chapter>>("chapters");
        const QString body = QStringLiteral("Café\n\nFirst paragraph, naïve Ωμέγα 日本 😀.\n\nSecond level\n\n"
                                            "Text with a link and a note.\n\nLast\n\nEnd.");
        // pandoc's RTF gives the book's title as a paragraph without an outline
        // level; its FB2 repeats it as the body's title, a chapter.
        QTest::newRow("rtf") << QStringLiteral("rtf") << QStringLiteral("Das Buch\n\n") + body
                             << QList<Chapter>{{QStringLiteral("Café"), 10, 1},
                                               {QStringLiteral("Second level"), 53, 2},
                                               {QStringLiteral("Last"), 97, 1}};
        QTest::newRow("fb2") << QStringLiteral("fb2") << QStringLiteral("Das Buch\n\n") + body
                             << QList<Chapter>{{QStringLiteral("Das Buch"), 0, 1},
                                               {QStringLiteral("Café"), 10, 1},
                                               {QStringLiteral("Second level"), 53, 2},
                                               {QStringLiteral("Last"), 97, 1}};
    }

    void pandocBook()
    {
        QFETCH(QString, format);
        LOQA_REQUIRE_OR_SKIP(!QStandardPaths::findExecutable(QStringLiteral("pandoc")).isEmpty(), "pandoc is missing");
        const QByteArray bytes = Pandoc(kBook, format);
        QVERIFY(!bytes.isEmpty());
        const Result result = Read(format, bytes);
        QVERIFY2(result.ok, qPrintable(result.error));
        QTEST(result.text, "text");
        QTEST(result.chapters, "chapters");
        for (const Chapter &c : result.chapters)
            QCOMPARE(result.text.mid(c.offset, c.title.size()), c.title);
    }

    // What word processors write and pandoc does not.
    void handMadeRtf()
    {
        QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1251\\deff0"
            "{\\fonttbl{\\f0\\froman\\fcharset204 Times;}{\\f1\\fcharset161{\\*\\panose 0}Greek;}"
            "{\\f2\\fcharset128 Mincho;}}"
            "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s1 heading 1;}}"
            "{\\info{\\title Not heard}{\\author Nobody}}"
            "{\\header Running header\\par}"
            "\\pard\\outlinelevel0 \\'c3\\'eb\\'e0\\'e2\\'e0 1\\par\n"
            "\\pard \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, {\\f1 \\'e2\\'e5\\'f6\\'e1}, {\\f2 \\'93\\'fa\\'96\\'7b}"
            "\\line{\\uc1\\u1046?\\u-3?}\\uc2\\u8364\\'80\\'80 {\\*\\bookmark {\\*\\nested deep} x}"
            "\\tab\\uc1\\u55357?\\u56832?"
            "{\\super\\chftn}{\\*\\footnote\\chftn Footnote text.}"
            " {\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}{\\fldrslt {\\ul link}}}\\par\n"
            "\\pard\\outlinelevel2 Deep\\par\\pard "
            "a\\~b\\_c\\-d\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote "
            "\\{\\}\\\\{\\pict\\bin4 }}}}}\\par\n"
            "}after the end";
        const Result result = loqa::doc::ReadRtf(rtf);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.text, QStringLiteral("Глава 1\n\nПривет, βεφα, 日本\nЖ\uFFFD€ \t😀 link\n\nDeep\n\n"
                                             "a\u00A0b-cd—–•‘’“”{}\\"));
        QCOMPARE(result.chapters, (QList<Chapter>{{QStringLiteral("Глава 1"), 0, 1}, {QStringLiteral("Deep"), 40, 3}}));
    }

    void handMadeFb2()
    {
        const QString book =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                           "<!DOCTYPE FictionBook [<!ENTITY who \"Пушкин\">]>\n"
                           "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
                           "xmlns:l=\"http://www.w3.org/1999/xlink\">\n"
                           "<description><title-info><book-title>Стихи</book-title><annotation><p>Not "
                           "heard</p></annotation></title-info>"
                           "<document-info><book-title>Other</book-title></document-info></description>\n"
                           "<body><image l:href=\"#cover\"/>\n"
                           "  <epigraph><p>Epigraph line</p><text-author>&who;</text-author></epigraph>\n"
                           "  <section><title><p>Часть 1</p><p>Начало</p></title>\n"
                           "    <p>Мороз и солнце;\n      день <emphasis>чудесный</emphasis>!<a l:href=\"#n1\" "
                           "type=\"note\">[1]</a></p>\n"
                           "    <empty-line/>\n"
                           "    <section><title><p>Inner</p></title>\n"
                           "      <poem><stanza><v>Line one</v><v>Line two</v></stanza></poem>\n"
                           "      <cite><p>Quoted</p></cite>\n"
                           "    </section>\n"
                           "  </section>\n"
                           "</body>\n"
                           "<body name=\"notes\"><section><p>The note</p></section></body>\n"
                           "<binary id=\"cover\" content-type=\"image/png\">iVBORw0KGgo=</binary>\n"
                           "</FictionBook>\n");
        const QByteArray bytes = QStringEncoder("windows-1251").encode(book);
        const Result result = loqa::doc::ReadFb2(bytes);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.text, QStringLiteral("Стихи\n\nEpigraph line\n\nПушкин\n\nЧасть 1. Начало\n\n"
                                             "Мороз и солнце; день чудесный!\n\nInner\n\nLine one\nLine "
                                             "two\n\nQuoted"));
        QCOMPARE(result.chapters, (QList<Chapter>{{QStringLiteral("Стихи"), 0, 1},
                                                  {QStringLiteral("Часть 1. Начало"), 30, 1},
                                                  {QStringLiteral("Inner"), 79, 2}}));
    }

    // Hostile and broken files: each ends within a second with its error or a
    // result no bigger than the limits allow.
    void hostile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error"); // empty: read
        QTest::addColumn<QString>("text");  // null: not checked

        QTest::newRow("rtf nested 100000 deep")
            << "rtf"
            << "{\\rtf1 " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}"
            << "This RTF file is damaged" << QString();
        QTest::newRow("rtf nested within bounds")
            << "rtf"
            << "{\\rtf1 " + QByteArray(199, '{') + "x" + QByteArray(199, '}') + "}" << QString() << "x";
        QTest::newRow("rtf unterminated group")
            << "rtf" << QByteArray("{\\rtf1 {\\b bold {\\i and more") << QString() << "bold and more";
        QTest::newRow("rtf bin beyond the end")
            << "rtf"
            << "{\\rtf1 before {\\pict\\bin9999999999 " + QByteArray(1 << 20, '\x7b') + "} after}" << QString()
            << "before";
        QTest::newRow("rtf endless parameter")
            << "rtf"
            << "{\\rtf1 a\\u" + QByteArray(1 << 20, '9') + " b}" << QString() << QString();
        QTest::newRow("rtf not rtf") << "rtf" << QByteArray("<html>{\\rtf1}") << "This file is not a readable RTF file"
                                     << QString();
        QTest::newRow("rtf empty") << "rtf" << QByteArray() << "This file is not a readable RTF file" << QString();
        QTest::newRow("rtf over the text limit") << "rtf"
                                                 << "{\\rtf1 " + QByteArray(2000, 'x') + "}"
                                                 << "The document's text is longer than 1000 characters" << QString();

        const QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE FictionBook [\n<!ENTITY a \"lol lol lol lol\">\n"
                                  "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                                  "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
                                  "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
                                  "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
                                  "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n"
                                  "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
                                  "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n"
                                  "<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n]>\n"
                                  "<FictionBook><body><p>&i;</p></body></FictionBook>";
        QTest::newRow("fb2 billion laughs")
            << "fb2" << laughs << "This file is not a readable FictionBook" << QString();
        QTest::newRow("fb2 external entity")
            << "fb2"
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE FictionBook [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>"
                          "<FictionBook><body><p>a&x;b</p></body></FictionBook>")
            << QString() << "ab";
        QTest::newRow("fb2 nested 100000 deep")
            << "fb2"
            << "<FictionBook><body>" + QByteArray("<section>").repeated(100000) + "<p>x</p>" +
                   QByteArray("</section>").repeated(100000) + "</body></FictionBook>"
            << QString() << "x";
        QTest::newRow("fb2 cut short") << "fb2" << QByteArray("<FictionBook><body><p>half a")
                                       << "This file is not a readable FictionBook" << QString();
        QTest::newRow("fb2 other xml") << "fb2" << QByteArray("<html><body><p>x</p></body></html>")
                                       << "This file is not a readable FictionBook" << QString();
        QTest::newRow("fb2 over the text limit")
            << "fb2"
            << "<FictionBook><body><p>" + QByteArray(2000, 'x') + "</p></body></FictionBook>"
            << "The document's text is longer than 1000 characters" << QString();
    }

    void hostile()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QString, text);
        QElapsedTimer timer;
        timer.start();
        const Result result = Read(format, bytes, 1000);
        // Linear work ends in well under a second; a reader that loops or goes
        // quadratic on these would take minutes. The bound leaves room for a
        // sanitizer's build on a busy machine.
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(result.error, error);
        QCOMPARE(result.ok, error.isEmpty());
        QVERIFY(result.text.size() <= 1000);
        if (!text.isNull())
            QCOMPARE(result.text, text);
    }
};

QTEST_MAIN(TestRtfFb2)
#include "tst_rtffb2.moc"
