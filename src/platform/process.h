#pragma once

#include <QStringList>

namespace loqa {

// Starts `argv[0]` with the rest as its arguments (never through a shell),
// waits for it to end and returns its exit code; -1 when it cannot be started
// or did not end normally. A hidden process (showCommand 0) gets no terminal
// output: its standard output is dropped, and the last line it wrote to its
// standard error is handed back in `errorLine` when asked for.
int RunAndWait(const QStringList &argv, int showCommand = 1, QString *errorLine = nullptr);

} // namespace loqa
