#include "settings/global.h"

#include "platform/apppath.h"
#include "settings/inifile.h"
#include "platform/qmutils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace loqa {

qint32 MainLeft = 0;
qint32 MainTop = 0;
qint32 MainWidth = 0;
qint32 MainHeight = 0;
qint32 ConvertMode = 0;
qint32 Spd = 0;
qint32 PlayIndex = 0;
qint32 EngineIndex = 0;
qint32 LastOptionPage = 0;

bool ShowHint = false;
bool Repeat = false;
bool Highlight = false;
bool AutoNext = false;
bool AutoName = false;
bool Greeting = false;
QString GreetingString;

QString DefTxtPath;
QString DefWavPath;
QString DefMp3Path;
QString KHZ;
QString KBPS;
qint32 RealTime = 0;
qint32 Pit = 0;

qint32 TabPos = 0;
qint32 TabStyle = 0;
qint32 MemoBGColor = 0;
qint32 MemoFontColor = 0;
qint32 MemoFontSize = 0;
QString MemoFontName;
bool MemoFontBold = false;
bool MemoFontItalic = false;
bool MemoFontUnderline = false;
bool MemoFontStrikeOut = false;
qint32 MemoScrollBars = 0;
bool MemoWordWrap = false;
bool StayOnTop = false;
bool ShowToolbar = false;
bool ShowStatusBar = false;
bool ShowMainMenus = false;
bool Tray = false;
bool MiniToTray = false;
bool MiniStartup = false;

bool WatchClipboard = false;
qint32 IgnoreLen = 0;
bool ShowPrompt = false;
qint32 PromptDelay = 0;
qint32 DefAction = 0;

bool Alarm = false;
qint32 AlarmInterval = 0;
QString AlarmBefore;
qint32 AlarmStyle = 0;
bool AlarmDate = false;
QString AlarmTxtFile;
QString AlarmWavFile;
QString AlarmAfter;
bool AlarmMsgBox = false;

bool Reminder = false;
bool ReminderMsgBox = false;

QStringList DocumentList;
QStringList ReminderList;
QStringList DictionaryList;
std::array<QString, HotkeyCount> HotkeyList;
std::array<qint32, HotkeyCount> GlobalHotkeyIDList{};

