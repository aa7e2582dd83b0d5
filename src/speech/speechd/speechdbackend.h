#pragma once

#include "speech/speech.h"

#include <memory>

namespace speech::speechd {

// The voices of the desktop's speech-dispatcher, when one runs (it is never
// started from here; SPEECHD_ADDRESS says where it listens, as for every
// client of it). Each synthesis voice of each output module but "dummy" is one
// mode, in the daemon's order; with no daemon, or one that does not answer
// within about two seconds, there are none. The voices play on the daemon's own
// sound output: a file destination is refused. Texts are rewritten with the
// entries of `lexicon` that hold no phonemes.
std::shared_ptr<Backend> CreateBackend(std::shared_ptr<Lexicon> lexicon);

} // namespace speech::speechd
