// FictionBook 2 read as its text through QXmlStreamReader, one token at a time
// (no recursion on the file's nesting). The bodies are read in order, except the
// one of notes and comments; each section's title is a chapter one level below
// its parent's. The book's title from the description is the first chapter
// when the first body has no title of its own. Pictures and their data are
// skipped, and so are the links to notes in the text.
#include "document/document.h"

#include <QXmlStreamReader>

namespace loqa::doc {

namespace {

// Far more than any book's DTD needs, far less than an entity bomb unfolds to.
constexpr int kEntityExpansionLimit = 1000;

const QString kNotFb2 = QStringLiteral("This file is not a readable FictionBook");

bool EndsSentence(QStringView text)
{
    if (text.isEmpty())
        return true;
    const QChar last = text.back();
    return last == u'.' || last == u'!' || last == u'?' || last == u':' || last == u';' || last == u'…';
}

class Fb2Reader
{
public:
    Fb2Reader(const QByteArray &bytes, const Options &options) : m_xml(bytes), m_builder(options.limits.maxText)
    {
        m_xml.setNamespaceProcessing(true);
        m_xml.setEntityExpansionLimit(kEntityExpansionLimit);
    }

    Result read();

private:
    void startElement();
    void endElement();
    void text(QStringView chunk);
    void endTitle();

    QXmlStreamReader m_xml;
    TextBuilder m_builder;

