#include "platform/clipboardwatcher.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>

namespace loqa {

namespace {

// The toolkit's notice: on X11 every copy; on Wayland only while a window of
// the program has the focus.
class ToolkitClipboardWatcher final : public ClipboardWatcher
{
public:
    ToolkitClipboardWatcher()
    {
        // dataChanged is the clipboard's own signal; the primary selection has another.
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            connect(clipboard, &QClipboard::dataChanged, this, &ClipboardWatcher::changed);
    }

    bool Text(QString *text) const override
    {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        const QMimeData *data = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
        if (!data || !data->hasText() || FormatsHoldFileList(data->formats()))
            return false;
        *text = data->text();
        return true;
    }
};

} // namespace

ClipboardWatcher::~ClipboardWatcher() = default;

bool FormatsHoldFileList(const QStringList &formats)
{
    for (const QString &format : formats) {
        if (format == QLatin1String("text/uri-list") || format == QLatin1String("x-special/gnome-copied-files"))
            return true;
    }
    return false;
}

ClipboardWatch ChooseClipboardWatch(const QString &platformName, const QString &currentDesktop, bool dataControlOffered,
                                    bool haveWlPaste, bool haveXDisplay)
{
    if (!platformName.startsWith(QLatin1String("wayland")))
        return ClipboardWatch::Toolkit;
    if (dataControlOffered)
        return haveWlPaste ? ClipboardWatch::DataControl : ClipboardWatch::FocusOnlyNoHelper;
    const bool gnome = currentDesktop.split(QLatin1Char(':')).contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
    if (gnome && haveXDisplay)
        return ClipboardWatch::XWaylandMirror;
    return ClipboardWatch::FocusOnly;
}

ClipboardWatch ClipboardWatchForThisSession()
{
    const QString platform = QGuiApplication::platformName();
    const bool wayland = platform.startsWith(QLatin1String("wayland"));
    return ChooseClipboardWatch(
        platform, qEnvironmentVariable("XDG_CURRENT_DESKTOP"), wayland && CompositorOffersDataControl(),
        !QStandardPaths::findExecutable(QStringLiteral("wl-paste")).isEmpty(), !qEnvironmentVariableIsEmpty("DISPLAY"));
}

std::unique_ptr<ClipboardWatcher> CreateToolkitClipboardWatcher()
{
    return std::make_unique<ToolkitClipboardWatcher>();
}

} // namespace loqa
