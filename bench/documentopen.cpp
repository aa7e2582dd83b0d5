// Opening documents that are not plain text as the window does, through the
// loader: the time to the first text, the time to the end, and the peak memory
// of the process. One document per run, so that the peak is that document's:
//   bench_documentopen pdf PAGES | epub MEGABYTES
// The PDF is written by Ghostscript from PostScript pages with a running header
// and page numbers; the EPUB by pandoc from Markdown chapters.
#include "document/documentloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

bool run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

bool makePdf(const QString &path, int pages, const QString &work)
{
    QByteArray ps = "%!PS\n/Times-Roman findfont 11 scalefont setfont\n"
                    "1 1 " +
                    QByteArray::number(pages) +
                    " { /p exch def\n"
                    "  72 760 moveto (The Long Book) show\n"
                    "  0 1 44 { /l exch def 72 740 l 15 mul sub moveto\n"
                    "    (The quick brown fox jumps over the lazy dog while the ferry waits at the) show } for\n"
                    "  300 40 moveto p 10 string cvs show showpage } for\n";
    const QString source = work + QStringLiteral("/book.ps");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(ps) != ps.size())
        return false;
    file.close();
    return run(QStringLiteral("ps2pdf"), {source, path});
}

bool makeEpub(const QString &path, int megabytes)
{
    QByteArray markdown;
    const QByteArray paragraph = "A journey of a thousand miles begins with a single step, and the road goes on "
                                 "past the mill, the bridge and the café where the ferry waits every hour.\n\n";
    for (int chapter = 1; markdown.size() < qsizetype(megabytes) << 20; ++chapter) {
        markdown += "# Chapter " + QByteArray::number(chapter) + "\n\n";
        for (int i = 0; i < 40; ++i)
            markdown += paragraph;
    }
    return run(QStringLiteral("pandoc"),
               {QStringLiteral("--from=markdown"), QStringLiteral("--metadata=title:Book"), QStringLiteral("-o"), path},
               markdown);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[1] != QLatin1String("pdf") && args[1] != QLatin1String("epub"))) {
        std::fprintf(stderr, "usage: bench_documentopen pdf PAGES | epub MEGABYTES\n");
        return 2;
    }
    const bool pdf = args[1] == QLatin1String("pdf");
    const int size = args[2].toInt();
    QTemporaryDir work;
    const QString path = work.filePath(pdf ? QStringLiteral("book.pdf") : QStringLiteral("book.epub"));
    if (!(pdf ? makePdf(path, size, work.path()) : makeEpub(path, size))) {
        std::fprintf(stderr, "bench_documentopen: could not make %s\n", qPrintable(path));
        return 1;
    }
    const double fileMb = double(QFile(path).size()) / (1 << 20);

    QElapsedTimer clock;
    clock.start();
    qint64 first = -1;
    qsizetype characters = 0;
    int chapters = 0;
    QString error;
    QEventLoop loop;
    loqa::doc::DocumentLoader loader(path, {});
    QObject::connect(&loader, &loqa::doc::DocumentLoader::textArrived, [&](const QString &piece) {
        if (first < 0)
            first = clock.elapsed();
        characters += piece.size();
    });
    QObject::connect(&loader, &loqa::doc::DocumentLoader::finished, [&](const QList<loqa::doc::Chapter> &list) {
        chapters = int(list.size());
        loop.quit();
    });
    QObject::connect(&loader, &loqa::doc::DocumentLoader::failed, [&](const QString &why) {
        error = why;
        loop.quit();
    });
    loader.start();
    loop.exec();
    const qint64 total = clock.elapsed();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_documentopen: %s\n", qPrintable(error));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QString name =
        pdf ? QStringLiteral("open_pdf_%1_pages").arg(size) : QStringLiteral("open_epub_%1mb").arg(size);
    const auto line = [](const QString &figure, const QString &value, const char *unit, const QString &note) {
        std::printf("%-28s %10s %-4s %s\n", qPrintable(figure), qPrintable(value), unit, qPrintable(note));
    };
    line(name + QStringLiteral("_first"), QString::number(first), "ms", QStringLiteral("<= 3000"));
    line(name + QStringLiteral("_total"), QString::number(total), "ms",
         QStringLiteral("%1 chars, %2 chapters, file %3 MB").arg(characters).arg(chapters).arg(fileMb, 0, 'f', 1));
    line(name + QStringLiteral("_peak"), QString::number(usage.ru_maxrss / 1024), "MB", QStringLiteral("<= 500"));
    return 0;
}
