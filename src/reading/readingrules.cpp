#include "reading/readingrules.h"

#include "reading/doclist.h"

#include <QFileInfo>

namespace loqa {

QString RunOutputName(int readState, const QString &documentPath, const QString &folder, bool mp3)
{
    const QString extension = mp3 ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    if (readState == 1 || readState == 2) {
        QString name = QFileInfo(documentPath).fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            name.truncate(dot);
        return docs::InFolder(folder, (readState == 2 ? QStringLiteral("PartOf") : QString()) + name + extension);
    }
    return docs::InFolder(folder, QStringLiteral("Clipboard") + extension);
}

QString ModeText(int convertMode)
{
    switch (convertMode) {
    case 0:
        return QStringLiteral(" Aloud");
    case 1:
        return QStringLiteral(" to WAV");
    case 2:
        return QStringLiteral(" to MP3");
    default:
        return QString();
    }
}

QString RunStatusText(int readState, int convertMode, const QString &caption)
{
    switch (readState) {
    case 0:
        return caption;
    case 1:
        return QStringLiteral("Reading ") + caption + ModeText(convertMode);
    case 2:
        return QStringLiteral("Reading ") + caption + QStringLiteral(" [PART]") + ModeText(convertMode);
    case 3:
        return QStringLiteral("Reading Clipboard") + ModeText(convertMode);
    default:
        return caption;
    }
}

QString TrayHintText(const QString &status, bool running, bool paused)
{
    if (paused)
        return status + QStringLiteral(" | Loquora [Paused]");
    return status + (running ? QStringLiteral(" | Loquora") : QStringLiteral(" | Loquora [Stopped]"));
}

QString RunAnnouncement(const QString &status, bool running, bool paused, bool ended)
{
    if (paused)
        return QStringLiteral("Paused");
    if (!running && ended)
        return QStringLiteral("Stopped");
    return status;
}

QString CursorCaption(int convertMode)
{
    switch (convertMode) {
    case 1:
        return QStringLiteral("Read from Cursor to WAV File");
    case 2:
        return QStringLiteral("Read from Cursor to MP3 File");
    default:
        return QStringLiteral("Read from Cursor Aloud");
    }
}

QString SelectedCaption(int convertMode)
{
    switch (convertMode) {
    case 1:
        return QStringLiteral("Read Selected Text to WAV File");
    case 2:
        return QStringLiteral("Read Selected Text to MP3 File");
    default:
        return QStringLiteral("Read Selected Text Aloud");
    }
}

bool SelectedTextEnabled(int selectionLength, int readState)
{
    return selectionLength >= 1 && (readState == 0 || readState == 3);
}

} // namespace loqa
