#pragma once

#include "speech/engine/synthcentral.h"
#include "speech/speechd/speechdsession.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace speech::speechd {

// The back end's way to the daemon: the session it speaks through, and a new
// one when that one ended (the daemon went away, or stopped answering).
class Link
{
public:
    Link();
    ~Link();
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    std::shared_ptr<Session> session();

private:
    std::mutex m_lock; // guards m_session
    std::shared_ptr<Session> m_session;
};

class SpeechdDialogs final : public Dialogs
{
public:
    SpeechdDialogs(const Voice &voice, std::shared_ptr<Lexicon> lexicon) : m_voice(voice), m_lexicon(std::move(lexicon))
    {}
    QString aboutDlg(uintptr_t owner, const QString &title) override;
    QString generalDlg(uintptr_t owner, const QString &title) override;
    QString lexiconDlg(uintptr_t owner, const QString &title) override;
    QString translateDlg(uintptr_t owner, const QString &title) override;
    Lexicon *lexicon() override { return m_lexicon.get(); }

private:
    QString aboutText() const;

    Voice m_voice;
    std::shared_ptr<Lexicon> m_lexicon;
};

class SpeechdCentral final : public Central
{
public:
    SpeechdCentral(std::shared_ptr<Link> link, const Voice &voice, std::shared_ptr<Lexicon> lexicon);
    ~SpeechdCentral() override;

    Attributes &attributes() override { return m_attributes; }
    Dialogs &dialogs() override { return m_dialogs; }
    uint32_t registerSink(std::shared_ptr<NotifySink> sink) override;
    void unregisterSink(uint32_t key) override;
    void textData(const std::string &utf8, std::shared_ptr<BufNotifySink> sink) override;
    bool inject(const std::string &tag) override;
    void audioPause() override;
    void audioResume() override;
    void audioReset() override;

private:
    std::shared_ptr<Link> m_link;
    Voice m_voice;
    std::shared_ptr<Lexicon> m_lexicon;
    std::shared_ptr<Channel> m_channel;
    // The session the last text went to: pauses and resets go there.
    std::shared_ptr<Session> m_session;
    SynthAttributes m_attributes;
    SpeechdDialogs m_dialogs;
};

} // namespace speech::speechd
