// EPUB 2 and 3: the package file's spine in order, each XHTML file's text, and
// the chapters from the table of contents (the EPUB 3 navigation document, or
// else the EPUB 2 NCX).
#include "document/document.h"
#include "document/xmlstream.h"
#include "document/zipfile.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace loqa::doc {

namespace {

const QString kOpsNamespace = QStringLiteral("http://www.idpf.org/2007/ops");

QString notReadable()
{
    return QStringLiteral("This file is not a readable EPUB");
}

QString noPackage()
{
    return QStringLiteral("This EPUB has no package file");
}

QString tooLarge()
{
    return QStringLiteral("This file unpacks to more than the allowed size");
}

struct TocEntry {
    QString title;
    int level = 1;
    QString path;
    QString fragment;
};

struct ManifestItem {
    QString href; // as written, for messages
    QString path; // resolved; empty when it names a file outside the book
    QString mediaType;
    QStringList properties;
};

// `href` from the file `referrer`: the entry it names and its fragment. False when
// it names a file outside the book.
bool resolveHref(const QString &referrer, const QString &href, QString *path, QString *fragment)
{
    const qsizetype hash = href.indexOf(QLatin1Char('#'));
    const QString file = QUrl::fromPercentEncoding(href.left(hash < 0 ? href.size() : hash).toUtf8());
    *fragment = hash < 0 ? QString() : QUrl::fromPercentEncoding(href.mid(hash + 1).toUtf8());
    if (file.isEmpty()) {
        *path = referrer;
        return true;
    }
    return ZipFile::Resolve(referrer, file, path);
}

bool hasToken(QStringView list, QLatin1StringView token)
{
    for (const QStringView part : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (part == token)
            return true;
    }
    return false;
}

// The entries of an EPUB 3 navigation document's <nav epub:type="toc">.
QList<TocEntry> readNav(const QByteArray &bytes, const QString &navPath, bool *hostile)
{
    QList<TocEntry> entries;
    SafeXmlReader xml(bytes, true);
    int navNesting = -1; // -1 outside the toc nav
    int listDepth = 0;
    bool inLabel = false;
    int labelNesting = 0;
    QString labelElement;
    QString label;
    QString href;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name == QLatin1String("nav")) {
                if (navNesting >= 0)
                    ++navNesting;
                else if (hasToken(xml.attributes().value(kOpsNamespace, QStringLiteral("type")), "toc"_L1))
                    navNesting = 0;
                continue;
            }
            if (navNesting < 0)
                continue;
            if (inLabel) {
                if (name == labelElement)
                    ++labelNesting;
            } else if (name == QLatin1String("ol")) {
                ++listDepth;
            } else if (name == QLatin1String("a") || name == QLatin1String("span")) {
                inLabel = true;
                labelNesting = 0;
                labelElement = name.toString();
                label.clear();
                href = xml.attributes().value(QStringLiteral("href")).toString();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = xml.name();
            if (navNesting < 0)
                continue;
            if (inLabel && name == labelElement) {
                if (labelNesting > 0) {
                    --labelNesting;
                    continue;
                }
                inLabel = false;
                TocEntry entry{label.simplified(), qMax(1, listDepth), {}, {}};
                if (!href.isEmpty() && !entry.title.isEmpty() &&
                    resolveHref(navPath, href, &entry.path, &entry.fragment))
                    entries.append(entry);
            } else if (name == QLatin1String("ol")) {
                --listDepth;
            } else if (name == QLatin1String("nav")) {
                if (navNesting == 0)
                    break;
                --navNesting;
            }
        } else if (token == QXmlStreamReader::Characters && inLabel) {
            label += xml.text();
        }
    }
    *hostile = xml.entityFailure();
    return entries;
}

// The entries of an EPUB 2 NCX's navMap, nested navPoints a level down.
QList<TocEntry> readNcx(const QByteArray &bytes, const QString &ncxPath, bool *hostile)
{
    QList<TocEntry> entries;
    SafeXmlReader xml(bytes, true);
    int depth = 0;
    bool inNavMap = false;
    bool inLabel = false;
    bool inText = false;
    QString label;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const QStringView name = xml.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == QLatin1String("navMap")) {
                inNavMap = true;
            } else if (!inNavMap) {
                continue;
            } else if (name == QLatin1String("navPoint")) {
                ++depth;
                label.clear();
            } else if (name == QLatin1String("navLabel")) {
                inLabel = true;
            } else if (name == QLatin1String("text") && inLabel) {
                inText = true;
            } else if (name == QLatin1String("content") && depth > 0) {
                TocEntry entry{label.simplified(), depth, {}, {}};
                const QString src = xml.attributes().value(QStringLiteral("src")).toString();
                if (!entry.title.isEmpty() && resolveHref(ncxPath, src, &entry.path, &entry.fragment))
                    entries.append(entry);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("navMap"))
                break;
            if (name == QLatin1String("navPoint"))
                --depth;
            else if (name == QLatin1String("navLabel"))
                inLabel = false;
            else if (name == QLatin1String("text"))
                inText = false;
        } else if (token == QXmlStreamReader::Characters && inText) {
            label += xml.text();
        }
    }
    *hostile = xml.entityFailure();
    return entries;
}

