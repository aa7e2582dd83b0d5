// The file-manager commands box of the options dialog.
#include "option.h"

#include "filemanagercommands.h"
#include "qmshell.h"

#include <QCheckBox>
#include <QStringList>

using namespace loqa;

bool TFormOption::ContextCommandsPresent()
{
    return FCommands->test();
}

void TFormOption::CheckBoxContextClick(bool checked)
{
    // A failure names each file manager that failed, its file and why; the
    // others are done all the same, and the box keeps what the user asked for.
    const FileManagerResult result = checked ? FCommands->registerCommands() : FCommands->removeCommands();
    if (result.ok())
        return;
    QStringList names;
    QString details;
    for (const FileManagerFailure &failure : result.failures) {
        names.append(failure.fileManager);
        details += QStringLiteral("\n%1: %2: %3").arg(failure.fileManager, failure.file, failure.reason);
    }
    const QString what = checked ? QStringLiteral("The file-manager commands could not be added for %1.")
                                 : QStringLiteral("The file-manager commands could not be removed for %1.");
    ShowMessageBox(what.arg(names.join(QStringLiteral(", "))) + details, MB_ICONERROR);
}
