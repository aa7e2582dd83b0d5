#include "speech/speech.h"

#include "speech/espeak/espeakengine.h"
#include "speech/lexicon.h"
#include "platform/soundoutput.h"

#include <QCoreApplication>

#include <mutex>

namespace speech {

namespace {
std::mutex g_backendLock; // guards g_backend
std::shared_ptr<Backend> g_backend;
} // namespace

std::shared_ptr<Backend> DefaultBackend()
{
    std::lock_guard lock(g_backendLock);
    if (!g_backend) {
        g_backend = espeak::CreateBackend(loqa::SoundOutput::instance(), DefaultLexicon());
        // Let go with the application, so that the engine's thread ends then, not among the static destructors.
        qAddPostRoutine([] { SetDefaultBackend(nullptr); });
    }
    return g_backend;
}

std::shared_ptr<Backend> CreateEspeakBackend(std::shared_ptr<loqa::SoundOutput> output,
                                             std::shared_ptr<Lexicon> lexicon)
{
    return espeak::CreateBackend(std::move(output), lexicon ? std::move(lexicon) : DefaultLexicon());
}

QString SoundUnavailableText(const QString &reason)
{
    return QStringLiteral("Sound output unavailable: ") + reason;
}

QString WriteFailureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

void SetDefaultBackend(std::shared_ptr<Backend> backend)
{
    std::lock_guard lock(g_backendLock);
    g_backend = std::move(backend);
}

} // namespace speech
