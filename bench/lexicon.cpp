// The cost of the pronunciation dictionaries by themselves: rewriting 1 MB of
// prose with 1,000 entries of which none occurs, and with the same plus ten
// common words that do, against the synthesis of that text (lexicon.sh).
#include "speech/lexicon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_lexicon TEXTFILE\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray text = in.readAll();
    std::vector<speech::LexiconEntry> entries;
    for (int i = 1; i <= 1000; ++i)
        entries.push_back(
            {QStringLiteral("zq%1x").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("spoken"), {}, false});
    std::vector<speech::LexiconEntry> hits = entries;
    for (const char *word :
         {"License", "software", "Program", "copyright", "work", "terms", "GNU", "you", "may", "the"})
        hits.push_back({QString::fromLatin1(word), QStringLiteral("replaced word"), {}, false});

    const auto measure = [&](const std::vector<speech::LexiconEntry> &list, int *replacements) {
        std::vector<const speech::LexiconEntry *> pointers;
        for (const auto &e : list)
            pointers.push_back(&e);
        const speech::LexiconMatcher matcher(pointers);
        std::vector<qint64> times;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer clock;
            clock.start();
            const auto out = matcher.apply(std::string_view(text.constData(), size_t(text.size())));
            times.push_back(clock.nsecsElapsed());
            *replacements = out ? out->replacements : 0;
        }
        std::sort(times.begin(), times.end());
        return double(times[times.size() / 2]) / 1e6;
    };
    int none = 0, some = 0;
    const double missing = measure(entries, &none);
    const double found = measure(hits, &some);
    std::printf("%-28s %10.1f %-4s %s\n", "lexicon_rewrite_1mb_1000", missing, "ms", "no entry occurs");
    std::printf("%-28s %10.1f %-4s %d replacements\n", "lexicon_rewrite_1mb_1010", found, "ms", some);
    return 0;
}
