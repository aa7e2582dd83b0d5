// Opening documents that are not plain text as the window does, through the
// loader: the time to the first text, the time to the end, and the peak memory
// of the process. One document per run, so that the peak is that document's:
//   bench_documentopen pdf PAGES | epub MEGABYTES
#include "benchdocuments.h"
#include "document/documentloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

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
    if (!(pdf ? bench::makePdf(path, size, work.path()) : bench::makeEpub(path, size))) {
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
