#include "commands/trayrules.h"

#include "commands/actions.h"

namespace loqa {

const std::vector<int> &TrayMenuEntries()
{
    static const std::vector<int> entries{
        ActionShowMain, -1,         ActionTTS, ActionTTW,           ActionTTM,     ActionPause, ActionStop,
        ActionPrev,     ActionNext, -1,        ActionReadClipboard, ActionOptions, -1,          ActionFileExit};
    return entries;
}

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
