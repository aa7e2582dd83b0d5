#include "settings/settings.h"

#include "platform/apppath.h"
#include "settings/documentlist.h"
#include "settings/inifile.h"
#include "platform/qmutils.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace loqa {

namespace {

constexpr QLatin1String kIniName("loqa.ini");
constexpr QLatin1String kDocumentListName("loqa.apl");
constexpr QStringView kReminderSection = u"ReminderList";
constexpr QStringView kHotkeySection = u"HotkeyList";
constexpr QStringView kDictionarySection = u"DictionaryList";
constexpr QStringView kGlobalHotkeySection = u"GlobalHotkeyIDList";
constexpr QStringView kDocumentsSection = u"Documents";

// The main window's design size, centred on the screen by default.
constexpr qint32 kMainWidth = 603;
constexpr qint32 kMainHeight = 402;

// A setting of a Settings object (const for writing) and its default.
template <typename S> struct Setting {
    template <typename T> using Field = std::pair<std::conditional_t<std::is_const_v<S>, const T, T> *, T>;
    using IntegerSetting = Field<qint32>;
    using BoolSetting = Field<bool>;
    using TextSetting = Field<QString>;

    QStringView section;
    QStringView key;
    std::variant<IntegerSetting, BoolSetting, TextSetting> target; // field and default
};

template <typename... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// Every scalar setting with its default, in the order of reading and writing.
template <typename S> std::vector<Setting<S>> settingsTable(S &s, QSize screen, const QString &appPath)
{
    using IntegerSetting = typename Setting<S>::IntegerSetting;
    using BoolSetting = typename Setting<S>::BoolSetting;
    using TextSetting = typename Setting<S>::TextSetting;
    return {
        {u"Auto", u"MainLeft", IntegerSetting{&s.automatic.MainLeft, (screen.width() - kMainWidth) / 2}},
        {u"Auto", u"MainTop", IntegerSetting{&s.automatic.MainTop, (screen.height() - kMainHeight) / 2}},
        {u"Auto", u"MainWidth", IntegerSetting{&s.automatic.MainWidth, kMainWidth}},
        {u"Auto", u"MainHeight", IntegerSetting{&s.automatic.MainHeight, kMainHeight}},
        {u"Auto", u"ConvertMode", IntegerSetting{&s.automatic.ConvertMode, 0}},
        {u"Auto", u"Spd", IntegerSetting{&s.automatic.Spd, 150}},
        {u"Auto", u"PlayIndex", IntegerSetting{&s.automatic.PlayIndex, 0}},
        {u"Auto", u"EngineIndex", IntegerSetting{&s.automatic.EngineIndex, 0}},
        {u"Auto", u"LastOptionPage", IntegerSetting{&s.automatic.LastOptionPage, 0}},
        {u"General", u"ShowHint", BoolSetting{&s.general.ShowHint, true}},
        {u"General", u"Repeat", BoolSetting{&s.general.Repeat, false}},
        {u"General", u"Highlight", BoolSetting{&s.general.Highlight, true}},
        {u"General", u"AutoNext", BoolSetting{&s.general.AutoNext, true}},
        {u"Convert", u"AutoName", BoolSetting{&s.general.AutoName, true}},
        {u"General", u"Greeting", BoolSetting{&s.general.Greeting, true}},
        {u"General", u"GreetingString", TextSetting{&s.general.GreetingString, QStringLiteral("Welcome to Loquora!")}},
        {u"Convert", u"DefTxtPath", TextSetting{&s.convert.DefTxtPath, appPath + QStringLiteral("txt/")}},
        {u"Convert", u"DefWavPath", TextSetting{&s.convert.DefWavPath, appPath + QStringLiteral("wav/")}},
        {u"Convert", u"DefMp3Path", TextSetting{&s.convert.DefMp3Path, appPath + QStringLiteral("mp3/")}},
        {u"Convert", u"KHZ", TextSetting{&s.convert.KHZ, QStringLiteral("22.05")}},
        {u"Convert", u"KBPS", TextSetting{&s.convert.KBPS, QStringLiteral("128")}},
        {u"Convert", u"RealTime", IntegerSetting{&s.convert.RealTime, 2048}},
        {u"Convert", u"Pit", IntegerSetting{&s.convert.Pit, 50}},
        {u"UI", u"TabPos", IntegerSetting{&s.ui.TabPos, 0}},
        {u"UI", u"TabStyle", IntegerSetting{&s.ui.TabStyle, 0}},
        {u"UI", u"MemoBGColor", IntegerSetting{&s.ui.MemoBGColor, 0xFFFFFF}},
        {u"UI", u"MemoFontColor", IntegerSetting{&s.ui.MemoFontColor, 0}},
        {u"UI", u"MemoFontSize", IntegerSetting{&s.ui.MemoFontSize, 10}},
        {u"UI", u"MemoFontName", TextSetting{&s.ui.MemoFontName, QStringLiteral("Courier New")}},
        {u"UI", u"MemoFontBold", BoolSetting{&s.ui.MemoFontBold, false}},
        {u"UI", u"MemoFontItalic", BoolSetting{&s.ui.MemoFontItalic, false}},
        {u"UI", u"MemoFontUnderline", BoolSetting{&s.ui.MemoFontUnderline, false}},
        {u"UI", u"MemoFontStrikeOut", BoolSetting{&s.ui.MemoFontStrikeOut, false}},
        {u"UI", u"MemoScrollBars", IntegerSetting{&s.ui.MemoScrollBars, 2}},
        {u"UI", u"MemoWordWrap", BoolSetting{&s.ui.MemoWordWrap, true}},
        {u"UI", u"StayOnTop", BoolSetting{&s.ui.StayOnTop, false}},
        {u"UI", u"ShowToolbar", BoolSetting{&s.ui.ShowToolbar, true}},
        {u"UI", u"ShowStatusBar", BoolSetting{&s.ui.ShowStatusBar, true}},
        {u"UI", u"ShowMainMenus", BoolSetting{&s.ui.ShowMainMenus, true}},
        {u"UI", u"Tray", BoolSetting{&s.ui.Tray, true}},
        {u"UI", u"MiniToTray", BoolSetting{&s.ui.MiniToTray, true}},
        {u"UI", u"MiniStartup", BoolSetting{&s.ui.MiniStartup, false}},
        {u"Clipboard", u"WatchClipboard", BoolSetting{&s.clipboard.WatchClipboard, true}},
        {u"Clipboard", u"IgnoreLen", IntegerSetting{&s.clipboard.IgnoreLen, 10}},
        {u"Clipboard", u"ShowPrompt", BoolSetting{&s.clipboard.ShowPrompt, true}},
        {u"Clipboard", u"PromptDelay", IntegerSetting{&s.clipboard.PromptDelay, 2}},
        {u"Clipboard", u"DefAction", IntegerSetting{&s.clipboard.DefAction, 0}},
        {u"Alarm", u"Alarm", BoolSetting{&s.alarm.Alarm, false}},
        {u"Alarm", u"AlarmInterval", IntegerSetting{&s.alarm.AlarmInterval, 60}},
        {u"Alarm", u"AlarmBefore", TextSetting{&s.alarm.AlarmBefore, QStringLiteral("The time now is")}},
        {u"Alarm", u"AlarmStyle", IntegerSetting{&s.alarm.AlarmStyle, 0}},
        {u"Alarm", u"AlarmDate", BoolSetting{&s.alarm.AlarmDate, false}},
        {u"Alarm", u"AlarmTxtFile", TextSetting{&s.alarm.AlarmTxtFile, QString()}},
        {u"Alarm", u"AlarmWavFile", TextSetting{&s.alarm.AlarmWavFile, QString()}},
        {u"Alarm", u"AlarmAfter", TextSetting{&s.alarm.AlarmAfter, QString()}},
        {u"Alarm", u"AlarmMsgBox", BoolSetting{&s.alarm.AlarmMsgBox, false}},
        {u"Reminder", u"Reminder", BoolSetting{&s.reminder.Reminder, false}},
        {u"Reminder", u"ReminderMsgBox", BoolSetting{&s.reminder.ReminderMsgBox, true}},
    };
}

// How documents other than plain text are cleaned for listening: a section of its
// own, written after all the others.
template <typename S> std::vector<Setting<S>> documentTable(S &s)
{
    using BoolSetting = typename Setting<S>::BoolSetting;
    return {
        {kDocumentsSection, u"JoinHyphenated", BoolSetting{&s.documents.JoinHyphenated, true}},
        {kDocumentsSection, u"JoinLines", BoolSetting{&s.documents.JoinLines, true}},
        {kDocumentsSection, u"DropRepeated", BoolSetting{&s.documents.DropRepeated, true}},
        {kDocumentsSection, u"PlainLetters", BoolSetting{&s.documents.PlainLetters, true}},
    };
}

void readTable(const IniFile &ini, const std::vector<Setting<Settings>> &table)
{
    using S = Setting<Settings>;
    for (const S &setting : table) {
        std::visit(
            Overloaded{
                [&](const S::IntegerSetting &s) { *s.first = ini.readInteger(setting.section, setting.key, s.second); },
                [&](const S::BoolSetting &s) { *s.first = ini.readBool(setting.section, setting.key, s.second); },
                [&](const S::TextSetting &s) { *s.first = ini.readString(setting.section, setting.key, s.second); },
            },
            setting.target);
    }
}

void writeTable(IniFile &ini, const std::vector<Setting<const Settings>> &table)
{
    using S = Setting<const Settings>;
    for (const S &setting : table) {
        std::visit(Overloaded{
                       [&](const S::IntegerSetting &s) { ini.writeInteger(setting.section, setting.key, *s.first); },
                       [&](const S::BoolSetting &s) { ini.writeBool(setting.section, setting.key, *s.first); },
                       [&](const S::TextSetting &s) { ini.writeString(setting.section, setting.key, *s.first); },
                   },
                   setting.target);
    }
}

// The whole of a regular file of up to IniFile::MaxSize bytes; nothing (and the
// reason) when it is missing, not a regular file (a folder, a pipe, a device
// that never ends), unreadable or larger.
std::optional<QByteArray> readWholeFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = info.exists() ? QStringLiteral("not a regular file") : QStringLiteral("no such file");
        return std::nullopt;
    }
    if (info.size() > IniFile::MaxSize) {
        *error = QStringLiteral("file too large");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (bytes.size() > IniFile::MaxSize) {
        *error = QStringLiteral("file too large");
        return std::nullopt;
    }
    return bytes;
}