namespace {

constexpr QLatin1String kIniName("loqa.ini");
constexpr QLatin1String kDocumentListName("loqa.apl");
constexpr QStringView kReminderSection = u"ReminderList";
constexpr QStringView kHotkeySection = u"HotkeyList";
constexpr QStringView kDictionarySection = u"DictionaryList";
constexpr QStringView kGlobalHotkeySection = u"GlobalHotkeyIDList";
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// The main window's design size, centred on the screen by default.
constexpr qint32 kMainWidth = 603;
constexpr qint32 kMainHeight = 402;

using IntegerSetting = std::pair<qint32 *, qint32>;
using BoolSetting = std::pair<bool *, bool>;
using TextSetting = std::pair<QString *, QString>;

struct Setting {
    QStringView section;
    QStringView key;
    std::variant<IntegerSetting, BoolSetting, TextSetting> target; // variable and default
};

template <typename... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// Every scalar setting with its default, in the order of reading and writing.
std::vector<Setting> settingsTable(QSize screen, const QString &appPath)
{
    return {
        {u"Auto", u"MainLeft", IntegerSetting{&MainLeft, (screen.width() - kMainWidth) / 2}},
        {u"Auto", u"MainTop", IntegerSetting{&MainTop, (screen.height() - kMainHeight) / 2}},
        {u"Auto", u"MainWidth", IntegerSetting{&MainWidth, kMainWidth}},
        {u"Auto", u"MainHeight", IntegerSetting{&MainHeight, kMainHeight}},
        {u"Auto", u"ConvertMode", IntegerSetting{&ConvertMode, 0}},
        {u"Auto", u"Spd", IntegerSetting{&Spd, 150}},
        {u"Auto", u"PlayIndex", IntegerSetting{&PlayIndex, 0}},
        {u"Auto", u"EngineIndex", IntegerSetting{&EngineIndex, 0}},
        {u"Auto", u"LastOptionPage", IntegerSetting{&LastOptionPage, 0}},
        {u"General", u"ShowHint", BoolSetting{&ShowHint, true}},
        {u"General", u"Repeat", BoolSetting{&Repeat, false}},
        {u"General", u"Highlight", BoolSetting{&Highlight, true}},
        {u"General", u"AutoNext", BoolSetting{&AutoNext, true}},
        {u"Convert", u"AutoName", BoolSetting{&AutoName, true}},
        {u"General", u"Greeting", BoolSetting{&Greeting, true}},
        {u"General", u"GreetingString", TextSetting{&GreetingString, QStringLiteral("Welcome to Loquora!")}},
        {u"Convert", u"DefTxtPath", TextSetting{&DefTxtPath, appPath + QStringLiteral("txt/")}},
        {u"Convert", u"DefWavPath", TextSetting{&DefWavPath, appPath + QStringLiteral("wav/")}},
        {u"Convert", u"DefMp3Path", TextSetting{&DefMp3Path, appPath + QStringLiteral("mp3/")}},
        {u"Convert", u"KHZ", TextSetting{&KHZ, QStringLiteral("22.05")}},
        {u"Convert", u"KBPS", TextSetting{&KBPS, QStringLiteral("128")}},
        {u"Convert", u"RealTime", IntegerSetting{&RealTime, 2048}},
        {u"Convert", u"Pit", IntegerSetting{&Pit, 50}},
        {u"UI", u"TabPos", IntegerSetting{&TabPos, 0}},
        {u"UI", u"TabStyle", IntegerSetting{&TabStyle, 0}},
        {u"UI", u"MemoBGColor", IntegerSetting{&MemoBGColor, 0xFFFFFF}},
        {u"UI", u"MemoFontColor", IntegerSetting{&MemoFontColor, 0}},
        {u"UI", u"MemoFontSize", IntegerSetting{&MemoFontSize, 10}},
        {u"UI", u"MemoFontName", TextSetting{&MemoFontName, QStringLiteral("Courier New")}},
        {u"UI", u"MemoFontBold", BoolSetting{&MemoFontBold, false}},
        {u"UI", u"MemoFontItalic", BoolSetting{&MemoFontItalic, false}},
        {u"UI", u"MemoFontUnderline", BoolSetting{&MemoFontUnderline, false}},
        {u"UI", u"MemoFontStrikeOut", BoolSetting{&MemoFontStrikeOut, false}},
        {u"UI", u"MemoScrollBars", IntegerSetting{&MemoScrollBars, 2}},
        {u"UI", u"MemoWordWrap", BoolSetting{&MemoWordWrap, true}},
        {u"UI", u"StayOnTop", BoolSetting{&StayOnTop, false}},
        {u"UI", u"ShowToolbar", BoolSetting{&ShowToolbar, true}},
        {u"UI", u"ShowStatusBar", BoolSetting{&ShowStatusBar, true}},
        {u"UI", u"ShowMainMenus", BoolSetting{&ShowMainMenus, true}},
        {u"UI", u"Tray", BoolSetting{&Tray, true}},
        {u"UI", u"MiniToTray", BoolSetting{&MiniToTray, true}},
        {u"UI", u"MiniStartup", BoolSetting{&MiniStartup, false}},
        {u"Clipboard", u"WatchClipboard", BoolSetting{&WatchClipboard, true}},
        {u"Clipboard", u"IgnoreLen", IntegerSetting{&IgnoreLen, 10}},
        {u"Clipboard", u"ShowPrompt", BoolSetting{&ShowPrompt, true}},
        {u"Clipboard", u"PromptDelay", IntegerSetting{&PromptDelay, 2}},
        {u"Clipboard", u"DefAction", IntegerSetting{&DefAction, 0}},
        {u"Alarm", u"Alarm", BoolSetting{&Alarm, false}},
        {u"Alarm", u"AlarmInterval", IntegerSetting{&AlarmInterval, 60}},
        {u"Alarm", u"AlarmBefore", TextSetting{&AlarmBefore, QStringLiteral("The time now is")}},
        {u"Alarm", u"AlarmStyle", IntegerSetting{&AlarmStyle, 0}},
        {u"Alarm", u"AlarmDate", BoolSetting{&AlarmDate, false}},
        {u"Alarm", u"AlarmTxtFile", TextSetting{&AlarmTxtFile, QString()}},
        {u"Alarm", u"AlarmWavFile", TextSetting{&AlarmWavFile, QString()}},
        {u"Alarm", u"AlarmAfter", TextSetting{&AlarmAfter, QString()}},
        {u"Alarm", u"AlarmMsgBox", BoolSetting{&AlarmMsgBox, false}},
        {u"Reminder", u"Reminder", BoolSetting{&Reminder, false}},
        {u"Reminder", u"ReminderMsgBox", BoolSetting{&ReminderMsgBox, true}},
    };
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

void writeReminders(IniFile &ini)
{
    ini.eraseSection(kReminderSection);
    // Reminders with equal keys collapse into one line carrying the first one's message.
    QHash<QByteArray, QString> firstMessage;
    for (const QString &line : std::as_const(ReminderList)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QByteArray key = foldedKey(line.left(eq));
        if (!firstMessage.contains(key))
            firstMessage.insert(key, line.mid(eq + 1));
    }
    for (const QString &line : std::as_const(ReminderList)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0)
            ini.writeString(kReminderSection, QStringView(line).left(eq), firstMessage.value(foldedKey(line.left(eq))));
        else
            ini.appendLine(kReminderSection, line);
    }
}

} // namespace

