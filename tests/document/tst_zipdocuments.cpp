// The zip-based readers on files pandoc wrote from one Markdown source, and on
// hostile files written here: a zip bomb, names that are missing or climb out of
// the book, nested entities, locked and damaged files.
#include "document/document.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace loqa::doc;

class TestZipDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsWhatPandocWrote_data();
    void readsWhatPandocWrote();
    void refusesHostileFiles_data();
    void refusesHostileFiles();

private:
    QTemporaryDir m_dir;
    bool m_havePandoc = false;
    bool m_haveHostile = false;
};

namespace {

const char *const kMarkdown = R"(---
title: The Lighthouse Keeper
---

# First Chapter

The keeper climbed the *winding* stairs every evening.

## A Small Storm

Rain fell on the lamp[^1] while the sea kept rising.

# Second Chapter

Morning came with gulls and bread.

# Third Chapter

The boat returned at last.

[^1]: The lamp burned whale oil.
)";

// Writes the hostile files into the folder given as its argument.
const char *const kHostile = R"PY(
import os, struct, sys, zipfile
d = sys.argv[1]
CONTAINER = ('<?xml version="1.0"?><container version="1.0" '
             'xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles>'
             '<rootfile full-path="OPS/book.opf" media-type="application/oebps-package+xml"/>'
             '</rootfiles></container>')
def opf(hrefs):
    items = ''.join('<item id="c%d" href="%s" media-type="application/xhtml+xml"/>' % (i, h)
                    for i, h in enumerate(hrefs))
    refs = ''.join('<itemref idref="c%d"/>' % i for i in range(len(hrefs)))
    return ('<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0">'
            '<manifest>%s</manifest><spine>%s</spine></package>' % (items, refs))
def xhtml(body, doctype=''):
    return ('<?xml version="1.0"?>%s<html xmlns="http://www.w3.org/1999/xhtml"><head><title>t</title>'
            '</head><body>%s</body></html>' % (doctype, body))
LAUGHS = '<!DOCTYPE lolz [<!ENTITY lol "lol">' + ''.join(
    '<!ENTITY lol%d "%s">' % (n, ('&lol%s;' % ('' if n == 1 else n - 1)) * 10) for n in range(1, 10)) + ']>'
def write(name, files, bomb=None):
    with zipfile.ZipFile(os.path.join(d, name), 'w', zipfile.ZIP_DEFLATED) as z:
        for n, data in files:
            z.writestr(n, data)
        if bomb:
            with z.open(bomb, 'w') as f:
                zeros = bytes(1 << 20)
                for _ in range(300):
                    f.write(zeros)
def epub(name, files, bomb=None):
    write(name, [('mimetype', 'application/epub+zip'), ('META-INF/container.xml', CONTAINER)] + files, bomb)
epub('bomb.epub', [('OPS/book.opf', opf(['one.xhtml']))], 'OPS/one.xhtml')
# The same bomb whose headers claim 1 MB unpacked.
b = bytearray(open(os.path.join(d, 'bomb.epub'), 'rb').read())
for magic, name_at, size_at in ((b'PK\x03\x04', 26, 22), (b'PK\x01\x02', 28, 24)):
    i = b.find(magic)
    while i >= 0:
        n = struct.unpack_from('<H', b, i + name_at)[0]
        start = i + (30 if magic == b'PK\x03\x04' else 46)
        if b[start:start + n] == b'OPS/one.xhtml':
            struct.pack_into('<I', b, i + size_at, 1 << 20)
        i = b.find(magic, i + 4)
open(os.path.join(d, 'lying.epub'), 'wb').write(b)
epub('missing.epub', [('OPS/book.opf', opf(['one.xhtml', 'two.xhtml'])), ('OPS/one.xhtml', xhtml('<p>One</p>'))])
epub('climbing.epub', [('OPS/book.opf', opf(['../../etc/passwd'])), ('etc/passwd', 'root')])
epub('laughs.epub', [('OPS/book.opf', opf(['one.xhtml'])),
                     ('OPS/one.xhtml', xhtml('<p>&lol9;</p>', LAUGHS))])
