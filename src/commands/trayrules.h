#pragma once

#include <QString>

#include <vector>

// The decisions of the tray side of the main window, made without a window.
namespace loqa {

// The tray menu's entries in order: command positions in the action list, -1
// for a separator.
const std::vector<int> &TrayMenuEntries();

// The first entry of the tray menu, by whether the main window shows.
QString ShowMainCaption(bool windowVisible);

// Whether minimising the main window hides it in the tray: only with the icon
// on and asked for, and only where a tray shows the icon (without one a hidden
// window could not be brought back).
bool MinimizeHidesWindow(bool tray, bool miniToTray, bool trayAvailable);

// Whether the window starts hidden in the tray, by the same reasoning.
bool StartHidden(bool tray, bool miniStartup, bool trayAvailable);

} // namespace loqa
