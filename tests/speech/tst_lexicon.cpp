// Pronunciation dictionaries: the matcher, the offset map and the file.
#include "speech/lexicon.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using speech::Lexicon;
using speech::LexiconEntry;
using speech::LexiconMatcher;

Q_DECLARE_METATYPE(std::vector<LexiconEntry>)

namespace {

LexiconEntry entry(const char *word, const char *spoken, bool matchCase = false, const char *language = "")
{
    return LexiconEntry{QString::fromUtf8(word), QString::fromUtf8(spoken), QString::fromUtf8(language), matchCase};
}

std::string rewritten(const std::vector<LexiconEntry> &entries, const std::string &text)
{
    std::vector<const LexiconEntry *> pointers;
    for (const LexiconEntry &e : entries)
        pointers.push_back(&e);
    const LexiconMatcher matcher(pointers);
    const auto out = matcher.apply(text);
    return out ? out->text : text;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestLexicon : public QObject
{
    Q_OBJECT

private slots:
    void matcher_data()
    {
        QTest::addColumn<std::vector<LexiconEntry>>("entries");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole words only") << std::vector{entry("cat", "dog")} << "cat, concat cats cat's Cat.\r\ncat"
                                          << "dog, concat cats cat's dog.\r\ndog";
        QTest::newRow("case rule per entry") << std::vector{entry("Polish", "Poalish", true), entry("nasa", "N A S A")}
                                             << "Polish polish POLISH NASA Nasa"
                                             << "Poalish polish POLISH N A S A N A S A";
        QTest::newRow("longest first, any white space in a phrase")
            << std::vector{entry("New", "Neu"), entry("New York", "N Y C")} << "New York, New\n  York; New Yorker New"
            << "N Y C, N Y C; Neu Yorker Neu";
        QTest::newRow("overlapping entries: the first place wins, then on after it")
            << std::vector{entry("New York", "NY"), entry("York City", "YC")} << "New York City and York City"
            << "NY City and YC";
        QTest::newRow("other scripts") << std::vector{entry("Москва", "Moskva"), entry("αθηνα", "Athina"),
                                                      entry("東京", "Tokyo"), entry("naïve", "nigh eve")}
                                       << "В Москве и Москва. ΑΘΗΝΑ! 東京タワー NAÏVE naïveté"
                                       << "В Москве и Moskva. Athina! Tokyoタワー nigh eve naïveté";
        QTest::newRow("earlier entry wins for the same word")
            << std::vector{entry("Dr", "Doctor"), entry("dr", "Drive")} << "Dr Who"
            << "Doctor Who";
        QTest::newRow("phonemes: the text's own brackets stay text")
            << std::vector{entry("NASA", "[[n'asA]]")} << "NASA [[wiki]]"
            << "[[n'asA]] [ wiki]]";
    }

    void matcher()
    {
        QFETCH(std::vector<LexiconEntry>, entries);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(rewritten(entries, text.toStdString())), expected);
    }

    // Word positions in the rewritten text land on the original's bytes: words
    // after a replacement on themselves, words of a replacement on the word it replaced.
    void offsetMap_pointsBackIntoTheOriginal()
    {
        const LexiconEntry bbc = entry("BBC", "British Broadcasting Corporation");
        const LexiconEntry ca = entry("ça", "sa");
        const LexiconMatcher matcher({&bbc, &ca});
        const std::string original = "Ça, la BBC dit «BBC» ici.";
        const auto out = matcher.apply(original);
        QVERIFY(out);
        QCOMPARE(out->replacements, 3);
        QCOMPARE(out->text, std::string("sa, la British Broadcasting Corporation dit «British Broadcasting "
                                        "Corporation» ici."));
        const auto engineAt = [&](const char *word, size_t from = 0) { return uint32_t(out->text.find(word, from)); };
        const auto originalAt = [&](const char *word, size_t from = 0) { return uint32_t(original.find(word, from)); };
        QCOMPARE(out->map.toOriginal(0), 0u);
        QCOMPARE(out->map.toOriginal(engineAt(", la")), originalAt(", la"));
        QCOMPARE(out->map.toOriginal(engineAt("British")), originalAt("BBC"));
        QCOMPARE(out->map.toOriginal(engineAt("Corporation")), originalAt("BBC"));
        QCOMPARE(out->map.toOriginal(engineAt("dit")), originalAt("dit"));
        const size_t second = out->text.find("British", engineAt("dit"));
        QCOMPARE(out->map.toOriginal(uint32_t(second + 9)), originalAt("BBC", originalAt("dit")));
        QCOMPARE(out->map.toOriginal(engineAt("ici")), originalAt("ici"));

        // A text none of the entries occurs in is left to be handed on as it is.
        QVERIFY(!matcher.apply("nothing to see").has_value());
        QVERIFY(!matcher.apply("BBCs").has_value());
    }

    // The voice's language picks the entries; the one for the closest language
    // comes first ("en-us" before "en" before every language), and a lexicon with no entries gives no matcher.
    void lexicon_choosesEntriesByVoiceLanguage()
    {
        QTemporaryDir dir;
        const QString own = speech::OwnLexiconPath(dir.path());
        Lexicon lexicon;
        lexicon.setFiles(own, {});
        QVERIFY(!lexicon.matcherFor(QStringLiteral("en-gb")));
        QVERIFY(writeFile(own, "route\tsomething for all\nroute\troot\ten\nroute\trowt\ten-us\nroute\trut\tfr\n"));
        lexicon.setFiles(own, {});
        const auto said = [&](const char *language) {
            const auto matcher = lexicon.matcherFor(QString::fromLatin1(language));
            const auto out = matcher ? matcher->apply("route") : std::nullopt;
            return out ? out->text : std::string();
        };
        QCOMPARE(said("en-gb"), std::string("root"));
        QCOMPARE(said("en-us"), std::string("rowt"));
        QCOMPARE(said("fr"), std::string("rut"));
        QCOMPARE(said("de"), std::string("something for all"));
        QCOMPARE(lexicon.matcherFor(QStringLiteral("en-gb")), lexicon.matcherFor(QStringLiteral("en-gb")));
    }

    // A bad line is reported with its number and skipped, the rest is read; a
    // save writes every entry back and keeps the bad lines as comments.
    void file_badLinesAreReportedAndKept()
    {
        const QByteArray text = "\xEF\xBB\xBF# names\r\n"
                                "BBC\tBritish Broadcasting Corporation\r\n"
                                "\r\n"
                                "no tab here\n"
                                "NASA\t[[n'asA]]\ten\n"
                                "Nice\tNeess\tfr\tcase\n"
                                "\tnothing\n"
                                "bad\t\xFF\xFE\n"
                                "x\ty\tplain English\n"
                                "a\tb\t\tloud\n"
                                "Köln\tKoeln\t*\t\n";
        const speech::LexiconText read = speech::ParseLexicon(text);
        QCOMPARE(read.problems,
                 (QStringList{"line 4: no spoken form (a tab separates the word from it)", "line 7: the word is empty",
                              "line 8: not UTF-8 text", "line 9: unknown language \"plain english\"",
                              "line 10: unknown flag \"loud\""}));
        const std::vector<LexiconEntry> expected{entry("BBC", "British Broadcasting Corporation"),
                                                 entry("NASA", "[[n'asA]]", false, "en"),
                                                 entry("Nice", "Neess", true, "fr"), entry("Köln", "Koeln")};
        QCOMPARE(read.entries, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("names.dic"));
        QVERIFY(writeFile(path, text));
        Lexicon lexicon;
        lexicon.setFiles(speech::OwnLexiconPath(dir.path()), {path});
        QCOMPARE(lexicon.files().size(), size_t(2));
        QCOMPARE(lexicon.files().at(1).problems.size(), 5);
        QString error;
        QVERIFY(lexicon.save(path, expected, &error));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.contains("#! no tab here\n"));
        QVERIFY(bytes.contains("#! \tnothing\n"));
        const speech::LexiconText again = speech::ParseLexicon(bytes);
        QCOMPARE(again.entries, expected);
        QVERIFY(again.problems.isEmpty());

        // A save that cannot be completed (here a file size limit, as on a full
        // disk) leaves the file whole and the entries in use as they were.
        std::vector<LexiconEntry> many(50, entry("word", "a spoken form that takes some room"));
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t before = limit.rlim_cur;
        limit.rlim_cur = 512;
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool refused = !lexicon.save(path, many, &error);
        limit.rlim_cur = before;
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(refused);
        QVERIFY(!error.isEmpty());
        QCOMPARE(lexicon.files().at(1).entries, expected);
        QFile unchanged(path);
        QVERIFY(unchanged.open(QIODevice::ReadOnly));
        QCOMPARE(unchanged.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestLexicon)
#include "tst_lexicon.moc"