epub('locked.epub', [('OPS/book.opf', opf(['one.xhtml'])), ('OPS/one.xhtml', xhtml('<p>Secret</p>')),
                     ('META-INF/encryption.xml',
                      '<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" '
                      'xmlns:enc="http://www.w3.org/2001/04/xmlenc#"><enc:EncryptedData><enc:CipherData>'
                      '<enc:CipherReference URI="OPS/one.xhtml"/></enc:CipherData></enc:EncryptedData>'
                      '</encryption>')])
epub('nopackage.epub', [('OPS/other.opf', opf(['one.xhtml']))])
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
write('laughs.docx', [('word/document.xml', '<?xml version="1.0"?>' + LAUGHS.replace('lolz', 'w:document') +
                       '<w:document %s><w:body><w:p><w:r><w:t>&lol9;</w:t></w:r></w:p></w:body></w:document>' % W)])
write('bomb.docx', [], 'word/document.xml')
T = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
     'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"')
write('laughs.odt', [('mimetype', 'application/vnd.oasis.opendocument.text'),
                     ('content.xml', '<?xml version="1.0"?>' + LAUGHS.replace('lolz', 'office:document-content') +
                      '<office:document-content %s><office:body><office:text><text:p>&lol9;</text:p>'
                      '</office:text></office:body></office:document-content>' % T)])
write('password.odt', [('mimetype', 'application/vnd.oasis.opendocument.text'),
                       ('META-INF/manifest.xml',
                        '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
                        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml">'
                        '<manifest:encryption-data manifest:checksum="x"/></manifest:file-entry>'
                        '</manifest:manifest>'),
                       ('content.xml', bytes(range(256)) * 8)])
open(os.path.join(d, 'protected.docx'), 'wb').write(b'\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1' + bytes(4096))
open(os.path.join(d, 'plain.txt'), 'wb').write(b'Just some words, not a zip at all.\n' * 20)
)PY";

long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

Result readAs(const QString &format, const QByteArray &bytes, const Options &options)
{
    if (format == QLatin1String("epub"))
        return ReadEpub(bytes, options);
    if (format == QLatin1String("docx"))
        return ReadDocx(bytes, options);
    return ReadOdt(bytes, options);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestZipDocuments::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!QStandardPaths::findExecutable(QStringLiteral("pandoc")).isEmpty()) {
        QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("book.md")), kMarkdown));
        const QList<QStringList> runs = {
            {QStringLiteral("-o"), QStringLiteral("book.docx")},
            {QStringLiteral("-o"), QStringLiteral("book.odt")},
            {QStringLiteral("-t"), QStringLiteral("epub2"), QStringLiteral("-o"), QStringLiteral("book2.epub")},
            {QStringLiteral("-t"), QStringLiteral("epub3"), QStringLiteral("-o"), QStringLiteral("book3.epub")},
        };
        for (const QStringList &arguments : runs) {
            QProcess pandoc;
            pandoc.setWorkingDirectory(m_dir.path());
            pandoc.start(QStringLiteral("pandoc"), QStringList{QStringLiteral("book.md")} + arguments);
            QVERIFY(pandoc.waitForFinished(60000));
            QVERIFY2(pandoc.exitCode() == 0, pandoc.readAllStandardError().constData());
        }
        m_havePandoc = true;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty()) {
        QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("hostile.py")), kHostile));
        QProcess python;
        python.start(QStringLiteral("python3"), {m_dir.filePath(QStringLiteral("hostile.py")), m_dir.path()});
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        m_haveHostile = true;
    }
}

void TestZipDocuments::readsWhatPandocWrote_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("docx") << QStringLiteral("book.docx");
    QTest::newRow("odt") << QStringLiteral("book.odt");
    QTest::newRow("epub2") << QStringLiteral("book2.epub");
    QTest::newRow("epub3") << QStringLiteral("book3.epub");
}

