#pragma once

class QAction;
class QMenuBar;

// The keys that take a window's menu bar from wherever the focus is: F10 (left
// to a command of the window that has it as its shortcut), or Alt pressed and
// let go alone, opens its first menu with the first command highlighted; Left
// and Right in an open menu open the one beside it, and Escape closes it for
// the control the user was on (Alt and a letter are the menu bar's own).
namespace menubar_keys {

// Only while the bar is shown; the keys are watched for as long as it lives.
void Install(QMenuBar *bar);

// Opens the bar's first menu as those keys do, or the menu of `title`, with
// its first command highlighted.
void OpenFirstMenu(QMenuBar *bar);
void OpenMenu(QMenuBar *bar, QAction *title);

// Alt let go with no other key between its press and release.
class AltAlone
{
public:
    // Each key going down (modifiers included), and each coming up; true when
    // this release is Alt's own.
    void Pressed(int key, bool autoRepeat);
    bool Released(int key);
    // The window lost the keyboard, or the mouse was used: whatever Alt did is void.
    void Reset() { FArmed = false; }

private:
    bool FArmed = false;
};

} // namespace menubar_keys
