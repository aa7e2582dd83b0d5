#pragma once

#include "document/document.h"

#include <QSet>
#include <QString>
#include <QStringList>

// The rules that turn a page's extracted text (lines as LF) into the text a
// listener wants. Each function applies one rule and leaves all else as it was.
namespace loqa::doc {

// Ligatures U+FB00..U+FB06 spelt out, soft hyphens removed, no-break spaces as spaces.
QString PlainLetters(const QString &text);

// A word broken by a hyphen at a line's end ("exam-\nple") made whole again:
// only a letter, a hyphen, the line end and a lower-case letter.
QString JoinHyphenated(const QString &text);

// The lines wrapped inside a paragraph joined by spaces; a paragraph's end is
// kept as an empty line. A paragraph ends at an empty line, before an indented
// line, and after a line that ends a sentence well short of the page's lines.
QString JoinLines(const QString &text);

// The running headers, footers and page numbers of a document's pages. It learns
// from a sample of pages (the first ones, or some spread over the document) and
// then strips every page alike, so that a long document is cleaned page by page.
class RepeatedLines
{
public:
    // The most pages a decision needs; more add nothing.
    static constexpr int kSamplePages = 12;

    // Learns from the pages' texts (every page of a short document, or a sample).
    void learn(const QStringList &pages);
    // The page without the lines at its top and bottom that repeat on most pages,
    // and without a page number there.
    QString strip(const QString &page) const;
    // The repeating lines learnt, digits as '#'.
    const QSet<QString> &repeated() const { return m_repeated; }

    // A line as compared across pages: white space simplified, runs of digits as '#'.
    static QString key(const QString &line);
    // A line that is only a page number: "12", "xii", "- 12 -", "Page 12", "12 of 300".
    static bool isPageNumber(const QString &line);

private:
    QSet<QString> m_repeated;
};

// The rules of `cleaning` that concern one page, in the order they work best.
// `repeated` is used when dropRepeated is on.
QString CleanPage(const QString &page, const Cleaning &cleaning, const RepeatedLines &repeated);

} // namespace loqa::doc
