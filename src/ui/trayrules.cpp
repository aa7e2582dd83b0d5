#include "trayrules.h"

namespace loqa {

QString ShowMainCaption(bool windowVisible)
{
    return windowVisible ? QStringLiteral("Hide Main Window") : QStringLiteral("Show Main Window");
}

bool MinimizeHidesWindow(bool tray, bool miniToTray, bool trayAvailable)
{
    return tray && miniToTray && trayAvailable;
}

bool StartHidden(bool tray, bool miniStartup, bool trayAvailable)
{
    return tray && miniStartup && trayAvailable;
}

} // namespace loqa
