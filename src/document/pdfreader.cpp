// PDF through poppler: each page's words in reading order as lines, cleaned by the
// rules the listener chose, pages as paragraphs, and the outline as chapters. One
// page is held at a time, so that a book of thousands of pages reads in bounded memory.
#include "document/cleaning.h"
#include "document/document.h"

#include <poppler-qt6.h>

#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <memory>
#include <vector>

namespace loqa::doc {

namespace {

// Progress is told after the first page, then after this many pages or this much time.
constexpr int kProgressPages = 25;
constexpr qint64 kProgressMs = 200;
// Bounds on an outline that a hostile file could make as large as it likes.
constexpr int kMaxOutlineDepth = 32;
constexpr qsizetype kMaxOutlineItems = 20000;

struct OutlineEntry {
    int page = 0; // from 0
    QString title;
    int level = 1;
};

void collectOutline(const QList<Poppler::OutlineItem> &items, int level, int pageCount, std::vector<OutlineEntry> &out)
{
    if (level > kMaxOutlineDepth)
        return;
    for (const Poppler::OutlineItem &item : items) {
        if (std::ssize(out) >= kMaxOutlineItems)
            return;
        if (item.isNull())
            continue;
        // An entry that points nowhere in this file (a web address, another file) is left out.
        const QSharedPointer<const Poppler::LinkDestination> destination = item.destination();
        if (destination && item.externalFileName().isEmpty()) {
            const int page = destination->pageNumber();
            if (page >= 1 && page <= pageCount)
                out.push_back({page - 1, item.name(), level});
        }
        if (item.hasChildren())
            collectOutline(item.children(), level + 1, pageCount, out);
    }
}

struct Line {
    QString text;
    QRectF box;
};

// A page's words in poppler's reading order (columns one after the other), a line
// of text per line of the page. A gap between lines wider than a line's height,
// or a step back up the page (the next column), gives an empty line; a line that
// starts right of the page's left edge is indented by spaces, about one per letter.
QString pageText(const Poppler::Page &page)
{
    const std::vector<std::unique_ptr<Poppler::TextBox>> words = page.textList();
    std::vector<Line> lines;
    Line current;
    for (size_t i = 0; i < words.size(); ++i) {
        const Poppler::TextBox &word = *words[i];
        current.text += word.text();
        current.box = current.box.isNull() ? word.boundingBox() : current.box.united(word.boundingBox());
        const bool lineGoesOn = i + 1 < words.size() && word.nextWord() == words[i + 1].get();
        if (lineGoesOn) {
            if (word.hasSpaceAfter())
                current.text += QLatin1Char(' ');
        } else {
            lines.push_back(std::move(current));
            current = Line();
        }
    }
    if (lines.empty())
        return QString();
    qreal left = lines.front().box.left();
    for (const Line &line : lines)
        left = std::min(left, line.box.left());

    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (i > 0) {
            const QRectF &before = lines[i - 1].box;
            const qreal height = std::max(before.height(), line.box.height());
            const qreal gap = line.box.top() - before.bottom();
            text += QLatin1Char('\n');
            if (gap > 0.8 * height || line.box.bottom() < before.top())
                text += QLatin1Char('\n');
        }
        const qreal letter = std::max<qreal>(1.0, line.box.height() / 2);
        const int indent = std::clamp(qRound((line.box.left() - left) / letter), 0, 80);
        text += QString(indent, QLatin1Char(' '));
        text += line.text;
    }
    return text;
}

// The pages the running headers are learnt from: all of a short document, else a
// sample spread over it (front matter seldom has them).
QList<int> samplePages(int pageCount)
{
    QList<int> pages;
    const int n = RepeatedLines::kSamplePages;
    if (pageCount <= n) {
        for (int i = 0; i < pageCount; ++i)
            pages.append(i);
        return pages;
    }
    for (int k = 0; k < n; ++k)
        pages.append(static_cast<int>(static_cast<qint64>(k) * (pageCount - 1) / (n - 1)));
    return pages;
}

void quietPoppler()
{
    static const bool once = [] {
        Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
        return true;
    }();
    (void)once;
}

Result failure(const QString &error)
{
    Result result;
    result.error = error;
    return result;
}

} // namespace

Result ReadPdf(const QByteArray &bytes, const Options &options)
{
    quietPoppler();
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(bytes);
    if (!document)
        return failure(QStringLiteral("This file is not a readable PDF"));
    if (document->isLocked())
        return failure(QStringLiteral("This PDF is protected by a password"));
    const int pageCount = document->numPages();
    if (pageCount <= 0)
        return failure(QStringLiteral("This file is not a readable PDF"));
    if (pageCount > options.limits.maxPages)
        return failure(QStringLiteral("This PDF has more than %1 pages").arg(options.limits.maxPages));

    std::vector<OutlineEntry> outline;
    collectOutline(document->outline(), 1, pageCount, outline);
    std::stable_sort(outline.begin(), outline.end(),
                     [](const OutlineEntry &a, const OutlineEntry &b) { return a.page < b.page; });

    const auto readPage = [&document](int index) {
        const std::unique_ptr<Poppler::Page> page = document->page(index);
        return page ? pageText(*page) : QString();
    };

    // The sampled pages' texts are kept until their turn comes, not read twice.
    QHash<int, QString> sampled;
    RepeatedLines repeated;
    if (options.cleaning.dropRepeated) {
        QStringList texts;
        for (int index : samplePages(pageCount)) {
            const QString text = readPage(index);
            sampled.insert(index, text);
            texts.append(text);
        }
        repeated.learn(texts);
    }

    TextBuilder builder(options.limits.maxText);
    bool anyText = false;
    size_t nextChapter = 0;
    int lastTold = 0;
    QElapsedTimer sinceTold;
    sinceTold.start();
    for (int index = 0; index < pageCount && !builder.full(); ++index) {
        const auto found = sampled.constFind(index);
        QString raw;
        if (found != sampled.cend()) {
            raw = *found;
            sampled.erase(found);
        } else {
            raw = readPage(index);
        }
        if (!anyText && !raw.trimmed().isEmpty())
            anyText = true;

        for (; nextChapter < outline.size() && outline[nextChapter].page == index; ++nextChapter)
            builder.chapter(outline[nextChapter].title, outline[nextChapter].level);
        const QString text = CleanPage(raw, options.cleaning, repeated);
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.isEmpty()) {
                builder.endParagraph();
            } else {
                builder.append(trimmed);
                builder.lineBreak();
            }
        }
        builder.endParagraph();

        const int done = index + 1;
        if (options.progress && (done == 1 || done == pageCount || done - lastTold >= kProgressPages ||
                                 sinceTold.elapsed() >= kProgressMs)) {
            if (!options.progress(builder.text(), done, pageCount))
                return failure(QStringLiteral("cancelled"));
            lastTold = done;
            sinceTold.restart();
        }
    }
    if (!anyText)
        return failure(QStringLiteral("This PDF has no text: it is scanned pages"));

    return builder.finish();
}

} // namespace loqa::doc
