// Main-window benchmarks, in process (offscreen), with the real engine and the
// private sound server:
//   bench_window switch     switching to a 20 MB document, and typing in it
//   bench_window firstsound from Read Aloud on a 1 MB document to the first sound heard
//   bench_window lag        how far the highlight is behind the word being heard
#include "commands/actions.h"
#include "ui/main/converter.h"
#include "speech/mspeech.h"
#include "sinkrecorder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include "widgets/tabstrip.h"
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace loqa;

namespace {

QByteArray prose(qsizetype bytes)
{
    const QByteArray sentence = "The quick brown fox jumps over the lazy dog while the patient reader listens. ";
    QByteArray text;
    text.reserve(bytes + sentence.size());
    int n = 0;
    while (text.size() < bytes) {
        text += sentence;
        if (++n % 8 == 0)
            text += "\n";
    }
    text.truncate(bytes);
    return text;
}

struct Home {
    QTemporaryDir dir;
    QString txt(const QString &name) const { return dir.path() + QStringLiteral("/txt/") + name; }
    void setUp(const QList<std::pair<QString, QByteArray>> &documents)
    {
        qputenv("LOQA_HOME", dir.path().toUtf8());
        QDir().mkpath(dir.path() + QStringLiteral("/txt"));
        QByteArray apl;
        for (const auto &[name, text] : documents) {
            QFile f(txt(name));
            f.open(QIODevice::WriteOnly);
            f.write(text);
            apl += txt(name).toUtf8() + "\r\n";
        }
        QFile a(dir.filePath(QStringLiteral("loqa.apl")));
        a.open(QIODevice::WriteOnly);
        a.write(apl);
        QFile i(dir.filePath(QStringLiteral("loqa.ini")));
        i.open(QIODevice::WriteOnly);
        i.write("[General]\r\nGreeting=0\r\n");
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void line(const char *name, double value, const char *unit, const char *target)
{
    std::printf("%-28s %10.0f %-4s %s\n", name, value, unit, target);
    std::fflush(stdout);
}

int benchSwitch()
{
    Home home;
    home.setUp({{"small.txt", "A small document."}, {"big.txt", prose(20 * 1024 * 1024)}});
    TFormCvt form(QSize(1280, 800));
    form.show();
    QTest::qWait(200);
    std::vector<double> switches, keys;
    for (int run = 0; run < 3; ++run) {
        form.TabControl1->setCurrentIndex(0);
        QTest::qWait(100);
        QElapsedTimer t;
        t.start();
        form.TabControl1->setCurrentIndex(1);
        QCoreApplication::processEvents(); // shown: laid out and painted
        form.Memo1->repaint();
        switches.push_back(double(t.elapsed()));
        QTextCursor c = form.Memo1->textCursor();
        c.setPosition(form.Memo1->document()->characterCount() / 2);
        form.Memo1->setTextCursor(c);
        for (int k = 0; k < 20; ++k) {
            QElapsedTimer kt;
            kt.start();
            QTest::keyClick(form.Memo1, Qt::Key_A);
            form.Memo1->repaint();
            keys.push_back(double(kt.nsecsElapsed()) / 1e6);
        }
    }
    line("switch_to_20mb_document", median(switches), "ms", "<= 1000");
    line("typing_in_20mb_document", median(keys), "ms", "per key, fluid below 16");
    return 0;
}

int benchFirstSound()
{
    Home home;
    home.setUp({{"mega.txt", prose(1024 * 1024)}});
    TFormCvt form(QSize(1280, 800));
    form.show();
    QTest::qWait(300);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        SinkRecorder rec;
        if (!rec.start())
            return 1;
        QTest::qWait(200);
        rec.poll();
        const double at = rec.elapsedMs() / 1000.0;
        form.action(ActionTTS)->trigger();
        double heard = -1;
        for (int i = 0; i < 300 && heard < 0; ++i) {
            QTest::qWait(5);
            rec.poll();
            heard = rec.analyse(at).firstSound;
        }
        form.action(ActionStop)->trigger();
        QTest::qWait(400);
        rec.stop();
        if (heard >= 0)
            times.push_back((heard - at) * 1000);
    }
    line("read_aloud_first_sound_1mb", median(times), "ms", "<= 200");
    return 0;
}

// Word start times in the audio: the same text rendered in real time to a file,
// where each position is reported as its audio is written.
std::vector<std::pair<uint32_t, double>> wordTimes(const QString &text, const QString &wav)
{
    TMSpeech s;
    s.Output = soFile;
    s.SelectEngine(s.Engines().at(0));
    s.Filename = wav;
    s.SetFileRealTime(256);
    s.SetSpeed(150);
    s.SetPitch(50);
    s.Text = QStringList{text};
    bool stopped = false;
    s.OnStop = [&](TMSpeech *) { stopped = true; };
    std::vector<std::pair<uint32_t, double>> times;
    QElapsedTimer t;
    t.start();
    s.Speak();
    uint32_t last = 0;
    while (!stopped) {
        if (t.elapsed() > 120000) {
            std::fprintf(stderr, "bench_window: rendering the reference did not end within 120 s\n");
            return {};
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        if (s.WordPosition() != last) {
            last = s.WordPosition();
            times.emplace_back(last, t.elapsed() / 1000.0);
        }
    }
    return times;
}

int benchLag()
{
    const QString text = QString::fromLatin1(prose(900)).simplified();
    QTemporaryDir tmp;
    const auto fileTimes = wordTimes(text, tmp.filePath(QStringLiteral("w.wav")));
    if (fileTimes.empty())
        return 1;
    Home home;
    home.setUp({{"lag.txt", text.toUtf8()}});
    TFormCvt form(QSize(1280, 800));
    form.show();
    QTest::qWait(300);
    SinkRecorder rec;
    if (!rec.start())
        return 1;
    QTest::qWait(200);
    std::vector<std::pair<uint32_t, double>> seen;
    form.action(ActionTTS)->trigger();
    uint32_t last = 0;
    QElapsedTimer guard;
    guard.start();
    while (form.action(ActionTTS)->isEnabled() == false || guard.elapsed() < 500) {
        QTest::qWait(5);
        rec.poll();
        // What the window shows: the start of the word it paints (the text is
        // ASCII, so its character position is the engine's byte offset).
        const int shown = form.HighlightedWord();
        const uint32_t pos = shown >= 0 ? uint32_t(shown) : last;
        if (pos != last) {
            last = pos;
            seen.emplace_back(pos, rec.elapsedMs() / 1000.0);
        }
        if (guard.elapsed() > 60000)
            break; // a minute of reading is enough to measure
    }
    rec.stop();
    const double first = rec.analyse().firstSound;
    std::vector<double> lags;
    for (const auto &[pos, when] : seen) {
        for (const auto &[fpos, offset] : fileTimes) {
            if (fpos == pos) {
                lags.push_back((when - first - offset) * 1000);
                break;
            }
        }
    }
    line("highlight_lag_median", median(lags), "ms", "<= 150");
    if (!lags.empty())
        line("highlight_lag_worst", *std::max_element(lags.begin(), lags.end()), "ms", "");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (what == QLatin1String("switch"))
        return benchSwitch();
    if (what == QLatin1String("firstsound"))
        return benchFirstSound();
    if (what == QLatin1String("lag"))
        return benchLag();
    std::fprintf(stderr, "usage: bench_window switch|firstsound|lag\n");
    return 2;
}
