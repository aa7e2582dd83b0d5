#include "document/cleaning.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace loqa::doc {

namespace {

// A sentence's end, allowing for closing quotes and brackets after it.
bool endsSentence(QStringView line)
{
    while (!line.isEmpty()) {
        const QChar c = line.back();
        if (c == u'"' || c == u'\'' || c == u')' || c == u']' || c == QChar(0x201D) || c == QChar(0x2019) ||
            c == QChar(0x00BB)) {
            line.chop(1);
            continue;
        }
        return c == u'.' || c == u'!' || c == u'?' || c == u':' || c == QChar(0x2026);
    }
    return false;
}

qsizetype indentOf(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && (line.at(n) == u' ' || line.at(n) == u'\t'))
        ++n;
    return n;
}

// The indexes of a page's first and last two lines with text in them.
QList<qsizetype> edgeLines(const QStringList &lines)
{
    constexpr int kEdge = 2;
    QList<qsizetype> edges;
    int found = 0;
    for (qsizetype i = 0; i < lines.size() && found < kEdge; ++i) {
        if (!lines.at(i).trimmed().isEmpty()) {
            edges.append(i);
            ++found;
        }
    }
    found = 0;
    for (qsizetype i = lines.size() - 1; i >= 0 && found < kEdge; --i) {
        if (!lines.at(i).trimmed().isEmpty()) {
            if (!edges.contains(i))
                edges.append(i);
            ++found;
        }
    }
    return edges;
}

} // namespace

QString PlainLetters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0xFB00:
            out += QLatin1String("ff");
            break;
        case 0xFB01:
            out += QLatin1String("fi");
            break;
        case 0xFB02:
            out += QLatin1String("fl");
            break;
        case 0xFB03:
            out += QLatin1String("ffi");
            break;
        case 0xFB04:
            out += QLatin1String("ffl");
            break;
        case 0xFB05: // long s with t
        case 0xFB06:
            out += QLatin1String("st");
            break;
        case 0x00AD:
            break;
        case 0x00A0:
        case 0x2007:
        case 0x202F:
            out += QLatin1Char(' ');
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString JoinHyphenated(const QString &text)
{
    // The hyphen may come as U+2010 or as a soft hyphen that the layout showed.
    static const QRegularExpression broken(QStringLiteral("(\\p{L})[-\\x{2010}\\x{00AD}][ \\t]*\\n[ \\t]*(?=\\p{Ll})"));
    QString out = text;
    out.replace(broken, QStringLiteral("\\1"));
    return out;
}

QString JoinLines(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The page's typical line: the upper median of the lengths of its lines.
    QList<qsizetype> lengths;
    for (const QString &line : lines) {
        const qsizetype length = line.trimmed().size();
        if (length > 0)
            lengths.append(length);
    }
    if (lengths.isEmpty())
        return text.trimmed().isEmpty() ? QString() : text;
    std::sort(lengths.begin(), lengths.end());
    const qsizetype typical = lengths.at(lengths.size() / 2);

    QString out;
    out.reserve(text.size());
    bool inParagraph = false;
    bool breakBefore = false;
    qsizetype previousIndent = 0;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            breakBefore = inParagraph;
            continue;
        }
        const qsizetype indent = indentOf(raw);
        if (inParagraph && indent >= previousIndent + 2)
            breakBefore = true;
        if (!inParagraph) {
            // nothing before it
        } else if (breakBefore) {
            out += QLatin1String("\n\n");
        } else if (out.endsWith(QLatin1Char('-')) && out.size() >= 2 && out.at(out.size() - 2).isLetter()) {
            // A hyphen that belongs to the words around it ("Anglo-\nSaxon").
        } else {
            out += QLatin1Char(' ');
        }
        out += line;
        inParagraph = true;
        previousIndent = indent;
        // A line well short of the others ends its paragraph: a sentence's end a
        // little short, anything (a heading, a list's entry) much shorter.
        const qsizetype length = line.size();
        breakBefore = (endsSentence(line) && length * 100 < typical * 85) || length * 100 < typical * 60;
    }
    return out;
}

QString RepeatedLines::key(const QString &line)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QString k = line.simplified();
    k.replace(digits, QStringLiteral("#"));
    return k;
}

bool RepeatedLines::isPageNumber(const QString &line)
{
    static const QRegularExpression number(
        QStringLiteral("^(?:(?i:page)\\s*|(?i:p)\\.\\s*)?[-\\x{2013}\\x{2014}\\[(]?\\s*"
                       "(?:\\d{1,5}|(?=[ivxlc])c{0,3}(?:xc|xl|l?x{0,3})(?:ix|iv|v?i{0,3}))"
                       "\\s*[-\\x{2013}\\x{2014}\\])]?(?:\\s*(?:(?i:of)|/)\\s*\\d{1,5})?$"));
    const QString simplified = line.simplified();
    return !simplified.isEmpty() && number.match(simplified).hasMatch();
}

void RepeatedLines::learn(const QStringList &pages)
{
    m_repeated.clear();
    // Fewer pages than this cannot tell a running header from a line that happens twice.
    if (pages.size() < 3)
        return;
    QHash<QString, int> counts;
    for (const QString &page : pages) {
        const QStringList lines = page.split(QLatin1Char('\n'));
        QSet<QString> seen;
        for (qsizetype i : edgeLines(lines)) {
            const QString k = key(lines.at(i));
            if (!seen.contains(k)) {
                seen.insert(k);
                ++counts[k];
            }
        }
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() * 2 >= pages.size())
            m_repeated.insert(it.key());
    }
}

QString RepeatedLines::strip(const QString &page) const
{
    QStringList lines = page.split(QLatin1Char('\n'));
    QList<qsizetype> drop;
    for (qsizetype i : edgeLines(lines)) {
        if (m_repeated.contains(key(lines.at(i))) || isPageNumber(lines.at(i)))
            drop.append(i);
    }
    if (drop.isEmpty())
        return page;
    std::sort(drop.begin(), drop.end(), std::greater<>());
    for (qsizetype i : drop)
        lines.removeAt(i);
    return lines.join(QLatin1Char('\n'));
}

QString CleanPage(const QString &page, const Cleaning &cleaning, const RepeatedLines &repeated)
{
    QString text = cleaning.dropRepeated ? repeated.strip(page) : page;
    // Before plainLetters, which would take away a soft hyphen that broke a word.
    if (cleaning.joinHyphenated)
        text = JoinHyphenated(text);
    if (cleaning.plainLetters)
        text = PlainLetters(text);
    if (cleaning.joinLines)
        text = JoinLines(text);
    return text;
}

} // namespace loqa::doc
