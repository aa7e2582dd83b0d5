#pragma once

#include "speech/engine/synthesizer.h"

#include <QStringList>

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

// The MBROLA voice data an espeak-ng voice file names ("mbrola en1 en1_phtrans": "en1"), empty for none.
QString MbrolaDataName(const QString &voiceFile);
// Where MBROLA voice data is looked for; none when the mbrola program is missing.
QStringList MbrolaFolders();
// Whether the data the voice file names is in one of `folders`.
bool MbrolaVoiceInstalled(const QString &voiceFile, const QStringList &folders);

} // namespace espeak
} // namespace speech