bool hasWritePermission(const QFileInfo &info)
{
    return info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

// Writes a file through a temporary file in the same folder renamed over it:
// the old file stays whole until the new one is complete on disk.
void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.exists() && !hasWritePermission(info))
        throw ESettingsError(QStringLiteral("Cannot write %1: the file is read-only").arg(path));
    // Unbuffered, so that a short write (a full disk) is seen here: a buffered
    // QSaveFile can lose that error while flushing and commit a truncated file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw ESettingsError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("short write");
        file.cancelWriting();
        throw ESettingsError(QStringLiteral("Cannot write %1: %2").arg(path, reason));
    }
    if (!file.commit())
        throw ESettingsError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

// Reminder keys are compared as INI keys are: without regard to ASCII case.
QByteArray foldedKey(const QString &key)
{
    QByteArray bytes = key.toUtf8();
    for (char &c : bytes) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return bytes;
}

void writeReminders(IniFile &ini, const QStringList &reminders)
{
    ini.eraseSection(kReminderSection);
    // Reminders with equal keys collapse into one line carrying the first one's message.
    QHash<QByteArray, QString> firstMessage;
    for (const QString &line : reminders) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QByteArray key = foldedKey(line.left(eq));
        if (!firstMessage.contains(key))
            firstMessage.insert(key, line.mid(eq + 1));
    }
    for (const QString &line : reminders) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0)
            ini.writeString(kReminderSection, QStringView(line).left(eq), firstMessage.value(foldedKey(line.left(eq))));
        else
            ini.appendLine(kReminderSection, line);
    }
}

} // namespace

