// How promptly the speech component's sound follows Pause and Stop, and how
// closely its stop follows the last sound, heard at the private sound server's
// null sink. Prints one line per figure: the median of several runs in ms.
#include "speech/mspeech.h"
#include "sinkrecorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char *const kProse =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost.";

// Runs the event loop for `ms`, or until `done` says so, reading the recording
// meanwhile (a recorder left unread would drop sound).
template <typename Done> void spin(SinkRecorder &rec, int ms, Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        rec.poll();
        QThread::msleep(5);
    }
}

void spin(SinkRecorder &rec, int ms)
{
    spin(rec, ms, [] { return false; });
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void line(const char *name, double value, const char *unit, const char *target)
{
    std::printf("%-28s %10.0f %-4s %s\n", name, value, unit, target);
}

// Milliseconds from `at` (seconds on the recording's clock) to the last sound
// heard in the second after it; 0 when it was already silent.
double soundAfter(const SinkRecorder &rec, double at)
{
    const double last = rec.analyse(at, at + 1.0).lastSound;
    return last < 0 ? 0 : std::max(0.0, (last - at) * 1000.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 5;
    std::vector<double> pauses, stops, reports;
    for (int i = 0; i < runs; ++i) {
        SinkRecorder rec;
        if (!rec.start()) {
            std::fprintf(stderr, "bench_speechtiming: no private sound server\n");
            return 1;
        }
        TMSpeech s;
        bool stopped = false;
        double stoppedAt = -1;
        s.OnStop = [&](TMSpeech *) {
            stopped = true;
            stoppedAt = rec.elapsedMs() / 1000.0;
        };
        s.SelectEngine(s.Engines().at(0));

        // Pause and Stop in the middle of a long text.
        s.Text = QStringList{QString::fromLatin1(kProse) + QStringLiteral(" ") + QString::fromLatin1(kProse)};
        s.Speak();
        spin(rec, 1500);
        s.Pause();
        const double pausedAt = rec.elapsedMs() / 1000.0;
        spin(rec, 1200);
        s.Resume();
        spin(rec, 1200);
        s.Stop();
        const double stopAt = rec.elapsedMs() / 1000.0;
        spin(rec, 20000, [&] { return stopped; });
        spin(rec, 1200);
        rec.poll();
        pauses.push_back(soundAfter(rec, pausedAt));
        stops.push_back(soundAfter(rec, stopAt));

        // A short text played to its end: its stop against its last sound.
        stopped = false;
        s.Text = QStringList{QStringLiteral("One short sentence to hear.")};
        s.Speak();
        spin(rec, 20000, [&] { return stopped; });
        spin(rec, 600);
        rec.stop();
        const auto heard = rec.analyse(stopAt + 1.0);
        if (!stopped || heard.lastSound < 0) {
            std::fprintf(stderr, "bench_speechtiming: the short text was not heard to its stop\n");
            return 1;
        }
        reports.push_back((heard.lastSound - stoppedAt) * 1000.0);
    }
    line("pause_sound_after", median(pauses), "ms", "<= 150");
    line("stop_sound_after", median(stops), "ms", "<= 150");
    line("stop_report_before_sound_end", median(reports), "ms", "<= 50 (the stop after the last sound)");
    return 0;
}
