#pragma once

#include "platform/process.h"

#include <QKeyCombination>
#include <QString>

class QObject;

// The small utility set used throughout the program. What shows a window
// (message boxes, the desktop's opener) is in widgets/qmshell.h.
namespace loqa {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWMAXIMIZED = 3;

// True when another windowed copy under the same title runs already.
bool IsAlreadyRunning();
// The name of the single-instance lock for a title.
QString InstanceLockName(const QString &title);

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
