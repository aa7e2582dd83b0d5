#pragma once

#include "speech/engine/synthengine.h"

#include <atomic>

namespace speech {

class SynthAttributes final : public Attributes
{
public:
    uint16_t pitchGet() const override { return uint16_t(m_pitch.load()); }
    void pitchSet(uint16_t pitch) override;
    uint32_t realTimeGet() const override { return m_realTime; }
    void realTimeSet(uint32_t realTime) override;
    uint32_t speedGet() const override { return uint32_t(m_speed.load()); }
    void speedSet(uint32_t speed) override;

private:
    std::atomic<int> m_pitch{kDefaultPitch};
    std::atomic<int> m_speed{kDefaultRate};
    std::atomic<uint32_t> m_realTime{256};
};

// Such engines have no dialogs of their own: each one is a short report about
// the engine, handed back for the window that asked to show.
class SynthDialogs final : public Dialogs
{
public:
    SynthDialogs(std::shared_ptr<SynthEngine> engine, std::shared_ptr<Lexicon> lexicon)
        : m_engine(std::move(engine)), m_lexicon(std::move(lexicon))
    {}
    QString aboutDlg(uintptr_t, const QString &) override { return aboutText(); }
    QString generalDlg(uintptr_t, const QString &) override { return aboutText(); }
    QString lexiconDlg(uintptr_t, const QString &) override { return m_engine->synthesizer().lexiconText(); }
    QString translateDlg(uintptr_t, const QString &) override { return aboutText(); }
    Lexicon *lexicon() override { return m_lexicon.get(); }

private:
    QString aboutText() const { return m_engine->synthesizer().aboutText(m_engine->modes().size()); }

    std::shared_ptr<SynthEngine> m_engine;
    std::shared_ptr<Lexicon> m_lexicon;
};

class SynthCentral final : public Central
{
public:
    SynthCentral(std::shared_ptr<SynthEngine> engine, const Mode &mode, std::shared_ptr<AudioDestination> destination,
                 std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon);
    ~SynthCentral() override;

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
    std::shared_ptr<SynthEngine> m_engine;
    Mode m_mode;
    std::shared_ptr<AudioDestination> m_destination;
    std::shared_ptr<loqa::SoundOutput> m_output;
    std::shared_ptr<Lexicon> m_lexicon;
    std::shared_ptr<CentralState> m_state;
    SynthAttributes m_attributes;
    SynthDialogs m_dialogs;
};

// The back end of an engine that makes samples: device destinations play
// through `output`; texts are rewritten with the entries of `lexicon`.
std::shared_ptr<Backend> CreateSynthBackend(EngineLibrary &library, std::shared_ptr<loqa::SoundOutput> output,
                                            std::shared_ptr<Lexicon> lexicon);

// Applies a control tag ("\Spd=200\", "\Pit=80\") to `attributes`; false when it is none.
bool InjectTag(Attributes &attributes, const std::string &tag);

} // namespace speech