void ReadSettings(const IniFile &ini, QSize screenSize, const QString &appPath, Settings &settings)
{
    ListSettings &lists = settings.lists;
    readTable(ini, settingsTable(settings, screenSize, appPath));
    readTable(ini, documentTable(settings));
    lists.ReminderList = ini.readSectionLines(kReminderSection);
    lists.DictionaryList.clear();
    for (const QString &line : ini.readSectionLines(kDictionarySection)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && !line.mid(eq + 1).isEmpty())
            lists.DictionaryList << line.mid(eq + 1);
    }
    const std::array<QString, HotkeyCount> defaults = DefaultHotkeys();
    for (int i = 0; i < HotkeyCount; ++i) {
        const QString key = QString::number(i);
        lists.HotkeyList[i] = ini.readString(kHotkeySection, key, defaults[i]);
        lists.GlobalHotkeyIDList[i] = ini.readInteger(kGlobalHotkeySection, key, DefaultGlobalHotkeyIDList[i]);
    }
}

std::array<QString, HotkeyCount> DefaultHotkeys()
{
    std::array<QString, HotkeyCount> texts;
    for (int i = 0; i < HotkeyCount; ++i)
        texts[i] = DefaultHotkeyList[i];
    return texts;
}

void WriteSettings(IniFile &ini, const Settings &settings)
{
    const ListSettings &lists = settings.lists;
    writeTable(ini, settingsTable(settings, QSize(), QString()));
    writeReminders(ini, lists.ReminderList);
    // GlobalHotkeyIDList is not erased, so keys of it past the last action survive.
    ini.eraseSection(kHotkeySection);
    for (int i = 0; i < HotkeyCount; ++i) {
        const QString key = QString::number(i);
        ini.writeString(kHotkeySection, key, lists.HotkeyList[i]);
        ini.writeInteger(kGlobalHotkeySection, key, lists.GlobalHotkeyIDList[i]);
    }
    // A file that never loaded a dictionary gets no section for it.
    ini.eraseSection(kDictionarySection);
    for (qsizetype i = 0; i < lists.DictionaryList.size(); ++i)
        ini.writeString(kDictionarySection, QString::number(i), lists.DictionaryList.at(i));
    // The documents' section stays after every section older files know.
    ini.eraseSection(kDocumentsSection);
    writeTable(ini, documentTable(settings));
}

