// The file-manager commands box of the options dialog.
#include "option.h"

#include "filemanagercommands.h"
#include "qmshell.h"

#include <QCheckBox>

using namespace loqa;

bool TFormOption::ContextCommandsPresent()
{
    return FCommands->test();
}

void TFormOption::CheckBoxContextClick(bool checked)
{
    // A failure says which file and why; the box keeps what the user asked for.
    const FileManagerResult result = checked ? FCommands->registerCommands() : FCommands->removeCommands();
    if (result.ok)
        return;
    const QString what = checked ? QStringLiteral("The file-manager commands could not be added.")
                                 : QStringLiteral("The file-manager commands could not be removed.");
    ShowMessageBox(QStringLiteral("%1\n%2: %3").arg(what, result.file, result.reason), MB_ICONERROR);
}
