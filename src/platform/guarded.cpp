#include "guarded.h"

#include <cstdio>
#include <cstring>

namespace loqa {

void LogFailedStep(const std::source_location &where, const char *reason)
{
    const char *file = std::strrchr(where.file_name(), '/');
    std::fprintf(stderr, "loqa: %s:%u: %s\n", file ? file + 1 : where.file_name(), unsigned(where.line()), reason);
}

} // namespace loqa
