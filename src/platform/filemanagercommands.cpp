#include "platform/filemanagercommands.h"

#include "platform/filemanagerformats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace loqa {

namespace {

class NullFileManagerCommands final : public FileManagerCommands
{
public:
    bool test() const override { return false; }
    FileManagerResult registerCommands() override { return {}; }
    FileManagerResult removeCommands() override { return {}; }
};

// Why one file could not be written or removed.
struct FileFailure {
    QString file;
    QString reason;
};
using FileOutcome = std::optional<FileFailure>;

FileOutcome Failure(const QString &file, const QString &reason)
{
    return FileFailure{file, reason};
}

constexpr QFileDevice::Permissions kExecutable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

FileOutcome WriteWhole(const QString &path, const QByteArray &content, bool executable)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Failure(path, QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure(path, file.errorString());
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Failure(path, reason);
    }
    if (!file.commit())
        return Failure(path, file.errorString());
    if (executable && !QFile::setPermissions(path, kExecutable))
        return Failure(path, QStringLiteral("It cannot be made executable."));
    return {};
}

std::optional<QByteArray> ReadWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool WrittenByLoquora(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The marker is in the first lines of every file of ours.
    return file.read(4096).contains(FileManagerMarker());
}

FileOutcome RemoveOurs(const QString &path)
{
    if (!QFileInfo::exists(path) || !WrittenByLoquora(path))
        return {};
    QFile file(path);
    if (!file.remove())
        return Failure(path, file.errorString());
    return {};
}

// One file of a file manager's commands.
struct CommandFile {
    QString path;
    QByteArray content;
    bool executable = false;
    // A file of the user's own under the same name stays (a script is named by
    // its menu text, so the user may have one).
    bool keepTheUsers = false;
};

// A file manager and the files it reads its commands from; Thunar's one file
// is shared with the user's own actions and has its own handling.
struct FileManager {
    const char *name;
    QList<CommandFile> files;
    bool thunar = false;
};

// The system folders XDG_CONFIG_DIRS names, in their order (absolute ones only).
QStringList SystemConfigDirs()
{
    QStringList dirs;
    const QString listed = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString &dir : listed.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(QDir::cleanPath(dir));
    }
    return dirs.isEmpty() ? QStringList{QStringLiteral("/etc/xdg")} : dirs;
}

class DesktopFileManagerCommands final : public FileManagerCommands
{
public:
    DesktopFileManagerCommands(QString exe, QString dataHome, QString configHome, QStringList systemConfig)
        : FExe(std::move(exe)), FData(std::move(dataHome)), FConfig(std::move(configHome)),
          FSystemConfig(std::move(systemConfig))
    {}

    bool test() const override
    {
        const QString path = DolphinFile();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = file.readAll();
        return text.contains(FileManagerMarker()) && text.contains("\n[Desktop Action loqaReadAloud]\n");
    }

    FileManagerResult registerCommands() override
    {
        // The folders about to be made are kept in Dolphin's file, with those an
        // earlier Register made.
        QStringList made = MadeFolders();
        for (const QString &folder : OurFolders()) {
            if (!made.contains(folder) && !QFileInfo::exists(FolderPath(folder)))
                made.append(folder);
        }
        FileManagerResult result;
        for (const FileManager &manager : Managers(made)) {
            FileOutcome outcome;
            if (manager.thunar) {
                QList<QByteArray> entries;
                for (const FileManagerVerb &verb : FileManagerVerbs())
                    entries.append(ThunarAction(FExe, verb));
                outcome = UpdateThunar(entries);
            }
            for (const CommandFile &file : manager.files) {
                if (manager.thunar)
                    break;
                if (file.keepTheUsers && QFileInfo::exists(file.path) && !WrittenByLoquora(file.path))
                    continue;
                outcome = WriteWhole(file.path, file.content, file.executable);
                if (outcome)
                    break;
            }
            if (outcome)
                result.failures.append({QLatin1String(manager.name), outcome->file, outcome->reason});
        }
        return result;
    }

    FileManagerResult removeCommands() override
    {
        const QStringList made = MadeFolders();
        FileManagerResult result;
        const QList<FileManager> managers = Managers({});
        for (auto manager = managers.crbegin(); manager != managers.crend(); ++manager) {
            FileOutcome outcome;
            if (manager->thunar)
                outcome = UpdateThunar({});
            for (auto file = manager->files.crbegin(); !manager->thunar && file != manager->files.crend(); ++file) {
                outcome = RemoveOurs(file->path);
                if (outcome)
                    break;
            }
            if (outcome)
                result.failures.append({QLatin1String(manager->name), outcome->file, outcome->reason});
        }
        // Deepest first, so that a parent is empty once its child has gone; a
        // folder that is not empty stays.
        const QStringList ours = OurFolders();
        QStringList folders;
        for (const QString &folder : made) {
            if (ours.contains(folder))
                folders.append(folder);
        }
        std::sort(folders.begin(), folders.end(), [](const QString &a, const QString &b) {
            return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/'));
        });
        for (const QString &folder : std::as_const(folders))
            QDir().rmdir(FolderPath(folder));
        return result;
    }

private:
    QString DolphinFile() const { return FData + QStringLiteral("/kio/servicemenus/loqa.desktop"); }
    QString NemoFile(const FileManagerVerb &verb) const
    {
        return FData + QStringLiteral("/nemo/actions/loqa-%1.nemo_action").arg(QLatin1String(verb.stem));
    }
    QString ActionFile(const FileManagerVerb &verb) const
    {
        return FData + QStringLiteral("/file-manager/actions/loqa-%1.desktop").arg(QLatin1String(verb.stem));
    }
    QString NautilusScript(const FileManagerVerb &verb) const
    {
        return FData + QStringLiteral("/nautilus/scripts/") + QLatin1String(verb.name);
    }
    QString CajaScript(const FileManagerVerb &verb) const
    {
        return FConfig + QStringLiteral("/caja/scripts/") + QLatin1String(verb.name);
    }
    QString ThunarFile() const { return FConfig + QStringLiteral("/Thunar/uca.xml"); }

