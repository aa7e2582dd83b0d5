#include "textfile.h"

#include "documentfile.h"
#include "readingrules.h"

#include <QFile>

namespace loqa {

QString DecodeText(const QByteArray &bytes)
{
    return DecodeTextBytes(bytes).text;
}

QStringList SplitLines(const QString &text)
{
    return SplitTextLines(text);
}

bool LoadTextLines(const QString &path, QStringList &lines, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    lines = SplitLines(DecodeText(bytes));
    return true;
}

} // namespace loqa
