#include "ui/lexicon/enginedialog.h"

#include "ui/lexicon/lexicondialog.h"
#include "speech/mspeech.h"
#include "widgets/qmshell.h"

#include <QWidget>

void ShowEngineDialog(TMSpeech &speech, QStringList &dictionaryList, int kind, QWidget *owner, const QString &title)
{
    // The lexicon dialog of an engine whose dictionaries are ours is the program's own editor.
    if (kind == 2) {
        if (speech::Lexicon *lexicon = speech.EngineLexicon()) {
            loqa::TLexiconDialog dialog(speech, *lexicon, dictionaryList, owner);
            if (!title.isEmpty())
                dialog.setWindowTitle(title);
            dialog.exec();
            return;
        }
    }
    const QString text = speech.ShowDialog(kind, owner ? uintptr_t(owner->winId()) : 0, title);
    if (!text.isEmpty())
        loqa::ShowMessageBox(text, loqa::MB_ICONINFORMATION);
}
