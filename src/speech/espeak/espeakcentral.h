#pragma once

#include "speech/espeak/espeakengine.h"

namespace speech::espeak {

class EspeakAttributes final : public Attributes
{
public:
    uint16_t pitchGet() const override { return uint16_t(m_pitch.load()); }
    void pitchSet(uint16_t pitch) override;
    uint32_t realTimeGet() const override { return m_realTime; }
    void realTimeSet(uint32_t realTime) override;
    uint32_t speedGet() const override { return uint32_t(m_speed.load()); }
    void speedSet(uint32_t speed) override;

private:
    std::atomic<int> m_pitch{Engine::kDefaultPitch};
    std::atomic<int> m_speed{Engine::kDefaultRate};
    std::atomic<uint32_t> m_realTime{256};
};

class EspeakDialogs final : public Dialogs
{
public:
    EspeakDialogs(std::shared_ptr<Engine> engine, std::shared_ptr<Lexicon> lexicon)
        : m_engine(std::move(engine)), m_lexicon(std::move(lexicon))
    {}
    QString aboutDlg(uintptr_t owner, const QString &title) override;
    QString generalDlg(uintptr_t owner, const QString &title) override;
    QString lexiconDlg(uintptr_t owner, const QString &title) override;
    QString translateDlg(uintptr_t owner, const QString &title) override;
    Lexicon *lexicon() override { return m_lexicon.get(); }

private:
    QString aboutText() const;

    std::shared_ptr<Engine> m_engine;
    std::shared_ptr<Lexicon> m_lexicon;
};

class EspeakCentral final : public Central
{
public:
    EspeakCentral(std::shared_ptr<Engine> engine, const Mode &mode, std::shared_ptr<AudioDestination> destination,
                  std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon);
    ~EspeakCentral() override;

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
    std::shared_ptr<Engine> m_engine;
    Mode m_mode;
    std::shared_ptr<AudioDestination> m_destination;
    std::shared_ptr<loqa::SoundOutput> m_output;
    std::shared_ptr<Lexicon> m_lexicon;
    std::shared_ptr<CentralState> m_state;
    EspeakAttributes m_attributes;
    EspeakDialogs m_dialogs;
};

} // namespace speech::espeak
