#pragma once

#include <QLabel>

// The status line of a window. To assistive tools it is a notification: an
// announced text (a run starting or ending, a notice) is sent as the
// notification appearing, which a screen reader speaks without the focus
// moving; a text only shown (hints, word positions, volume) changes its name
// quietly, so a reading in progress is not talked over at every word.
class TStatusPanel : public QLabel
{
    Q_OBJECT
public:
    explicit TStatusPanel(const QString &text, QWidget *parent = nullptr);

    // Shows the text and announces it.
    void Announce(const QString &text);

private:
    QString FAnnounced; // the last text announced
};
