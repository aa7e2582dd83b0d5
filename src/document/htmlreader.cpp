// HTML and Markdown through QTextDocument: its blocks are the paragraphs, its
// heading blocks the chapters. Scripts, styles and the head are never text there.
#include "document/document.h"
#include "text/documentfile.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace loqa::doc {

namespace {

// The page's own charset when it names one (a byte-order mark or <meta charset>),
// else UTF-8 when the bytes are UTF-8, else the rules of a plain text file.
QString decodeHtml(const QByteArray &bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    return DecodeTextBytes(bytes).text;
}

Result fromDocument(const QTextDocument &document, const Options &options)
{
    TextBuilder builder(options.limits.maxText);
    for (QTextBlock block = document.begin(); block.isValid() && !builder.full(); block = block.next()) {
        // A block's own line breaks (<br>) are U+2028; a block is one paragraph.
        QString text = block.text();
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        text.replace(QChar::Nbsp, QLatin1Char(' '));
        if (options.cleaning.plainLetters)
            text.remove(QChar(0x00AD));
        const int level = block.blockFormat().headingLevel();
        if (level > 0) {
            builder.heading(text, level);
            continue;
        }
        if (text.trimmed().isEmpty())
            continue;
        builder.append(text);
        // Items of one list are lines of one paragraph; anything else ends its paragraph.
        const QTextBlock next = block.next();
        if (block.textList() && next.isValid() && next.textList() == block.textList())
            builder.lineBreak();
        else
            builder.endParagraph();
    }
    return builder.finish();
}

// A rich text, filled by `fill`, as a document's text. Qt lays out <pre>, <code>
// and <tt> in the desktop's fixed font, and asking for it without a window system
// crashes: without a QGuiApplication nothing is read. The default font gets a
// size of its own, as a heading's size is worked out from it.
template <typename Fill> Result readRichText(const Options &options, Fill fill)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        Result refusal;
        refusal.error = QStringLiteral("This program reads web pages and Markdown only with a window system");
        return refusal;
    }
    QTextDocument document;
    QFont font;
    font.setPixelSize(16);
    document.setDefaultFont(font);
    fill(document);
    return fromDocument(document, options);
}

} // namespace

Result ReadHtml(const QByteArray &bytes, const Options &options)
{
    return readRichText(options, [&](QTextDocument &document) { document.setHtml(decodeHtml(bytes)); });
}

Result ReadMarkdown(const QByteArray &bytes, const Options &options)
{
    return readRichText(options, [&](QTextDocument &document) {
        document.setMarkdown(DecodeTextBytes(bytes).text, QTextDocument::MarkdownDialectGitHub);
    });
}

} // namespace loqa::doc