bool isBlock(QStringView name)
{
    static const QSet<QString> blocks = {
        QStringLiteral("p"),          QStringLiteral("div"),     QStringLiteral("li"),      QStringLiteral("dt"),
        QStringLiteral("dd"),         QStringLiteral("ul"),      QStringLiteral("ol"),      QStringLiteral("dl"),
        QStringLiteral("blockquote"), QStringLiteral("section"), QStringLiteral("article"), QStringLiteral("aside"),
        QStringLiteral("header"),     QStringLiteral("footer"),  QStringLiteral("nav"),     QStringLiteral("figure"),
        QStringLiteral("figcaption"), QStringLiteral("table"),   QStringLiteral("tr"),      QStringLiteral("td"),
        QStringLiteral("th"),         QStringLiteral("caption"), QStringLiteral("pre"),     QStringLiteral("hr"),
        QStringLiteral("body"),       QStringLiteral("address"), QStringLiteral("main"),    QStringLiteral("h1"),
        QStringLiteral("h2"),         QStringLiteral("h3"),      QStringLiteral("h4"),      QStringLiteral("h5"),
        QStringLiteral("h6"),
    };
    return blocks.contains(name.toString());
}

// Elements whose content is never heard: the head, scripts, styles, pictures,
// and the note marks inside a sentence ("1", "↩").
bool isSilent(QStringView name, const QXmlStreamAttributes &attributes)
{
    static const QSet<QString> silent = {
        QStringLiteral("head"),  QStringLiteral("script"),   QStringLiteral("style"),
        QStringLiteral("title"), QStringLiteral("template"), QStringLiteral("svg"),
        QStringLiteral("math"),  QStringLiteral("rt"),       QStringLiteral("rp"),
    };
    if (silent.contains(name.toString()))
        return true;
    const QStringView type = attributes.value(kOpsNamespace, QStringLiteral("type"));
    const QStringView role = attributes.value(QStringLiteral("role"));
    const QStringView classes = attributes.value(QStringLiteral("class"));
    return hasToken(type, "noteref"_L1) || hasToken(role, "doc-noteref"_L1) || hasToken(role, "doc-backlink"_L1) ||
           hasToken(classes, "footnote-ref"_L1) || hasToken(classes, "footnote-back"_L1) ||
           hasToken(classes, "noteref"_L1);
}

class EpubReader
{
public:
    EpubReader(const QByteArray &bytes, const Options &options)
        : m_zip(bytes, options.limits), m_options(options), m_builder(options.limits.maxText)
    {}

    Result read();

private:
    Result failure(const QString &error) const
    {
        Result result;
        result.error = error;
        return result;
    }
    // The sentence for an entry that could not be read.
    static QString entryError(ZipFile::Error error, const QString &missing)
    {
        switch (error) {
        case ZipFile::Error::TooLarge:
            return tooLarge();
        case ZipFile::Error::Missing:
            return missing;
        default:
            return notReadable();
        }
    }
    QList<TocEntry> readToc(const QHash<QString, ManifestItem> &manifest, const QString &tocId, QString *error);
    // One XHTML file's text; false when the file is hostile.
    bool readXhtml(const QByteArray &bytes, QHash<QString, QList<TocEntry>> &anchors, bool headings);

    ZipFile m_zip;
    const Options &m_options;
    TextBuilder m_builder;
};

QList<TocEntry> EpubReader::readToc(const QHash<QString, ManifestItem> &manifest, const QString &tocId, QString *error)
{
    // A table of contents that cannot be read leaves the book without chapters,
    // unless it is hostile.
    const auto readPart = [&](const ManifestItem &item, bool nav) -> QList<TocEntry> {
        if (item.path.isEmpty() || !m_zip.contains(item.path))
            return {};
        const ZipFile::Entry entry = m_zip.entry(item.path);
        if (!entry.ok()) {
            if (entry.error == ZipFile::Error::TooLarge)
                *error = tooLarge();
            return {};
        }
        bool hostile = false;
        QList<TocEntry> entries =
            nav ? readNav(entry.bytes, item.path, &hostile) : readNcx(entry.bytes, item.path, &hostile);
        if (hostile)
            *error = notReadable();
        return entries;
    };
    for (const ManifestItem &item : manifest) {
        if (item.properties.contains(QStringLiteral("nav"))) {
            QList<TocEntry> entries = readPart(item, true);
            if (!entries.isEmpty() || !error->isEmpty())
                return entries;
            break;
        }
    }
    auto ncx = manifest.constFind(tocId);
    if (ncx == manifest.constEnd()) {
        for (ncx = manifest.constBegin(); ncx != manifest.constEnd(); ++ncx) {
            if (ncx->mediaType == QLatin1String("application/x-dtbncx+xml"))
                break;
        }
    }
    return ncx == manifest.constEnd() ? QList<TocEntry>() : readPart(*ncx, false);
}

