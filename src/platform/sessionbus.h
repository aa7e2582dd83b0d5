#pragma once

namespace loqa {

// Whether this session has a D-Bus session bus to talk to. Only a bus that is
// there counts: asking Qt for one that is not could start one.
bool HaveSessionBus();

// Whether a tray host of the StatusNotifierItem kind (KDE Plasma, GNOME with
// an AppIndicator extension) is registered with the session's watcher. This is
// the question the toolkit asks when it makes a tray icon: with a host the icon
// is an item on the bus and the host draws its menu, else it docks by XEmbed.
bool StatusNotifierHostRegistered();

} // namespace loqa
