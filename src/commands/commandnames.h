#pragma once

#include <QString>
#include <QStringList>

// The commands `loqa --command NAME` hands to the running window.
namespace loqa {

// Brings the main window back, shown and in its normal state (never hides it).
constexpr int ShowWindowCommand = -2;

// The command for a name: an action's index, ShowWindowCommand, or -1 for
// names that are none.
int CommandForName(const QString &name);
// Every name, for the usage text.
QStringList CommandNames();

} // namespace loqa