bool EpubReader::readXhtml(const QByteArray &bytes, QHash<QString, QList<TocEntry>> &anchors, bool headings)
{
    SafeXmlReader xml(bytes, true);
    int preDepth = 0;
    int headingLevel = 0;
    QString headingText;
    const auto addInline = [&](QString text) {
        if (headingLevel > 0) {
            headingText += text;
            return;
        }
        if (preDepth > 0) {
            const QStringList lines = text.split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    m_builder.lineBreak();
                m_builder.append(lines.at(i));
            }
            return;
        }
        text = text.simplified().isEmpty()
                   ? QStringLiteral(" ")
                   : (text.front().isSpace() ? QStringLiteral(" ") : QString()) + text.simplified() +
                         (text.back().isSpace() ? QStringLiteral(" ") : QString());
        const QString &built = m_builder.text();
        if (text.startsWith(QLatin1Char(' ')) &&
            (built.isEmpty() || built.endsWith(QLatin1Char(' ')) || built.endsWith(QLatin1Char('\n'))))
            text.remove(0, 1);
        m_builder.append(text);
    };
    while (!xml.atEnd() && !m_builder.full()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString().toLower();
            const QXmlStreamAttributes attributes = xml.attributes();
            if (!anchors.isEmpty()) {
                const QString id = attributes.value(QStringLiteral("id")).toString();
                if (!id.isEmpty()) {
                    for (const TocEntry &entry : anchors.take(id))
                        m_builder.chapter(entry.title, entry.level);
                }
            }
            if (isSilent(name, attributes)) {
                xml.skipElement();
                continue;
            }
            if (name == QLatin1String("br")) {
                if (headingLevel > 0)
                    headingText += QLatin1Char(' ');
                else
                    m_builder.lineBreak();
                continue;
            }
            if (name == QLatin1String("img")) {
                continue;
            }
            if (headingLevel > 0)
                continue;
            if (isBlock(name))
                m_builder.endParagraph();
            if (name == QLatin1String("pre"))
                ++preDepth;
            if (headings && name.size() == 2 && name.front() == QLatin1Char('h') && name.back() >= QLatin1Char('1') &&
                name.back() <= QLatin1Char('6')) {
                headingLevel = name.back().digitValue();
                headingText.clear();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QString name = xml.name().toString().toLower();
            if (headingLevel > 0) {
                if (name.size() == 2 && name.front() == QLatin1Char('h') && name.back().digitValue() == headingLevel) {
                    m_builder.heading(CleanRun(headingText, m_options.cleaning), headingLevel);
                    headingLevel = 0;
                }
                continue;
            }
            if (name == QLatin1String("pre"))
                preDepth = qMax(0, preDepth - 1);
            if (isBlock(name))
                m_builder.endParagraph();
        } else if (token == QXmlStreamReader::Characters) {
            addInline(CleanRun(xml.text().toString(), m_options.cleaning));
        }
    }
    // A sloppy file keeps the text read up to its fault; a hostile one fails the book.
    m_builder.endParagraph();
    return !xml.entityFailure();
}

