#pragma once

#include "speech/engine/synthesizer.h"

#include <memory>

namespace loqa {
class SoundOutput;
}

namespace speech {

class Lexicon;
struct EngineLibrary;

namespace espeak {

// espeak-ng keeps process-wide state: it is set up once per process, and
// every call into it runs on the one thread of its engine.
EngineLibrary &Library();
// The espeak-ng back end; device destinations play through `output`; texts are
// rewritten with the entries of `lexicon`.
std::shared_ptr<Backend> CreateBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon);

} // namespace espeak
} // namespace speech
