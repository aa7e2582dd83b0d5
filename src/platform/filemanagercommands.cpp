#include "filemanagercommands.h"

#include "filemanagerformats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace loqa {

namespace {

class NullFileManagerCommands final : public FileManagerCommands
{
public:
    bool test() const override { return false; }
    FileManagerResult registerCommands() override { return {}; }
    FileManagerResult removeCommands() override { return {}; }
};

FileManagerResult Failure(const QString &file, const QString &reason)
{
    return {false, file, reason};
}

constexpr QFileDevice::Permissions kExecutable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

FileManagerResult WriteWhole(const QString &path, const QByteArray &content, bool executable)
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

bool WrittenByLoquora(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The marker is in the first lines of every file of ours.
    return file.read(4096).contains(FileManagerMarker());
}

FileManagerResult RemoveOurs(const QString &path)
{
    if (!QFileInfo::exists(path) || !WrittenByLoquora(path))
        return {};
    QFile file(path);
    if (!file.remove())
        return Failure(path, file.errorString());
    return {};
}

class DesktopFileManagerCommands final : public FileManagerCommands
{
public:
    DesktopFileManagerCommands(QString exe, QString dataHome, QString configHome)
        : FExe(std::move(exe)), FData(std::move(dataHome)), FConfig(std::move(configHome))
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
        // Dolphin's one file holds all three; the box follows it.
        FileManagerResult result = WriteWhole(DolphinFile(), DolphinServiceMenu(FExe), true);
        if (!result.ok)
            return result;
        for (const FileManagerVerb &verb : FileManagerVerbs()) {
            const QList<std::pair<QString, QByteArray>> files{
                {NemoFile(verb), NemoAction(FExe, verb)},
                {ActionFile(verb), FileManagerAction(FExe, verb)},
            };
            for (const auto &[path, content] : files) {
                result = WriteWhole(path, content, false);
                if (!result.ok)
                    return result;
            }
            for (const QString &path : {NautilusScript(verb), CajaScript(verb)}) {
                // A script of the user's own under the same name stays.
                if (QFileInfo::exists(path) && !WrittenByLoquora(path))
                    continue;
                result = WriteWhole(path, ScriptFor(FExe, verb), true);
                if (!result.ok)
                    return result;
            }
        }
        QList<QByteArray> entries;
        for (const FileManagerVerb &verb : FileManagerVerbs())
            entries.append(ThunarAction(FExe, verb));
        return UpdateThunar(entries);
    }

    FileManagerResult removeCommands() override
    {
        FileManagerResult result = UpdateThunar({});
        if (!result.ok)
            return result;
        const QList<FileManagerVerb> &verbs = FileManagerVerbs();
        for (auto verb = verbs.crbegin(); verb != verbs.crend(); ++verb) {
            for (const QString &path : {ActionFile(*verb), CajaScript(*verb), NautilusScript(*verb), NemoFile(*verb)}) {
                result = RemoveOurs(path);
                if (!result.ok)
                    return result;
            }
        }
        return RemoveOurs(DolphinFile());
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

    FileManagerResult UpdateThunar(const QList<QByteArray> &entries)
    {
        const QString path = ThunarFile();
        QByteArray original;
        if (QFileInfo::exists(path)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return Failure(path, file.errorString());
            original = file.readAll();
        } else if (entries.isEmpty()) {
            return {};
        }
        const std::optional<QByteArray> merged = MergeThunarActions(original, entries);
        if (!merged)
            return Failure(path, QStringLiteral("It is not a list of Thunar's custom actions that Loquora can read, "
                                                "so it was left as it is."));
        if (*merged == original)
            return {};
        // Nothing but the frame Loquora started the file with is left: the file goes.
        if (entries.isEmpty() && *merged == EmptyThunarActions()) {
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
};

} // namespace

std::unique_ptr<FileManagerCommands> CreateFileManagerCommands(const QString &exePath)
{
    if (qEnvironmentVariable("LOQA_PLATFORM") == QLatin1String("null"))
        return std::make_unique<NullFileManagerCommands>();
    QString exe = exePath.isEmpty() ? QCoreApplication::applicationFilePath() : exePath;
    exe = QFileInfo(exe).absoluteFilePath();
    return std::make_unique<DesktopFileManagerCommands>(
        exe, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

} // namespace loqa
