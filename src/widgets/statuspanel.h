#pragma once

#include <QLabel>

// The status line of a window. To assistive tools it is a notification named
// by what it told last: a told text (a run starting, pausing or ending, a
// notice) renames it and is sent as the notification appearing, which a
// screen reader speaks once without the focus moving. A text only shown
// (hints, word positions, the volume) is for the eye: it sends nothing, so a
// reading in progress is not talked over at every word.
class TStatusPanel : public QLabel
{
    Q_OBJECT
public:
    explicit TStatusPanel(const QString &text, QWidget *parent = nullptr);

    // Shows the text and tells it.
    void Announce(const QString &text);
    // Tells `spoken` and leaves what is shown as it is. The same text told
    // twice in a row is said once.
    void Tell(const QString &spoken);
    QString Told() const { return FAnnounced; }

private:
    QString FAnnounced; // the last text told
};

// The bar along the bottom of a window that holds its status line and gauge.
// Assistive tools know it as a status bar: a screen reader reads it on demand
// and leaves a gauge inside it alone while it moves.
class TStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent = nullptr);
};
