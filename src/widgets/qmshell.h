#pragma once

#include <QString>

// The utility set's window-system half: message boxes captioned with the
// application title, and the desktop's opener for files, folders and addresses.
// Code below the window layer hands texts up; the windows and the command line
// show them with these.
namespace loqa {

constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONERROR = 0x10;

// A message box with an OK button, owned by the active window; without a
// window system the text goes to standard output.
void ShowMessageBox(const QString &text, int flags);
// OK/Cancel with Cancel as the default button; true only for OK.
bool ConfirmBox(const QString &text);
// Opens a file, folder or address with the desktop's viewer. The verb and the
// show command are accepted for the callers' sake; the desktop decides.
void ShellOpen(const QString &target, const QString &verb, int showCommand);

} // namespace loqa
