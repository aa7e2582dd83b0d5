#include "speech/speechd/speechdbackend.h"

#include "speech/audiodestinations.h"
#include "speech/speechd/speechdcentral.h"

namespace speech::speechd {

namespace {

// How long a voice list waits for the daemon: for the connection and the list.
constexpr std::chrono::milliseconds kListWait{2000};

class SpeechdEnumerator final : public Enumerator
{
public:
    SpeechdEnumerator(std::shared_ptr<Link> link, std::shared_ptr<Lexicon> lexicon)
        : m_link(std::move(link)), m_lexicon(std::move(lexicon)),
          m_voices(m_link->session()->voices(Session::Clock::now() + kListWait))
    {}

    void reset() override { m_position = 0; }

    void skip(size_t n) override
    {
        const size_t count = m_voices->size();
        if (m_position + n > count) {
            m_position = count;
            throw SpeechError("not that many voices");
        }
        m_position += n;
    }

    bool next(ModeInfo &info) override
    {
        if (m_position >= m_voices->size())
            return false;
        info = (*m_voices)[m_position++].info;
        return true;
    }

    std::unique_ptr<Central> select(const QUuid &modeId, std::shared_ptr<AudioDestination> destination) override
    {
        if (!destination)
            throw SpeechError("no audio destination");
        if (destination->kind() == AudioDestination::File)
            throw SpeechError("speech-dispatcher voices cannot be written to a file");
        for (const Voice &voice : *m_voices) {
            if (voice.info.modeId == modeId)
                return std::make_unique<SpeechdCentral>(m_link, voice, m_lexicon);
        }
        throw SpeechError("no such voice");
    }

private:
    std::shared_ptr<Link> m_link;
    std::shared_ptr<Lexicon> m_lexicon;
    std::shared_ptr<const VoiceList> m_voices;
    size_t m_position = 0;
};

class SpeechdBackend final : public Backend
{
public:
    explicit SpeechdBackend(std::shared_ptr<Lexicon> lexicon)
        : m_link(std::make_shared<Link>()), m_lexicon(std::move(lexicon))
    {}

    std::unique_ptr<Enumerator> createEnumerator() override
    {
        return std::make_unique<SpeechdEnumerator>(m_link, m_lexicon);
    }

    std::shared_ptr<AudioDevice> createDeviceDestination() override { return std::make_shared<DeviceDestination>(); }

    // The daemon plays on its own sound output; selecting a voice for a file is refused.
    std::shared_ptr<AudioFile> createFileDestination() override { return std::make_shared<FileDestination>(22050); }

private:
    std::shared_ptr<Link> m_link;
    std::shared_ptr<Lexicon> m_lexicon;
};

} // namespace

std::shared_ptr<Backend> CreateBackend(std::shared_ptr<Lexicon> lexicon)
{
    return std::make_shared<SpeechdBackend>(std::move(lexicon));
}

} // namespace speech::speechd
