#include "ui/main/uitexts.h"

namespace loqa {

QString VolumeStatusText(int position)
{
    return QStringLiteral(" Volume: %1% [%2] -- Left/Right arrow key to Fine-tune")
        .arg(qint64(position) * 100 / 65535)
        .arg(position);
}

QString SpeedStatusText(int position)
{
    return QStringLiteral(" Speed: %1% [%2] -- Left/Right arrow key to Fine-tune")
        .arg((position - 50) * 100 / 450)
        .arg(position);
}

QString DocumentStatusText(const QString &path, const QString &sizeText)
{
    return QStringLiteral(" %1 [%2 Bytes]").arg(path, sizeText);
}

int EngineImageIndex(const QString &name)
{
    // The first rule that matches wins; "Female" contains "male" but not "Male".
    if (name.contains(QLatin1String("Male")))
        return 0;
    if (name.contains(QLatin1String("Female")))
        return 1;
    if (name.contains(QLatin1String("Mike")))
        return 2;
    if (name.contains(QLatin1String("Mary")))
        return 3;
    if (name.contains(QLatin1String("RoboSoft")))
        return 4;
    return 5;
}

QStringList WithMnemonics(const QStringList &captions)
{
    const auto mnemonicAt = [](const QString &caption) {
        for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != QLatin1Char('&'))
                continue;
            if (caption[i + 1] != QLatin1Char('&'))
                return i + 1;
            ++i; // "&&"
        }
        return qsizetype(-1);
    };
    QString taken;
    for (const QString &caption : captions) {
        const qsizetype at = mnemonicAt(caption);
        if (at >= 0)
            taken += caption[at].toLower();
    }
    QStringList result;
    for (const QString &caption : captions) {
        if (mnemonicAt(caption) >= 0) {
            result << caption;
            continue;
        }
        const auto free = [&](qsizetype i) {
            const QChar c = caption[i];
            return c.isLetterOrNumber() && !taken.contains(c.toLower());
        };
        qsizetype pick = -1;
        for (qsizetype i = 0; i < caption.size() && pick < 0; ++i) {
            if ((i == 0 || caption[i - 1].isSpace()) && free(i))
                pick = i;
        }
        for (qsizetype i = 0; i < caption.size() && pick < 0; ++i) {
            if (free(i))
                pick = i;
        }
        QString marked = caption;
        if (pick >= 0) {
            taken += caption[pick].toLower();
            marked.insert(pick, QLatin1Char('&'));
        }
        result << marked;
    }
    return result;
}

} // namespace loqa
