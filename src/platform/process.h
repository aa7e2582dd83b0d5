#pragma once

#include <QStringList>

namespace loqa {

// Starts `argv[0]` with the rest as its arguments (never through a shell),
// waits for it to end and returns its exit code; -1 when it cannot be started
// or did not end normally. Standard output and error go to the caller's.
int RunAndWait(const QStringList &argv);

} // namespace loqa
