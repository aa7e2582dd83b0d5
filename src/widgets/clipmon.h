#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>

using TClipboardChangeEvent = std::function<void()>;

// Reports every change of the desktop clipboard (not the primary selection):
// one event per change, whoever made it (this program included) and whatever
// the new content is, identical to the old one or not. It keeps no memory of
// the content and decides nothing about it.
class TClipboardMonitor : public QObject
{
    Q_OBJECT
public:
    explicit TClipboardMonitor(QObject *owner = nullptr);
    ~TClipboardMonitor() override;

    bool Active() const { return FActive; }
    // True starts watching, false stops; setting the current value does nothing.
    void SetActive(bool value);

    // Whether a change raises the event; it acts from the next change on.
    bool Enabled = true;
    // Runs inside the toolkit's change notification, on the GUI thread.
    TClipboardChangeEvent OnClipboardChange;

private:
    void ClipboardChanged();

    bool FActive = false;
    QMetaObject::Connection FConnection;
};
