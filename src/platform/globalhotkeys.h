#pragma once

#include <QKeyCombination>
#include <QObject>

#include <memory>

namespace loqa {

// System-wide key grabs. One instance per process, created on first use on the
// main thread: the X11 implementation when the toolkit runs on "xcb"; elsewhere
// (a Wayland session) the desktop portal's GlobalShortcuts, which the user
// confirms in the desktop's own dialog; where no portal offers it, and with
// LOQA_PLATFORM=null, grabs are accepted and nothing fires. LOQA_PLATFORM=portal
// picks the portal whatever the toolkit runs on.
class GlobalHotkeys : public QObject
{
    Q_OBJECT
public:
    static GlobalHotkeys &instance();
    ~GlobalHotkeys() override;

    // Grabs the combination; false when the window system refused it.
    virtual bool grab(QKeyCombination shortcut) = 0;
    virtual void ungrab(QKeyCombination shortcut) = 0;
    virtual bool isReal() const = 0;

signals:
    // A grabbed combination was pressed, whichever program had the focus.
    void pressed(Qt::KeyboardModifiers modifiers, Qt::Key key);
    // The keys stopped working (the desktop refused them, ended their session or
    // went away), in a sentence for the status panel: once until they work again.
    // The keys are asked for again at the next grab.
    void lost(const QString &message);

protected:
    GlobalHotkeys() = default;
};

std::unique_ptr<GlobalHotkeys> CreateX11Hotkeys();    // null when X11 is not there
std::unique_ptr<GlobalHotkeys> CreatePortalHotkeys(); // null without a session bus
std::unique_ptr<GlobalHotkeys> CreateNullHotkeys();

// The shortcut text of the XDG desktop portal ("CTRL+ALT+SHIFT+F2"); empty for a
// key it has no name for.
QString XdgTriggerText(QKeyCombination shortcut);

} // namespace loqa