    int m_depth = 0;         // elements open
    int m_descriptionAt = 0; // the depth of <description>, 0 outside it
    int m_titleInfoAt = 0;   // of <title-info>
    int m_bodyAt = 0;        // of the <body> being read
    int m_sections = 0;      // sections open in it
    bool m_bodyHadContent = false;
    int m_bodies = 0;  // bodies read
    int m_titleAt = 0; // of the <title> being collected, 0 when none
    int m_titleLevel = 1;
    QStringList m_titleParts; // its paragraphs
    int m_textAt = 0;         // of the element whose characters are heard (p, v, ...)
    bool m_inBookTitle = false;
    QString m_bookTitle;
    bool m_lastSpace = true; // the text so far ends with white space
};

void Fb2Reader::text(QStringView chunk)
{
    // XML white space (the file's own line breaks and indents) runs together as one space.
    QString out;
    out.reserve(chunk.size());
    for (const QChar c : chunk) {
        if (c == u' ' || c == u'\n' || c == u'\r' || c == u'\t') {
            if (!m_lastSpace)
                out += u' ';
            m_lastSpace = true;
        } else {
            out += c;
            m_lastSpace = false;
        }
    }
    if (m_inBookTitle) {
        m_bookTitle += out;
    } else if (m_titleAt > 0) {
        if (m_titleParts.isEmpty())
            m_titleParts.append(QString());
        m_titleParts.last() += out;
    } else {
        m_builder.append(out);
    }
}

void Fb2Reader::endTitle()
{
    QString title;
    for (const QString &piece : std::as_const(m_titleParts)) {
        const QString simplified = piece.simplified();
        if (simplified.isEmpty())
            continue;
        if (!title.isEmpty())
            title += EndsSentence(title) ? QStringLiteral(" ") : QStringLiteral(". ");
        title += simplified;
    }
    m_builder.heading(title, m_titleLevel);
    m_titleParts.clear();
    m_titleAt = 0;
}

void Fb2Reader::startElement()
{
    ++m_depth;
    const QStringView name = m_xml.name();

    if (m_depth == 1) {
        if (name != u"FictionBook")
            m_xml.raiseError(kNotFb2);
        return;
    }
    if (m_depth == 2) {
        if (name == u"description") {
            m_descriptionAt = m_depth;
        } else if (name == u"body") {
            const QStringView kind = m_xml.attributes().value(QLatin1String("name"));
            if (kind == u"notes" || kind == u"comments") {
                m_xml.skipCurrentElement();
                --m_depth;
                return;
            }
            m_bodyAt = m_depth;
            m_sections = 0;
            m_bodyHadContent = false;
            ++m_bodies;
        } else {
            // <binary> pictures, <stylesheet>: nothing to hear.
            m_xml.skipCurrentElement();
            --m_depth;
        }
        return;
    }
    if (m_descriptionAt > 0) {
        if (m_depth == m_descriptionAt + 1 && name == u"title-info")
            m_titleInfoAt = m_depth;
        else if (m_titleInfoAt > 0 && m_depth == m_titleInfoAt + 1 && name == u"book-title")
            m_inBookTitle = true;
        return;
    }
    if (m_bodyAt == 0)
        return;

    // The first body without a title of its own starts with the book's.
    if (!m_bodyHadContent) {
        m_bodyHadContent = true;
        if (m_bodies == 1 && !(m_depth == m_bodyAt + 1 && name == u"title"))
            m_builder.heading(m_bookTitle, 1);
    }

    if (name == u"image" || name == u"binary") {
        m_xml.skipCurrentElement();
        --m_depth;
    } else if (name == u"a" && m_xml.attributes().value(QLatin1String("type")) == u"note") {
        m_xml.skipCurrentElement();
        --m_depth;
    } else if (name == u"section") {
        ++m_sections;
        m_builder.endParagraph();
    } else if (name == u"title" && m_titleAt == 0 && m_textAt == 0) {
        m_titleAt = m_depth;
        m_titleLevel = qMax(1, m_sections);
        m_titleParts.clear();
    } else if (m_titleAt > 0) {
        if (name == u"p") {
            m_titleParts.append(QString());
            m_lastSpace = true;
        }
    } else if (m_textAt == 0 && (name == u"p" || name == u"v" || name == u"subtitle" || name == u"text-author" ||
                                 name == u"td" || name == u"th")) {
        m_textAt = m_depth;
        m_lastSpace = true;
        if (name == u"td" || name == u"th")
            m_builder.append(u" ");
    } else if (name == u"empty-line" || name == u"stanza" || name == u"poem" || name == u"epigraph" ||
               name == u"cite" || name == u"tr" || name == u"annotation") {
        m_builder.endParagraph();
    }
}

void Fb2Reader::endElement()
{
    if (m_depth == m_titleAt) {
        endTitle();
    } else if (m_depth == m_textAt) {
        m_textAt = 0;
        if (m_xml.name() == u"v")
            m_builder.lineBreak(false);
        else if (m_xml.name() != u"td" && m_xml.name() != u"th")
            m_builder.endParagraph();
    } else if (m_depth == m_bodyAt) {
        m_bodyAt = 0;
        m_builder.endParagraph();
    } else if (m_bodyAt > 0 && m_xml.name() == u"section") {
        --m_sections;
        m_builder.endParagraph();
    } else if (m_bodyAt > 0 && (m_xml.name() == u"stanza" || m_xml.name() == u"tr" || m_xml.name() == u"poem")) {
        m_builder.endParagraph();
    } else if (m_inBookTitle && m_xml.name() == u"book-title") {
        m_inBookTitle = false;
    } else if (m_depth == m_titleInfoAt) {
        m_titleInfoAt = 0;
    } else if (m_depth == m_descriptionAt) {
        m_descriptionAt = 0;
    }
    --m_depth;
}

Result Fb2Reader::read()
{
    Result result;
    while (!m_xml.atEnd() && !m_builder.full()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            if (m_inBookTitle || m_titleAt > 0 || m_textAt > 0)
                text(m_xml.text());
            break;
        case QXmlStreamReader::EntityReference:
            // An entity QXmlStreamReader does not resolve (one declared outside
            // the file): it is never fetched and reads as nothing.
            break;
        default:
            break;
        }
    }
    if (!m_builder.full() && (m_xml.hasError() || m_depth != 0)) {
        result.error = kNotFb2;
        return result;
    }
    return m_builder.finish();
}

} // namespace

Result ReadFb2(const QByteArray &bytes, const Options &options)
{
    Fb2Reader reader(bytes, options);
    return reader.read();
}

} // namespace loqa::doc