Result EpubReader::read()
{
    if (!m_zip.isOpen())
        return failure(notReadable());

    // The container names the package file.
    const ZipFile::Entry container = m_zip.entry(QStringLiteral("META-INF/container.xml"));
    if (!container.ok())
        return failure(entryError(container.error, noPackage()));
    QString rootHref;
    {
        SafeXmlReader xml(container.bytes);
        while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::Invalid) {
            if (xml.isStartElement() && xml.name() == QLatin1String("rootfile")) {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QString mediaType = attributes.value(QStringLiteral("media-type")).toString();
                if (rootHref.isEmpty() || mediaType == QLatin1String("application/oebps-package+xml"))
                    rootHref = attributes.value(QStringLiteral("full-path")).toString();
                if (mediaType == QLatin1String("application/oebps-package+xml"))
                    break;
            }
        }
        if (xml.entityFailure())
            return failure(notReadable());
    }
    if (rootHref.isEmpty())
        return failure(noPackage());
    QString opfPath;
    QString fragment;
    if (!resolveHref(QString(), rootHref, &opfPath, &fragment))
        return failure(QStringLiteral("This EPUB names a file outside the book: %1").arg(rootHref));
    const ZipFile::Entry opf = m_zip.entry(opfPath);
    if (!opf.ok())
        return failure(entryError(opf.error, noPackage()));

    // The package: what the book holds, and the order it is read in.
    QHash<QString, ManifestItem> manifest;
    QList<QString> spine;
    QString tocId;
    {
        SafeXmlReader xml(opf.bytes);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == QLatin1String("item")) {
                ManifestItem item;
                item.href = attributes.value(QStringLiteral("href")).toString();
                item.mediaType = attributes.value(QStringLiteral("media-type")).toString();
                item.properties = attributes.value(QStringLiteral("properties"))
                                      .toString()
                                      .split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if (!resolveHref(opfPath, item.href, &item.path, &fragment))
                    item.path.clear();
                const QString id = attributes.value(QStringLiteral("id")).toString();
                if (!manifest.contains(id))
                    manifest.insert(id, item);
            } else if (xml.name() == QLatin1String("spine")) {
                tocId = attributes.value(QStringLiteral("toc")).toString();
            } else if (xml.name() == QLatin1String("itemref")) {
                if (attributes.value(QStringLiteral("linear")) != QLatin1String("no"))
                    spine.append(attributes.value(QStringLiteral("idref")).toString());
            }
        }
        if (xml.hasError())
            return failure(xml.entityFailure() ? notReadable() : noPackage());
    }

    // Content listed in encryption.xml is locked; fonts alone may be listed there
    // (obfuscated), which locks nothing that is read.
    QSet<QString> encrypted;
    if (m_zip.contains(QStringLiteral("META-INF/encryption.xml"))) {
        const ZipFile::Entry entry = m_zip.entry(QStringLiteral("META-INF/encryption.xml"));
        if (!entry.ok())
            return failure(entryError(entry.error, notReadable()));
        SafeXmlReader xml(entry.bytes);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("CipherReference")) {
                QString path;
                if (resolveHref(QString(), xml.attributes().value(QStringLiteral("URI")).toString(), &path, &fragment))
                    encrypted.insert(path);
            }
        }
        if (xml.entityFailure())
            return failure(notReadable());
    }

    // Every file of the spine is there and readable before any is read.
    QList<const ManifestItem *> items;
    for (const QString &idref : std::as_const(spine)) {
        const auto found = manifest.constFind(idref);
        if (found == manifest.constEnd())
            continue;
        const QString &type = found->mediaType;
        if (type != QLatin1String("application/xhtml+xml") && type != QLatin1String("text/html") &&
            type != QLatin1String("text/x-oeb1-document"))
            continue;
        if (found->path.isEmpty())
            return failure(QStringLiteral("This EPUB names a file outside the book: %1").arg(found->href));
        if (!m_zip.contains(found->path))
            return failure(QStringLiteral("This EPUB's contents name a missing file: %1").arg(found->href));
        if (encrypted.contains(found->path))
            return failure(QStringLiteral("This EPUB is locked by copy protection"));
        items.append(&*found);
    }

    QString tocError;
    const QList<TocEntry> toc = readToc(manifest, tocId, &tocError);
    if (!tocError.isEmpty())
        return failure(tocError);
    QHash<QString, QList<TocEntry>> tocByPath;
    for (const TocEntry &entry : toc)
        tocByPath[entry.path].append(entry);

    for (const ManifestItem *item : std::as_const(items)) {
        if (m_builder.full())
            break;
        const ZipFile::Entry entry = m_zip.entry(item->path);
        if (!entry.ok())
            return failure(entryError(entry.error, notReadable()));
        // A title that names the file, or a place in it that cannot be found,
        // starts where the file's text starts; the others where their place is.
        QHash<QString, QList<TocEntry>> anchors;
        const QList<TocEntry> titles = tocByPath.take(item->path);
        for (const TocEntry &title : titles) {
            const QByteArray id = title.fragment.toUtf8();
            if (!id.isEmpty() &&
                (entry.bytes.contains("id=\"" + id + '"') || entry.bytes.contains("id='" + id + '\''))) {
                anchors[title.fragment].append(title);
            } else {
                m_builder.chapter(title.title, title.level);
            }
        }
        if (!readXhtml(entry.bytes, anchors, toc.isEmpty()))
            return failure(notReadable());
        // Places the walk never reached (an id in the head) start after the file's text.
        for (const TocEntry &title : titles) {
            if (anchors.contains(title.fragment))
                m_builder.chapter(title.title, title.level);
        }
    }

    Result result = m_builder.finish();
    if (result.ok && result.text.isEmpty()) {
        result.ok = false;
        result.chapters.clear();
        result.error = QStringLiteral("This EPUB has no text");
    }
    return result;
}

} // namespace

Result ReadEpub(const QByteArray &bytes, const Options &options)
{
    return EpubReader(bytes, options).read();
}

} // namespace loqa::doc
