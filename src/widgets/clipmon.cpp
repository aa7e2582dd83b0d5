#include "widgets/clipmon.h"

using namespace loqa;

TClipboardMonitor::TClipboardMonitor(QObject *owner) : QObject(owner) {}

TClipboardMonitor::~TClipboardMonitor()
{
    SetActive(false);
}

void TClipboardMonitor::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    if (!FActive) {
        FWatcher.reset();
        return;
    }
    FWatching = Watch;
    if (Watch == ClipboardWatch::DataControl) {
        FWatcher = CreateDataControlClipboardWatcher();
        if (!FWatcher)
            FWatching = ClipboardWatch::FocusOnlyNoHelper;
    } else if (Watch == ClipboardWatch::XWaylandMirror) {
        FWatcher = CreateXFixesClipboardWatcher();
        if (!FWatcher)
            FWatching = ClipboardWatch::FocusOnly;
    }
    if (!FWatcher)
        FWatcher = CreateToolkitClipboardWatcher();
    connect(FWatcher.get(), &ClipboardWatcher::changed, this, &TClipboardMonitor::ClipboardChanged);
}

bool TClipboardMonitor::Text(QString *text) const
{
    if (FWatcher)
        return FWatcher->Text(text);
    return CreateToolkitClipboardWatcher()->Text(text);
}

void TClipboardMonitor::ClipboardChanged()
{
    if (Enabled && OnClipboardChange)
        OnClipboardChange();
}
