#pragma once

#include <array>

// The main window's commands, in the order of its action list. The position is
// the key under which each command's shortcut and global flag are stored.
namespace loqa {

enum ActionIndex : int {
    ActionFileNew,
    ActionFileOpen,
    ActionFileSave,
    ActionFileSaveAs,
    ActionFileClose,
    ActionFileCloseAll,
    ActionFileExit,
    ActionFileMoveFirst,
    ActionFileMovePrev,
    ActionFileMoveNext,
    ActionFileMoveLast,
    ActionEditUndo,
    ActionEditCut,
    ActionEditCopy,
    ActionEditPaste,
    ActionEditDel,
    ActionEditSelectAll,
    ActionSearchFind,
    ActionSearchReplace,
    ActionSearchFindFirst,
    ActionSearchFindNext,
    ActionTTS,
    ActionTTW,
    ActionTTM,
    ActionTTXCursor,
    ActionTTXSelected,
    ActionPause,
    ActionStop,
    ActionPrev,
    ActionNext,
    ActionBrowseTxt,
    ActionBrowseWav,
    ActionBrowseMp3,
    ActionReadClipboard,
    ActionOptions,
    ActionShowMain,
    ActionHelp,
    ActionHelpContact,
    ActionHelpVOXAHome,
    ActionHelpQMHome,
    ActionHelpAbout,
    ActionCount
};

struct ActionInfo {
    const char *name;
    const char *caption;
    const char *hint;
};

extern const std::array<ActionInfo, ActionCount> kActions;

// Addresses behind the Help menu and the voice list's hint.
extern const char *const kProductHomePage;
extern const char *const kMakerHomePage;
extern const char *const kSupportMail;
extern const char *const kMoreVoicesPage;

} // namespace loqa
