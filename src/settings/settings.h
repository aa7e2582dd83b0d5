#pragma once

#include <QLatin1String>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <stdexcept>

// The program's settings: one Settings object, made and owned by the main
// window, that hands it (or one of its groups) to whoever reads or changes it.
// Each group is a plain struct of one INI section, its fields named by their
// keys in loqa.ini; they hold zeros and empty texts until Load runs, and reach
// the disk only through Save. Everything runs on the user-interface thread.
namespace loqa {

class IniFile;

// One entry per action of the main window's action list, by its position there.
constexpr int HotkeyCount = 41;
// The shortcuts of a first start. Ctrl+Alt+F1..F12 switch virtual consoles on
// Linux before any program sees them, so the four system-wide commands take the
// same keys with Shift added.
inline constexpr std::array<QLatin1String, HotkeyCount> DefaultHotkeyList{
    QLatin1String("Ctrl+N"),             // 0 ActionFileNew
    QLatin1String(""),                   // 1 ActionFileOpen
    QLatin1String("Ctrl+S"),             // 2 ActionFileSave
    QLatin1String(""),                   // 3 ActionFileSaveAs
    QLatin1String(""),                   // 4 ActionFileClose
    QLatin1String(""),                   // 5 ActionFileCloseAll
    QLatin1String("Alt+F4"),             // 6 ActionFileExit
    QLatin1String("Alt+Up"),             // 7 ActionFileMoveFirst
    QLatin1String("Alt+Left"),           // 8 ActionFileMovePrev
    QLatin1String("Alt+Right"),          // 9 ActionFileMoveNext
    QLatin1String("Alt+Down"),           // 10 ActionFileMoveLast
    QLatin1String("Ctrl+Z"),             // 11 ActionEditUndo
    QLatin1String("Ctrl+X"),             // 12 ActionEditCut
    QLatin1String("Ctrl+C"),             // 13 ActionEditCopy
    QLatin1String("Ctrl+V"),             // 14 ActionEditPaste
    QLatin1String(""),                   // 15 ActionEditDel
    QLatin1String("Ctrl+A"),             // 16 ActionEditSelectAll
    QLatin1String("Ctrl+F"),             // 17 ActionSearchFind
    QLatin1String("Ctrl+R"),             // 18 ActionSearchReplace
    QLatin1String(""),                   // 19 ActionSearchFindFirst
    QLatin1String(""),                   // 20 ActionSearchFindNext
    QLatin1String("Shift+Ctrl+Alt+F2"),  // 21 ActionTTS
    QLatin1String("F3"),                 // 22 ActionTTW
    QLatin1String("F4"),                 // 23 ActionTTM
    QLatin1String("Ctrl+Q"),             // 24 ActionTTXCursor
    QLatin1String("Ctrl+W"),             // 25 ActionTTXSelected
    QLatin1String("Shift+Ctrl+Alt+F5"),  // 26 ActionPause
    QLatin1String("Shift+Ctrl+Alt+F6"),  // 27 ActionStop
    QLatin1String("F7"),                 // 28 ActionPrev
    QLatin1String("F8"),                 // 29 ActionNext
    QLatin1String("F9"),                 // 30 ActionBrowseTxt
    QLatin1String("F10"),                // 31 ActionBrowseWav
    QLatin1String("F11"),                // 32 ActionBrowseMp3
    QLatin1String("Shift+Ctrl+Alt+F12"), // 33 ActionReadClipboard
    QLatin1String("Ctrl+O"),             // 34 ActionOptions
    QLatin1String(""),                   // 35 ActionShowMain
    QLatin1String("F1"),                 // 36 ActionHelp
    QLatin1String(""),                   // 37 ActionHelpContact
    QLatin1String(""),                   // 38 ActionHelpVOXAHome
    QLatin1String(""),                   // 39 ActionHelpQMHome
    QLatin1String(""),                   // 40 ActionHelpAbout
};

// Read Aloud, Pause/Resume, Stop and Read Clipboard are system-wide at first.
inline constexpr std::array<qint32, HotkeyCount> DefaultGlobalHotkeyIDList{
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
    0, 1, 0, 0, 0, 0, 1, 1, 0, 0, //
    0, 0, 0, 1, 0, 0, 0, 0, 0, 0, //
    0,
};

// DefaultHotkeyList as texts: what a first start reads and what "Reset ALL" puts back.
std::array<QString, HotkeyCount> DefaultHotkeys();

// [Auto]
struct AutoSettings {
    qint32 MainLeft = 0;
    qint32 MainTop = 0;
    qint32 MainWidth = 0;
    qint32 MainHeight = 0;
    qint32 ConvertMode = 0; // 0 aloud, 1 to WAV, 2 to MP3
    qint32 Spd = 0;
    qint32 PlayIndex = 0; // index into ListSettings::DocumentList
    qint32 EngineIndex = 0;
    qint32 LastOptionPage = 0;
};

// [General]; AutoName lives in [Convert] but is kept with these.
struct GeneralSettings {
    bool ShowHint = false;
    bool Repeat = false;
    bool Highlight = false;
    bool AutoNext = false;
    bool AutoName = false;
    bool Greeting = false;
    QString GreetingString;
};

// [Convert]
struct ConvertSettings {
    QString DefTxtPath;
    QString DefWavPath;
    QString DefMp3Path;
    QString KHZ;
    QString KBPS;
    qint32 RealTime = 0; // 256 is real time
    qint32 Pit = 0;
};

// [UI]
struct InterfaceSettings {
    qint32 TabPos = 0;
    qint32 TabStyle = 0;
    qint32 MemoBGColor = 0;   // 0x00BBGGRR
    qint32 MemoFontColor = 0; // 0x00BBGGRR
    qint32 MemoFontSize = 0;
    QString MemoFontName;
    bool MemoFontBold = false;
    bool MemoFontItalic = false;
    bool MemoFontUnderline = false;
    bool MemoFontStrikeOut = false;
    qint32 MemoScrollBars = 0; // 0 none, 1 horizontal, 2 vertical, 3 both
    bool MemoWordWrap = false;
    bool StayOnTop = false;
    bool ShowToolbar = false;
    bool ShowStatusBar = false;
    bool ShowMainMenus = false;
    bool Tray = false;
    bool MiniToTray = false;
    bool MiniStartup = false;
};

// [Clipboard]
struct ClipboardSettings {
    bool WatchClipboard = false;
    qint32 IgnoreLen = 0;
    bool ShowPrompt = false;
    qint32 PromptDelay = 0;
    qint32 DefAction = 0; // 0 read now, 1 new document, 2 append, 3 cancel
};

// [Alarm]
struct AlarmSettings {
    bool Alarm = false;
    qint32 AlarmInterval = 0;
    QString AlarmBefore;
    qint32 AlarmStyle = 0; // 0 say the time, 1 read a text file, 2 play a sound
    bool AlarmDate = false;
    QString AlarmTxtFile;
    QString AlarmWavFile;
    QString AlarmAfter;
    bool AlarmMsgBox = false;
};

// [Reminder]
struct ReminderSettings {
    bool Reminder = false;
    bool ReminderMsgBox = false;
};

// The lists kept with the settings.
// How documents other than plain text are cleaned for listening. Section [Documents].
struct DocumentSettings {
    bool JoinHyphenated = true; // a word hyphenated at a line end is read whole
    bool JoinLines = true;      // lines wrapped inside a paragraph are one line
    bool DropRepeated = true;   // page numbers, running headers and footers are left out
    bool PlainLetters = true;   // ligatures and soft hyphens become plain letters
};

struct ListSettings {
    // The open documents, one full path per tab in tab order, kept in loqa.apl.
    QStringList DocumentList;
    // The reminders, each "date time=message"; section [ReminderList].
    QStringList ReminderList;
    // The pronunciation dictionaries loaded besides the user's own, full paths
    // in load order; section [DictionaryList], keys 0, 1, 2 …
    QStringList DictionaryList;
    // Shortcut texts ("Ctrl+Alt+F2") by action; empty for none. Section [HotkeyList].
    std::array<QString, HotkeyCount> HotkeyList;
    // Non-zero: the shortcut is a system-wide hotkey (the id of its
    // registration once registered). Section [GlobalHotkeyIDList].
    std::array<qint32, HotkeyCount> GlobalHotkeyIDList{};
};

// What the window shows of the settings, one group each: the options dialog
// names the group of a control it changed, and the window's start shows them
// all in turn.
enum class SettingsGroup {
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
    Shortcuts,
};

// A settings file that could not be read or written.
class ESettingsError : public std::runtime_error
{
public:
    explicit ESettingsError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// All the settings and lists, and who is told of a change.
class Settings
{
public:
    Settings() = default;
    // One object per program: a copy would take its listener along.
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    AutoSettings automatic;
    GeneralSettings general;
    ConvertSettings convert;
    InterfaceSettings ui;
    ClipboardSettings clipboard;
    AlarmSettings alarm;
    ReminderSettings reminder;
    ListSettings lists;
    DocumentSettings documents;

    // Reads AppPath + "loqa.ini" (a missing or unreadable file gives every
    // default) and AppPath + "loqa.apl" (an unreadable one gives the three
    // sample documents). The main window is centred by default on a screen of
    // the given size. Tells nobody: the window shows everything as it starts.
    void Load(QSize screenSize);

    // Writes AppPath + "loqa.ini", then AppPath + "loqa.apl". Each file is
    // written to a temporary file beside it and renamed over it, so a failed
    // save keeps the old file whole. Throws ESettingsError when loqa.ini cannot
    // be read or written (then loqa.apl is left alone) or when loqa.apl cannot
    // be written.
    void Save() const;

    // A group was changed: OnChanged shows it.
    void Changed(SettingsGroup group) const
    {
        if (OnChanged)
            OnChanged(group);
    }
    std::function<void(SettingsGroup)> OnChanged;
};

// The steps of Load and Save that work on the text of loqa.ini: every setting,
// the reminders, the dictionaries and the two hotkey lists (not DocumentList).
void ReadSettings(const IniFile &ini, QSize screenSize, const QString &appPath, Settings &settings);
void WriteSettings(IniFile &ini, const Settings &settings);

} // namespace loqa
