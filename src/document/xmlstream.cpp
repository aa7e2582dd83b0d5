#include "document/xmlstream.h"

#include <QHash>
#include <QStringList>

namespace loqa::doc {

namespace {

// Far more than a real document's entities expand to, far less than an attack's.
constexpr int kEntityExpansionLimit = 1000;

class HtmlEntities : public QXmlStreamEntityResolver
{
public:
    QString resolveUndeclaredEntity(const QString &name) override
    {
        static const QHash<QString, char16_t> table = {
            {QStringLiteral("nbsp"), 0x00A0},   {QStringLiteral("shy"), 0x00AD},    {QStringLiteral("ndash"), 0x2013},
            {QStringLiteral("mdash"), 0x2014},  {QStringLiteral("hellip"), 0x2026}, {QStringLiteral("lsquo"), 0x2018},
            {QStringLiteral("rsquo"), 0x2019},  {QStringLiteral("ldquo"), 0x201C},  {QStringLiteral("rdquo"), 0x201D},
            {QStringLiteral("laquo"), 0x00AB},  {QStringLiteral("raquo"), 0x00BB},  {QStringLiteral("bdquo"), 0x201E},
            {QStringLiteral("copy"), 0x00A9},   {QStringLiteral("reg"), 0x00AE},    {QStringLiteral("trade"), 0x2122},
            {QStringLiteral("deg"), 0x00B0},    {QStringLiteral("middot"), 0x00B7}, {QStringLiteral("bull"), 0x2022},
            {QStringLiteral("eacute"), 0x00E9}, {QStringLiteral("egrave"), 0x00E8}, {QStringLiteral("agrave"), 0x00E0},
            {QStringLiteral("auml"), 0x00E4},   {QStringLiteral("ouml"), 0x00F6},   {QStringLiteral("uuml"), 0x00FC},
            {QStringLiteral("szlig"), 0x00DF},  {QStringLiteral("ccedil"), 0x00E7}, {QStringLiteral("thinsp"), 0x2009},
            {QStringLiteral("ensp"), 0x2002},   {QStringLiteral("emsp"), 0x2003},   {QStringLiteral("zwnj"), 0x200C},
        };
        const auto found = table.constFind(name);
        return found == table.constEnd() ? QString() : QString(QChar(*found));
    }
};

} // namespace

SafeXmlReader::SafeXmlReader(const QByteArray &bytes, bool htmlEntities) : QXmlStreamReader(bytes)
{
    setNamespaceProcessing(true);
    setEntityExpansionLimit(kEntityExpansionLimit);
    if (htmlEntities) {
        m_resolver = std::make_unique<HtmlEntities>();
        setEntityResolver(m_resolver.get());
    }
}

SafeXmlReader::~SafeXmlReader()
{
    setEntityResolver(nullptr);
}

QXmlStreamReader::TokenType SafeXmlReader::readNext()
{
    const TokenType token = QXmlStreamReader::readNext();
    if (token == DTD && !entityDeclarations().isEmpty())
        m_declaresEntities = true;
    return token;
}

void SafeXmlReader::skipElement()
{
    int depth = 1;
    while (depth > 0 && !atEnd()) {
        const TokenType token = readNext();
        if (token == StartElement)
            ++depth;
        else if (token == EndElement)
            --depth;
    }
}

QString CleanRun(QString text, const Cleaning &cleaning)
{
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    if (cleaning.plainLetters) {
        text.remove(QChar(0x00AD));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c >= 0xFB00 && c <= 0xFB06) {
                const QString letters = QString(QChar(c)).normalized(QString::NormalizationForm_KC);
                text.replace(i, 1, letters);
                i += letters.size() - 1;
            }
        }
    }
    return text;
}

void AddParagraph(TextBuilder &builder, const QString &text, int level, const Cleaning &cleaning)
{
    const QString clean = CleanRun(text, cleaning);
    if (level > 0) {
        builder.heading(clean, level);
        return;
    }
    const QStringList lines = clean.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            builder.lineBreak();
        builder.append(lines.at(i));
    }
    builder.endParagraph();
}

} // namespace loqa::doc
