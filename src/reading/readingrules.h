#pragma once

#include "text/textoffsets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The reading controller's decisions, made without a window.
namespace loqa {

// The file a run writes: by the kind of run (1 whole document, 2 part of it,
// anything else free text) and the document's path.
QString RunOutputName(int readState, const QString &documentPath, const QString &folder, bool mp3);

// " Aloud", " to WAV", " to MP3".
QString ModeText(int convertMode);
// The status line for a run, by ReadState, with the selected tab's caption.
QString RunStatusText(int readState, int convertMode, const QString &caption);
// The tray's hint for a status line.
QString TrayHintText(const QString &status, bool running, bool paused);

// What a change of the run's state tells assistive tools: a run's status line
// while it goes on (starting or resumed), "Paused", "Stopped" once a run has
// ended, and the idle status line (the shown document) otherwise.
QString RunAnnouncement(const QString &status, bool running, bool paused, bool ended);

// Captions of Read from Cursor and Read Selected Text for a convert mode.
QString CursorCaption(int convertMode);
QString SelectedCaption(int convertMode);
// Read Selected Text is offered with a selection, unless a document is being read.
bool SelectedTextEnabled(int selectionLength, int readState);

// Maps a byte offset of the text handed to the engine (UTF-8, every line ended
// by CR LF) to a character position of the editor's text (lines ended by LF).
// Walks on from where it was, so a run's rising offsets cost little.
class SpokenPosition
{
public:
    void reset(const QByteArray &utf8)
    {
        m_text = utf8;
        m_map.reset();
    }
    int charPosition(qsizetype byteOffset) { return int(m_map.positionOfByte(m_text, byteOffset)); }

private:
    QByteArray m_text;
    TextOffsetMap m_map{true};
};

} // namespace loqa
