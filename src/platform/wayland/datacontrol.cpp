// Clipboard watching on a Wayland compositor that offers the data-control
// protocol: wl-paste (wl-clipboard) holds the protocol's device and runs a
// small command at every change, which hands the text back here.
#include "platform/clipboardwatcher.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace loqa {

bool CompositorOffersDataControl()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool offered = false;
    static const wl_registry_listener listener = {
        [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
            if (std::strcmp(interface, "zwlr_data_control_manager_v1") == 0 ||
                std::strcmp(interface, "ext_data_control_manager_v1") == 0)
                *static_cast<bool *>(data) = true;
        },
        [](void *, wl_registry *, uint32_t) {},
    };
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

namespace {

class DataControlClipboardWatcher final : public ClipboardWatcher
{
public:
    ~DataControlClipboardWatcher() override
    {
        FWatch.disconnect(this);
        FWatch.terminate();
        if (!FWatch.waitForFinished(2000)) {
            FWatch.kill();
            FWatch.waitForFinished(2000);
        }
    }

    bool Start()
    {
        // wl-paste reports the text held when it starts watching at once; that is
        // no copy, so it is passed over.
        QProcess types;
        types.start(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")});
        FSkipFirst = types.waitForFinished(3000) && types.exitCode() == 0 && hasTextType(types.readAllStandardOutput());

        connect(&FWatch, &QProcess::readyReadStandardOutput, this, [this] {
            while (FWatch.canReadLine())
                received(FWatch.readLine().trimmed());
        });
        FWatch.setProcessChannelMode(QProcess::SeparateChannels);
        FWatch.setStandardErrorFile(QProcess::nullDevice());
        // One line per change: the copy's formats, a blank and the text, both in
        // base64, so that line breaks in them cannot split the line.
        FWatch.start(QStringLiteral("wl-paste"),
                     {QStringLiteral("--no-newline"), QStringLiteral("--type"), QStringLiteral("text"),
                      QStringLiteral("--watch"), QStringLiteral("sh"), QStringLiteral("-c"),
                      QStringLiteral("wl-paste --list-types | base64 -w0; printf ' '; base64 -w0; echo")});
        return FWatch.waitForStarted(5000);
    }

    bool Text(QString *text) const override
    {
        if (!FHasText)
            return false;
        *text = FText;
        return true;
    }

private:
    static bool hasTextType(const QByteArray &types)
    {
        for (const QByteArray &type : types.split('\n')) {
            if (type.startsWith("text/") || type == "UTF8_STRING" || type == "STRING" || type == "TEXT")
                return true;
        }
        return false;
    }

    void received(const QByteArray &line)
    {
        // Without formats the line was trimmed to the text alone.
        const qsizetype blank = line.indexOf(' ');
        const QByteArray types = QByteArray::fromBase64(line.left(std::max<qsizetype>(blank, 0)));
        QStringList formats;
        for (const QByteArray &type : types.split('\n'))
            formats << QString::fromUtf8(type.trimmed());
        // A list of files comes with its paths as plain text: that is no text to read.
        FHasText = !FormatsHoldFileList(formats);
        FText = FHasText ? QString::fromUtf8(QByteArray::fromBase64(line.mid(blank + 1))) : QString();
        if (FSkipFirst) {
            FSkipFirst = false;
            return;
        }
        emit changed();
    }

    QProcess FWatch;
    QString FText;
    bool FHasText = false;
    bool FSkipFirst = false;
};

} // namespace

std::unique_ptr<ClipboardWatcher> CreateDataControlClipboardWatcher()
{
    auto watcher = std::make_unique<DataControlClipboardWatcher>();
    if (!watcher->Start())
        return nullptr;
    return watcher;
}

} // namespace loqa
