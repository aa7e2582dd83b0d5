#include "sinkrecorder.h"

#include <QThread>

#include <cmath>

SinkRecorder::SinkRecorder() = default;

SinkRecorder::~SinkRecorder()
{
    stop();
}

bool SinkRecorder::start()
{
    const QString monitor = qEnvironmentVariable("LOQA_TEST_MONITOR");
    if (monitor.isEmpty())
        return false;
    m_parec.setProgram(QStringLiteral("parec"));
    m_parec.setArguments({QStringLiteral("-d"), monitor, QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                          QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=1"),
                          QStringLiteral("--latency-msec=10")});
    m_parec.start();
    if (!m_parec.waitForStarted(5000))
        return false;
    // The clock starts with the first bytes, so that sample time and clock agree.
    for (int i = 0; i < 200 && m_bytes.isEmpty(); ++i) {
        m_parec.waitForReadyRead(20);
        m_bytes += m_parec.readAllStandardOutput();
    }
    m_clock.start();
    m_bytes.clear();
    return m_parec.state() == QProcess::Running;
}

void SinkRecorder::poll()
{
    m_parec.waitForReadyRead(1);
    m_bytes += m_parec.readAllStandardOutput();
}

void SinkRecorder::stop()
{
    if (m_parec.state() == QProcess::NotRunning)
        return;
    poll();
    m_parec.terminate();
    m_parec.waitForFinished(2000);
    m_bytes += m_parec.readAllStandardOutput();
}

SinkRecorder::Analysis SinkRecorder::analyse(double fromSeconds, double toSeconds) const
{
    Analysis a;
    const auto *samples = reinterpret_cast<const int16_t *>(m_bytes.constData());
    const qsizetype count = m_bytes.size() / 2;
    const qsizetype window = kRate / 100;
    const qsizetype first = std::max<qsizetype>(0, qsizetype(fromSeconds * kRate)) / window * window;
    const qsizetype last = std::min<qsizetype>(count, qsizetype(std::min(toSeconds, 1e6) * kRate));
    for (qsizetype at = first; at + window <= last; at += window) {
        double sum = 0;
        for (qsizetype i = at; i < at + window; ++i) {
            const double v = samples[i] / 32768.0;
            sum += v * v;
            a.peak = std::max(a.peak, std::abs(v));
        }
        if (std::sqrt(sum / double(window)) > 0.01) {
            const double t = double(at) / kRate;
            a.heardSeconds += double(window) / kRate;
            if (a.firstSound < 0)
                a.firstSound = t;
            a.lastSound = t + double(window) / kRate;
        }
    }
    return a;
}
