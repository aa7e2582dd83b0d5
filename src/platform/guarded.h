#pragma once

#include <exception>
#include <source_location>

namespace loqa {

// Writes a failed step to the log (standard error) as "loqa: FILE:LINE: REASON".
void LogFailedStep(const std::source_location &where, const char *reason);

// Runs one step of a larger piece of work (the window's creation, a tick of the
// alarm clock, a control's handler): an exception ends that step only, and the
// log says where and why. True when the step ran to its end.
template <typename Step> bool guarded(Step step, const std::source_location where = std::source_location::current())
{
    try {
        step();
        return true;
    } catch (const std::exception &error) {
        LogFailedStep(where, error.what());
    } catch (...) {
        LogFailedStep(where, "an unknown failure");
    }
    return false;
}

} // namespace loqa
