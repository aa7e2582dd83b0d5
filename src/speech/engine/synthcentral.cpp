#include "speech/engine/synthcentral.h"

#include "speech/audiodestinations.h"
#include "platform/soundoutput.h"

#include <QRegularExpression>

#include <algorithm>
#include <chrono>

namespace speech {

namespace {

class SynthEnumerator final : public Enumerator
{
public:
    SynthEnumerator(std::shared_ptr<SynthEngine> engine, std::shared_ptr<loqa::SoundOutput> output,
                    std::shared_ptr<Lexicon> lexicon)
        : m_engine(std::move(engine)), m_output(std::move(output)), m_lexicon(std::move(lexicon))
    {
        if (!m_engine->ready())
            throw SpeechError(m_engine->error().toStdString());
    }

    void reset() override { m_position = 0; }

    void skip(size_t n) override
    {
        const size_t count = m_engine->modes().size();
        if (m_position + n > count) {
            m_position = count;
            throw SpeechError("not that many voices");
        }
        m_position += n;
    }

    bool next(ModeInfo &info) override
    {
        const auto &modes = m_engine->modes();
        if (m_position >= modes.size())
            return false;
        info = modes[m_position++].info;
        return true;
    }

    std::unique_ptr<Central> select(const QUuid &modeId, std::shared_ptr<AudioDestination> destination) override
    {
        if (!destination)
            throw SpeechError("no audio destination");
        for (const Mode &mode : m_engine->modes()) {
            if (mode.info.modeId == modeId)
                return std::make_unique<SynthCentral>(m_engine, mode, std::move(destination), m_output, m_lexicon);
        }
        throw SpeechError("no such voice");
    }

private:
    std::shared_ptr<SynthEngine> m_engine;
    std::shared_ptr<loqa::SoundOutput> m_output;
    std::shared_ptr<Lexicon> m_lexicon;
    size_t m_position = 0;
};

class SynthBackend final : public Backend
{
public:
    SynthBackend(EngineLibrary &library, std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon)
        : m_engine(SynthEngine::acquire(library)), m_output(std::move(output)), m_lexicon(std::move(lexicon))
    {}

    std::unique_ptr<Enumerator> createEnumerator() override
    {
        return std::make_unique<SynthEnumerator>(m_engine, m_output, m_lexicon);
    }

    // The sound server is reached by the text that plays, on the synthesis thread,
    // so that selecting a voice never waits for it.
    std::shared_ptr<AudioDevice> createDeviceDestination() override { return std::make_shared<DeviceDestination>(); }

