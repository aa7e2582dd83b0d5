// The PDF reader on files Ghostscript makes from PostScript written here: words in
// reading order, the outline as chapters, the cleaning rules one by one, and the
// files it must refuse.
#include "document/cleaning.h"
#include "document/document.h"
#include "testsupport.h"

#include <QStandardPaths>

using namespace loqa::doc;

namespace {

// The pages of the book: a running header, a page number at the foot, a word
// broken at a line's end, a paragraph wrapped over lines, two columns on page 3.
const char *const kBookPs = R"(%!PS
[/Title (Chapter One) /Page 2 /OUT pdfmark
[/Count 1 /Title (Chapter Two) /Page 4 /OUT pdfmark
[/Title (A Section) /Page 5 /OUT pdfmark
[/Title (Nowhere) /Page 99 /OUT pdfmark
/body { /Helvetica findfont 12 scalefont setfont } def
/L { 72 exch moveto show } def
/R { 320 exch moveto show } def
/page { /Helvetica findfont 9 scalefont setfont 72 750 moveto (The Long Book) show 290 40 moveto show body } def
(1) page
(Front matter of the book, a dedication.) 700 L
showpage
(- 2 -) page
(Alpha bravo charlie delta echo foxtrot golf hotel india juliet) 700 L
(kilo lima mike november oscar papa quebec romeo an exam-) 685 L
(ple sierra tango uniform victor whiskey xray yankee zulu and) 670 L
(the end of the first paragraph is here.) 655 L
(Second paragraph starts here and runs on for a while longer) 625 L
(to wrap once more at the end.) 610 L
showpage
(3) page
(westerly one two three four the Anglo-) 700 L
(Saxon five six seven eight nine) 685 L
(westerly ends ten eleven twelve.) 670 L
(easterly thirteen fourteen fifteen) 700 R
(easterly sixteen seventeen eighteen) 685 R
(easterly ends nineteen twenty.) 670 R
showpage
(- 4 -) page
(Chapter two begins with these words on the fourth page.) 700 L
showpage
(5) page
(The section reads on the fifth page of the book.) 700 L
showpage
(- 6 -) page
(The last page says farewell.) 700 L
showpage
)";

const char *const kDrawingPs = R"(%!PS
newpath 100 100 moveto 200 0 rlineto 0 200 rlineto -200 0 rlineto closepath fill showpage
newpath 50 50 moveto 100 0 rlineto 0 100 rlineto closepath stroke showpage
)";

bool HavePs2pdf()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ps2pdf")).isEmpty();
}

QByteArray Ps2Pdf(const QTemporaryDir &dir, const QString &name, const QByteArray &postscript,
                  const QStringList &options = {})
{
    const QString ps = dir.filePath(name + QStringLiteral(".ps"));
    const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
    if (!WriteFile(ps, postscript))
        return {};
    QProcess process;
    process.start(QStringLiteral("ps2pdf"), options + QStringList{ps, pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QFile file(pdf);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Each word after the one before it in the text.
bool InOrder(const QString &text, const QStringList &words, QString *missing)
{
    qsizetype at = 0;
    for (const QString &word : words) {
        at = text.indexOf(word, at);
        if (at < 0) {
            *missing = word;
            return false;
        }
        at += word.size();
    }
    return true;
}

} // namespace

class TestPdfReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        LOQA_REQUIRE_OR_SKIP(HavePs2pdf(), "needs ps2pdf (Ghostscript)");
        QVERIFY(m_dir.isValid());
        m_book = Ps2Pdf(m_dir, QStringLiteral("book"), kBookPs);
        QVERIFY(m_book.startsWith("%PDF"));
    }

    // The book with every rule on: what a listener hears, in order, with its chapters.
    void readsBookCleaned()
    {
        QList<int> told;
        QStringList textsTold;
        Options options;
        options.progress = [&](const QString &textSoFar, int done, int total) {
            told.append(done);
            textsTold.append(textSoFar);
            return total == 6;
        };
        const Result result = ReadPdf(m_book, options);
        QVERIFY2(result.ok, qPrintable(result.error));
        const QString &text = result.text;

        QString missing;
        QVERIFY2(InOrder(text,
                         {QStringLiteral("Front matter"), QStringLiteral("Alpha bravo"), QStringLiteral("example"),
                          QStringLiteral("zulu"), QStringLiteral("Second paragraph"), QStringLiteral("westerly one"),
                          QStringLiteral("westerly ends"), QStringLiteral("easterly thirteen"),
                          QStringLiteral("easterly ends"), QStringLiteral("Chapter two begins"),
                          QStringLiteral("The section reads"), QStringLiteral("farewell")},
                         &missing),
                 qPrintable(missing + QStringLiteral(" not in order in: ") + text));
        // Running header and page numbers gone; broken word and wrapped lines made whole.
        QVERIFY2(!text.contains(QStringLiteral("The Long Book")), qPrintable(text));
        for (const QString &line : text.split(QLatin1Char('\n')))
            QVERIFY2(!RepeatedLines::isPageNumber(line), qPrintable(line));
        QVERIFY(!text.contains(QStringLiteral("exam-")));
        QVERIFY(text.contains(QStringLiteral("an example sierra")));
        QVERIFY(text.contains(QStringLiteral("juliet kilo lima")));
        QVERIFY(text.contains(QStringLiteral("the Anglo-Saxon five")));
        QVERIFY(text.contains(QStringLiteral("paragraph is here.\n\nSecond paragraph starts here and runs on for a "
                                             "while longer to wrap once more at the end.\n\nwesterly one")));

        // The outline, in page order; the entry for a page the file lacks left out.
        QCOMPARE(result.chapters.size(), 3);
        const QStringList titles = {QStringLiteral("Chapter One"), QStringLiteral("Chapter Two"),
                                    QStringLiteral("A Section")};
        const QStringList starts = {QStringLiteral("Alpha bravo"), QStringLiteral("Chapter two begins"),
                                    QStringLiteral("The section reads")};
        const QList<int> levels = {1, 1, 2};
        for (int i = 0; i < 3; ++i) {
            const Chapter &chapter = result.chapters.at(i);
            QCOMPARE(chapter.title, titles.at(i));
            QCOMPARE(chapter.level, levels.at(i));
            QVERIFY2(text.mid(chapter.offset).startsWith(starts.at(i)), qPrintable(text.mid(chapter.offset, 40)));
        }

        // Told after the first page with that page's text, last at the end.
        QVERIFY(told.size() >= 2);
        QCOMPARE(told.first(), 1);
        QCOMPARE(told.last(), 6);
        QVERIFY(textsTold.first().startsWith(QStringLiteral("Front matter")));
        QVERIFY(!textsTold.first().contains(QStringLiteral("Alpha")));
    }

    // Each rule turned off alone leaves its part of the text as the page had it,
    // while the others still work.
    void eachRuleOff_data()
    {
        QTest::addColumn<int>("rule");
        QTest::newRow("dropRepeated") << 0;
        QTest::newRow("joinHyphenated") << 1;
        QTest::newRow("joinLines") << 2;
    }
    void eachRuleOff()
    {
        QFETCH(int, rule);
        Options options;
        options.cleaning.dropRepeated = rule != 0;
        options.cleaning.joinHyphenated = rule != 1;
        options.cleaning.joinLines = rule != 2;
        const Result result = ReadPdf(m_book, options);
        QVERIFY2(result.ok, qPrintable(result.error));
        const QString &text = result.text;

        QCOMPARE(text.count(QStringLiteral("The Long Book")), rule == 0 ? 6 : 0);
        QCOMPARE(text.contains(QStringLiteral("\n-4-\n")), rule == 0);
        QCOMPARE(text.endsWith(QStringLiteral("\n-6-")), rule == 0);
        if (rule == 1) {
            QVERIFY2(text.contains(QStringLiteral("an exam-ple sierra")), qPrintable(text));
        } else if (rule == 2) {
            QVERIFY2(text.contains(QStringLiteral("juliet\nkilo lima")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("an example sierra tango")));
        } else {
            QVERIFY2(text.contains(QStringLiteral("juliet kilo lima mike november oscar papa quebec romeo an example "
                                                  "sierra")),
                     qPrintable(text));
        }
        // The chapters still start at their pages' text (the header, where kept, first).
        QCOMPARE(result.chapters.size(), 3);
        const QString chapterTwo = text.mid(result.chapters.at(1).offset, 60);
        QVERIFY2(chapterTwo.startsWith(rule == 0 ? QStringLiteral("The Long Book") : QStringLiteral("Chapter two")),
                 qPrintable(chapterTwo));
    }

    // The files the reader refuses, each with its own sentence.
    void refuses()
    {
        const QByteArray drawing = Ps2Pdf(m_dir, QStringLiteral("drawing"), kDrawingPs);
        QVERIFY(drawing.startsWith("%PDF"));
        QCOMPARE(ReadPdf(drawing).error, QStringLiteral("This PDF has no text: it is scanned pages"));
        const QByteArray locked =
            Ps2Pdf(m_dir, QStringLiteral("locked"), kBookPs,
                   {QStringLiteral("-sOwnerPassword=owner"), QStringLiteral("-sUserPassword=user")});
        QVERIFY(locked.startsWith("%PDF"));
        QCOMPARE(ReadPdf(locked).error, QStringLiteral("This PDF is protected by a password"));
        QCOMPARE(ReadPdf(QByteArray()).error, QStringLiteral("This file is not a readable PDF"));
        QCOMPARE(ReadPdf(QByteArray("%PDF-1.4\nnothing but words here\n%%EOF\n")).error,
                 QStringLiteral("This file is not a readable PDF"));

        Options fewPages;
        fewPages.limits.maxPages = 5;
        QCOMPARE(ReadPdf(m_book, fewPages).error, QStringLiteral("This PDF has more than 5 pages"));

        Options cancel;
        int calls = 0;
        cancel.progress = [&calls](const QString &, int, int) {
            ++calls;
            return false;
        };
        const Result cancelled = ReadPdf(m_book, cancel);
        QCOMPARE(cancelled.error, QStringLiteral("cancelled"));
        QVERIFY(!cancelled.ok);
        QCOMPARE(calls, 1);

        // Cut short anywhere, the file is refused or read in part, never more.
        for (const qsizetype size : {m_book.size() / 4, m_book.size() / 2, m_book.size() - 40}) {
            const Result cut = ReadPdf(m_book.left(size));
            if (cut.ok) {
                QVERIFY(!cut.text.isEmpty());
                for (const Chapter &chapter : cut.chapters)
                    QVERIFY(chapter.offset >= 0 && chapter.offset <= cut.text.size());
            } else {
                QVERIFY2(cut.error == QStringLiteral("This file is not a readable PDF") ||
                             cut.error == QStringLiteral("This PDF has no text: it is scanned pages"),
                         qPrintable(cut.error));
            }
        }
    }

    // The rules on text no PDF here carries, and the learning of running lines
    // from a sample applied to a page that was not in it.
    void cleaningRules()
    {
        QCOMPARE(PlainLetters(QString::fromUtf8("\uFB00 \uFB01 \uFB02 \uFB03 \uFB04 \uFB05 \uFB06 "
                                                "hy\u00ADphen a\u00A0b")),
                 QStringLiteral("ff fi fl ffi ffl st st hyphen a b"));
        QCOMPARE(JoinHyphenated(QStringLiteral("an exam-\nple, well-\nKnown, 5-\n6, x -\ny")),
                 QStringLiteral("an example, well-\nKnown, 5-\n6, x -\ny"));
        QCOMPARE(JoinLines(QStringLiteral("one two three four five six\nseven eight nine ten eleven\n"
                                          "twelve thirteen fourteen.\n   Indented fifteen sixteen seventeen\n"
                                          "eighteen nineteen twenty one\n\nNew paragraph here")),
                 QStringLiteral("one two three four five six seven eight nine ten eleven twelve thirteen fourteen.\n\n"
                                "Indented fifteen sixteen seventeen eighteen nineteen twenty one\n\nNew paragraph "
                                "here"));

        for (const char *number : {"12", "xiv", "- 12 -", "-12-", "Page 7", "12 of 300", "[3]", "p. 9", "4 / 20"})
            QVERIFY2(RepeatedLines::isPageNumber(QString::fromLatin1(number)), number);
        for (const char *words : {"mix", "I", "1984 was a year", "Chapter 3", "civil", ""})
            QVERIFY2(!RepeatedLines::isPageNumber(QString::fromLatin1(words)), words);

        QStringList sample;
        for (int page = 1; page <= 4; ++page)
            sample.append(QStringLiteral("Page %1 | Notes\nBody %1 text\nmore text\nA Footer line").arg(page));
        sample.append(QStringLiteral("Title page alone"));
        RepeatedLines repeated;
        repeated.learn(sample);
        QCOMPARE(repeated.strip(QStringLiteral("Page 312 | Notes\nBody of page 312\nends here\nA Footer line\n")),
                 QStringLiteral("Body of page 312\nends here\n"));
        // A line that merely recurs inside the pages stays.
        QCOMPARE(repeated.strip(QStringLiteral("one\ntwo\nmore text\nthree\nfour")),
                 QStringLiteral("one\ntwo\nmore text\nthree\nfour"));
        RepeatedLines fromTwo;
        fromTwo.learn(sample.mid(0, 2));
        QVERIFY(fromTwo.repeated().isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_book;
};

QTEST_GUILESS_MAIN(TestPdfReader)
#include "tst_pdfreader.moc"
