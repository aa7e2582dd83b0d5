// The file-manager commands box of the options dialog.
#include "option.h"

bool TFormOption::ContextCommandsPresent()
{
    return true;
}

void TFormOption::CheckBoxContextClick(bool) {}