// The words in order, the footnote after its sentence instead of inside it, and
// the chapters where their text starts.
void TestZipDocuments::readsWhatPandocWrote()
{
    QFETCH(QString, file);
    LOQA_REQUIRE_OR_SKIP(m_havePandoc, "pandoc is not installed");
    const QString format = file.section(QLatin1Char('.'), -1);
    const Result result = readAs(format, readFile(m_dir.filePath(file)), Options());
    QVERIFY2(result.ok, qPrintable(result.error));
    const QString &text = result.text;

    const QStringList inOrder = {
        QStringLiteral("The Lighthouse Keeper"),
        QStringLiteral("First Chapter"),
        QStringLiteral("The keeper climbed the winding stairs every evening."),
        QStringLiteral("A Small Storm"),
        QStringLiteral("Rain fell on the lamp while the sea kept rising."),
        QStringLiteral("Second Chapter"),
        QStringLiteral("Morning came with gulls and bread."),
        QStringLiteral("Third Chapter"),
        QStringLiteral("The boat returned at last."),
    };
    qsizetype from = 0;
    for (const QString &words : inOrder) {
        const qsizetype at = text.indexOf(words, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("\"%1\" not found in order in:\n%2").arg(words, text)));
        from = at + words.size();
    }
    // Paragraphs are separated by one empty line, and no note mark is left behind.
    QVERIFY2(text.contains(QLatin1String("evening.\n\nA Small Storm\n\nRain")), qPrintable(text));
    QVERIFY(!text.contains(QChar(0x21A9)));
    const qsizetype note = text.indexOf(QLatin1String("The lamp burned whale oil."));
    QVERIFY2(note > text.indexOf(QLatin1String("kept rising.")), qPrintable(text));
    QCOMPARE(text.count(QLatin1String("whale oil")), 1);

    QList<Chapter> chapters = result.chapters;
    // The title is a chapter of its own in some formats (the NCX, Word's Title style).
    if (!chapters.isEmpty() && chapters.first().title == QLatin1String("The Lighthouse Keeper"))
        chapters.removeFirst();
    const QList<std::pair<QString, int>> expected = {
        {QStringLiteral("First Chapter"), 1},
        {QStringLiteral("A Small Storm"), 2},
        {QStringLiteral("Second Chapter"), 1},
        {QStringLiteral("Third Chapter"), 1},
    };
    QCOMPARE(chapters.size(), expected.size());
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        QCOMPARE(chapters.at(i).title, expected.at(i).first);
        QCOMPARE(chapters.at(i).level, expected.at(i).second);
        QVERIFY2(text.mid(chapters.at(i).offset).startsWith(expected.at(i).first),
                 qPrintable(QStringLiteral("%1 at %2: %3")
                                .arg(expected.at(i).first)
                                .arg(chapters.at(i).offset)
                                .arg(text.mid(chapters.at(i).offset, 40))));
    }

    // The file as the window and the command line open it: the same text; one
    // that does not fit the limit is refused, naming the file, never cut short.
    const QString path = m_dir.filePath(file);
    QCOMPARE(ReadDocument(path).text, text);
    Options small;
    small.limits.maxText = text.size() / 2;
    const Result refused = ReadDocument(path, small);
    QVERIFY(!refused.ok && refused.text.isEmpty());
    QCOMPARE(refused.error, path + QStringLiteral(": ") + TooLongText(small.limits.maxText));
}

