// Time from starting `loqa /tts FILE` to the first sound heard at the private
// sound server's null sink. Prints the median of several runs in milliseconds.
#include "sinkrecorder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: firstsound LOQA TEXTFILE [RUNS [LOQA-SWITCH...]]\n");
        return 2;
    }
    const int runs = args.size() > 3 ? args.at(3).toInt() : 5;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        SinkRecorder rec;
        if (!rec.start()) {
            std::fprintf(stderr, "firstsound: no private sound server\n");
            return 1;
        }
        QThread::msleep(200);
        rec.poll();
        const double startedAt = rec.elapsedMs() / 1000.0;
        QProcess loqa;
        loqa.start(args.at(1), QStringList{QStringLiteral("/tts"), args.at(2)} + args.mid(4));
        double heard = -1;
        for (int wait = 0; wait < 500 && heard < 0; ++wait) {
            QThread::msleep(10);
            rec.poll();
            heard = rec.analyse(startedAt).firstSound;
        }
        // Asked to end, as a user would: a speech service that speaks for it stops too.
        loqa.terminate();
        if (!loqa.waitForFinished(3000)) {
            loqa.kill();
            loqa.waitForFinished();
        }
        rec.stop();
        if (heard < 0) {
            std::fprintf(stderr, "firstsound: nothing was heard\n");
            return 1;
        }
        times.push_back((heard - startedAt) * 1000.0);
        QThread::msleep(300);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.0f\n", times[times.size() / 2]);
    return 0;
}
