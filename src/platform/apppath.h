#pragma once

#include <QString>

// Where the program keeps its files, and the name it goes by.
namespace loqa {

// The executable's file name up to its first dot, first character kept and
// the rest lower-cased ("loqa" for loqa, "Loqa" for Loqa.bin).
QString ApplicationTitle();
QString ApplicationTitleFor(const QString &executablePath);

// The folder every kept file lives in, ending with '/': $LOQA_HOME when set,
// else the executable's folder when it is writable, else $XDG_DATA_HOME/loqa/.
QString AppPath();

// A read-only companion file (help, samples, a private encoder): beside the
// executable first, then in the installed data folder. Empty when neither has it.
QString CompanionFile(const QString &name);

// The executable's folder, ending with '/'.
QString ExecutableDir();

} // namespace loqa
