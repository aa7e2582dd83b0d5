// Draws the application's theme icons at build time: loqa_icongen FOLDER ID
// writes FOLDER/<n>x<n>/apps/ID.png for every size a desktop asks for.
#include "ui/main/toolicons.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: loqa_icongen FOLDER ID\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = dir + QLatin1Char('/') + id + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !loqa::AppLogo(size).save(file, "PNG")) {
            std::fprintf(stderr, "loqa_icongen: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
