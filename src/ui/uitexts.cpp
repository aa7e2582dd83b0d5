#include "uitexts.h"

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

} // namespace loqa
