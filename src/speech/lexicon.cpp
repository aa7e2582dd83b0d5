#include "speech/lexicon.h"

#include "text/textoffsets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace speech {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
constexpr char16_t kSpace = u' ';

bool isBlank(char16_t unit)
{
    return QChar::isSpace(unit);
}

// Simple case folding unit by unit, so that a folded text keeps its length.
char16_t foldUnit(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
    if (QChar::isSurrogate(unit))
        return unit;
    const char32_t folded = QChar::toCaseFolded(char32_t(unit));
    return folded <= 0xFFFF ? char16_t(folded) : unit;
}

QString collapseBlanks(const QString &text)
{
    return text.simplified();
}

bool validLanguage(const QString &language)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]{2,3}(-[A-Za-z0-9]{1,8})*$"));
    return pattern.match(language).hasMatch();
}

} // namespace

// --- the file --------------------------------------------------------------

LexiconText ParseLexicon(QByteArrayView bytes)
{
    LexiconText out;
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(kByteOrderMark.size());
    int number = 0;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        QByteArrayView raw = bytes.sliced(pos, end - pos);
        pos = end + 1;
        ++number;
        if (raw.endsWith('\r'))
            raw.chop(1);
        const auto problem = [&](const QString &why) {
            out.problems << QStringLiteral("line %1: %2").arg(number).arg(why);
            out.badLines << QString::fromUtf8(raw);
        };
        QString line;
        {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            line = decoder.decode(raw);
            if (decoder.hasError()) {
                problem(QStringLiteral("not UTF-8 text"));
                continue;
            }
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2) {
            problem(QStringLiteral("no spoken form (a tab separates the word from it)"));
            continue;
        }
        if (fields.size() > 4) {
            problem(QStringLiteral("more than four fields"));
            continue;
        }
        LexiconEntry entry;
        entry.word = fields.at(0);
        entry.spoken = fields.at(1);
        if (fields.size() > 2) {
            entry.language = fields.at(2).trimmed();
            if (entry.language == QLatin1String("*"))
                entry.language.clear();
        }
        QString flagProblem;
        if (fields.size() > 3) {
            const QStringList flags =
                fields.at(3).split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
            for (const QString &flag : flags) {
                if (flag.compare(QLatin1String("case"), Qt::CaseInsensitive) == 0)
                    entry.matchCase = true;
                else
                    flagProblem = QStringLiteral("unknown flag \"%1\"").arg(flag);
            }
        }
        entry = TrimmedEntry(entry);
        QString why = CheckLexiconEntry(entry);
        if (why.isEmpty())
            why = flagProblem;
        if (!why.isEmpty()) {
            problem(why.left(1).toLower() + why.mid(1));
            continue;
        }
        out.entries.push_back(std::move(entry));
    }
    return out;
}

QByteArray FormatLexicon(const std::vector<LexiconEntry> &entries, const QStringList &badLines)
{
    QByteArray out = "# Loquora pronunciation dictionary, UTF-8, one entry a line:\n"
                     "# word<TAB>spoken as<TAB>language (empty: all)<TAB>flags (\"case\": letter case matters)\n";
    for (const QString &bad : badLines)
        out += "#! " + bad.toUtf8() + '\n';
    for (const LexiconEntry &e : entries) {
        out += e.word.toUtf8() + '\t' + e.spoken.toUtf8();
        if (!e.language.isEmpty() || e.matchCase)
            out += '\t' + e.language.toUtf8();
        if (e.matchCase)
            out += "\tcase";
        out += '\n';
    }
    return out;
}

LexiconEntry TrimmedEntry(LexiconEntry entry)
{
    entry.word = collapseBlanks(entry.word);
    entry.spoken = entry.spoken.trimmed();
    entry.language = entry.language.trimmed().toLower();
    return entry;
}

