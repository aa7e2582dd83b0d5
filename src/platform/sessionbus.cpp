#include "sessionbus.h"

#include <QDBusConnection>
#include <QFileInfo>

namespace loqa {

bool HaveSessionBus()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return false;
    return QDBusConnection::sessionBus().isConnected();
}

} // namespace loqa
