#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <utility>

namespace loqa {

// Legacy: a code page other than Windows-1252, named beside it ("windows-1251").
enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Windows1252, Legacy };
enum class LineEnd { CrLf, Lf, Cr };

// "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1252"; "Legacy" for a code page not named.
QString EncodingName(TextEncoding encoding);
// The same, with a legacy code page's own name ("windows-1251", "Shift_JIS").
QString EncodingName(TextEncoding encoding, const QString &legacyName);

struct DecodedText {
    QString text; // line ends as the bytes have them
    TextEncoding encoding = TextEncoding::Utf8;
    bool bom = false;
    QString legacyName; // the code page of a Legacy text, as QStringConverter names it
};

// How the program reads a text file's bytes, documents and command-line files
// alike: UTF-8 with or without a byte-order mark; UTF-16 when a byte-order mark
// starts an even number of bytes. Other bytes go to uchardet: when it names one
// of the legacy code pages people still write (Cyrillic, Greek, Central European,
// Hebrew, Arabic, Baltic, Japanese, Chinese, Korean), the text holds enough
// non-ASCII bytes for the guess to be believed, and the bytes decode in that code
// page and encode back to the very same bytes, the text is read in it. Anything
// else is Windows-1252, where every byte is a character of its own (the five bytes
// that code page leaves undefined read as the C1 controls of the same number), so
// nothing is ever dropped.
DecodedText DecodeTextBytes(QByteArrayView bytes);

// One document as it lies on disk: its text for the editor and what is needed to
// write that text back the way it was read.
//
// The editor sees every line break as LF. The file's own line-end style is the
// first line end in it (CR LF, LF or CR; LF when there is none), and an edited
// document is written with that style throughout. A file whose line breaks are
// not all of that style (mixed line ends, or the characters a text editor takes
// for paragraph breaks: U+2029, U+FDD0, U+FDD1) also keeps the kind of each break
// in order, one byte per break, with a hash of the text it handed out; when the
// same text comes back unchanged, each break is written as it was read. So a
// document that is opened and saved unchanged is rewritten byte for byte, whatever
// its bytes are, and an edited one gets uniform line ends.
//
// Saving goes to a temporary file in the target's folder that replaces the target
// only once it is complete and synced; the target's permissions are kept, and a
// symbolic link stays a link while the file it points to is replaced.
class DocumentFile
{
public:
    static constexpr char WelcomeText[] = "Welcome to Loquora!";

    // A new document: UTF-8 without a byte-order mark, LF line ends, no text.
    DocumentFile() = default;

    // Reads and decodes a file. On failure the document is unchanged and `error`
    // names the file and the reason.
    bool load(const QString &path, QString *error = nullptr);
    // Decodes bytes read elsewhere.
    void setBytes(QByteArrayView bytes);

    // The text for the editor, line breaks as LF.
    const QString &text() const { return m_text; }
    // Hands the text over, leaving none here (saving does not need it).
    QString takeText() { return std::exchange(m_text, QString()); }

    TextEncoding encoding() const { return m_encoding; }
    // EncodingName of the document's encoding, a legacy code page's by its name.
    QString encodingName() const { return EncodingName(m_encoding, m_legacyName); }
    bool hasBom() const { return m_bom; }
    LineEnd lineEnd() const { return m_lineEnd; }
    bool hasMixedLineEnds() const { return !m_breaks.isEmpty(); }

    // The file's bytes for `text`, whose line breaks may be LF, CR LF, CR or U+2029
    // (a QTextDocument's raw text can be passed as it is). Nothing is lost: when
    // the document's encoding cannot hold a character, the bytes are UTF-8 and
    // `encoding` tells so.
    QByteArray toBytes(QStringView text, TextEncoding *encoding = nullptr) const;

    // Writes `text` to `path` safely. When the text needed another encoding, the
    // document is UTF-8 from now on and `notice` gets a sentence for the user
    // (otherwise it is cleared). On failure nothing changes, on disk or here.
    bool save(const QString &path, QStringView text, QString *error = nullptr, QString *notice = nullptr);

    // Make this a new document and write it: empty, or holding WelcomeText (what
    // a document whose file vanished shows). The document is new even when
    // writing fails.
    bool createEmpty(const QString &path, QString *error = nullptr);
    bool createWelcome(const QString &path, QString *error = nullptr);

private:
    // As toBytes; `asRead` tells whether each break went back as it was read.
    QByteArray encode(QStringView text, TextEncoding *encoding, bool *asRead) const;

    QString m_text;
    TextEncoding m_encoding = TextEncoding::Utf8;
    QString m_legacyName; // Legacy only
    bool m_bom = false;
    LineEnd m_lineEnd = LineEnd::Lf;
    QByteArray m_breaks; // mixed files only: the kind of each line break, in order
    size_t m_hash = 0;   // of the text handed out, with its length: is it back unchanged?
    qsizetype m_length = 0;
};

} // namespace loqa
