#include "document/document.h"

#include <QFileInfo>

namespace loqa::doc {

namespace {

struct FormatEntry {
    Format format;
    const char *name;
    QStringList extensions;
};

const QList<FormatEntry> &formats()
{
    static const QList<FormatEntry> list = {
        {Format::Pdf, "PDF", {QStringLiteral("pdf")}},
        {Format::Epub, "EPUB", {QStringLiteral("epub")}},
        {Format::Docx, "Word", {QStringLiteral("docx")}},
        {Format::Odt, "OpenDocument Text", {QStringLiteral("odt")}},
        {Format::Html, "HTML", {QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("xhtml")}},
        {Format::Markdown, "Markdown", {QStringLiteral("md"), QStringLiteral("markdown")}},
        {Format::Rtf, "RTF", {QStringLiteral("rtf")}},
        {Format::Fb2, "FictionBook", {QStringLiteral("fb2")}},
    };
    return list;
}

} // namespace

Format FormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FormatEntry &entry : formats()) {
        if (entry.extensions.contains(suffix))
            return entry.format;
    }
    return Format::Text;
}

QString FormatName(Format format)
{
    for (const FormatEntry &entry : formats()) {
        if (entry.format == format)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("Text");
}

QStringList FormatExtensions(Format format)
{
    for (const FormatEntry &entry : formats()) {
        if (entry.format == format)
            return entry.extensions;
    }
    return {QStringLiteral("txt")};
}

bool NeedsFonts(Format format)
{
    return format == Format::Html || format == Format::Markdown;
}

QString TooLongText(qsizetype maxText)
{
    return QStringLiteral("The document's text is longer than %1 characters").arg(maxText);
}

void TextBuilder::startText()
{
    if (m_pendingParagraph && !m_text.isEmpty()) {
        while (m_text.endsWith(QLatin1Char(' ')) || m_text.endsWith(QLatin1Char('\t')))
            m_text.chop(1);
        while (m_text.endsWith(QLatin1Char('\n')))
            m_text.chop(1);
        m_text += QLatin1String("\n\n");
    }
    m_pendingParagraph = false;
}

void TextBuilder::append(QStringView text)
{
    if (m_full || text.isEmpty())
        return;
    // White space alone never starts a paragraph.
    if (m_pendingParagraph || m_text.isEmpty()) {
        qsizetype first = 0;
        while (first < text.size() && text.at(first).isSpace())
            ++first;
        text = text.mid(first);
        if (text.isEmpty())
            return;
        startText();
    }
    if (m_text.size() + text.size() > m_maxText) {
        m_text += text.left(m_maxText - m_text.size());
        m_full = true;
        return;
    }
    m_text += text;
}

void TextBuilder::lineBreak(bool always)
{
    if (m_full || m_pendingParagraph || m_text.isEmpty())
        return;
    if (!always && m_text.endsWith(QLatin1Char('\n')))
        return;
    while (m_text.endsWith(QLatin1Char(' ')) || m_text.endsWith(QLatin1Char('\t')))
        m_text.chop(1);
    m_text += QLatin1Char('\n');
}

void TextBuilder::endParagraph()
{
    if (!m_text.isEmpty())
        m_pendingParagraph = true;
}

void TextBuilder::heading(const QString &title, int level)
{
    const qsizetype before = m_chapters.size();
    chapter(title, level);
    if (m_chapters.size() == before)
        return;
    append(m_chapters.last().title);
    endParagraph();
}

void TextBuilder::chapter(const QString &title, int level)
{
    const QString simplified = title.simplified();
    if (simplified.isEmpty() || m_full)
        return;
    endParagraph();
    startText();
    // Two chapters at one offset (a part and its first chapter) are both kept.
    m_chapters.append({simplified, m_text.size(), qMax(1, level)});
}

Result TextBuilder::finish()
{
    Result result;
    if (m_full) {
        result.error = TooLongText(m_maxText);
        m_text.clear();
        m_chapters.clear();
        m_full = false;
        return result;
    }
    result.ok = true;
    result.text = takeText();
    result.chapters = takeChapters();
    return result;
}

QString TextBuilder::takeText()
{
    while (!m_text.isEmpty() && m_text.back().isSpace())
        m_text.chop(1);
    // A chapter announced after the last text points at the end.
    for (Chapter &c : m_chapters)
        c.offset = qMin(c.offset, m_text.size());
    m_pendingParagraph = false;
    m_full = false;
    return std::exchange(m_text, QString());
}

} // namespace loqa::doc
