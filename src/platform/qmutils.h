#pragma once

#include "process.h"

#include <QKeyCombination>
#include <QString>

class QObject;

// The small utility set used throughout the program.
namespace loqa {

constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONERROR = 0x10;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWMAXIMIZED = 3;

// True when another windowed copy under the same title runs already.
bool IsAlreadyRunning();
// The name of the single-instance lock for a title.
QString InstanceLockName(const QString &title);

// A message box captioned with the application title; without a window system
// the text goes to standard output.
void ShowMessageBox(const QString &text, int flags);
// OK/Cancel with Cancel as the default button; true only for OK.
bool ConfirmBox(const QString &text);
// Opens a file, folder or address with the desktop's viewer. The verb and the
// show command are accepted for the callers' sake; the desktop decides.
void ShellOpen(const QString &target, const QString &verb, int showCommand);

// Registers a system-wide hotkey for the window and returns its id (1..0x3FFF),
// 0 for an empty shortcut. The id comes from an atom named by the application
// title and the shortcut text, and is returned even when the window system
// refused the grab.
int RegisterGlobalHotKey(QObject *window, QKeyCombination shortcut);
// Undoes exactly what RegisterGlobalHotKey did for that id; errors are ignored.
void UnregisterGlobalHotKey(int id);
// The atom name behind an id, empty when there is none (for tests).
QString GlobalHotKeyAtomName(int id);

// Gives the owner write permission back to a file that lacks it.
void ClearReadOnly(const QString &path);
// "-1" when nothing is at the path, else the size in bytes ("0" for a folder).
QString FileSizeText(const QString &path);

// Loquora's own output volume, 0..65535.
int GetWaveVolume();
void SetWaveVolume(int volume);

} // namespace loqa
