#pragma once

#include <exception>

namespace loqa {

// Writes a failed step to the log (standard error) as "loqa: FILE:LINE: REASON".
void LogFailedStep(const char *file, unsigned line, const char *reason);

// Runs one step of a larger piece of work (the window's creation, a tick of the
// alarm clock, a control's handler): an exception ends that step only, and the
// log says where and why. True when the step ran to its end. The caller's place
// comes from the compiler's builtins, which both compilers of the build have
// (std::source_location is missing from the fuzzing build's clang).
template <typename Step> bool guarded(Step step, const char *file = __builtin_FILE(), unsigned line = __builtin_LINE())
{
    try {
        step();
        return true;
    } catch (const std::exception &error) {
        LogFailedStep(file, line, error.what());
    } catch (...) {
        LogFailedStep(file, line, "an unknown failure");
    }
    return false;
}

} // namespace loqa
