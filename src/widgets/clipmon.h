#pragma once

#include "platform/clipboardwatcher.h"

#include <QObject>

#include <functional>
#include <memory>

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
    // How changes are watched, taken when watching starts.
    loqa::ClipboardWatch Watch = loqa::ClipboardWatch::Toolkit;
    // The way changes are watched now: Watch, or the toolkit's focus-only way
    // when Watch's own watcher did not start.
    loqa::ClipboardWatch Watching() const { return FWatching; }
    // The clipboard's text as the watcher knows it; false when it holds none.
    bool Text(QString *text) const;
    // Runs inside the toolkit's change notification, on the GUI thread.
    TClipboardChangeEvent OnClipboardChange;

private:
    void ClipboardChanged();

    bool FActive = false;
    loqa::ClipboardWatch FWatching = loqa::ClipboardWatch::Toolkit;
    std::unique_ptr<loqa::ClipboardWatcher> FWatcher;
};
