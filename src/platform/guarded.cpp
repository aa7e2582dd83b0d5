#include "platform/guarded.h"

#include <cstdio>
#include <cstring>

namespace loqa {

void LogFailedStep(const char *file, unsigned line, const char *reason)
{
    const char *name = std::strrchr(file, '/');
    std::fprintf(stderr, "loqa: %s:%u: %s\n", name ? name + 1 : file, line, reason);
}

} // namespace loqa
