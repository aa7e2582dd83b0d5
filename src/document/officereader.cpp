// Word (DOCX) and OpenDocument text (ODT): the body's paragraphs in order, the
// headings as chapters, and the footnotes after the text rather than inside the
// sentences that call them.
#include "document/document.h"
#include "document/xmlstream.h"
#include "document/zipfile.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

namespace loqa::doc {

namespace {

const QString kWordNamespace = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kTextNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOfficeNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kManifestNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
const QString kCompatibilityNamespace = QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");

// More spaces than one <text:s> stands for in any real document.
constexpr int kMaxSpaces = 1000;

QString passwordProtected()
{
    return QStringLiteral("This document is protected by a password");
}

QString tooLarge()
{
    return QStringLiteral("This file unpacks to more than the allowed size");
}

// One part of the package into `out`; the reason when it cannot be had.
QString readPart(ZipFile &zip, const QString &name, const QString &notReadable, QByteArray *out)
{
    const ZipFile::Entry entry = zip.entry(name);
    if (entry.error == ZipFile::Error::TooLarge)
        return tooLarge();
    if (!entry.ok())
        return notReadable;
    *out = entry.bytes;
    return {};
}

Result failure(const QString &error)
{
    Result result;
    result.error = error;
    return result;
}

Result finish(TextBuilder &builder)
{
    return builder.finish();
}

// A paragraph being read; paragraphs inside one (text boxes, frames) are read
// as paragraphs of their own.
struct Paragraph {
    QString text;
    int level = 0;
};

// ---- DOCX ----

// Heading levels by style id: the built-in ids, and the styles named "heading N"
// or "Title" in word/styles.xml (their ids follow the language Word ran in).
QHash<QString, int> headingStyles(const QByteArray &styles)
{
    QHash<QString, int> levels;
    levels.insert(QStringLiteral("Title"), 1);
    for (int n = 1; n <= 9; ++n)
        levels.insert(QStringLiteral("Heading%1").arg(n), n);
    SafeXmlReader xml(styles);
    QString styleId;
    static const QRegularExpression headingName(QStringLiteral("^heading ([1-9])$"),
                                                QRegularExpression::CaseInsensitiveOption);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.namespaceUri() != kWordNamespace)
            continue;
        if (xml.name() == QLatin1String("style")) {
            styleId = xml.attributes().value(kWordNamespace, QStringLiteral("styleId")).toString();
        } else if (xml.name() == QLatin1String("name") && !styleId.isEmpty()) {
            const QString name = xml.attributes().value(kWordNamespace, QStringLiteral("val")).toString();
            const QRegularExpressionMatch match = headingName.match(name);
            if (match.hasMatch())
                levels.insert(styleId, match.captured(1).toInt());
            else if (name.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
                levels.insert(styleId, 1);
        }
    }
    return levels;
}

// The paragraphs of a WordprocessingML part (the body, the footnotes). False
// when the part is not well-formed.
bool readWordPart(const QByteArray &bytes, const QHash<QString, int> &styles, TextBuilder &builder,
                  const Cleaning &cleaning)
{
    SafeXmlReader xml(bytes);
    QList<Paragraph> open;
    while (!xml.atEnd() && !builder.full()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (xml.namespaceUri() == kCompatibilityNamespace) {
                // A drawing's content comes twice: as the choice and as its fallback.
                if (name == QLatin1String("Fallback"))
                    xml.skipElement();
                continue;
            }
            if (xml.namespaceUri() != kWordNamespace)
                continue;
            if (name == QLatin1String("p")) {
                open.append(Paragraph());
            } else if (name == QLatin1String("footnote") || name == QLatin1String("endnote")) {
                const QStringView type = xml.attributes().value(kWordNamespace, QStringLiteral("type"));
                if (!type.isEmpty() && type != QLatin1String("normal"))
                    xml.skipElement();
            } else if (open.isEmpty()) {
                continue;
            } else if (name == QLatin1String("pStyle")) {
                open.last().level =
                    styles.value(xml.attributes().value(kWordNamespace, QStringLiteral("val")).toString(), 0);
            } else if (name == QLatin1String("t")) {
                open.last().text += xml.readElementText(QXmlStreamReader::SkipChildElements);
            } else if (name == QLatin1String("tab")) {
                open.last().text += QLatin1Char('\t');
            } else if (name == QLatin1String("br") || name == QLatin1String("cr")) {
                open.last().text += QLatin1Char('\n');
            } else if (name == QLatin1String("noBreakHyphen")) {
                open.last().text += QLatin1Char('-');
            } else if (name == QLatin1String("pPr") || name == QLatin1String("rPr") ||
                       name == QLatin1String("moveFrom") || name == QLatin1String("del")) {
                // Paragraph and run properties (tab stops are w:tab too), text moved
                // away or deleted.
                if (name == QLatin1String("pPr")) {
                    while (!xml.atEnd()) {
                        const auto inner = xml.readNext();
                        if (inner == QXmlStreamReader::EndElement && xml.name() == QLatin1String("pPr"))
                            break;
                        if (inner == QXmlStreamReader::StartElement && xml.name() == QLatin1String("pStyle"))
                            open.last().level = styles.value(
                                xml.attributes().value(kWordNamespace, QStringLiteral("val")).toString(), 0);
                    }
                } else {
                    xml.skipElement();
                }
            }
        } else if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kWordNamespace &&
                   xml.name() == QLatin1String("p") && !open.isEmpty()) {
            const Paragraph paragraph = open.takeLast();
            AddParagraph(builder, paragraph.text, paragraph.level, cleaning);
        }
    }
    return !xml.hasError() || builder.full();
}

