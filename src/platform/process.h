#pragma once

#include <QStringList>

#include <atomic>

namespace loqa {

// RunAndWait's results besides the program's own exit code.
constexpr int RunNotStarted = -1; // could not be started, or did not end normally
constexpr int RunCancelled = -2;  // `cancel` became true: the program was ended
constexpr int RunTimedOut = -3;   // the time limit passed: the program was ended

// Bounds for a program that may never end by itself.
struct RunLimits {
    const std::atomic<bool> *cancel = nullptr; // set from another thread to end the program
    int timeoutMs = -1;                        // -1: no limit
};

// Starts `argv[0]` with the rest as its arguments (never through a shell),
// waits for it to end and returns its exit code; -1 when it cannot be started
// or did not end normally. A hidden process (showCommand 0) gets no terminal
// output: its standard output is dropped, and the last line it wrote to its
// standard error is handed back in `errorLine` when asked for. With limits, a
// program still running when it is cancelled or its time is up is ended
// (SIGTERM, then SIGKILL) and RunCancelled or RunTimedOut is returned.
int RunAndWait(const QStringList &argv, int showCommand = 1, QString *errorLine = nullptr,
               const RunLimits &limits = {});

} // namespace loqa
