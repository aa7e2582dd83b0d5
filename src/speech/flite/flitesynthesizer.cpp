#include "speech/flite/flitesynthesizer.h"

#include "speech/engine/synthcentral.h"

#include <QUuid>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <map>
#include <string_view>

extern "C" {
#include <flite/cst_cg.h>
#include <flite/cst_diphone.h>
#include <flite/flite.h>
#include <flite/flite_version.h>

cst_voice *register_cmu_us_slt(const char *voxdir);
cst_voice *register_cmu_us_rms(const char *voxdir);
cst_voice *register_cmu_us_awb(const char *voxdir);
cst_voice *register_cmu_us_kal(const char *voxdir);
cst_voice *register_cmu_us_kal16(const char *voxdir);
}

namespace speech::flite {

namespace {

const QUuid kNamespace(QStringLiteral("{0b3f6a1e-8d52-4c07-a6f4-2e91d7c5b380}"));

struct VoiceEntry {
    const char *id;
    Gender gender;
    cst_voice *(*reg)(const char *);
};

// The time-only voice (awb_time) speaks nothing else and is left out.
const VoiceEntry kVoices[] = {
    {"slt", GenderFemale, register_cmu_us_slt}, {"rms", GenderMale, register_cmu_us_rms},
    {"awb", GenderMale, register_cmu_us_awb},   {"kal16", GenderMale, register_cmu_us_kal16},
    {"kal", GenderMale, register_cmu_us_kal},
};

// flite makes one utterance of all it is given before its first sample, so
// a text goes to it an utterance at a time, cut where flite itself cuts
// (its utterance breaks shape the pauses), and no longer than kMaxPiece bytes.
constexpr size_t kMaxPiece = 600;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where the utterance that begins at `from` ends: after a token ending in
// ':', '?' or '!'; after one ending in '.' that more than one white space and
// a capital letter follow; at a blank line. A longer one is cut after its last
// sentence end or space.
size_t PieceEnd(const std::string &text, size_t from)
{
    static const char *const kPunctuation = "\"'`.,:;!?(){}[]";
    size_t lastSentence = std::string::npos, lastSpace = std::string::npos;
    size_t i = from;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        const size_t tokenStart = i;
        while (i < text.size() && !IsSpace(text[i]))
            ++i;
        const size_t tokenEnd = i;
        size_t punctuation = tokenEnd;
        while (punctuation > tokenStart && std::strchr(kPunctuation, text[punctuation - 1]))
            --punctuation;
        const std::string_view post(text.data() + punctuation, tokenEnd - punctuation);
        size_t newlines = 0;
        while (i < text.size() && IsSpace(text[i]))
            newlines += text[i++] == '\n';
        const size_t white = i - tokenEnd;
        if (i - from > kMaxPiece && tokenStart > from)
            return lastSentence != std::string::npos ? lastSentence : lastSpace != std::string::npos ? lastSpace : i;
        size_t next = i;
        while (next < text.size() && std::strchr(kPunctuation, text[next]))
            ++next;
        const bool capital = next < text.size() && text[next] >= 'A' && text[next] <= 'Z';
        if (newlines >= 2 || post.find_first_of(":?!") != std::string_view::npos ||
            (post.find('.') != std::string_view::npos && white > 1 && capital))
            return i;
        if (white > 0) {
            lastSpace = i;
            if (post.find_first_of(".;") != std::string_view::npos)
                lastSentence = i;
        }
    }
    return text.size();
}

struct Voice {
    cst_voice *voice = nullptr;
    float f0 = 100; // its natural mean pitch, Hz
};

// One piece on its way: what the streaming callback needs.
struct Piece {
    SynthSink *sink = nullptr;
    const std::string *text = nullptr; // the whole text
    size_t begin = 0, end = 0;         // the piece within it
    uint64_t firstSample = 0;          // of the whole text, where the piece starts
    uint64_t samples = 0;              // made so far in this piece
    bool wordsSent = false;
    bool ended = false;
};

// The utterance's words, each at the start of its first segment, go out
// before its first samples, at the byte where their token stands.
void SendWords(Piece &piece, const cst_utterance *utt, int rate)
{
    piece.wordsSent = true;
    const cst_item *lastToken = nullptr;
    size_t cursor = piece.begin;
    for (cst_item *w = relation_head(utt_relation(utt, "Word")); w; w = item_next(w)) {
        cst_item *token = item_parent(item_as(w, "Token"));
        if (!token || token == lastToken)
            continue; // "1,234" is several words of one token: shown once
        lastToken = token;
        const char *name = item_feat_string(token, "name");
        const size_t length = std::strlen(name);
        if (length == 0)
            continue;
        const size_t at = piece.text->find(name, cursor, length);
        if (at == std::string::npos || at >= piece.end)
            continue;
        cursor = at + length;
        const cst_item *segment = path_to_item(w, "R:SylStructure.daughter1.daughter1.R:Segment");
        float start = 0;
        if (segment && item_prev(segment))
            start = item_feat_float(item_prev(segment), "end");
        piece.sink->word(piece.firstSample + uint64_t(std::max(0.0f, start) * float(rate)), uint32_t(at));
    }
}

int StreamChunk(const cst_wave *w, int start, int size, int, cst_audio_streaming_info *asi)
{
    auto &piece = *static_cast<Piece *>(asi->userdata);
    if (piece.ended || piece.sink->stopped())
        return CST_AUDIO_STREAM_STOP;
    if (!piece.wordsSent && asi->utt)
        SendWords(piece, asi->utt, w->sample_rate);
    if (size > 0 && !piece.sink->samples(w->samples + start, size_t(size))) {
        piece.ended = true;
        return CST_AUDIO_STREAM_STOP;
    }
    piece.samples += uint64_t(std::max(size, 0));
    return CST_AUDIO_STREAM_CONT;
}

// flite ends the process on an internal error unless it has somewhere to jump
// to; here the piece ends instead. No C++ object lives in this frame.
bool SynthGuarded(cst_utterance *utt)
{
    jmp_buf here;
    jmp_buf *before = cst_errjmp;
    cst_errjmp = &here;
    bool ok = true;
    if (setjmp(here) == 0)
        utt_synth(utt);
    else
        ok = false;
    cst_errjmp = before;
    return ok;
}

class FliteSynthesizer final : public Synthesizer
{
public:
    QString name() const override { return QStringLiteral("flite"); }

