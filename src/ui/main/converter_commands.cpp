// Commands from outside: `loqa --command NAME`, for desktops where a program
// cannot grab keys itself (any desktop can bind a key to a command line), and
// the documents of `loqa --open FILE...` ("Open With" in a file manager).
#include "ui/main/converter.h"

#include "platform/commandchannel.h"
#include "commands/commandnames.h"
#include "reading/doclist.h"
#include "widgets/tabstrip.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace loqa;

void TFormCvt::CreateCommandChannel()
{
    auto *server = new CommandServer(this);
    server->setObjectName(QStringLiteral("CommandChannel"));
    server->OnCommand = [this](const QString &name) {
        const int command = CommandForName(name);
        if (command == -1)
            return false;
        // After the answer: a command may open a dialog and wait for the user.
        QTimer::singleShot(0, this, [this, command] { RunCommand(command); });
        return true;
    };
    server->OnOpen = [this](const QStringList &paths) {
        QTimer::singleShot(0, this, [this, paths] {
            OpenDocuments(paths);
            RunCommand(ShowWindowCommand);
        });
        return true;
    };
    server->Listen(CommandChannelPath());
    server->ListenOnBus();
}

void TFormCvt::RunCommand(int command)
{
    if (command == ShowWindowCommand) {
        if (!isVisible())
            ActionShowMainExecute();
        else if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    if (command < 0 || command >= ActionCount)
        return;
    // As its menu entry runs it: a disabled command does nothing.
    if (command == ActionTTXSelected)
        UpdateSelectedEnabling();
    if (action(ActionIndex(command))->isEnabled())
        action(ActionIndex(command))->trigger();
}

void TFormCvt::OpenDocuments(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    for (const QString &path : paths)
        docs::AddDocument(FSettings.lists.DocumentList, QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const int first =
        int(FSettings.lists.DocumentList.indexOf(QDir::cleanPath(QFileInfo(paths.first()).absoluteFilePath())));
    const int shown = TabControl1->currentIndex();
    RebuildTabs();
    if (first == shown && first == FSettings.automatic.PlayIndex)
        return; // shown already, with whatever the user typed in it
    FSilentTabs = true;
    TabControl1->setCurrentIndex(first);
    FSilentTabs = false;
    ShowCurrentDocument();
}
