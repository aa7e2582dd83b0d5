#include "clipmon.h"

#include <QClipboard>
#include <QGuiApplication>

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
    if (FActive) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        // dataChanged is the clipboard's own signal; the primary selection has another.
        if (clipboard)
            FConnection = connect(clipboard, &QClipboard::dataChanged, this, &TClipboardMonitor::ClipboardChanged);
    } else {
        disconnect(FConnection);
        FConnection = {};
    }
}

void TClipboardMonitor::ClipboardChanged()
{
    if (Enabled && OnClipboardChange)
        OnClipboardChange();
}
