#pragma once

#include <QList>
#include <QString>

#include <memory>

// "Read Aloud", "Read to WAV" and "Read to MP3" in the context menus of plain
// text files, written per user for the common Linux file managers: Dolphin,
// Nautilus, Nemo, Thunar, Caja and PCManFM-Qt.
namespace loqa {

// A file manager whose commands could not be written or removed: its name
// ("Thunar"), the file and why.
struct FileManagerFailure {
    QString fileManager;
    QString file;
    QString reason;
};

// The outcome of a run: every file manager that failed, in the order of the run.
struct FileManagerResult {
    QList<FileManagerFailure> failures;
    bool ok() const { return failures.isEmpty(); }
};

// What the user is told of a run that failed: which file managers, then for
// each its file and why. `adding` tells Register from Remove.
QString FailureMessage(const FileManagerResult &result, bool adding);

class FileManagerCommands
{
public:
    virtual ~FileManagerCommands() = default;
    // Loquora's Dolphin "Read Aloud" action exists.
    virtual bool test() const = 0;
    // Writes all of them, replacing earlier ones. Each file manager goes on its
    // own: one that fails stops at its failing file, and the others go on.
    virtual FileManagerResult registerCommands() = 0;
    // Deletes only what Loquora wrote, file manager by file manager as above; a
    // missing one is not an error. A folder that Register made and that is left
    // empty goes too.
    virtual FileManagerResult removeCommands() = 0;
};

// The desktop's per-user folders (XDG_DATA_HOME, XDG_CONFIG_HOME) and, for the
// defaults a new uca.xml of Thunar starts from, its system folders
// (XDG_CONFIG_DIRS, default /etc/xdg); the commands run `exePath` (default:
// this executable). LOQA_PLATFORM=null gives one that
// writes nothing and reports nothing registered.
std::unique_ptr<FileManagerCommands> CreateFileManagerCommands(const QString &exePath = QString());

} // namespace loqa
