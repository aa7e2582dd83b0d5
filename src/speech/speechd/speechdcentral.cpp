#include "speech/speechd/speechdcentral.h"

#include "speech/lexicon.h"

#include <algorithm>
#include <optional>

namespace speech::speechd {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

Link::Link() : m_session(Session::start()) {}

Link::~Link()
{
    if (m_session)
        m_session->close();
}

std::shared_ptr<Session> Link::session()
{
    std::shared_ptr<Session> ended;
    std::shared_ptr<Session> current;
    {
        std::lock_guard lock(m_lock);
        if (!m_session || m_session->dead()) {
            ended = std::exchange(m_session, Session::start());
        }
        current = m_session;
    }
    if (ended)
        ended->close();
    return current;
}

QString SpeechdDialogs::aboutText() const
{
    return QStringLiteral("speech-dispatcher speech server\nOutput module: %1\nVoice: %2 (%3)")
        .arg(QString::fromStdString(m_voice.module), QString::fromStdString(m_voice.name),
             QString::fromStdString(m_voice.info.language));
}

QString SpeechdDialogs::aboutDlg(uintptr_t, const QString &)
{
    return aboutText();
}

QString SpeechdDialogs::generalDlg(uintptr_t, const QString &)
{
    return aboutText() + QStringLiteral("\nThe daemon's own settings (spd-conf) choose its sound output.");
}

QString SpeechdDialogs::lexiconDlg(uintptr_t, const QString &)
{
    return QStringLiteral("Pronunciations come from the speech-dispatcher module %1.")
        .arg(QString::fromStdString(m_voice.module));
}

QString SpeechdDialogs::translateDlg(uintptr_t, const QString &)
{
    return aboutText();
}

SpeechdCentral::SpeechdCentral(std::shared_ptr<Link> link, const Voice &voice, std::shared_ptr<Lexicon> lexicon)
    : m_link(std::move(link)), m_voice(voice), m_lexicon(std::move(lexicon)), m_channel(std::make_shared<Channel>()),
      m_dialogs(m_voice, m_lexicon)
{
    m_channel->state = CentralState::create();
}

SpeechdCentral::~SpeechdCentral()
{
    m_channel->state->detach();
    // Destroying a speaking engine silences it.
    audioReset();
}

uint32_t SpeechdCentral::registerSink(std::shared_ptr<NotifySink> sink)
{
    return m_channel->state->registerSink(std::move(sink));
}

void SpeechdCentral::unregisterSink(uint32_t key)
{
    m_channel->state->unregisterSink(key);
}

void SpeechdCentral::textData(const std::string &utf8, std::shared_ptr<BufNotifySink> sink)
{
    auto u = std::make_shared<Utterance>();
    u->channel = m_channel;
    u->sink = std::move(sink);
    u->module = m_voice.module;
    u->voice = m_voice.name;
    u->rate = DaemonRate(int(m_attributes.speedGet()));
    u->pitch = DaemonPitch(m_attributes.pitchGet());
    // The voice's language picks the dictionary entries. Phonemes are eSpeak NG's
    // own: the entries spoken as phonemes are left out, the others apply.
    const std::shared_ptr<const LexiconMatcher> matcher =
        m_lexicon ? m_lexicon->matcherFor(QString::fromStdString(m_voice.info.language), false) : nullptr;
    std::optional<LexiconRewrite> rewrite;
    if (matcher)
        rewrite = matcher->apply(utf8);
    u->text = rewrite ? std::move(rewrite->text) : utf8;
    std::replace(u->text.begin(), u->text.end(), '\0', ' ');
    for (size_t at = 0; at < u->text.size(); ++at) {
        if (isSpace(u->text[at]) || (at > 0 && !isSpace(u->text[at - 1])))
            continue;
        const uint32_t reported = rewrite ? rewrite->map.toOriginal(uint32_t(at)) : uint32_t(at);
        u->words.emplace_back(uint32_t(at), reported);
    }
    m_session = m_link->session();
    m_session->submit(std::move(u));
}

bool SpeechdCentral::inject(const std::string &tag)
{
    return InjectTag(m_attributes, tag);
}

void SpeechdCentral::audioPause()
{
    m_channel->paused = true;
    if (m_session)
        m_session->pauseChanged();
}

void SpeechdCentral::audioResume()
{
    m_channel->paused = false;
    if (m_session)
        m_session->pauseChanged();
}

void SpeechdCentral::audioReset()
{
    m_channel->paused = false;
    if (m_session)
        m_session->cancel(m_channel.get());
}

} // namespace speech::speechd
