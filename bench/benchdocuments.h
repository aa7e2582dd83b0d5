#pragma once

// Documents for the opening benchmarks, written by real tools: a PDF by
// Ghostscript from PostScript pages (a running header, a page number at the foot,
// an outline entry every 20 pages), an EPUB by pandoc from Markdown chapters of
// varied words (so that it packs like a real book's text).
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace bench {

inline bool runTool(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

inline bool makePdf(const QString &path, int pages, const QString &work)
{
    const QByteArray ps = "%!PS\n/Times-Roman findfont 11 scalefont setfont\n"
                          "1 1 " +
                          QByteArray::number(pages) +
                          " { /p exch def\n"
                          "  p 20 mod 1 eq { [/Title (Chapter) /Page p /OUT pdfmark } if\n"
                          "  72 760 moveto (The Long Book) show\n"
                          "  0 1 44 { /l exch def 72 740 l 15 mul sub moveto\n"
                          "    (The quick brown fox jumps over the lazy dog while the ferry waits at the) show } for\n"
                          "  300 40 moveto p 10 string cvs show showpage } for\n";
    const QString source = work + QStringLiteral("/book.ps");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(ps) != ps.size())
        return false;
    file.close();
    return runTool(QStringLiteral("ps2pdf"), {source, path});
}

// An EPUB of about `megabytes` of text in chapters of 40 paragraphs.
inline bool makeEpub(const QString &path, int megabytes)
{
    static const char *const words[] = {"journey", "thousand", "miles",  "begins", "single", "step",  "road",
                                        "mill",    "bridge",   "café",   "ferry",  "waits",  "hour",  "river",
                                        "stone",   "light",    "window", "garden", "letter", "quiet", "morning"};
    uint32_t seed = 12345;
    QByteArray markdown;
    for (int chapter = 1; markdown.size() < qsizetype(megabytes) << 20; ++chapter) {
        markdown += "# Chapter " + QByteArray::number(chapter) + "\n\n";
        for (int paragraph = 0; paragraph < 40; ++paragraph) {
            for (int word = 0; word < 60; ++word) {
                seed = seed * 1664525u + 1013904223u;
                markdown += words[(seed >> 16) % (sizeof words / sizeof *words)];
                markdown += (word % 12 == 11) ? ". " : " ";
            }
            markdown += "\n\n";
        }
    }
    return runTool(
        QStringLiteral("pandoc"),
        {QStringLiteral("--from=markdown"), QStringLiteral("--metadata=title:Book"), QStringLiteral("-o"), path},
        markdown);
}

} // namespace bench
