#pragma once

// Pronunciation dictionaries: words and phrases the engine says wrongly, each
// with what it is to be spoken as. The speech back end rewrites a text with the
// entries of the voice's language before the engine sees it, and maps the word
// positions the engine reports back to the text it was given.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace speech {

struct LexiconEntry {
    QString word;     // a word or phrase as it stands in a text
    QString spoken;   // plain text, or eSpeak NG phoneme mnemonics between "[[" and "]]"
    QString language; // a voice language ("en", "en-us"); empty for every language
    bool matchCase = false;
    bool operator==(const LexiconEntry &) const = default;
};

// The file format, UTF-8, one entry a line:
//   word <TAB> spoken as [<TAB> language [<TAB> flags]]
// An empty language or "*" is every language; the one flag is "case" (letter
// case must match). Lines starting with "#" and blank lines are skipped. A line
// that cannot be read is reported ("line 4: no spoken form") and skipped.
struct LexiconText {
    std::vector<LexiconEntry> entries;
    QStringList problems;
    QStringList badLines; // kept as comments when the file is written again
};
LexiconText ParseLexicon(QByteArrayView bytes);
QByteArray FormatLexicon(const std::vector<LexiconEntry> &entries, const QStringList &badLines = {});

// Why an entry cannot be kept ("The word is empty"), empty when it can. Words
// and spoken forms are trimmed first.
QString CheckLexiconEntry(const LexiconEntry &entry);
LexiconEntry TrimmedEntry(LexiconEntry entry);
// An entry for "en" applies to "en", "en-us" and "en-gb"; one for "en-us" to
// "en-us" only; one for no language to every voice.
bool LanguageApplies(const QString &entryLanguage, const QString &voiceLanguage);
// The dialog's search: the text in the word or the spoken form, any letter case.
bool EntryMatchesSearch(const LexiconEntry &entry, const QString &search);
// True when the spoken form holds eSpeak NG phonemes.
bool HasPhonemes(const QString &spoken);

// Byte offsets into a rewritten text, back to the text it was made from. An
// offset inside a replacement gives the start of the word it replaced.
class OffsetMap
{
public:
    uint32_t toOriginal(uint32_t engineOffset) const;

private:
    friend class LexiconMatcher;
    struct Anchor {
        uint32_t engine;
        uint32_t original;
        bool replaced;
    };
    std::vector<Anchor> m_anchors;
};

struct LexiconRewrite {
    std::string text;
    OffsetMap map;
    bool phonemes = false; // a replacement holds "[[ ]]": the engine is to read phonemes
    int replacements = 0;
};

// The entries that apply to one voice language, ready for matching: whole words
// (Unicode word boundaries at both ends), the longest entry at a place first,
// then on after it; white space in a phrase matches any white space.
class LexiconMatcher
{
public:
    // Earlier entries win over later ones for the same word.
    LexiconMatcher(const std::vector<const LexiconEntry *> &entries);
    bool isEmpty() const { return m_spoken.empty(); }
    // Nothing when no entry occurs in `utf8`: the caller hands the text on as it is.
    std::optional<LexiconRewrite> apply(std::string_view utf8) const;

private:
    struct Trie {
        std::vector<int> entryAt{-1}; // per node: the entry ending there, -1 none
        std::map<uint64_t, int> edges;
        int child(int node, char16_t unit) const;
        int add(int node, char16_t unit);
    };
    void insert(Trie &trie, const QString &word, int entry, bool fold);
    Trie m_exact;
    Trie m_folded;
    std::vector<std::string> m_spoken;
    std::vector<bool> m_phonemes;
};

// One dictionary file and what was read from it.
struct LexiconFile {
    QString path;
    std::vector<LexiconEntry> entries;
    QStringList problems;
    QStringList badLines;
    bool own = false; // the user's own, which is never unloaded
};

// The dictionaries in use: the user's own first, then the others in the order
// they were loaded. Used from the thread that speaks and edits (the window's).
class Lexicon
{
public:
    // Reads the user's own file (missing: empty) and the others; replaces what was there.
    void setFiles(const QString &ownPath, const QStringList &otherPaths);
    std::vector<LexiconFile> files() const;
    QStringList otherPaths() const;
    // False with the reason when the file cannot be read; a file already loaded is not loaded twice.
    bool load(const QString &path, QString *error);
    void unload(const QString &path);
    // Replaces the entries of one file and writes it atomically; on failure
    // (with the reason) the file and the entries stay as they were.
    bool save(const QString &path, const std::vector<LexiconEntry> &entries, QString *error);
    // The entries for a voice language; nothing when none applies. Shared while nothing changes.
    // Without `phonemes` (an engine that reads none) the entries spoken as phonemes are left out.
    std::shared_ptr<const LexiconMatcher> matcherFor(const QString &voiceLanguage, bool phonemes = true) const;

    // While set, every text is rewritten with this one entry only, whatever
    // its language: "Say it" speaks an entry's word through it.
    void setPreview(const std::optional<LexiconEntry> &entry);

private:
    void changed();
    mutable std::mutex m_entriesLock; // guards the files, the preview and the matchers made from them
    std::vector<LexiconFile> m_files;
    std::optional<LexiconEntry> m_preview;
    size_t m_entryCount = 0;
    mutable std::map<QString, std::shared_ptr<const LexiconMatcher>> m_matchers;
};

// The dictionaries the program speaks with.
std::shared_ptr<Lexicon> DefaultLexicon();

// The user's own dictionary in a folder: "loqa.dic".
QString OwnLexiconPath(const QString &folder);
// Every other "*.dic" file in a folder, by name: what the command line uses besides the own one.
QStringList LexiconsBeside(const QString &folder);

} // namespace speech
