#pragma once

#include <QString>

#include <memory>

// "Read Aloud", "Read to WAV" and "Read to MP3" in the context menus of plain
// text files, written per user for the common Linux file managers: Dolphin,
// Nautilus, Nemo, Thunar, Caja and PCManFM-Qt.
namespace loqa {

// The outcome of a run; on failure, the file that could not be written or
// removed and why.
struct FileManagerResult {
    bool ok = true;
    QString file;
    QString reason;
};

class FileManagerCommands
{
public:
    virtual ~FileManagerCommands() = default;
    // Loquora's Dolphin "Read Aloud" action exists.
    virtual bool test() const = 0;
    // Writes all of them, replacing earlier ones; stops at the first failure.
    virtual FileManagerResult registerCommands() = 0;
    // Deletes only what Loquora wrote; a missing one is not an error.
    virtual FileManagerResult removeCommands() = 0;
};

// The desktop's per-user folders (XDG_DATA_HOME, XDG_CONFIG_HOME); the commands
// run `exePath` (default: this executable). LOQA_PLATFORM=null gives one that
// writes nothing and reports nothing registered.
std::unique_ptr<FileManagerCommands> CreateFileManagerCommands(const QString &exePath = QString());

} // namespace loqa