void Settings::Load(QSize screenSize)
{
    const QString appPath = AppPath();
    QString error;
    {
        // A missing or unreadable file is read as an empty one: every setting takes its default.
        IniFile ini;
        if (const std::optional<QByteArray> bytes = readWholeFile(appPath + kIniName, &error))
            ini.parse(*bytes);
        ReadSettings(ini, screenSize, appPath, *this);
    }
    if (const std::optional<QByteArray> bytes = readWholeFile(appPath + kDocumentListName, &error))
        lists.DocumentList = ParseDocumentList(*bytes);
    else
        lists.DocumentList = SampleDocumentPaths();
}

void Settings::Save() const
{
    const QString appPath = AppPath();
    const QString iniPath = appPath + kIniName;
    IniFile ini;
    const QFileInfo iniInfo(iniPath);
    if (iniInfo.exists() || iniInfo.isSymLink()) {
        // A file that is there but cannot be read is not replaced by one that lacks its contents.
        QString error;
        const std::optional<QByteArray> bytes = readWholeFile(iniPath, &error);
        if (!bytes)
            throw ESettingsError(QStringLiteral("Cannot read %1: %2").arg(iniPath, error));
        ini.parse(*bytes);
    }
    WriteSettings(ini, *this);
    writeFileAtomically(iniPath, ini.toBytes());

    const QString listPath = appPath + kDocumentListName;
    ClearReadOnly(listPath);
    writeFileAtomically(listPath, FormatDocumentList(lists.DocumentList));
}

} // namespace loqa