void TestZipDocuments::refusesHostileFiles_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("maxEntry");
    QTest::addColumn<qint64>("maxUnpacked");
    QTest::addColumn<qint64>("maxRatio");
    QTest::addColumn<QString>("error");

    const Limits limits;
    const QString tooLarge = QStringLiteral("This file unpacks to more than the allowed size");
    const QString notEpub = QStringLiteral("This file is not a readable EPUB");
    const QString notWord = QStringLiteral("This file is not a readable Word document");
    const QString notOdt = QStringLiteral("This file is not a readable OpenDocument text");
    const QString password = QStringLiteral("This document is protected by a password");
    const auto row = [&](const char *name, const char *format, const char *file, const QString &error,
                         qint64 maxEntry = Limits{}.maxEntry, qint64 maxUnpacked = Limits{}.maxUnpacked,
                         qint64 maxRatio = Limits{}.maxRatio) {
        QTest::newRow(name) << QString::fromLatin1(format) << QString::fromLatin1(file) << maxEntry << maxUnpacked
                            << maxRatio << error;
    };
    // 300 MB of zeros packed into a few hundred KB: refused by its ratio, by the
    // limit of one entry, by the limit of all entries, with no ratio to go by.
    row("bomb ratio", "epub", "bomb.epub", tooLarge);
    row("bomb entry", "epub", "bomb.epub", tooLarge, 8 << 20, limits.maxUnpacked, 0);
    row("bomb all", "epub", "bomb.epub", tooLarge, limits.maxEntry, 8 << 20, 0);
    row("bomb word", "docx", "bomb.docx", tooLarge, 8 << 20, limits.maxUnpacked, 0);
    // Headers that understate the size: unpacking stops there, and the checksum fails.
    row("bomb lying", "epub", "lying.epub", notEpub, 8 << 20, limits.maxUnpacked, 0);
    row("missing file", "epub", "missing.epub", QStringLiteral("This EPUB's contents name a missing file: two.xhtml"));
    row("climbing out", "epub", "climbing.epub",
        QStringLiteral("This EPUB names a file outside the book: ../../etc/passwd"));
    row("no package", "epub", "nopackage.epub", QStringLiteral("This EPUB has no package file"));
    row("copy protection", "epub", "locked.epub", QStringLiteral("This EPUB is locked by copy protection"));
    row("laughs epub", "epub", "laughs.epub", notEpub);
    row("laughs docx", "docx", "laughs.docx", notWord);
    row("laughs odt", "odt", "laughs.odt", notOdt);
    row("password odt", "odt", "password.odt", password);
    row("password docx", "docx", "protected.docx", password);
    row("not a zip epub", "epub", "plain.txt", notEpub);
    row("not a zip docx", "docx", "plain.txt", notWord);
    row("not a zip odt", "odt", "plain.txt", notOdt);
    row("truncated epub", "epub", "book3.epub?half", notEpub);
    row("truncated docx", "docx", "book.docx?half", notWord);
    row("truncated odt", "odt", "book.odt?half", notOdt);
}

// Each hostile file ends in its sentence, and the bomb is never unpacked past
// the limit: the process's peak memory stays far below the bomb's size.
void TestZipDocuments::refusesHostileFiles()
{
    QFETCH(QString, format);
    QFETCH(QString, file);
    QFETCH(qint64, maxEntry);
    QFETCH(qint64, maxUnpacked);
    QFETCH(qint64, maxRatio);
    QFETCH(QString, error);
    LOQA_REQUIRE_OR_SKIP(m_haveHostile, "python3 is not installed");
    QByteArray bytes;
    if (file.endsWith(QLatin1String("?half"))) {
        LOQA_REQUIRE_OR_SKIP(m_havePandoc, "pandoc is not installed");
        bytes = readFile(m_dir.filePath(file.chopped(5)));
        QVERIFY(!bytes.isEmpty());
        bytes.truncate(bytes.size() / 2);
    } else {
        bytes = readFile(m_dir.filePath(file));
        QVERIFY(!bytes.isEmpty());
    }
    Options options;
    options.limits.maxEntry = maxEntry;
    options.limits.maxUnpacked = maxUnpacked;
    options.limits.maxRatio = maxRatio;
    const long before = peakMemoryKb();
    const Result result = readAs(format, bytes, options);
    const long grown = peakMemoryKb() - before;
    QVERIFY2(!result.ok, qPrintable(result.text.left(200)));
    QCOMPARE(result.error, error);
    QVERIFY(result.text.isEmpty());
    QVERIFY2(grown < 100 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 KB").arg(grown)));
}

QTEST_GUILESS_MAIN(TestZipDocuments)
#include "tst_zipdocuments.moc"
