// Opening a 20 MB document: reading the file and decoding it for the editor.
// The text is prose with accented letters and CR LF line ends, so that both the
// UTF-8 check and the line-end work are on the path; the same text as
// Windows-1252 and as UTF-16 is timed too, and the slowest is the figure.
#include "text/documentfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QStringView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// About `size` bytes: a line of prose repeated, with the document's byte-order mark.
QByteArray MakeDocument(const loqa::DocumentFile &format, qsizetype size)
{
    const QString line = QStringLiteral("Über den Fluss führt eine Brücke, où l’on passe à pied; "
                                        "the ferry waits – “every hour” – at the café.\r\n");
    const QByteArray bom = format.toBytes(u"");
    const QByteArray bytes = format.toBytes(line).sliced(bom.size());
    return bom + bytes.repeated(size / bytes.size() + 1);
}

double MedianLoadMs(const QString &path, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        loqa::DocumentFile doc;
        QString error;
        if (!doc.load(path, &error)) {
            std::fprintf(stderr, "documentload: %s\n", qPrintable(error));
            return -1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const qsizetype size = qsizetype(20) * 1024 * 1024;
    loqa::DocumentFile utf8, ansi, utf16;
    // How each kind of document is written: CR LF line ends throughout.
    utf8.setBytes("\r\n");
    ansi.setBytes("\xE9\r\n");
    utf16.setBytes(QByteArrayView("\xFF\xFE\r\0\n\0", 6));
    const struct {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"utf-8", MakeDocument(utf8, size)},
        {"windows-1252", MakeDocument(ansi, size)},
        {"utf-16le", MakeDocument(utf16, size)},
    };
    double worst = 0;
    for (const auto &f : files) {
        const QString path = dir.filePath(QString::fromLatin1(f.name) + QStringLiteral(".txt"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(f.bytes) != f.bytes.size())
            return 1;
        out.close();
        const double ms = MedianLoadMs(path, 5);
        if (ms < 0)
            return 1;
        std::fprintf(stderr, "document_load_20mb_%s %.0f ms\n", f.name, ms);
        worst = std::max(worst, ms);
    }
    std::printf("%-28s %10.0f %-4s %s\n", "document_load_20mb", worst, "ms", "<= 300");
    return 0;
}
