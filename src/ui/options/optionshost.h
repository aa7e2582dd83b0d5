#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class TMSpeech;

namespace loqa {

// What the options dialog asks of the window it sets up: a group of settings
// it changed is shown at once, shortcuts and system-wide hotkeys move, and the
// editor's look and the speech component are at hand for the dialogs it opens.
class OptionsHost
{
public:
    // The groups of settings a control of the dialog changes.
    enum class Shown {
        Hints,
        Navigation, // Prev and Next, by the Repeat setting
        Tabs,
        ScrollBarsAndWrap,
        StayOnTop,
        ToolBar,
        StatusBar,
        Menus,
        Timers,
        EditorFont,
        EditorColours,
        Tray,
    };
    virtual void ShowSettings(Shown group) = 0;

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
