#include "commands/actions.h"

namespace loqa {

const char *const kProductHomePage = "https://loquora.example.org/";
const char *const kMakerHomePage = "https://quillmark.example.org/";
const char *const kSupportMail = "mailto:support@quillmark.example.org";
const char *const kMoreVoicesPage = "https://github.com/espeak-ng/espeak-ng/blob/master/docs/languages.md";

const std::array<ActionInfo, ActionCount> kActions{{
    {"ActionFileNew", "New", "Create a new document"},
    {"ActionFileOpen", "Open...", "Open document(s)"},
    {"ActionFileSave", "Save", "Save the current document"},
    {"ActionFileSaveAs", "Save As...", "Save the current document as..."},
    {"ActionFileClose", "Close", "Close the current document"},
    {"ActionFileCloseAll", "Close All", "Close all document(s)"},
    {"ActionFileExit", "Exit", "Exit"},
    {"ActionFileMoveFirst", "Move to First", "Move the current document to first position"},
    {"ActionFileMovePrev", "Move to Prev", "Move the current document to previous position"},
    {"ActionFileMoveNext", "Move to Next", "Move the current document to next position"},
    {"ActionFileMoveLast", "Move to Last", "Move the current document to last position"},
    {"ActionEditUndo", "Undo", "Reverts the last action"},
    {"ActionEditCut", "Cut", "Cuts the selection and puts it on the Clipboard"},
    {"ActionEditCopy", "Copy", "Copies the selection and puts it on the Clipboard"},
    {"ActionEditPaste", "Paste", "Inserts Clipboard contents"},
    {"ActionEditDel", "Delete", "Erases the selection"},
    {"ActionEditSelectAll", "Select All", "Selects the entire document"},
    {"ActionSearchFind", "Find...", "Finds the specified text"},
    {"ActionSearchReplace", "Replace", "Replaces specific text with different text"},
    {"ActionSearchFindFirst", "Find First", "Finds the first occurance of specified text"},
    {"ActionSearchFindNext", "Find Next", "Repeats the last find"},
    {"ActionTTS", "Read Aloud", "Read document(s) aloud"},
    {"ActionTTW", "Read to WAV File", "Convert document(s) into WAV file(s)"},
    {"ActionTTM", "Read to MP3 File", "Convert document(s) into MP3 file(s)"},
    {"ActionTTXCursor", "Read from Cursor Aloud", "Read/convert text from cursor aloud/into WAV/MP3 file"},
    {"ActionTTXSelected", "Read Selected Text Aloud", "Read/convert selected text aloud/into WAV/MP3 file"},
    {"ActionPause", "Pause/Resume", "Pause/Resume the current reading or conversion"},
    {"ActionStop", "Stop", "Stop the current reading or conversion"},
    {"ActionPrev", "Prev", "Switch to previous document"},
    {"ActionNext", "Next", "Switch to next document"},
    {"ActionBrowseTxt", "My TXT Folder", "Open the default TXT(documents) folder"},
    {"ActionBrowseWav", "My WAV Folder", "Open the default WAV folder"},
    {"ActionBrowseMp3", "My MP3 Folder", "Open the default MP3 folder"},
    {"ActionReadClipboard", "Read Clipboard", "Read Clipboard aloud"},
    {"ActionOptions", "Options", "Custom your Loquora"},
    {"ActionShowMain", "Show/Hide Main Window", "Show/Hide the main window"},
    {"ActionHelp", "Help", "Get help of user interface/operations/command lines"},
    {"ActionHelpContact", "Contact Us", "Contact us via email"},
    {"ActionHelpVOXAHome", "Loquora Home Page", "Visit Loquora home page - https://loquora.example.org/"},
    {"ActionHelpQMHome", "Quillmark Software Home Page",
     "Visit Quillmark Software home page - https://quillmark.example.org/"},
    {"ActionHelpAbout", "About...", "About Loquora"},
}};

} // namespace loqa
