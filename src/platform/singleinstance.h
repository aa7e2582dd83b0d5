#pragma once

#include <QString>

namespace loqa {

// Holds an exclusive lock on a file named after `name` for the rest of the
// process. The kernel drops the lock when the process ends, so a crash leaves
// nothing stale behind. Answers true when another process holds it already;
// every failure answers false so that a broken lock never blocks start-up.
bool AcquireInstanceLock(const QString &name);

// A file of the running instance named after `name`, beside its lock.
QString InstanceFileName(const QString &name, const QString &suffix);

} // namespace loqa