QString CheckLexiconEntry(const LexiconEntry &entry)
{
    const auto hasBreak = [](const QString &s) {
        return s.contains(QLatin1Char('\t')) || s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
    };
    if (entry.word.trimmed().isEmpty())
        return QStringLiteral("The word is empty");
    if (entry.spoken.trimmed().isEmpty())
        return QStringLiteral("The spoken form is empty");
    if (entry.word.trimmed().startsWith(QLatin1Char('#')))
        return QStringLiteral("A word cannot begin with #, which begins a comment in the file");
    if (hasBreak(entry.word) || hasBreak(entry.spoken))
        return QStringLiteral("A tab or a line break cannot be part of an entry");
    if (!entry.language.isEmpty() && !validLanguage(entry.language))
        return QStringLiteral("Unknown language \"%1\"").arg(entry.language);
    const QString spoken = entry.spoken;
    if (spoken.count(QLatin1String("[[")) != spoken.count(QLatin1String("]]")))
        return QStringLiteral("Phonemes begin with [[ and end with ]]");
    return {};
}

bool LanguageApplies(const QString &entryLanguage, const QString &voiceLanguage)
{
    if (entryLanguage.isEmpty())
        return true;
    if (voiceLanguage.compare(entryLanguage, Qt::CaseInsensitive) == 0)
        return true;
    return voiceLanguage.size() > entryLanguage.size() && voiceLanguage.at(entryLanguage.size()) == QLatin1Char('-') &&
           voiceLanguage.startsWith(entryLanguage, Qt::CaseInsensitive);
}

bool EntryMatchesSearch(const LexiconEntry &entry, const QString &search)
{
    const QString s = search.trimmed();
    return s.isEmpty() || entry.word.contains(s, Qt::CaseInsensitive) || entry.spoken.contains(s, Qt::CaseInsensitive);
}

bool HasPhonemes(const QString &spoken)
{
    return spoken.contains(QLatin1String("[["));
}

// --- matching --------------------------------------------------------------

uint32_t OffsetMap::toOriginal(uint32_t engineOffset) const
{
    auto it = std::upper_bound(m_anchors.begin(), m_anchors.end(), engineOffset,
                               [](uint32_t offset, const Anchor &a) { return offset < a.engine; });
    if (it == m_anchors.begin())
        return engineOffset;
    --it;
    return it->replaced ? it->original : it->original + (engineOffset - it->engine);
}

int LexiconMatcher::Trie::child(int node, char16_t unit) const
{
    const auto it = edges.find((uint64_t(uint32_t(node)) << 16) | unit);
    return it == edges.end() ? -1 : it->second;
}

int LexiconMatcher::Trie::add(int node, char16_t unit)
{
    const uint64_t key = (uint64_t(uint32_t(node)) << 16) | unit;
    const auto it = edges.find(key);
    if (it != edges.end())
        return it->second;
    const int made = int(entryAt.size());
    entryAt.push_back(-1);
    edges.emplace(key, made);
    return made;
}

void LexiconMatcher::insert(Trie &trie, const QString &word, int entry, bool fold)
{
    int node = 0;
    bool blank = false;
    for (const QChar c : word) {
        if (isBlank(c.unicode())) {
            blank = true;
            continue;
        }
        if (blank)
            node = trie.add(node, kSpace);
        blank = false;
        node = trie.add(node, fold ? foldUnit(c.unicode()) : c.unicode());
    }
    if (node != 0 && trie.entryAt[size_t(node)] < 0)
        trie.entryAt[size_t(node)] = entry;
}

LexiconMatcher::LexiconMatcher(const std::vector<const LexiconEntry *> &entries)
{
    for (const LexiconEntry *e : entries) {
        const int index = int(m_spoken.size());
        m_spoken.push_back(e->spoken.toStdString());
        m_phonemes.push_back(HasPhonemes(e->spoken));
        insert(e->matchCase ? m_exact : m_folded, collapseBlanks(e->word), index, !e->matchCase);
    }
}

