#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// Documents other than plain text, read as the text a listener hears: PDF, EPUB,
// DOCX, ODT, HTML, Markdown, RTF and FB2. Every reader turns its file's bytes
// into one text with line breaks as LF, paragraphs separated by an empty line,
// and the document's chapters (headings, outline, table of contents) as offsets
// into that text. The original file is never written. No window, no engine.
namespace loqa::doc {

enum class Format { Text, Pdf, Epub, Docx, Odt, Html, Markdown, Rtf, Fb2 };

// The format of a file, by its name's extension (case ignored); Text for every
// name no reader claims.
Format FormatOf(const QString &path);
// "PDF", "EPUB", ... as the Open dialog names them.
QString FormatName(Format format);
// The extensions (without dot, lower case) each format opens.
QStringList FormatExtensions(Format format);
// True for the formats read as rich text (HTML, Markdown): their reader needs a
// QGuiApplication, for the fonts a rich text asks for, and refuses to read without.
bool NeedsFonts(Format format);

struct Chapter {
    QString title;
    qsizetype offset = 0; // where the chapter starts in the document's text
    int level = 1;        // 1 for a top heading, 2 below it, ...
    bool operator==(const Chapter &) const = default;
};

// The rules that make a page's text what a listener wants; each can be turned off.
struct Cleaning {
    bool joinHyphenated = true; // "exam-\nple" -> "example"
    bool joinLines = true;      // lines wrapped inside a paragraph become one line
    bool dropRepeated = true;   // page numbers, running headers and footers of a PDF
    bool plainLetters = true;   // ligatures (U+FB00..FB06) spelt out, soft hyphens removed
    bool operator==(const Cleaning &) const = default;
};

// The limits that keep a hostile file from taking the machine: what a reader
// may unpack and build before it gives up with an error.
struct Limits {
    qint64 maxUnpacked = 512LL << 20; // bytes taken out of a zip, all entries together
    qint64 maxEntry = 128LL << 20;    // bytes of one zip entry
    qint64 maxRatio = 200;            // an entry's unpacked size to its packed size
    qsizetype maxText = 64LL << 20;   // characters of text built
    int maxPages = 100000;            // pages of a PDF
};

struct Options {
    Cleaning cleaning;
    Limits limits;
    // Called by readers that work in steps (a PDF's pages) with the text built so
    // far, so that the beginning can be shown before the end is read. Returning
    // false cancels the read (the result is then an error "cancelled").
    std::function<bool(const QString &textSoFar, int done, int total)> progress;
};

// Builds a document's text and chapters: the one place where paragraphs are
// separated and chapters get their offsets, so every reader shapes text alike.
class TextBuilder
{
public:
    explicit TextBuilder(qsizetype maxText = Limits{}.maxText) : m_maxText(maxText) {}

    // Text that runs on within the current paragraph (spaces as given).
    void append(QStringView text);
    // Ends the current line with LF (nothing when no text is on it yet and
    // `always` is false).
    void lineBreak(bool always = true);
    // Ends the current paragraph: the next text starts after one empty line.
    void endParagraph();
    // A heading: a paragraph of its own, and a chapter that starts at it. An empty
    // (all white space) title adds nothing.
    void heading(const QString &title, int level = 1);
    // A chapter that starts where the next text starts, without text of its own
    // (an EPUB chapter's title from its table of contents).
    void chapter(const QString &title, int level = 1);

    // True when the text reached the limit: the reader should stop.
    bool full() const { return m_full; }
    // The text so far. Up to its last character that is not white space it is
    // final: later text is only appended.
    const QString &text() const { return m_text; }
    const QList<Chapter> &chapters() const { return m_chapters; }
    // The text without the trailing white space, and the chapters; the builder is
    // empty after it.
    QString takeText();
    QList<Chapter> takeChapters() { return std::exchange(m_chapters, {}); }
    // What a reader hands back at its end: the text and chapters, or, when the
    // text reached the limit, the refusal of a text too long (never a part of it).
    struct Result finish();

private:
    void startText();

    QString m_text;
    QList<Chapter> m_chapters;
    qsizetype m_maxText;
    bool m_pendingParagraph = false;
    bool m_full = false;
};

// The reason given for a document whose text does not fit the limit.
QString TooLongText(qsizetype maxText);

struct Result {
    bool ok = false;
    QString text;
    QList<Chapter> chapters;
    // Why the file cannot be read, as a sentence without the file's name:
    // "This PDF is protected by a password", "This PDF has no text: it is scanned pages".
    QString error;
};

// Each format's reader: bytes in, text out. Never a crash, a hang or unbounded
// memory, whatever the bytes are.
Result ReadPdf(const QByteArray &bytes, const Options &options = {});
Result ReadEpub(const QByteArray &bytes, const Options &options = {});
Result ReadDocx(const QByteArray &bytes, const Options &options = {});
Result ReadOdt(const QByteArray &bytes, const Options &options = {});
Result ReadHtml(const QByteArray &bytes, const Options &options = {});
Result ReadMarkdown(const QByteArray &bytes, const Options &options = {});
Result ReadRtf(const QByteArray &bytes, const Options &options = {});
Result ReadFb2(const QByteArray &bytes, const Options &options = {});

// Reads the file at `path` with the reader its format names (not for Text). On
// failure `error` reads "<path>: <reason>".
Result ReadDocument(const QString &path, const Options &options = {});

} // namespace loqa::doc
