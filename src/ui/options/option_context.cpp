// The file-manager commands box of the options dialog.
#include "ui/options/option.h"

#include "platform/filemanagercommands.h"
#include "widgets/qmshell.h"

#include <QCheckBox>

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
    ShowMessageBox(FailureMessage(result, checked), MB_ICONERROR);
}
