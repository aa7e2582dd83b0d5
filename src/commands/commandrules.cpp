#include "commands/commandrules.h"

#include "platform/shortcut.h"

namespace loqa {

EditEnabling EditEnablingFor(const EditState &state)
{
    EditEnabling e;
    const bool editable = !state.readOnly;
    e.undo = editable && state.canUndo;
    e.cut = editable && state.hasSelection;
    e.copy = state.hasSelection;
    e.paste = editable && state.clipboardHasText;
    e.del = editable && state.hasSelection;
    return e;
}

std::vector<int> GlobalHotkeyCommands(const std::array<QString, ActionCount> &shortcuts,
                                      const std::array<qint32, ActionCount> &globalIds, Qt::KeyboardModifiers modifiers,
                                      Qt::Key key)
{
    std::vector<int> commands;
    for (int i = 0; i < ActionCount; ++i) {
        if (globalIds[size_t(i)] == 0)
            continue;
        const QKeyCombination shortcut = TextToShortcut(shortcuts[size_t(i)]);
        if (!IsEmptyShortcut(shortcut) && shortcut.key() == key && shortcut.keyboardModifiers() == modifiers)
            commands.push_back(i);
    }
    return commands;
}

} // namespace loqa
