#pragma once

#include "document/document.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <memory>

namespace loqa::doc {

// A QXmlStreamReader for XML of unknown origin. It never fetches an external
// entity (QXmlStreamReader never does) and expands internal entities only up to a
// small limit, so that a document of nested entities ("billion laughs") ends in
// an error instead of filling memory. With `htmlEntities`, the named character
// references of HTML that XHTML files use without declaring them (&nbsp;, &mdash;
// …) read as their characters.
class SafeXmlReader : public QXmlStreamReader
{
public:
    explicit SafeXmlReader(const QByteArray &bytes, bool htmlEntities = false);
    ~SafeXmlReader();
    SafeXmlReader(const SafeXmlReader &) = delete;
    SafeXmlReader &operator=(const SafeXmlReader &) = delete;

    // As QXmlStreamReader::readNext(), and notes whether the document declares
    // entities of its own.
    TokenType readNext();
    // Reads to the end of the current element, skipping what is in it.
    void skipElement();
    // True when the document failed and it declares entities: a hostile or
    // damaged file rather than a sloppy one.
    bool entityFailure() const { return hasError() && m_declaresEntities; }

private:
    std::unique_ptr<QXmlStreamEntityResolver> m_resolver;
    bool m_declaresEntities = false;
};

// A run of a document's text as a listener wants it: no-break spaces as spaces
// and, with Cleaning::plainLetters, ligatures spelt out and soft hyphens removed.
QString CleanRun(QString text, const Cleaning &cleaning);

// One paragraph whose line breaks are LF: a heading (level > 0) or lines of text.
void AddParagraph(TextBuilder &builder, const QString &text, int level, const Cleaning &cleaning);

} // namespace loqa::doc