    std::shared_ptr<AudioFile> createFileDestination() override
    {
        // Each text gives the file the sample rate of its voice.
        return std::make_shared<FileDestination>();
    }

private:
    std::shared_ptr<SynthEngine> m_engine;
    std::shared_ptr<loqa::SoundOutput> m_output;
    std::shared_ptr<Lexicon> m_lexicon;
};

} // namespace

std::shared_ptr<Backend> CreateSynthBackend(EngineLibrary &library, std::shared_ptr<loqa::SoundOutput> output,
                                            std::shared_ptr<Lexicon> lexicon)
{
    return std::make_shared<SynthBackend>(library, std::move(output), std::move(lexicon));
}

void SynthAttributes::pitchSet(uint16_t pitch)
{
    m_pitch = std::clamp<int>(pitch, kMinPitch, kMaxPitch);
}

void SynthAttributes::realTimeSet(uint32_t realTime)
{
    m_realTime = std::clamp<uint32_t>(realTime, 0, 0xFFFF);
}

void SynthAttributes::speedSet(uint32_t speed)
{
    m_speed = int(std::clamp<uint32_t>(speed, kMinRate, kMaxRate));
}

SynthCentral::SynthCentral(std::shared_ptr<SynthEngine> engine, const Mode &mode,
                           std::shared_ptr<AudioDestination> destination, std::shared_ptr<loqa::SoundOutput> output,
                           std::shared_ptr<Lexicon> lexicon)
    : m_engine(std::move(engine)), m_mode(mode), m_destination(std::move(destination)), m_output(std::move(output)),
      m_lexicon(std::move(lexicon)), m_state(CentralState::create()), m_dialogs(m_engine, m_lexicon)
{}

SynthCentral::~SynthCentral()
{
    m_state->detach();
    // Destroying a speaking engine silences it.
    audioReset();
}

uint32_t SynthCentral::registerSink(std::shared_ptr<NotifySink> sink)
{
    return m_state->registerSink(std::move(sink));
}

void SynthCentral::unregisterSink(uint32_t key)
{
    m_state->unregisterSink(key);
}

void SynthCentral::textData(const std::string &utf8, std::shared_ptr<BufNotifySink> sink)
{
    auto job = std::make_shared<Job>();
    job->state = m_state;
    job->bufSink = std::move(sink);
    // The voice's language picks the dictionary entries (an engine that reads
    // no phonemes takes those spelt as words); a text none of them occurs in
    // goes to the engine as it came.
    const std::shared_ptr<const LexiconMatcher> matcher =
        m_lexicon ? m_lexicon->matcherFor(QString::fromStdString(m_mode.info.language),
                                          m_engine->synthesizer().readsPhonemes())
                  : nullptr;
    std::optional<LexiconRewrite> rewrite;
    if (matcher)
        rewrite = matcher->apply(utf8);
    if (rewrite) {
        job->text = std::move(rewrite->text);
        job->map = std::move(rewrite->map);
        job->phonemes = rewrite->phonemes;
    } else {
        job->text = utf8;
    }
    // The engine reads up to the first NUL byte; a space keeps every offset in place.
    std::replace(job->text.begin(), job->text.end(), '\0', ' ');
    job->mode = m_mode;
    job->rate = int(m_attributes.speedGet());
    job->pitch = m_attributes.pitchGet();
    job->output = m_output;
    {
        std::lock_guard lock(m_state->playLock);
        job->generation = m_state->generation;
    }
    if (m_destination->kind() == AudioDestination::File) {
        auto *file = static_cast<FileDestination *>(m_destination.get());
        job->device = false;
        job->file = file->current();
        job->realTime = file->realTimeGet();
        if (!job->file || !job->file->writer.isOpen())
            throw SpeechError("no file is open for the speech");
    }
    m_engine->submit(std::move(job));
}

bool InjectTag(Attributes &attributes, const std::string &tag)
{
    static const QRegularExpression pattern(QStringLiteral("^\\\\(spd|pit)=(\\d{1,10})\\\\$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromStdString(tag));
    if (!match.hasMatch())
        return false;
    const qulonglong value = std::min<qulonglong>(match.captured(2).toULongLong(), 0xFFFFFFFFull);
    if (match.captured(1).compare(QLatin1String("spd"), Qt::CaseInsensitive) == 0)
        attributes.speedSet(uint32_t(value));
    else
        attributes.pitchSet(uint16_t(std::min<qulonglong>(value, 0xFFFF)));
    return true;
}

bool SynthCentral::inject(const std::string &tag)
{
    return InjectTag(m_attributes, tag);
}

void SynthCentral::audioPause()
{
    m_state->setPaused(true);
    std::lock_guard lock(m_state->playLock);
    if (m_state->stream)
        m_state->stream->setPaused(true);
}

void SynthCentral::audioResume()
{
    m_state->setPaused(false);
    std::lock_guard lock(m_state->playLock);
    if (m_state->stream)
        m_state->stream->setPaused(false);
}

void SynthCentral::audioReset()
{
    // Texts that have not begun end here; the one playing stops and reports its own stop.
    for (const auto &job : m_engine->cancelQueued(m_state.get()))
        m_state->audioStop(job->bufSink);
    m_state->setPaused(false);
    std::lock_guard lock(m_state->playLock);
    ++m_state->generation;
    if (m_state->stream) {
        m_state->stream->drop();
        m_state->stream->setPaused(false);
    }
    m_state->abortRunning();
}

} // namespace speech