    QString start(std::vector<Mode> &modes) override
    {
        flite_init();
        const QUuid engineId = QUuid::createUuidV5(kNamespace, QStringLiteral("flite"));
        for (const VoiceEntry &entry : kVoices) {
            cst_voice *voice = entry.reg(nullptr);
            if (!voice)
                continue;
            Voice v;
            v.voice = voice;
            int rate = 16000;
            if (feat_present(voice->features, "cg_db")) {
                const cst_cg_db *db = val_cg_db(feat_val(voice->features, "cg_db"));
                rate = db->sample_rate;
                v.f0 = db->f0_mean;
            } else if (feat_present(voice->features, "diphone_db")) {
                rate = val_diphone_db(feat_val(voice->features, "diphone_db"))->sts->sample_rate;
                v.f0 = get_param_float(voice->features, "int_f0_target_mean", 100);
            }
            m_voices[entry.id] = v;
            const QString gender = entry.gender == GenderFemale ? QStringLiteral("Female") : QStringLiteral("Male");
            Mode mode;
            ModeInfo &info = mode.info;
            info.modeName =
                QStringLiteral("English (America) %1 %2 (flite)").arg(QLatin1String(entry.id), gender).toStdString();
            info.language = "en-us";
            info.manufacturer = "Carnegie Mellon University";
            info.product = std::string("flite ") + FLITE_PROJECT_VERSION;
            info.modeId = QUuid::createUuidV5(kNamespace, QStringLiteral("flite/") + QLatin1String(entry.id));
            info.engineId = engineId;
            info.speaker = entry.id;
            info.style = "Normal";
            info.gender = entry.gender;
            info.features = FeaturePitch | FeatureSpeed | FeatureWordPosition | FeatureFileOutput;
            info.interfaces = InterfaceCentral | InterfaceAttributes | InterfaceDialogs;
            mode.voice = entry.id;
            mode.sampleRate = rate;
            modes.push_back(std::move(mode));
        }
        if (modes.empty())
            return QStringLiteral("flite has no voices");
        return {};
    }

    QString speak(const SpeakRequest &request, SynthSink &sink) override
    {
        const auto found = m_voices.find(request.mode.voice);
        if (found == m_voices.end())
            return QStringLiteral("The voice %1 cannot be loaded").arg(QString::fromStdString(request.mode.voice));
        const Voice &voice = found->second;
        // The job's speed and pitch go on each utterance; the voice is shared and keeps its own.
        const float stretch = float(kDefaultRate) / float(request.rate);
        const float f0 = voice.f0 * std::pow(2.0f, float(PitchPercent(request.pitch) - 50) / 50.0f);
        uint64_t made = 0;
        for (size_t begin = 0; begin < request.text.size() && !sink.stopped();) {
            const size_t end = PieceEnd(request.text, begin);
            Piece piece;
            piece.sink = &sink;
            piece.text = &request.text;
            piece.begin = begin;
            piece.end = end;
            piece.firstSample = made;
            begin = end;
            const std::string text = request.text.substr(piece.begin, piece.end - piece.begin);
            if (text.find_first_not_of(" \t\r\n") == std::string::npos)
                continue;
            cst_utterance *utt = new_utterance();
            utt_set_input_text(utt, text.c_str());
            utt_init(utt, voice.voice);
            feat_set_float(utt->features, "duration_stretch", stretch);
            feat_set_float(utt->features, "int_f0_target_mean", f0);
            cst_audio_streaming_info *asi = new_audio_streaming_info();
            asi->asc = StreamChunk;
            asi->userdata = &piece;
            feat_set(utt->features, "streaming_info", audio_streaming_info_val(asi));
            const bool ok = SynthGuarded(utt);
            delete_utterance(utt);
            made += piece.samples;
            if (!ok)
                return QStringLiteral("flite could not speak: %1").arg(QString::fromStdString(text).left(40));
            if (piece.ended)
                break;
        }
        return {};
    }

    QString aboutText(size_t voices) const override
    {
        return QStringLiteral("flite text-to-speech engine\nVersion %1\nVoices: %2")
            .arg(QLatin1String(FLITE_PROJECT_VERSION))
            .arg(voices);
    }
    QString lexiconText() const override
    {
        return QStringLiteral("Pronunciations come from flite's built-in US English lexicon");
    }

private:
    std::map<std::string, Voice> m_voices;
};

} // namespace

std::shared_ptr<Backend> CreateBackend(std::shared_ptr<loqa::SoundOutput> output, std::shared_ptr<Lexicon> lexicon)
{
    static EngineLibrary *const library = new EngineLibrary(std::make_unique<FliteSynthesizer>());
    return CreateSynthBackend(*library, std::move(output), std::move(lexicon));
}

} // namespace speech::flite