void ReadSettings(const IniFile &ini, QSize screenSize, const QString &appPath)
{
    for (const Setting &setting : settingsTable(screenSize, appPath)) {
        std::visit(
            Overloaded{
                [&](const IntegerSetting &s) { *s.first = ini.readInteger(setting.section, setting.key, s.second); },
                [&](const BoolSetting &s) { *s.first = ini.readBool(setting.section, setting.key, s.second); },
                [&](const TextSetting &s) { *s.first = ini.readString(setting.section, setting.key, s.second); },
            },
            setting.target);
    }
    ReminderList = ini.readSectionLines(kReminderSection);
    DictionaryList.clear();
    for (const QString &line : ini.readSectionLines(kDictionarySection)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && !line.mid(eq + 1).isEmpty())
            DictionaryList << line.mid(eq + 1);
    }
    const std::array<QString, HotkeyCount> defaults = DefaultHotkeys();
    for (int i = 0; i < HotkeyCount; ++i) {
        const QString key = QString::number(i);
        HotkeyList[i] = ini.readString(kHotkeySection, key, defaults[i]);
        GlobalHotkeyIDList[i] = ini.readInteger(kGlobalHotkeySection, key, DefaultGlobalHotkeyIDList[i]);
    }
}

std::array<QString, HotkeyCount> DefaultHotkeys()
{
    std::array<QString, HotkeyCount> texts;
    for (int i = 0; i < HotkeyCount; ++i)
        texts[i] = DefaultHotkeyList[i];
    return texts;
}

void WriteSettings(IniFile &ini)
{
    for (const Setting &setting : settingsTable(QSize(), QString())) {
        std::visit(Overloaded{
                       [&](const IntegerSetting &s) { ini.writeInteger(setting.section, setting.key, *s.first); },
                       [&](const BoolSetting &s) { ini.writeBool(setting.section, setting.key, *s.first); },
                       [&](const TextSetting &s) { ini.writeString(setting.section, setting.key, *s.first); },
                   },
                   setting.target);
    }
    writeReminders(ini);
    // GlobalHotkeyIDList is not erased, so keys of it past the last action survive.
    ini.eraseSection(kHotkeySection);
    for (int i = 0; i < HotkeyCount; ++i) {
        const QString key = QString::number(i);
        ini.writeString(kHotkeySection, key, HotkeyList[i]);
        ini.writeInteger(kGlobalHotkeySection, key, GlobalHotkeyIDList[i]);
    }
    // A file that never loaded a dictionary gets no section for it.
    ini.eraseSection(kDictionarySection);
    for (qsizetype i = 0; i < DictionaryList.size(); ++i)
        ini.writeString(kDictionarySection, QString::number(i), DictionaryList.at(i));
}

QStringList ParseDocumentList(QByteArrayView bytes)
{
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(kByteOrderMark.size());
    QStringList paths;
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        paths << TextFromUtf8(bytes.sliced(pos, end - pos));
        pos = end;
        if (pos < size)
            pos += (bytes[pos] == '\r' && pos + 1 < size && bytes[pos + 1] == '\n') ? 2 : 1;
    }
    return paths;
}

QByteArray FormatDocumentList(const QStringList &paths)
{
    QByteArray out;
    for (const QString &path : paths) {
        if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
            continue;
        out += path.toUtf8();
        out += "\r\n";
    }
    return out;
}

void LoadSettings(QSize screenSize)
{
    const QString appPath = AppPath();
    QString error;
    {
        // A missing or unreadable file is read as an empty one: every setting takes its default.
        IniFile ini;
        if (const std::optional<QByteArray> bytes = readWholeFile(appPath + kIniName, &error))
            ini.parse(*bytes);
        ReadSettings(ini, screenSize, appPath);
    }
    if (const std::optional<QByteArray> bytes = readWholeFile(appPath + kDocumentListName, &error))
        DocumentList = ParseDocumentList(*bytes);
    else
        DocumentList = SampleDocumentPaths();
}

void SaveSettings()
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
    WriteSettings(ini);
    writeFileAtomically(iniPath, ini.toBytes());

    const QString listPath = appPath + kDocumentListName;
    ClearReadOnly(listPath);
    writeFileAtomically(listPath, FormatDocumentList(DocumentList));
}

QStringList SampleDocumentPaths()
{
    const QString folder = AppPath() + QStringLiteral("txt/");
    return {folder + QStringLiteral("sample1.txt"), folder + QStringLiteral("sample2.txt"),
            folder + QStringLiteral("sample3.txt")};
}

bool IsFirstStart()
{
    const QFileInfo ini(AppPath() + kIniName);
    return !ini.exists() && !ini.isSymLink();
}

int InstallSampleDocuments()
{
    const QStringList targets = SampleDocumentPaths();
    if (!QDir().mkpath(QFileInfo(targets.first()).absolutePath()))
        return 0;
    int copied = 0;
    for (const QString &target : targets) {
        const QString source = CompanionFile(QStringLiteral("samples/") + QFileInfo(target).fileName());
        QFile in(source);
        if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = in.readAll();
        // NewOnly: a file (or link) already at the target is never touched.
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        if (out.write(text) == text.size() && out.flush()) {
            ++copied;
        } else {
            out.close();
            out.remove();
        }
    }
    return copied;
}

} // namespace loqa
