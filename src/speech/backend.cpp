#include "speech.h"

#include "espeak/espeakengine.h"

#include <mutex>

namespace speech {

namespace {
std::mutex g_mutex;
std::shared_ptr<Backend> g_backend;
} // namespace

std::shared_ptr<Backend> DefaultBackend()
{
    std::lock_guard lock(g_mutex);
    if (!g_backend)
        g_backend = espeak::CreateBackend();
    return g_backend;
}

void SetDefaultBackend(std::shared_ptr<Backend> backend)
{
    std::lock_guard lock(g_mutex);
    g_backend = std::move(backend);
}

} // namespace speech
