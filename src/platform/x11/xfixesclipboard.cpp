// The X11 clipboard watched without the focus: an X11 connection of its own
// (to $DISPLAY, XWayland on a GNOME Wayland session, whose compositor mirrors
// its clipboard there) asks XFixes for every new owner of CLIPBOARD, asks the
// owner for its formats (TARGETS), and reads the text as UTF8_STRING, in pieces
// (INCR) when it is large, unless the formats name a list of files.
#include "platform/clipboardwatcher.h"

#include <QSocketNotifier>
#include <QStringList>

#include <cstring>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace loqa {

namespace {

class XFixesClipboardWatcher final : public ClipboardWatcher
{
public:
    ~XFixesClipboardWatcher() override
    {
        delete FNotifier;
        if (FDisplay) {
            if (FWindow)
                XDestroyWindow(FDisplay, FWindow);
            XCloseDisplay(FDisplay);
        }
    }

    bool Start()
    {
        FDisplay = XOpenDisplay(nullptr);
        if (!FDisplay)
            return false;
        int errorBase = 0;
        if (!XFixesQueryExtension(FDisplay, &FEventBase, &errorBase))
            return false;
        FClipboard = XInternAtom(FDisplay, "CLIPBOARD", False);
        FUtf8 = XInternAtom(FDisplay, "UTF8_STRING", False);
        FTargets = XInternAtom(FDisplay, "TARGETS", False);
        FIncr = XInternAtom(FDisplay, "INCR", False);
        FProperty = XInternAtom(FDisplay, "LOQA_CLIPBOARD", False);
        FWindow = XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(FDisplay, FWindow, PropertyChangeMask);
        XFixesSelectSelectionInput(FDisplay, FWindow, FClipboard, XFixesSetSelectionOwnerNotifyMask);
        // A round trip, not only a flush: the server has taken the request before
        // watching is said to have begun, so a copy made by another connection
        // right after it (this program's own toolkit among them) is never missed.
        XSync(FDisplay, False);
        FNotifier = new QSocketNotifier(ConnectionNumber(FDisplay), QSocketNotifier::Read);
        QObject::connect(FNotifier, &QSocketNotifier::activated, this, [this] { Drain(); });
        // Events the round trip read are already off the socket: take them now.
        if (XEventsQueued(FDisplay, QueuedAlready) > 0)
            QMetaObject::invokeMethod(
                this, [this] { Drain(); }, Qt::QueuedConnection);
        return true;
    }

    bool Text(QString *text) const override
    {
        if (!FHasText)
            return false;
        *text = FText;
        return true;
    }

private:
    void Drain()
    {
        while (XPending(FDisplay)) {
            XEvent event;
            XNextEvent(FDisplay, &event);
            if (event.type == FEventBase + XFixesSelectionNotify) {
                const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
                if (notify.owner == None) {
                    Finish(false);
                    continue;
                }
                FReceiving = false;
                FOwnedSince = notify.selection_timestamp;
                XConvertSelection(FDisplay, FClipboard, FTargets, FProperty, FWindow, FOwnedSince);
            } else if (event.type == SelectionNotify && event.xselection.target == FTargets) {
                // An owner that tells no formats is asked for the text all the same.
                Atom type = None;
                const QByteArray targets = event.xselection.property == None ? QByteArray() : Take(&type);
                if (HoldsFileList(targets, type)) {
                    Finish(false);
                    continue;
                }
                XConvertSelection(FDisplay, FClipboard, FUtf8, FProperty, FWindow, FOwnedSince);
            } else if (event.type == SelectionNotify) {
                if (event.xselection.property == None) {
                    Finish(false); // no text among the owner's formats
                    continue;
                }
                Atom type = None;
                const QByteArray data = Take(&type);
                if (type == FIncr) {
                    // Taking the property asked for the first piece.
                    FReceiving = true;
                    FIncoming.clear();
                } else {
                    FIncoming = data;
                    Finish(true);
                }
            } else if (event.type == PropertyNotify && FReceiving && event.xproperty.atom == FProperty &&
                       event.xproperty.state == PropertyNewValue) {
                Atom type = None;
                const QByteArray piece = Take(&type);
                if (piece.isEmpty()) {
                    FReceiving = false;
                    Finish(true);
                } else {
                    FIncoming += piece;
                }
            }
        }
    }

    // Whether TARGETS (a list of atoms) names a list of files.
    bool HoldsFileList(const QByteArray &targets, Atom type)
    {
        if (type != XA_ATOM || targets.isEmpty())
            return false;
        static_assert(sizeof(Atom) == sizeof(long), "Xlib hands atoms as longs");
        const qsizetype count = targets.size() / qsizetype(sizeof(Atom));
        std::vector<Atom> atoms(static_cast<size_t>(count));
        std::memcpy(atoms.data(), targets.constData(), size_t(count) * sizeof(Atom));
        QStringList names;
        for (Atom atom : atoms) {
            if (char *name = XGetAtomName(FDisplay, atom)) {
                names << QString::fromLatin1(name);
                XFree(name);
            }
        }
        return FormatsHoldFileList(names);
    }

    // Reads our property whole and deletes it.
    QByteArray Take(Atom *type)
    {
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *bytes = nullptr;
        QByteArray data;
        if (XGetWindowProperty(FDisplay, FWindow, FProperty, 0, 0x7fffffff / 4, True, AnyPropertyType, type, &format,
                               &items, &after, &bytes) == Success &&
            bytes) {
            // Xlib hands format 32 items as longs.
            const qsizetype itemSize = format == 32 ? qsizetype(sizeof(long)) : format / 8;
            data = QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(items) * itemSize);
            XFree(bytes);
        }
        XFlush(FDisplay);
        return data;
    }

    void Finish(bool hasText)
    {
        FHasText = hasText;
        FText = hasText ? QString::fromUtf8(FIncoming) : QString();
        FIncoming.clear();
        emit changed();
    }

    Display *FDisplay = nullptr;
    Window FWindow = 0;
    int FEventBase = 0;
    Atom FClipboard = None, FUtf8 = None, FTargets = None, FIncr = None, FProperty = None;
    Time FOwnedSince = CurrentTime; // the owner's time, for both of our requests
    QSocketNotifier *FNotifier = nullptr;
    QByteArray FIncoming;
    QString FText;
    bool FHasText = false;
    bool FReceiving = false;
};

} // namespace

std::unique_ptr<ClipboardWatcher> CreateXFixesClipboardWatcher()
{
    auto watcher = std::make_unique<XFixesClipboardWatcher>();
    if (!watcher->Start())
        return nullptr;
    return watcher;
}

} // namespace loqa
