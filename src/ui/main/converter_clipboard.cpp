// The main window's clipboard side: copied text read aloud, kept as a new
// document or appended to the current one, as the clipboard settings say.
#include "ui/main/converter.h"
#include "widgets/statuspanel.h"

#include "clipboard/clipboardrules.h"
#include "widgets/clipmon.h"
#include "platform/guarded.h"
#include "ui/prompt/prompt.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <QLabel>

using namespace loqa;

void TFormCvt::CreateClipboard()
{
    ClipboardMonitor1 = new TClipboardMonitor(this);
    ClipboardMonitor1->setObjectName(QStringLiteral("ClipboardMonitor1"));
    ClipboardMonitor1->OnClipboardChange = [this] { ClipboardMonitor1ClipboardChange(); };
    // Watching starts with the window, the way this desktop allows; WatchClipboard
    // is asked at each change.
    ClipboardMonitor1->Watch = ClipboardWatchForThisSession();
    ClipboardMonitor1->SetActive(true);
    connect(action(ActionReadClipboard), &QAction::triggered, this, &TFormCvt::ActionReadClipboardExecute);
    // Once, when the window first shows, on desktops where this is not a given.
    const QString notice = ClipboardWatchNotice(ClipboardMonitor1->Watching());
    if (!notice.isEmpty())
        QTimer::singleShot(0, PanelStatus, [this, notice] { PanelStatus->Announce(notice); });
}

void TFormCvt::ClipboardMonitor1ClipboardChange()
{
    if (!FSettings.clipboard.WatchClipboard)
        return;
    QString text;
    if (!ClipboardMonitor1->Text(&text) || !ClipboardTextAccepted(text, FSettings.clipboard.IgnoreLen))
        return;
    int choice = FSettings.clipboard.DefAction;
    // The prompt's own event loop may bring further changes and prompts over this one.
    if (FSettings.clipboard.ShowPrompt)
        choice = PromptClipboardAction(FSettings.clipboard);
    switch (ClipboardStepFor(choice)) {
    case ClipboardStep::ReadNow:
        action(ActionReadClipboard)->trigger();
        break;
    case ClipboardStep::NewDocument:
        if (!ActionFileNewExecute())
            break; // the error is shown; the open document is not touched
        if (ClipboardMonitor1->Text(&text))
            Memo1->setPlainText(text);
        ActionFileSaveExecute();
        break;
    case ClipboardStep::Append:
        if (ClipboardMonitor1->Text(&text)) {
            const QString before = Memo1->toPlainText();
            QTextCursor end(Memo1->document());
            end.movePosition(QTextCursor::End);
            end.insertText(AppendAsLines(before, text).mid(before.size()));
        }
        ActionFileSaveExecute();
        break;
    case ClipboardStep::Nothing:
        break;
    }
}

void TFormCvt::ActionReadClipboardExecute()
{
    // Reading the clipboard is background work: a failure goes to the log, not to a box.
    guarded([&] {
        QString text;
        if (!ClipboardMonitor1->Text(&text))
            return;
        Reading->ReadClipboard(text);
    });
}