// ---- ODT ----

class OdtText
{
public:
    OdtText(TextBuilder &builder, const Cleaning &cleaning) : m_builder(builder), m_cleaning(cleaning) {}

    // False when content.xml is not well-formed or holds no text body.
    bool read(const QByteArray &bytes);

private:
    void readNote(SafeXmlReader &xml);
    void addCharacters(QStringView text, QString &to);

    TextBuilder &m_builder;
    const Cleaning &m_cleaning;
    QList<Paragraph> m_open;
    QStringList m_notes;
};

void OdtText::addCharacters(QStringView text, QString &to)
{
    // White space in a paragraph's text counts once; <text:s> stands for more.
    for (const QChar c : text) {
        if (c.isSpace() && c != QChar::Nbsp) {
            if (!to.isEmpty() && !to.back().isSpace())
                to += QLatin1Char(' ');
        } else {
            to += c;
        }
    }
}

// A note's body, kept to be read after the text; its citation mark is not read.
void OdtText::readNote(SafeXmlReader &xml)
{
    QString note;
    int depth = 1;
    bool inBody = false;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.namespaceUri() == kTextNamespace && xml.name() == QLatin1String("note-body"))
                inBody = true;
            else if (xml.namespaceUri() == kTextNamespace && xml.name() == QLatin1String("note")) {
                xml.skipElement();
                --depth;
            } else if (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("h"))
                note += QLatin1Char(' ');
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.namespaceUri() == kTextNamespace && xml.name() == QLatin1String("note-body"))
                inBody = false;
        } else if (token == QXmlStreamReader::Characters && inBody) {
            addCharacters(xml.text(), note);
        }
    }
    if (!note.simplified().isEmpty() && m_notes.size() < 100000)
        m_notes.append(note.simplified());
}

bool OdtText::read(const QByteArray &bytes)
{
    SafeXmlReader xml(bytes);
    bool inText = false;
    bool sawText = false;
    while (!xml.atEnd() && !m_builder.full()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            const QStringView ns = xml.namespaceUri();
            if (!inText) {
                if (ns == kOfficeNamespace && name == QLatin1String("text"))
                    inText = sawText = true;
                continue;
            }
            if (ns == kOfficeNamespace && name == QLatin1String("annotation")) {
                xml.skipElement(); // a comment in the margin
                continue;
            }
            if (ns != kTextNamespace)
                continue;
            if (name == QLatin1String("p") || name == QLatin1String("h")) {
                Paragraph paragraph;
                if (name == QLatin1String("h")) {
                    const int level = xml.attributes().value(kTextNamespace, QStringLiteral("outline-level")).toInt();
                    paragraph.level = qBound(1, level, 10);
                }
                m_open.append(paragraph);
            } else if (name == QLatin1String("note")) {
                readNote(xml);
            } else if (name == QLatin1String("tracked-changes") || name == QLatin1String("sequence-decls") ||
                       name == QLatin1String("variable-decls") || name == QLatin1String("user-field-decls")) {
                xml.skipElement(); // deleted text, declarations
            } else if (m_open.isEmpty()) {
                continue;
            } else if (name == QLatin1String("s")) {
                const int count = xml.attributes().value(kTextNamespace, QStringLiteral("c")).toInt();
                m_open.last().text += QString(qBound(1, count, kMaxSpaces), QLatin1Char(' '));
            } else if (name == QLatin1String("tab")) {
                m_open.last().text += QLatin1Char('\t');
            } else if (name == QLatin1String("line-break")) {
                m_open.last().text += QLatin1Char('\n');
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.namespaceUri() == kOfficeNamespace && xml.name() == QLatin1String("text")) {
                inText = false;
            } else if (xml.namespaceUri() == kTextNamespace &&
                       (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("h")) && !m_open.isEmpty()) {
                const Paragraph paragraph = m_open.takeLast();
                AddParagraph(m_builder, paragraph.text, paragraph.level, m_cleaning);
            }
        } else if (token == QXmlStreamReader::Characters && inText && !m_open.isEmpty()) {
            addCharacters(xml.text(), m_open.last().text);
        }
    }
    for (const QString &note : std::as_const(m_notes))
        AddParagraph(m_builder, note, 0, m_cleaning);
    return (!xml.hasError() || m_builder.full()) && sawText;
}

