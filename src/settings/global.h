#pragma once

#include <QByteArrayView>
#include <QLatin1String>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <stdexcept>

// The program's settings: one process-wide variable per setting, named by its
// key in loqa.ini, and the lists kept with them. They hold zeros and empty texts
// until LoadSettings runs; from then on they are the live settings, read and
// changed directly on the user-interface thread, and reach the disk only through
// SaveSettings.
namespace loqa {

class IniFile;

// [Auto]
extern qint32 MainLeft;
extern qint32 MainTop;
extern qint32 MainWidth;
extern qint32 MainHeight;
extern qint32 ConvertMode; // 0 aloud, 1 to WAV, 2 to MP3
extern qint32 Spd;
extern qint32 PlayIndex; // index into DocumentList
extern qint32 EngineIndex;
extern qint32 LastOptionPage;

// [General]; AutoName lives in [Convert] but is kept between these.
extern bool ShowHint;
extern bool Repeat;
extern bool Highlight;
extern bool AutoNext;
extern bool AutoName;
extern bool Greeting;
extern QString GreetingString;

// [Convert]
extern QString DefTxtPath;
extern QString DefWavPath;
extern QString DefMp3Path;
extern QString KHZ;
extern QString KBPS;
extern qint32 RealTime; // 256 is real time
extern qint32 Pit;

// [UI]
extern qint32 TabPos;
extern qint32 TabStyle;
extern qint32 MemoBGColor;   // 0x00BBGGRR
extern qint32 MemoFontColor; // 0x00BBGGRR
extern qint32 MemoFontSize;
extern QString MemoFontName;
extern bool MemoFontBold;
extern bool MemoFontItalic;
extern bool MemoFontUnderline;
extern bool MemoFontStrikeOut;
extern qint32 MemoScrollBars; // 0 none, 1 horizontal, 2 vertical, 3 both
extern bool MemoWordWrap;
extern bool StayOnTop;
extern bool ShowToolbar;
extern bool ShowStatusBar;
extern bool ShowMainMenus;
extern bool Tray;
extern bool MiniToTray;
extern bool MiniStartup;

// [Clipboard]
extern bool WatchClipboard;
extern qint32 IgnoreLen;
extern bool ShowPrompt;
extern qint32 PromptDelay;
extern qint32 DefAction; // 0 read now, 1 new document, 2 append, 3 cancel

// [Alarm]
extern bool Alarm;
extern qint32 AlarmInterval;
extern QString AlarmBefore;
extern qint32 AlarmStyle; // 0 say the time, 1 read a text file, 2 play a sound
extern bool AlarmDate;
extern QString AlarmTxtFile;
extern QString AlarmWavFile;
extern QString AlarmAfter;
extern bool AlarmMsgBox;

// [Reminder]
extern bool Reminder;
extern bool ReminderMsgBox;

// The open documents, one full path per tab in tab order, kept in loqa.apl.
extern QStringList DocumentList;
// The reminders, each "date time=message"; section [ReminderList].
extern QStringList ReminderList;
// The pronunciation dictionaries loaded besides the user's own, full paths in
// load order; section [DictionaryList], keys 0, 1, 2 …
extern QStringList DictionaryList;

// One entry per action of the main window's action list, by its position there.
constexpr int HotkeyCount = 41;
// Shortcut texts ("Ctrl+Alt+F2"); empty for none. Section [HotkeyList].
extern std::array<QString, HotkeyCount> HotkeyList;
// Non-zero: the shortcut is a system-wide hotkey (the id of its registration
// once registered). Section [GlobalHotkeyIDList].
extern std::array<qint32, HotkeyCount> GlobalHotkeyIDList;

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

// A settings file that could not be read or written.
class ESettingsError : public std::runtime_error
{
public:
    explicit ESettingsError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Reads AppPath + "loqa.ini" (a missing or unreadable file gives every default)
// and AppPath + "loqa.apl" (an unreadable one gives the three sample documents).
// The main window is centred by default on a screen of the given size.
void LoadSettings(QSize screenSize);

// Writes AppPath + "loqa.ini", then AppPath + "loqa.apl". Each file is written
// to a temporary file beside it and renamed over it, so a failed save keeps the
// old file whole. Throws ESettingsError when loqa.ini cannot be read or written
// (then loqa.apl is left alone) or when loqa.apl cannot be written.
void SaveSettings();

// The steps of LoadSettings and SaveSettings that work on the text of loqa.ini:
// every setting, the reminders and the two hotkey lists.
void ReadSettings(const IniFile &ini, QSize screenSize, const QString &appPath);
void WriteSettings(IniFile &ini);

// loqa.apl: one path per line, each ended by CR LF. Reading splits at CR, LF or
// both; a last line ending adds no entry. Paths holding a line break cannot be
// kept in this format and are left out.
QStringList ParseDocumentList(QByteArrayView bytes);
QByteArray FormatDocumentList(const QStringList &paths);

// The sample documents of a first start, in tab order:
// AppPath + "txt/sample1.txt", "txt/sample2.txt", "txt/sample3.txt".
QStringList SampleDocumentPaths();
// True while AppPath holds no loqa.ini yet.
bool IsFirstStart();
// Copies the sample documents shipped with the program into AppPath + "txt/",
// making that folder when it is missing. A file already there is never
// replaced. Returns how many documents were copied.
int InstallSampleDocuments();

} // namespace loqa
