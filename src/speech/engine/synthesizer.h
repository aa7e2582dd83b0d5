#pragma once

// What an engine that makes samples offers the speech layer: its voices, and
// the speaking of one text into a sink. Everything above it (the queue of
// texts, pausing, stopping, the sound output or the WAV file, word delivery,
// the dictionaries) is the same for every such engine.

#include "speech/speech.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace speech {

// A voice as an engine offers it.
struct Mode {
    ModeInfo info;
    std::string voice;      // what the engine is given to select it
    int sampleRate = 22050; // of the samples it makes
};

// Where a synthesiser puts what it makes while it speaks one text.
class SynthSink
{
public:
    virtual ~SynthSink() = default;
    // Takes the samples that follow; false when the text is to end here
    // (it was stopped, or its sound output or file failed).
    virtual bool samples(const short *wav, size_t count) = 0;
    // A word begins `sample` samples into the text, at `byteOffset` of the text given.
    virtual void word(uint64_t sample, uint32_t byteOffset) = 0;
    // True once the text was stopped: a synthesiser looks at it between its steps.
    virtual bool stopped() const = 0;
};

struct SpeakRequest {
    const std::string &text; // UTF-8, no NUL bytes
    const Mode &mode;
    int rate;      // words per minute, kMinRate..kMaxRate
    int pitch;     // kMinPitch..kMaxPitch, kDefaultPitch natural
    bool phonemes; // "[[ ]]" in the text holds phonemes
};

// Speed and pitch as the speech layer gives them to every engine.
constexpr int kMinRate = 80;
constexpr int kMaxRate = 450;
constexpr int kDefaultRate = 175;
constexpr int kMinPitch = 0;
constexpr int kMaxPitch = 400;
constexpr int kDefaultPitch = 50;

// A pitch of 0..400 (50 natural) as 0..100 with 50 natural: the upper range is compressed.
int PitchPercent(int pitch);

// An engine that makes samples. It is made once per process and never ended;
// all its calls come on the one thread of its engine at a time.
class Synthesizer
{
public:
    virtual ~Synthesizer() = default;
    // The engine's name in texts ("eSpeak NG").
    virtual QString name() const = 0;
    // Sets the engine up and lists its voices, best first; an error text when it cannot start.
    virtual QString start(std::vector<Mode> &modes) = 0;
    // Speaks one text into `sink`; an error text when it cannot ("The voice x cannot be loaded").
    virtual QString speak(const SpeakRequest &request, SynthSink &sink) = 0;
    // Whether the dictionaries' phoneme entries ("[[ ]]") are understood.
    virtual bool readsPhonemes() const { return false; }
    // What the engine's dialogs tell about it, once it has started.
    virtual QString aboutText(size_t voices) const = 0;
    virtual QString lexiconText() const = 0;
};

} // namespace speech
