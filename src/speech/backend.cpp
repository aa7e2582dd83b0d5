#include "speech/speech.h"

#include "speech/espeak/espeakengine.h"
#include "speech/flite/flitesynthesizer.h"
#include "speech/speechd/speechdbackend.h"
#include "speech/lexicon.h"
#include "platform/soundoutput.h"

#include <QCoreApplication>

#include <algorithm>
#include <mutex>

namespace speech {

namespace {

std::mutex g_backendLock; // guards g_backend
std::shared_ptr<Backend> g_backend;

// The voices of several engines in one list, each engine's after the one
// before, so that a voice's number stays when an engine is added behind.
class EngineListEnumerator final : public Enumerator
{
public:
    explicit EngineListEnumerator(const std::vector<std::shared_ptr<Backend>> &engines)
    {
        for (const auto &engine : engines) {
            Part part;
            try {
                part.enumerator = engine->createEnumerator();
                part.enumerator->reset();
                ModeInfo info;
                while (part.enumerator->next(info))
                    part.modes.push_back(info.modeId);
            } catch (const std::exception &) {
                // The first engine's voices are numbered from 0: without them every
                // number would name another voice, so the list fails with them.
                // A later engine that cannot start lends no voices.
                if (&engine == &engines.front())
                    throw;
                continue;
            }
            m_parts.push_back(std::move(part));
        }
        if (m_parts.empty())
            throw SpeechError("no speech engine");
    }

    void reset() override { m_part = 0, m_index = 0; }

    void skip(size_t n) override
    {
        ModeInfo info;
        for (size_t i = 0; i < n; ++i) {
            if (!next(info))
                throw SpeechError("not that many voices");
        }
    }

    bool next(ModeInfo &info) override
    {
        while (m_part < m_parts.size()) {
            Part &part = m_parts[m_part];
            if (m_index == 0)
                part.enumerator->reset();
            if (m_index < part.modes.size() && part.enumerator->next(info)) {
                ++m_index;
                return true;
            }
            ++m_part;
            m_index = 0;
        }
        return false;
    }

    std::unique_ptr<Central> select(const QUuid &modeId, std::shared_ptr<AudioDestination> destination) override
    {
        for (Part &part : m_parts) {
            if (std::find(part.modes.begin(), part.modes.end(), modeId) != part.modes.end())
                return part.enumerator->select(modeId, std::move(destination));
        }
        throw SpeechError("no such voice");
    }

private:
    struct Part {
        std::unique_ptr<Enumerator> enumerator;
        std::vector<QUuid> modes;
    };
    std::vector<Part> m_parts;
    size_t m_part = 0;
    size_t m_index = 0;
};

class EngineListBackend final : public Backend
{
public:
    explicit EngineListBackend(std::vector<std::shared_ptr<Backend>> engines) : m_engines(std::move(engines)) {}

    std::unique_ptr<Enumerator> createEnumerator() override
    {
        return std::make_unique<EngineListEnumerator>(m_engines);
    }
    // Every engine takes the destinations of the first: they carry no engine's state.
    std::shared_ptr<AudioDevice> createDeviceDestination() override
    {
        return m_engines.front()->createDeviceDestination();
    }
    std::shared_ptr<AudioFile> createFileDestination() override { return m_engines.front()->createFileDestination(); }

private:
    std::vector<std::shared_ptr<Backend>> m_engines;
};

} // namespace

std::shared_ptr<Backend> CreateEngineList(std::vector<std::shared_ptr<Backend>> engines)
{
    return std::make_shared<EngineListBackend>(std::move(engines));
}

std::shared_ptr<Backend> CreateAllEnginesBackend(std::shared_ptr<loqa::SoundOutput> output,
                                                 std::shared_ptr<Lexicon> lexicon)
{
    if (!lexicon)
        lexicon = DefaultLexicon();
    return CreateEngineList({espeak::CreateBackend(output, lexicon), flite::CreateBackend(output, lexicon),
                             speechd::CreateBackend(lexicon)});
}

std::shared_ptr<Backend> DefaultBackend()
{
    std::lock_guard lock(g_backendLock);
    if (!g_backend) {
        g_backend = CreateAllEnginesBackend(loqa::SoundOutput::instance(), DefaultLexicon());
        // Let go with the application, so that the engines' threads end then, not among the static destructors.
        qAddPostRoutine([] { SetDefaultBackend(nullptr); });
    }
    return g_backend;
}

std::shared_ptr<Backend> CreateEspeakBackend(std::shared_ptr<loqa::SoundOutput> output,
                                             std::shared_ptr<Lexicon> lexicon)
{
    return espeak::CreateBackend(std::move(output), lexicon ? std::move(lexicon) : DefaultLexicon());
}

std::shared_ptr<Backend> CreateFliteBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon)
{
    return flite::CreateBackend(std::move(output), lexicon ? std::move(lexicon) : DefaultLexicon());
}

QString SoundUnavailableText(const QString &reason)
{
    return QStringLiteral("Sound output unavailable: ") + reason;
}

QString FileOutputRefusalText(const QString &voice)
{
    return QStringLiteral("The voice %1 cannot be written to a file; choose another voice for WAV and MP3 files")
        .arg(voice);
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