std::optional<LexiconRewrite> LexiconMatcher::apply(std::string_view utf8) const
{
    if (m_spoken.empty() || utf8.empty())
        return std::nullopt;
    const QByteArrayView bytes(utf8.data(), qsizetype(utf8.size()));
    const QString text = loqa::Utf8ToText(bytes);
    const qsizetype n = text.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(text.constData());

    std::vector<uint8_t> boundary(size_t(n) + 1, 0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    boundary[0] = 1;
    for (qsizetype at = finder.toNextBoundary(); at >= 0; at = finder.toNextBoundary())
        boundary[size_t(at)] = 1;

    // The longest entry of one trie starting at `start`: (entry, end) or (-1, -1).
    const auto walk = [&](const Trie &trie, qsizetype start, bool fold) {
        std::pair<int, qsizetype> best{-1, -1};
        if (trie.edges.empty())
            return best;
        int node = 0;
        qsizetype i = start;
        while (i < n) {
            char16_t unit = units[i];
            if (isBlank(unit)) {
                node = trie.child(node, kSpace);
                if (node < 0)
                    break;
                while (i < n && isBlank(units[i]))
                    ++i;
                continue;
            }
            node = trie.child(node, fold ? foldUnit(unit) : unit);
            if (node < 0)
                break;
            ++i;
            const int entry = trie.entryAt[size_t(node)];
            if (entry >= 0 && boundary[size_t(i)])
                best = {entry, i};
        }
        return best;
    };

    LexiconRewrite out;
    struct Match {
        qsizetype start, end;
        int entry;
    };
    std::vector<Match> matches;
    for (qsizetype i = 0; i < n;) {
        if (!boundary[size_t(i)] || isBlank(units[i])) {
            ++i;
            continue;
        }
        const auto exact = walk(m_exact, i, false);
        const auto folded = walk(m_folded, i, true);
        const auto &best = exact.second >= folded.second ? exact : folded;
        if (best.first < 0) {
            ++i;
            continue;
        }
        matches.push_back({i, best.second, best.first});
        out.phonemes = out.phonemes || m_phonemes[size_t(best.first)];
        i = best.second;
    }
    if (matches.empty())
        return std::nullopt;

    out.text.reserve(utf8.size() + utf8.size() / 8);
    uint32_t copiedTo = 0; // original bytes up to here are in `out.text`
    const auto copyOriginal = [&](uint32_t to) {
        if (to <= copiedTo)
            return;
        out.map.m_anchors.push_back({uint32_t(out.text.size()), copiedTo, false});
        const size_t from = out.text.size();
        out.text.append(utf8.substr(copiedTo, to - copiedTo));
        if (out.phonemes) {
            // Only the dictionary's phonemes are read as such: "[[" of the text itself stays text.
            for (size_t k = from; k + 1 < out.text.size(); ++k) {
                if (out.text[k] == '[' && out.text[k + 1] == '[')
                    out.text[k + 1] = ' ';
            }
        }
        copiedTo = to;
    };
    loqa::TextOffsetMap offsets; // the matches rise, so one walk serves them all
    for (const Match &m : matches) {
        const auto start = uint32_t(offsets.byteOfPosition(bytes, m.start));
        copyOriginal(start);
        out.map.m_anchors.push_back({uint32_t(out.text.size()), start, true});
        out.text += m_spoken[size_t(m.entry)];
        copiedTo = uint32_t(offsets.byteOfPosition(bytes, m.end));
        ++out.replacements;
    }
    copyOriginal(uint32_t(utf8.size()));
    return out;
}

// --- the dictionaries in use -------------------------------------------------

namespace {

bool readFile(const QString &path, LexiconFile &file, QString *error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    LexiconText text = ParseLexicon(in.readAll());
    file.path = path;
    file.entries = std::move(text.entries);
    file.problems = std::move(text.problems);
    file.badLines = std::move(text.badLines);
    return true;
}

QString canonical(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

void Lexicon::setFiles(const QString &ownPath, const QStringList &otherPaths)
{
    std::vector<LexiconFile> files;
    LexiconFile own;
    own.own = true;
    own.path = canonical(ownPath);
    if (QFileInfo::exists(own.path))
        readFile(own.path, own, nullptr);
    files.push_back(std::move(own));
    for (const QString &path : otherPaths) {
        const QString p = canonical(path);
        const bool seen = std::any_of(files.begin(), files.end(), [&](const LexiconFile &f) { return f.path == p; });
        LexiconFile other;
        if (!seen && readFile(p, other, nullptr))
            files.push_back(std::move(other));
    }
    std::lock_guard lock(m_entriesLock);
    m_files = std::move(files);
    changed();
}

std::vector<LexiconFile> Lexicon::files() const
{
    std::lock_guard lock(m_entriesLock);
    return m_files;
}

QStringList Lexicon::otherPaths() const
{
    std::lock_guard lock(m_entriesLock);
    QStringList paths;
    for (const LexiconFile &f : m_files) {
        if (!f.own)
            paths << f.path;
    }
    return paths;
}

bool Lexicon::load(const QString &path, QString *error)
{
    const QString p = canonical(path);
    {
        std::lock_guard lock(m_entriesLock);
        if (std::any_of(m_files.begin(), m_files.end(), [&](const LexiconFile &f) { return f.path == p; }))
            return true;
    }
    LexiconFile file;
    if (!readFile(p, file, error))
        return false;
    std::lock_guard lock(m_entriesLock);
    m_files.push_back(std::move(file));
    changed();
    return true;
}

void Lexicon::unload(const QString &path)
{
    const QString p = canonical(path);
    std::lock_guard lock(m_entriesLock);
    const auto it =
        std::find_if(m_files.begin(), m_files.end(), [&](const LexiconFile &f) { return !f.own && f.path == p; });
    if (it == m_files.end())
        return;
    m_files.erase(it);
    changed();
}

bool Lexicon::save(const QString &path, const std::vector<LexiconEntry> &entries, QString *error)
{
    const QString p = canonical(path);
    QStringList badLines;
    {
        std::lock_guard lock(m_entriesLock);
        const auto it = std::find_if(m_files.begin(), m_files.end(), [&](const LexiconFile &f) { return f.path == p; });
        if (it == m_files.end()) {
            if (error)
                *error = QStringLiteral("the dictionary is not loaded");
            return false;
        }
        badLines = it->badLines;
    }
    const QByteArray bytes = FormatLexicon(entries, badLines);
    QSaveFile out(p);
    // Unbuffered, so that a short write (a full disk) shows here rather than being lost in a flush.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(bytes) != bytes.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        out.cancelWriting();
        return false;
    }
    std::lock_guard lock(m_entriesLock);
    const auto it = std::find_if(m_files.begin(), m_files.end(), [&](const LexiconFile &f) { return f.path == p; });
    if (it != m_files.end())
        it->entries = entries;
    changed();
    return true;
}

void Lexicon::setPreview(const std::optional<LexiconEntry> &entry)
{
    std::lock_guard lock(m_entriesLock);
    m_preview = entry;
    changed();
}

void Lexicon::changed()
{
    m_matchers.clear();
    m_entryCount = 0;
    for (const LexiconFile &f : m_files)
        m_entryCount += f.entries.size();
}

std::shared_ptr<const LexiconMatcher> Lexicon::matcherFor(const QString &voiceLanguage, bool phonemes) const
{
    std::lock_guard lock(m_entriesLock);
    if (m_preview) {
        LexiconEntry only = *m_preview;
        return std::make_shared<const LexiconMatcher>(std::vector<const LexiconEntry *>{&only});
    }
    if (m_entryCount == 0)
        return nullptr;
    const QString language = voiceLanguage.toLower();
    const QString key = phonemes ? language : language + QStringLiteral("|text");
    const auto found = m_matchers.find(key);
    if (found != m_matchers.end())
        return found->second;
    // The entry for the closest language comes first ("en-us", then "en", then
    // every language); among equals the user's own dictionary and earlier lines.
    std::vector<const LexiconEntry *> chosen;
    for (const LexiconFile &f : m_files) {
        for (const LexiconEntry &e : f.entries) {
            if (LanguageApplies(e.language, language) && (phonemes || !HasPhonemes(e.spoken)))
                chosen.push_back(&e);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const LexiconEntry *a, const LexiconEntry *b) {
        return a->language.size() > b->language.size();
    });
    std::shared_ptr<const LexiconMatcher> matcher;
    if (!chosen.empty())
        matcher = std::make_shared<const LexiconMatcher>(chosen);
    m_matchers.emplace(key, matcher);
    return matcher;
}

std::shared_ptr<Lexicon> DefaultLexicon()
{
    static const std::shared_ptr<Lexicon> lexicon = std::make_shared<Lexicon>();
    return lexicon;
}

QString OwnLexiconPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("loqa.dic"));
}

QStringList LexiconsBeside(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.dic")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        if (name != QLatin1String("loqa.dic"))
            paths << dir.filePath(name);
    }
    return paths;
}

} // namespace speech
