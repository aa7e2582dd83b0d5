#pragma once

#include "commands/actions.h"

#include <QString>

#include <array>
#include <vector>

// When the main window's commands are enabled, and which ones a key runs,
// decided without a window.
namespace loqa {

// What the editor offers the edit commands.
struct EditState {
    bool hasSelection = false;
    bool canUndo = false;
    bool clipboardHasText = false;
    bool readOnly = false; // locked while a document is read
};

struct EditEnabling {
    bool undo = false, cut = false, copy = false, paste = false, del = false;
};

// Cut, Copy and Delete need a selection; Undo something to undo; Paste text on
// the clipboard. A locked editor allows only Copy.
EditEnabling EditEnablingFor(const EditState &state);

// The commands (by action index, in table order) that a global hotkey press of
// `key` with exactly `modifiers` runs: every global one whose shortcut it is.
std::vector<int> GlobalHotkeyCommands(const std::array<QString, ActionCount> &shortcuts,
                                      const std::array<qint32, ActionCount> &globalIds, Qt::KeyboardModifiers modifiers,
                                      Qt::Key key);

// The tab settings name a place in their lists: TabPos 0 top, 1 bottom, 2 left,
// 3 right; TabStyle 0 tabs, 1 buttons, 2 flat buttons. Any other value is not applied.
inline bool IsTabPosition(int value)
{
    return value >= 0 && value <= 3;
}
inline bool IsTabStyle(int value)
{
    return value >= 0 && value <= 2;
}

} // namespace loqa
