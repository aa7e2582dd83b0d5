#include "settings/documentlist.h"

#include "platform/apppath.h"
#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace loqa {

namespace {

constexpr QLatin1String kIniName("loqa.ini");
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

} // namespace

QStringList ParseDocumentList(QByteArrayView bytes)
{
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(kByteOrderMark.size());
    QStringList paths;
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        paths << TextFromUtf8(bytes.sliced(pos, end - pos));
        pos = end;
        if (pos < size)
            pos += (bytes[pos] == '\r' && pos + 1 < size && bytes[pos + 1] == '\n') ? 2 : 1;
    }
    return paths;
}

QByteArray FormatDocumentList(const QStringList &paths)
{
    QByteArray out;
    for (const QString &path : paths) {
        if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
            continue;
        out += path.toUtf8();
        out += "\r\n";
    }
    return out;
}

QStringList SampleDocumentPaths()
{
    const QString folder = AppPath() + QStringLiteral("txt/");
    return {folder + QStringLiteral("sample1.txt"), folder + QStringLiteral("sample2.txt"),
            folder + QStringLiteral("sample3.txt")};
}

bool IsFirstStart()
{
    const QFileInfo ini(AppPath() + kIniName);
    return !ini.exists() && !ini.isSymLink();
}

int InstallSampleDocuments()
{
    const QStringList targets = SampleDocumentPaths();
    if (!QDir().mkpath(QFileInfo(targets.first()).absolutePath()))
        return 0;
    int copied = 0;
    for (const QString &target : targets) {
        const QString source = CompanionFile(QStringLiteral("samples/") + QFileInfo(target).fileName());
        QFile in(source);
        if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = in.readAll();
        // NewOnly: a file (or link) already at the target is never touched.
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        if (out.write(text) == text.size() && out.flush()) {
            ++copied;
        } else {
            out.close();
            out.remove();
        }
    }
    return copied;
}

} // namespace loqa
