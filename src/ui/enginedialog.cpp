#include "enginedialog.h"

#include "mspeech.h"
#include "qmshell.h"

#include <QWidget>

void ShowEngineDialog(TMSpeech &speech, int kind, QWidget *owner, const QString &title)
{
    const QString text = speech.ShowDialog(kind, owner ? uintptr_t(owner->winId()) : 0, title);
    if (!text.isEmpty())
        loqa::ShowMessageBox(text, loqa::MB_ICONINFORMATION);
}
