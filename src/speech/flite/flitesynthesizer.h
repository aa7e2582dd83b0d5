#pragma once

#include <memory>

namespace loqa {
class SoundOutput;
}

namespace speech {

class Backend;
class Lexicon;

namespace flite {

// flite's US English voices, spoken in-process on one thread; device
// destinations play through `output`; texts are rewritten with the entries of `lexicon`.
std::shared_ptr<Backend> CreateBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon);

} // namespace flite
} // namespace speech
