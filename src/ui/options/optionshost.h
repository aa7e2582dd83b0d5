#pragma once

#include "settings/settings.h"

#include <QColor>
#include <QFont>
#include <QString>

class TMSpeech;

namespace loqa {

// What the options dialog asks of the window it sets up: the settings it
// changes (a changed group is shown at once), shortcuts and system-wide hotkeys
// move, and the editor's look and the speech component are at hand for the
// dialogs it opens.
class OptionsHost
{
public:
    // The program's settings; the dialog changes them in place and tells
    // their Changed of the group a control changed, which the window shows.
    virtual Settings &settings() = 0;

    // Action `index` takes the shortcut text at once; a system-wide hotkey is
    // made for it (its id, 0 when it could not be) and undone.
    virtual void SetActionShortcut(int index, const QString &text) = 0;
    virtual int GrabGlobalHotkey(int index) = 0;
    virtual void ReleaseGlobalHotkey(int index, int id) = 0;

    virtual QFont EditorFont() const = 0;
    virtual QColor EditorTextColour() const = 0;
    virtual QColor EditorBackColour() const = 0;
    virtual TMSpeech &Speech() = 0;

protected:
    ~OptionsHost() = default;
};

} // namespace loqa