    // In the order Register goes; Remove goes backwards. `made` goes into Dolphin's file.
    QList<FileManager> Managers(const QStringList &made) const
    {
        QList<FileManager> managers{{"Dolphin", {{DolphinFile(), DolphinServiceMenu(FExe, made), true}}},
                                    {"Nemo", {}},
                                    {"PCManFM-Qt", {}},
                                    {"Nautilus", {}},
                                    {"Caja", {}},
                                    {"Thunar", {{ThunarFile(), {}}}, true}};
        for (const FileManagerVerb &verb : FileManagerVerbs()) {
            managers[1].files.append({NemoFile(verb), NemoAction(FExe, verb)});
            managers[2].files.append({ActionFile(verb), FileManagerAction(FExe, verb)});
            managers[3].files.append({NautilusScript(verb), ScriptFor(FExe, verb), true, true});
            managers[4].files.append({CajaScript(verb), ScriptFor(FExe, verb), true, true});
        }
        return managers;
    }

    // The folders our files lie in and their parents below the desktop's own
    // folders, named "data/…" or "config/…".
    QStringList OurFolders() const
    {
        QStringList folders;
        for (const FileManager &manager : Managers({})) {
            for (const CommandFile &file : manager.files) {
                const bool data = file.path.startsWith(FData + QLatin1Char('/'));
                const QString base = data ? FData : FConfig;
                QString relative = QFileInfo(file.path.mid(base.size() + 1)).path();
                while (relative != QLatin1String(".")) {
                    const QString name = (data ? QStringLiteral("data/") : QStringLiteral("config/")) + relative;
                    if (!folders.contains(name))
                        folders.append(name);
                    relative = QFileInfo(relative).path();
                }
            }
        }
        return folders;
    }
    QString FolderPath(const QString &name) const
    {
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        return (name.startsWith(QLatin1String("data/")) ? FData : FConfig) + name.mid(slash);
    }
    // What the Dolphin file of ours says Register made.
    QStringList MadeFolders() const
    {
        if (!WrittenByLoquora(DolphinFile()))
            return {};
        return DolphinMadeFolders(ReadWhole(DolphinFile()).value_or(QByteArray()));
    }

    FileOutcome UpdateThunar(const QList<QByteArray> &entries)
    {
        const QString path = ThunarFile();
        // What Thunar reads while the user has no file of their own: the first
        // system one, or none.
        QString systemPath;
        for (const QString &dir : FSystemConfig) {
            if (QFileInfo(dir + QStringLiteral("/Thunar/uca.xml")).isFile()) {
                systemPath = dir + QStringLiteral("/Thunar/uca.xml");
                break;
            }
        }
        const std::optional<QByteArray> system =
            systemPath.isEmpty() ? std::optional<QByteArray>(EmptyThunarActions()) : ReadWhole(systemPath);
        const bool exists = QFileInfo::exists(path);
        QByteArray original;
        QString source = path;
        if (exists) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return Failure(path, file.errorString());
            original = file.readAll();
        } else if (entries.isEmpty()) {
            return {};
        } else if (!systemPath.isEmpty()) {
            // A new file starts from the system's, or Thunar would lose its defaults.
            if (!system)
                return Failure(systemPath, QStringLiteral("It cannot be read."));
            original = *system;
            source = systemPath;
        }
        // A file without an entry of ours has nothing to remove, readable or not.
        if (entries.isEmpty() && !HasThunarActionOfOurs(original))
            return {};
        const std::optional<QByteArray> merged = MergeThunarActions(original, entries);
        if (!merged)
            return Failure(source, QStringLiteral("It is not a list of Thunar's custom actions that Loquora can read, "
                                                  "so it was left as it is."));
        if (exists && *merged == original)
            return {};
        // Nothing is left but what Thunar reads without a file of the user's: the file goes.
        if (entries.isEmpty() && system && *merged == *system) {
            QFile file(path);
            if (!file.remove())
                return Failure(path, file.errorString());
            return {};
        }
        return WriteWhole(path, *merged, false);
    }

    QString FExe;
    QString FData;
    QString FConfig;
    QStringList FSystemConfig;
};

} // namespace

QString FailureMessage(const FileManagerResult &result, bool adding)
{
    QStringList names;
    QString details;
    for (const FileManagerFailure &failure : result.failures) {
        names.append(failure.fileManager);
        details += QStringLiteral("\n%1: %2: %3").arg(failure.fileManager, failure.file, failure.reason);
    }
    const QString what = adding ? QStringLiteral("The file-manager commands could not be added for %1.")
                                : QStringLiteral("The file-manager commands could not be removed for %1.");
    return what.arg(names.join(QStringLiteral(", "))) + details;
}

std::unique_ptr<FileManagerCommands> CreateFileManagerCommands(const QString &exePath)
{
    if (qEnvironmentVariable("LOQA_PLATFORM") == QLatin1String("null"))
        return std::make_unique<NullFileManagerCommands>();
    QString exe = exePath.isEmpty() ? QCoreApplication::applicationFilePath() : exePath;
    exe = QFileInfo(exe).absoluteFilePath();
    return std::make_unique<DesktopFileManagerCommands>(
        exe, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), SystemConfigDirs());
}

} // namespace loqa
