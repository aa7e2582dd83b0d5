#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace loqa {

// How copies made in other programs reach Loquora.
enum class ClipboardWatch {
    Toolkit,          // the toolkit's own notice: every copy, on X11 and XWayland
    DataControl,      // native Wayland, the compositor's data-control protocol (through wl-paste)
    XWaylandMirror,   // GNOME on Wayland: the XWayland clipboard, over an X11 connection
    FocusOnly,        // native Wayland with neither: the toolkit's, only while Loquora has the focus
    FocusOnlyNoHelper // the compositor offers data-control, but wl-paste (wl-clipboard) is missing
};

// The way for a session: the toolkit's platform ("xcb", "wayland" …), the
// desktop's names (XDG_CURRENT_DESKTOP, "ubuntu:GNOME"), whether the compositor
// offers data-control, whether wl-paste is there, and whether an X11 display
// (XWayland) is.
ClipboardWatch ChooseClipboardWatch(const QString &platformName, const QString &currentDesktop, bool dataControlOffered,
                                    bool haveWlPaste, bool haveXDisplay);
// The same for this process, asking the compositor and looking for wl-paste.
ClipboardWatch ClipboardWatchForThisSession();

// Whether the Wayland compositor (WAYLAND_DISPLAY) advertises
// zwlr_data_control_manager_v1 or ext_data_control_manager_v1.
bool CompositorOffersDataControl();

// Whether a clipboard with these formats (MIME types or X11 target names) holds
// a list of files, as file managers copy them: with one, the plain text that
// comes along (the files' paths) is no text to read.
bool FormatsHoldFileList(const QStringList &formats);

// Tells of every change of the desktop clipboard (not the primary selection),
// whoever made it, and keeps the text it held then.
class ClipboardWatcher : public QObject
{
    Q_OBJECT
public:
    ~ClipboardWatcher() override;
    // The clipboard's text (as of the last change where the watcher reads it
    // itself); false when the clipboard holds no text, or a list of files.
    virtual bool Text(QString *text) const = 0;

signals:
    void changed();

protected:
    ClipboardWatcher() = default;
};

// The toolkit's clipboard (QClipboard).
std::unique_ptr<ClipboardWatcher> CreateToolkitClipboardWatcher();
// `wl-paste --watch`; null when it does not start.
std::unique_ptr<ClipboardWatcher> CreateDataControlClipboardWatcher();
// An X11 connection to $DISPLAY watching CLIPBOARD with XFixes; null without
// the display or the extension.
std::unique_ptr<ClipboardWatcher> CreateXFixesClipboardWatcher();

} // namespace loqa
