#pragma once

namespace loqa {

// Whether this session has a D-Bus session bus to talk to. Only a bus that is
// there counts: asking Qt for one that is not could start one.
bool HaveSessionBus();

} // namespace loqa