// True when META-INF/manifest.xml gives content.xml encryption data.
bool contentEncrypted(const QByteArray &manifest)
{
    SafeXmlReader xml(manifest);
    bool inContent = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.namespaceUri() == kManifestNamespace) {
            if (xml.name() == QLatin1String("file-entry"))
                inContent = xml.attributes().value(kManifestNamespace, QStringLiteral("full-path")) ==
                            QLatin1String("content.xml");
            else if (xml.name() == QLatin1String("encryption-data") && inContent)
                return true;
        }
    }
    return false;
}

} // namespace

Result ReadDocx(const QByteArray &bytes, const Options &options)
{
    const QString notReadable = QStringLiteral("This file is not a readable Word document");
    // Word keeps a document with a password in an OLE compound file, not a zip.
    if (bytes.startsWith(QByteArrayView("\xD0\xCF\x11\xE0")))
        return failure(passwordProtected());
    ZipFile zip(bytes, options.limits);
    if (!zip.isOpen())
        return failure(notReadable);
    const auto part = [&](const QString &name, QByteArray *out) { return readPart(zip, name, notReadable, out); };
    // The main part is the one the package's relationships name, word/document.xml as a rule.
    QString main = QStringLiteral("word/document.xml");
    if (zip.contains(QStringLiteral("_rels/.rels"))) {
        QByteArray rels;
        if (const QString error = part(QStringLiteral("_rels/.rels"), &rels); !error.isEmpty())
            return failure(error);
        SafeXmlReader xml(rels);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship") &&
                xml.attributes().value(QStringLiteral("Type")).endsWith(QLatin1String("/officeDocument"))) {
                QString path;
                if (ZipFile::Resolve(QString(), xml.attributes().value(QStringLiteral("Target")).toString(), &path) &&
                    zip.contains(path))
                    main = path;
                break;
            }
        }
    }
    if (!zip.contains(main))
        return failure(notReadable);
    const QString folder = main.left(main.lastIndexOf(QLatin1Char('/')) + 1);

    QHash<QString, int> styles;
    if (zip.contains(folder + QLatin1String("styles.xml"))) {
        QByteArray data;
        if (const QString error = part(folder + QLatin1String("styles.xml"), &data); !error.isEmpty())
            return failure(error);
        styles = headingStyles(data);
    } else {
        styles = headingStyles({});
    }

    TextBuilder builder(options.limits.maxText);
    QByteArray document;
    if (const QString error = part(main, &document); !error.isEmpty())
        return failure(error);
    if (!readWordPart(document, styles, builder, options.cleaning))
        return failure(notReadable);
    for (const char *notes : {"footnotes.xml", "endnotes.xml"}) {
        const QString name = folder + QLatin1String(notes);
        if (!zip.contains(name) || builder.full())
            continue;
        QByteArray data;
        if (const QString error = part(name, &data); !error.isEmpty())
            return failure(error);
        if (!readWordPart(data, styles, builder, options.cleaning))
            return failure(notReadable);
    }
    return finish(builder);
}

Result ReadOdt(const QByteArray &bytes, const Options &options)
{
    const QString notReadable = QStringLiteral("This file is not a readable OpenDocument text");
    ZipFile zip(bytes, options.limits);
    if (!zip.isOpen())
        return failure(notReadable);
    const auto part = [&](const QString &name, QByteArray *out) { return readPart(zip, name, notReadable, out); };
    if (zip.contains(QStringLiteral("META-INF/manifest.xml"))) {
        QByteArray manifest;
        if (const QString error = part(QStringLiteral("META-INF/manifest.xml"), &manifest); !error.isEmpty())
            return failure(error);
        if (contentEncrypted(manifest))
            return failure(passwordProtected());
    }
    QByteArray content;
    if (const QString error = part(QStringLiteral("content.xml"), &content); !error.isEmpty())
        return failure(error);
    TextBuilder builder(options.limits.maxText);
    if (!OdtText(builder, options.cleaning).read(content))
        return failure(notReadable);
    return finish(builder);
}

} // namespace loqa::doc
