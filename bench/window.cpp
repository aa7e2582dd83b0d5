// Main-window benchmarks, in process (offscreen), with the real engine and the
// private sound server:
//   bench_window switch     switching to a 20 MB document, and typing in it
//   bench_window firstsound from Read Aloud on a 1 MB document to the first sound heard
//   bench_window lag        how far the highlight is behind the word being heard
//   bench_window openpdf PAGES  a PDF of PAGES pages shown in the editor as it is
//                           read: first text, all of it, the longest the window
//                           did not answer, peak memory
//   (firstsound and lag take a voice's name: the first voice otherwise)
#include "benchdocuments.h"
#include "commands/actions.h"
#include "ui/main/converter.h"
#include "speech/mspeech.h"
#include "sinkrecorder.h"
#include "audio/wavfile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include "audio/wavfile.h"

#include <QFile>
#include <QPlainTextEdit>
#include "widgets/tabstrip.h"
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

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
    // `engine`: the number of the voice that reads.
    void setUp(const QList<std::pair<QString, QByteArray>> &documents, int engine = 0)
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
        i.write("[General]\r\nGreeting=0\r\n[Auto]\r\nEngineIndex=" + QByteArray::number(engine) + "\r\n");
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void line(const QByteArray &name, double value, const char *unit, const char *target)
{
    std::printf("%-28s %10.0f %-4s %s\n", name.constData(), value, unit, target);
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

int benchOpenPdf(int pages)
{
    Home home;
    home.setUp({{"small.txt", "A small document."}});
    const QString pdf = home.dir.filePath(QStringLiteral("book.pdf"));
    if (!bench::makePdf(pdf, pages, home.dir.path())) {
        std::fprintf(stderr, "bench_window: ps2pdf could not make %s\n", qPrintable(pdf));
        return 1;
    }
    QFile apl(home.dir.filePath(QStringLiteral("loqa.apl")));
    if (!apl.open(QIODevice::Append) || apl.write(pdf.toUtf8() + "\r\n") <= 0)
        return 1;
    apl.close();
    TFormCvt form(QSize(1280, 800));
    form.show();
    QTest::qWait(200);
    // The longest time between two turns of the event loop while the document comes in.
    QElapsedTimer sinceTurn, clock;
    qint64 longest = 0, first = -1;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.elapsed());
        sinceTurn.start();
        if (first < 0 && !form.Memo1->document()->isEmpty())
            first = clock.elapsed();
    });
    clock.start();
    sinceTurn.start();
    turn.start();
    form.TabControl1->setCurrentIndex(1);
    QElapsedTimer limit;
    limit.start();
    while ((form.DocumentLoading() || first < 0) && limit.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const qint64 total = clock.elapsed();
    turn.stop();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QByteArray name = "window_pdf_" + QByteArray::number(pages) + "_pages";
    line(name + "_first", double(first), "ms", "<= 3000");
    line(name + "_total", double(total), "ms",
         qPrintable(QStringLiteral("%1 characters, %2 chapters")
                        .arg(form.Memo1->document()->characterCount())
                        .arg(form.Chapters().size())));
    line(name + "_stall", double(longest), "ms", "longest the window did not answer");
    line(name + "_peak", double(usage.ru_maxrss / 1024), "MB", "<= 500");
    return 0;
}

// The number of the voice named `voice`, 0 (the first) for none; -1 when there is no such voice.
int engineNumber(const QString &voice)
{
    if (voice.isEmpty())
        return 0;
    TMSpeech s;
    const int index = int(s.Engines().indexOf(voice));
    if (index < 0)
        std::fprintf(stderr, "bench_window: no voice %s\n", qPrintable(voice));
    return index;
}

// The figure's name, with the voice's engine when it is not the first voice.
QByteArray figure(const char *name, const QString &voice)
{
    if (voice.isEmpty())
        return name;
    const QString engine = voice.section(u'(', -1).section(u')', 0, 0).replace(u'-', u'_');
    return QByteArray(name) + '_' + engine.toUtf8();
}

int benchFirstSound(const QString &voice)
{
    const int engine = engineNumber(voice);
    if (engine < 0)
        return 1;
    Home home;
    home.setUp({{"mega.txt", prose(1024 * 1024)}}, engine);
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
    line(figure("read_aloud_first_sound_1mb", voice), median(times), "ms", voice.isEmpty() ? "<= 200" : "<= 300");
    return 0;
}

// Word start times in the audio: the same text rendered in real time to a file,
// where each position is reported as its audio is written.
std::vector<std::pair<uint32_t, double>> wordTimes(const QString &text, const QString &wav, int engine)
{
    TMSpeech s;
    s.Output = soFile;
    s.SelectEngine(s.Engines().at(engine));
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
    // The times count from the first sound, as the recording's do: a voice
    // that begins with a pause is not taken for one whose highlight runs ahead.
    QFile file(wav);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const std::optional<loqa::WavAudio> audio = loqa::ReadWav(bytes);
    if (!audio || audio->bitsPerSample != 16 || audio->channels != 1)
        return {};
    const auto *samples = reinterpret_cast<const int16_t *>(bytes.constData() + audio->dataAt);
    const qsizetype count = audio->dataSize / 2, window = audio->sampleRate / 100;
    double firstSound = 0;
    for (qsizetype at = 0; at + window <= count; at += window) {
        double sum = 0;
        for (qsizetype i = at; i < at + window; ++i)
            sum += double(samples[i]) * samples[i] / (32768.0 * 32768.0);
        if (std::sqrt(sum / double(window)) > 0.01) { // as the recorder hears sound
            firstSound = double(at) / audio->sampleRate;
            break;
        }
    }
    for (auto &[position, when] : times)
        when -= firstSound;
    return times;
}

int benchLag(const QString &voice)
{
    const int engine = engineNumber(voice);
    if (engine < 0)
        return 1;
    const QString text = QString::fromLatin1(prose(900)).simplified();
    QTemporaryDir tmp;
    const auto fileTimes = wordTimes(text, tmp.filePath(QStringLiteral("w.wav")), engine);
    if (fileTimes.empty())
        return 1;
    Home home;
    home.setUp({{"lag.txt", text.toUtf8()}}, engine);
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
    line(figure("highlight_lag_median", voice), median(lags), "ms", "<= 150");
    if (!lags.empty())
        line(figure("highlight_lag_worst", voice), *std::max_element(lags.begin(), lags.end()), "ms", "");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    const QString voice = argc > 2 ? QString::fromUtf8(argv[2]) : QString();
    if (what == QLatin1String("switch"))
        return benchSwitch();
    if (what == QLatin1String("firstsound"))
        return benchFirstSound(voice);
    if (what == QLatin1String("lag"))
        return benchLag(voice);
    if (what == QLatin1String("openpdf"))
        return benchOpenPdf(voice.toInt());
    std::fprintf(stderr, "usage: bench_window switch|firstsound [VOICE]|lag [VOICE]|openpdf PAGES\n");
    return 2;
}
